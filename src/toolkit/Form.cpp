#include "Form.h"

#include "Guard.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

Form::Form(Dialogs& dialogs, const QString& name, const QString& caption, QWidget* parent)
    : QDialog(parent), dialogs(dialogs)
{
    setObjectName(name);
    setWindowTitle(caption);
}

Form::~Form()
{
    for (QObject* control : findChildren<QObject*>())
        QObject::disconnect(control, nullptr, this, nullptr);
}

void Form::showEvent(QShowEvent* event)
{
    // Enter presses the button the window made its default and no other: a
    // button never becomes the default by taking the focus. Done at each
    // showing, so buttons added after construction are covered too.
    for (QPushButton* button : findChildren<QPushButton*>())
        if (button->window() == this) // not the buttons of a box or window it owns
            button->setAutoDefault(false);
    QDialog::showEvent(event);
    if (!event->spontaneous())
        guarded(dialogs, [this] { FormShow(); })();
}

void Form::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    if (!exitButton)
        close();
    else if (exitButton->isVisible() && exitButton->isEnabled())
        exitButton->click();
    else
        reject(); // a long run has the exit disabled: its window turns this into "stop"
}

void centreOnScreen(QWidget* window)
{
    if (const QScreen* screen = window->screen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

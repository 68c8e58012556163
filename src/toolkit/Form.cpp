#include "Form.h"

#include "Guard.h"

#include <QScreen>
#include <QShowEvent>

Form::Form(Dialogs& dialogs, const QString& name, const QString& caption, QWidget* parent)
    : QDialog(parent), dialogs(dialogs)
{
    setObjectName(name);
    setWindowTitle(caption);
}

void Form::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        guarded(dialogs, [this] { FormShow(); })();
}

void centreOnScreen(QWidget* window)
{
    if (const QScreen* screen = window->screen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

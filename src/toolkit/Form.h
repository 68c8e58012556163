#pragma once

#include "Dialogs.h"

#include <QDialog>

class QAbstractButton;

// Gives a control its name, the one tests find it by.
template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Places a top-level window in the middle of its screen.
void centreOnScreen(QWidget* window);

// A working window: shown modally from the main menu, created once and kept
// for the whole run, so its controls keep their contents between showings.
class Form : public QDialog {
    Q_OBJECT

public:
    Form(Dialogs& dialogs, const QString& name, const QString& caption, QWidget* parent = nullptr);
    // Stops the window's handlers hearing its controls: closing the dialog
    // moves the focus, and an editable box then reports a choice to a window
    // that is already gone but for its QDialog part.
    ~Form() override;

protected:
    // Runs each time the window is shown.
    virtual void FormShow() { }
    void showEvent(QShowEvent* event) override;

    // The button whose handler Esc runs: the window's own exit step, which
    // closes what the window leaves open. Without one, Esc closes the window
    // as its frame does; while a long run has it disabled, Esc rejects, which
    // such a window turns into "stop".
    void setExitButton(QAbstractButton* button) { exitButton = button; }
    void keyPressEvent(QKeyEvent* event) override;

    Dialogs& dialogs;

private:
    QAbstractButton* exitButton = nullptr;
};

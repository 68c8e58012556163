#pragma once

#include <QString>

// The pause after each step of a long run (a paper scheduled, a roster row
// imported), in milliseconds: the window repaints and the bar moves.
constexpr int stepPauseMilliseconds = 25;

// The boxes, file dialogs and the pause that handlers use, behind one
// replaceable service: the program shows real boxes, tests record them.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Plain box: the text, an OK button, no icon, the application's title.
    virtual void message(const QString& text) = 0;
    // Question box titled "Confirm" with "&Yes" and "&No"; true on Yes.
    virtual bool confirm(const QString& text) = 0;
    // The same question for a text that may be longer than the screen is
    // high (a plan's preview): it scrolls in a box that fits the screen,
    // Yes and No always in view; Enter gives Yes or, when `yesByDefault` is
    // false, No.
    virtual bool confirmLong(const QString& text, bool yesByDefault) = 0;
    // A question that may not arise: true without asking when `text` is
    // empty, else the answer to confirm(text).
    bool confirmIfAny(const QString& text) { return text.isEmpty() || confirm(text); }
    // The application's own box with an information icon.
    virtual void information(const QString& text, const QString& caption) = 0;
    // The box owned by the active window, exclamation icon, caption "警告".
    virtual void warning(const QString& text) = 0;
    // The application-level error box for anything a handler did not catch.
    virtual void error(const QString& text) = 0;

    // Empty text when the user cancels.
    virtual QString openFileName(const QString& title, const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& filter, const QString& suggestedName) = 0;
    // Opens a finished file with the desktop's default application, if any.
    virtual void openDocument(const QString& path) = 0;

    // Waits, repainting but taking no user input.
    virtual void pause(int milliseconds) = 0;
    // Waits and lets the user click meanwhile, so that a long loop can offer
    // a way out; the loop's window keeps its other controls disabled.
    virtual void pauseTakingInput(int milliseconds) = 0;
};

// The real boxes and dialogs.
class QtDialogs : public Dialogs {
public:
    void message(const QString& text) override;
    bool confirm(const QString& text) override;
    bool confirmLong(const QString& text, bool yesByDefault) override;
    void information(const QString& text, const QString& caption) override;
    void warning(const QString& text) override;
    void error(const QString& text) override;
    QString openFileName(const QString& title, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& suggestedName) override;
    void openDocument(const QString& path) override;
    void pause(int milliseconds) override;
    void pauseTakingInput(int milliseconds) override;
};

#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;

// A question whose text may be longer than the screen is high: the text
// scrolls inside a box that fits the screen, and "&Yes" and "&No" stay
// below it, always in view.
class LongTextBox : public QDialog {
    Q_OBJECT

public:
    LongTextBox(const QString& text, bool yesByDefault, QWidget* parent = nullptr);

    // Sizes the box to its text, but never beyond nine tenths of `available`
    // (a screen's free area), and places it in the middle of it.
    void fitInto(const QRect& available);
    bool answeredYes() const { return yes; }

    QScrollArea* textArea;
    QLabel* textLabel;
    QPushButton* yesButton;
    QPushButton* noButton;

private:
    bool yes = false;
};

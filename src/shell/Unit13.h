#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class Windows;

// The login window. It stays the application's first window for the whole
// run; closing it through its frame before login ends the program.
class TForm13 : public QWidget {
    Q_OBJECT

public:
    explicit TForm13(Windows& windows);

    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QPushButton* Button1;
    QPushButton* Button2;

    void Button1Click();
    void Button2Click();

protected:
    // The first paint has the other windows made (see Windows::loginFirst).
    void paintEvent(QPaintEvent* event) override;

private:
    Windows& windows;
    bool painted = false;
};

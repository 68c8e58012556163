#pragma once

#include "Form.h"

class DBGrid;
class DataModule;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TForm15;

// Exam-room split: moves a course off its paper onto a paper of its own,
// placed in the same period without a room.
class TForm14 : public Form {
    Q_OBJECT

public:
    TForm14(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    // The window that gives the split papers their rooms; it is created
    // after this one.
    void setCompanion(TForm15& window) { Form15 = &window; }

    DBGrid* DBGrid1;
    QLabel* Label2;
    QLabel* Label1;
    QGroupBox* GroupBox1;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button2;

    void DBGrid1CellClick();
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void Button2Click();

protected:
    void FormShow() override;

private:
    void openCourseList(const char* statement);

    DataModule& dm;
    TForm15* Form15 = nullptr;
};

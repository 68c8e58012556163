#pragma once

#include "Form.h"

class ComboBox;
class DBGrid;
class DataModule;
class QGroupBox;
class QLabel;
class QPushButton;

// Rooms for the papers that have none, split papers first of all.
class TForm15 : public Form {
    Q_OBJECT

public:
    TForm15(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    DBGrid* DBGrid1;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    ComboBox* ComboBox1;
    QPushButton* Button3;
    QPushButton* Button1;

    void DBGrid1CellClick();
    void Button3Click();
    void Button1Click();

protected:
    void FormShow() override;

private:
    void openUnassignedList();

    DataModule& dm;
};

#pragma once

#include "Form.h"

class DBGrid;
class DataModule;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Classroom management: lists the rooms, adds a room, deletes rooms by name.
class TForm5 : public Form {
    Q_OBJECT

public:
    TForm5(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    DBGrid* DBGrid1;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    // Rows and columns of seats of the new room, both or neither.
    QLabel* rowsLabel;
    QLineEdit* rowsEdit;
    QLabel* columnsLabel;
    QLineEdit* columnsEdit;
    QPushButton* Button1;
    QGroupBox* GroupBox2;
    QLabel* Label3;
    QLineEdit* Edit3;
    QPushButton* Button2;
    QPushButton* Button3;
    // Adds and updates rooms from a workbook: name in column A, capacity in B.
    QPushButton* importRoomsButton;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void DBGrid1CellClick(const QString& fieldName);
    void importRoomsClick();

protected:
    void FormShow() override;

private:
    void openRoomList();

    DataModule& dm;
};

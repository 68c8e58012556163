#pragma once

#include "Form.h"

class ComboBox;
class DBGrid;
class DataModule;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Paper numbering, department by department.
class TForm7 : public Form {
    Q_OBJECT

public:
    TForm7(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QGroupBox* GroupBox2;
    QLabel* Label1;
    ComboBox* ComboBox1;
    DBGrid* DBGrid1;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QGroupBox* GroupBox1;
    QLabel* Label17;
    QLabel* Label18;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLineEdit* Edit1;
    QLabel* Label13;
    QLineEdit* Edit2;
    QPushButton* Button1;
    QGroupBox* GroupBox3;
    DBGrid* DBGrid2;
    QLabel* Label14;
    QLabel* Label15;
    QLabel* Label16;
    QPushButton* Button3;

    void ComboBox1Change();
    void DBGrid1CellClick();
    void Button1Click();
    void Button3Click();

protected:
    void FormShow() override;

private:
    void adjustPlacement(const QString& oldNumber, const QString& newNumber);

    DataModule& dm;
    QString clickedRemark; // the remark shown by the last course clicked
};

#pragma once

#include "DataModule.h"
#include "Form.h"

class ComboBox;
class DBGrid;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The roster query and editing window. It owns the connection and the shared
// query slots that every window works through.
class TForm1 : public Form {
    Q_OBJECT

public:
    explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);

    DataModule& data() { return dm; }

    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QRadioButton* RadioButton4;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label4;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QPushButton* Button1;
    QLabel* Label30;

    DBGrid* DBGrid1;
    QLabel* Label11;
    QLabel* Label12;

    QGroupBox* GroupBox2;
    QLabel* Label7;
    QLineEdit* Edit5;
    QLabel* Label14;
    QLineEdit* Edit9;
    QLabel* Label9;
    QLabel* Label15;
    QLabel* Label31;
    QLabel* Label32;
    QLabel* Label8;
    QLabel* Label16;
    QLabel* Label28;
    QLabel* Label29;
    QLabel* Label13;
    QLabel* Label17;
    QLabel* Label18;
    QLabel* Label19;
    QLabel* Label20;
    QLabel* Label21;
    QLabel* Label22;
    QLabel* Label23;
    QLabel* Label10;
    ComboBox* ComboBox1;
    QLabel* Label24;
    QLabel* Label25;
    QLabel* Label26;
    QLabel* Label27;
    QPushButton* Button2;
    QPushButton* Button5;
    QPushButton* Button4;
    QPushButton* Button3;

    void Button1Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void DBGrid1CellClick(const QString& fieldName);
    void Button2Click();
    void Button5Click();
    void Button4Click();
    void Button3Click();

protected:
    void FormShow() override;

private:
    void createControls();
    void layOut();
    void connectHandlers();
    SqlText searchStatement() const;
    void keepOnlySearchBox(QLineEdit* kept);
    bool refuseWithoutClickedRow(bool clicked);
    void emptyEditBoxes();

    DataModule dm;
    // The editing group holds the values of a row clicked since the window
    // was last shown (until then its labels are stale or empty).
    bool rowCopied = false;
    // The row of the open result that the editing group stands for; -1 when
    // that result was replaced or the row deleted. Changes go to this row,
    // not to wherever the grid's keyboard cursor has wandered.
    int editedRow = -1;
};

#pragma once

#include "Form.h"

class ComboBox;
class DBGrid;
class DataModule;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Room assignment and period change: works through the periods one at a
// time, gives papers rooms and moves a paper to a period where none of its
// students already sits a paper.
class TForm4 : public Form {
    Q_OBJECT

public:
    TForm4(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QLabel* Label1;
    ComboBox* ComboBox1;
    QLabel* Label2;
    QPushButton* Button3;
    DBGrid* DBGrid1;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    DBGrid* DBGrid2;

    QGroupBox* GroupBox1;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label24;
    QLabel* Label25;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label13;
    QLabel* Label14;
    ComboBox* ComboBox2;
    QLabel* Label15;
    QLabel* Label16;
    QPushButton* Button1;

    QGroupBox* GroupBox2;
    QLabel* Label17;
    QLabel* Label18;
    QLabel* Label19;
    QLabel* Label20;
    QLabel* Label21;
    QLabel* Label22;
    QLabel* Label23;
    QLineEdit* Edit1;
    QPushButton* Button4;

    QPushButton* Button5;
    QPushButton* Button2;

    // Gives rooms to the chosen period's papers (every period's when none is
    // chosen) within the rooms' capacities, splitting a paper along its
    // courses where no room seats it; the plan is shown for consent first.
    QPushButton* autoAssignRoomsButton;
    // Gives seat numbers to the candidates of every room that needs them.
    QPushButton* seatsButton;

    void ComboBox1Change();
    void DBGrid1CellClick();
    void ComboBox2Change();
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button2Click();
    void autoAssignRoomsClick();
    void seatsClick();

    // Shows the window with the period chosen, as if the clerk had picked it
    // (how the calendar opens a period).
    void execOnPeriod(const QString& period);

protected:
    void FormShow() override;

private:
    void layOut();
    void openPeriodList();
    void openPlacementOverview();
    // The tails differ in their last blank only, as each step writes them.
    void openPeriodView(const char* tail);
    void openRoomTotals(const char* tail);

    DataModule& dm;
    QString openingPeriod;
};

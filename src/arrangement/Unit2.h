#pragma once

#include "Form.h"
#include "periods/PeriodReduction.h"

class DBGrid;
class DataModule;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class StatusProgress;

// Scheduling: validates the roster and places every paper in a period.
class TForm2 : public Form {
    Q_OBJECT

public:
    TForm2(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QGroupBox* GroupBox1;
    QPushButton* Button4;
    DBGrid* DBGrid2;
    DBGrid* DBGrid1;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QPushButton* Button1;
    QPushButton* Button3;
    QPushButton* Button2;
    StatusProgress* StatusBar1;
    QProgressBar* ProgressBar1;
    // Beyond the scheduling controls: fewer periods for the placed papers.
    QPushButton* reducePeriodsButton;
    ReductionLimits reductionLimits;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void reducePeriodsClick();

protected:
    void FormShow() override;
    void reject() override;

private:
    void setScheduled(bool scheduled);
    Colouring searchWhileResponsive(const PlacedPapers& placed);

    DataModule& dm;
    bool reducing = false;
    bool stopRequested = false;
};

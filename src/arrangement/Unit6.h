#pragma once

#include "Form.h"
#include "periods/SpreadAdoption.h"

#include <optional>

class DBGrid;
class DataModule;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class ConflictListWindow;
class RulesWindow;
class SpreadTimesDialog;
struct SpreadOutcome;

// Exam times of the periods, and each student's exams as a workbook.
class TForm6 : public Form {
    Q_OBJECT

public:
    TForm6(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    DBGrid* DBGrid1;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label4;
    QLabel* Label3;
    QLineEdit* Edit1;
    // Beside the time box: the term's days and sittings to pick from, so one
    // sitting is written one way; the box stays free text.
    QToolButton* timeChoiceButton;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* spreadTimesButton;
    SpreadTimesDialog* spreadTimesDialog;
    QPushButton* studentTimetableButton;
    QPushButton* rulesButton;
    RulesWindow* rulesWindow;
    QPushButton* conflictListButton;
    ConflictListWindow* conflictListWindow;

    void DBGrid1CellClick();
    void Button1Click();
    void Button2Click();
    void spreadTimesClick();
    void studentTimetableClick();
    void rulesClick();
    void conflictListClick();

protected:
    void FormShow() override;

private:
    void openPeriods();
    std::optional<SpreadAdoption> adoptWhileBusy(const TermTimetable& planned, const SpreadOutcome& outcome);

    DataModule& dm;
};

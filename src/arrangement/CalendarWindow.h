#pragma once

#include "overview/TermCalendar.h"
#include "Form.h"
#include "ReportOutput.h"
#include "ReportSettings.h"

#include <QPixmap>
#include <functional>
#include <optional>

class DataModule;
class QLabel;
class QPushButton;
class QTableWidget;

// "考试日历": the term at a glance, days across and sittings down, each
// period with its courses, candidates and rooms, shaded by how full its
// rooms are, and per day the students with a hard day. It only reads;
// clicking a period opens the room window on it.
class CalendarWindow : public Form {
    Q_OBJECT

public:
    // openPeriod shows the room window on a period (modally).
    CalendarWindow(DataModule& dm, Dialogs& dialogs, std::function<void(const QString&)> openPeriod,
                   QWidget* parent = nullptr);

    QLabel* missingLabel; // what keeps the calendar empty, or how to read it
    QTableWidget* calendarGrid;
    QLabel* undatedLabel;
    QTableWidget* undatedGrid;
    QPushButton* exportImageButton;
    QPushButton* printButton;
    QPushButton* exitButton;

    ReportSettings reportSettings;
    // Set, printing goes straight to these options (how the tests print a PDF).
    std::optional<OutputOptions> presetOutput;

    const TermCalendar& calendar() const { return shown; }
    // The whole calendar as one picture, however large, as "导出图片" saves it.
    QPixmap picture() const;

    void cellClicked(int row, int column);
    void undatedClicked(int column);
    void exportImageClick();
    void printClick();

protected:
    void FormShow() override;

private:
    void refresh();
    void open(const QList<CalendarPeriod>& periods);

    DataModule& dm;
    std::function<void(const QString&)> openPeriod;
    TermCalendar shown;
};

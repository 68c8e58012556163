#pragma once

#include "Form.h"
#include "ReportOutput.h"
#include "ReportSettings.h"
#include "SeatPrinting.h"

#include <optional>

class DataModule;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;

// "考场座位与材料": seat numbers for a time or the whole term, and the papers
// of the exam morning (seating charts, sign-in sheets, door notices, paper
// bag labels, the students' notices) for the rooms chosen, previewed in a
// list and printed in one job; the seats also go out as a workbook.
class SeatingWindow : public Form {
    Q_OBJECT

public:
    SeatingWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QLabel* missingLabel;   // what is missing, or which rooms need seats
    QComboBox* timeBox;     // the sittings, and "全部时间" for seating the whole term
    QListWidget* roomList;  // the rooms of the time, ticked to print
    QSpinBox* columnsBox;   // columns of a room without its own rows and columns
    QCheckBox* rowWiseCheck;
    QCheckBox* everyOtherCheck;
    QCheckBox* seatAgainCheck; // number every room again, not only those needing seats
    QPushButton* seatButton;
    QCheckBox* chartCheck;
    QCheckBox* signInCheck;
    QCheckBox* doorCheck;
    QCheckBox* labelsCheck;
    QCheckBox* noticesCheck;
    QCheckBox* allStudentsCheck; // notices for every student, not only this time's
    QSpinBox* sparesBox;
    QTableWidget* previewGrid;   // the seats of the ticked rooms
    QPushButton* printButton;
    QPushButton* exportButton;
    QPushButton* exitButton;

    ReportSettings reportSettings;
    // Set, printing goes straight to these options (how the tests print a PDF).
    std::optional<OutputOptions> presetOutput;

    void timeChanged();
    void seatClick();
    void printClick();
    void exportClick();
    // The job the print button would run.
    SeatDocumentJob job();

protected:
    void FormShow() override;

private:
    void refresh();
    void showRooms();
    QString chosenTime() const;
    QList<SeatedRoomSheet> tickedRooms() const;
    SeatingTerms seatingTerms() const;

    DataModule& dm;
    QList<SeatedRoomSheet> rooms; // of the chosen time
};

#pragma once

#include "Form.h"
#include "ReportSettings.h"
#include "ReportOutput.h"

#include <optional>

class DataModule;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
struct UnavailableList;

// Invigilation: the invigilator list (add, delete, change most duties and
// unavailable sittings, import from a workbook), the duties of every room in
// use at every time with a hand change that refuses clashes, the automatic
// run with its preview, and the duty table and notices as PDF or .xlsx.
class InvigilationWindow : public Form {
    Q_OBJECT

public:
    InvigilationWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QTableWidget* invigilatorGrid;
    QLineEdit* nameEdit;
    QLineEdit* departmentEdit;
    QLineEdit* mostDutiesEdit;
    QLineEdit* unavailableEdit;
    QPushButton* addInvigilatorButton;
    QPushButton* changeInvigilatorButton;
    QPushButton* deleteInvigilatorButton;
    QPushButton* importInvigilatorsButton;

    QTableWidget* dutyGrid;
    QPushButton* addDutyButton;    // the chosen invigilator into the chosen room
    QPushButton* removeDutyButton; // the chosen invigilator out of it
    QSpinBox* perRoomSpin;
    QSpinBox* perExtraSpin;
    QPushButton* autoAssignButton;
    QPushButton* printDutyTableButton;
    QPushButton* printNoticesButton;
    QPushButton* exportDutyTableButton;
    QPushButton* exportNoticesButton;
    QPushButton* exitButton;

    ReportSettings reportSettings;
    // Set, the lists go straight to these options (how the tests print a PDF).
    std::optional<OutputOptions> presetOutput;

protected:
    void FormShow() override;

private:
    void showInvigilators();
    void showDuties();
    void invigilatorChosen();
    int chosenInvigilator() const;
    void addInvigilatorClick();
    void changeInvigilatorClick();
    bool typedValuesFit(int invigilator);
    void tellUnmatched(const UnavailableList& unavailable);
    void deleteInvigilatorClick();
    void importInvigilatorsClick();
    void changeDuty(bool add);
    void autoAssignClick();
    void printList(bool duties);
    void exportList(bool duties);

    DataModule& dm;
};

#pragma once

#include "Form.h"
#include "ReportOutput.h"
#include "ReportSettings.h"

#include <optional>

class DataModule;
class QLabel;
class QPushButton;
class QTableWidget;

// "考试冲突名单": who still sits too close, worst first, printed and as a workbook.
class ConflictListWindow : public Form {
    Q_OBJECT

public:
    ConflictListWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QLabel* conflictSummaryLabel;
    QTableWidget* conflictTable;
    QPushButton* printConflictsButton;
    QPushButton* exportConflictsButton;
    QPushButton* closeConflictsButton;

    ReportSettings reportSettings;
    // Set, printing goes straight to these options (how the tests print a PDF).
    std::optional<OutputOptions> presetOutput;

    void printClick();
    void exportClick();

protected:
    void FormShow() override;

private:
    DataModule& dm;
};

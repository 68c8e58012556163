#pragma once

#include "Form.h"

class DataModule;
class QLabel;
class QPushButton;
class QTableWidget;

// "考试冲突名单": who still sits too close, worst first, and its workbook.
class ConflictListWindow : public Form {
    Q_OBJECT

public:
    ConflictListWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QLabel* conflictSummaryLabel;
    QTableWidget* conflictTable;
    QPushButton* exportConflictsButton;
    QPushButton* closeConflictsButton;

    void exportClick();

protected:
    void FormShow() override;

private:
    DataModule& dm;
};

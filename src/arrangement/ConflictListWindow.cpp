#include "ConflictListWindow.h"

#include "ConflictListPrinting.h"
#include "ConflictListSheet.h"
#include "Guard.h"
#include "SpreadsheetApp.h"
#include "Workbook.h"
#include "overview/ConflictList.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

ConflictListWindow::ConflictListWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("conflictListWindow"), QStringLiteral("考试冲突名单"), parent), dm(dm)
{
    conflictSummaryLabel = named(new QLabel(this), "conflictSummaryLabel");
    conflictTable = named(new QTableWidget(0, 5, this), "conflictTable");
    conflictTable->setHorizontalHeaderLabels(conflictColumns());
    conflictTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    conflictTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    conflictTable->horizontalHeader()->setStretchLastSection(true);
    conflictTable->verticalHeader()->hide();
    exportConflictsButton = named(new QPushButton(QStringLiteral("导出"), this), "exportConflictsButton");
    printConflictsButton = named(new QPushButton(QStringLiteral("打印"), this), "printConflictsButton");
    printConflictsButton->setAutoDefault(false);
    closeConflictsButton = named(new QPushButton(QStringLiteral("关闭"), this), "closeConflictsButton");
    exportConflictsButton->setAutoDefault(false);
    closeConflictsButton->setAutoDefault(false);
    setExitButton(closeConflictsButton);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(printConflictsButton);
    buttons->addWidget(exportConflictsButton);
    buttons->addWidget(closeConflictsButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(conflictSummaryLabel);
    layout->addWidget(conflictTable, 1);
    layout->addLayout(buttons);
    resize(820, 480);

    connect(printConflictsButton, &QPushButton::clicked, this, guarded(dialogs, [this] { printClick(); }));
    connect(exportConflictsButton, &QPushButton::clicked, this, guarded(dialogs, [this] { exportClick(); }));
    connect(closeConflictsButton, &QPushButton::clicked, this, [this] { close(); });
}

void ConflictListWindow::FormShow()
{
    const ConflictList list = readConflictList(dm);
    conflictSummaryLabel->setText(conflictSummary(list));
    conflictTable->setRowCount(int(list.students.size()));
    for (int r = 0; r < list.students.size(); ++r) {
        const ConflictRow row = conflictRow(list.students[r]);
        const QStringList cells = row.cells + QStringList{row.exams.join(QStringLiteral("；"))};
        for (int c = 0; c < cells.size(); ++c)
            conflictTable->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    conflictTable->resizeColumnsToContents();
}

void ConflictListWindow::printClick()
{
    printConflictList(PrintSetup{dm, dialogs, reportSettings, presetOutput, this}, readConflictList(dm));
}

void ConflictListWindow::exportClick()
{
    const QString chosen = dialogs.saveFileName(QStringLiteral("导出考试冲突名单"), QStringLiteral("Excel 工作簿(*.xlsx)"),
                                                QStringLiteral("考试冲突名单.xlsx"));
    if (chosen.isEmpty())
        return;
    const QString path = xlsxFileName(chosen);
    try {
        conflictListWorkbook(readConflictList(dm)).saveAs(path);
    } catch (const WorkbookError& e) {
        dialogs.information(e.message(), QStringLiteral("提示信息"));
        return;
    }
    dialogs.message(QStringLiteral("导出成功：%1").arg(path));
}

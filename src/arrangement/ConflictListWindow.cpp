#include "ConflictListWindow.h"

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
    conflictTable->setHorizontalHeaderLabels({QStringLiteral("学号"), QStringLiteral("姓名"), QStringLiteral("一天最多"),
                                              QStringLiteral("问题"), QStringLiteral("考试安排")});
    conflictTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    conflictTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    conflictTable->horizontalHeader()->setStretchLastSection(true);
    conflictTable->verticalHeader()->hide();
    exportConflictsButton = named(new QPushButton(QStringLiteral("导出"), this), "exportConflictsButton");
    closeConflictsButton = named(new QPushButton(QStringLiteral("关闭"), this), "closeConflictsButton");
    exportConflictsButton->setAutoDefault(false);
    closeConflictsButton->setAutoDefault(false);
    setExitButton(closeConflictsButton);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportConflictsButton);
    buttons->addWidget(closeConflictsButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(conflictSummaryLabel);
    layout->addWidget(conflictTable, 1);
    layout->addLayout(buttons);
    resize(820, 480);

    connect(exportConflictsButton, &QPushButton::clicked, this, guarded(dialogs, [this] { exportClick(); }));
    connect(closeConflictsButton, &QPushButton::clicked, this, [this] { close(); });
}

void ConflictListWindow::FormShow()
{
    const ConflictList list = readConflictList(dm);
    QString summary = QStringLiteral("同一天连考两场的学生 %1 人，同一天考两场及以上的学生 %2 人")
                          .arg(list.twoInARow)
                          .arg(list.twoOnOneDay);
    if (list.dailyLimit > 0)
        summary += QStringLiteral("，超过每天最多 %1 场的学生 %2 人").arg(list.dailyLimit).arg(list.overLimit);
    conflictSummaryLabel->setText(summary + QStringLiteral("。"));
    conflictTable->setRowCount(int(list.students.size()));
    for (int r = 0; r < list.students.size(); ++r) {
        const ConflictStudent& s = list.students[r];
        QStringList problems;
        if (s.overLimit > 0)
            problems.append(QStringLiteral("超过每天场数"));
        if (s.load.twoInARow)
            problems.append(QStringLiteral("连考两场"));
        if (s.load.twoOnOneDay)
            problems.append(QStringLiteral("一天两场以上"));
        QStringList exams;
        for (const StudentPaper& p : s.papers)
            exams.append(QStringLiteral("%1 %2 %3").arg(p.time, p.paper, p.course));
        const QStringList cells{s.load.xh, s.load.xm, QString::number(s.load.mostOnOneDay),
                                problems.join(QStringLiteral("、")), exams.join(QStringLiteral("；"))};
        for (int c = 0; c < cells.size(); ++c)
            conflictTable->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    conflictTable->resizeColumnsToContents();
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

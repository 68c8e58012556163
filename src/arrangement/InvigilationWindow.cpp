#include "InvigilationWindow.h"

#include "DataModule.h"
#include "Guard.h"
#include "people/Invigilation.h"
#include "overview/Shortfalls.h"
#include "InvigilationPrinting.h"
#include "InvigilatorSheet.h"
#include "SlotSteps.h"
#include "Workbook.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// A read-only grid of rows; column `stretched` takes the width the others
// leave, so that every column stays in view.
QTableWidget* grid(QWidget* parent, const QStringList& titles, int stretched)
{
    auto* table = new QTableWidget(0, int(titles.size()), parent);
    table->setHorizontalHeaderLabels(titles);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(stretched, QHeaderView::Stretch);
    return table;
}

// Fills the grid, then sizes its columns once: sizing while filling reads
// every row again for every cell. A column is never wider than `widest`, so
// the columns after it stay in view.
void fill(QTableWidget* table, const std::vector<QStringList>& rows, int widest)
{
    table->setUpdatesEnabled(false);
    table->clearContents();
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < table->columnCount(); ++c)
            table->setItem(r, c, new QTableWidgetItem(rows[size_t(r)].value(c)));
    table->resizeColumnsToContents();
    for (int c = 0; c < table->columnCount(); ++c)
        table->setColumnWidth(c, std::min(table->columnWidth(c), widest));
    table->setUpdatesEnabled(true);
}

QString cellOf(const QTableWidget* table, int column)
{
    const int row = table->currentRow();
    const QTableWidgetItem* item = row < 0 ? nullptr : table->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

InvigilationWindow::InvigilationWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("InvigilationWindow"), QStringLiteral("监考安排"), parent), dm(dm)
{
    auto* people = new QGroupBox(QStringLiteral("监考教师"), this);
    invigilatorGrid = named(grid(people, {QStringLiteral("编号"), QStringLiteral("姓名"), QStringLiteral("院系"),
                                          QStringLiteral("最多场次"), QStringLiteral("不能监考的场次或日期"),
                                          QStringLiteral("已安排")},
                                 4),
                            "invigilatorGrid");
    nameEdit = named(new QLineEdit(people), "nameEdit");
    departmentEdit = named(new QLineEdit(people), "departmentEdit");
    mostDutiesEdit = named(new QLineEdit(people), "mostDutiesEdit");
    unavailableEdit = named(new QLineEdit(people), "unavailableEdit");
    unavailableEdit->setPlaceholderText(QStringLiteral("场次号或日期，如：3 5 2025-01-06"));
    addInvigilatorButton = named(new QPushButton(QStringLiteral("增加"), people), "addInvigilatorButton");
    changeInvigilatorButton = named(new QPushButton(QStringLiteral("修改"), people), "changeInvigilatorButton");
    deleteInvigilatorButton = named(new QPushButton(QStringLiteral("删除"), people), "deleteInvigilatorButton");
    importInvigilatorsButton = named(new QPushButton(QStringLiteral("导入监考教师"), people), "importInvigilatorsButton");
    auto* peopleLayout = new QGridLayout(people);
    peopleLayout->addWidget(invigilatorGrid, 0, 0, 1, 4);
    peopleLayout->addWidget(new QLabel(QStringLiteral("姓名："), people), 1, 0);
    peopleLayout->addWidget(nameEdit, 1, 1);
    peopleLayout->addWidget(new QLabel(QStringLiteral("院系："), people), 1, 2);
    peopleLayout->addWidget(departmentEdit, 1, 3);
    peopleLayout->addWidget(new QLabel(QStringLiteral("最多场次："), people), 2, 0);
    peopleLayout->addWidget(mostDutiesEdit, 2, 1);
    peopleLayout->addWidget(new QLabel(QStringLiteral("不能监考："), people), 2, 2);
    peopleLayout->addWidget(unavailableEdit, 2, 3);
    auto* peopleButtons = new QHBoxLayout;
    for (QPushButton* button : {addInvigilatorButton, changeInvigilatorButton, deleteInvigilatorButton, importInvigilatorsButton})
        peopleButtons->addWidget(button);
    peopleLayout->addLayout(peopleButtons, 3, 0, 1, 4);

    auto* duties = new QGroupBox(QStringLiteral("监考安排"), this);
    dutyGrid = named(grid(duties, {QStringLiteral("考试时间"), QStringLiteral("考场"), QStringLiteral("试卷"),
                                   QStringLiteral("考生人数"), QStringLiteral("监考教师"), QStringLiteral("场次"),
                                   QStringLiteral("教室编号")},
                          4),
                     "dutyGrid");
    // The period and room of a row, read by the hand change.
    dutyGrid->setColumnHidden(5, true);
    dutyGrid->setColumnHidden(6, true);
    addDutyButton = named(new QPushButton(QStringLiteral("加入监考"), duties), "addDutyButton");
    removeDutyButton = named(new QPushButton(QStringLiteral("移出监考"), duties), "removeDutyButton");
    perRoomSpin = named(new QSpinBox(duties), "perRoomSpin");
    perRoomSpin->setRange(1, 9);
    perRoomSpin->setValue(InvigilationTerms{}.perRoom);
    perExtraSpin = named(new QSpinBox(duties), "perExtraSpin");
    perExtraSpin->setRange(0, 999);
    perExtraSpin->setValue(InvigilationTerms{}.perExtra);
    perExtraSpin->setSpecialValueText(QStringLiteral("不加人"));
    autoAssignButton = named(new QPushButton(QStringLiteral("自动安排监考"), duties), "autoAssignButton");
    printDutyTableButton = named(new QPushButton(QStringLiteral("打印监考安排表"), duties), "printDutyTableButton");
    printNoticesButton = named(new QPushButton(QStringLiteral("打印监考通知"), duties), "printNoticesButton");
    exportDutyTableButton = named(new QPushButton(QStringLiteral("导出监考安排表"), duties), "exportDutyTableButton");
    exportNoticesButton = named(new QPushButton(QStringLiteral("导出监考通知"), duties), "exportNoticesButton");
    exitButton = named(new QPushButton(QStringLiteral("退出"), this), "exitButton");
    setExitButton(exitButton);
    auto* dutyLayout = new QVBoxLayout(duties);
    dutyLayout->addWidget(dutyGrid, 1);
    auto* terms = new QHBoxLayout;
    terms->addWidget(addDutyButton);
    terms->addWidget(removeDutyButton);
    terms->addStretch();
    terms->addWidget(new QLabel(QStringLiteral("每考场监考人数："), duties));
    terms->addWidget(perRoomSpin);
    terms->addWidget(new QLabel(QStringLiteral("考生每多"), duties));
    terms->addWidget(perExtraSpin);
    terms->addWidget(new QLabel(QStringLiteral("人加一人"), duties));
    terms->addWidget(autoAssignButton);
    dutyLayout->addLayout(terms);
    auto* lists = new QHBoxLayout;
    for (QPushButton* button : {printDutyTableButton, printNoticesButton, exportDutyTableButton, exportNoticesButton})
        lists->addWidget(button);
    lists->addStretch();
    lists->addWidget(exitButton);
    dutyLayout->addLayout(lists);

    // Enter in a box presses nothing: no button of this window is safe to
    // press by chance (add, delete, a run over every room).
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(people, 2);
    layout->addWidget(duties, 3);
    resize(1280, 640);

    connect(invigilatorGrid, &QTableWidget::itemSelectionChanged, this, guarded(dialogs, [this] { invigilatorChosen(); }));
    connect(addInvigilatorButton, &QPushButton::clicked, this, guarded(dialogs, [this] { addInvigilatorClick(); }));
    connect(changeInvigilatorButton, &QPushButton::clicked, this, guarded(dialogs, [this] { changeInvigilatorClick(); }));
    connect(deleteInvigilatorButton, &QPushButton::clicked, this, guarded(dialogs, [this] { deleteInvigilatorClick(); }));
    connect(importInvigilatorsButton, &QPushButton::clicked, this, guarded(dialogs, [this] { importInvigilatorsClick(); }));
    connect(addDutyButton, &QPushButton::clicked, this, guarded(dialogs, [this] { changeDuty(true); }));
    connect(removeDutyButton, &QPushButton::clicked, this, guarded(dialogs, [this] { changeDuty(false); }));
    connect(autoAssignButton, &QPushButton::clicked, this, guarded(dialogs, [this] { autoAssignClick(); }));
    connect(printDutyTableButton, &QPushButton::clicked, this, guarded(dialogs, [this] { printList(true); }));
    connect(printNoticesButton, &QPushButton::clicked, this, guarded(dialogs, [this] { printList(false); }));
    connect(exportDutyTableButton, &QPushButton::clicked, this, guarded(dialogs, [this] { exportList(true); }));
    connect(exportNoticesButton, &QPushButton::clicked, this, guarded(dialogs, [this] { exportList(false); }));
    connect(exitButton, &QPushButton::clicked, this, guarded(dialogs, [this] { close(); }));
}

void InvigilationWindow::FormShow()
{
    showInvigilators();
    showDuties();
}

void InvigilationWindow::showInvigilators()
{
    QuerySlot& q = dm.ADOQuery23;
    openOn(q, "select jkid,xm,yx,zdcs,bkcc,(select count(*) from t_jkap where t_jkap.jkid=t_jkjs.jkid) as n"
              " from t_jkjs order by jkid");
    std::vector<QStringList> rows;
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList row;
        for (const char* field : {"jkid", "xm", "yx", "zdcs", "bkcc", "n"})
            row.append(q.FieldByName(QString::fromLatin1(field)).AsString().trimmed());
        rows.push_back(row);
    }
    q.Close();
    fill(invigilatorGrid, rows, 160);
}

void InvigilationWindow::showDuties()
{
    const int row = dutyGrid->currentRow();
    fill(dutyGrid, dutyTable(dm).rows, 240);
    if (row >= 0 && row < dutyGrid->rowCount())
        dutyGrid->selectRow(row);
}

void InvigilationWindow::invigilatorChosen()
{
    nameEdit->setText(cellOf(invigilatorGrid, 1));
    departmentEdit->setText(cellOf(invigilatorGrid, 2));
    mostDutiesEdit->setText(cellOf(invigilatorGrid, 3));
    unavailableEdit->setText(cellOf(invigilatorGrid, 4));
}

int InvigilationWindow::chosenInvigilator() const
{
    return cellOf(invigilatorGrid, 0).toInt();
}

void InvigilationWindow::addInvigilatorClick()
{
    if (nameEdit->text().trimmed().isEmpty()) {
        dialogs.message(QStringLiteral("请输入监考教师的姓名"));
        return;
    }
    if (!typedValuesFit(0))
        return;
    const UnavailableList unavailable = storedUnavailable(dm, unavailableEdit->text());
    addInvigilator(dm, nameEdit->text(), departmentEdit->text(), mostDutiesEdit->text(), unavailable.text);
    showInvigilators();
    invigilatorGrid->selectRow(invigilatorGrid->rowCount() - 1);
    tellUnmatched(unavailable);
}

void InvigilationWindow::changeInvigilatorClick()
{
    const int id = chosenInvigilator();
    if (id == 0) {
        dialogs.message(QStringLiteral("请先在列表中选择监考教师"));
        return;
    }
    if (!typedValuesFit(id))
        return;
    const int row = invigilatorGrid->currentRow();
    const UnavailableList unavailable = storedUnavailable(dm, unavailableEdit->text());
    changeInvigilator(dm, id, nameEdit->text(), departmentEdit->text(), mostDutiesEdit->text(), unavailable.text);
    showInvigilators();
    showDuties();
    invigilatorGrid->selectRow(row);
    tellUnmatched(unavailable);
}

bool InvigilationWindow::typedValuesFit(int invigilator)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    if (const QString problem = handNameProblem(dm, nameEdit->text(), invigilator); !problem.isEmpty()) {
        dialogs.message(problem);
        return false;
    }
    if (!digits.match(mostDutiesEdit->text().trimmed()).hasMatch()) {
        dialogs.message(QStringLiteral("最多场次应是不小于 0 的整数"));
        return false;
    }
    return true;
}

void InvigilationWindow::tellUnmatched(const UnavailableList& unavailable)
{
    if (!unavailable.unmatched.isEmpty())
        dialogs.message(QStringLiteral("已保存。以下不能监考的场次或日期与任何考试时间都不符，目前不起作用：%1")
                            .arg(unavailable.unmatched.join(QStringLiteral("、"))));
}

void InvigilationWindow::deleteInvigilatorClick()
{
    const int id = chosenInvigilator();
    if (id == 0) {
        dialogs.message(QStringLiteral("请先在列表中选择监考教师"));
        return;
    }
    if (!dialogs.confirm(QStringLiteral("是否删除监考教师“%1”及其监考安排？").arg(cellOf(invigilatorGrid, 1))))
        return;
    deleteInvigilator(dm, id);
    showInvigilators();
    showDuties();
}

void InvigilationWindow::importInvigilatorsClick()
{
    const QString path = dialogs.openFileName(QStringLiteral("请选择监考教师的Excel文件（A列姓名，B列院系，C列最多监考场次）"),
                                              QStringLiteral("Excel(*.xls *.xlsx)"));
    if (path.isEmpty())
        return;
    try {
        const InvigilatorImport result = importInvigilators(dm, Workbook::open(path).firstSheet());
        showInvigilators();
        dialogs.message(invigilatorImportReport(result));
    } catch (const std::exception& e) {
        dialogs.information(QStringLiteral("导入监考教师出错，没有导入任何监考教师：\n%1").arg(QString::fromUtf8(e.what())),
                            QStringLiteral("提示信息"));
    }
}

void InvigilationWindow::changeDuty(bool add)
{
    const int person = chosenInvigilator();
    const QString period = cellOf(dutyGrid, 5);
    if (person == 0 || period.isEmpty()) {
        dialogs.message(QStringLiteral("请先选择监考教师和考场"));
        return;
    }
    const InvigilationDuty duty{period, cellOf(dutyGrid, 6).toInt(), person};
    if (add) {
        if (const QString refused = addHandDuty(dm, duty); !refused.isEmpty()) {
            dialogs.message(refused);
            return;
        }
    } else {
        removeDuty(dm, duty);
    }
    showDuties();
    const int row = invigilatorGrid->currentRow();
    showInvigilators();
    invigilatorGrid->selectRow(row);
}

void InvigilationWindow::autoAssignClick()
{
    const InvigilationPlan plan = planInvigilation(dm, {perRoomSpin->value(), perExtraSpin->value()});
    if (plan.rooms == 0) {
        dialogs.message(QStringLiteral("还没有已安排教室的考场，请先分配教室"));
        return;
    }
    if (!dialogs.confirmLong(invigilationReport(plan) + QStringLiteral("\n\n是否采用这个监考安排？"), true))
        return;
    if (const QString fault = adoptInvigilation(dm, plan); !fault.isEmpty())
        dialogs.message(fault);
    showDuties();
    showInvigilators();
}

void InvigilationWindow::printList(bool duties)
{
    if (!dialogs.confirmIfAny(readShortfalls(dm.ADOQuery22, {}, {perRoomSpin->value(), perExtraSpin->value()}).question(QStringLiteral("打印"), RoomlessCandidates::Left)))
        return;
    printInvigilationList(PrintSetup{dm, dialogs, reportSettings, presetOutput, this},
                          duties ? dutyTable(dm) : invigilatorNotices(dm),
                          duties ? QStringLiteral("DutyTable") : QStringLiteral("Notice"));
}

void InvigilationWindow::exportList(bool duties)
{
    if (!dialogs.confirmIfAny(readShortfalls(dm.ADOQuery22, {}, {perRoomSpin->value(), perExtraSpin->value()}).question(QStringLiteral("导出"), RoomlessCandidates::Left)))
        return;
    QString path = dialogs.saveFileName(QStringLiteral("导出到Excel文件"), QStringLiteral("Excel(*.xlsx)"),
                                              duties ? QStringLiteral("监考安排表.xlsx") : QStringLiteral("监考通知.xlsx"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    try {
        exportInvigilationList(duties ? dutyTable(dm) : invigilatorNotices(dm), path);
        dialogs.message(QStringLiteral("导出成功"));
    } catch (const WorkbookError& e) {
        dialogs.error(QStringLiteral("导出失败：%1").arg(QString::fromUtf8(e.what())));
    }
}

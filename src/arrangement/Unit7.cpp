#include "Unit7.h"

#include "ComboBox.h"
#include "DBGrid.h"
#include "DataModule.h"
#include "Guard.h"
#include "SlotSteps.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// "总共：", a count, a unit word in one row.
QHBoxLayout* countRow(QLabel* before, QLabel* count, QLabel* unit)
{
    auto* row = new QHBoxLayout;
    row->addWidget(before);
    row->addWidget(count);
    row->addWidget(unit);
    row->addStretch();
    return row;
}

} // namespace

TForm7::TForm7(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form7"), QStringLiteral("Form7"), parent), dm(dm)
{
    GroupBox2 = named(new QGroupBox(QStringLiteral("院系选择"), this), "GroupBox2");
    Label1 = named(new QLabel(QStringLiteral("开课院系："), GroupBox2), "Label1");
    ComboBox1 = named(new ComboBox(GroupBox2), "ComboBox1");
    ComboBox1->setMinimumWidth(200);
    DBGrid1 = named(new DBGrid(GroupBox2), "DBGrid1");
    Label10 = named(new QLabel(QStringLiteral("总共："), GroupBox2), "Label10");
    Label11 = named(new QLabel(GroupBox2), "Label11");
    Label12 = named(new QLabel(QStringLiteral("门课程"), GroupBox2), "Label12");

    GroupBox1 = named(new QGroupBox(QStringLiteral("更换试卷序号"), this), "GroupBox1");
    Label17 = named(new QLabel(QStringLiteral("试卷序号："), GroupBox1), "Label17");
    Label18 = named(new QLabel(GroupBox1), "Label18");
    Label2 = named(new QLabel(QStringLiteral("课程序号："), GroupBox1), "Label2");
    Label3 = named(new QLabel(GroupBox1), "Label3");
    Label4 = named(new QLabel(QStringLiteral("课程代码："), GroupBox1), "Label4");
    Label5 = named(new QLabel(GroupBox1), "Label5");
    Label6 = named(new QLabel(QStringLiteral("课程名称："), GroupBox1), "Label6");
    Label7 = named(new QLabel(GroupBox1), "Label7");
    Label8 = named(new QLabel(QStringLiteral("试卷序号："), GroupBox1), "Label8");
    Edit1 = named(new QLineEdit(GroupBox1), "Edit1");
    Label13 = named(new QLabel(QStringLiteral("备注："), GroupBox1), "Label13");
    Edit2 = named(new QLineEdit(GroupBox1), "Edit2");
    Button1 = named(new QPushButton(QStringLiteral("确定"), GroupBox1), "Button1");

    GroupBox3 = named(new QGroupBox(QStringLiteral("未更新试卷序号"), this), "GroupBox3");
    DBGrid2 = named(new DBGrid(GroupBox3), "DBGrid2");
    Label14 = named(new QLabel(QStringLiteral("总共："), GroupBox3), "Label14");
    Label15 = named(new QLabel(GroupBox3), "Label15");
    Label16 = named(new QLabel(QStringLiteral("门课程"), GroupBox3), "Label16");
    Button3 = named(new QPushButton(QStringLiteral("退出"), this), "Button3");
    setExitButton(Button3);

    DBGrid1->setDataSource(dm.DataSource15);
    DBGrid1->setColumns({{QStringLiteral("sjxh"), QStringLiteral("试卷序号")},
                         {QStringLiteral("kcxh"), QStringLiteral("课程序号")},
                         {QStringLiteral("kcdm"), QStringLiteral("课程代码")},
                         {QStringLiteral("kcmc"), QStringLiteral("课程名称")},
                         {QStringLiteral("bz"), QStringLiteral("备注")}});
    DBGrid2->setDataSource(dm.DataSource18);
    DBGrid2->setColumns({{QStringLiteral("kcxh"), QStringLiteral("课程序号")},
                         {QStringLiteral("kcdm"), QStringLiteral("课程代码")},
                         {QStringLiteral("kcmc"), QStringLiteral("课程名称")},
                         {QStringLiteral("skjs"), QStringLiteral("授课教师")},
                         {QStringLiteral("kkyx"), QStringLiteral("开课院系")}});

    auto* department = new QHBoxLayout;
    department->addWidget(Label1);
    department->addWidget(ComboBox1, 1);
    auto* courses = new QVBoxLayout(GroupBox2);
    courses->addLayout(department);
    courses->addWidget(DBGrid1, 1);
    courses->addLayout(countRow(Label10, Label11, Label12));

    auto* change = new QGridLayout(GroupBox1);
    const QList<QPair<QLabel*, QWidget*>> rows = {
        {Label17, Label18}, {Label2, Label3}, {Label4, Label5}, {Label6, Label7}, {Label8, Edit1}, {Label13, Edit2}};
    for (int i = 0; i < rows.size(); ++i) {
        change->addWidget(rows[i].first, i, 0);
        change->addWidget(rows[i].second, i, 1);
    }
    change->addWidget(Button1, int(rows.size()), 1, Qt::AlignRight);
    change->setColumnStretch(1, 1);
    change->setRowStretch(int(rows.size()) + 1, 1);

    auto* unnumbered = new QVBoxLayout(GroupBox3);
    unnumbered->addWidget(DBGrid2, 1);
    unnumbered->addLayout(countRow(Label14, Label15, Label16));

    auto* top = new QHBoxLayout;
    top->addWidget(GroupBox2, 3);
    top->addWidget(GroupBox1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 3);
    layout->addWidget(GroupBox3, 2);
    layout->addWidget(Button3, 0, Qt::AlignRight);
    resize(860, 620);

    // Only the clerk's own choosing or typing counts as a change of department.
    connect(ComboBox1, &ComboBox::Change, this, guarded(dialogs, [this] { ComboBox1Change(); }));
    connect(DBGrid1, &DBGrid::CellClick, this, guarded(dialogs, [this] { DBGrid1CellClick(); }));
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded(dialogs, [this] { Button3Click(); }));
}

void TForm7::FormShow()
{
    openOn(dm.ADOQuery14, "select distinct kkyx from t_bjgmd");
    if (dm.ADOQuery14.RecordCount() == 0)
        return;
    ComboBox1->refill(trimmedValues(dm.ADOQuery14, QStringLiteral("kkyx")));
}

void TForm7::ComboBox1Change()
{
    openOn(dm.ADOQuery15, SqlText("select distinct sjxh,kcxh,kcdm,kcmc,bz  from t_bjgmd where kkyx='") + ComboBox1->currentText()
                              + "' order by kcmc desc,kcdm desc");
    Label11->setText(QString::number(dm.ADOQuery15.RecordCount()));
    Label3->clear();
    Label5->clear();
    Label7->clear();
}

void TForm7::DBGrid1CellClick()
{
    QuerySlot& list = dm.ADOQuery15;
    Label18->setText(list.FieldByName(QStringLiteral("sjxh")).AsString());
    Label3->setText(list.FieldByName(QStringLiteral("kcxh")).AsString());
    Label5->setText(list.FieldByName(QStringLiteral("kcdm")).AsString());
    Label7->setText(list.FieldByName(QStringLiteral("kcmc")).AsString());
    // The remark box starts from the course's remark, so that "确定" with
    // the box as it was changes only the paper number.
    clickedRemark = list.FieldByName(QStringLiteral("bz")).AsString().trimmed();
    Edit2->setText(clickedRemark);
}

void TForm7::Button1Click()
{
    const QString oldNumber = Label18->text();
    const QString course = Label3->text();
    // A paper number is stored trimmed, so that " 3 " is paper 3 everywhere.
    const QString newNumber = Edit1->text().trimmed();
    const QString remark = Edit2->text().trimmed();
    // Without a selected course the roster would stay as it is while the
    // placements were changed for a paper shown from an earlier choice.
    if (course.isEmpty()) {
        dialogs.message(QStringLiteral("请先在课程列表中选择一门课程"));
        return;
    }

    openOn(dm.ADOQuery16, SqlText("select kcxh,xh FROM t_bjgmd where kcxh='") + course + "'    ");
    if (dm.ADOQuery16.RecordCount() > 0) {
        // Shown at once in the list; the list's slot never writes it back.
        dm.ADOQuery15.Edit();
        dm.ADOQuery15.FieldByName(QStringLiteral("sjxh")).setAsString(newNumber);
        dm.ADOQuery15.FieldByName(QStringLiteral("bz")).setAsString(remark);
        dm.ADOQuery15.Post();
    }
    // The students of one course may carry remarks of their own ("因病缓考",
    // "重修"): an untouched remark box keeps each of them.
    if (remark == clickedRemark)
        executeOn(dm.ADOQuery17, SqlText("update t_bjgmd set sjxh='") + newNumber + "' where kcxh='" + course + "' ");
    else
        executeOn(dm.ADOQuery17, SqlText("update t_bjgmd set sjxh='") + newNumber + "',bz='" + remark + "' where kcxh='" + course + "' ");
    dialogs.message(QStringLiteral("更新成功"));

    openOn(dm.ADOQuery31, "select * from t_kscs  ");
    if (dm.ADOQuery31.RecordCount() > 0)
        adjustPlacement(oldNumber, newNumber);

    openOn(dm.ADOQuery18, "select kcxh,kcdm,kcmc,skjs,kkyx FROM nonsjxh  ");
    Label15->setText(QString::number(dm.ADOQuery18.RecordCount()));
}

// After scheduling, the course's new paper must have a period.
void TForm7::adjustPlacement(const QString& oldNumber, const QString& newNumber)
{
    // Same paper as before (the database compares without case): its
    // placement is already right, and deleting it would unplace the paper.
    if (newNumber.compare(oldNumber.trimmed(), Qt::CaseInsensitive) == 0)
        return;

    openOn(dm.ADOQuery31, SqlText("select * from t_kscs where sjxh='") + newNumber + "'  ");
    if (dm.ADOQuery31.RecordCount() > 0) {
        // The course joins a placed paper. The old paper keeps its placement
        // while other courses still sit it.
        openOn(dm.ADOQuery16, SqlText("select kcxh,xh FROM t_bjgmd where sjxh='") + oldNumber + "'    ");
        if (dm.ADOQuery16.RecordCount() == 0)
            executeOn(dm.ADOQuery30, SqlText("delete * from t_kscs where sjxh='") + oldNumber + "'");
    } else {
        openOn(dm.ADOQuery29, SqlText("select cc,sjxh from t_kscs where sjxh='") + oldNumber + "'  ");
        const QString period = dm.ADOQuery29.FieldByName(QStringLiteral("cc")).AsString().trimmed();
        // A paper without a known period stays unplaced rather than getting
        // a placement in an empty period.
        if (period.isEmpty()) {
            dialogs.message(QStringLiteral("原试卷序号 %1 没有排考场次，新试卷序号 %2 未安排场次。\n请清除排考后重新排考。")
                                .arg(oldNumber, newNumber));
            return;
        }
        executeOn(dm.ADOQuery30, SqlText("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('") + period + "','" + newNumber + "','"
                                     + newNumber + "',0  )    ");
    }
    dialogs.message(QStringLiteral("指定成功!!!"));
}

void TForm7::Button3Click()
{
    dm.ADOQuery15.Close();
    dm.ADOQuery16.Close();
    dm.ADOQuery17.Close();
    dm.ADOQuery18.Close();
    Label3->clear();
    Label5->clear();
    Label7->clear();
    Label11->clear();
    close();
}

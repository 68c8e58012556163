#include "Unit4.h"

#include "ComboBox.h"
#include "DBGrid.h"
#include "DataModule.h"
#include "Guard.h"
#include "LabelledRows.h"
#include "periods/PeriodChange.h"
#include "rooms/RoomAssignment.h"
#include "rooms/Seating.h"
#include "RoomChoice.h"
#include "SlotSteps.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text = {})
{
    return named(new QLabel(text, parent), name);
}

// Periods are numbered 1, 2, 3 ... by scheduling; any other text would make
// a period that sorts, groups and prints apart from the real ones.
bool isPeriodNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[1-9][0-9]*$"));
    return number.match(text).hasMatch();
}

} // namespace

TForm4::TForm4(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form4"), QStringLiteral("Form4"), parent), dm(dm)
{
    Label1 = label(this, "Label1", QStringLiteral("第"));
    ComboBox1 = named(new ComboBox(this), "ComboBox1");
    Label2 = label(this, "Label2", QStringLiteral("场"));
    Button3 = named(new QPushButton(QStringLiteral("更换场次"), this), "Button3");
    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    Label3 = label(this, "Label3", QStringLiteral("总共："));
    Label4 = label(this, "Label4");
    Label5 = label(this, "Label5", QStringLiteral("门课程"));
    DBGrid2 = named(new DBGrid(this), "DBGrid2");

    GroupBox1 = named(new QGroupBox(QStringLiteral("指定教室"), this), "GroupBox1");
    Label6 = label(GroupBox1, "Label6", QStringLiteral("考试场次："));
    Label7 = label(GroupBox1, "Label7");
    Label8 = label(GroupBox1, "Label8", QStringLiteral("试卷序号："));
    Label9 = label(GroupBox1, "Label9");
    Label24 = label(GroupBox1, "Label24", QStringLiteral("课程序号："));
    Label25 = label(GroupBox1, "Label25");
    Label10 = label(GroupBox1, "Label10", QStringLiteral("缓补考人数："));
    Label11 = label(GroupBox1, "Label11");
    Label12 = label(GroupBox1, "Label12", QStringLiteral("备注："));
    Label13 = label(GroupBox1, "Label13");
    Label14 = label(GroupBox1, "Label14", QStringLiteral("教室选择："));
    ComboBox2 = named(new ComboBox(GroupBox1), "ComboBox2");
    Label15 = label(GroupBox1, "Label15", QStringLiteral("教室容纳人数："));
    Label16 = label(GroupBox1, "Label16");
    Button1 = named(new QPushButton(QStringLiteral("确定"), GroupBox1), "Button1");

    GroupBox2 = named(new QGroupBox(QStringLiteral("更换场次"), this), "GroupBox2");
    Label17 = label(GroupBox2, "Label17", QStringLiteral("考试场次："));
    Label18 = label(GroupBox2, "Label18");
    Label19 = label(GroupBox2, "Label19", QStringLiteral("试卷序号："));
    Label20 = label(GroupBox2, "Label20");
    Label21 = label(GroupBox2, "Label21", QStringLiteral("缓补考人数："));
    Label22 = label(GroupBox2, "Label22");
    Label23 = label(GroupBox2, "Label23", QStringLiteral("更换场次："));
    Edit1 = named(new QLineEdit(GroupBox2), "Edit1");
    Button4 = named(new QPushButton(QStringLiteral("确定"), GroupBox2), "Button4");

    Button5 = named(new QPushButton(QStringLiteral("刷新"), this), "Button5");
    Button2 = named(new QPushButton(QStringLiteral("退出"), this), "Button2");
    autoAssignRoomsButton = named(new QPushButton(QStringLiteral("自动分配教室"), this), "autoAssignRoomsButton");
    seatsButton = named(new QPushButton(QStringLiteral("编排座位"), this), "seatsButton");
    setExitButton(Button2);

    DBGrid1->setDataSource(dm.DataSource3);
    DBGrid1->setColumns({{QStringLiteral("试卷序号"), {}}, {QStringLiteral("课程序号"), {}}, {QStringLiteral("课程名称"), {}},
        {QStringLiteral("授课教师"), {}}, {QStringLiteral("课程序号缓补考人数"), {}}, {QStringLiteral("缓补考人数"), {}},
        {QStringLiteral("指定教室"), {}}, {QStringLiteral("备注"), {}}});
    DBGrid2->setDataSource(dm.DataSource4);
    DBGrid2->setColumns({{QStringLiteral("教室"), {}}, {QStringLiteral("考试人数"), {}}});
    layOut();

    connect(ComboBox1, &ComboBox::Change, this, guarded(dialogs, [this] { ComboBox1Change(); }));
    connect(DBGrid1, &DBGrid::CellClick, this, guarded(dialogs, [this] { DBGrid1CellClick(); }));
    connect(ComboBox2, &ComboBox::Change, this, guarded(dialogs, [this] { ComboBox2Change(); }));
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded(dialogs, [this] { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, guarded(dialogs, [this] { Button4Click(); }));
    connect(Button5, &QPushButton::clicked, this, guarded(dialogs, [this] { Button5Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
    connect(autoAssignRoomsButton, &QPushButton::clicked, this, guarded(dialogs, [this] { autoAssignRoomsClick(); }));
    connect(seatsButton, &QPushButton::clicked, this, guarded(dialogs, [this] { seatsClick(); }));
}

void TForm4::layOut()
{
    // The room totals and the capacity are there to be compared by eye.
    QPalette red = DBGrid2->palette();
    red.setColor(QPalette::Text, Qt::red);
    DBGrid2->setPalette(red);
    QPalette redLabel = Label16->palette();
    redLabel.setColor(QPalette::WindowText, Qt::red);
    Label16->setPalette(redLabel);
    QFont large = Label16->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    Label16->setFont(large);

    // Eight columns with long titles: each as wide as what it shows.
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* period = new QHBoxLayout;
    period->addWidget(Label1);
    period->addWidget(ComboBox1);
    period->addWidget(Label2);
    period->addSpacing(12);
    period->addWidget(Button3);
    period->addWidget(autoAssignRoomsButton);
    period->addWidget(seatsButton);
    period->addStretch();
    auto* count = new QHBoxLayout;
    count->addWidget(Label3);
    count->addWidget(Label4);
    count->addWidget(Label5);
    count->addStretch();
    auto* lists = new QVBoxLayout;
    lists->addLayout(period);
    lists->addWidget(DBGrid1, 3);
    lists->addLayout(count);
    lists->addWidget(DBGrid2, 1);

    labelledRows(GroupBox1, {{Label6, Label7}, {Label8, Label9}, {Label24, Label25}, {Label10, Label11}, {Label12, Label13},
        {Label14, ComboBox2}, {Label15, Label16}}, Button1);
    labelledRows(GroupBox2, {{Label17, Label18}, {Label19, Label20}, {Label21, Label22}, {Label23, Edit1}}, Button4);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button5);
    buttons->addWidget(Button2);
    auto* side = new QVBoxLayout;
    side->addWidget(GroupBox1);
    side->addWidget(GroupBox2);
    side->addStretch();
    side->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(side);
    resize(1100, 600);
}

void TForm4::openPeriodList()
{
    openOn(dm.ADOQuery6, "select cc from t_cc   ");
}

void TForm4::openPeriodView(const char* tail)
{
    openOn(dm.ADOQuery3, SqlText("select t_kscs.sjxh as 试卷序号,kcmc.kcxh as 课程序号,kcmc as 课程名称, skjs as 授课教师,Num1 as 课程序号缓补考人数,Num as 缓补考人数,jsm as 指定教室,bz as 备注 from ksap where t_kscs.cc='") + ComboBox1->currentText() + tail);
}

void TForm4::openRoomTotals(const char* tail)
{
    openOn(dm.ADOQuery4, SqlText("select jsm as 教室,sum(Num1) as 考试人数 from ksap where t_kscs.cc='") + ComboBox1->currentText() + tail);
}

void TForm4::openPlacementOverview()
{
    openOn(dm.ADOQuery3, "select t_kscs.cc as 考试场次,t_kscs.sjxh as 试卷序号,Num as 缓补考人数,jsm as 指定教室,bz as 备注 from ksap order by Num");
}

void TForm4::FormShow()
{
    ComboBox1->clearEditText();
    ComboBox1->setItems({});
    openPeriodList();
    if (dm.ADOQuery6.RecordCount() > 0)
        ComboBox1->setItems(trimmedValues(dm.ADOQuery6, QStringLiteral("cc")));
    openPlacementOverview();
    DBGrid1->setEnabled(false);
    Button1->setEnabled(false);
    if (!openingPeriod.isEmpty()) {
        ComboBox1->setEnabled(true);
        ComboBox1->setEditText(openingPeriod);
        ComboBox1Change();
    }
}

void TForm4::execOnPeriod(const QString& period)
{
    openingPeriod = period;
    exec();
    openingPeriod.clear();
}

void TForm4::ComboBox1Change()
{
    DBGrid1->setEnabled(true);
    Button3->setEnabled(true);
    openPeriodView("'order by jsm desc,Num desc,t_kscs.sjxh asc ");
    Label4->setText(QString::number(dm.ADOQuery3.RecordCount()));
    ComboBox1->setEnabled(false);
    Button1->setEnabled(true);
    openRoomTotals("'group by jsm ");
    openRoomList(dm, *ComboBox2);
}

void TForm4::DBGrid1CellClick()
{
    Label7->setText(ComboBox1->currentText());
    Label18->setText(ComboBox1->currentText());
    Label9->setText(DBGrid1->cellText(0));
    Label20->setText(DBGrid1->cellText(0));
    Label25->setText(DBGrid1->cellText(1));
    Label11->setText(DBGrid1->cellText(5));
    Label22->setText(DBGrid1->cellText(5));
    Label13->setText(DBGrid1->cellText(7));
}

void TForm4::ComboBox2Change()
{
    openOn(dm.ADOQuery7, SqlText("select rnrs from t_js where t_js.jsm='") + ComboBox2->currentText() + "' ");
    Label16->setText(dm.ADOQuery7.FieldByName("rnrs").AsString());
}

void TForm4::Button1Click()
{
    assignRoom(dm, dialogs, ComboBox2->currentText(), Label9->text());
    openPeriodView("'order by jsm desc,Num desc,t_kscs.sjxh asc");
    openRoomTotals("'group by jsm order by jsm ");
}

void TForm4::Button3Click()
{
    ComboBox1->setEnabled(true);
    Button3->setEnabled(false);
}

void TForm4::Button4Click()
{
    const QString target = Edit1->text();
    // Without a clicked row nothing would move, yet a period would be made
    // and success reported.
    if (Label9->text().isEmpty()) {
        dialogs.message(QStringLiteral("请先在列表中选择试卷"));
        return;
    }
    if (!isPeriodNumber(target)) {
        dialogs.message(QStringLiteral("更换场次“%1”不是场次号，请输入 1、2、3 这样的数字").arg(target));
        return;
    }
    const PeriodChange change = changePaperPeriod(dm, Label20->text(), target);
    if (!change.refusal.isEmpty()) {
        dialogs.message(change.refusal);
        return;
    }
    QString done = QStringLiteral("更换成功");
    // A new period has no exam time, and the printing lists rooms by time:
    // its candidates would be left off every list without a word.
    if (change.newPeriod)
        done += QStringLiteral("\n第 %1 场是新场次，还没有考试时间：请在“5.指定时间”中给它指定时间，"
                               "否则这一场的考生不会被打印。")
                    .arg(target.trimmed());
    if (!change.roomCleared.isEmpty())
        done += QStringLiteral("\n教室 %1 在第 %2 场容纳不下这份试卷，已取消，请重新指定教室。").arg(change.roomCleared, target.trimmed());
    dialogs.message(done);
}

void TForm4::Button5Click()
{
    openPeriodView("'order by jsm desc,Num desc,t_kscs.sjxh asc ");
    Label4->setText(QString::number(dm.ADOQuery3.RecordCount()));
    openRoomTotals("'group by jsm order by jsm ");
    openPeriodList();
    ComboBox1->setItems(trimmedValues(dm.ADOQuery6, QStringLiteral("cc")));
}

void TForm4::Button2Click()
{
    dm.ADOQuery3.Close();
    dm.ADOQuery4.Close();
    close();
}

void TForm4::autoAssignRoomsClick()
{
    std::optional<QString> period;
    if (!ComboBox1->currentText().trimmed().isEmpty())
        period = ComboBox1->currentText();
    else if (!dialogs.confirm(QStringLiteral("没有选择场次，是否为所有场次自动分配教室？")))
        return;
    const RoomAssignmentRun plan = planRooms(dm, period);
    if (plan.writesNothing()) {
        dialogs.message(roomAssignmentReport(plan));
        return;
    }
    if (!dialogs.confirmLong(roomAssignmentReport(plan) + QStringLiteral("\n是否按此方案分配？"), true))
        return;
    if (const QString fault = applyRoomPlan(dm, plan); !fault.isEmpty()) {
        dialogs.message(fault);
        return;
    }
    if (period) {
        openPeriodView("'order by jsm desc,Num desc,t_kscs.sjxh asc ");
        Label4->setText(QString::number(dm.ADOQuery3.RecordCount()));
        openRoomTotals("'group by jsm order by jsm ");
    } else {
        openPlacementOverview();
    }
}

void TForm4::seatsClick()
{
    // The chosen period's sitting (with the periods that share its time), or
    // the whole term; rooms that already have their seats keep them.
    const QString period = ComboBox1->currentText().trimmed();
    QString time;
    for (const SeatingTime& t : seatingTimes(dm))
        if (t.periods.contains(period))
            time = t.text;
    if (time.isEmpty() && !period.isEmpty()) {
        dialogs.message(QStringLiteral("第%1场还没有安排了教室的考生。").arg(period));
        return;
    }
    dialogs.message(seatingReport(arrangeSeats(dm, SeatingTerms{}, time)));
}

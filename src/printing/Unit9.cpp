#include "Unit9.h"

#include "ComboBox.h"
#include "DBGrid.h"
#include "EmptyListText.h"
#include "Guard.h"
#include "RoomPrinting.h"
#include "overview/Shortfalls.h"
#include "SlotSteps.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

ComboBox* choiceBox(const QString& text, QWidget* parent)
{
    auto* box = new ComboBox(parent);
    box->setMinimumContentsLength(22);
    box->setEditText(text);
    return box;
}

} // namespace

TForm9::TForm9(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form9"), QStringLiteral("Form9"), parent), dm(dm),
      ADODataSet1(dm.ADOConnection1, QStringLiteral("ADODataSet1"))
{
    GroupBox1 = named(new QGroupBox(QStringLiteral("GroupBox1"), this), "GroupBox1");
    Label1 = named(new QLabel(QStringLiteral("考试时间："), GroupBox1), "Label1");
    ComboBox1 = named(choiceBox(QStringLiteral("ComboBox1"), GroupBox1), "ComboBox1");
    Label2 = named(new QLabel(QStringLiteral("教室："), GroupBox1), "Label2");
    ComboBox2 = named(choiceBox(QStringLiteral("ComboBox2"), GroupBox1), "ComboBox2");
    Panel1 = named(new QFrame(this), "Panel1");
    DBGrid1 = named(new DBGrid(Panel1), "DBGrid1");
    Label3 = named(new QLabel(QStringLiteral("总共："), Panel1), "Label3");
    Label4 = named(new QLabel(QStringLiteral("Label4"), Panel1), "Label4");
    Button1 = named(new QPushButton(QStringLiteral("打印"), Panel1), "Button1");
    Button2 = named(new QPushButton(QStringLiteral("退出"), Panel1), "Button2");
    setExitButton(Button2);
    Button1->setDefault(true);

    DBGrid1->setDataSource(dm.DataSource25);
    DBGrid1->setColumns({{"sjxh", QStringLiteral("试卷序号")}, {"kcxh", QStringLiteral("课程序号")},
                         {"xh", QStringLiteral("学号")}, {"xm", QStringLiteral("姓名")},
                         {"kcdm", QStringLiteral("课程代码")}, {"kcmc", QStringLiteral("课程名称")},
                         {"skjs", QStringLiteral("授课教师")}, {"kkyx", QStringLiteral("开课院系")},
                         {"bz", QStringLiteral("备注")}, {"hbk", QStringLiteral("缓补考")},
                         {"jsm", QStringLiteral("教室")}, {"kssj", QStringLiteral("考试时间")}});

    printAllButton = named(new QPushButton(QStringLiteral("全部打印"), Panel1), "printAllButton");
    printAllButton->setToolTip(QStringLiteral("把所选考试时间的每个考场（考试时间为空时为全部考试时间）打印在一次作业中"));

    auto* choices = new QHBoxLayout(GroupBox1);
    choices->addWidget(Label1);
    choices->addWidget(ComboBox1);
    choices->addSpacing(24);
    choices->addWidget(Label2);
    choices->addWidget(ComboBox2);
    choices->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label3);
    bottom->addWidget(Label4);
    bottom->addStretch();
    bottom->addWidget(Button1);
    bottom->addWidget(printAllButton);
    bottom->addWidget(Button2);
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addWidget(DBGrid1, 1);
    panel->addLayout(bottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(Panel1, 1);
    resize(960, 600);

    // Every change of a box's text counts, typed or chosen; filling a box
    // is the program's doing and runs no handler.
    connect(ComboBox1, &QComboBox::editTextChanged, this, guarded(dialogs, [this] { ComboBox1Change(); }));
    connect(ComboBox2, &QComboBox::editTextChanged, this, guarded(dialogs, [this] { ComboBox2Change(); }));
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
    connect(printAllButton, &QPushButton::clicked, this, guarded(dialogs, [this] { printAllButtonClick(); }));
}

void TForm9::FormShow()
{
    openOn(dm.ADOQuery23, "select kssj from t_cc order by kssj     ");
    if (dm.ADOQuery23.RecordCount() > 0)
        ComboBox1->refill(trimmedValues(dm.ADOQuery23, QStringLiteral("kssj")));
    // Periods without a time print nothing; say where times are given.
    const bool timed = !trimmedValues(dm.ADOQuery23, QStringLiteral("kssj")).join(QString()).isEmpty();
    setEmptyListText(DBGrid1, timed ? QStringLiteral("请选择考试时间和考场")
                                    : QStringLiteral("还没有考试时间：请先在“5.指定时间”中给各场次指定考试时间"));
}

void TForm9::ComboBox1Change()
{
    openOn(dm.ADOQuery24, SqlText("SELECT distinct jsm FROM hbkap where kssj='") + ComboBox1->currentText() + "' ");
    if (dm.ADOQuery24.RecordCount() > 0)
        ComboBox2->refill(trimmedValues(dm.ADOQuery24, QStringLiteral("jsm")));
}

void TForm9::ComboBox2Change()
{
    listRoom(dm.ADOQuery25, ComboBox1->currentText(), ComboBox2->currentText());
    Label4->setText(QString::number(dm.ADOQuery25.RecordCount()));
    copyToPrintTable(dm.ADOConnection1, dm.ADOQuery25, dm.ADOQuery20);
}

void TForm9::Button1Click()
{
    printLastList(printSetup(), ADODataSet1);
}

void TForm9::printAllButtonClick()
{
    // Without a time the job holds every room of the whole term.
    if (ComboBox1->currentText().trimmed().isEmpty()
        && !dialogs.confirm(QStringLiteral("没有选择考试时间，将打印所有考试时间的全部考场。是否继续？")))
        return;
    if (!dialogs.confirmIfAny(readShortfalls(dm.ADOQuery22, ComboBox1->currentText()).question(QStringLiteral("打印"), RoomlessCandidates::Left)))
        return;
    // The grid and the count follow the copies, ending with the last room.
    if (printEveryRoom(printSetup(), ComboBox1->currentText(), dm.ADOQuery25, dm.ADOQuery20, ADODataSet1) > 0)
        Label4->setText(QString::number(dm.ADOQuery25.RecordCount()));
}

PrintSetup TForm9::printSetup()
{
    return PrintSetup{dm, dialogs, RvSystem1, presetOutput, this};
}

void TForm9::Button2Click()
{
    close();
}

#include "Unit15.h"

#include "ComboBox.h"
#include "DBGrid.h"
#include "DataModule.h"
#include "Guard.h"
#include "LabelledRows.h"
#include "RoomChoice.h"
#include "SlotSteps.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TForm15::TForm15(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form15"), QStringLiteral("拆分课程编排教室"), parent), dm(dm)
{
    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    GroupBox1 = named(new QGroupBox(QStringLiteral("GroupBox1"), this), "GroupBox1");
    Label1 = named(new QLabel(QStringLiteral("场次："), GroupBox1), "Label1");
    Label2 = named(new QLabel(GroupBox1), "Label2");
    Label3 = named(new QLabel(QStringLiteral("试卷序号："), GroupBox1), "Label3");
    Label4 = named(new QLabel(GroupBox1), "Label4");
    Label5 = named(new QLabel(QStringLiteral("缓补考人数："), GroupBox1), "Label5");
    Label6 = named(new QLabel(GroupBox1), "Label6");
    Label7 = named(new QLabel(QStringLiteral("更换教室："), GroupBox1), "Label7");
    ComboBox1 = named(new ComboBox(GroupBox1), "ComboBox1");
    Button3 = named(new QPushButton(QStringLiteral("更改"), GroupBox1), "Button3");
    Button1 = named(new QPushButton(QStringLiteral("退出"), this), "Button1");
    setExitButton(Button1);
    Button3->setDefault(true);

    DBGrid1->setDataSource(dm.DataSource33);
    DBGrid1->setColumns({{QStringLiteral("场次"), {}}, {QStringLiteral("试卷序号"), {}}, {QStringLiteral("缓补考人数"), {}},
        {QStringLiteral("备注"), {}}, {QStringLiteral("教室"), {}}});

    labelledRows(GroupBox1, {{Label1, Label2}, {Label3, Label4}, {Label5, Label6}, {Label7, ComboBox1}}, Button3);
    auto* side = new QVBoxLayout;
    side->addWidget(GroupBox1);
    side->addStretch();
    side->addWidget(Button1, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(side);
    resize(760, 440);

    connect(DBGrid1, &DBGrid::CellClick, this, guarded(dialogs, [this] { DBGrid1CellClick(); }));
    connect(Button3, &QPushButton::clicked, this, guarded(dialogs, [this] { Button3Click(); }));
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
}

void TForm15::openUnassignedList()
{
    openOn(dm.ADOQuery33, "select t_kscs.cc as 场次,t_kscs.sjxh as 试卷序号,Num as 缓补考人数,bz as 备注,jsm as 教室 from ksap where t_kscs.jsid=0 order by t_kscs.cc,jsm,t_kscs.sjxh");
}

void TForm15::FormShow()
{
    openUnassignedList();
    openRoomList(dm, *ComboBox1);
}

void TForm15::DBGrid1CellClick()
{
    Label2->setText(DBGrid1->cellText(0));
    Label4->setText(DBGrid1->cellText(1));
    Label6->setText(DBGrid1->cellText(2));
}

void TForm15::Button3Click()
{
    if (assignRoom(dm, dialogs, ComboBox1->currentText(), Label4->text()))
        openUnassignedList();
}

void TForm15::Button1Click()
{
    close();
}

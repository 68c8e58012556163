#include "Unit14.h"

#include "DBGrid.h"
#include "DataModule.h"
#include "EmptyListText.h"
#include "Guard.h"
#include "LabelledRows.h"
#include "SlotSteps.h"
#include "Unit15.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm14::TForm14(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form14"), QStringLiteral("考场拆分"), parent), dm(dm)
{
    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    Label2 = named(new QLabel(QStringLiteral("总共："), this), "Label2");
    Label1 = named(new QLabel(this), "Label1");
    GroupBox1 = named(new QGroupBox(QStringLiteral("GroupBox1"), this), "GroupBox1");
    Label3 = named(new QLabel(QStringLiteral("试卷序号1："), GroupBox1), "Label3");
    Label4 = named(new QLabel(GroupBox1), "Label4");
    Label5 = named(new QLabel(QStringLiteral("课程序号："), GroupBox1), "Label5");
    Label6 = named(new QLabel(GroupBox1), "Label6");
    Label7 = named(new QLabel(QStringLiteral("该课程缓补考人数："), GroupBox1), "Label7");
    Label8 = named(new QLabel(GroupBox1), "Label8");
    Label9 = named(new QLabel(QStringLiteral("更换试卷序号："), GroupBox1), "Label9");
    Edit1 = named(new QLineEdit(GroupBox1), "Edit1");
    Button1 = named(new QPushButton(QStringLiteral("确定"), GroupBox1), "Button1");
    Button3 = named(new QPushButton(QStringLiteral("刷新"), this), "Button3");
    Button4 = named(new QPushButton(QStringLiteral("拆分课程后编排教室"), this), "Button4");
    Button2 = named(new QPushButton(QStringLiteral("退出"), this), "Button2");
    setExitButton(Button2);
    Button1->setDefault(true);

    DBGrid1->setDataSource(dm.DataSource26);
    setEmptyListText(DBGrid1, QStringLiteral("没有几门课程合用的试卷：每份试卷只考一门课程，无需拆分"));
    DBGrid1->setColumns({{QStringLiteral("试卷序号"), {}}, {QStringLiteral("课程序号"), {}},
        {QStringLiteral("该课程缓补考人数"), {}}, {QStringLiteral("总缓补考人数"), {}}});

    labelledRows(GroupBox1, {{Label3, Label4}, {Label5, Label6}, {Label7, Label8}, {Label9, Edit1}}, Button1);
    auto* count = new QHBoxLayout;
    count->addWidget(Label2);
    count->addWidget(Label1);
    count->addStretch();
    auto* list = new QVBoxLayout;
    list->addWidget(DBGrid1, 1);
    list->addLayout(count);
    auto* side = new QVBoxLayout;
    side->addWidget(GroupBox1);
    side->addWidget(Button4);
    side->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button3);
    buttons->addWidget(Button2);
    side->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(list, 1);
    layout->addLayout(side);
    resize(760, 460);

    connect(DBGrid1, &DBGrid::CellClick, this, guarded(dialogs, [this] { DBGrid1CellClick(); }));
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded(dialogs, [this] { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, guarded(dialogs, [this] { Button4Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
}

void TForm14::openCourseList(const char* statement)
{
    openOn(dm.ADOQuery26, statement);
    Label1->setText(QString::number(dm.ADOQuery26.RecordCount()));
}

void TForm14::FormShow()
{
    openCourseList("select sjxh as 试卷序号,kcxh as 课程序号,Num1 as 该课程缓补考人数,Num as 总缓补考人数 from 考场拆分 order by Num desc,sjxh ");
}

void TForm14::Button3Click()
{
    openCourseList("select sjxh as 试卷序号,kcxh as 课程序号,Num1 as 该课程缓补考人数,Num as 总缓补考人数 from 考场拆分 order by Num desc,sjxh");
}

void TForm14::DBGrid1CellClick()
{
    Label4->setText(DBGrid1->cellText(0));
    Label6->setText(DBGrid1->cellText(1));
    Label8->setText(DBGrid1->cellText(2));
    Edit1->setText(DBGrid1->cellText(0));
}

void TForm14::Button1Click()
{
    // Blanks around a paper number would tie the course to a number that no
    // placement has, so the number is used without them throughout.
    const QString number = Edit1->text().trimmed();
    const QString course = Label6->text();
    const QString source = Label4->text();
    // Without a clicked row the renumbering would take every roster row
    // that has no course number.
    if (course.isEmpty()) {
        dialogs.message(QStringLiteral("请先在列表中选择课程"));
        return;
    }
    // An empty number would take the course's candidates out of every paper.
    if (number.isEmpty()) {
        dialogs.message(QStringLiteral("请输入更换试卷序号"));
        return;
    }

    // Everything that decides the split is read before the roster changes,
    // so that a refused split leaves nothing half done.
    openOn(dm.ADOQuery31, SqlText("select * from t_kscs where sjxh='") + number + "'  ");
    const bool newPaper = dm.ADOQuery31.RecordCount() == 0;
    QString period;
    if (newPaper) {
        openOn(dm.ADOQuery29, SqlText("select cc,sjxh from t_kscs where sjxh='") + source + "'  ");
        period = dm.ADOQuery29.FieldByName("cc").AsString().trimmed();
        // A placement without a period would be seated nowhere.
        if (period.isEmpty()) {
            dialogs.message(QStringLiteral("试卷序号“%1”还没有安排考试场次，不能拆分，请先排考").arg(source));
            return;
        }
    }

    executeOn(dm.ADOQuery28, SqlText("update t_bjgmd set sjxh='") + number + "'  where kcxh='" + course + "'   ");
    if (newPaper) {
        executeOn(dm.ADOQuery30, SqlText("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('") + period + "','" + number + "','" + source + "',0  )    ");
    }
    dialogs.message(QStringLiteral("更新成功"));
}

void TForm14::Button4Click()
{
    if (Form15)
        Form15->exec();
}

void TForm14::Button2Click()
{
    dm.ADOQuery26.Close();
    close();
}

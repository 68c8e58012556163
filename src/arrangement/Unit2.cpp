#include "Unit2.h"

#include "DBGrid.h"
#include "Guard.h"
#include "Scheduling.h"
#include "SlotSteps.h"
#include "StatusProgress.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TForm2::TForm2(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form2"), QStringLiteral("Form2"), parent), dm(dm)
{
    GroupBox1 = named(new QGroupBox(QStringLiteral("排考前请先进行数据校验"), this), "GroupBox1");
    Button4 = named(new QPushButton(QStringLiteral("数据校验"), GroupBox1), "Button4");
    DBGrid2 = named(new DBGrid(GroupBox1), "DBGrid2");
    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    Label2 = named(new QLabel(QStringLiteral("总共："), this), "Label2");
    Label1 = named(new QLabel(this), "Label1");
    Label3 = named(new QLabel(QStringLiteral("份试卷"), this), "Label3");
    Label4 = named(new QLabel(QStringLiteral("总共："), this), "Label4");
    Label5 = named(new QLabel(this), "Label5");
    Label6 = named(new QLabel(QStringLiteral("场次"), this), "Label6");
    Button1 = named(new QPushButton(QStringLiteral("开始排考"), this), "Button1");
    Button3 = named(new QPushButton(QStringLiteral("清除排考"), this), "Button3");
    Button2 = named(new QPushButton(QStringLiteral("退出"), this), "Button2");
    setExitButton(Button2);
    StatusBar1 = new StatusProgress(QStringLiteral("Progress"), this);
    ProgressBar1 = StatusBar1->ProgressBar1();


    DBGrid2->setDataSource(dm.DataSource30);
    DBGrid2->setColumns({{QStringLiteral("sjxh"), QStringLiteral("试卷序号")},
                         {QStringLiteral("xh"), QStringLiteral("学号")},
                         {QStringLiteral("Num"), QStringLiteral("次数")}});
    DBGrid1->setDataSource(dm.DataSource1);
    DBGrid1->setColumns({{QStringLiteral("试卷序号"), {}}, {QStringLiteral("缓补考人数"), {}}});

    auto* validation = new QVBoxLayout(GroupBox1);
    validation->addWidget(Button4, 0, Qt::AlignLeft);
    validation->addWidget(DBGrid2);
    auto* grids = new QHBoxLayout;
    grids->addWidget(GroupBox1, 1);
    grids->addWidget(DBGrid1, 1);
    auto* counts = new QHBoxLayout;
    for (QWidget* w : {Label2, Label1, Label3})
        counts->addWidget(w);
    counts->addSpacing(24);
    for (QWidget* w : {Label4, Label5, Label6})
        counts->addWidget(w);
    counts->addStretch();
    for (QWidget* w : {Button1, Button3, Button2})
        counts->addWidget(w);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grids, 1);
    layout->addLayout(counts);
    layout->addWidget(StatusBar1);
    resize(720, 460);

    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded(dialogs, [this] { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, guarded(dialogs, [this] { Button4Click(); }));
}

void TForm2::setScheduled(bool scheduled)
{
    Button1->setEnabled(!scheduled);
    Button3->setEnabled(scheduled);
}

void TForm2::FormShow()
{
    openOn(dm.ADOQuery16, "select distinct cc from t_kscs  ");
    Label5->setText(QString::number(dm.ADOQuery16.RecordCount()));
    openOn(dm.ADOQuery17, "select sjxh from t_kscs  ");
    Label1->setText(QString::number(dm.ADOQuery17.RecordCount()));
    setScheduled(dm.ADOQuery17.RecordCount() != 0);
}

void TForm2::Button1Click()
{
    if (!dialogs.confirm(QStringLiteral("是否开始排考？ ")))
        return;
    const SchedulingRun run = schedulePapers(dm, [this](int placed, int total) {
        if (placed == 0) {
            // A range of 0..0 would turn the bar into a busy indicator.
            ProgressBar1->setRange(0, qMax(total, 1));
            ProgressBar1->setValue(0);
            return;
        }
        ProgressBar1->setValue(placed);
        dialogs.pause(25);
    });
    ProgressBar1->setValue(0);
    if (run.refused) {
        dialogs.message(refusalText(run.duplicate));
        return;
    }
    Label1->setText(QString::number(run.papers));
    Label5->setText(QString::number(run.periods));
    dialogs.message(QStringLiteral("处理完毕"));
    setScheduled(true);
}

void TForm2::Button4Click()
{
    openOn(dm.ADOQuery30, "select * FROM jyt_bjgmd");
    dialogs.message(dm.ADOQuery30.RecordCount() == 0 ? QStringLiteral("数据校验通过，可以排考")
                                                     : QStringLiteral("有重复数据，请删除"));
}

void TForm2::Button3Click()
{
    if (!dialogs.confirm(QStringLiteral("是否清空？ ")))
        return;
    executeOn(dm.ADOQuery1, "delete * from t_kscs   ");
    Label1->clear();
    Label5->clear();
    executeOn(dm.ADOQuery20, "delete * from t_cc ");
    dialogs.message(QStringLiteral("删除完毕"));
    setScheduled(false);
}

void TForm2::Button2Click()
{
    dm.ADOQuery1.Close();
    close();
}

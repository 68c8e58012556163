#include "Unit2.h"

#include "DBGrid.h"
#include "DataModule.h"
#include "Guard.h"
#include "periods/Scheduling.h"
#include "SlotSteps.h"
#include "StatusProgress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace {

QString timesFirstText()
{
    return QStringLiteral("已有场次指定了考试时间，请先清除考试时间再减少场次。");
}

} // namespace

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
    reducePeriodsButton = named(new QPushButton(QStringLiteral("减少场次"), this), "reducePeriodsButton");
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
    for (QWidget* w : {Button1, Button3, reducePeriodsButton, Button2})
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
    connect(reducePeriodsButton, &QPushButton::clicked, this, guarded(dialogs, [this] { reducePeriodsClick(); }));
}

void TForm2::setScheduled(bool scheduled)
{
    Button1->setEnabled(!scheduled);
    Button3->setEnabled(scheduled);
    // Times belong to periods: once one is given, renumbering the periods
    // would put papers under another paper's time.
    const bool timed = scheduled && periodsHaveTimes(dm);
    reducePeriodsButton->setEnabled(scheduled && !timed);
    reducePeriodsButton->setToolTip(timed ? timesFirstText() : QStringLiteral("用更少的场次重新安排已排的试卷"));
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
        dialogs.pause(stepPauseMilliseconds);
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

void TForm2::reducePeriodsClick()
{
    if (reducing) {
        stopRequested = true;
        return;
    }
    if (periodsHaveTimes(dm)) {
        dialogs.message(timesFirstText());
        return;
    }
    const PlacedPapers placed = readPlacedPapers(dm);
    const Colouring periods = searchWhileResponsive(placed);
    const int found = colourCount(periods);
    if (found >= placed.periods) {
        dialogs.message(QStringLiteral("未找到更少的场次，仍为 %1 场。").arg(placed.periods));
        return;
    }
    if (!dialogs.confirm(QStringLiteral("可将 %1 场减少为 %2 场，是否采用？").arg(placed.periods).arg(found)))
        return;
    const QString fault = writePeriods(dm, placed, periods);
    if (!fault.isEmpty()) {
        dialogs.message(fault);
        return;
    }
    Label5->setText(QString::number(found));
    dialogs.message(QStringLiteral("处理完毕"));
}

// Runs the search on this thread, letting the window take the stop (the same
// button, now "停止") and repaint meanwhile; every other control waits.
Colouring TForm2::searchWhileResponsive(const PlacedPapers& placed)
{
    const QList<QWidget*> others = {Button1, Button2, Button3, Button4};
    QList<bool> wasEnabled;
    for (QWidget* w : others) {
        wasEnabled.append(w->isEnabled());
        w->setEnabled(false);
    }
    reducing = true;
    stopRequested = false;
    reducePeriodsButton->setText(QStringLiteral("停止"));
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    const auto restore = qScopeGuard([&] {
        reducing = false;
        reducePeriodsButton->setText(QStringLiteral("减少场次"));
        StatusBar1->clearMessage();
        for (int i = 0; i < others.size(); ++i)
            others[i]->setEnabled(wasEnabled[i]);
    });
    return searchFewerPeriods(
        placed, reductionLimits,
        [this, &placed](int periods) {
            StatusBar1->showMessage(QStringLiteral("原有 %1 场，当前最少 %2 场").arg(placed.periods).arg(periods));
        },
        [this, &sinceEvents] {
            if (sinceEvents.elapsed() >= 50) {
                QCoreApplication::processEvents();
                sinceEvents.restart();
            }
            return stopRequested;
        });
}

// Closing the window or Esc while the search runs stops the search instead.
void TForm2::reject()
{
    if (reducing) {
        stopRequested = true;
        return;
    }
    Form::reject();
}

void TForm2::Button2Click()
{
    dm.ADOQuery1.Close();
    close();
}

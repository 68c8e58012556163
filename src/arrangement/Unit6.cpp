#include "Unit6.h"

#include "ConflictListWindow.h"
#include "RulesWindow.h"
#include "DBGrid.h"
#include "DataModule.h"
#include "DbError.h"
#include "Guard.h"
#include "time/ExamTime.h"
#include "time/SameTime.h"
#include "SlotSteps.h"
#include "periods/SpreadAdoption.h"
#include "SpreadTimesDialog.h"
#include "SpreadsheetApp.h"
#include "overview/Shortfalls.h"
#include "overview/StudentTimetable.h"
#include "overview/TimeChoices.h"
#include "StudentTimetableSheet.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TForm6::TForm6(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form6"), QStringLiteral("Form6"), parent), dm(dm)
{
    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    GroupBox1 = named(new QGroupBox(QStringLiteral("GroupBox1"), this), "GroupBox1");
    Label1 = named(new QLabel(QStringLiteral("第"), GroupBox1), "Label1");
    Label2 = named(new QLabel(GroupBox1), "Label2");
    Label4 = named(new QLabel(QStringLiteral("场"), GroupBox1), "Label4");
    Label3 = named(new QLabel(QStringLiteral("指定时间："), GroupBox1), "Label3");
    Edit1 = named(new QLineEdit(GroupBox1), "Edit1");
    timeChoiceButton = named(new QToolButton(GroupBox1), "timeChoiceButton");
    timeChoiceButton->setText(QStringLiteral("选择"));
    timeChoiceButton->setToolTip(QStringLiteral("从本学期已有的考试日期和时段中选择"));
    timeChoiceButton->setPopupMode(QToolButton::InstantPopup);
    timeChoiceButton->setMenu(new QMenu(timeChoiceButton));
    Button1 = named(new QPushButton(QStringLiteral("修改"), GroupBox1), "Button1");
    Button2 = named(new QPushButton(QStringLiteral("退出"), this), "Button2");
    studentTimetableButton = named(new QPushButton(QStringLiteral("学生考试安排"), this), "studentTimetableButton");
    studentTimetableButton->setToolTip(QStringLiteral("把每个学生的考试时间和教室导出到 Excel 文件"));
    setExitButton(Button2);
    spreadTimesButton = named(new QPushButton(QStringLiteral("自动安排时间"), this), "spreadTimesButton");
    spreadTimesButton->setToolTip(QStringLiteral("按日期和每天的场次自动给各场次安排时间，让每个学生的考试尽量分散"));
    spreadTimesDialog = new SpreadTimesDialog(dialogs, this);
    rulesButton = named(new QPushButton(QStringLiteral("排考要求"), this), "rulesButton");
    rulesButton->setToolTip(QStringLiteral("固定时间、同堂、不同天、每天最多几场等要求，自动安排时间和修改时间都会遵守"));
    rulesWindow = new RulesWindow(dm, dialogs, this);
    conflictListButton = named(new QPushButton(QStringLiteral("考试冲突名单"), this), "conflictListButton");
    conflictListButton->setToolTip(QStringLiteral("连考两场、一天考两场及以上或超过每天场数的学生"));
    conflictListWindow = new ConflictListWindow(dm, dialogs, this);

    DBGrid1->setDataSource(dm.DataSource11);
    DBGrid1->setColumns({{QStringLiteral("考试场次"), {}}, {QStringLiteral("考试时间"), {}}});

    QFont large = Label2->font();
    large.setPointSizeF(large.pointSizeF() * 1.8);
    for (QLabel* part : {Label1, Label2, Label4})
        part->setFont(large);
    // The longest time the program writes fits whole.
    Edit1->setMinimumWidth(Edit1->fontMetrics().horizontalAdvance(QStringLiteral("2027-01-11 星期一 08:00-10:00")) + 24);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);

    auto* period = new QHBoxLayout;
    period->addWidget(Label1);
    period->addWidget(Label2);
    period->addWidget(Label4);
    period->addStretch();
    auto* time = new QHBoxLayout;
    time->addWidget(Label3);
    time->addWidget(Edit1, 1);
    time->addWidget(timeChoiceButton);
    auto* group = new QVBoxLayout(GroupBox1);
    group->addLayout(period);
    group->addLayout(time);
    group->addWidget(Button1, 0, Qt::AlignRight);
    auto* side = new QVBoxLayout;
    side->addWidget(GroupBox1);
    side->addWidget(spreadTimesButton);
    side->addWidget(rulesButton);
    side->addWidget(conflictListButton);
    side->addStretch();
    side->addWidget(studentTimetableButton, 0, Qt::AlignRight);
    side->addWidget(Button2, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(side);
    resize(720, 400);

    connect(timeChoiceButton->menu(), &QMenu::triggered, this, [this](QAction* chosen) { Edit1->setText(chosen->text()); });
    connect(DBGrid1, &DBGrid::CellClick, this, guarded(dialogs, [this] { DBGrid1CellClick(); }));
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
    connect(spreadTimesButton, &QPushButton::clicked, this, guarded(dialogs, [this] { spreadTimesClick(); }));
    connect(studentTimetableButton, &QPushButton::clicked, this, guarded(dialogs, [this] { studentTimetableClick(); }));
    connect(rulesButton, &QPushButton::clicked, this, guarded(dialogs, [this] { rulesClick(); }));
    connect(conflictListButton, &QPushButton::clicked, this, guarded(dialogs, [this] { conflictListClick(); }));
    connect(spreadTimesDialog, &SpreadTimesDialog::rulesWanted, this, guarded(dialogs, [this] {
        rulesClick();
        spreadTimesDialog->setRules(readRules(this->dm));
    }));
}

void TForm6::openPeriods()
{
    QMenu* choices = timeChoiceButton->menu();
    choices->clear();
    for (const QString& time : readTimeChoices(dm.ADOQuery22))
        choices->addAction(time);
    timeChoiceButton->setEnabled(!choices->isEmpty());
    openOn(dm.ADOQuery11, "select cc as 考试场次,kssj as 考试时间 from t_cc ");
}

void TForm6::FormShow()
{
    openPeriods();
}

void TForm6::DBGrid1CellClick()
{
    Label2->setText(DBGrid1->cellText(0));
    Edit1->setText(DBGrid1->cellText(1));
}

void TForm6::Button1Click()
{
    // Without a clicked period no row would change, yet success be reported.
    if (Label2->text().isEmpty()) {
        dialogs.message(QStringLiteral("请先在列表中选择场次"));
        return;
    }
    // Periods with one time are sat together: refused while they share a
    // student, and the typed time stays for correcting.
    if (const auto clash = sameTimeClash(dm, Label2->text(), Edit1->text())) {
        dialogs.warning(clash->text());
        return;
    }
    if (const auto broken = ruleBrokenByTime(readRules(dm), readTermTimetable(dm), Label2->text(), Edit1->text())) {
        dialogs.warning(QStringLiteral("这个时间不符合排考要求：%1").arg(ruleText(*broken, paperCourses(dm))));
        return;
    }
    executeOn(dm.ADOQuery12, SqlText("    update t_cc set kssj='") + Edit1->text() + "' where cc='" + Label2->text() + "'       ");
    dialogs.message(QStringLiteral("修改成功"));
    Edit1->clear();
    openPeriods();
}

void TForm6::Button2Click()
{
    close();
}

// Spreads each student's papers over the days and sittings the clerk gives,
// and writes the new periods and times only when the clerk adopts them.
void TForm6::spreadTimesClick()
{
    TermTimetable term = readTermTimetable(dm);
    if (term.placed.papers.isEmpty()) {
        dialogs.message(QStringLiteral("还没有排考的试卷，请先在“2.课程排考”中排考。"));
        return;
    }
    const QString clash = clashNow(dm, term);
    if (!clash.isEmpty()) {
        dialogs.message(QStringLiteral("%1，请先在“3.指定教室”中把其中一份换到别的场次，再自动安排时间。").arg(clash));
        return;
    }
    spreadTimesDialog->prepare(std::move(term), readRules(dm));
    if (spreadTimesDialog->exec() != QDialog::Accepted || !spreadTimesDialog->outcome())
        return;
    const TermTimetable& planned = spreadTimesDialog->term();
    const SpreadOutcome& outcome = *spreadTimesDialog->outcome();

    // Times that all carry dates are the timetable the students have now.
    const bool dated = std::all_of(planned.times.begin(), planned.times.end(),
                                   [](const QString& time) { return readExamTime(time).time.has_value(); });
    const SpreadCounts before = spreadCounts(planned.enrolments, planned.placed.current,
                                             dated ? planned.layout : outcome.periods.layout);
    const SpreadCounts after = spreadCounts(planned.enrolments, outcome.spread, outcome.periods.layout);
    RuleCounts ruleCounts{spreadTimesDialog->rules(), paperCourses(dm), {}, {}};
    ruleCounts.before = breachesPerRule(ruleCounts.rules, planned, planned.placed.current,
                                        dated ? planned.times : outcome.periods.times,
                                        dated ? planned.layout : outcome.periods.layout);
    ruleCounts.after = breachesPerRule(ruleCounts.rules, planned, outcome.spread, outcome.periods.times,
                                       outcome.periods.layout);
    const SpreadLoss loss = spreadLoss(dm, planned, outcome.spread, int(outcome.periods.times.size()));
    // A timetable worse than the current one is offered, but Enter declines it.
    if (!dialogs.confirmLong(spreadComparisonText(before, after, planned, outcome, dated, loss, ruleCounts), after.cost <= before.cost))
        return;

    const std::optional<SpreadAdoption> tried = adoptWhileBusy(planned, outcome);
    if (!tried)
        return;
    const SpreadAdoption& adopted = *tried;
    if (!adopted.fault.isEmpty()) {
        dialogs.message(adopted.fault);
        return;
    }
    openPeriods();
    QString done = QStringLiteral("已采用新的考试时间，共 %1 场。").arg(dm.ADOQuery11.RecordCount());
    if (!adopted.roomsCleared.isEmpty())
        done += QStringLiteral("\n以下试卷换了场次，已取消原来的教室，请在“3.指定教室”中重新指定：%1")
                    .arg(adopted.roomsCleared.join(QStringLiteral("、")));
    if (adopted.dutiesDropped > 0)
        done += QStringLiteral("\n原有 %1 条监考安排所在的场次已不存在，已删除，请重新安排监考。").arg(adopted.dutiesDropped);
    dialogs.message(done);
}

// A file that another program keeps busy past the wait leaves the spread
// in hand: the clerk may try again rather than search anew. Nothing when
// the clerk gives up.
std::optional<SpreadAdoption> TForm6::adoptWhileBusy(const TermTimetable& planned, const SpreadOutcome& outcome)
{
    constexpr int engineBusy = 5; // SQLITE_BUSY
    for (;;) {
        try {
            return adoptSpread(dm, planned, outcome.spread, outcome.periods.times);
        } catch (const DbError& e) {
            if (e.engineCode() != engineBusy)
                throw;
            if (!dialogs.confirm(QStringLiteral("数据库正被其他程序使用，新的考试时间还没有写入。是否再试一次？")))
                return std::nullopt;
        }
    }
}

void TForm6::rulesClick()
{
    rulesWindow->exec();
}

void TForm6::conflictListClick()
{
    conflictListWindow->exec();
}

void TForm6::studentTimetableClick()
{
    const StudentTimetable timetable = readStudentTimetable(dm);
    if (timetable.papers.isEmpty()) {
        dialogs.message(QStringLiteral("还没有排好场次的试卷，没有学生考试安排可导出。请先在“2.课程排考”中排考。"));
        return;
    }
    if (!dialogs.confirmIfAny(readShortfalls(dm.ADOQuery22).question(QStringLiteral("导出"), RoomlessCandidates::RoomBlank)))
        return;
    const QString chosen = dialogs.saveFileName(QStringLiteral("导出学生考试安排"), QStringLiteral("Excel 工作簿(*.xlsx)"),
                                                QStringLiteral("学生考试安排.xlsx"));
    if (chosen.isEmpty())
        return;
    const QString path = xlsxFileName(chosen);
    try {
        studentTimetableWorkbook(timetable).saveAs(path);
    } catch (const WorkbookError& e) {
        dialogs.information(e.message(), QStringLiteral("提示信息"));
        return;
    }
    dialogs.openDocument(path);
    // A student sits a paper once, however many of its courses they are listed on.
    int exams = 0;
    for (const StudentLoad& student : timetable.students)
        exams += student.papers;
    dialogs.message(QStringLiteral("导出成功：%1 名学生，%2 场考试").arg(timetable.students.size()).arg(exams));
}

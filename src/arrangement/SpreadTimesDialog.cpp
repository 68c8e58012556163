#include "SpreadTimesDialog.h"

#include "Dialogs.h"
#include "Form.h"
#include "Guard.h"
#include "time/ExamTime.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace {

const QStringList defaultSittings = {QStringLiteral("08:00-10:00"), QStringLiteral("10:30-12:30"),
                                     QStringLiteral("14:30-16:30")};

QListWidgetItem* sittingItem(const QString& text)
{
    auto* item = new QListWidgetItem(text);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

// The next Monday after today: exams start on a fresh week.
QDate nextMonday()
{
    const QDate today = QDate::currentDate();
    return today.addDays(8 - today.dayOfWeek());
}

// Per period the students it holds.
std::vector<int> loads(const Enrolments& enrolments, const Colouring& periods, int count)
{
    std::vector<int> load(count, 0);
    for (const std::vector<int>& papers : enrolments.students)
        for (int paper : papers)
            ++load[periods[paper]];
    return load;
}

int periodsOver(const std::vector<int>& load, int seats)
{
    return int(std::count_if(load.begin(), load.end(), [seats](int n) { return n > seats; }));
}

} // namespace

SpreadTimesDialog::SpreadTimesDialog(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs(dialogs)
{
    setObjectName(QStringLiteral("spreadTimesDialog"));
    setWindowTitle(QStringLiteral("自动安排时间"));
    setModal(true);

    firstDateEdit = named(new QDateEdit(nextMonday(), this), "firstDateEdit");
    firstDateEdit->setCalendarPopup(true);
    firstDateEdit->setLocale(QLocale(QLocale::Chinese, QLocale::China)); // 星期一, whatever the system's language
    firstDateEdit->setDisplayFormat(QStringLiteral("yyyy-MM-dd dddd"));
    firstDateEdit->setDateRange(earliestExamDate(), latestExamDate());

    const QStringList weekdays = {"一", "二", "三", "四", "五", "六", "日"};
    const char* boxNames[] = {"skipMondayBox", "skipTuesdayBox", "skipWednesdayBox", "skipThursdayBox",
                              "skipFridayBox", "skipSaturdayBox", "skipSundayBox"};
    auto* weekdayRow = new QHBoxLayout;
    for (int d = 0; d < 7; ++d) {
        skipWeekdayBoxes.append(named(new QCheckBox(QStringLiteral("星期") + weekdays[d], this), boxNames[d]));
        weekdayRow->addWidget(skipWeekdayBoxes.last());
    }
    weekdayRow->addStretch();
    skipSaturdayBox = skipWeekdayBoxes[5];
    skipSundayBox = skipWeekdayBoxes[6];
    skipSaturdayBox->setChecked(true);
    skipSundayBox->setChecked(true);

    skippedDatesEdit = named(new QLineEdit(this), "skippedDatesEdit");
    skippedDatesEdit->setPlaceholderText(QStringLiteral("如 2027-01-15, 2027-01-18（节假日等，可不填）"));
    // A pasted list of every day off in years is read whole, never cut inside a date.
    skippedDatesEdit->setMaxLength(std::numeric_limits<int>::max());

    sittingsList = named(new QListWidget(this), "sittingsList");
    for (const QString& sitting : defaultSittings)
        sittingsList->addItem(sittingItem(sitting));
    sittingsList->setCurrentRow(0);
    sittingsList->setToolTip(QStringLiteral("双击一行修改时间"));
    sittingsList->setMaximumHeight(110);
    addSittingButton = named(new QPushButton(QStringLiteral("添加"), this), "addSittingButton");
    removeSittingButton = named(new QPushButton(QStringLiteral("删除"), this), "removeSittingButton");
    for (QPushButton* b : {addSittingButton, removeSittingButton})
        b->setAutoDefault(false);

    periodCountBox = named(new QSpinBox(this), "periodCountBox");
    periodCountBox->setRange(1, 999);
    periodCountBox->setSuffix(QStringLiteral(" 场"));
    capacityLimitBox = named(new QCheckBox(QStringLiteral("按教室容量限制每场人数"), this), "capacityLimitBox");
    timeLimitBox = named(new QSpinBox(this), "timeLimitBox");
    timeLimitBox->setRange(1, 3600);
    timeLimitBox->setValue(60);
    timeLimitBox->setSuffix(QStringLiteral(" 秒"));

    calendarSummaryLabel = named(new QLabel(this), "calendarSummaryLabel");
    calendarSummaryLabel->setWordWrap(true);
    spreadProgressBar = named(new QProgressBar(this), "spreadProgressBar");
    spreadProgressBar->setTextVisible(false);
    spreadCostLabel = named(new QLabel(this), "spreadCostLabel");

    startSpreadButton = named(new QPushButton(QStringLiteral("开始安排"), this), "startSpreadButton");
    stopSpreadButton = named(new QPushButton(QStringLiteral("停止"), this), "stopSpreadButton");
    cancelSpreadButton = named(new QPushButton(QStringLiteral("取消"), this), "cancelSpreadButton");
    rulesButton = named(new QPushButton(QStringLiteral("排考要求"), this), "rulesButton");
    rulesButton->setAutoDefault(false);
    rulesButton->setToolTip(QStringLiteral("固定时间、同堂、不同天、每天最多几场等要求，安排时一定遵守"));
    startSpreadButton->setDefault(true);
    stopSpreadButton->setAutoDefault(false);
    cancelSpreadButton->setAutoDefault(false);
    stopSpreadButton->setEnabled(false);

    auto* sittingButtons = new QVBoxLayout;
    sittingButtons->addWidget(addSittingButton);
    sittingButtons->addWidget(removeSittingButton);
    sittingButtons->addStretch();
    auto* sittingRow = new QHBoxLayout;
    sittingRow->addWidget(sittingsList, 1);
    sittingRow->addLayout(sittingButtons);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("第一天考试："), firstDateEdit);
    form->addRow(QStringLiteral("不考试的星期："), weekdayRow);
    form->addRow(QStringLiteral("不考试的日期："), skippedDatesEdit);
    form->addRow(QStringLiteral("每天的场次时间："), sittingRow);
    form->addRow(QStringLiteral("场次数："), periodCountBox);
    form->addRow(QString(), capacityLimitBox);
    form->addRow(QStringLiteral("最长用时："), timeLimitBox);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(rulesButton);
    buttons->addStretch();
    buttons->addWidget(startSpreadButton);
    buttons->addWidget(stopSpreadButton);
    buttons->addWidget(cancelSpreadButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(calendarSummaryLabel);
    layout->addWidget(spreadProgressBar);
    layout->addWidget(spreadCostLabel);
    layout->addLayout(buttons);

    connect(firstDateEdit, &QDateEdit::dateChanged, this, [this] { showSummary(); });
    for (QCheckBox* box : skipWeekdayBoxes)
        connect(box, &QCheckBox::toggled, this, [this] { showSummary(); });
    connect(skippedDatesEdit, &QLineEdit::textChanged, this, [this] { showSummary(); });
    connect(sittingsList->model(), &QAbstractItemModel::dataChanged, this, [this] { showSummary(); });
    connect(sittingsList->model(), &QAbstractItemModel::rowsRemoved, this, [this] { showSummary(); });
    connect(sittingsList->model(), &QAbstractItemModel::rowsInserted, this, [this] { showSummary(); });
    connect(sittingsList->model(), &QAbstractItemModel::modelReset, this, [this] { showSummary(); });
    connect(periodCountBox, &QSpinBox::valueChanged, this, [this] { showSummary(); });
    connect(addSittingButton, &QPushButton::clicked, this, guarded(dialogs, [this] { addSitting(); }));
    connect(removeSittingButton, &QPushButton::clicked, this, guarded(dialogs, [this] { removeSitting(); }));
    connect(startSpreadButton, &QPushButton::clicked, this, guarded(dialogs, [this] { startSpread(); }));
    connect(stopSpreadButton, &QPushButton::clicked, this, [this] { stopRequested = true; });
    connect(cancelSpreadButton, &QPushButton::clicked, this, [this] { reject(); });
    connect(rulesButton, &QPushButton::clicked, this, [this] { emit rulesWanted(); });
    resize(560, 0);
}

void SpreadTimesDialog::prepare(TermTimetable term, QList<ExamRule> rules)
{
    forTerm = std::move(term);
    forRules = std::move(rules);
    found.reset();
    periodCountBox->setValue(forTerm->placed.periods);
    capacityLimitBox->setEnabled(forTerm->seats > 0);
    capacityLimitBox->setChecked(forTerm->seats > 0);
    capacityLimitBox->setText(forTerm->seats > 0 ? QStringLiteral("按教室容量限制每场人数（可用教室共 %1 个座位）").arg(forTerm->seats)
                                              : QStringLiteral("按教室容量限制每场人数（还没有可用的教室）"));
    spreadProgressBar->setValue(0);
    spreadCostLabel->clear();
    showSummary();
}

ExamCalendar SpreadTimesDialog::calendar() const
{
    ExamCalendar calendar;
    calendar.firstDate = firstDateEdit->date();
    for (int d = 0; d < 7; ++d)
        if (skipWeekdayBoxes[d]->isChecked())
            calendar.skippedWeekdays.append(d + 1);
    calendar.skippedDates = skippedDatesEdit->text();
    for (int row = 0; row < sittingsList->count(); ++row)
        calendar.sittings.append(sittingsList->item(row)->text());
    calendar.periods = periodCountBox->value();
    return calendar;
}

// Before anything runs the clerk sees how many days the periods take and
// on which day the last exam falls, or what is wrong with the input.
void SpreadTimesDialog::showSummary()
{
    const ExamSlots offered = examSlots(calendar(), forTerm ? forTerm->placed.periods : 0);
    calendarSummaryLabel->setStyleSheet(offered.fault.isEmpty() ? QString() : QStringLiteral("color: #b00000;"));
    if (!offered.fault.isEmpty()) {
        calendarSummaryLabel->setText(offered.fault);
        return;
    }
    calendarSummaryLabel->setText(QStringLiteral("共 %1 场，每天 %2 场，需要 %3 天；最后一天考试：%4")
                                      .arg(offered.times.size())
                                      .arg(sittingsList->count())
                                      .arg(offered.days)
                                      .arg(ExamTime{offered.lastDate, {}}.dateText()));
}

void SpreadTimesDialog::addSitting()
{
    QListWidgetItem* item = sittingItem(QString());
    sittingsList->addItem(item);
    sittingsList->setCurrentItem(item);
    sittingsList->editItem(item);
}

void SpreadTimesDialog::removeSitting()
{
    delete sittingsList->currentItem();
}

// The sittings list empties its model while it is destroyed, after other
// boxes the summary reads are gone: the summary must not hear of it.
SpreadTimesDialog::~SpreadTimesDialog()
{
    sittingsList->model()->disconnect(this);
}

void SpreadTimesDialog::setRunning(bool on)
{
    running = on;
    for (QWidget* w : std::initializer_list<QWidget*>{firstDateEdit, skippedDatesEdit, sittingsList, addSittingButton,
                                                      removeSittingButton, periodCountBox, timeLimitBox,
                                                      startSpreadButton, cancelSpreadButton, rulesButton})
        w->setEnabled(!on);
    for (QCheckBox* box : skipWeekdayBoxes)
        box->setEnabled(!on);
    capacityLimitBox->setEnabled(!on && forTerm && forTerm->seats > 0);
    stopSpreadButton->setEnabled(on);
    if (on)
        stopSpreadButton->setFocus();
}

// Runs the spread on this thread, letting the dialog take "停止" (or Esc)
// and repaint meanwhile; the best placement so far is kept either way.
void SpreadTimesDialog::startSpread()
{
    if (!forTerm)
        return;
    ExamSlots offered = examSlots(calendar(), forTerm->placed.periods);
    if (!offered.fault.isEmpty()) {
        dialogs.message(offered.fault);
        return;
    }

    // Rules that cannot all be met are named before any search.
    const TermRules rules = termRules(forRules, *forTerm, offered.times, offered.layout);
    if (!rules.unmeetable.isEmpty()) {
        dialogs.message(QStringLiteral("以下排考要求不能同时满足，没有开始安排：\n%1").arg(rules.unmeetable.join(u'\n')));
        return;
    }

    SpreadSearch search;
    search.rules = &rules.spread;
    search.milliseconds = timeLimitBox->value() * 1000;
    if (capacityLimitBox->isChecked() && forTerm->seats > 0)
        search.capacity = forTerm->seats;
    const double startCost = proximityCost(forTerm->enrolments, forTerm->placed.current, offered.layout);
    spreadCostLabel->setText(QStringLiteral("开始时代价 %1").arg(startCost, 0, 'f', 3));
    spreadProgressBar->setRange(0, search.milliseconds);
    spreadProgressBar->setValue(0);
    QElapsedTimer elapsed, sinceEvents;
    elapsed.start();
    sinceEvents.start();
    search.improved = [&](double cost) {
        spreadCostLabel->setText(QStringLiteral("开始时代价 %1，目前最好 %2").arg(startCost, 0, 'f', 3).arg(cost, 0, 'f', 3));
    };
    search.cancelled = [&] {
        if (sinceEvents.elapsed() >= 50) {
            spreadProgressBar->setValue(int(std::min<qint64>(elapsed.elapsed(), search.milliseconds)));
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
        return stopRequested;
    };

    stopRequested = cancelRequested = false;
    setRunning(true);
    const auto restore = qScopeGuard([this] { setRunning(false); });
    Colouring spread = spreadPapers(forTerm->enrolments, forTerm->placed.current, offered.layout, search);
    spreadProgressBar->setValue(spreadProgressBar->maximum());
    if (cancelRequested) {
        QDialog::reject();
        return;
    }
    if (ruleBreaches(rules.spread, forTerm->enrolments, spread, offered.layout).hard() > 0) {
        dialogs.message(QStringLiteral("在限定的时间内没有找到满足全部排考要求的安排。请延长最长用时、增加场次或放宽要求后再试。"));
        return;
    }
    found = SpreadOutcome{std::move(offered), std::move(spread), stopRequested};
    accept();
}

// Esc or the window's frame while the spread runs stops it instead.
void SpreadTimesDialog::reject()
{
    if (running) {
        stopRequested = true;
        return;
    }
    QDialog::reject();
}

void SpreadTimesDialog::closeEvent(QCloseEvent* event)
{
    if (running) {
        cancelRequested = stopRequested = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

QString spreadComparisonText(const SpreadCounts& before, const SpreadCounts& after, const TermTimetable& term,
                             const SpreadOutcome& outcome, bool beforeHasDates, const SpreadLoss& loss,
                             const RuleCounts& ruleCounts)
{
    const auto row = [](const QString& what, int a, int b) {
        return QStringLiteral("%1：%2 人 → %3 人\n").arg(what).arg(a).arg(b);
    };
    QString text = outcome.stopped ? QStringLiteral("已停止，以下是到目前为止最好的安排。\n\n") : QString();
    text += QStringLiteral("共 %1 名学生，%2 份试卷，安排在 %3 天的 %4 个场次中。\n")
                .arg(term.enrolments.students.size())
                .arg(term.enrolments.papers)
                .arg(outcome.periods.days)
                .arg(outcome.periods.times.size());
    text += beforeHasDates ? QStringLiteral("安排前按现有的考试时间计，安排后按新的时间计：\n\n")
                           : QStringLiteral("安排前按现有场次依次排入所选的日期计：\n\n");
    text += row(QStringLiteral("同一天连考两场的学生"), before.twoInARow, after.twoInARow);
    text += row(QStringLiteral("同一天考两场及以上的学生"), before.twoOnOneDay, after.twoOnOneDay);
    text += row(QStringLiteral("同一天考三场及以上的学生"), before.threeOnOneDay, after.threeOnOneDay);
    text += QStringLiteral("代价（越小越分散）：%1 → %2\n").arg(before.cost, 0, 'f', 3).arg(after.cost, 0, 'f', 3);
    if (!ruleCounts.rules.isEmpty())
        text += QStringLiteral("\n排考要求（未满足的次数）：\n");
    for (int r = 0; r < ruleCounts.rules.size(); ++r)
        text += QStringLiteral("%1：%2 → %3\n")
                    .arg(ruleText(ruleCounts.rules[r], ruleCounts.courses))
                    .arg(ruleCounts.before[std::size_t(r)])
                    .arg(ruleCounts.after[std::size_t(r)]);
    if (term.seats > 0) {
        const int count = int(outcome.periods.times.size());
        const int over = periodsOver(loads(term.enrolments, outcome.spread, count), term.seats);
        if (over > 0)
            text += QStringLiteral("有 %1 场的人数超过可用教室的座位总数（%2）。\n").arg(over).arg(term.seats);
    }
    if (after.cost > before.cost)
        text += QStringLiteral("新的安排比现在的更集中（代价更大），不建议采用。\n");
    text += QStringLiteral("\n采用后各场次按时间重新编号为 1、2、3……，并写入新的考试时间。\n"
                           "采用后 %1 份试卷将失去原来的教室（须在“3.指定教室”中重新指定），%2 条监考安排将被删除。\n"
                           "是否采用？")
                .arg(loss.papersLosingRoom)
                .arg(loss.dutiesGoing);
    return text;
}

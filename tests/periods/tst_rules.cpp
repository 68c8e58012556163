// The clerk's rules for the exam times on a hand-made term: each rule kept
// by the search (checked here from the time texts, with this test's own
// code), rules that cannot all be met named before any search, a rule
// naming a deleted paper, the rules as stored, and the search's running
// account of the rules against a count from scratch.
#include "DataModule.h"
#include "TestDatabase.h"
#include "periods/RuleTracker.h"
#include "periods/Rules.h"
#include "time/ExamCalendar.h"

#include <QTest>
#include <map>
#include <numeric>
#include <random>
#include <set>

namespace {

// P4 is the largest paper; P5 and P6 share nobody; S1 sits four papers.
// Each paper Pn is the course 课n.
const QStringList roster = {
    "P1|K1|S1", "P1|K1|S2", "P1|K1|S3", "P2|K2|S1", "P2|K2|S4", "P3|K3|S2", "P3|K3|S5",
    "P4|K4|S3", "P4|K4|S6", "P4|K4|S10", "P4|K4|S11", "P4|K4|S12", "P4|K4|S13",
    "P5|K5|S4", "P5|K5|S7", "P6|K6|S8", "P6|K6|S9", "P7|K7|S1", "P7|K7|S5", "P7|K7|S6",
    "P8|K8|S1", "P8|K8|S7", "P8|K8|S8",
};

struct Fixture {
    TestDatabase db;
    DataModule dm;
    TermTimetable term;
    ExamSlots offered;

    // The papers start in periods 1..8 in the order P1 P2 P7 P8 P3 P4 P5
    // P6: S1 sits three papers on the first day.
    explicit Fixture(int periods = 9)
    {
        QStringList rows;
        for (const QString& row : roster)
            rows.append(row + "|||课" + row.mid(1, 1));
        db.addRoster(rows);
        QString placements = "insert into t_kscs(cc,sjxh,sjxh1,jsid) values";
        const QStringList order = {"P1", "P2", "P7", "P8", "P3", "P4", "P5", "P6"};
        for (int p = 1; p <= 8; ++p)
            placements += QString("%1('%2','%3','%3',0)").arg(p > 1 ? "," : "").arg(p).arg(order[p - 1]);
        db.exec(placements);
        dm.reconfigure();
        term = readTermTimetable(dm);
        ExamCalendar calendar;
        calendar.firstDate = QDate(2027, 1, 11);
        calendar.sittings = {"08:00-10:00", "10:30-12:30", "14:30-17:00"};
        calendar.periods = periods;
        offered = examSlots(calendar, term.placed.periods);
    }

    TermRules rules(const QList<ExamRule>& given)
    {
        return termRules(given, term, offered.times, offered.layout);
    }

    // Per paper number its time text after a spread under the rules.
    std::map<QString, QString> spread(const QList<ExamRule>& given)
    {
        const TermRules resolved = rules(given);
        if (!resolved.unmeetable.isEmpty())
            qWarning() << resolved.unmeetable;
        SpreadSearch search;
        search.iterations = 100000;
        search.milliseconds = -1;
        search.rules = &resolved.spread;
        const Colouring result = spreadPapers(term.enrolments, term.placed.current, offered.layout, search);
        std::map<QString, QString> timeOf;
        for (int v = 0; v < term.placed.papers.size(); ++v)
            for (const QString& paper : term.placed.papers[v])
                timeOf[paper] = offered.times[result[v]];
        return timeOf;
    }

    // Per student the papers they sit, from the roster table.
    std::map<QString, QStringList> papersOfStudents()
    {
        std::map<QString, QStringList> papers;
        for (const QString& row : db.rows("select distinct trim(xh), sjxh from t_bjgmd"))
            papers[row.section(u'|', 0, 0)].append(row.section(u'|', 1));
        return papers;
    }
};

ExamRule rule(RuleKind kind, const QString& paper = {}, const QString& other = {}, const QDate& date = {},
              const QString& sitting = {}, int number = 0, int days = 0, int weight = 0)
{
    ExamRule r;
    r.kind = kind;
    r.paper = paper;
    r.otherPaper = other;
    r.date = date;
    r.sitting = sitting;
    r.number = number;
    r.days = days;
    r.weight = weight;
    return r;
}

// A term made around a hidden timetable that keeps every rule: 60 papers
// over 18 periods, three a day; each of 300 students sits at most one
// paper a day in it. The search starts from the hidden timetable with its
// periods shuffled, which is clash-free but breaks the rules.
struct PlantedTerm {
    Enrolments enrolments;
    PeriodLayout layout = dailyLayout(18, 3);
    Colouring hidden;
    Colouring start;
    SpreadRules rules;

    explicit PlantedTerm(int dailyLimit, bool pairs, const std::vector<SpreadRules::RunLimit>& runs)
    {
        std::mt19937 random(11);
        const int periods = 18, papers = 60;
        enrolments.papers = papers;
        for (int v = 0; v < papers; ++v)
            hidden.push_back(v % periods);
        std::shuffle(hidden.begin(), hidden.end(), random);
        for (int s = 0; s < 300; ++s) {
            std::vector<int> days = {0, 1, 2, 3, 4, 5};
            std::shuffle(days.begin(), days.end(), random);
            std::vector<int> sits;
            for (int d = 0; d < 4; ++d) {
                std::vector<int> onDay;
                for (int v = 0; v < papers; ++v)
                    if (layout.day[hidden[v]] == days[d])
                        onDay.push_back(v);
                sits.push_back(onDay[random() % onDay.size()]);
            }
            enrolments.students.push_back(sits);
        }
        std::vector<int> shuffled(periods);
        std::iota(shuffled.begin(), shuffled.end(), 0);
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        for (const int p : hidden)
            start.push_back(shuffled[p]);
        rules.allowed.assign(papers, {});
        for (int v = 0; v < papers; v += 6) {
            rules.allowed[v].assign(periods, 0);
            rules.allowed[v][hidden[v]] = 1;
        }
        const ConflictGraph graph = conflictGraphOf(enrolments);
        const auto meets = [&](int a, int b) { return std::find(graph[a].begin(), graph[a].end(), b) != graph[a].end(); };
        for (int a = 0; pairs && a < papers; ++a)
            for (int b = a + 1; b < papers; ++b) {
                if (hidden[a] == hidden[b] && !meets(a, b) && rules.together.size() < 3)
                    rules.together.emplace_back(a, b);
                if (layout.day[hidden[a]] != layout.day[hidden[b]] && meets(a, b) && a % 7 == 0 && rules.apartDays.size() < 5)
                    rules.apartDays.emplace_back(a, b);
            }
        rules.dailyLimit = dailyLimit;
        rules.runLimits = runs;
    }

    // The rules a placement breaks, counted here apart from the program's own count.
    QStringList broken(const Colouring& placement) const
    {
        QStringList found;
        for (int v = 0; v < enrolments.papers; ++v)
            if (!rules.allowed[v].empty() && !rules.allowed[v][placement[v]])
                found.append(QString("paper %1 outside").arg(v));
        for (const auto& [a, b] : rules.together)
            if (placement[a] != placement[b])
                found.append(QString("%1 and %2 apart").arg(a).arg(b));
        for (const auto& [a, b] : rules.apartDays)
            if (layout.day[placement[a]] == layout.day[placement[b]])
                found.append(QString("%1 and %2 on one day").arg(a).arg(b));
        for (std::size_t s = 0; s < enrolments.students.size(); ++s) {
            std::map<int, int> perDay;
            for (const int v : enrolments.students[s])
                ++perDay[layout.day[placement[v]]];
            for (const auto& [day, n] : perDay)
                if (rules.dailyLimit > 0 && n > rules.dailyLimit)
                    found.append(QString("student %1 has %2 on day %3").arg(s).arg(n).arg(day));
            for (const SpreadRules::RunLimit& run : rules.runLimits)
                for (int first = 0; first + run.days <= 6; ++first) {
                    int n = 0;
                    for (int d = first; d < first + run.days; ++d)
                        n += perDay[d];
                    if (n > run.most)
                        found.append(QString("student %1 has %2 in %3 days from day %4").arg(s).arg(n).arg(run.days).arg(first));
                }
        }
        return found;
    }
};

QDate dayOf(const QString& time)
{
    return QDate::fromString(time.left(10), "yyyy-MM-dd");
}

QString clockOf(const QString& time)
{
    return time.section(u' ', 2);
}

int sittingIndex(const QString& time)
{
    return QStringList{"08:00-10:00", "10:30-12:30", "14:30-17:00"}.indexOf(clockOf(time));
}

} // namespace

class TestRules : public QObject {
    Q_OBJECT

private slots:
    void eachRuleIsKeptBySearch_data();
    void eachRuleIsKeptBySearch();
    void rulesThatCannotAllBeMetAreNamed_data();
    void rulesThatCannotAllBeMetAreNamed();
    void ruleOfDeletedPaperIsShown();
    void rulesAreStoredTrimmedAndBadOnesRefused();
    void trackerAgreesWithCountFromScratch();
    void searchMendsEveryRuleOfPlantedTerm_data();
    void searchMendsEveryRuleOfPlantedTerm();
    void everyRunLimitCounts();
};

using Check = std::function<bool(std::map<QString, QString>&, Fixture&)>;
Q_DECLARE_METATYPE(Check)
Q_DECLARE_METATYPE(ExamRule)
Q_DECLARE_METATYPE(std::vector<SpreadRules::RunLimit>)

void TestRules::eachRuleIsKeptBySearch_data()
{
    QTest::addColumn<ExamRule>("given");
    QTest::addColumn<Check>("kept");
    const QDate tuesday(2027, 1, 12), wednesday(2027, 1, 13), monday(2027, 1, 11);
    QTest::newRow("固定场次") << rule(RuleKind::Sitting, " P1 ", {}, tuesday, "10:30 - 12:30")
                          << Check([](auto& t, auto&) { return t["P1"] == "2027-01-12 星期二 10:30-12:30"; });
    QTest::newRow("固定日期") << rule(RuleKind::Date, "P8", {}, wednesday)
                          << Check([=](auto& t, auto&) { return dayOf(t["P8"]) == wednesday; });
    QTest::newRow("不早于") << rule(RuleKind::NotBefore, "P1", {}, wednesday)
                         << Check([=](auto& t, auto&) { return dayOf(t["P1"]) >= wednesday; });
    QTest::newRow("不晚于") << rule(RuleKind::NotAfter, "P8", {}, monday)
                         << Check([=](auto& t, auto&) { return dayOf(t["P8"]) <= monday; });
    QTest::newRow("同堂") << rule(RuleKind::Together, "P5", "P6")
                        << Check([](auto& t, auto&) { return t["P5"] == t["P6"]; });
    QTest::newRow("不同天") << rule(RuleKind::ApartDays, "P5", "P6")
                         << Check([](auto& t, auto&) { return dayOf(t["P5"]) != dayOf(t["P6"]); });
    QTest::newRow("在后") << rule(RuleKind::After, "P7", "P1")
                        << Check([](auto& t, auto&) {
                               return dayOf(t["P1"]) > dayOf(t["P7"])
                                   || (dayOf(t["P1"]) == dayOf(t["P7"]) && sittingIndex(t["P1"]) > sittingIndex(t["P7"]));
                           });
    QTest::newRow("时长") << rule(RuleKind::Length, "P2", {}, {}, {}, 150)
                        << Check([](auto& t, auto&) { return clockOf(t["P2"]) == "14:30-17:00"; });
    QTest::newRow("每天最多") << rule(RuleKind::DailyLimit, {}, {}, {}, {}, 1)
                          << Check([](auto& t, Fixture& f) {
                                 // S1's four papers cannot keep one a day over three days: the
                                 // rule is named instead (see below); here the others keep it.
                                 for (const auto& [student, papers] : f.papersOfStudents()) {
                                     std::map<QDate, int> perDay;
                                     for (const QString& p : papers)
                                         ++perDay[dayOf(t[p])];
                                     for (const auto& [day, n] : perDay)
                                         if (n > 2)
                                             return false;
                                 }
                                 return true;
                             });
    QTest::newRow("连续几天最多") << rule(RuleKind::RunLimit, {}, {}, {}, {}, 2, 2)
                            << Check([](auto& t, Fixture& f) {
                                   for (const auto& [student, papers] : f.papersOfStudents()) {
                                       std::map<int, int> perDay;
                                       for (const QString& p : papers)
                                           ++perDay[QDate(2027, 1, 11).daysTo(dayOf(t[p]))];
                                       for (int first = 0; first + 1 < 3; ++first)
                                           if (perDay[first] + perDay[first + 1] > 2)
                                               return false;
                                   }
                                   return true;
                               });
    QTest::newRow("大卷优先") << rule(RuleKind::LargeFirst, {}, {}, {}, {}, 5, 100)
                          << Check([](auto& t, auto&) { return dayOf(t["P4"]) == QDate(2027, 1, 11); });
}

// Each rule on its own: the start breaks it, the search keeps it.
void TestRules::eachRuleIsKeptBySearch()
{
    QFETCH(ExamRule, given);
    QFETCH(Check, kept);
    Fixture f;
    ExamRule used = given;
    if (given.kind == RuleKind::DailyLimit)
        used.number = 2; // four papers over three days: two a day is the least S1 can have
    const Colouring start = f.term.placed.current;
    QCOMPARE(f.rules({used}).unmeetable, QStringList());
    QVERIFY(ruleBreaches(f.rules({used}).spread, f.term.enrolments, start, f.offered.layout).hard() > 0
            || given.kind == RuleKind::LargeFirst);
    std::map<QString, QString> times = f.spread({used});
    QVERIFY2(kept(times, f), qPrintable(QStringList(QStringList() << times["P1"] << times["P2"] << times["P4"]).join(", ")));
    // No student in two papers at one time.
    for (const auto& [student, papers] : f.papersOfStudents()) {
        std::set<QString> at;
        for (const QString& p : papers)
            QVERIFY2(at.insert(times[p]).second, qPrintable(student));
    }
}

void TestRules::rulesThatCannotAllBeMetAreNamed_data()
{
    QTest::addColumn<QList<ExamRule>>("given");
    QTest::addColumn<QStringList>("named");
    const QDate tuesday(2027, 1, 12);
    QTest::newRow("one fixed sitting, one student")
        << QList<ExamRule>{rule(RuleKind::Sitting, "P1", {}, tuesday, "08:00-10:00"),
                           rule(RuleKind::Sitting, "P2", {}, tuesday, "8:00-10:00")}
        << QStringList{"试卷 P1 和 P2 都只能在 2027-01-12 星期二 08:00-10:00 考试，但学号 S1 的学生两份都要考。"};
    QTest::newRow("同堂 with a shared student")
        << QList<ExamRule>{rule(RuleKind::Together, "P3", "P7")}
        << QStringList{"试卷 P3 和 P7 要求同堂，但学号 S5 的学生两份都要考。"};
    QTest::newRow("同堂 and apart")
        << QList<ExamRule>{rule(RuleKind::Together, "P5", "P6"), rule(RuleKind::ApartDays, "P6", "P5")}
        << QStringList{"试卷 P5 和 P6 既要求同堂，又要求不在同一天。"};
    QTest::newRow("fixed date against too short sittings")
        << QList<ExamRule>{rule(RuleKind::Date, "P2", {}, tuesday), rule(RuleKind::Length, "P2", {}, {}, {}, 180)}
        << QStringList{"试卷 P2 没有同时符合它的各条要求的场次。"};
    QTest::newRow("daily limit below what a student needs")
        << QList<ExamRule>{rule(RuleKind::DailyLimit, {}, {}, {}, {}, 1)}
        << QStringList{"每天最多 1 场：学号 S1 的学生有 4 份试卷（P1、P2、P7、P8），3 天里放不下。"};
    QTest::newRow("run limit below what a student needs")
        << QList<ExamRule>{rule(RuleKind::RunLimit, {}, {}, {}, {}, 1, 2)}
        << QStringList{"连续 2 天最多 1 场：学号 S1 的学生有 4 份试卷（P1、P2、P7、P8），3 天里放不下。"};
}

void TestRules::rulesThatCannotAllBeMetAreNamed()
{
    QFETCH(QList<ExamRule>, given);
    QFETCH(QStringList, named);
    Fixture f;
    QCOMPARE(f.rules(given).unmeetable, named);
}

// A rule whose paper was deleted afterwards stays in the list, says so,
// and stops the spread until the clerk mends it.
void TestRules::ruleOfDeletedPaperIsShown()
{
    Fixture f;
    addRule(f.dm, rule(RuleKind::Together, "P5", "P6"));
    addRule(f.dm, rule(RuleKind::Sitting, "P6", {}, QDate(2027, 1, 12), "08:00-10:00"));
    f.db.exec("delete from t_bjgmd where sjxh='P6'; delete from t_kscs where sjxh='P6'");
    f.term = readTermTimetable(f.dm);
    const QList<ExamRule> rules = readRules(f.dm);
    QCOMPARE(rules.size(), 2);
    const QHash<QString, QString> courses = paperCourses(f.dm);
    QCOMPARE(ruleText(rules[0], courses), QString("试卷 P5（课5） 和 试卷 P6（已不存在） 同堂考试"));
    QCOMPARE(missingPapers(rules[1], courses), QStringList{"P6"});
    QCOMPARE(f.rules(rules).unmeetable.size(), 2);
    QCOMPARE(f.rules(rules).unmeetable[0], "“同堂”要求中的试卷 P6 没有排考或已不存在，请先修改或删除这条要求。");
}

void TestRules::rulesAreStoredTrimmedAndBadOnesRefused()
{
    Fixture f;
    addRule(f.dm, rule(RuleKind::Sitting, " P1 ", "ignored", QDate(2027, 1, 12), " 8:00 - 10:00 ", 7, 8, 9));
    QCOMPARE(f.db.rows("select quote(lx),quote(sjxh),quote(sjxh1),quote(rq),quote(sj),typeof(sl),sl,ts,qz from t_pkyq"),
             QStringList{"'固定场次'|'P1'|''|'2027-01-12'|'08:00-10:00'|integer|0|0|0"});
    const struct {
        ExamRule rule;
        QString fault;
    } bad[] = {
        {rule(RuleKind::Sitting, "", {}, QDate(2027, 1, 12), "08:00-10:00"), "请填写试卷序号。"},
        {rule(RuleKind::Sitting, "P1", {}, QDate(2027, 1, 12), "上午"), "场次时间“上午”无法识别：起止时间应写成 08:00-10:00 这样。"},
        {rule(RuleKind::Together, "P1", " p1 "), "两份试卷的序号相同，请填写两份不同的试卷。"},
        {rule(RuleKind::Date, "P1"), "请填写日期。"},
        {rule(RuleKind::Length, "P1", {}, {}, {}, 0), "考试时长应在 1 到 1440 分钟之间。"},
        {rule(RuleKind::RunLimit, {}, {}, {}, {}, 2, 1), "连续的天数至少是 2。"},
        {rule(RuleKind::LargeFirst, {}, {}, {}, {}, 100, 0), "大卷的人数和权重都至少是 1。"},
    };
    for (const auto& [r, fault] : bad) {
        QCOMPARE(ruleFault(r), fault);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, addRule(f.dm, r));
    }
    QCOMPARE(f.db.scalar("select count(*) from t_pkyq"), QString("1"));
    const QList<ExamRule> read = readRules(f.dm);
    QCOMPARE(read.size(), 1);
    QCOMPARE(read[0].sitting, QString("08:00-10:00"));
    deleteRule(f.dm, read[0].id);
    QCOMPARE(f.db.scalar("select count(*) from t_pkyq"), QString("0"));
}

// Random swaps between two offered: the running account equals a count
// from scratch after every one, with every kind of rule at once.
void TestRules::trackerAgreesWithCountFromScratch()
{
    Fixture f(12);
    const TermRules resolved = f.rules({rule(RuleKind::Sitting, "P1", {}, QDate(2027, 1, 12), "08:00-10:00"),
                                        rule(RuleKind::NotAfter, "P3", {}, QDate(2027, 1, 12)),
                                        rule(RuleKind::Together, "P5", "P6"), rule(RuleKind::ApartDays, "P2", "P4"),
                                        rule(RuleKind::After, "P7", "P8"), rule(RuleKind::DailyLimit, {}, {}, {}, {}, 1),
                                        rule(RuleKind::RunLimit, {}, {}, {}, {}, 2, 2),
                                        rule(RuleKind::RunLimit, {}, {}, {}, {}, 3, 3),
                                        rule(RuleKind::LargeFirst, {}, {}, {}, {}, 2, 3)});
    Colouring placement = f.term.placed.current;
    RuleTracker tracker(resolved.spread, f.term.enrolments, placement, f.offered.layout);
    std::mt19937 random(7);
    const int papers = int(placement.size());
    for (int i = 0; i < 2000; ++i) {
        const int a = int(random() % 12), b = int(random() % 12);
        std::vector<int> moved;
        for (int v = 0; v < papers; ++v)
            if ((placement[v] == a || placement[v] == b) && (random() % 3 != 0 || i % 2))
                moved.push_back(v);
        tracker.swap(moved, a, b);
        for (const int v : moved)
            placement[v] = placement[v] == a ? b : a;
        QCOMPARE(tracker.hard(), ruleBreaches(resolved.spread, f.term.enrolments, placement, f.offered.layout).hard());
        QCOMPARE(tracker.soft(), lateness(resolved.spread, placement, f.offered.layout));
    }
}

void TestRules::searchMendsEveryRuleOfPlantedTerm_data()
{
    QTest::addColumn<int>("dailyLimit");
    QTest::addColumn<bool>("pairs");
    QTest::addColumn<std::vector<SpreadRules::RunLimit>>("runs");
    QTest::newRow("fixed papers, two a day") << 2 << false << std::vector<SpreadRules::RunLimit>{};
    QTest::newRow("fixed, pairs, two a day, two run limits")
        << 2 << true << std::vector<SpreadRules::RunLimit>{{3, 2}, {3, 3}};
}

// The start breaks the rules; the hidden timetable shows they can all be
// kept, so the search must reach a timetable that keeps them.
void TestRules::searchMendsEveryRuleOfPlantedTerm()
{
    QFETCH(int, dailyLimit);
    QFETCH(bool, pairs);
    QFETCH(std::vector<SpreadRules::RunLimit>, runs);
    const PlantedTerm term(dailyLimit, pairs, runs);
    QCOMPARE(term.broken(term.hidden), QStringList());
    QVERIFY(!term.broken(term.start).isEmpty());
    SpreadSearch search;
    search.iterations = 300000;
    search.milliseconds = -1;
    search.rules = &term.rules;
    bool keptOnce = false;
    search.improved = [&](double) { keptOnce = true; };
    const Colouring result = spreadPapers(term.enrolments, term.start, term.layout, search);
    QVERIFY(keptOnce);
    QCOMPARE(term.broken(result), QStringList());
    QVERIFY(isProperColouring(conflictGraphOf(term.enrolments), result));
}

// Several run limits are each kept, the stricter one after a looser one
// too: the rules' count of a placement is the sum of each rule's count on
// its own.
void TestRules::everyRunLimitCounts()
{
    Fixture f;
    const QList<ExamRule> given = {rule(RuleKind::RunLimit, {}, {}, {}, {}, 3, 2),
                                   rule(RuleKind::RunLimit, {}, {}, {}, {}, 2, 2)};
    const Colouring start = f.term.placed.current;
    const std::vector<long long> each = breachesPerRule(given, f.term, start, f.offered.times, f.offered.layout);
    QVERIFY(each[1] > 0);
    QCOMPARE(ruleBreaches(f.rules(given).spread, f.term.enrolments, start, f.offered.layout).hard(),
             std::accumulate(each.begin(), each.end(), 0LL));
    const std::map<QString, QString> times = f.spread(given);
    for (const auto& [student, papers] : f.papersOfStudents()) {
        std::map<int, int> perDay;
        for (const QString& p : papers)
            ++perDay[QDate(2027, 1, 11).daysTo(dayOf(times.at(p)))];
        QVERIFY2(perDay[0] + perDay[1] <= 2 && perDay[1] + perDay[2] <= 2, qPrintable(student));
    }
}

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"

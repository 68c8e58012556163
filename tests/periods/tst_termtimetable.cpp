// The term read from the tables for the spread, and a spread written back:
// the written tables are checked with SQL of this test's own, apart from
// the search and the code under test.
#include "DataModule.h"
#include "time/ExamCalendar.h"
#include "time/ExamTime.h"
#include "Rosters.h"
#include "periods/Scheduling.h"
#include "periods/SpreadAdoption.h"
#include "periods/TermTimetable.h"
#include "TorontoRoster.h"

#include <QTest>
#include <algorithm>

namespace {

// P1 has two courses and S1 is listed on both; P2 has a course split off
// onto P2x, in P2's period, with a room of its own; S4 is written with
// blanks once.
const QStringList handRoster = {
    "P1|K1a|S1", "P1|K1b|S1", "P1|K1b|S2", "P1|K1a|S7",
    "P2|K2a|S3", "P2|K2a| S4 ", "P2x|K2b|S5",
    "P3|K3|S3", "P3|K3|S5",
    "P4|K4|S1", "P4|K4|S2", "P4|K4|S6",
    "P5|K5|S1", "P5|K5|S4",
    "P6|K6|S4", "P6|K6|S6",
};

struct Fixture {
    TestDatabase db;
    DataModule dm;

    explicit Fixture(const QStringList& roster)
    {
        db.addRoster(roster);
        dm.reconfigure();
    }

    // Students that sit two papers of one period, counted from the tables.
    QString clashes() { return studentsInTwoPapersOfAPeriod(db); }

    // The most distinct students one period holds.
    int fullestPeriod()
    {
        return db.scalar("select coalesce(max(n),0) from (select count(distinct trim(b.xh)) as n from t_bjgmd b"
                         " join t_kscs k on k.sjxh = b.sjxh group by k.cc)").toInt();
    }

    // Every row of the tables an adoption writes, as stored.
    QStringList tables()
    {
        return placementTables(db)
            + db.rows("select 'jkap', rowid, quote(cc), quote(jsid), quote(jkid), quote(sg) from t_jkap order by rowid");
    }
};

// The hand roster placed by hand: P1 P3 | P2 P2x P4 | P5 | P6 in periods
// 1..4, P2, P2x, P3 and P4 in rooms, duties in periods 1, 2 and 3.
void placeHandRoster(TestDatabase& db)
{
    db.exec("insert into t_js(jsm,rnrs) values('A101',30),('A102',30),('B201',0)");
    db.exec("insert into t_kscs(cc,sjxh,sjxh1,jsid) values"
            "('1','P1','P1',0),('1','P3','P3',1),('2','P2','P2',1),('2','P2x','P2',2),('2','P4','P4',2),"
            "('3','P5','P5',0),('4','P6','P6',0)");
    db.exec("insert into t_cc(cc,kssj) values('1',''),('2',''),('3',''),('4','')");
    db.exec("insert into t_jkjs(xm) values('王老师')");
    db.exec("insert into t_jkap(cc,jsid,jkid,sg) values('1',1,1,1),('2',2,1,0),('3',1,1,0)");
}

int vertexOf(const TermTimetable& term, const QString& paper)
{
    for (int v = 0; v < term.placed.papers.size(); ++v)
        if (term.placed.papers[v].contains(paper))
            return v;
    return -1;
}

QStringList dailyTimes(int count, int sittingsPerDay)
{
    const Sitting sittings[] = { { 8 * 60, 10 * 60 }, { 10 * 60 + 30, 12 * 60 + 30 }, { 14 * 60 + 30, 16 * 60 + 30 } };
    QStringList times;
    for (int p = 0; p < count; ++p)
        times.append(ExamTime { QDate(2027, 1, 11).addDays(p / sittingsPerDay), sittings[p % sittingsPerDay] }.text());
    return times;
}

} // namespace

class TestTermTimetable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsPapersStudentsTimesAndSeats();
    void layoutFollowsTheTimeTexts_data();
    void layoutFollowsTheTimeTexts();
    void calendarGivesTimesInOrder();
    void adoptionWritesPeriodsTimesAndRooms();
    void spreadAdoptedNeverClashesNorOverfills_data();
    void spreadAdoptedNeverClashesNorOverfills();
    void aClashFoundBeforeCommitChangesNothing();
    void torontoSetStaysClashFreeAfterAdoption();
};

void TestTermTimetable::readsPapersStudentsTimesAndSeats()
{
    Fixture f(handRoster);
    placeHandRoster(f.db);
    f.db.exec("update t_cc set kssj='2027-01-12 星期二 08:00-10:00' where cc='2'");

    const TermTimetable term = readTermTimetable(f.dm);
    QCOMPARE(term.placed.periodNumbers, QStringList({"1", "2", "3", "4"}));
    QCOMPARE(term.times, QStringList({"", "2027-01-12 星期二 08:00-10:00", "", ""}));
    // P2 and the part split off it are one paper; P1's two courses too.
    QCOMPARE(term.enrolments.papers, 6);
    const int p2 = vertexOf(term, "P2"), p5 = vertexOf(term, "P5");
    QCOMPARE(vertexOf(term, "P2x"), p2);
    // S1..S7 by trimmed number, S1 sitting P1 once though listed twice.
    QCOMPARE(int(term.enrolments.students.size()), 7);
    std::vector<int> s1 = term.enrolments.students[0];
    std::vector<int> s2 = term.enrolments.students[3];
    std::sort(s1.begin(), s1.end());
    std::sort(s2.begin(), s2.end());
    std::vector<int> expected1 = {vertexOf(term, "P1"), vertexOf(term, "P4"), p5}, expected2 = {p2, p5, vertexOf(term, "P6")};
    std::sort(expected1.begin(), expected1.end());
    std::sort(expected2.begin(), expected2.end());
    QCOMPARE(s1, expected1);
    QCOMPARE(s2, expected2);
    QCOMPARE(term.seats, 60); // B201 seats nobody
}

void TestTermTimetable::layoutFollowsTheTimeTexts_data()
{
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<std::vector<int>>("position");
    QTest::addColumn<std::vector<int>>("day");
    const QString mon = "2027-01-11 星期一 ", tue = "2027-01-12 星期二 ", fri = "2027-01-15 星期五 ";
    QTest::newRow("three sittings, a night")
        << QStringList{mon + "08:00-10:00", mon + "10:30-12:30", mon + "14:30-16:30", tue + "08:00-10:00"}
        << std::vector<int>{0, 1, 2, 4} << std::vector<int>{0, 0, 0, 1};
    // Out of order, a sitting empty on one day, days far apart in the calendar.
    QTest::newRow("gaps keep their place")
        << QStringList{fri + "14:30-16:30", mon + "8:00-10:00", fri + "8:00-10:00", mon + "10:30-12:30"}
        << std::vector<int>{6, 0, 4, 1} << std::vector<int>{1, 0, 1, 0};
    QTest::newRow("one time twice") << QStringList{mon + "08:00-10:00", mon + "08:00-10:00"} << std::vector<int>{0, 0}
                                    << std::vector<int>{0, 0};
    // Undated periods lie alone, out of reach of every other.
    QTest::newRow("without dates") << QStringList{"", mon + "08:00-10:00", "周一上午", "2027-01-11 星期二 08:00-10:00"}
                                   << std::vector<int>{8, 0, 14, 20} << std::vector<int>{1, 0, 2, 3};
}

void TestTermTimetable::layoutFollowsTheTimeTexts()
{
    QFETCH(QStringList, times);
    QFETCH(std::vector<int>, position);
    QFETCH(std::vector<int>, day);
    const PeriodLayout layout = layoutOfTimes(times);
    QCOMPARE(layout.position, position);
    QCOMPARE(layout.day, day);
}

void TestTermTimetable::calendarGivesTimesInOrder()
{
    // Saturday 2027-01-09 is skipped, so is Monday the 11th; the sittings
    // are given out of order and one with blanks.
    ExamCalendar calendar;
    calendar.firstDate = QDate(2027, 1, 9);
    calendar.skippedWeekdays = {6, 7};
    calendar.skippedDates = " 2027-01-11；2027/1/20 ";
    calendar.sittings = {"14:30-16:30", " 8:00-10:00 "};
    calendar.periods = 5;
    const ExamSlots offered = examSlots(calendar, 5);
    QCOMPARE(offered.fault, QString());
    QCOMPARE(offered.times, QStringList({"2027-01-12 星期二 08:00-10:00", "2027-01-12 星期二 14:30-16:30",
                                       "2027-01-13 星期三 08:00-10:00", "2027-01-13 星期三 14:30-16:30",
                                       "2027-01-14 星期四 08:00-10:00"}));
    QCOMPARE(offered.days, 3);
    QCOMPARE(offered.lastDate, QDate(2027, 1, 14));
    // The layout the spread works on is the one the written times give back.
    QCOMPARE(offered.layout.position, layoutOfTimes(offered.times).position);
    QCOMPARE(offered.layout.day, layoutOfTimes(offered.times).day);
    QVERIFY(!examSlots(calendar, 6).fault.isEmpty());
}

void TestTermTimetable::adoptionWritesPeriodsTimesAndRooms()
{
    Fixture f(handRoster);
    placeHandRoster(f.db);
    // An invigilator who cannot take period 2's time, typed as its number.
    f.db.exec("update t_cc set kssj='2027-01-20 09:00-11:00' where cc='2'");
    f.db.exec("update t_jkjs set bkcc='2 2027-01-21' where xm='王老师'");
    const TermTimetable term = readTermTimetable(f.dm);
    // Six offered over two days. Period 2 (P2 with P2x, P4) moves whole to
    // slot 4; period 1 parts: P1, its larger paper, to slot 1, P3 to slot 0.
    Colouring spread(term.placed.papers.size());
    spread[vertexOf(term, "P1")] = 1;
    spread[vertexOf(term, "P2")] = 4;
    spread[vertexOf(term, "P3")] = 0;
    spread[vertexOf(term, "P4")] = 4;
    spread[vertexOf(term, "P5")] = 3;
    spread[vertexOf(term, "P6")] = 5;
    const QStringList times = dailyTimes(6, 3);

    const SpreadAdoption adopted = adoptSpread(f.dm, term, spread, times);
    QCOMPARE(adopted.fault, QString());
    // Slot 2 is empty and dropped: offered 0 1 3 4 5 become periods 1..5.
    QCOMPARE(f.db.rows("select quote(cc), quote(kssj) from t_cc order by rowid"),
             QStringList({"'1'|'2027-01-11 星期一 08:00-10:00'", "'2'|'2027-01-11 星期一 10:30-12:30'",
                          "'3'|'2027-01-12 星期二 08:00-10:00'", "'4'|'2027-01-12 星期二 10:30-12:30'",
                          "'5'|'2027-01-12 星期二 14:30-16:30'"}));
    // P2, P2x and P4 moved as their whole period did, so they keep their
    // rooms; period 1 goes on in P1's slot, and P3, which left it, loses its room.
    QCOMPARE(f.db.rows("select quote(sjxh), quote(cc), quote(jsid), typeof(jsid) from t_kscs order by sjxh"),
             QStringList({"'P1'|'2'|0|integer", "'P2'|'4'|1|integer", "'P2x'|'4'|2|integer",
                          "'P3'|'1'|0|integer", "'P4'|'4'|2|integer", "'P5'|'3'|0|integer",
                          "'P6'|'5'|0|integer"}));
    QCOMPARE(adopted.roomsCleared, QStringList({"P3"}));
    // Duties follow their periods (1 to 2, 2 to 4, 3 stays 3) only into
    // rooms that hold candidates there: A101 left period 1 with P3, and
    // period 3 has no room at all.
    QCOMPARE(f.db.rows("select quote(cc), jsid from t_jkap order by cc"), QStringList({"'4'|2"}));
    QCOMPARE(adopted.dutiesDropped, 2);
    // Period 2 is a number of another period now; the item still means its time.
    QCOMPARE(f.db.scalar("select quote(bkcc) from t_jkjs"), QString("'2027-01-20 星期三 09:00-11:00 2027-01-21'"));
    QCOMPARE(f.clashes(), QString("0"));
}

void TestTermTimetable::spreadAdoptedNeverClashesNorOverfills_data()
{
    QTest::addColumn<bool>("limited");
    QTest::newRow("free") << false;
    QTest::newRow("within the seats") << true;
}

void TestTermTimetable::spreadAdoptedNeverClashesNorOverfills()
{
    QFETCH(bool, limited);
    // The crown roster: A1 has a second course, S12 is listed on both of
    // A1's courses, and B1 has a course split off in its period. The rooms
    // seat what the fullest period holds now.
    Fixture f(crownRoster(4));
    schedulePapers(f.dm, [](int, int) { });
    f.db.addRoster({"A1|KA1b|S12"});
    f.db.exec("update t_bjgmd set sjxh='B1x', kcxh='KB1x' where xh in ('F1','F2')");
    f.db.exec("insert into t_kscs(cc,sjxh,sjxh1,jsid) select cc,'B1x','B1',0 from t_kscs where sjxh='B1'");
    const int seats = f.fullestPeriod();
    f.db.exec(QString("insert into t_js(jsm,rnrs) values('A101',5),('A102',%1)").arg(seats - 5));
    f.db.exec("update t_kscs set jsid=1");

    const TermTimetable term = readTermTimetable(f.dm);
    QCOMPARE(term.seats, seats);
    const int slotCount = term.placed.periods + 4;
    SpreadSearch search;
    search.iterations = 5000;
    search.milliseconds = -1;
    if (limited)
        search.capacity = term.seats;
    Colouring start = term.placed.current;
    const Colouring spread = spreadPapers(term.enrolments, start, dailyLayout(slotCount, 3), search);
    const SpreadAdoption adopted = adoptSpread(f.dm, term, spread, dailyTimes(slotCount, 3));
    QCOMPARE(adopted.fault, QString());

    QCOMPARE(f.clashes(), QString("0"));
    if (limited)
        QVERIFY(f.fullestPeriod() <= seats);
    // B1x still sits with B1; every period is numbered, timed and in use.
    QCOMPARE(f.db.scalar("select count(distinct cc) from t_kscs where sjxh in ('B1','B1x')"), QString("1"));
    QCOMPARE(f.db.rows("select cc from t_cc order by rowid"), f.db.rows("select distinct cc from t_kscs order by cast(cc as integer)"));
    QCOMPARE(f.db.scalar("select count(*) from t_cc where kssj not like '2027-01-%'"), QString("0"));
    QCOMPARE(f.db.scalar("select group_concat(kssj, ';') from (select kssj from t_cc order by cast(cc as integer))"),
             f.db.scalar("select group_concat(kssj, ';') from (select kssj from t_cc order by kssj)"));
    // A paper whose room was taken away is one that left its period's company.
    for (const QString& paper : adopted.roomsCleared)
        QCOMPARE(f.db.scalar("select jsid from t_kscs where sjxh='" + paper + "'"), QString("0"));
    QCOMPARE(f.db.scalar("select count(*) from t_kscs where jsid=0").toInt(), int(adopted.roomsCleared.size()));
}

void TestTermTimetable::aClashFoundBeforeCommitChangesNothing()
{
    Fixture f(handRoster);
    placeHandRoster(f.db);
    const QStringList before = f.tables();
    const TermTimetable term = readTermTimetable(f.dm);
    // P2 and P3 share S3: one slot for both must be refused at the commit.
    Colouring spread(term.placed.papers.size(), 0);
    spread[vertexOf(term, "P4")] = 1;
    spread[vertexOf(term, "P5")] = 1;
    spread[vertexOf(term, "P6")] = 2;
    const SpreadAdoption adopted = adoptSpread(f.dm, term, spread, dailyTimes(3, 3));
    QVERIFY(adopted.fault.contains("第 1 场中学号"));
    QVERIFY(adopted.roomsCleared.isEmpty());
    QCOMPARE(f.tables(), before);
    // A result that does not fit the term is refused as well.
    QVERIFY(!adoptSpread(f.dm, term, Colouring{0, 1}, dailyTimes(3, 3)).fault.isEmpty());
    QCOMPARE(f.tables(), before);
}

void TestTermTimetable::torontoSetStaysClashFreeAfterAdoption()
{
    const TorontoRoster roster = TorontoRoster::load(QStringLiteral(PAIKAO_TORONTO), QStringLiteral("hec-s-92"));
    if (roster.rows.isEmpty())
        QSKIP("the Toronto data is not present");
    Fixture f(roster.rows);
    schedulePapers(f.dm, [](int, int) { });
    const TermTimetable term = readTermTimetable(f.dm);
    QCOMPARE(term.enrolments.papers, roster.exams);
    QCOMPARE(int(term.enrolments.students.size()), roster.students);
    const int slotCount = term.placed.periods + 3;
    SpreadSearch search;
    search.iterations = 20000;
    search.milliseconds = -1;
    const PeriodLayout layout = dailyLayout(slotCount, 3);
    const Colouring spread = spreadPapers(term.enrolments, term.placed.current, layout, search);
    QVERIFY(adoptSpread(f.dm, term, spread, dailyTimes(slotCount, 3)).fault.isEmpty());
    QCOMPARE(f.clashes(), QString("0"));
    // Read back, the term's own times give the same cost.
    const TermTimetable after = readTermTimetable(f.dm);
    QCOMPARE(proximityCost(after.enrolments, after.placed.current, after.layout),
             proximityCost(term.enrolments, spread, layout));
}

QTEST_GUILESS_MAIN(TestTermTimetable)
#include "tst_termtimetable.moc"

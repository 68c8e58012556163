// Reading the placed papers into a conflict graph and writing fewer periods
// back, on small rosters and on a Toronto set with a proved optimum. The
// result is checked in the raw tables, apart from the code under test.
#include "DataModule.h"
#include "periods/PeriodReduction.h"
#include "Rosters.h"
#include "periods/Scheduling.h"
#include "TorontoRoster.h"

#include <QTest>

namespace {

// Students that sit two papers of one period, or periods that are not 1..K
// with one empty t_cc row each; empty when the arrangement is sound.
QString periodFault(TestDatabase& db)
{
    const QString clashes = studentsInTwoPapersOfAPeriod(db);
    if (clashes != "0")
        return clashes + " students sit two papers in one period";
    const QStringList periods = db.rows("select distinct cc from t_kscs order by cast(cc as integer)");
    for (int i = 0; i < periods.size(); ++i)
        if (periods[i] != QString::number(i + 1))
            return "periods are not 1..K: " + periods.join(u',');
    if (db.rows("select cc from t_cc where kssj = '' order by cast(cc as integer)") != periods
        || db.scalar("select count(*) from t_cc").toInt() != periods.size())
        return "t_cc does not hold one empty row per period";
    return {};
}

struct Fixture {
    TestDatabase db;
    DataModule dm;

    explicit Fixture(const QStringList& roster)
    {
        db.addRoster(roster);
        dm.reconfigure();
        schedulePapers(dm, [](int, int) { });
    }
};

ReductionLimits budget(long long iterations)
{
    ReductionLimits limits;
    limits.milliseconds = 600000;
    limits.iterations = iterations;
    return limits;
}

} // namespace

class TestPeriodReduction : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void papersThatStayTogetherAreOneVertex();
    void fewerPeriodsKeepRoomsAndRebuildPeriods();
    void aConflictFoundBeforeCommitChangesNothing();
    void timesAreWhatTheWindowAsksAbout();
    void onePaperInTwoPeriodsEndsInOne();
    void torontoSetReachesItsProvedOptimum_data();
    void torontoSetReachesItsProvedOptimum();
};

void TestPeriodReduction::papersThatStayTogetherAreOneVertex()
{
    Fixture f(crownRoster(4));
    QCOMPARE(f.db.scalar("select count(distinct cc) from t_kscs"), QString("4"));
    // B1 and B2 lose a course each to a paper of its own in their period;
    // the one split off B2 is then moved to the last period by hand.
    f.db.exec("update t_bjgmd set sjxh='B1x', kcxh='KB1x' where xh in ('F1','F2')");
    f.db.exec("insert into t_kscs(cc,sjxh,sjxh1,jsid) select cc,'B1x','B1',0 from t_kscs where sjxh='B1'");
    f.db.exec("update t_bjgmd set sjxh='B2x', kcxh='KB2x' where xh='F5'");
    f.db.exec("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('4','B2x','B2',0)");

    const PlacedPapers placed = readPlacedPapers(f.dm);
    QCOMPARE(placed.periods, 4);
    QCOMPARE(int(placed.papers.size()), 9);
    int a1 = -1, b1 = -1, b2x = -1;
    for (int v = 0; v < placed.papers.size(); ++v) {
        if (placed.papers[v] == QStringList{"A1"})
            a1 = v;
        if (placed.papers[v].contains("B1"))
            b1 = v;
        if (placed.papers[v] == QStringList{"B2x"})
            b2x = v;
    }
    QVERIFY(a1 >= 0 && b1 >= 0 && b2x >= 0);
    QCOMPARE(placed.papers[b1], (QStringList{"B1", "B1x"}));
    QCOMPARE(placed.graph[a1].size(), std::size_t(3)); // B2, B3, B4: the course KA1b adds nobody
    QCOMPARE(placed.graph[b2x].size(), std::size_t(0));
    for (int v = 0; v < placed.papers.size(); ++v)
        QCOMPARE(placed.current[v], f.db.scalar("select cc from t_kscs where sjxh='" + placed.papers[v][0] + "'").toInt() - 1);
}

void TestPeriodReduction::fewerPeriodsKeepRoomsAndRebuildPeriods()
{
    Fixture f(crownRoster(4));
    f.db.exec("insert into t_kscs(cc,sjxh,sjxh1,jsid) select cc,'B1x','B1',0 from t_kscs where sjxh='B1'");
    f.db.exec("update t_bjgmd set sjxh='B1x', kcxh='KB1x' where xh='F1'");
    f.db.exec("update t_kscs set jsid=rowid");
    const QStringList rooms = f.db.rows("select sjxh, jsid from t_kscs order by sjxh");

    const PlacedPapers placed = readPlacedPapers(f.dm);
    QList<int> heard;
    const Colouring periods = searchFewerPeriods(placed, budget(2000), [&](int n) { heard.append(n); }, {});
    QCOMPARE(colourCount(periods), 2);
    QCOMPARE(heard.last(), 2);
    QCOMPARE(writePeriods(f.dm, placed, periods), QString());

    QCOMPARE(periodFault(f.db), QString());
    QCOMPARE(f.db.rows("select sjxh, jsid from t_kscs order by sjxh"), rooms);
    QCOMPARE(f.db.scalar("select group_concat(sjxh) from (select sjxh from t_kscs where cc='1' order by sjxh)"), QString("A1,A2,A3,A4"));
    QCOMPARE(f.db.scalar("select group_concat(sjxh) from (select sjxh from t_kscs where cc='2' order by sjxh)"), QString("B1,B1x,B2,B3,B4"));
    QCOMPARE(f.db.scalar("select count(*) from t_kscs"), QString("9"));
}

void TestPeriodReduction::aConflictFoundBeforeCommitChangesNothing()
{
    Fixture f(crownRoster(4));
    // A course split off A1 whose student also sits A1's other course: the
    // two must stay together and cannot share a period.
    f.db.exec("insert into t_bjgmd(sjxh,kcxh,xh) values('A1x','KA1x','S12')");
    f.db.exec("insert into t_kscs(cc,sjxh,sjxh1,jsid) select cc,'A1x','A1',0 from t_kscs where sjxh='A1'");
    const QStringList before = placementTables(f.db);

    const PlacedPapers placed = readPlacedPapers(f.dm);
    const Colouring periods = searchFewerPeriods(placed, budget(2000), {}, {});
    QCOMPARE(writePeriods(f.dm, placed, periods), QString("第 1 场中学号 S12 的学生有两份试卷，场次未作改动。"));
    QCOMPARE(placementTables(f.db), before);
}

void TestPeriodReduction::timesAreWhatTheWindowAsksAbout()
{
    Fixture f(crownRoster(4));
    QVERIFY(!periodsHaveTimes(f.dm));
    f.db.exec("update t_cc set kssj=' 　' where cc='2'");
    QVERIFY(!periodsHaveTimes(f.dm));
    f.db.exec("update t_cc set kssj='6月20日' where cc='3'");
    QVERIFY(periodsHaveTimes(f.dm));
}

// Older files can hold one paper number placed in two periods; its vertex
// starts in a period whose index is beyond the vertices.
void TestPeriodReduction::onePaperInTwoPeriodsEndsInOne()
{
    TestDatabase db;
    db.addRoster({"9|K9|S1|甲|C9|数学||||补考", "9|K9b|S2|乙|C9b|物理||||补考", "5|K5|S3|丙|C5|化学||||补考"});
    db.exec("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('1','9','9',0),('2','9','9',0),('3','5','5',0);"
            "insert into t_cc(cc) values('1'),('2'),('3')");
    DataModule dm;
    dm.reconfigure();
    const PlacedPapers placed = readPlacedPapers(dm);
    QCOMPARE(placed.periods, 3);
    QCOMPARE(placed.current, (Colouring{0, 2}));
    const Colouring periods = searchFewerPeriods(placed, budget(2000), {}, {});
    QCOMPARE(periods, (Colouring{0, 0}));
    QCOMPARE(writePeriods(dm, placed, periods), QString());
    QCOMPARE(periodFault(db), QString());
    QCOMPARE(db.rows("select distinct cc from t_kscs"), QStringList{"1"});
}

void TestPeriodReduction::torontoSetReachesItsProvedOptimum_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("firstFit");
    QTest::addColumn<int>("optimum");

    QTest::newRow("hec-s-92") << "hec-s-92" << 22 << 17;
    QTest::newRow("lse-f-91") << "lse-f-91" << 20 << 17;
}

void TestPeriodReduction::torontoSetReachesItsProvedOptimum()
{
    QFETCH(QString, set);
    QFETCH(int, firstFit);
    QFETCH(int, optimum);
    const TorontoRoster roster = TorontoRoster::load(QStringLiteral(PAIKAO_TORONTO), set);
    if (roster.rows.isEmpty())
        QSKIP("the Toronto data is not present");
    Fixture f(roster.rows);
    QCOMPARE(f.db.scalar("select count(*) from t_cc").toInt(), firstFit);

    const PlacedPapers placed = readPlacedPapers(f.dm);
    QCOMPARE(placed.periods, firstFit);
    QCOMPARE(int(placed.papers.size()), roster.exams);
    const Colouring periods = searchFewerPeriods(placed, budget(200000), {}, {});
    QCOMPARE(colourCount(periods), optimum);
    QCOMPARE(writePeriods(f.dm, placed, periods), QString());
    QCOMPARE(periodFault(f.db), QString());
    QCOMPARE(f.db.scalar("select count(*) from t_cc").toInt(), optimum);
    QCOMPARE(f.db.scalar("select count(*) from t_kscs").toInt(), roster.exams);
}

QTEST_GUILESS_MAIN(TestPeriodReduction)
#include "tst_periodreduction.moc"

// Real enrolment data: the run's periods against an in-memory first fit over
// the same order (candidates descending, paper number descending as text),
// and against the window's own conflict test asked period by period.
#include "DataModule.h"
#include "Rosters.h"
#include "periods/Scheduling.h"
#include "SlotSteps.h"
#include "TorontoRoster.h"
#include "Transaction.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <algorithm>

namespace {

// Paper -> period by first fit, independent of the database.
QHash<QString, int> firstFit(const QStringList& rows)
{
    QHash<QString, QStringList> students;
    for (const QString& row : rows) {
        const QStringList v = row.split(u'|');
        students[v[0]].append(v[2]);
    }
    QStringList order = students.keys();
    std::sort(order.begin(), order.end(), [&](const QString& a, const QString& b) {
        return students[a].size() != students[b].size() ? students[a].size() > students[b].size() : a > b;
    });
    QList<QSet<QString>> periods;
    QHash<QString, int> periodOf;
    for (const QString& paper : order) {
        int p = 0;
        while (p < periods.size() && std::any_of(students[paper].begin(), students[paper].end(),
                                                 [&](const QString& s) { return periods[p].contains(s); }))
            ++p;
        if (p == periods.size())
            periods.append(QSet<QString>());
        for (const QString& s : students[paper])
            periods[p].insert(s);
        periodOf.insert(paper, p + 1);
    }
    return periodOf;
}

// The placements and refusal that the window's statements give: for each
// paper of the list, the first period whose conflict test (the paper's rows
// together with the period's, grouped by student) finds no one twice,
// passing over the periods that seat one of its students. Written to t_kscs
// and t_cc in one transaction, kept only when every paper found a period.
QString scheduleByConflictTest(DataModule& dm)
{
    QString refusal;
    inTransaction(dm.ADOConnection1, [&] {
        QuerySlot& list = dm.ADOQuery1;
        openOn(list, "select sjxh as 试卷序号,Num as 缓补考人数 from t_hbkrs order by Num desc,sjxh desc      ");
        int highestInUse = 0;
        for (list.First(); !list.Eof(); list.Next()) {
            const QString paper = list.FieldByName(QStringLiteral("试卷序号")).AsString().trimmed();
            openOn(dm.ADOQuery13, SqlText("select distinct cc from t_kscs where sjxh in (select sjxh from t_bjgmd "
                                          "where xh in (select xh from t_bjgmd where sjxh ='") + paper + "'))");
            QSet<int> taken;
            for (dm.ADOQuery13.First(); !dm.ADOQuery13.Eof(); dm.ADOQuery13.Next())
                taken.insert(dm.ADOQuery13.FieldByName(QStringLiteral("cc")).AsString().toInt());
            int period = 1;
            for (;; ++period) {
                if (taken.contains(period))
                    continue;
                openOn(dm.ADOQuery2, SqlText("  SELECT * FROM (select xh,count(*) from (select * from t_bjgmd where sjxh ='")
                                         + paper + "' or sjxh in (select sjxh from t_kscs where cc='"
                                         + QString::number(period) + "') )  group by xh having count(*)>1)            ");
                if (dm.ADOQuery2.RecordCount() == 0)
                    break;
                if (period > highestInUse) {
                    refusal = refusalText({paper, dm.ADOQuery2.value(0, 0).toString(), dm.ADOQuery2.value(0, 1).toInt()});
                    return false;
                }
            }
            highestInUse = qMax(highestInUse, period);
            executeOn(dm.ADOQuery20, SqlText("INSERT INTO t_kscs(cc,sjxh,sjxh1) VALUES('") + QString::number(period)
                                         + "','" + paper + "','" + paper + "'   )          ");
        }
        executeOn(dm.ADOQuery20, "insert into t_cc(cc) select distinct cc from t_kscs");
        return true;
    });
    return refusal;
}

// What a run leaves: its refusal (empty when none), placements and periods.
QStringList outcome(TestDatabase& db, const QString& refusal)
{
    return QStringList{refusal} + placements(db)
        + db.rows(QStringLiteral("select quote(cc), quote(kssj) from t_cc order by cast(cc as integer)"));
}

// A roster of `papers` papers over `students` students, papers of one to a
// few hundred candidates, from a seed.
QStringList generatedRoster(quint32 seed, int papers, int students)
{
    QRandomGenerator random(seed);
    QStringList rows;
    for (int p = 1; p <= papers; ++p) {
        const int size = p % 20 == 0 ? 100 + int(random.bounded(200)) : 1 + int(random.bounded(40));
        QSet<int> chosen;
        while (chosen.size() < qMin(size, students))
            chosen.insert(int(random.bounded(students)));
        for (int s : chosen)
            rows.append(QStringList{QString::number(p), QStringLiteral("K%1").arg(p), QStringLiteral("S%1").arg(s)}.join(u'|'));
    }
    return rows;
}

} // namespace

class TestToronto : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void periodsMatchAnIndependentFirstFit_data();
    void periodsMatchAnIndependentFirstFit();
    void runMatchesTheConflictTest_data();
    void runMatchesTheConflictTest();
};

void TestToronto::periodsMatchAnIndependentFirstFit_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("periods"); // first fit in this order, computed apart

    QTest::newRow("hec-s-92") << "hec-s-92" << 22;
    QTest::newRow("sta-f-83") << "sta-f-83" << 13;
    QTest::newRow("yor-f-83") << "yor-f-83" << 23;
    QTest::newRow("ear-f-83-2, duplicated enrolments merged") << "ear-f-83-2" << 28;
}

void TestToronto::periodsMatchAnIndependentFirstFit()
{
    QFETCH(QString, set);
    QFETCH(int, periods);
    const TorontoRoster roster = TorontoRoster::load(QStringLiteral(PAIKAO_TORONTO), set);
    if (roster.rows.isEmpty())
        QSKIP("the Toronto data is not present");
    TestDatabase db;
    db.addRoster(roster.rows);
    DataModule dm;
    dm.reconfigure();

    const SchedulingRun run = schedulePapers(dm, [](int, int) { });

    QCOMPARE(run.papers, roster.exams);
    QCOMPARE(run.periods, periods);
    QCOMPARE(scheduleFault(db), QString());
    const QHash<QString, int> expected = firstFit(roster.rows);
    QHash<QString, int> actual;
    for (const QString& row : placements(db)) {
        const QStringList ccAndPaper = row.split(u'|');
        actual.insert(ccAndPaper[1], ccAndPaper[0].toInt());
    }
    QCOMPARE(actual, expected);
}

void TestToronto::runMatchesTheConflictTest_data()
{
    QTest::addColumn<QStringList>("rows");
    for (const char* set : {"car-f-92", "car-s-91", "ear-f-83", "hec-s-92", "kfu-s-93", "lse-f-91", "pur-s-93",
                            "rye-s-93", "sta-f-83", "tre-s-92", "uta-s-92", "ute-s-92", "yor-f-83"}) {
        const TorontoRoster roster = TorontoRoster::load(QStringLiteral(PAIKAO_TORONTO), QString::fromLatin1(set));
        if (roster.rows.isEmpty())
            QSKIP("the Toronto data is not present");
        QTest::newRow(set) << roster.rows;
    }
    for (quint32 seed : {1u, 2u, 3u})
        QTest::addRow("generated, seed %u", seed) << generatedRoster(seed, 300, 2000);

    // A student listed twice under one paper: refused, at the same paper
    // and naming the same student, whether the paper is large or small.
    const QStringList sta = TorontoRoster::load(QStringLiteral(PAIKAO_TORONTO), QStringLiteral("sta-f-83")).rows;
    const QStringList generated = generatedRoster(4, 300, 2000);
    QTest::newRow("sta-f-83, a student twice in the first exam") << sta + QStringList{sta.first()};
    QTest::newRow("generated, a student twice in a small paper")
        << generated + QStringList{generated.last(), generated.last()};
    QTest::newRow("generated, two papers with a student twice")
        << generated + QStringList{generated.first(), generated.last()};
}

void TestToronto::runMatchesTheConflictTest()
{
    QFETCH(QStringList, rows);
    TestDatabase db;
    db.addRoster(rows);
    DataModule dm;
    dm.reconfigure();

    const QStringList expected = outcome(db, scheduleByConflictTest(dm));
    db.exec(QStringLiteral("delete from t_kscs; delete from t_cc"));
    const SchedulingRun run = schedulePapers(dm, [](int, int) { });
    QCOMPARE(outcome(db, run.refused ? refusalText(run.duplicate) : QString()), expected);
}

QTEST_MAIN(TestToronto)
#include "tst_toronto.moc"

// Real enrolment data: the run's periods against an in-memory first fit over
// the same order (candidates descending, paper number descending as text).
#include "DataModule.h"
#include "Rosters.h"
#include "Scheduling.h"
#include "TorontoRoster.h"

#include <QHash>
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

} // namespace

class TestToronto : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void periodsMatchAnIndependentFirstFit_data();
    void periodsMatchAnIndependentFirstFit();
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

QTEST_MAIN(TestToronto)
#include "tst_toronto.moc"

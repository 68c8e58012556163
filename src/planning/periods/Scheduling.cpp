#include "periods/Scheduling.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "Transaction.h"

#include <QSet>

namespace {

// Students listed more than once under paper P.
//
// The window's conflict test groups the roster rows of P together with those
// of period N's papers. In a period that seats none of P's students, it can
// only find a student listed twice: not within N's papers, which each passed
// that test on their way in (the run starts from an empty t_kscs), so within
// P. Asked once per paper, this answers the test for every such period, and
// costs a few index probes instead of a pass over the whole period.
void openDuplicateTest(QuerySlot& q, const QString& paper)
{
    openOn(q, SqlText("select xh,count(*) from t_bjgmd where sjxh ='") + paper + "' group by xh having count(*)>1");
}

// The periods that already seat one of paper P's students: every one of
// them fails the conflict test, so the search need not ask it there. The
// lookup goes through the students' own rows, a few index probes per paper,
// where the conflict test groups the whole roster of a period.
QSet<int> periodsOfStudents(QuerySlot& q, const QString& paper)
{
    openOn(q, SqlText("select distinct cc from t_kscs where sjxh in (select sjxh from t_bjgmd where xh in "
                      "(select xh from t_bjgmd where sjxh ='") + paper + "'))");
    QSet<int> periods;
    for (q.First(); !q.Eof(); q.Next())
        periods.insert(q.FieldByName(QStringLiteral("cc")).AsString().toInt());
    return periods;
}

// Steps through the paper list; false when a paper cannot be placed.
bool placePapers(DataModule& dm, const SchedulingProgress& progress, SchedulingRun& run)
{
    executeOn(dm.ADOQuery17, " delete * from t_cc          ");

    QuerySlot& list = dm.ADOQuery1;
    openOn(list, "select sjxh as 试卷序号,Num as 缓补考人数 from t_hbkrs order by Num desc,sjxh desc      ");
    list.First();
    run.papers = list.RecordCount();
    progress(0, run.papers);

    int placed = 0;
    while (!list.Eof()) {
        ++placed;
        const QString paper = list.FieldByName(QStringLiteral("试卷序号")).AsString().trimmed();
        // A paper that lists a student twice fails the conflict test in every
        // period, up to the first empty one, where the run gives up.
        openDuplicateTest(dm.ADOQuery2, paper);
        ++run.conflictTests;
        if (dm.ADOQuery2.RecordCount() > 0) {
            run.refused = true;
            run.duplicate = {paper, dm.ADOQuery2.value(0, 0).toString(), dm.ADOQuery2.value(0, 1).toInt()};
            return false;
        }
        const QSet<int> taken = periodsOfStudents(dm.ADOQuery13, paper);
        int period = 1;
        while (taken.contains(period))
            ++period;

        executeOn(dm.ADOQuery20, SqlText("INSERT INTO t_kscs(cc,sjxh,sjxh1) VALUES('") + QString::number(period) + "','"
                                     + paper + "','" + paper + "'   )          ");

        list.Next();
        progress(placed, run.papers);
    }

    openOn(dm.ADOQuery19, "  SELECT distinct cc FROM t_kscs    ");
    run.periods = dm.ADOQuery19.RecordCount();
    for (dm.ADOQuery19.First(); !dm.ADOQuery19.Eof(); dm.ADOQuery19.Next()) {
        const QString period = dm.ADOQuery19.FieldByName(QStringLiteral("cc")).AsString();
        executeOn(dm.ADOQuery20, SqlText("insert into t_cc(cc) values('") + period + "')       ");
    }
    return true;
}

} // namespace

SchedulingRun schedulePapers(DataModule& dm, const SchedulingProgress& progress)
{
    SchedulingRun run;
    inTransaction(dm.ADOConnection1, [&] { return placePapers(dm, progress, run); });
    return run;
}

QString refusalText(const SchedulingRun::Duplicate& duplicate)
{
    return QStringLiteral("试卷序号 %1 下学号 %2 出现了 %3 次，无法排考。\n请先进行数据校验，删除重复数据后再排考。排考表未作改动。")
        .arg(duplicate.paper, duplicate.student)
        .arg(duplicate.times);
}

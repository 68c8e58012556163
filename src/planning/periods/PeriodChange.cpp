#include "periods/PeriodChange.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "Transaction.h"
#include "people/Invigilation.h"
#include "rooms/RoomCapacity.h"

void movePaperToPeriod(DataModule& dm, const QString& paper, const QString& period)
{
    executeOn(dm.ADOQuery26, SqlText("update t_kscs  set cc='") + period + "' where t_kscs.sjxh='" + paper + "'  ");
}

PeriodChange changePaperPeriod(DataModule& dm, const QString& paper, const QString& period)
{
    PeriodChange change;
    inTransaction(dm.ADOConnection1, [&] {
        openOn(dm.ADOQuery25, SqlText("SELECT * from bjgmd where (   xh in (select xh from bjgmd where sjxh='") + paper
                                  + "') and cc='" + period + "')  ");
        if (dm.ADOQuery25.RecordCount() > 0) {
            change.refusal = QStringLiteral("学生考试有冲突！！！");
            return false;
        }
        movePaperToPeriod(dm, paper, period);
        openOn(dm.ADOQuery28, SqlText("select * from t_cc where cc='") + period + "'");
        if (dm.ADOQuery28.RecordCount() == 0) {
            executeOn(dm.ADOQuery27, SqlText("insert into t_cc(cc) values('") + period + "') ");
            change.newPeriod = true;
        }
        // The room goes with the paper while it has the seats at the new time.
        openOn(dm.ADOQuery28, SqlText("select t_js.jsm from t_kscs join t_js on t_js.jsid=t_kscs.jsid where t_kscs.sjxh='")
                                  + paper + "' limit 1");
        if (dm.ADOQuery28.RecordCount() > 0) {
            const QString room = dm.ADOQuery28.value(0, 0).toString();
            if (roomOverflow(dm, room, paper)) {
                executeOn(dm.ADOQuery26, SqlText("update t_kscs set jsid=0 where sjxh='") + paper + "'");
                change.roomCleared = room.trimmed();
            }
        }
        dropBrokenDuties(dm);
        return true;
    });
    dm.ADOQuery25.Close();
    dm.ADOQuery28.Close();
    return change;
}

QString studentInTwoPapers(DataModule& dm, const QString& period)
{
    // Students by trimmed number; a student listed on two courses of one
    // paper sits it once. A part split off a paper is a paper of its own
    // here: who sits both would be in two rooms at once.
    openOn(dm.ADOQuery2,
           SqlText("select trim(t_bjgmd.xh) as xh from t_bjgmd join t_kscs on t_kscs.sjxh=t_bjgmd.sjxh where t_kscs.cc='")
               + period + "' group by trim(t_bjgmd.xh) collate nocase having count(distinct lower(t_kscs.sjxh))>1"
                          " order by 1 limit 1");
    const QString student = dm.ADOQuery2.RecordCount() == 0 ? QString() : dm.ADOQuery2.value(0, 0).toString();
    dm.ADOQuery2.Close();
    return student;
}

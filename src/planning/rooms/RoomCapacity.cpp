#include "rooms/RoomCapacity.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "time/ExamTime.h"

#include <QHash>

std::vector<std::vector<int>> periodsAtOnce(const QStringList& times)
{
    std::vector<std::vector<int>> atOnce(times.size());
    for (int p = 0; p < int(times.size()); ++p) {
        atOnce[p].push_back(p);
        for (int q = 0; q < int(times.size()); ++q)
            if (q != p && examTimesMeet(times[p], times[q]))
                atOnce[p].push_back(q);
    }
    return atOnce;
}

namespace {

// The room's candidates per period, the paper's own rows left out, so that
// giving it the room it already has asks nothing new.
QHash<QString, int> heldByPeriod(QuerySlot& q, const QString& room, const QString& paper)
{
    openOn(q, SqlText("select lower(cc),coalesce(sum(Num1),0) from ksap where jsm='") + room + "' and sjxh<>'" + paper
                  + "' group by lower(cc)");
    QHash<QString, int> held;
    for (int r = 0; r < q.RecordCount(); ++r)
        held.insert(q.value(r, 0).toString(), q.value(r, 1).toInt());
    return held;
}

// The periods sat at once with the paper's period: every period holding a
// placement or a time, and whether it meets the paper's.
QStringList periodsWithPaper(QuerySlot& q, const QString& paper)
{
    openOn(q, "select lower(cc),coalesce((select kssj from t_cc where t_cc.cc=t_kscs.cc order by rowid limit 1),'')"
              " from t_kscs group by lower(cc)");
    QStringList periods;
    QStringList times;
    for (int r = 0; r < q.RecordCount(); ++r) {
        periods.append(q.value(r, 0).toString());
        times.append(q.value(r, 1).toString());
    }
    openOn(q, SqlText("select lower(cc) from t_kscs where sjxh='") + paper + "' limit 1");
    if (q.RecordCount() == 0)
        return {};
    const qsizetype own = periods.indexOf(q.value(0, 0).toString());
    if (own < 0)
        return {q.value(0, 0).toString()};
    const std::vector<std::vector<int>> meeting = periodsAtOnce(times);
    QStringList atOnce;
    for (int p : meeting[size_t(own)])
        atOnce.append(periods[p]);
    return atOnce;
}

} // namespace

std::optional<RoomOverflow> roomOverflow(DataModule& dm, const QString& room, const QString& paper)
{
    QuerySlot& q = dm.ADOQuery22;
    openOn(q, SqlText("select (select min(rnrs) from t_js where jsm='") + room + "') as rnrs,"
                  " (select coalesce(sum(Num1),0) from ksap where sjxh='" + paper + "') as adding");
    if (q.RecordCount() == 0 || q.FieldByName(QStringLiteral("rnrs")).AsVariant().isNull())
        return std::nullopt;
    RoomOverflow overflow{room, q.FieldByName(QStringLiteral("rnrs")).AsVariant().toInt(), 0,
                          q.FieldByName(QStringLiteral("adding")).AsVariant().toInt()};
    const QHash<QString, int> held = heldByPeriod(q, room, paper);
    for (const QString& period : periodsWithPaper(q, paper))
        overflow.held += held.value(period);
    q.Close();
    if (overflow.adding == 0 || overflow.held + overflow.adding <= overflow.capacity)
        return std::nullopt;
    return overflow;
}

QString roomOverflowQuestion(const RoomOverflow& overflow)
{
    return QStringLiteral("教室 %1 容纳 %2 人，本场已安排 %3 人，再加 %4 人将超出容量。仍要指定吗？")
        .arg(overflow.room)
        .arg(overflow.capacity)
        .arg(overflow.held)
        .arg(overflow.adding);
}

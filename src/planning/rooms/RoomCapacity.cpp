#include "rooms/RoomCapacity.h"

#include "DataModule.h"
#include "SlotSteps.h"

std::optional<RoomOverflow> roomOverflow(DataModule& dm, const QString& room, const QString& paper)
{
    // The paper's own rows are left out of what the room holds, so that giving
    // it the room it already has asks nothing new.
    QuerySlot& q = dm.ADOQuery22;
    openOn(q, SqlText("select (select min(rnrs) from t_js where jsm='") + room + "') as rnrs,"
                  " (select coalesce(sum(Num1),0) from ksap where jsm='" + room + "' and sjxh<>'" + paper
                  + "' and cc in (select cc from t_kscs where sjxh='" + paper + "')) as held,"
                  " (select coalesce(sum(Num1),0) from ksap where sjxh='" + paper + "') as adding");
    if (q.RecordCount() == 0 || q.FieldByName(QStringLiteral("rnrs")).AsVariant().isNull())
        return std::nullopt;
    const RoomOverflow overflow{room, q.FieldByName(QStringLiteral("rnrs")).AsVariant().toInt(),
                                q.FieldByName(QStringLiteral("held")).AsVariant().toInt(),
                                q.FieldByName(QStringLiteral("adding")).AsVariant().toInt()};
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

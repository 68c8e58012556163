#include "RoomUse.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "Transaction.h"
#include "people/Invigilation.h"

RoomUse roomUse(DataModule& dm, const QString& name)
{
    openOn(dm.ADOQuery10, SqlText("select count(distinct sjxh) as papers,coalesce(sum(Num1),0) as candidates from ksap"
                                  " where jsid in (select jsid from t_js where jsm='") + name + "')");
    return {dm.ADOQuery10.FieldByName(QStringLiteral("papers")).AsVariant().toInt(),
            dm.ADOQuery10.FieldByName(QStringLiteral("candidates")).AsVariant().toInt()};
}

QString roomDeleteQuestion(const QString& name, const RoomUse& use)
{
    if (use.papers == 0)
        return QStringLiteral("是否删除？ ");
    return QStringLiteral("教室 %1 已安排了 %2 份试卷、%3 名考生，删除后它们将没有教室，需要重新指定。是否删除？ ")
        .arg(name)
        .arg(use.papers)
        .arg(use.candidates);
}

void deleteRoom(DataModule& dm, const QString& name)
{
    inTransaction(dm.ADOConnection1, [&] {
        executeOn(dm.ADOQuery10, SqlText("update t_kscs set jsid=0 where jsid in (select jsid from t_js where jsm='") + name + "')");
        executeOn(dm.ADOQuery10, SqlText("delete * from t_js where jsm='") + name + "'      ");
        dropBrokenDuties(dm);
        return true;
    });
}

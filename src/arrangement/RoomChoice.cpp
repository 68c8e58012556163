#include "RoomChoice.h"

#include "ComboBox.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "rooms/RoomAssignment.h"
#include "rooms/RoomCapacity.h"
#include "SlotSteps.h"

void openRoomList(DataModule& dm, ComboBox& choice)
{
    openOn(dm.ADOQuery5, "select jsm,rnrs from t_js order by jsm");
    if (dm.ADOQuery5.RecordCount() > 0)
        choice.refill(trimmedValues(dm.ADOQuery5, QStringLiteral("jsm")));
}

bool assignRoom(DataModule& dm, Dialogs& dialogs, const QString& room, const QString& paper)
{
    if (room.isEmpty()) {
        dialogs.message(QStringLiteral("请选择教室"));
        return false;
    }
    // Without a clicked row the update would match no placement and still
    // report success.
    if (paper.isEmpty()) {
        dialogs.message(QStringLiteral("请先在列表中选择试卷"));
        return false;
    }
    openOn(dm.ADOQuery9, SqlText("select jsid from t_js where jsm='") + room + "' ");
    // A name typed by hand that no room has would leave the placement with
    // an empty room id.
    if (dm.ADOQuery9.RecordCount() == 0) {
        dialogs.message(QStringLiteral("没有名为“%1”的教室，请从列表中选择教室").arg(room));
        return false;
    }
    const QString roomId = dm.ADOQuery9.FieldByName("jsid").AsString().trimmed();
    // Capacity is the clerk's call, but a room filled past its seats by a
    // slip shows up only on the printed list.
    if (const auto overflow = roomOverflow(dm, room, paper); overflow && !dialogs.confirm(roomOverflowQuestion(*overflow)))
        return false;
    changePaperRoom(dm, roomId, paper);
    dialogs.message(QStringLiteral("指定成功"));
    return true;
}

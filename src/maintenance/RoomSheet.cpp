#include "RoomSheet.h"

#include "Blanks.h"
#include "DataModule.h"
#include "SlotSteps.h"
#include "Transaction.h"
#include "Workbook.h"

#include <QHash>
#include <QRegularExpression>

namespace {

// Empty when the text is a whole number above 0, else why not.
QString capacityProblem(const QString& capacity)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (capacity.isEmpty())
        return QStringLiteral("容纳人数为空");
    bool ok = false;
    const int seats = capacity.toInt(&ok);
    if (!digits.match(capacity).hasMatch() || !ok || seats <= 0)
        return QStringLiteral("容纳人数“%1”不是大于 0 的整数").arg(capacity);
    return {};
}

// The ids of the rooms of each name.
QHash<QString, QStringList> roomsByName(QuerySlot& q)
{
    openOn(q, "select jsid,jsm from t_js");
    QHash<QString, QStringList> rooms;
    for (q.First(); !q.Eof(); q.Next())
        rooms[nameKey(trimBlanks(q.FieldByName(QStringLiteral("jsm")).AsString()))].append(
            q.FieldByName(QStringLiteral("jsid")).AsString());
    return rooms;
}

} // namespace

void addRoom(DataModule& dm, const QString& name, const QString& capacity)
{
    executeOn(dm.ADOQuery10, SqlText("INSERT INTO t_js(jsm,rnrs) VALUES('") + name + "','" + capacity + "')       ");
}

RoomImport importRooms(DataModule& dm, const Worksheet& sheet)
{
    // Columns A (name) and B (capacity).
    const KeyedSheet roomSheet{2, 2, QStringLiteral("教室名称为空"), QStringLiteral("%1：与第 %2 行的教室重名"),
                               capacityProblem};
    RoomImport result;
    inTransaction(dm.ADOConnection1, [&] {
        const auto seats = [](const QStringList& cells) { return QString::number(cells[1].toInt()); };
        result = importKeyedRows(
            sheet, roomSheet, roomsByName(dm.ADOQuery10),
            [&](const QStringList& ids, const QStringList& cells) {
                for (const QString& id : ids)
                    executeOn(dm.ADOQuery10, SqlText("update t_js set rnrs='") + seats(cells) + "' where jsid='" + id + "'");
            },
            [&](const QStringList& cells) { addRoom(dm, cells[0], seats(cells)); });
        return true;
    });
    return result;
}

QString roomImportReport(const RoomImport& result)
{
    QString text = QStringLiteral("导入教室完成：新增 %1 间，更新 %2 间，跳过 %3 行。")
                       .arg(result.added)
                       .arg(result.updated)
                       .arg(result.skipped.size());
    return text + skippedRowsText(result.skipped);
}

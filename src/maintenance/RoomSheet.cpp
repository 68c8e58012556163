#include "RoomSheet.h"

#include "CellText.h"
#include "DataModule.h"
#include "SlotSteps.h"
#include "Transaction.h"
#include "Workbook.h"

#include <QHash>
#include <QRegularExpression>

QString nameKey(const QString& trimmedName)
{
    QString key = trimmedName;
    for (QChar& c : key) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return key;
}

QString trimmedCell(const Worksheet& sheet, int row, int column)
{
    return trimBlanks(cellText(sheet.cell(row, column)));
}

QString skippedRowsText(const QList<SkippedRoomRow>& skipped)
{
    QString text;
    // A box taller than the screen would hide its own OK button.
    constexpr int shown = 30;
    for (qsizetype i = 0; i < std::min<qsizetype>(shown, skipped.size()); ++i)
        text += QStringLiteral("\n第 %1 行：%2").arg(skipped[i].row).arg(skipped[i].reason);
    if (skipped.size() > shown)
        text += QStringLiteral("\n……另有 %1 行被跳过。").arg(skipped.size() - shown);
    return text;
}

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

void storeRooms(DataModule& dm, const Worksheet& sheet, RoomImport& result)
{
    const QHash<QString, QStringList> existing = roomsByName(dm.ADOQuery10);
    QHash<QString, int> seenAt;
    // Sheets carry remarks after the capacity: C and D are rows and columns
    // only when their headings say so.
    const bool layout = trimmedCell(sheet, 1, 3).contains(u'排') && trimmedCell(sheet, 1, 4).contains(u'列');
    for (int row = 2; row <= sheet.lastRow(); ++row) {
        const QString name = trimmedCell(sheet, row, 1);
        const QString capacity = trimmedCell(sheet, row, 2);
        if (name.isEmpty() && capacity.isEmpty())
            continue;
        if (name.isEmpty()) {
            result.skipped.append({row, QStringLiteral("教室名称为空")});
            continue;
        }
        if (const QString problem = capacityProblem(capacity); !problem.isEmpty()) {
            result.skipped.append({row, QStringLiteral("%1：%2").arg(name, problem)});
            continue;
        }
        const QString rows = layout ? trimmedCell(sheet, row, 3) : QString();
        const QString columns = layout ? trimmedCell(sheet, row, 4) : QString();
        if (const QString problem = roomLayoutProblem(rows, columns, capacity); !problem.isEmpty()) {
            result.skipped.append({row, QStringLiteral("%1：%2").arg(name, problem)});
            continue;
        }
        const QString key = nameKey(name);
        if (seenAt.contains(key)) {
            result.skipped.append({row, QStringLiteral("%1：与第 %2 行的教室重名").arg(name).arg(seenAt.value(key))});
            continue;
        }
        seenAt.insert(key, row);
        const QString seats = QString::number(capacity.toInt());
        if (existing.contains(key)) {
            for (const QString& id : existing.value(key)) {
                executeOn(dm.ADOQuery10, SqlText("update t_js set rnrs='") + seats + "' where jsid='" + id + "'");
                if (!rows.isEmpty())
                    executeOn(dm.ADOQuery10, SqlText("update t_js set ps='") + rows + "',ls='" + columns + "' where jsid='" + id + "'");
            }
            ++result.updated;
        } else {
            addRoom(dm, name, seats, rows, columns);
            ++result.added;
        }
    }
}

} // namespace

QString roomLayoutProblem(const QString& rows, const QString& columns, const QString& capacity)
{
    if (rows.isEmpty() && columns.isEmpty())
        return {};
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,4}$"));
    if (!digits.match(rows).hasMatch() || !digits.match(columns).hasMatch() || rows.toInt() <= 0 || columns.toInt() <= 0)
        return QStringLiteral("排数“%1”、列数“%2”须同时填写，且为大于 0 的整数").arg(rows, columns);
    if (rows.toInt() * columns.toInt() < capacity.toInt())
        return QStringLiteral("排数×列数（%1）少于容纳人数（%2）").arg(rows.toInt() * columns.toInt()).arg(capacity.toInt());
    return {};
}

void addRoom(DataModule& dm, const QString& name, const QString& capacity, const QString& rows, const QString& columns)
{
    executeOn(dm.ADOQuery10, SqlText("INSERT INTO t_js(jsm,rnrs) VALUES('") + name + "','" + capacity + "')       ");
    // Ids only grow, so the newest room has the highest.
    if (!rows.isEmpty())
        executeOn(dm.ADOQuery10, SqlText("update t_js set ps='") + rows + "',ls='" + columns
                                     + "' where jsid=(select max(jsid) from t_js)");
}

RoomImport importRooms(DataModule& dm, const Worksheet& sheet)
{
    RoomImport result;
    inTransaction(dm.ADOConnection1, [&] {
        storeRooms(dm, sheet, result);
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

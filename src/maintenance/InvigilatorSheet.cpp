#include "InvigilatorSheet.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "Transaction.h"
#include "Workbook.h"

#include <QHash>
#include <QRegularExpression>

namespace {

// Empty when the text is a whole number of at least 0, else why not.
QString mostDutiesProblem(const QString& most)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    if (most.isEmpty())
        return QStringLiteral("最多监考场次为空");
    if (!digits.match(most).hasMatch())
        return QStringLiteral("最多监考场次“%1”不是不小于 0 的整数").arg(most);
    return {};
}

// The ids of the invigilators of each name.
QHash<QString, QStringList> invigilatorsByName(QuerySlot& q)
{
    openOn(q, "select jkid,xm from t_jkjs");
    QHash<QString, QStringList> people;
    for (q.First(); !q.Eof(); q.Next())
        people[nameKey(q.FieldByName(QStringLiteral("xm")).AsString().trimmed())].append(
            q.FieldByName(QStringLiteral("jkid")).AsString());
    return people;
}

} // namespace

void addInvigilator(DataModule& dm, const QString& name, const QString& department, const QString& mostDuties,
                    const QString& unavailable)
{
    executeOn(dm.ADOQuery10, SqlText("insert into t_jkjs(xm,yx,zdcs,bkcc) values('") + name.trimmed() + "','"
                                 + department.trimmed() + "','" + mostDuties.trimmed() + "','" + unavailable.trimmed() + "')");
}

InvigilatorImport importInvigilators(DataModule& dm, const Worksheet& sheet)
{
    // Columns A (name), B (department) and C (most duties).
    const KeyedSheet invigilatorSheet{3, 3, QStringLiteral("姓名为空"), QStringLiteral("%1：与第 %2 行的监考教师重名"),
                                      mostDutiesProblem};
    InvigilatorImport result;
    inTransaction(dm.ADOConnection1, [&] {
        const auto duties = [](const QStringList& cells) { return QString::number(cells[2].toInt()); };
        result = importKeyedRows(
            sheet, invigilatorSheet, invigilatorsByName(dm.ADOQuery10),
            [&](const QStringList& ids, const QStringList& cells) {
                for (const QString& id : ids)
                    executeOn(dm.ADOQuery10, SqlText("update t_jkjs set yx='") + cells[1] + "',zdcs='" + duties(cells)
                                                 + "' where jkid='" + id + "'");
            },
            [&](const QStringList& cells) { addInvigilator(dm, cells[0], cells[1], duties(cells), {}); });
        return true;
    });
    return result;
}

QString invigilatorImportReport(const InvigilatorImport& result)
{
    return QStringLiteral("导入监考教师完成：新增 %1 人，更新 %2 人，跳过 %3 行。")
               .arg(result.added)
               .arg(result.updated)
               .arg(result.skipped.size())
           + skippedRowsText(result.skipped);
}

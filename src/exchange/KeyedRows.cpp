#include "KeyedRows.h"

#include "CellText.h"
#include "Workbook.h"

QString trimmedCell(const Worksheet& sheet, int row, int column)
{
    const QString text = trimBlanks(cellText(sheet.cell(row, column)));
    if (text.size() > maxCellChars)
        throw WorkbookError(QStringLiteral("第%1行第%2列的内容超过%3个字符。").arg(row).arg(column).arg(maxCellChars));
    return text;
}

QString nameKey(const QString& trimmedName)
{
    QString key = trimmedName;
    for (QChar& c : key) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return key;
}

QString skippedRowsText(const QList<SkippedRow>& skipped)
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

SheetImport importKeyedRows(const Worksheet& sheet, const KeyedSheet& shape,
                            const QHash<QString, QStringList>& existing,
                            const std::function<void(const QStringList& ids, const QStringList& cells)>& update,
                            const std::function<void(const QStringList& cells)>& insert)
{
    SheetImport result;
    QHash<QString, int> seenAt;
    for (int row = 2; row <= sheet.lastRow(); ++row) {
        QStringList cells;
        for (int column = 1; column <= shape.columns; ++column)
            cells.append(trimmedCell(sheet, row, column));
        if (cells.join(QString()).isEmpty())
            continue;
        const QString& name = cells.first();
        if (name.isEmpty()) {
            result.skipped.append({row, shape.emptyName});
            continue;
        }
        if (const QString problem = shape.numberProblem(cells[shape.numberColumn - 1]); !problem.isEmpty()) {
            result.skipped.append({row, QStringLiteral("%1：%2").arg(name, problem)});
            continue;
        }
        const QString key = nameKey(name);
        if (const auto earlier = seenAt.constFind(key); earlier != seenAt.cend()) {
            result.skipped.append({row, shape.repeatedName.arg(name).arg(*earlier)});
            continue;
        }
        seenAt.insert(key, row);
        if (const auto ids = existing.constFind(key); ids != existing.cend()) {
            update(*ids, cells);
            ++result.updated;
        } else {
            insert(cells);
            ++result.added;
        }
    }
    return result;
}

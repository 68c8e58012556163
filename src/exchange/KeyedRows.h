#pragma once

// Sheets of keyed rows, as the room and invigilator workbooks are: header row
// 1, then one record per row with its name in column A. One reading for
// every such import, so a name, an empty row or a repeated name means the
// same in each.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class Worksheet;

// No spreadsheet writes a longer cell; one that long stalls every grid.
constexpr int maxCellChars = 32767;

// A cell's text with the blanks around removed. A cell longer than
// `maxCellChars` throws a WorkbookError naming its row and column.
QString trimmedCell(const Worksheet& sheet, int row, int column);

// Names compare as the database compares them: blanks around do not count
// (the name is passed trimmed), and letters A to Z without regard to case.
QString nameKey(const QString& trimmedName);

struct SkippedRow {
    int row = 0; // the sheet row
    QString reason;
};

// The skipped rows, one line each ("\n第 N 行：reason"), the first 30 only.
QString skippedRowsText(const QList<SkippedRow>& skipped);

// What an import did, counted in sheet rows.
struct SheetImport {
    int added = 0;
    int updated = 0;
    QList<SkippedRow> skipped;
};

// The shape of one kind of sheet and the words of its reasons.
struct KeyedSheet {
    int columns = 1;          // columns read, the name first
    int numberColumn = 0;     // the 1-based column that holds a count
    QString emptyName;        // the reason for a row without a name
    QString repeatedName;     // %1 the name, %2 the earlier row
    // Empty when the count's text is sound, else why not.
    std::function<QString(const QString&)> numberProblem;
};

// Hands every sound row (its cells trimmed, the name first) to `update` with
// the ids that `existing` holds under its name key, or to `insert` when it
// holds none. A row with an empty name, an unsound count, or a name an
// earlier row already had is skipped and listed; a row empty in every column
// read is passed over.
SheetImport importKeyedRows(const Worksheet& sheet, const KeyedSheet& shape,
                            const QHash<QString, QStringList>& existing,
                            const std::function<void(const QStringList& ids, const QStringList& cells)>& update,
                            const std::function<void(const QStringList& cells)>& insert);

#pragma once

// Pieces shared by the two readers and the writer; not part of the layer's API.

#include "Workbook.h"
#include <QByteArray>
#include <vector>

// The first worksheet of an .xls (OLE2 compound file holding BIFF5/BIFF8),
// within `bounds`. `path` only names the file in messages.
Worksheet readXls(const QByteArray& data, const QString& path, const ReadBounds& bounds = {});

// The first worksheet of an .xlsx (zip package of SpreadsheetML, transitional
// or Strict), within `bounds`.
Worksheet readXlsx(const QByteArray& data, const QString& path, const ReadBounds& bounds = {});

void writeXlsx(const Workbook& book, const QString& path);

// Reads back, whole, a package this program wrote to `file`: every part it
// names is there, inflates to its checksum and is complete XML. The writing
// library does not notice a part cut short by a full disk. Throws
// WorkbookError::cannotSave for `path` otherwise.
void checkWrittenXlsx(const QString& file, const QString& path);

// Whether a number format shows a date or time: the built-in ids for dates
// and times, or a format code with y/m/d/h/s outside quotes and brackets.
bool isDateFormat(int formatId, const QString& formatCode);

// Day serial of the 1904 date system to the 1900 system used in CellValue.
constexpr double days1904To1900 = 1462;

// A workbook's shared strings, packed into one buffer: an empty string costs
// four bytes, and a table larger than any roster needs is refused, so that
// what the file claims cannot fill the memory.
class StringTable {
public:
    explicit StringTable(const QString& path) : path(path) { }

    void append(QStringView text);
    qsizetype size() const { return qsizetype(ends.size()); }
    QString at(qsizetype index) const;

private:
    const QString& path;
    QString chars;
    std::vector<quint32> ends;
};

// Where a reader puts the cells it decodes: keeps those within the bounds
// and tells the reader when the rest of the sheet is of no use. Cells are expected row by row,
// as spreadsheet programs write them.
class CellSink {
public:
    CellSink(Worksheet& sheet, const ReadBounds& bounds, const QString& path);

    // Keeps the cell, or past the end of the keyed rows only counts its row
    // when it holds a value.
    void put(int row, int column, const CellValue& value);
    // Whether a cell in this column is kept at all.
    bool wants(int column) const { return column <= bounds.columns; }

private:
    Worksheet& sheet;
    const ReadBounds& bounds;
    const QString& path;
    int keyedUpTo; // the last row of the unbroken run of rows with a key
    bool done = false;
    int lastCountedRow = 0; // the last row past the end counted as holding a value
};

#pragma once

// The room workbook: header row 1, then one room per row, its name in
// column A, its capacity in column B, and optionally its rows and columns
// of seats in C and D (read when row 1 heads them "排数" and "列数").

#include <QList>
#include <QString>

class DataModule;
class Worksheet;

struct SkippedRoomRow {
    int row = 0;    // the sheet row
    QString reason;
};

// Names compare as the database compares them: blanks around do not count
// (the name is passed trimmed), and letters A to Z without regard to case.
QString nameKey(const QString& trimmedName);

// A cell's text with the blanks around removed.
QString trimmedCell(const Worksheet& sheet, int row, int column);

// The skipped rows, one line each ("\n第 N 行：reason"), the first 30 only.
QString skippedRowsText(const QList<SkippedRoomRow>& skipped);

// What an import of rooms did, counted in sheet rows.
struct RoomImport {
    int added = 0;
    int updated = 0;
    QList<SkippedRoomRow> skipped;
};

// Empty when the rows and columns of seats are both empty, or both whole
// numbers above 0 that seat the capacity; else why not.
QString roomLayoutProblem(const QString& rows, const QString& columns, const QString& capacity);

// Adds one room with the insert the classroom window gives; values go in as
// they are passed. Rows and columns, when given, are set on the new room.
void addRoom(DataModule& dm, const QString& name, const QString& capacity, const QString& rows = {},
             const QString& columns = {});

// Reads rows 2 to the sheet's last row: a room whose name (trimmed, letters
// compared without regard to case) exists gets the capacity (and the rows
// and columns when the row has them), every room of that name; any other
// becomes a new room. A row with an empty name, a capacity that is not a
// whole number above 0, rows and columns that roomLayoutProblem refuses, or
// a name an earlier row already had is skipped and listed; a row empty in both columns is passed
// over. One transaction: an error leaves the rooms as they were.
RoomImport importRooms(DataModule& dm, const Worksheet& sheet);

// The import in the user's words, for one box.
QString roomImportReport(const RoomImport& result);

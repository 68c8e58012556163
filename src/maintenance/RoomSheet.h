#pragma once

// The room workbook: header row 1, then one room per row, its name in
// column A, its capacity in column B, and optionally its rows and columns
// of seats in C and D (read when row 1 heads them "排数" and "列数").

#include "KeyedRows.h"

#include <QString>

class DataModule;
class Worksheet;

// What an import of rooms did, counted in sheet rows.
using RoomImport = SheetImport;

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

#pragma once

// The room workbook: header row 1, then one room per row, its name in
// column A and its capacity in column B.

#include "KeyedRows.h"

#include <QString>

class DataModule;
class Worksheet;

// What an import of rooms did, counted in sheet rows.
using RoomImport = SheetImport;

// Adds one room with the insert the classroom window gives; values go in as
// they are passed.
void addRoom(DataModule& dm, const QString& name, const QString& capacity);

// Reads rows 2 to the sheet's last row: a room whose name (trimmed, letters
// compared without regard to case) exists gets the capacity, every room of
// that name; any other becomes a new room. A row with an empty name, a
// capacity that is not a whole number above 0, or a name an earlier row
// already had is skipped and listed; a row empty in both columns is passed
// over. One transaction: an error leaves the rooms as they were.
RoomImport importRooms(DataModule& dm, const Worksheet& sheet);

// The import in the user's words, for one box.
QString roomImportReport(const RoomImport& result);

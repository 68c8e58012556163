#pragma once

// The roster workbook: header row 1, data from row 2 down to the first row
// whose column B is empty, the ten roster columns in columns A to J.

#include <QString>
#include <array>
#include <functional>

class QuerySlot;
class Worksheet;
struct ReadBounds;

struct RosterColumn {
    const char* field;  // the roster column, also the template's row 1
    const char* title;  // the template's row 2
};

extern const std::array<RosterColumn, 10> rosterColumns;

// The statement the window's roster query shows and the import appends through.
extern const char* const rosterStatement;

// What the import reads of a workbook: the ten columns, down to the first
// row whose column B is blank; a sheet of more data rows is refused.
extern const ReadBounds rosterBounds;

// The number of data rows: row 2 downward while column B holds text.
int countRosterRows(const Worksheet& sheet);

// The rows from the first row without column B (row count + 2) down that
// still hold a value in columns A to J: what the import leaves out.
int rowsLeftBelow(const Worksheet& sheet, int count);

// Called after each stored row with its sheet row number; false stops the
// import after that row.
using RowProgress = std::function<bool(int sheetRow)>;

// Stores data rows 2 to count + 1 into t_bjgmd through `roster`, which it
// reopens on the roster statement first, one row at a time as each is
// complete. Each cell goes in as its trimmed text. A failure ends the import
// with the rows before it stored; the slot is reopened so that it shows the
// table as it is, and the error goes on to the caller. Returns the number
// of rows stored.
int storeRosterRows(const Worksheet& sheet, int count, QuerySlot& roster, const RowProgress& progress);

// The two header rows of the import template.
void writeRosterTemplate(Worksheet& sheet);

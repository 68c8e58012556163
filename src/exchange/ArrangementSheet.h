#pragma once

// The arrangement export: one row per candidate of hbkap under 13 titles.

#include <array>
#include <functional>

class QuerySlot;
class StreamedWorkbook;

extern const char* const arrangementStatement;

struct ExportColumn {
    const char* title;
    const char* field;  // the column of hbkap
    bool asText;        // gets the number format "@ " before its value
};

// The 13 sheet columns, from left to right.
extern const std::array<ExportColumn, 13> exportColumns;

// Opens the arrangement statement on `result` and, once it has run, asks for
// the workbook (`addWorkbook`) and writes the titles into row 1 and each row
// of the result below them as it is read, each value as its untrimmed text;
// the cells of the columns that carry numbers meant as text get the text
// format "@ ", and A2:F(n + 2) the font and borders. Returns n, the rows
// written; the slot is left open on the whole result, after its last row.
// A column missing from the result throws the store's error once the cells
// of the first row before it are written (without the block's font and
// borders); the slot is then left open on its first row.
int writeArrangement(QuerySlot& result, const std::function<StreamedWorkbook&()>& addWorkbook);

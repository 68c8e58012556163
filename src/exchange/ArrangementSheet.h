#pragma once

// The arrangement export: one row per candidate of hbkap under 13 titles.

#include <array>

class QuerySlot;
class Worksheet;

extern const char* const arrangementStatement;

struct ExportColumn {
    const char* title;
    const char* field;  // the column of hbkap
    bool asText;        // gets the number format "@ " before its value
};

// The 13 sheet columns, from left to right.
extern const std::array<ExportColumn, 13> exportColumns;

// Writes the titles into row 1 and every row of `result` (open on the
// arrangement statement) below them, from the result's first row, each value
// as its untrimmed text; sets the text format "@ " on the cells of the
// columns that carry numbers meant as text, and the font and borders on
// A2:F(n + 2). Returns n, the rows written. A column missing from the
// result throws the store's error.
int writeArrangement(QuerySlot& result, Worksheet& sheet);

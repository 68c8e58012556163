#pragma once

// How a cell becomes text for the import.

#include "Blanks.h"
#include "Workbook.h"

// Text as it is; a number as its shortest exact decimal digits (2020023918,
// 0.1, never 2.02002e+09); empty as empty; a date as yyyy-MM-dd, followed by
// " HH:mm:ss" when it has a time of day, and a time alone (serial below 1) as
// HH:mm:ss; a boolean as TRUE or FALSE; an error as its code (#N/A, #REF!, ...).
QString cellText(const CellValue& value);

QString numberText(double value);
QString dateSerialText(double serial);


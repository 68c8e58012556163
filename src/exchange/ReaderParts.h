#pragma once

// Pieces shared by the two readers and the writer; not part of the layer's API.

#include "Workbook.h"
#include <QByteArray>

// The first worksheet of an .xls (OLE2 compound file holding BIFF5/BIFF8).
// `path` only names the file in messages.
Worksheet readXls(const QByteArray& data, const QString& path);

// The first worksheet of an .xlsx (zip package of SpreadsheetML, transitional
// or Strict).
Worksheet readXlsx(const QByteArray& data, const QString& path);

void writeXlsx(const Workbook& book, const QString& path);

// Whether a number format shows a date or time: the built-in ids for dates
// and times, or a format code with y/m/d/h/s outside quotes and brackets.
bool isDateFormat(int formatId, const QString& formatCode);

// Day serial of the 1904 date system to the 1900 system used in CellValue.
constexpr double days1904To1900 = 1462;

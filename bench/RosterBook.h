#pragma once

// What the workbook benchmarks share: a generated roster workbook and the
// kept LibreOffice-made .xls of it.

#include "Workbook.h"

#include <QByteArray>

// Header row and `rows` data rows of realistic roster values; student
// numbers and paper numbers are numbers, as clerks often type them.
Workbook rosterBook(int rows);

// bench/fixtures/roster-20000.xls.gz unpacked (3.6 MB); empty when missing.
QByteArray rosterXlsFixture();

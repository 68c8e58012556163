#pragma once

// The invigilator workbook: header row 1, then one invigilator per row, the
// name in column A, the department (院系) in B and the most duties in C.

#include "KeyedRows.h"

#include <QString>

class DataModule;
class Worksheet;

// What an import of invigilators did, counted in sheet rows.
using InvigilatorImport = SheetImport;

// Adds one invigilator, values trimmed.
void addInvigilator(DataModule& dm, const QString& name, const QString& department, const QString& mostDuties,
                    const QString& unavailable);

// Reads rows 2 to the sheet's last row: an invigilator whose name (trimmed,
// letters compared without regard to case) is on the list gets the
// department and most duties, any other is added with no unavailable
// sittings. A row with an empty name, most duties that are not a whole
// number of at least 0, or a name an earlier row already had is skipped and
// listed; an empty row is passed over. One transaction: an error leaves the
// list as it was.
InvigilatorImport importInvigilators(DataModule& dm, const Worksheet& sheet);

// The import in the user's words, for one box.
QString invigilatorImportReport(const InvigilatorImport& result);

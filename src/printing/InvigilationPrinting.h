#pragma once

#include "people/Invigilation.h"
#include "RoomPrinting.h"

// The invigilation lists without a window, through the report engine and
// the workbook layer: the printing window's PrintSetup, a report of
// data/Project2.rav ("DutyTable", "Notice"), each group of the list from a
// new page under its own header and page count, as one job.

// Prints the list; returns how many groups went into the job (0 when there
// was nothing to print or the project is wrong, the clerk being told).
int printInvigilationList(const PrintSetup& setup, const InvigilationList& list, const QString& reportName);

// Writes the list as an .xlsx: titles in row 1, then the rows, every value
// as text. Throws WorkbookError when the file cannot be written.
void exportInvigilationList(const InvigilationList& list, const QString& path);

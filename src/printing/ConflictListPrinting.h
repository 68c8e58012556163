#pragma once

#include "overview/ConflictList.h"
#include "ReportLayout.h"
#include "RoomPrinting.h"

// "考试冲突名单" on paper: A4 landscape, the summary line, then the students
// worst first with the window's columns, each exam on a line of its own;
// the column titles again on every page.
LaidOutReport layOutConflictList(const ConflictList& list);

// Prints the list through the report engine, as the other lists print.
void printConflictList(const PrintSetup& setup, const ConflictList& list);

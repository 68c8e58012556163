#pragma once

// The conflict list as a workbook: one row per student, the worst first.

class Workbook;
struct ConflictList;

Workbook conflictListWorkbook(const ConflictList& list);

#pragma once

// The students' timetable as a workbook: every candidate's papers on the
// first sheet, each student's figures on the second.

class Workbook;
struct StudentTimetable;

Workbook studentTimetableWorkbook(const StudentTimetable& timetable);

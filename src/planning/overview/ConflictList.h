#pragma once

#include "overview/StudentTimetable.h"

#include <QList>
#include <QString>

class DataModule;

// "考试冲突名单": the students who sit two papers in a row, two or more on
// a day, or more on a day than the clerk's daily limit allows, each with
// their papers and times, the worst first. The figures are counted as the
// spread's result box counts them.
struct ConflictStudent {
    StudentLoad load;
    int overLimit = 0;          // papers on their fullest day beyond the limit
    QList<StudentPaper> papers; // in time order
};

struct ConflictList {
    int dailyLimit = 0; // the smallest "每天最多" rule; 0 without one
    QList<ConflictStudent> students;
    int twoInARow = 0;
    int twoOnOneDay = 0;
    int overLimit = 0; // students over the daily limit
};

ConflictList readConflictList(DataModule& dm);

// The list in words, as the window shows it and the page prints it: the
// summary line, the column titles, and per student 学号, 姓名, 一天最多,
// 问题 and the exams, one "time paper course" each.
QString conflictSummary(const ConflictList& list);
QStringList conflictColumns();
struct ConflictRow {
    QStringList cells; // 学号, 姓名, 一天最多, 问题
    QStringList exams;
};
ConflictRow conflictRow(const ConflictStudent& student);

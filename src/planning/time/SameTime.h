#pragma once

#include <QString>
#include <optional>

class DataModule;

// Periods whose exam times overlap are sat at once, so a student with a
// paper in each would have two papers at once.
struct SameTimeClash {
    QString period;      // the period being given the time
    QString otherPeriod; // a period sat at that time already
    QString time;        // the other period's time as stored, trimmed
    int students = 0;    // students with a paper in both
    // One of them, with their paper and course in each period.
    QString xh;
    QString xm;
    QString paper;
    QString course;
    QString otherPaper;
    QString otherCourse;

    // The refusal in the clerk's words.
    QString text() const;
};

// Whether giving `period` the exam time `time` puts a student in two
// papers at once: any period whose time meets it (examTimesMeet: one date
// and overlapping clock times, however spelled; an unreadable text only
// its own text) and that shares a student, told apart by 学号 trimmed and
// regardless of case. An empty time never clashes. Of several such periods
// the lowest-numbered clashing one is named, and of its shared students
// the one with the lowest student number.
std::optional<SameTimeClash> sameTimeClash(DataModule& dm, const QString& period, const QString& time);

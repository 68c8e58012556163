#pragma once

#include <QString>
#include <optional>

class DataModule;

// Periods with one exam time are sat together (the rooms and lists are
// chosen by the time text), so a student with a paper in each would have
// two papers at once.
struct SameTimeClash {
    QString period;      // the period being given the time
    QString otherPeriod; // a period that already has it
    QString time;        // the time, trimmed
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
// papers at once: times are compared trimmed (as the database compares
// text, regardless of case), an empty time never clashes. Of several
// periods with that time the lowest-numbered clashing one is named, and of
// its shared students the one with the lowest student number.
std::optional<SameTimeClash> sameTimeClash(DataModule& dm, const QString& period, const QString& time);

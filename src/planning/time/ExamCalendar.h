#pragma once

#include "time/PeriodLayout.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// The days and sittings the clerk offers for the exams.
struct ExamCalendar {
    QDate firstDate;
    QList<int> skippedWeekdays; // 1 Monday .. 7 Sunday
    QString skippedDates;       // as typed: dates apart by blanks, commas, "、" or ";"
    QStringList sittings;       // clock texts of a day's sittings, e.g. "08:00-10:00"
    int periods = 0;            // how many periods to lay out
};

// The periods the calendar gives, or why it gives none.
struct ExamSlots {
    QString fault;      // a message for the clerk; empty when the calendar is sound
    QStringList times;  // per period, in time order: "2027-01-11 星期一 08:00-10:00"
    PeriodLayout layout;
    int days = 0;
    QDate lastDate;
};

// Lays the periods out day by day from the first date, leaving out the
// skipped weekdays and dates, the sittings of each day in the order they
// start, each written in one form ("2027-01-11 星期一 08:00-10:00") however
// the clerk spelled its clock time. Refused, naming what is wrong: no
// sittings, an empty or unreadable sitting, two sittings at one or
// overlapping clock times, every weekday left out, a date that cannot be
// read, a first or last day outside the days a term can use, fewer periods
// than `leastPeriods`.
ExamSlots examSlots(const ExamCalendar& calendar, int leastPeriods);

#pragma once

#include "periods/Spreading.h"

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
// start. Refused: no sittings, an empty or repeated sitting, every weekday
// left out, a date that cannot be read, fewer periods than `leastPeriods`.
ExamSlots examSlots(const ExamCalendar& calendar, int leastPeriods);

// Sittings in the order they start: "8:00-10:00" before "14:30-16:30";
// a text that starts with no clock time comes after those that do.
bool sittingBefore(const QString& a, const QString& b);

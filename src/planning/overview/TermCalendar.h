#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class DataModule;

// One exam period as the calendar shows it.
struct CalendarPeriod {
    QString period;      // the period number, trimmed
    QString time;        // its exam time text, trimmed
    QString timeFault;   // why a time given cannot be read, as time/ExamTime.h says it
    QStringList courses; // course names of its papers, larger papers first
    int papers = 0;
    int candidates = 0;  // roster rows of its papers
    int rooms = 0;       // existing rooms its papers sit in
    int seats = 0;       // what those rooms hold
    int seated = 0;      // candidates of its papers that have a room
    // Seated candidates per seat of the rooms in use; 0 without rooms.
    double fullness() const { return seats > 0 ? double(seated) / seats : 0.0; }
};

// The figures of one exam day.
struct CalendarDay {
    QDate date;
    int candidates = 0; // papers sat that day, each student's paper once
    int twoPapers = 0;  // students with two or more papers that day
    int twoInARow = 0;  // students with papers in two neighbouring sittings
};

// The term as a calendar: days across, sittings down, each period where
// its time, however spelled, puts it (time/ExamTime.h). Periods with the
// same date and sitting share a cell; periods whose time cannot be read
// stand apart, by period number.
struct TermCalendar {
    int rosterRows = 0;
    QList<CalendarDay> days; // in date order
    QStringList sittings;    // "08:00-10:00", in order of the time of day
    // cells[sitting][day]: the periods held then, in period number order.
    QList<QList<QList<CalendarPeriod>>> cells;
    QList<CalendarPeriod> undated;

    // What keeps the calendar empty, in the clerk's words ("还没有排考");
    // empty when there is something to show.
    QString missing() const;
    // Every period, dated ones first.
    QList<CalendarPeriod> periods() const;
};

// Reads the calendar through the store (slot ADOQuery22, closed again); who
// sits what comes from the term's timetable (TermTimetable.h).
TermCalendar readTermCalendar(DataModule& dm);

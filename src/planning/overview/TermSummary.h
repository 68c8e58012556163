#pragma once

#include <QString>

class DataModule;

// Where the term stands, for the main window: what the roster holds and
// what each step of the arrangement has still to do.
struct TermSummary {
    int rosterRows = 0;
    int students = 0;          // different student numbers (trimmed)
    int papersSat = 0;         // a student's paper once, or their course while it has no paper
    int courses = 0;
    int unnumberedCourses = 0; // courses without a paper number
    int papers = 0;
    int unscheduledPapers = 0; // numbered papers without a period
    int periods = 0;
    int roomlessPapers = 0;    // placements whose room id names no room
    int untimedPeriods = 0;
    int unseated = 0;          // candidates of placed papers without a room
    int shortRooms = 0;        // rooms with fewer invigilators than needed (Shortfalls.h)
    int backups = 0;

    // The menu item to use next, e.g. "2.课程排考".
    QString nextStep() const;
    // The summary in the clerk's words, several lines, the next step last.
    QString text() const;
};

// Reads the figures through the store in one statement, and counts the
// copies in the backup folder.
TermSummary readTermSummary(DataModule& dm);

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

class DataModule;

// How many invigilators a room needs: `perRoom`, and one more for every
// further `perExtra` candidates beyond the first `perExtra` (so 2 up to 40
// candidates, 3 up to 80, ...). `perExtra` 0 means no more for larger rooms.
struct InvigilationTerms {
    int perRoom = 2;
    int perExtra = 40;

    int needed(int candidates) const;
};

// One duty: an invigilator in a room of a period.
struct InvigilationDuty {
    QString period;
    int room = 0;
    int invigilator = 0;
    bool operator==(const InvigilationDuty&) const = default;
};

// A room that did not get all its invigilators, and why.
struct ShortRoom {
    QString time;      // the exam time, or "第N场" while the period has none
    QString room;      // its name
    int needed = 0;
    int given = 0;
    QString reason;
};

// What one time asks and has: the places its rooms need, and how many
// invigilators may come then (not ruled out, most duties above 0).
struct TimeLoad {
    QString time;
    int places = 0;
    int canCome = 0;
};

// An automatic run's proposal: nothing is written until it is adopted.
struct InvigilationPlan {
    std::vector<InvigilationDuty> duties; // the automatic duties, all of them
    int handDuties = 0;   // kept as they are
    int rooms = 0;        // rooms in use, counted once per time
    int places = 0;       // invigilators all rooms need together
    int ownTeachers = 0;  // duties of a teacher in a room of their own course
    QList<ShortRoom> shortRooms;
    std::vector<TimeLoad> times; // in order of their periods
    int fewest = 0;       // duties per invigilator who may take any
    int most = 0;
    QByteArray basis;     // the stamp of the tables the plan was made from
};

// Proposes invigilators for every room in use at every exam time: a time is
// the exam time text of a period (periods of one time are one sitting), a
// room in use is a room some placement of the time has. Hard: nobody twice
// at one time, nobody at a sitting they cannot take, nobody over their most
// duties. Then, in this order: a paper's own teachers (the roster's teacher
// of its courses, by name) in its room, duties as even as the most duties
// allow (fewest duties for one's most first), few days per invigilator (a
// day is the exam time's first word). Duties entered by hand are kept and
// count. Reads only; the same data always gives the same plan.
InvigilationPlan planInvigilation(DataModule& dm, const InvigilationTerms& terms);

// Replaces the automatic duties by the plan's in one transaction; an error
// leaves every duty as it was. Refused, writing nothing, with planOutdated()
// when what the plan was made from changed meanwhile; an empty text when
// it was written.
QString adoptInvigilation(DataModule& dm, const InvigilationPlan& plan);

// The plan in the user's words, for the preview.
QString invigilationReport(const InvigilationPlan& plan);

// Puts the invigilator into the room of the period by hand. Refused (the
// message names the clash, nothing is written) when they are in another room
// at that time or cannot take that sitting; an empty text when it was done.
QString addHandDuty(DataModule& dm, const InvigilationDuty& duty);

// Deletes the invigilator with every duty of theirs, in one transaction.
void deleteInvigilator(DataModule& dm, int invigilator);

// Takes the invigilator out of the room of the period, by hand or not.
void removeDuty(DataModule& dm, const InvigilationDuty& duty);

// The lists that go to the teachers: a table of titles and rows of text,
// in groups (one page or sheet part each) of rows with the same value in
// column `groupColumn`.
struct InvigilationList {
    QStringList titles;
    QStringList fields;           // the names the report reads; more than the titles
                                  // where rows carry keys (the duty table: cc, jsid)
    std::vector<QStringList> rows;
    int groupColumn = 0;
};

// One row per room in use at each time, in order of time then room name:
// time, room, papers (number and course names), candidates, invigilators.
InvigilationList dutyTable(DataModule& dm);

// One row per duty, grouped by invigilator (in list order), in order of
// time: name, department, time, room, papers.
InvigilationList invigilatorNotices(DataModule& dm);

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

// A duty entered by hand that breaks a rule now (the times or rooms changed
// after it was entered): the clerk has to take it out or move it.
struct DutyConflict {
    QString time;
    QString room;
    QString invigilator;
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
    QList<DutyConflict> conflicts; // hand duties that break a rule; they fill no place
    QStringList unmatched;          // "name：item" of cannot-take items that rule out no time
    std::vector<TimeLoad> times; // in order of their periods
    int fewest = 0;       // duties per invigilator who may take any
    int most = 0;
    QByteArray basis;     // the stamp of the tables the plan was made from
};

// The names in a text that may hold several ("王老师、李老师"), split where
// the roster's teacher column and lists of names are split; blanks stay
// inside a name.
QStringList namesIn(const QString& text);

// Why the text cannot be one invigilator's name (empty, or it would read as
// several names), or an empty text.
QString invigilatorNameProblem(const QString& name);

// A cannot-take list as it is stored, and its items that rule out no time.
struct UnavailableList {
    QString text;
    QStringList unmatched;
};

// The typed list as stored: items one blank apart, a period number whose
// period has a readable time written as that time, so that the item keeps
// its meaning when the periods are numbered anew.
UnavailableList storedUnavailable(DataModule& dm, const QString& typed);

// Stores every cannot-take list so (period numbers of timed periods as their
// times). Called inside the transaction of a step that numbers the periods
// anew, before it does.
void writeUnavailableAsTimes(DataModule& dm);

// Proposes invigilators for every room in use at every exam time: a time is
// the exam time of a period (periods of one time are one sitting), a room in
// use is a room some placement of the time has. Hard: nobody in two rooms at
// times that overlap, nobody at a sitting they cannot take (a whole item of
// their list: a period number its time, a date that day, a date and clock
// time the sittings it overlaps), nobody over their most
// duties. Then, in this order: a paper's own teachers (the roster's teacher
// of its courses, by name) in its room, duties as even as the most duties
// allow (fewest duties for one's most first), few days per invigilator (a
// day is the exam time's first word). Places are given in rounds: every
// room its first invigilator, largest rooms first over all times, then every
// room its second, and so on, so that every room has its minimum before any
// room gets its extras and a shortage falls on many sittings, not on whole
// rooms. Duties entered by hand are kept and count against their
// invigilator's most; one that breaks a rule (its invigilator in another
// room at that time or unable to take the sitting, or its room holding
// nobody then) fills no place and is listed as a conflict. Reads only; the
// same data always gives the same plan.
InvigilationPlan planInvigilation(DataModule& dm, const InvigilationTerms& terms);

// Replaces the automatic duties by the plan's in one transaction; an error
// leaves every duty as it was. Refused, writing nothing, with planOutdated()
// when what the plan was made from changed meanwhile; an empty text when
// it was written.
QString adoptInvigilation(DataModule& dm, const InvigilationPlan& plan);

// The plan in the user's words, for the preview.
QString invigilationReport(const InvigilationPlan& plan);

// Takes out every duty that breaks a rule now that papers, rooms or times
// moved: in a room that holds no paper in its period, at a sitting its
// invigilator cannot take, or the later one of two duties of one
// invigilator in two rooms at once (hand duties are kept first). Returns
// how many went. Called inside the transaction of the step that moved them.
int dropBrokenDuties(DataModule& dm);

// Puts the invigilator into the room of the period by hand. Refused (the
// message names the clash, nothing is written) when they are in another room
// at that time, cannot take that sitting, or have automatic duties and
// would go over their most; an empty text when it was done.
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

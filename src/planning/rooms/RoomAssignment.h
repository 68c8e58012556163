#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class DataModule;

// A paper, or the courses of a split paper, that no room could take.
struct RoomlessPaper {
    QString period;
    QString paper;
    QString courses;     // its course names, joined with "、"
    int candidates = 0;
    int mostFreeSeats = 0; // the most seats any room still had free for it
};

// A period with more candidates than all usable rooms together seat.
struct CrowdedPeriod {
    QString period;
    int candidates = 0;
    int seats = 0;
};

// Students taken off a paper onto a paper of their own in the same period:
// those of whole courses, or a range of 学号 of a course larger than every
// room; room 0 when none of the rooms had space for them. A student goes
// with all their rows of the paper, so that they sit it once, in one room.
struct PlannedSplit {
    QString period;
    QString source;      // the paper as stored
    QString number;      // the new paper
    QStringList courses; // course numbers as stored
    QList<qint64> rows;  // the roster rows (rid) that move
    int room = 0;
};

// A paper seated over several rooms, for the preview: its parts, the one
// that keeps its number first among them in room order.
struct SplitPart {
    QString number;
    QString courses; // names, with the 学号 range of a course cut in parts
    int candidates = 0;
    QString room;    // empty when the part has none
};
struct SplitPaper {
    QString period;
    QString paper;
    QList<SplitPart> parts;
};

// A paper and the room it is to get.
struct PlannedRoom {
    QString paper; // as stored
    int room = 0;
};

// What an automatic room assignment does: the plan, and the figures the
// clerk decides on.
struct RoomAssignmentRun {
    int usableRooms = 0;  // rooms with a name and a capacity above 0
    int kept = 0;         // papers that already had a room
    int assigned = 0;     // papers given a room, split ones included
    int splitPapers = 0;  // papers seated over several rooms
    int splitRooms = 0;   // the rooms those papers take together
    int roomsInUse = 0;   // rooms holding candidates, counted once per period
    int emptySeats = 0;   // seats left free in those rooms
    int unseated = 0;     // candidates of papers and courses without a room
    QList<CrowdedPeriod> crowded;
    QList<RoomlessPaper> roomless; // by period, largest paper first
    QList<PlannedRoom> rooms;
    QList<PlannedSplit> splits;
    QList<SplitPaper> splitList;
    QByteArray basis; // the stamp of the tables the plan was made from

    bool writesNothing() const { return rooms.isEmpty() && splits.isEmpty(); }
};

// The seats of every room that can take candidates, one room per name.
int usableSeats(DataModule& dm);

// Plans a room for every paper of the period (of every period when none is
// given) that has none, and writes nothing. Candidates are students: one
// listed on two courses of a paper takes one seat. A room's seats are
// shared by every period whose time overlaps. A paper that fits a room goes
// into the room that leaves the fewest seats over, largest paper first,
// several papers sharing a room while its total stays within its capacity.
// A paper that fits no room is split along its courses into as few rooms as
// the search finds, with as few seats over as it finds; the paper keeps its
// largest part and the others get new numbers above the highest numeric
// paper number in use. A course larger than every room is cut by 学号
// ranges over the fewest rooms that seat it. Courses that fit no room's free
// seats go together onto one new paper without a room. A room is what the room totals count
// by, its name; what it already holds counts against its capacity, and
// rooms already given are kept. A placement whose room no longer exists has
// none.
RoomAssignmentRun planRooms(DataModule& dm, const std::optional<QString>& period);

// Writes the plan in one transaction: an error leaves every table as it was.
// A split writes what the split window writes: the part's roster rows get
// the new number, and the new paper a placement in the source's period with
// room 0 and the source in sjxh1; then its room. Refused, writing nothing,
// with planOutdated() when the roster, placements, times or rooms changed
// since the plan was made; an empty text when it was written.
QString applyRoomPlan(DataModule& dm, const RoomAssignmentRun& plan);

// Plans and writes at once.
RoomAssignmentRun assignRooms(DataModule& dm, const std::optional<QString>& period);

// Every placement of the paper gets the room.
void setPaperRoom(DataModule& dm, const QString& roomId, const QString& paper);

// The assignment the room windows make, in one transaction: setPaperRoom,
// and the duties the change breaks (those of the room it leaves when that
// holds nobody then) go.
void changePaperRoom(DataModule& dm, const QString& roomId, const QString& paper);

// The plan in the user's words, for one box.
QString roomAssignmentReport(const RoomAssignmentRun& run);

#pragma once

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

// Courses taken off a paper onto a paper of their own in the same period;
// room 0 when none of the rooms had space for them.
struct PlannedSplit {
    QString period;
    QString source;     // the paper as stored
    QString number;     // the new paper
    QStringList courses; // course numbers as stored
    int room = 0;
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

    bool writesNothing() const { return rooms.isEmpty() && splits.isEmpty(); }
};

// The seats of every room that can take candidates, one room per name.
int usableSeats(DataModule& dm);

// Plans a room for every paper of the period (of every period when none is
// given) that has none, and writes nothing. A paper that fits a room goes
// into the room that leaves the fewest seats over, largest paper first,
// several papers sharing a room while its total stays within its capacity.
// A paper that fits no room is split along its courses into as few rooms as
// the search finds, with as few seats over as it finds; the paper keeps its
// largest part and the others get new numbers above the highest numeric
// paper number in use. Courses that fit no room's free seats go together
// onto one new paper without a room. A room is what the room totals count
// by, its name; what it already holds counts against its capacity, and
// rooms already given are kept. A placement whose room no longer exists has
// none.
RoomAssignmentRun planRooms(DataModule& dm, const std::optional<QString>& period);

// Writes the plan in one transaction: an error leaves every table as it was.
// A split writes what the split window writes: the courses' roster rows of
// the source paper get the new number, and the new paper a placement in the
// source's period with room 0 and the source in sjxh1; then its room.
void applyRoomPlan(DataModule& dm, const RoomAssignmentRun& plan);

// Plans and writes at once.
RoomAssignmentRun assignRooms(DataModule& dm, const std::optional<QString>& period);

// The assignment the room windows make: every placement of the paper gets
// the room.
void setPaperRoom(DataModule& dm, const QString& roomId, const QString& paper);

// The plan in the user's words, for one box.
QString roomAssignmentReport(const RoomAssignmentRun& run);

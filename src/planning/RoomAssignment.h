#pragma once

#include <QList>
#include <QString>
#include <optional>

class DataModule;

// A paper that no room could take: more candidates than any room had free.
struct RoomlessPaper {
    QString period;
    QString paper;
    QString courses;     // its course names, joined with "、"
    int candidates = 0;
    int mostFreeSeats = 0; // the most seats any room still had free for it
};

// What an automatic room assignment did.
struct RoomAssignmentRun {
    int usableRooms = 0;  // rooms with a name and a capacity above 0
    int kept = 0;         // papers that already had a room
    int assigned = 0;     // papers given a room
    QList<RoomlessPaper> roomless; // by period, largest paper first
};

// Gives a room to every paper of the period (of every period when none is
// given) that has none: largest paper first, each into the room that leaves
// the fewest seats over, several papers sharing a room while its total stays
// within its capacity. A room is what the room totals count by, its name;
// what it already holds counts against its capacity, and rooms already given
// are kept. A placement whose room no longer exists has none. A paper counts
// its candidates once per course row, as the room totals do. The run is one
// transaction: an error leaves every placement as it was.
RoomAssignmentRun assignRooms(DataModule& dm, const std::optional<QString>& period);

// The assignment the room windows make: every placement of the paper gets
// the room.
void setPaperRoom(DataModule& dm, const QString& roomId, const QString& paper);

// The run in the user's words, for one box.
QString roomAssignmentReport(const RoomAssignmentRun& run);

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

class DataModule;

// How seats are used and numbered.
struct SeatingTerms {
    int columns = 8;         // columns of a room that has no rows and columns of its own
    bool rowWise = false;    // numbered row by row instead of column by column
    bool everyOther = false; // 隔位就座: every other column stays empty
};

// Rows and columns of seats of a room as it stands.
struct RoomShape {
    int rows = 0;
    int columns = 0;
};

// Where a seat is: row 1 in front of the 讲台, column 1 on the left as the
// 讲台 sees the room.
struct SeatPlace {
    int row = 0;
    int column = 0;
    bool operator==(const SeatPlace&) const = default;
};

// The room's own rows and columns when it has them, else the terms' columns
// and as many rows as its capacity needs; rows are added behind while the
// seats in use would not take the candidates.
RoomShape roomShape(int rows, int columns, int capacity, int candidates, const SeatingTerms& terms);

// The places of seats 1..count, in the order of their numbers: column by
// column (row by row), each turning back where the last ended, over the
// columns in use.
std::vector<SeatPlace> seatPlaces(const RoomShape& shape, const SeatingTerms& terms, int count);

struct SeatCandidate {
    qint64 rid = 0;   // roster row
    QString paper;
    QString student;  // 学号
};

// The seats of one room: a number per candidate (in the order given), 1..N
// without gaps. Neighbours (left and right, front and back, among the seats
// in use) sit different papers where the counts allow; each paper's
// candidates take its seats in 学号 order.
struct SeatedRoom {
    std::vector<int> seatOf;
    std::vector<SeatPlace> places; // of seats 1..N
    int papers = 0;
    int sharedNeighbours = 0; // neighbour pairs on one paper, in rooms of several papers
};

SeatedRoom seatRoom(const std::vector<SeatCandidate>& candidates, const RoomShape& shape, const SeatingTerms& terms);

// A sitting as the clerk sees it: the exam time text, or "第N场" for a
// period that has none; periods of one time text sit together.
struct SeatingTime {
    QString text;
    QStringList periods;
};

// The sittings that have candidates in a room, in order of their first period.
QList<SeatingTime> seatingTimes(DataModule& dm);

// A room at a time that needs seats: a candidate without one, or two
// candidates with the same number.
struct RoomToSeat {
    QString time;
    QString room;
    int candidates = 0;
    int unseated = 0;
};

// The rooms, of one time (every time when empty), that need new seats.
QList<RoomToSeat> roomsNeedingSeats(DataModule& dm, const QString& time = {});

// A room where neighbours share a paper after seating.
struct SharedRoom {
    QString time;
    QString room;
    int candidates = 0;
    int sharedNeighbours = 0;
};

struct SeatingRun {
    int rooms = 0;      // rooms given seats
    int candidates = 0; // candidates seated
    int kept = 0;       // rooms that kept their seats
    QList<SharedRoom> shared;
};

// Gives seats to the rooms of one time (every time when empty) that need
// them, or to all of them when `again`, and leaves the others as they are;
// reads and writes in one transaction.
SeatingRun arrangeSeats(DataModule& dm, const SeatingTerms& terms, const QString& time = {}, bool again = false);

// The run in the user's words, for one box.
QString seatingReport(const SeatingRun& run);

#pragma once

#include "rooms/Seating.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

class DataModule;

// What the papers handed to each room and each student are made of: the
// seated candidates of every room at a time, and every student's papers.

struct SeatedCandidate {
    int seat = 0;
    SeatPlace place;
    QString student; // 学号
    QString name;
    QString course;
    QString paper;
    QString kind;    // 补考 or 缓考
};

// A paper in a room: its courses and the seats its candidates take.
struct RoomPaper {
    QString paper;
    QStringList courses;
    int firstSeat = 0;
    int lastSeat = 0;
    int candidates = 0;
};

struct SeatedRoomSheet {
    QString time;
    QString room;
    RoomShape shape;                       // as far as its seats reach
    std::vector<SeatedCandidate> candidates; // by seat number
    QList<RoomPaper> papers;               // in order of their first seat
    int unseated = 0;                      // candidates still without a seat
    QStringList invigilators;              // from the duties, in list order
};

// The rooms of the time (of every time when empty) in order of time, then
// room name; candidates without a seat are only counted.
QList<SeatedRoomSheet> seatedRooms(DataModule& dm, const QString& time = {});

// A student's papers, each with its time, room and seat (0 while it has
// none; the room empty while the paper has none).
struct NoticePaper {
    QString course;
    QString paper;
    QString time;
    QString room;
    int seat = 0;
};

struct StudentNotice {
    QString student;
    QString name;
    QList<NoticePaper> papers; // in order of their periods
};

// Every student with a placed paper (with one at the time, when a time is
// given), in 学号 order, with all their placed papers.
QList<StudentNotice> studentNotices(DataModule& dm, const QString& time = {});

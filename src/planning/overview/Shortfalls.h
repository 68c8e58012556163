#pragma once

#include "people/Invigilation.h"

#include <QHash>
#include <QString>

class QuerySlot;

// Who a print or export would leave out: candidates of placed papers that
// have no room, and rooms in use with fewer invigilators than they need.
// A room in use is counted once per exam time (periods with one time
// share their rooms), with the candidates and duties of all those periods.
// Short rooms are counted only once the term lists an invigilator or a
// duty: a term arranged without invigilators has none to be short of.

// What an output does with candidates whose paper has no room, so that the
// question says what will happen to them.
enum class RoomlessCandidates {
    Left,      // it lists rooms (room lists, duty tables): they are not in it
    RoomBlank, // it lists candidates: they are in it, their room empty
    Counted,   // the calendar: counted in their period as without a room
};

struct Shortfalls {
    int unseated = 0;   // candidates whose paper has a period but no room
    int shortRooms = 0; // rooms in use with fewer invigilators than needed
    // Per period number, trimmed: its unseated candidates, and its rooms
    // that are short at its time.
    QHash<QString, int> unseatedIn;
    QHash<QString, int> shortRoomsIn;

    // The question before printing or exporting `what` ("打印", "导出"),
    // in the clerk's words; empty when nobody is left out.
    QString question(const QString& what, RoomlessCandidates roomless) const;
};

// The whole term when `time` is empty, else the periods at the exam time
// `time` (one time however it is spelt, time/ExamTime.h). Reads through `q`, closed again.
Shortfalls readShortfalls(QuerySlot& q, const QString& time = {}, const InvigilationTerms& terms = {});

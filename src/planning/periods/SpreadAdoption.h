#pragma once

#include "periods/TermTimetable.h"

#include <QStringList>

class DataModule;

// What adopting a spread did, or why it did nothing.
struct SpreadAdoption {
    QString fault;            // empty on success; otherwise every table is as it was
    QStringList roomsCleared; // papers that had a room and moved away from their period
    int dutiesDropped = 0;    // invigilation duties of periods that no longer exist, rooms left empty, or that break a rule at the new time
};

// Writes a spread in one transaction. `spread` gives each vertex of
// term.placed its slot, `slotTimes` each slot's time text, slots in time
// order. Every placement gets its new period through the room window's
// period change, numbered 1..K over the slots that hold papers (empty
// slots are not kept), and t_cc is rebuilt with one row per period and its
// time. A period whose papers end up together in one slot continues there
// (the slot that takes the most of its candidates, largest first): its
// papers keep their rooms and its invigilation duties follow it. Papers
// that leave it lose their room; duties of a period that continues nowhere,
// of a room that holds nobody in its new period, and those its invigilator
// cannot take at the new time (people/Invigilation.h, dropBrokenDuties), go. Invigilators'
// cannot-take numbers of timed periods are written as their times first.
// Every period must pass the conflict test before the commit. Refused with
// planOutdated() when the tables the term was read from changed since.
SpreadAdoption adoptSpread(DataModule& dm, const TermTimetable& term, const Colouring& spread,
                           const QStringList& slotTimes);

// What adopting the spread would take away, counted by the rules above
// before anything is written: papers that have a room and leave their
// period, and duties of periods that continue nowhere or of rooms that no
// staying paper of their period keeps.
struct SpreadLoss {
    int papersLosingRoom = 0;
    int dutiesGoing = 0;
};
SpreadLoss spreadLoss(DataModule& dm, const TermTimetable& term, const Colouring& spread, int slotCount);

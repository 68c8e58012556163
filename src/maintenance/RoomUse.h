#pragma once

#include <QString>

class DataModule;

// The placements that rooms of one name hold, over all periods.
struct RoomUse {
    int papers = 0;
    int candidates = 0; // counted as the room totals count them
};

RoomUse roomUse(DataModule& dm, const QString& name);

// The confirmation before deleting rooms of that name: the plain question,
// or, when they hold placements, one that says what loses its room.
QString roomDeleteQuestion(const QString& name, const RoomUse& use);

// Deletes every room of that name (as the database compares names) and
// gives its placements room 0, so that they are offered a room again; the
// duties in those rooms go with them. One transaction.
void deleteRoom(DataModule& dm, const QString& name);

#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class DataModule;

// Per period of `times` (each period's exam time), the periods sat at the
// same moment: itself first, then every other whose time meets its own.
std::vector<std::vector<int>> periodsAtOnce(const QStringList& times);

// What giving a paper a room by hand would put into the room at the time of
// the paper's period, when that is more than the room's seats.
struct RoomOverflow {
    QString room;
    int capacity = 0;
    int held = 0;   // candidates the room already holds then, in every period sat at once
    int adding = 0; // the paper's candidates
};

// The overflow that giving the named room to the paper would cause, counted
// as the room totals count (by room name, each course row of a paper), or
// nothing when the room keeps within its seats or has no capacity recorded.
std::optional<RoomOverflow> roomOverflow(DataModule& dm, const QString& room, const QString& paper);

// The question asked before such an assignment.
QString roomOverflowQuestion(const RoomOverflow& overflow);

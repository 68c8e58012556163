#pragma once

#include "rooms/Seating.h"

#include <QHash>

class Connection;

// What the seat numbers and the papers of a room share: the sittings of the
// term and the order of numbers given as text.

// Numbers in numeric order, other texts after them as text.
bool numberBefore(const QString& a, const QString& b);

// The sittings of the term: periods whose exam times meet are one.
struct Sittings {
    QList<SeatingTime> times;
    QHash<QString, int> ofPeriod;

    // The sitting of the period; a period without a row of its own is one
    // of its own.
    int timeOf(const QString& period);
};

Sittings readSittings(Connection& connection);

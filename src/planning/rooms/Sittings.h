#pragma once

#include "rooms/Seating.h"

#include "SqlText.h"

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

// The sitting spelt `time` (compared trimmed, in any case), or -1.
int sittingNamed(const Sittings& sittings, const QString& time);

// A statement's condition keeping the rows whose period (the trimmed
// `column`, a literal) is one of the sitting spelt `time`, the periods bound
// as one value; nothing when the time is empty or no sitting of t_cc (a
// "第N场" of its own), and every row has to be read and sorted by its time.
SqlText periodsOfTime(const Sittings& sittings, const QString& time, const char* column);

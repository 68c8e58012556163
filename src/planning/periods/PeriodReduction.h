#pragma once

#include "periods/Colouring.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class DataModule;

// The placed papers as a conflict graph. A vertex is what must stay in one
// period: every placement row of one paper number (a paper of several
// courses is one number), together with the papers split off it that are
// still in its period. Two vertices conflict when one student sits both.
struct PlacedPapers {
    QList<QStringList> papers; // per vertex, the paper numbers as written in t_kscs
    Colouring current;         // per vertex, the index of its period now
    int periods = 0;           // distinct periods in use now
    QStringList periodNumbers; // per period index, the period as written in t_kscs
    ConflictGraph graph;
    // Per student (by 学号, trimmed, ordered), the vertices they sit, each once.
    std::vector<std::vector<int>> students;
    QStringList studentNumbers; // per student, the 学号 as written (trimmed) in its first row
};

// Reads t_kscs and the roster rows of the placed papers.
PlacedPapers readPlacedPapers(DataModule& dm);

// True when some period already has an exam time (blanks are no time).
bool periodsHaveTimes(DataModule& dm);

struct ReductionLimits {
    int milliseconds = 30000;
    long long iterations = -1; // < 0: only the time bounds the search
};

// Searches for a placement with fewer periods, starting from the current
// one. `improved` hears each new best count, `cancelled` is asked regularly
// and ends the search with the best so far. The result numbers the periods
// 0..k-1, never more than the current count when the current one is sound.
Colouring searchFewerPeriods(const PlacedPapers& placed, const ReductionLimits& limits,
                             const std::function<void(int periods)>& improved,
                             const std::function<bool()>& cancelled);

// Writes the new periods in one transaction: every placement row of a vertex
// gets its period (numbered 1..k in the order of the periods the papers come
// from), rooms stay, invigilators' cannot-take numbers of timed periods are
// written as their times, t_cc is rebuilt with one empty row per period, and every
// period must pass the conflict test before the commit. Returns an empty
// text on success, otherwise the reason, with every table as it was.
QString writePeriods(DataModule& dm, const PlacedPapers& placed, const Colouring& periods);

#pragma once

#include "periods/Colouring.h"
#include "periods/Enrolments.h"
#include "time/PeriodLayout.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

struct SpreadRules;

// Carter's proximity cost, computed straight from the students: for each
// student and each pair of their papers s = 1..5 positions apart
// 16, 8, 4, 2, 1, summed and divided by the number of students.
double proximityCost(const Enrolments& enrolments, const Colouring& periods, const PeriodLayout& layout);

// Students whose papers crowd one day.
struct SpreadCounts {
    int twoInARow = 0;     // two papers in neighbouring sittings of one day
    int twoOnOneDay = 0;   // at least two papers on one day
    int threeOnOneDay = 0; // at least three papers on one day
    double cost = 0;
    bool operator==(const SpreadCounts&) const = default;
};

SpreadCounts spreadCounts(const Enrolments& enrolments, const Colouring& periods, const PeriodLayout& layout);

// The conflict graph of the enrolments (two papers conflict when one
// student sits both).
ConflictGraph conflictGraphOf(const Enrolments& enrolments);

// How the spread runs. Everything it decides follows from the enrolments,
// the start and the seed; only the time and `cancelled` may end it early, so
// the same iteration budget always gives the same result.
struct SpreadSearch {
    std::uint64_t seed = 20270111;
    long long iterations = -1; // < 0: only the time bounds the search
    int milliseconds = 60000;  // < 0: only the iterations bound the search
    // What `milliseconds` measures: the wall clock, or the processor time of
    // the searching thread (for benchmarks on a shared machine).
    enum class Clock { Wall, ThreadCpu };
    Clock clock = Clock::Wall;
    // Per period the most candidates it may hold; empty: no limit. Each
    // paper counts its students.
    std::optional<int> capacity;
    // The clerk's rules (periods/SpreadRules.h); null: none. The search
    // then keeps only placements that break no hard rule, and counts the
    // soft ones in its cost.
    const SpreadRules* rules = nullptr;
    // A better placement with this cost was found (called now and then).
    // With rules it is only called for placements that keep them all.
    std::function<void(double cost)> improved;
    // Asked every few hundred moves; true ends the search with the best so far.
    std::function<bool()> cancelled;
};

// The placement with the lowest proximity cost found, starting from
// `start`, which must be clash-free with periods 0..K-1 (K = layout size).
// Every move keeps it clash-free (a Kempe chain between two periods, which
// is a single-paper move when the paper meets nobody in the other period,
// or two periods exchanging places); simulated annealing, cooling over the
// budget, decides which to keep.
// With a capacity, no move puts more candidates in a period than it allows
// (a period already over it may only lose candidates). With rules, breaking
// a hard rule weighs as much as a typical worsening of the cost, so the
// search finds its way from a start that breaks some, and the result is
// the best placement found that keeps every one; when none was found it is
// `start` (which ruleBreaches() then shows breaking them).
Colouring spreadPapers(const Enrolments& enrolments, const Colouring& start, const PeriodLayout& layout,
                       const SpreadSearch& search);

#pragma once

#include "periods/Spreading.h"

#include <utility>
#include <vector>

// The clerk's rules as the spread sees them: in terms of its papers (the
// vertices of the enrolments) and its slots (the periods of the layout).
// Every rule but `lateCost` is hard: a timetable that breaks one is never
// adopted.
struct SpreadRules {
    // Per paper, per slot 1 where the paper may sit; a paper without a row
    // (or with an empty one) may sit anywhere.
    std::vector<std::vector<char>> allowed;
    std::vector<std::pair<int, int>> together;  // in one slot
    std::vector<std::pair<int, int>> apartDays; // never on one day
    std::vector<std::pair<int, int>> after;     // the second in a later slot than the first
    int dailyLimit = 0; // most papers of one student on one day; 0: no limit
    // Most papers of one student in any `days` consecutive exam days; each is kept.
    struct RunLimit {
        int most = 0;
        int days = 0;
    };
    std::vector<RunLimit> runLimits;
    // Per paper, what each day it sits after the first costs (soft, in the
    // units of the proximity total); empty: nothing.
    std::vector<long long> lateCost;
};

// Each rule's breaches by a placement, counted straight from the students:
// per pair or paper rule 1 when broken, for the limits the number of
// (student, day) or (student, run) over the limit, by how much.
struct RuleBreaches {
    long long outside = 0;  // papers in a slot they may not take
    long long together = 0;
    long long apartDays = 0;
    long long after = 0;
    long long daily = 0;
    long long runs = 0;
    long long hard() const { return outside + together + apartDays + after + daily + runs; }
};
RuleBreaches ruleBreaches(const SpreadRules& rules, const Enrolments& enrolments, const Colouring& placement,
                          const PeriodLayout& layout);

// The soft cost of `lateCost` for a placement.
long long lateness(const SpreadRules& rules, const Colouring& placement, const PeriodLayout& layout);

// How far over `limit` a count is (0 when within it or without a limit).
inline long long overLimit(long long count, int limit)
{
    return limit > 0 && count > limit ? count - limit : 0;
}

// The exam days of a run limit: per student, the runs of `days` consecutive
// days among `dayCount` (all of them when there are fewer), the first
// starting at day 0.
inline int runCount(int dayCount, int days)
{
    return dayCount <= days ? 1 : dayCount - days + 1;
}

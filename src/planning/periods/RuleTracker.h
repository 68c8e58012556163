#pragma once

#include "periods/SpreadRules.h"

#include <vector>

// The spread's running account of the rules: hard breaches and soft cost of
// its working placement, kept up to date as papers change sides between
// two slots, so that a move is judged by the papers it moves (and their
// students) only. Agrees with ruleBreaches() and lateness() throughout.
class RuleTracker {
public:
    RuleTracker(const SpreadRules& rules, const Enrolments& enrolments, const Colouring& start,
                const PeriodLayout& layout);

    long long hard() const { return hard_; }
    long long soft() const { return soft_; }

    struct Change {
        long long hard = 0;
        long long soft = 0;
        long long outside = 0; // of `hard`: papers in a slot they may not take
    };
    // Every paper of `papers` in slot a goes to b and every one in b to a;
    // calling it again with the same papers undoes it.
    Change swap(const std::vector<int>& papers, int a, int b);

    // Whether `paper` takes part in a broken hard rule: it sits outside its
    // slots, a pair rule of it is broken, or one of its students is over a
    // limit on its day.
    bool breaks(int paper) const;

private:
    long long pairBreach(int rule) const;
    void changeDay(int student, int day, int by, Change& change);
    long long runsOver(int student, int day) const;

    const SpreadRules& rules;
    const PeriodLayout& layout;
    int dayCount = 0;
    bool perStudent = false;
    Colouring slot;
    std::vector<std::vector<int>> studentsOf; // per paper
    std::vector<std::vector<int>> pairsOf;    // per paper, its pair rules (see pairBreach)
    std::vector<int> perDay;                  // students x days
    std::vector<int> seen;                    // per pair rule, the swap that last counted it
    int swaps = 0;
    long long hard_ = 0;
    long long soft_ = 0;
};

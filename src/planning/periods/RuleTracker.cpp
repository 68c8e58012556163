#include "periods/RuleTracker.h"

#include <algorithm>

// Pair rules are numbered together, then apart, then after.
long long RuleTracker::pairBreach(int rule) const
{
    const std::size_t r = std::size_t(rule);
    if (r < rules.together.size()) {
        const auto& [a, b] = rules.together[r];
        return slot[a] != slot[b];
    }
    if (r < rules.together.size() + rules.apartDays.size()) {
        const auto& [a, b] = rules.apartDays[r - rules.together.size()];
        return layout.day[slot[a]] == layout.day[slot[b]];
    }
    const auto& [a, b] = rules.after[r - rules.together.size() - rules.apartDays.size()];
    return layout.position[slot[b]] <= layout.position[slot[a]];
}

RuleTracker::RuleTracker(const SpreadRules& rules, const Enrolments& enrolments, const Colouring& start,
                         const PeriodLayout& layout)
    : rules(rules), layout(layout), slot(start), studentsOf(start.size()), pairsOf(start.size())
{
    dayCount = layout.day.empty() ? 0 : *std::max_element(layout.day.begin(), layout.day.end()) + 1;
    perStudent = rules.dailyLimit > 0 || !rules.runLimits.empty();
    int rule = 0;
    for (const auto* list : {&rules.together, &rules.apartDays, &rules.after})
        for (const auto& [a, b] : *list) {
            pairsOf[a].push_back(rule);
            pairsOf[b].push_back(rule);
            ++rule;
        }
    seen.assign(rule, -1);
    if (perStudent) {
        perDay.assign(enrolments.students.size() * dayCount, 0);
        for (std::size_t s = 0; s < enrolments.students.size(); ++s)
            for (const int v : enrolments.students[s]) {
                studentsOf[v].push_back(int(s));
                ++perDay[s * dayCount + layout.day[start[v]]];
            }
    }
    const RuleBreaches breaches = ruleBreaches(rules, enrolments, start, layout);
    hard_ = breaches.hard();
    soft_ = lateness(rules, start, layout);
}

// How far the runs that hold `day` are over their limits, all limits together.
long long RuleTracker::runsOver(int student, int day) const
{
    const int* days = &perDay[std::size_t(student) * dayCount];
    long long over = 0;
    for (const SpreadRules::RunLimit& run : rules.runLimits) {
        const int runs = runCount(dayCount, run.days);
        for (int first = std::max(0, day - run.days + 1); first <= std::min(day, runs - 1); ++first) {
            long long n = 0;
            for (int d = first; d < std::min(dayCount, first + run.days); ++d)
                n += days[d];
            over += overLimit(n, run.most);
        }
    }
    return over;
}

void RuleTracker::changeDay(int student, int day, int by, Change& change)
{
    int& n = perDay[std::size_t(student) * dayCount + day];
    const long long runsBefore = runsOver(student, day);
    change.hard += overLimit(n + by, rules.dailyLimit) - overLimit(n, rules.dailyLimit);
    n += by;
    change.hard += runsOver(student, day) - runsBefore;
}

RuleTracker::Change RuleTracker::swap(const std::vector<int>& papers, int a, int b)
{
    Change change;
    ++swaps;
    for (const int v : papers)
        for (const int rule : pairsOf[v])
            if (seen[rule] != swaps) {
                seen[rule] = swaps;
                change.hard -= pairBreach(rule);
            }
    for (const int v : papers) {
        const int from = slot[v];
        const int to = from == a ? b : a;
        if (v < int(rules.allowed.size()) && !rules.allowed[v].empty())
            change.outside += rules.allowed[v][from] - rules.allowed[v][to];
        if (v < int(rules.lateCost.size()))
            change.soft += rules.lateCost[v] * (layout.day[to] - layout.day[from]);
        if (perStudent && layout.day[to] != layout.day[from])
            for (const int s : studentsOf[v]) {
                changeDay(s, layout.day[from], -1, change);
                changeDay(s, layout.day[to], +1, change);
            }
        slot[v] = to;
    }
    ++swaps;
    for (const int v : papers)
        for (const int rule : pairsOf[v])
            if (seen[rule] != swaps) {
                seen[rule] = swaps;
                change.hard += pairBreach(rule);
            }
    change.hard += change.outside;
    hard_ += change.hard;
    soft_ += change.soft;
    return change;
}

bool RuleTracker::breaks(int paper) const
{
    if (paper < int(rules.allowed.size()) && !rules.allowed[paper].empty() && !rules.allowed[paper][slot[paper]])
        return true;
    for (const int rule : pairsOf[paper])
        if (pairBreach(rule))
            return true;
    if (!perStudent)
        return false;
    const int day = layout.day[slot[paper]];
    for (const int s : studentsOf[paper])
        if (overLimit(perDay[std::size_t(s) * dayCount + day], rules.dailyLimit) > 0
            || runsOver(s, day) > 0)
            return true;
    return false;
}

#include "periods/SpreadRules.h"

#include <algorithm>

RuleBreaches ruleBreaches(const SpreadRules& rules, const Enrolments& enrolments, const Colouring& placement,
                          const PeriodLayout& layout)
{
    RuleBreaches breaches;
    for (std::size_t v = 0; v < placement.size() && v < rules.allowed.size(); ++v)
        breaches.outside += !rules.allowed[v].empty() && !rules.allowed[v][placement[v]];
    for (const auto& [a, b] : rules.together)
        breaches.together += placement[a] != placement[b];
    for (const auto& [a, b] : rules.apartDays)
        breaches.apartDays += layout.day[placement[a]] == layout.day[placement[b]];
    for (const auto& [a, b] : rules.after)
        breaches.after += layout.position[placement[b]] <= layout.position[placement[a]];
    if (rules.dailyLimit <= 0 && rules.runLimits.empty())
        return breaches;
    const int dayCount = layout.day.empty() ? 0 : *std::max_element(layout.day.begin(), layout.day.end()) + 1;
    for (const std::vector<int>& papers : enrolments.students) {
        std::vector<long long> perDay(dayCount, 0);
        for (const int v : papers)
            ++perDay[layout.day[placement[v]]];
        for (const long long n : perDay)
            breaches.daily += overLimit(n, rules.dailyLimit);
        for (const SpreadRules::RunLimit& run : rules.runLimits)
            for (int first = 0; first < runCount(dayCount, run.days); ++first) {
                long long n = 0;
                for (int d = first; d < std::min(dayCount, first + run.days); ++d)
                    n += perDay[d];
                breaches.runs += overLimit(n, run.most);
            }
    }
    return breaches;
}

long long lateness(const SpreadRules& rules, const Colouring& placement, const PeriodLayout& layout)
{
    long long cost = 0;
    for (std::size_t v = 0; v < rules.lateCost.size(); ++v)
        cost += rules.lateCost[v] * layout.day[placement[v]];
    return cost;
}

// Spreads the exams of the 13 Toronto sets (version I) over their usual
// numbers of periods, laid out as one day without nights so the cost is
// exactly Carter's, and prints the cost found against the best published.
// Usage: bench_spreading <solution folder> [seconds per set] [--rules] [set ...]
// Seconds are processor seconds of the searching thread, so a run on a busy
// machine gets the same budget as on an idle one.
// Each set's final timetable goes to <folder>/<set>.sol: one line per exam,
// its id as in the .crs file, then its period 0..K-1.
// With --rules the periods lie three a day and each set gets generated
// rules: a tenth of its papers fixed where a first clash-free timetable has
// them, pairs of papers together (from one period of it) and apart (from two
// days of it), at most two papers a day per student. It prints the cost
// with the rules against the cost without them on the same days, the time
// to the first timetable that keeps every rule, and whether the result
// keeps them, counted here from the students apart from the search.
#include "periods/Colouring.h"
#include "periods/SpreadRules.h"
#include "periods/Spreading.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>

namespace {

struct TorontoSet {
    const char* name;
    int periods;
    double carter1996; // < 0: not comparable
    double best;
};

const TorontoSet sets[] = {
    { "car-s-91", 35, 7.1, 4.37 },   { "car-f-92", 32, 6.2, 3.69 },     { "ear-f-83", 24, 36.4, 32.48 },
    { "hec-s-92", 18, 10.8, 10.03 }, { "kfu-s-93", 20, 14.0, 12.81 },   { "lse-f-91", 18, 10.5, 9.78 },
    { "pur-s-93", 42, -1, 4.10 },    { "rye-s-93", 23, -1, 7.89 },      { "sta-f-83", 13, 161.5, 157.03 },
    { "tre-s-92", 23, 9.6, 7.67 },   { "uta-s-92", 35, 3.5, 3.01 },     { "ute-s-92", 10, 25.8, 24.77 },
    { "yor-f-83", 21, 41.7, 34.44 },
};

struct LoadedSet {
    std::vector<std::string> ids;
    Enrolments enrolments;
};

LoadedSet load(const std::string& folder, const std::string& name)
{
    LoadedSet set;
    std::map<int, int> indexOf;
    std::ifstream crs(folder + "/" + name + ".crs");
    std::string id;
    long long enrolled = 0;
    while (crs >> id >> enrolled) {
        indexOf[std::stoi(id)] = int(set.ids.size());
        set.ids.push_back(id);
    }
    set.enrolments.papers = int(set.ids.size());
    std::ifstream stu(folder + "/" + name + ".stu");
    std::string line;
    while (std::getline(stu, line)) {
        std::istringstream exams(line);
        std::vector<int> papers;
        while (exams >> id) {
            const int paper = indexOf.at(std::stoi(id));
            if (std::find(papers.begin(), papers.end(), paper) == papers.end())
                papers.push_back(paper);
        }
        if (!papers.empty())
            set.enrolments.students.push_back(papers);
    }
    return set;
}

// Processor seconds this thread has run.
double cpuSeconds()
{
    timespec spent {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &spent);
    return double(spent.tv_sec) + double(spent.tv_nsec) / 1e9;
}

// A clash-free start within the set's periods: DSatur, then fewer colours
// where DSatur needs more periods than the set has.
std::optional<Colouring> clashFreeStart(const ConflictGraph& graph, int periods, double began)
{
    ColourSearch colour;
    colour.cancelled = [&] { return cpuSeconds() - began > 10; };
    Colouring start = dsaturColouring(graph);
    if (colourCount(start) > periods)
        start = fewerColours(graph, start, colour);
    if (colourCount(start) > periods)
        return std::nullopt;
    return start;
}

SpreadRules generatedRules(const Enrolments& enrolments, const ConflictGraph& graph, const Colouring& start,
                           const PeriodLayout& layout)
{
    SpreadRules rules;
    std::mt19937 random(20270111);
    const int papers = enrolments.papers;
    const int periods = int(layout.day.size());
    rules.allowed.assign(papers, {});
    for (int v = 0; v < papers; ++v)
        if (random() % 10 == 0) {
            rules.allowed[v].assign(periods, 0);
            rules.allowed[v][start[v]] = 1;
        }
    const auto meets = [&](int a, int b) { return std::binary_search(graph[a].begin(), graph[a].end(), b); };
    for (int tries = 0; tries < papers; ++tries) {
        const int a = int(random() % papers), b = int(random() % papers);
        if (a == b || meets(a, b))
            continue;
        if (start[a] == start[b] && rules.together.size() < std::size_t(papers / 50))
            rules.together.emplace_back(a, b);
        else if (layout.day[start[a]] != layout.day[start[b]] && rules.apartDays.size() < std::size_t(papers / 50))
            rules.apartDays.emplace_back(a, b);
    }
    rules.dailyLimit = 2;
    return rules;
}

// Breaches of the generated rules, counted from the students alone.
long long breaches(const SpreadRules& rules, const Enrolments& enrolments, const Colouring& result,
                   const PeriodLayout& layout)
{
    long long count = 0;
    for (std::size_t v = 0; v < rules.allowed.size(); ++v)
        count += !rules.allowed[v].empty() && rules.allowed[v][result[v]] == 0;
    for (const auto& [a, b] : rules.together)
        count += result[a] != result[b];
    for (const auto& [a, b] : rules.apartDays)
        count += layout.day[result[a]] == layout.day[result[b]];
    for (const std::vector<int>& papers : enrolments.students) {
        std::map<int, int> perDay;
        for (const int v : papers)
            count += ++perDay[layout.day[result[v]]] > rules.dailyLimit;
    }
    return count;
}

// Students whose papers cannot keep the daily limit over the set's days.
long long studentsBeyondLimit(const Enrolments& enrolments, int limit, int days)
{
    long long count = 0;
    for (const std::vector<int>& papers : enrolments.students)
        count += (long long)papers.size() > (long long)limit * days;
    return count;
}

void runWithRules(const TorontoSet& entry, const LoadedSet& set, int seconds)
{
    const PeriodLayout layout = dailyLayout(entry.periods, 3);
    const ConflictGraph graph = conflictGraphOf(set.enrolments);
    const double began = cpuSeconds();
    const std::optional<Colouring> start = clashFreeStart(graph, entry.periods, began);
    if (!start) {
        std::printf("%-9s no start within %d periods\n", entry.name, entry.periods);
        return;
    }
    const SpreadRules rules = generatedRules(set.enrolments, graph, *start, layout);
    const int days = layout.day.back() + 1;
    const long long beyond = studentsBeyondLimit(set.enrolments, rules.dailyLimit, days);

    SpreadSearch free;
    free.clock = SpreadSearch::Clock::ThreadCpu;
    free.milliseconds = seconds * 1000;
    const double freeCost = proximityCost(set.enrolments, spreadPapers(set.enrolments, *start, layout, free), layout);

    SpreadSearch ruled = free;
    ruled.rules = &rules;
    double firstKept = -1;
    const double ruledBegan = cpuSeconds();
    ruled.improved = [&](double) {
        if (firstKept < 0)
            firstKept = cpuSeconds() - ruledBegan;
    };
    const Colouring result = spreadPapers(set.enrolments, *start, layout, ruled);
    const long long broken = breaches(rules, set.enrolments, result, layout);
    const bool clashFree = isProperColouring(graph, result);
    std::printf("%-9s %3d %4d %6zu %6zu %9lld %9.3f %9.3f %6.3f %9.1f %7lld%s\n", entry.name, entry.periods, days,
                rules.together.size(), rules.apartDays.size(), beyond, freeCost,
                broken == 0 ? proximityCost(set.enrolments, result, layout) : -1.0,
                broken == 0 ? proximityCost(set.enrolments, result, layout) / freeCost : -1.0, firstKept, broken,
                clashFree ? "" : "  CLASH");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <solution folder> [seconds per set] [set ...]\n", argv[0]);
        return 2;
    }
    const std::string solutions = argv[1];
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    std::vector<std::string> chosen(argv + std::min(argc, 3), argv + argc);
    const bool withRules = !chosen.empty() && chosen.front() == "--rules";
    if (withRules) {
        chosen.erase(chosen.begin());
        // Papers fixed, together and apart, as counted; "beyond": students
        // with more papers than two a day allow (the limit cannot hold for
        // them, so no timetable keeps every rule); cost -1: no timetable
        // found that keeps every rule; t(kept): CPU s to the first one.
        std::printf("%-9s %3s %4s %6s %6s %9s %9s %9s %6s %9s %7s\n", "set", "K", "days", "toget", "apart", "beyond",
                    "free", "ruled", "ratio", "t(kept)", "broken");
        for (const TorontoSet& entry : sets)
            if (chosen.empty() || std::find(chosen.begin(), chosen.end(), entry.name) != chosen.end())
                runWithRules(entry, load(PAIKAO_TORONTO, entry.name), seconds);
        return 0;
    }

    // Times in processor seconds from the start of the set; -1: not reached
    // (or no comparable Carter figure).
    std::printf("%-9s %3s %9s %8s %6s %9s %9s %9s %9s  (CPU s)\n", "set", "K", "cost", "best", "ratio", "t(1.10x)",
                "t(1.05x)", "t(final)", "t(Carter)");
    for (const TorontoSet& entry : sets) {
        if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), entry.name) == chosen.end())
            continue;
        const LoadedSet set = load(PAIKAO_TORONTO, entry.name);
        const PeriodLayout layout = singleDayLayout(entry.periods);
        const double began = cpuSeconds();

        const ConflictGraph graph = conflictGraphOf(set.enrolments);
        const std::optional<Colouring> clashFree = clashFreeStart(graph, entry.periods, began);
        if (!clashFree) {
            std::printf("%-9s no start within %d periods\n", entry.name, entry.periods);
            continue;
        }
        const Colouring& start = *clashFree;

        double timeToTenPercent = -1, timeToFivePercent = -1, timeToFinal = 0, carterTime = -1, lastCost = 0;
        SpreadSearch search;
        search.clock = SpreadSearch::Clock::ThreadCpu;
        search.milliseconds = int(std::max(0.0, (seconds - (cpuSeconds() - began)) * 1000.0));
        search.improved = [&](double cost) {
            const double now = cpuSeconds() - began;
            if (timeToTenPercent < 0 && cost <= entry.best * 1.10)
                timeToTenPercent = now;
            if (timeToFivePercent < 0 && cost <= entry.best * 1.05)
                timeToFivePercent = now;
            if (carterTime < 0 && entry.carter1996 > 0 && cost < entry.carter1996)
                carterTime = now;
            if (cost < lastCost || lastCost == 0)
                timeToFinal = now;
            lastCost = cost;
        };
        const Colouring result = spreadPapers(set.enrolments, start, layout, search);

        // Scored again from the students alone, and checked for clashes.
        const double cost = proximityCost(set.enrolments, result, layout);
        const bool kept = isProperColouring(graph, result) && colourCount(result) <= entry.periods;
        std::ofstream sol(solutions + "/" + entry.name + ".sol");
        for (std::size_t v = 0; v < result.size(); ++v)
            sol << set.ids[v] << ' ' << result[v] << '\n';

        std::printf("%-9s %3d %9.3f %8.2f %6.3f %9.1f %9.1f %9.1f %9.1f%s\n", entry.name, entry.periods, cost,
                    entry.best, cost / entry.best, timeToTenPercent, timeToFivePercent, timeToFinal, carterTime,
                    kept ? "" : "  CLASH");
        std::fflush(stdout);
    }
    return 0;
}

// Spreads the exams of the 13 Toronto sets (version I) over their usual
// numbers of periods, laid out as one day without nights so the cost is
// exactly Carter's, and prints the cost found against the best published.
// Usage: bench_spreading <solution folder> [seconds per set] [set ...]
// Seconds are processor seconds of the searching thread, so a run on a busy
// machine gets the same budget as on an idle one.
// Each set's final timetable goes to <folder>/<set>.sol: one line per exam,
// its id as in the .crs file, then its period 0..K-1.
#include "periods/Colouring.h"
#include "periods/Spreading.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <map>
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

        // A clash-free start within the periods: DSatur, then fewer colours
        // where DSatur needs more periods than the set has.
        const ConflictGraph graph = conflictGraphOf(set.enrolments);
        ColourSearch colour;
        colour.cancelled = [&] { return cpuSeconds() - began > 10; };
        Colouring start = dsaturColouring(graph);
        if (colourCount(start) > entry.periods)
            start = fewerColours(graph, start, colour);
        if (colourCount(start) > entry.periods) {
            std::printf("%-9s no start within %d periods\n", entry.name, entry.periods);
            continue;
        }

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
        const bool clashFree = isProperColouring(graph, result) && colourCount(result) <= entry.periods;
        std::ofstream sol(solutions + "/" + entry.name + ".sol");
        for (std::size_t v = 0; v < result.size(); ++v)
            sol << set.ids[v] << ' ' << result[v] << '\n';

        std::printf("%-9s %3d %9.3f %8.2f %6.3f %9.1f %9.1f %9.1f %9.1f%s\n", entry.name, entry.periods, cost,
                    entry.best, cost / entry.best, timeToTenPercent, timeToFivePercent, timeToFinal, carterTime,
                    clashFree ? "" : "  CLASH");
        std::fflush(stdout);
    }
    return 0;
}

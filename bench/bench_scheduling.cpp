// A whole scheduling run without the pause, on a generated college-sized
// roster and on the largest Toronto set. Prints the time per paper, the
// number of conflict tests, and the run's work as a share of the 25 ms per
// paper that the window waits anyway.
#include "DataModule.h"
#include "periods/Scheduling.h"
#include "TestDatabase.h"
#include "TorontoRoster.h"

#include <QRandomGenerator>
#include <QSet>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>

namespace {

constexpr double pauseSeconds = 0.025;

// 30,000 rows over 1,500 papers and 8,000 students: ten papers of several
// hundred candidates, a hundred of some dozens, the rest small.
QStringList generatedRoster()
{
    QRandomGenerator random(20240601);
    const int papers = 1500, students = 8000, rows = 30000;
    QList<int> sizes;
    for (int p = 0; p < papers; ++p)
        sizes.append(p < 10 ? 400 + random.bounded(300) : p < 110 ? 30 + random.bounded(50) : 1 + random.bounded(20));
    int total = 0;
    for (int s : sizes)
        total += s;
    // Spread the difference to the target over the small papers.
    for (int p = 110; total != rows; p = p + 1 < papers ? p + 1 : 110) {
        const int step = total < rows ? 1 : (sizes[p] > 1 ? -1 : 0);
        sizes[p] += step;
        total += step;
    }
    QStringList roster;
    for (int p = 0; p < papers; ++p) {
        const QString paper = QString::number(p + 1);
        QSet<int> chosen;
        while (chosen.size() < sizes[p])
            chosen.insert(random.bounded(students));
        for (int s : chosen)
            roster.append(QStringList{paper, QStringLiteral("K") + paper, QStringLiteral("S%1").arg(s)}.join(u'|'));
    }
    return roster;
}

void runSchedule(benchmark::State& state, const QStringList& roster)
{
    TestDatabase db(TestDatabase::Storage::Disk);
    db.addRoster(roster);
    DataModule dm;
    dm.reconfigure();
    SchedulingRun run;
    double seconds = 0;
    double cpuSeconds = 0; // the shared machine's load does not count here
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        run = schedulePapers(dm, [](int, int) { });
        cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        state.PauseTiming();
        db.exec(QStringLiteral("delete from t_kscs; delete from t_cc"));
        state.ResumeTiming();
    }
    state.counters["papers"] = run.papers;
    state.counters["periods"] = run.periods;
    state.counters["conflict_tests"] = double(run.conflictTests);
    state.counters["ms_per_paper"] = seconds * 1000 / qMax(run.papers, 1);
    state.counters["work_to_pause"] = seconds / (pauseSeconds * qMax(run.papers, 1));
    state.counters["cpu_work_to_pause"] = cpuSeconds / (pauseSeconds * qMax(run.papers, 1));
}

void BM_GeneratedRoster(benchmark::State& state)
{
    runSchedule(state, generatedRoster());
}

void BM_TorontoPurS93(benchmark::State& state)
{
    const TorontoRoster roster = TorontoRoster::load(QStringLiteral(PAIKAO_TORONTO), QStringLiteral("pur-s-93"));
    if (roster.rows.isEmpty()) {
        state.SkipWithError("the Toronto data is not present");
        return;
    }
    runSchedule(state, roster.rows);
}

// Rosters of the same shape at growing size: papers of 1 to 39 candidates
// (20 on average) over students who sit five papers on average. The work per
// paper should not grow with the roster.
QStringList rosterOfRows(int rows)
{
    QRandomGenerator random(20241211);
    const int students = rows / 5;
    QStringList roster;
    for (int paper = 1; roster.size() < rows; ++paper) {
        const int size = qMin(1 + int(random.bounded(39)), rows - int(roster.size()));
        QSet<int> chosen;
        while (chosen.size() < size)
            chosen.insert(int(random.bounded(students)));
        for (int s : chosen)
            roster.append(QStringList{QString::number(paper), QStringLiteral("K%1").arg(paper), QStringLiteral("S%1").arg(s)}.join(u'|'));
    }
    return roster;
}

void BM_RosterSize(benchmark::State& state)
{
    runSchedule(state, rosterOfRows(int(state.range(0))));
}

} // namespace

BENCHMARK(BM_RosterSize)->Arg(10000)->Arg(30000)->Arg(100000)->Arg(300000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_GeneratedRoster)->Iterations(2)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_TorontoPurS93)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

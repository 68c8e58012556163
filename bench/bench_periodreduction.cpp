// Fewer periods on the 13 Toronto sets (version I): the roster goes into a
// database, first fit schedules it as the window does, then the search runs
// for at most 30 s and its result is written back and checked. Run with
// --benchmark_counters_tabular=true for one row per set: exams, first fit,
// periods found, the data's best known colouring (proved = 1 when that is
// the optimum), seconds to the best, the whole search, and reading and
// writing the placements.
#include "periods/PeriodReduction.h"
#include "ScheduledToronto.h"

#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void reduce(benchmark::State& state, const char* set, int bestKnown, bool proved)
{
    ScheduledToronto term(QString::fromLatin1(set));
    if (!term.present) {
        state.SkipWithError("the Toronto data is not present");
        return;
    }

    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        const PlacedPapers placed = readPlacedPapers(term.dm);
        const double reading = secondsSince(start);

        start = Clock::now();
        double toBest = 0;
        const Colouring periods = searchFewerPeriods(placed, {}, [&](int) { toBest = secondsSince(start); }, {});
        const double searching = secondsSince(start);
        state.SetIterationTime(searching);

        start = Clock::now();
        const int found = colourCount(periods);
        const QString fault = found < placed.periods ? writePeriods(term.dm, placed, periods) : QString();
        const double writing = secondsSince(start);
        if (!fault.isEmpty()) {
            qWarning("%s", qPrintable(fault));
            state.SkipWithError("writing the periods was refused");
        }
        const QString clashes = term.db.scalar(QStringLiteral(
            "select count(*) from (select b.xh from t_bjgmd b join t_kscs k on k.sjxh = b.sjxh "
            "group by b.xh, k.cc having count(distinct b.sjxh) > 1)"));
        if (clashes != QStringLiteral("0") || term.db.scalar(QStringLiteral("select count(distinct cc) from t_kscs")).toInt() != found)
            state.SkipWithError("the written periods are not sound");

        state.counters["exams"] = term.exams;
        state.counters["first_fit"] = term.firstFit.periods;
        state.counters["found"] = found;
        state.counters["best_known"] = bestKnown;
        state.counters["proved"] = proved;
        state.counters["s_to_best"] = toBest;
        state.counters["s_search"] = searching;
        state.counters["s_read"] = reading;
        state.counters["s_write"] = writing;
    }
}

} // namespace

#define TORONTO(name, set, best, proved)                                                                               \
    void name(benchmark::State& state) { reduce(state, set, best, proved); }                                           \
    BENCHMARK(name)->Name(set)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

TORONTO(carF92, "car-f-92", 28, false)
TORONTO(carS91, "car-s-91", 29, false)
TORONTO(earF83, "ear-f-83", 22, false)
TORONTO(hecS92, "hec-s-92", 17, true)
TORONTO(kfuS93, "kfu-s-93", 19, true)
TORONTO(lseF91, "lse-f-91", 17, true)
TORONTO(purS93, "pur-s-93", 33, false)
TORONTO(ryeS93, "rye-s-93", 22, false)
TORONTO(staF83, "sta-f-83", 13, true)
TORONTO(treS92, "tre-s-92", 20, true)
TORONTO(utaS92, "uta-s-92", 31, false)
TORONTO(uteS92, "ute-s-92", 10, true)
TORONTO(yorF83, "yor-f-83", 19, false)

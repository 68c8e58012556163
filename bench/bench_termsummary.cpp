// The main window's term summary on the largest Toronto set, scheduled by
// first fit: the time to read every figure, as each activation does.
#include "ScheduledToronto.h"
#include "overview/TermSummary.h"

#include <benchmark/benchmark.h>

namespace {

void BM_TermSummaryPurS93(benchmark::State& state)
{
    ScheduledToronto term(QStringLiteral("pur-s-93"));
    if (!term.present) {
        state.SkipWithError("the Toronto data is not present");
        return;
    }
    TermSummary summary;
    for (auto _ : state)
        benchmark::DoNotOptimize(summary = readTermSummary(term.dm));
    state.counters["roster_rows"] = summary.rosterRows;
    state.counters["papers"] = summary.papers;
    state.counters["periods"] = summary.periods;
}

} // namespace

BENCHMARK(BM_TermSummaryPurS93)->Unit(benchmark::kMillisecond);

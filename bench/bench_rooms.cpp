// Automatic room assignment over every period of the largest Toronto set,
// scheduled by first fit, with 300 generated rooms of 30 to 200 seats.
// Prints the time of the whole assignment, how many papers got a room, and
// the seats of the rooms in use left empty against the candidates seated.
#include "RoomAssignment.h"
#include "ScheduledToronto.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

void BM_TorontoPurS93AllPeriods(benchmark::State& state)
{
    ScheduledToronto term(QStringLiteral("pur-s-93"));
    if (!term.present) {
        state.SkipWithError("the Toronto data is not present");
        return;
    }

    QRandomGenerator random(20240614);
    QString rooms = QStringLiteral("BEGIN;");
    for (int r = 1; r <= 300; ++r)
        rooms += QStringLiteral("INSERT INTO t_js(jsm,rnrs) VALUES('R%1',%2);").arg(r, 3, 10, QChar(u'0')).arg(30 + random.bounded(171));
    term.db.exec(rooms + QStringLiteral("COMMIT;"));

    RoomAssignmentRun run;
    for (auto _ : state) {
        term.db.exec(QStringLiteral("UPDATE t_kscs SET jsid = 0"));
        const auto start = std::chrono::steady_clock::now();
        run = assignRooms(term.dm, std::nullopt);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    // What the last run left, counted from the raw tables.
    const double candidates = term.db.scalar(QStringLiteral("SELECT count(*) FROM t_bjgmd")).toDouble();
    const double seated = term.db.scalar(QStringLiteral(
        "SELECT count(*) FROM t_bjgmd b JOIN t_kscs k ON k.sjxh = b.sjxh WHERE k.jsid <> 0")).toDouble();
    const double seatsInUse = term.db.scalar(QStringLiteral(
        "SELECT sum(r.rnrs) FROM (SELECT DISTINCT cc, jsid FROM t_kscs WHERE jsid <> 0) u JOIN t_js r ON r.jsid = u.jsid")).toDouble();
    const double largerThanAnyRoom = term.db.scalar(QStringLiteral(
        "SELECT count(*) FROM t_hbkrs WHERE Num > (SELECT max(rnrs) FROM t_js)")).toDouble();
    state.counters["papers"] = term.firstFit.papers;
    state.counters["periods"] = term.firstFit.periods;
    state.counters["assigned"] = run.assigned;
    state.counters["roomless"] = double(run.roomless.size());
    state.counters["larger_than_any_room"] = largerThanAnyRoom;
    state.counters["candidates"] = candidates;
    state.counters["seated"] = seated;
    state.counters["seats_in_use"] = seatsInUse;
    state.counters["seats_wasted"] = seatsInUse - seated;
    state.counters["wasted_to_seated"] = (seatsInUse - seated) / qMax(seated, 1.0);
}

} // namespace

BENCHMARK(BM_TorontoPurS93AllPeriods)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// Automatic room assignment, splits included, reading and writing timed
// together:
// - a generated term shaped like a real one: about 2,000 candidates in 70
//   papers, most of one section, six of 3 to 8 course sections of 10 to 60,
//   20 periods, 40 rooms of 30 to 120 seats;
// - the largest Toronto set, scheduled by first fit, each exam cut into
//   sections of at most 60, with 300 generated rooms of 30 to 200 seats.
// Prints the rooms in use and the empty seats against a lower bound (per
// period, candidates over the largest room), the papers split, and the
// candidates left without a seat.
#include "rooms/RoomAssignment.h"
#include "ScheduledToronto.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

void addRooms(TestDatabase& db, int count, int smallest, int largest, quint32 seed)
{
    QRandomGenerator random(seed);
    QString rooms = QStringLiteral("BEGIN;");
    for (int r = 1; r <= count; ++r) {
        rooms += QStringLiteral("INSERT INTO t_js(jsm,rnrs) VALUES('R%1',%2);")
                     .arg(r, 3, 10, QChar(u'0'))
                     .arg(smallest + int(random.bounded(largest - smallest + 1)));
    }
    db.exec(rooms + QStringLiteral("COMMIT;"));
}

// Runs the assignment from a term without rooms and splits each iteration,
// then reports what the last run left, counted from the raw tables.
void runAndReport(benchmark::State& state, TestDatabase& db, DataModule& dm)
{
    db.exec(QStringLiteral("CREATE TABLE bench_roster AS SELECT * FROM t_bjgmd; CREATE TABLE bench_kscs AS SELECT * FROM t_kscs"));
    RoomAssignmentRun run;
    for (auto _ : state) {
        db.exec(QStringLiteral("BEGIN; DELETE FROM t_bjgmd; INSERT INTO t_bjgmd SELECT * FROM bench_roster;"
                               "DELETE FROM t_kscs; INSERT INTO t_kscs SELECT * FROM bench_kscs; COMMIT;"));
        const auto start = std::chrono::steady_clock::now();
        run = assignRooms(dm, std::nullopt);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    const double candidates = db.scalar(QStringLiteral("SELECT count(*) FROM t_bjgmd")).toDouble();
    const double seated = db.scalar(QStringLiteral(
        "SELECT count(*) FROM t_bjgmd b JOIN t_kscs k ON k.sjxh = b.sjxh WHERE k.jsid <> 0")).toDouble();
    const double roomsInUse = db.scalar(QStringLiteral("SELECT count(*) FROM (SELECT DISTINCT cc, jsid FROM t_kscs WHERE jsid <> 0)")).toDouble();
    const double seatsInUse = db.scalar(QStringLiteral(
        "SELECT sum(r.rnrs) FROM (SELECT DISTINCT cc, jsid FROM t_kscs WHERE jsid <> 0) u JOIN t_js r ON r.jsid = u.jsid")).toDouble();
    // No assignment can use fewer rooms than each period's candidates over
    // the largest room.
    const double roomsBound = db.scalar(QStringLiteral(
        "SELECT sum((n + m - 1) / m) FROM (SELECT k.cc, count(*) AS n, (SELECT max(rnrs) FROM t_js) AS m"
        " FROM t_bjgmd b JOIN t_kscs k ON k.sjxh = b.sjxh GROUP BY k.cc)")).toDouble();
    state.counters["candidates"] = candidates;
    state.counters["seated"] = seated;
    state.counters["unseated"] = run.unseated;
    state.counters["papers_split"] = run.splitPapers;
    state.counters["rooms_of_split"] = run.splitRooms;
    state.counters["rooms_in_use"] = roomsInUse;
    state.counters["rooms_bound"] = roomsBound;
    state.counters["empty_seats"] = seatsInUse - seated;
    state.counters["crowded_periods"] = double(run.crowded.size());
}

void BM_GeneratedTerm(benchmark::State& state)
{
    TestDatabase db;
    QRandomGenerator random(20261211);
    QStringList roster;
    QString placements;
    int student = 0;
    for (int p = 1; p <= 70; ++p) {
        // Most papers are one section; papers 11, 22, ... 66 are first-year
        // courses of many sections, one per period.
        const bool large = p % 10 == p / 10;
        const int sections = large ? 3 + int(random.bounded(6)) : 1;
        for (int s = 1; s <= sections; ++s) {
            const int size = large ? 10 + int(random.bounded(51)) : 10 + int(random.bounded(6));
            for (int i = 0; i < size; ++i)
                roster << QStringLiteral("%1|%1-%2|%3|考生|C%1|课程|教师|学院||补考").arg(p).arg(s).arg(++student);
        }
        placements += QStringLiteral("('%1','%2','%2',0),").arg(1 + (p - 1) % 20).arg(p);
    }
    db.addRoster(roster);
    placements.chop(1);
    db.exec(QStringLiteral("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES") + placements);
    addRooms(db, 40, 30, 120, 7);
    DataModule dm;
    dm.reconfigure();
    runAndReport(state, db, dm);
}

void BM_TorontoPurS93Sections(benchmark::State& state)
{
    ScheduledToronto term(QStringLiteral("pur-s-93"));
    if (!term.present) {
        state.SkipWithError("the Toronto data is not present");
        return;
    }
    // Each exam cut into course sections of at most 60 candidates.
    term.db.exec(QStringLiteral(
        "UPDATE t_bjgmd SET kcxh = t_bjgmd.kcxh || '-' || s.n FROM (SELECT rid,"
        " (row_number() OVER (PARTITION BY sjxh ORDER BY rid) - 1) / 60 AS n FROM t_bjgmd) s WHERE s.rid = t_bjgmd.rid"));
    addRooms(term.db, 300, 30, 200, 20240614);
    state.counters["papers"] = term.firstFit.papers;
    state.counters["periods"] = term.firstFit.periods;
    runAndReport(state, term.db, term.dm);
}

} // namespace

BENCHMARK(BM_GeneratedTerm)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TorontoPurS93Sections)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

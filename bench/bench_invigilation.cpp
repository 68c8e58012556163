// Automatic invigilation over every room in use of the largest Toronto set:
// scheduled by first fit, roomed automatically in 600 generated rooms of 30
// to 120 seats, two periods a day, every paper taught by one of 600
// generated invigilators of mixed availability (most duties 3 to 12; a
// quarter cannot come on one or two days, a tenth not to three periods).
// Times the whole run (plan and adoption) and prints the spread of duties
// and the rooms left short against what is possible: the places each time needs against who is
// free then.
#include "people/Invigilation.h"
#include "rooms/RoomAssignment.h"
#include "ScheduledToronto.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

QString dayOf(int period)
{
    return QStringLiteral("2025-01-%1").arg(1 + (period - 1) / 2, 2, 10, QChar(u'0'));
}

void BM_TorontoPurS93Invigilation(benchmark::State& state)
{
    ScheduledToronto term(QStringLiteral("pur-s-93"));
    if (!term.present) {
        state.SkipWithError("the Toronto data is not present");
        return;
    }
    QRandomGenerator random(20251211);
    QString setUp = QStringLiteral("BEGIN;");
    for (int r = 1; r <= 600; ++r)
        setUp += QStringLiteral("INSERT INTO t_js(jsm,rnrs) VALUES('R%1',%2);").arg(r, 3, 10, QChar(u'0')).arg(30 + random.bounded(91));
    const int periods = term.firstFit.periods;
    for (int p = 1; p <= periods; ++p)
        setUp += QStringLiteral("UPDATE t_cc SET kssj='%1 %2' WHERE cc='%3';")
                     .arg(dayOf(p), p % 2 ? QStringLiteral("08:30-10:30") : QStringLiteral("14:00-16:00"))
                     .arg(p);
    setUp += QStringLiteral("UPDATE t_bjgmd SET skjs = printf('教师%03d', 1 + abs(cast(sjxh AS INTEGER)) % 600);");
    for (int i = 1; i <= 600; ++i) {
        QStringList unavailable;
        if (random.bounded(4) == 0)
            for (int d = 0, n = 1 + random.bounded(2); d < n; ++d)
                unavailable.append(dayOf(1 + random.bounded(periods)));
        if (random.bounded(10) == 0)
            for (int d = 0; d < 3; ++d)
                unavailable.append(QString::number(1 + random.bounded(periods)));
        const QString name = QStringLiteral("教师%1").arg(i, 3, 10, QChar(u'0'));
        setUp += QStringLiteral("INSERT INTO t_jkjs(xm,yx,zdcs,bkcc) VALUES('%1','系%2',%3,'%4');")
                     .arg(name)
                     .arg(i % 12)
                     .arg(3 + random.bounded(10))
                     .arg(unavailable.join(u' '));
    }
    term.db.exec(setUp + QStringLiteral("COMMIT;"));
    assignRooms(term.dm, std::nullopt);

    InvigilationPlan plan;
    for (auto _ : state) {
        term.db.exec(QStringLiteral("DELETE FROM t_jkap"));
        const auto start = std::chrono::steady_clock::now();
        plan = planInvigilation(term.dm, {});
        adoptInvigilation(term.dm, plan);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    // What is possible: at each time no more than who may come then, and
    // no more in all than the sum of most duties.
    double possibleAtTimes = 0;
    for (const TimeLoad& time : plan.times)
        possibleAtTimes += std::min(time.places, time.canCome);
    const double capacity = term.db.scalar(QStringLiteral("SELECT sum(zdcs) FROM t_jkjs")).toDouble();
    int shortPlaces = 0;
    for (const ShortRoom& room : plan.shortRooms)
        shortPlaces += room.needed - room.given;
    const double possible = std::min(possibleAtTimes, capacity);
    state.counters["periods"] = periods;
    state.counters["rooms_in_use"] = plan.rooms;
    state.counters["places"] = plan.places;
    state.counters["duty_capacity"] = capacity;
    state.counters["possible_places"] = possible;
    state.counters["given"] = double(plan.duties.size());
    state.counters["own_teacher"] = plan.ownTeachers;
    state.counters["short_rooms"] = double(plan.shortRooms.size());
    state.counters["short_places"] = shortPlaces;
    state.counters["fewest"] = plan.fewest;
    state.counters["most"] = plan.most;
}

} // namespace

BENCHMARK(BM_TorontoPurS93Invigilation)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

#include "rooms/Seating.h"

#include "rooms/Sittings.h"

#include "DataModule.h"
#include "Transaction.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>

namespace {

int usedColumns(const RoomShape& shape, const SeatingTerms& terms)
{
    return terms.everyOther ? (shape.columns + 1) / 2 : shape.columns;
}

int ceilDiv(int a, int b)
{
    return b > 0 ? (a + b - 1) / b : 0;
}

// A candidate in a room, with the seat the table holds for that room and
// period (0 when none).
struct Placed {
    qint64 rid = 0;
    QString student;
    QString paper;
    QString period;
    int seat = 0;
    SeatPlace place;
};

// The candidates of one room at one time.
struct RoomUnit {
    int time = 0;
    int room = 0;
    QString roomName;
    int capacity = 0;
    int rows = 0;
    int columns = 0;
    std::vector<Placed> candidates;

    int unseated() const
    {
        QSet<int> seats;
        int missing = 0;
        for (const Placed& p : candidates) {
            if (p.seat <= 0 || seats.contains(p.seat))
                ++missing;
            seats.insert(p.seat);
        }
        return missing;
    }
};

struct Term {
    Sittings sittings;
    std::vector<RoomUnit> units; // in order of time, then room name
};

Term readTerm(Connection& connection, const QString& time)
{
    Term term{readSittings(connection), {}};
    std::map<std::pair<int, int>, size_t> unitAt;
    const QString wanted = time.trimmed().toLower();
    SqlText statement("select t_bjgmd.rid,t_bjgmd.xh,t_bjgmd.sjxh,t_kscs.cc,t_kscs.jsid,t_js.jsm,coalesce(t_js.rnrs,0),"
                      "t_js.ps,t_js.ls,coalesce(t_zw.zwh,0),coalesce(t_zw.pai,0),coalesce(t_zw.lie,0)"
                      " from t_kscs join t_bjgmd on t_bjgmd.sjxh=t_kscs.sjxh join t_js on t_js.jsid=t_kscs.jsid"
                      " left join t_zw on t_zw.rid=t_bjgmd.rid and t_zw.cc=t_kscs.cc and t_zw.jsid=t_kscs.jsid");
    if (const SqlText periods = periodsOfTime(term.sittings, time, "t_kscs.cc"); !periods.isEmpty())
        statement.append(" where").append(periods);
    connection.run(statement, [&](const QStringList&, const QVariantList& row) {
        const QString period = row[3].toString().trimmed();
        const int t = term.sittings.timeOf(period);
        if (!wanted.isEmpty() && term.sittings.times[t].text.toLower() != wanted)
            return;
        const int room = row[4].toInt();
        auto [at, added] = unitAt.try_emplace({t, room}, term.units.size());
        if (added)
            term.units.push_back({t, room, row[5].toString().trimmed(), row[6].toInt(), row[7].toInt(), row[8].toInt(), {}});
        term.units[at->second].candidates.push_back({row[0].toLongLong(), row[1].toString().trimmed(), row[2].toString().trimmed(),
                                                     period, row[9].toInt(), {row[10].toInt(), row[11].toInt()}});
    });
    std::sort(term.units.begin(), term.units.end(), [](const RoomUnit& a, const RoomUnit& b) {
        if (a.time != b.time)
            return a.time < b.time;
        return a.roomName != b.roomName ? QString::compare(a.roomName, b.roomName, Qt::CaseInsensitive) < 0 : a.room < b.room;
    });
    return term;
}

void appendJsonText(QByteArray& out, const QString& text)
{
    out += '"';
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += '\\';
        if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toLatin1();
        else
            out += QString(c).toUtf8();
    }
    out += '"';
}

} // namespace

RoomShape roomShape(int rows, int columns, int capacity, int candidates, const SeatingTerms& terms)
{
    RoomShape shape;
    if (rows > 0 && columns > 0) {
        shape = {rows, columns};
    } else {
        shape.columns = std::max(1, terms.columns);
        shape.rows = ceilDiv(std::max(0, capacity), shape.columns);
    }
    shape.rows = std::max(shape.rows, ceilDiv(candidates, usedColumns(shape, terms)));
    return shape;
}

std::vector<SeatPlace> seatPlaces(const RoomShape& shape, const SeatingTerms& terms, int count)
{
    const int step = terms.everyOther ? 2 : 1;
    const int lines = terms.rowWise ? shape.rows : usedColumns(shape, terms);
    const int along = terms.rowWise ? usedColumns(shape, terms) : shape.rows;
    std::vector<SeatPlace> places;
    for (int line = 0; line < lines && int(places.size()) < count; ++line) {
        for (int i = 0; i < along && int(places.size()) < count; ++i) {
            const int at = line % 2 == 0 ? i : along - 1 - i;
            places.push_back(terms.rowWise ? SeatPlace{line + 1, at * step + 1} : SeatPlace{at + 1, line * step + 1});
        }
    }
    return places;
}

SeatedRoom seatRoom(const std::vector<SeatCandidate>& candidates, const RoomShape& shape, const SeatingTerms& terms)
{
    const int n = int(candidates.size());
    SeatedRoom out;
    out.seatOf.assign(n, 0);
    out.places = seatPlaces(shape, terms, n);
    const int step = terms.everyOther ? 2 : 1;
    const auto gridColumn = [step](const SeatPlace& p) { return (p.column - 1) / step; };

    // Seats of the two colours of a chessboard, in number order: no two
    // seats of one colour are neighbours.
    std::vector<int> even, odd;
    for (int s = 0; s < n; ++s)
        ((out.places[s].row - 1 + gridColumn(out.places[s])) % 2 == 0 ? even : odd).push_back(s);
    if (odd.size() > even.size())
        std::swap(even, odd);
    std::vector<int> targets = even;
    targets.insert(targets.end(), odd.begin(), odd.end());

    // Papers largest first, each paper's candidates in 学号 order; laid over
    // one colour and then the other, the largest paper sits apart from itself
    // while it holds no more than half of the seats.
    QHash<QString, std::vector<int>> byPaper;
    for (int i = 0; i < n; ++i)
        byPaper[candidates[i].paper].push_back(i);
    QStringList papers = byPaper.keys();
    std::sort(papers.begin(), papers.end(), [&](const QString& a, const QString& b) {
        const size_t na = byPaper[a].size(), nb = byPaper[b].size();
        return na != nb ? na > nb : numberBefore(a, b);
    });
    out.papers = int(papers.size());
    std::vector<int> paperAt(n, 0);
    int next = 0;
    for (int p = 0; p < papers.size(); ++p) {
        std::vector<int>& members = byPaper[papers[p]];
        std::sort(members.begin(), members.end(), [&](int a, int b) {
            return candidates[a].student != candidates[b].student ? numberBefore(candidates[a].student, candidates[b].student)
                                                                  : candidates[a].rid < candidates[b].rid;
        });
        std::vector<int> seats(targets.begin() + next, targets.begin() + next + qsizetype(members.size()));
        next += int(members.size());
        std::sort(seats.begin(), seats.end());
        for (size_t k = 0; k < members.size(); ++k) {
            out.seatOf[members[k]] = seats[k] + 1;
            paperAt[seats[k]] = p;
        }
    }

    if (out.papers > 1) {
        std::map<std::pair<int, int>, int> seatAt;
        for (int s = 0; s < n; ++s)
            seatAt[{out.places[s].row, gridColumn(out.places[s])}] = s;
        for (int s = 0; s < n; ++s) {
            const int row = out.places[s].row, column = gridColumn(out.places[s]);
            for (const auto& neighbour : {std::pair{row, column + 1}, std::pair{row + 1, column}}) {
                const auto at = seatAt.find(neighbour);
                if (at != seatAt.end() && paperAt[at->second] == paperAt[s])
                    ++out.sharedNeighbours;
            }
        }
    }
    return out;
}

QList<SeatingTime> seatingTimes(DataModule& dm)
{
    const Term term = readTerm(dm.ADOConnection1, {});
    QList<SeatingTime> times;
    int last = -1;
    for (const RoomUnit& unit : term.units) {
        if (unit.time != last)
            times.append(term.sittings.times[unit.time]);
        last = unit.time;
    }
    return times;
}

QList<RoomToSeat> roomsNeedingSeats(DataModule& dm, const QString& time)
{
    const Term term = readTerm(dm.ADOConnection1, time);
    QList<RoomToSeat> rooms;
    for (const RoomUnit& unit : term.units)
        if (const int missing = unit.unseated(); missing > 0)
            rooms.append({term.sittings.times[unit.time].text, unit.roomName, int(unit.candidates.size()), missing});
    return rooms;
}

SeatingRun arrangeSeats(DataModule& dm, const SeatingTerms& terms, const QString& time, bool again)
{
    SeatingRun run;
    Connection& connection = dm.ADOConnection1;
    inTransaction(connection, [&] {
        const Term term = readTerm(connection, time);
        QByteArray rows = "[";
        for (const RoomUnit& unit : term.units) {
            if (!again && unit.unseated() == 0) {
                ++run.kept;
                continue;
            }
            std::vector<SeatCandidate> candidates;
            for (const Placed& p : unit.candidates)
                candidates.push_back({p.rid, p.paper, p.student});
            const int n = int(candidates.size());
            const SeatedRoom seated = seatRoom(candidates, roomShape(unit.rows, unit.columns, unit.capacity, n, terms), terms);
            for (int i = 0; i < n; ++i) {
                const SeatPlace& place = seated.places[seated.seatOf[i] - 1];
                // A seat seated again as it was is left alone.
                if (unit.candidates[i].seat == seated.seatOf[i] && unit.candidates[i].place == place)
                    continue;
                if (rows.size() > 1)
                    rows += ',';
                rows += '[' + QByteArray::number(unit.candidates[i].rid) + ',';
                appendJsonText(rows, unit.candidates[i].period);
                rows += ',' + QByteArray::number(unit.room) + ',' + QByteArray::number(seated.seatOf[i]) + ','
                        + QByteArray::number(place.row) + ',' + QByteArray::number(place.column) + ']';
            }
            ++run.rooms;
            run.candidates += n;
            if (seated.sharedNeighbours > 0)
                run.shared.append({term.sittings.times[unit.time].text, unit.roomName, n, seated.sharedNeighbours});
        }
        rows += ']';
        if (rows.size() > 2)
            connection.execute(SqlText("insert or replace into t_zw(rid,cc,jsid,zwh,pai,lie)"
                                       " select json_extract(value,'$[0]'),json_extract(value,'$[1]'),json_extract(value,'$[2]'),"
                                       "json_extract(value,'$[3]'),json_extract(value,'$[4]'),json_extract(value,'$[5]')"
                                       " from json_each('") + QString::fromUtf8(rows) + "')");
        return true;
    });
    return run;
}

QString seatingReport(const SeatingRun& run)
{
    if (run.rooms == 0 && run.kept == 0)
        return QStringLiteral("还没有安排了教室的考生，无法编排座位。请先指定教室（编排 → 3.指定教室）。");
    QString text = run.rooms == 0 ? QStringLiteral("所有考场都已有座位，没有改动。")
                                  : QStringLiteral("已为 %1 间考场的 %2 名考生编排座位；%3 间考场的座位没有改动。")
                                        .arg(run.rooms)
                                        .arg(run.candidates)
                                        .arg(run.kept);
    if (!run.shared.isEmpty()) {
        text += QStringLiteral("\n以下考场中一份试卷的考生超过座位的一半，相邻考生无法全部错开：");
        // A box taller than the screen would hide its own OK button.
        constexpr int shown = 30;
        for (qsizetype i = 0; i < std::min<qsizetype>(shown, run.shared.size()); ++i) {
            const SharedRoom& room = run.shared[i];
            text += QStringLiteral("\n%1 %2（%3 人）：%4 对相邻考生同卷").arg(room.time, room.room).arg(room.candidates).arg(room.sharedNeighbours);
        }
        if (run.shared.size() > shown)
            text += QStringLiteral("\n……另有 %1 间考场。").arg(run.shared.size() - shown);
    }
    return text;
}

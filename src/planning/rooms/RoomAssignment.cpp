#include "rooms/RoomAssignment.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "TableStamp.h"
#include "Transaction.h"
#include "people/Invigilation.h"
#include "rooms/RoomCapacity.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

namespace {

struct Room {
    int id = 0;
    int capacity = 0;
    QString name;
};

// A course of a paper with the students seated under it. A student listed
// on several courses of one paper sits it once: they are seated under the
// largest of their courses only.
struct Course {
    QString number; // kcxh as stored
    QString name;
    QStringList students; // trimmed, in 学号 order
    int candidates() const { return int(students.size()); }
};

struct Paper {
    QString number; // as stored, so that the assignment finds its placement
    std::vector<Course> courses;
    QHash<QString, QList<qint64>> rowsOf; // each student's roster rows of the paper
    int candidates = 0;
    int room = 0;   // the room it is counted in, 0 when it counts nowhere
    bool placed = false;
};

struct Period {
    QString cc;
    std::vector<Paper> papers;
    bool planned = false; // its papers without a room get one
};

// One room per name, the first by id: the one a room chosen by name is, and
// the room totals add up every room of one name anyway. Rooms without a name
// or seats can take nothing.
std::vector<Room> usableRooms(QuerySlot& q)
{
    openOn(q, "select jsid,jsm,rnrs from t_js where jsid in (select min(jsid) from t_js group by jsm) order by jsm,jsid");
    std::vector<Room> rooms;
    for (q.First(); !q.Eof(); q.Next()) {
        const int capacity = q.FieldByName(QStringLiteral("rnrs")).AsVariant().toInt();
        const QString name = q.FieldByName(QStringLiteral("jsm")).AsString().trimmed();
        if (!name.isEmpty() && capacity > 0)
            rooms.push_back({q.FieldByName(QStringLiteral("jsid")).AsVariant().toInt(), capacity, name});
    }
    return rooms;
}

// 学号 in order: shorter numbers first, so that S9 comes before S10.
bool studentBefore(const QString& a, const QString& b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// Each student goes under the largest of their courses of the paper;
// `coursesOf` gives each student's courses as indexes into paper.courses.
void seatStudentsOnce(Paper& paper, const QHash<QString, std::vector<size_t>>& coursesOf)
{
    std::vector<int> listed(paper.courses.size(), 0);
    for (const std::vector<size_t>& courses : coursesOf)
        for (size_t c : courses)
            ++listed[c];
    for (const auto& [student, courses] : coursesOf.asKeyValueRange()) {
        const size_t largest = *std::max_element(courses.begin(), courses.end(), [&](size_t a, size_t b) {
            return listed[a] < listed[b] || (listed[a] == listed[b] && a > b);
        });
        paper.courses[largest].students.append(student);
    }
    for (Course& course : paper.courses)
        std::sort(course.students.begin(), course.students.end(), studentBefore);
    paper.candidates = int(coursesOf.size());
}

// Every placed paper with its courses and students, by period, each paper's
// room counted under the first room of its name.
std::vector<Period> readPeriods(QuerySlot& q)
{
    openOn(q, "select t_kscs.cc as period,t_kscs.sjxh as paper,t_bjgmd.kcxh as course,t_bjgmd.kcmc as coursename,"
              "trim(t_bjgmd.xh) as student,t_bjgmd.rid as rosterrow,"
              "(select min(t_js.jsid) from t_js where t_js.jsm=(select jsm from t_js where jsid=t_kscs.jsid)) as room,"
              "t_kscs.jsid in (select jsid from t_js) as placed"
              " from t_kscs join t_bjgmd on t_bjgmd.sjxh=t_kscs.sjxh"
              " where t_kscs.rowid in (select min(rowid) from t_kscs group by sjxh)"
              " order by 1,2,3,6");
    std::vector<Period> periods;
    QHash<QString, std::vector<size_t>> coursesOf; // of the paper being read
    const auto finishPaper = [&] {
        if (!periods.empty() && !periods.back().papers.empty())
            seatStudentsOnce(periods.back().papers.back(), coursesOf);
        coursesOf.clear();
    };
    for (q.First(); !q.Eof(); q.Next()) {
        const QString cc = q.FieldByName(QStringLiteral("period")).AsString();
        const QString number = q.FieldByName(QStringLiteral("paper")).AsString();
        if (periods.empty() || periods.back().cc != cc) {
            finishPaper();
            periods.push_back({cc, {}});
        }
        std::vector<Paper>& papers = periods.back().papers;
        if (papers.empty() || papers.back().number != number) {
            finishPaper();
            papers.push_back({number, {}, {}, 0, q.FieldByName(QStringLiteral("room")).AsVariant().toInt(),
                q.FieldByName(QStringLiteral("placed")).AsVariant().toInt() != 0});
        }
        Paper& paper = papers.back();
        const QString kcxh = q.FieldByName(QStringLiteral("course")).AsString();
        if (paper.courses.empty() || paper.courses.back().number.compare(kcxh, Qt::CaseInsensitive) != 0)
            paper.courses.push_back({kcxh, q.FieldByName(QStringLiteral("coursename")).AsString().trimmed(), {}});
        const QString student = q.FieldByName(QStringLiteral("student")).AsString();
        paper.rowsOf[student].append(q.FieldByName(QStringLiteral("rosterrow")).AsVariant().toLongLong());
        std::vector<size_t>& courses = coursesOf[student];
        if (std::find(courses.begin(), courses.end(), paper.courses.size() - 1) == courses.end())
            courses.push_back(paper.courses.size() - 1);
    }
    finishPaper();
    return periods;
}

// New paper numbers: above the highest numeric number in use, never one in use.
class PaperNumbers {
public:
    explicit PaperNumbers(QuerySlot& q)
    {
        openOn(q, "select sjxh from t_kscs union select sjxh from t_bjgmd");
        for (q.First(); !q.Eof(); q.Next()) {
            const QString number = q.FieldByName(QStringLiteral("sjxh")).AsString().trimmed();
            inUse.insert(number.toLower());
            bool numeric = false;
            const qlonglong value = number.toLongLong(&numeric);
            if (numeric && value > highest && number.front().isDigit())
                highest = value;
        }
    }

    QString next()
    {
        QString number;
        do
            number = QString::number(++highest);
        while (inUse.contains(number));
        inUse.insert(number);
        return number;
    }

private:
    QSet<QString> inUse;
    qlonglong highest = 0;
};

// Search effort per paper: enough for the papers of a real term, and a
// bound on pathological ones, which then fall back to first fit.
constexpr long searchBudget = 40000;

// Puts the courses (largest first) into the bins' free seats; where[i] is the
// bin of course i.
bool packInto(const std::vector<int>& sizes, std::vector<int>& left, std::vector<int>& where, size_t i, long& budget)
{
    if (i == sizes.size())
        return true;
    if (--budget < 0)
        return false;
    for (size_t b = 0; b < left.size(); ++b) {
        if (left[b] < sizes[i])
            continue;
        // Bins with the same free seats are the same choice.
        bool tried = false;
        for (size_t c = 0; c < b && !tried; ++c)
            tried = left[c] == left[b];
        if (tried)
            continue;
        left[b] -= sizes[i];
        where[i] = int(b);
        if (packInto(sizes, left, where, i + 1, budget))
            return true;
        left[b] += sizes[i];
    }
    return false;
}

// Students of one course seated together: the whole course, or a range of
// 学号 of a course larger than every room.
struct Piece {
    size_t course = 0;
    int from = 0; // students [from, to) in 学号 order
    int to = 0;
    int size() const { return to - from; }
};

// The groups of a paper's pieces and the room each goes into.
struct Packing {
    std::vector<std::vector<Piece>> groups;
    std::vector<size_t> rooms; // index into the period's rooms, per group
    std::vector<Piece> unseated;

    // The group in the room, made when there is none yet.
    std::vector<Piece>& groupIn(size_t room)
    {
        const auto at = std::find(rooms.begin(), rooms.end(), room);
        if (at != rooms.end())
            return groups[size_t(at - rooms.begin())];
        rooms.push_back(room);
        return groups.emplace_back();
    }
};

struct FreeRoom {
    size_t index; // into the period's rooms
    int free;
};

// Chooses, for k = 1, 2, ... rooms, the k rooms with the fewest seats in all
// that can take every course, and packs the courses into them.
class RoomSetSearch {
public:
    RoomSetSearch(const std::vector<int>& sizes, const std::vector<FreeRoom>& rooms, int total)
        : sizes(sizes), rooms(rooms), total(total)
    {
    }

    bool run(size_t k, std::vector<int>& where, std::vector<size_t>& chosenRooms)
    {
        this->k = k;
        best = std::numeric_limits<int>::max();
        chosen.clear();
        found = false;
        dive(0, 0);
        if (found) {
            where = bestWhere;
            chosenRooms = bestRooms;
        }
        return found;
    }

    long budget = searchBudget;

private:
    void dive(size_t from, int sum)
    {
        if (budget-- < 0)
            return;
        if (chosen.size() == k) {
            if (sum < total || sum >= best)
                return;
            std::vector<int> left;
            for (size_t r : chosen)
                left.push_back(rooms[r].free);
            std::vector<int> where(sizes.size());
            if (packInto(sizes, left, where, 0, budget)) {
                best = sum;
                found = true;
                bestWhere = where;
                bestRooms = chosen;
            }
            return;
        }
        const size_t need = k - chosen.size();
        for (size_t r = from; r + need <= rooms.size(); ++r) {
            // The next rooms are the largest left: if they cannot reach the
            // total, no later choice can; a room of the same size as the one
            // just passed over gives the same sets.
            int reach = sum;
            for (size_t s = r; s < r + need; ++s)
                reach += rooms[s].free;
            if (reach < total)
                return;
            if (r > from && rooms[r].free == rooms[r - 1].free)
                continue;
            if (sum + rooms[r].free >= best)
                continue;
            chosen.push_back(r);
            dive(r + 1, sum + rooms[r].free);
            chosen.pop_back();
        }
    }

    const std::vector<int>& sizes;
    const std::vector<FreeRoom>& rooms;
    int total;
    size_t k = 0;
    int best = 0;
    bool found = false;
    std::vector<size_t> chosen;
    std::vector<int> bestWhere;
    std::vector<size_t> bestRooms;
};

// A course larger than every room, by 学号 ranges over the fewest rooms
// that seat it: the largest rooms full, the rest in the smallest room that
// takes it. Returns false, using no room, when all rooms together are too few.
bool packInRanges(size_t course, int size, std::vector<FreeRoom>& rooms, Packing& packing)
{
    int reach = 0;
    size_t full = 0;
    while (full < rooms.size() && reach + rooms[full].free < size)
        reach += rooms[full++].free;
    if (full == rooms.size())
        return false;
    int from = 0;
    for (size_t r = 0; r < full; ++r) {
        packing.groupIn(rooms[r].index).push_back({course, from, from + rooms[r].free});
        from += rooms[r].free;
        rooms[r].free = 0;
    }
    size_t last = full;
    for (size_t r = full + 1; r < rooms.size(); ++r)
        if (rooms[r].free >= size - from && rooms[r].free < rooms[last].free)
            last = r;
    packing.groupIn(rooms[last].index).push_back({course, from, size});
    rooms[last].free -= size - from;
    std::erase_if(rooms, [](const FreeRoom& r) { return r.free == 0; });
    std::stable_sort(rooms.begin(), rooms.end(), [](const FreeRoom& a, const FreeRoom& b) { return a.free > b.free; });
    return true;
}

// Courses by size, into the fewest rooms with the fewest seats over that the
// search finds; when it finds none, first fit decreasing, opening the
// largest room that still takes a course. A course larger than every room
// is first spread over rooms by 学号 ranges.
Packing packCourses(const std::vector<Course>& courses, std::vector<FreeRoom> rooms)
{
    std::stable_sort(rooms.begin(), rooms.end(), [](const FreeRoom& a, const FreeRoom& b) { return a.free > b.free; });
    std::vector<size_t> order;
    for (size_t c = 0; c < courses.size(); ++c)
        if (courses[c].candidates() > 0)
            order.push_back(c);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return courses[a].candidates() > courses[b].candidates(); });

    Packing packing;
    const int largest = rooms.empty() ? 0 : rooms.front().free;
    std::vector<size_t> whole;
    for (size_t c : order) {
        const int size = courses[c].candidates();
        if (size > largest && !packInRanges(c, size, rooms, packing))
            packing.unseated.push_back({c, 0, size});
        else if (size <= largest)
            whole.push_back(c);
    }
    const int left = rooms.empty() ? 0 : rooms.front().free;
    std::vector<size_t> seatable;
    std::vector<int> sizes;
    for (size_t c : whole) {
        if (courses[c].candidates() > left) {
            packing.unseated.push_back({c, 0, courses[c].candidates()});
        } else {
            seatable.push_back(c);
            sizes.push_back(courses[c].candidates());
        }
    }
    if (seatable.empty())
        return packing;

    const int total = std::accumulate(sizes.begin(), sizes.end(), 0);
    RoomSetSearch search(sizes, rooms, total);
    std::vector<int> where;
    std::vector<size_t> chosen;
    for (size_t k = 1; k <= std::min(sizes.size(), rooms.size()); ++k) {
        if (search.run(k, where, chosen)) {
            for (size_t i = 0; i < seatable.size(); ++i)
                packing.groupIn(rooms[chosen[size_t(where[i])]].index).push_back({seatable[i], 0, sizes[i]});
            return packing;
        }
        if (search.budget < 0)
            break;
    }

    std::vector<int> free;
    std::vector<size_t> opened; // into rooms
    for (size_t i = 0; i < seatable.size(); ++i) {
        const int size = sizes[i];
        size_t bin = free.size();
        for (size_t b = 0; b < free.size(); ++b) {
            if (free[b] >= size && (bin == free.size() || free[b] < free[bin]))
                bin = b;
        }
        if (bin == free.size()) {
            size_t open = 0;
            while (open < rooms.size()
                   && (rooms[open].free < size || std::find(opened.begin(), opened.end(), open) != opened.end()))
                ++open;
            if (open == rooms.size()) {
                packing.unseated.push_back({seatable[i], 0, size});
                continue;
            }
            free.push_back(rooms[open].free);
            opened.push_back(open);
        }
        free[bin] -= size;
        packing.groupIn(rooms[opened[bin]].index).push_back({seatable[i], 0, size});
    }
    return packing;
}

int groupSize(const std::vector<Piece>& group)
{
    int size = 0;
    for (const Piece& piece : group)
        size += piece.size();
    return size;
}

// Course names of the pieces, a range of 学号 after the name of a course
// seated in several rooms.
QString pieceNames(const std::vector<Course>& courses, const std::vector<Piece>& group)
{
    QStringList names;
    for (const Piece& piece : group) {
        const Course& course = courses[piece.course];
        QString name = course.name;
        if (piece.size() < course.candidates())
            name += QStringLiteral(" 学号 %1—%2").arg(course.students[piece.from], course.students[piece.to - 1]);
        names.append(name);
    }
    return names.join(QStringLiteral("、"));
}

QStringList pieceCourses(const std::vector<Course>& courses, const std::vector<Piece>& group)
{
    QStringList numbers;
    for (const Piece& piece : group)
        if (!numbers.contains(courses[piece.course].number))
            numbers.append(courses[piece.course].number);
    return numbers;
}

// The roster rows of the pieces' students: every row of theirs on the paper.
QList<qint64> pieceRows(const Paper& paper, const std::vector<Piece>& group)
{
    QList<qint64> rows;
    for (const Piece& piece : group)
        for (int s = piece.from; s < piece.to; ++s)
            rows += paper.rowsOf.value(paper.courses[piece.course].students[s]);
    return rows;
}

// Plans the papers of the chosen periods with what every period holds:
// a room's seats are shared by all periods whose times overlap.
class TermPlan {
public:
    TermPlan(std::vector<Period>& periods, const QStringList& times, const std::vector<Room>& rooms,
             PaperNumbers& numbers, RoomAssignmentRun& run)
        : periods(periods), atOnce(periodsAtOnce(times)), rooms(rooms), numbers(numbers), run(run), load(periods.size())
    {
    }

    void plan()
    {
        int seats = 0;
        for (const Room& room : rooms)
            seats += room.capacity;
        for (size_t p = 0; p < periods.size(); ++p)
            for (const Paper& paper : periods[p].papers)
                if (paper.placed) {
                    load[p][paper.room] += paper.candidates;
                    if (periods[p].planned)
                        ++run.kept;
                }
        for (size_t p = 0; p < periods.size(); ++p) {
            if (!periods[p].planned)
                continue;
            int candidates = 0;
            for (int q : atOnce[p])
                for (const Paper& paper : periods[size_t(q)].papers)
                    candidates += paper.candidates;
            if (candidates > seats)
                run.crowded.append({periods[p].cc.trimmed(), candidates, seats});
            std::vector<Paper*> waiting;
            for (Paper& paper : periods[p].papers)
                if (!paper.placed)
                    waiting.push_back(&paper);
            std::stable_sort(waiting.begin(), waiting.end(),
                             [](const Paper* a, const Paper* b) { return a->candidates > b->candidates; });
            for (Paper* paper : waiting)
                seat(p, *paper);
        }
        countRoomsInUse();
    }

private:
    // What the room holds at the period's time.
    int heldAt(size_t p, int room) const
    {
        int held = 0;
        for (int q : atOnce[p])
            held += load[size_t(q)].value(room);
        return held;
    }

    // Seats free for the period: none of the periods sharing its time may
    // go over.
    int freeSeats(size_t p, const Room& room) const
    {
        int free = room.capacity;
        for (int q : atOnce[p])
            free = std::min(free, room.capacity - heldAt(size_t(q), room.id));
        return free;
    }

    // Rooms in use and their free seats, a room once per time.
    void countRoomsInUse()
    {
        for (size_t p = 0; p < periods.size(); ++p) {
            if (!periods[p].planned)
                continue;
            for (const Room& room : rooms) {
                const bool counted = std::any_of(atOnce[p].begin(), atOnce[p].end(), [&](int q) {
                    return size_t(q) < p && periods[size_t(q)].planned && load[size_t(q)].value(room.id) > 0;
                });
                if (load[p].value(room.id) > 0 && !counted) {
                    ++run.roomsInUse;
                    run.emptySeats += std::max(0, room.capacity - heldAt(p, room.id));
                }
            }
        }
    }

    void seat(size_t p, const Paper& paper)
    {
        const QString& cc = periods[p].cc;
        std::vector<FreeRoom> free;
        int mostFree = 0;
        for (size_t r = 0; r < rooms.size(); ++r) {
            const int seats = freeSeats(p, rooms[r]);
            mostFree = std::max(mostFree, seats);
            if (seats > 0)
                free.push_back({r, seats});
        }
        const Packing packing = packCourses(paper.courses, free);
        // A part split off a paper without a period would be seated nowhere.
        const bool splits = packing.groups.size() > 1 || !packing.unseated.empty();
        if (packing.groups.empty() || (splits && cc.trimmed().isEmpty())) {
            QStringList names;
            for (const Course& course : paper.courses)
                names.append(course.name);
            run.roomless.append({cc, paper.number.trimmed(), names.join(QStringLiteral("、")), paper.candidates, mostFree});
            run.unseated += paper.candidates;
            return;
        }
        // The paper keeps its largest part.
        size_t kept = 0;
        for (size_t g = 1; g < packing.groups.size(); ++g) {
            if (groupSize(packing.groups[g]) > groupSize(packing.groups[kept]))
                kept = g;
        }
        SplitPaper listing{cc.trimmed(), paper.number.trimmed(), {}};
        for (size_t g = 0; g < packing.groups.size(); ++g) {
            const Room& room = rooms[packing.rooms[g]];
            const std::vector<Piece>& group = packing.groups[g];
            load[p][room.id] += groupSize(group);
            QString number = paper.number.trimmed();
            if (g == kept) {
                run.rooms.append({paper.number, room.id});
            } else {
                number = numbers.next();
                run.splits.append({cc, paper.number, number, pieceCourses(paper.courses, group), pieceRows(paper, group), room.id});
            }
            const SplitPart part{number, pieceNames(paper.courses, group), groupSize(group), room.name};
            if (g == kept)
                listing.parts.prepend(part);
            else
                listing.parts.append(part);
        }
        ++run.assigned;
        if (packing.groups.size() > 1) {
            ++run.splitPapers;
            run.splitRooms += int(packing.groups.size());
        }
        if (!packing.unseated.empty()) {
            const QString number = numbers.next();
            const std::vector<Piece> rest(packing.unseated.begin(), packing.unseated.end());
            run.splits.append({cc, paper.number, number, pieceCourses(paper.courses, rest), pieceRows(paper, rest), 0});
            const int size = groupSize(rest);
            run.roomless.append({cc, number, pieceNames(paper.courses, rest), size, mostFree});
            run.unseated += size;
            listing.parts.append({number, pieceNames(paper.courses, rest), size, {}});
        }
        if (listing.parts.size() > 1)
            run.splitList.append(listing);
    }

    std::vector<Period>& periods;
    const std::vector<std::vector<int>> atOnce;
    const std::vector<Room>& rooms;
    PaperNumbers& numbers;
    RoomAssignmentRun& run;
    std::vector<QHash<int, int>> load; // per period, candidates per room
};

// Each period's time: that of its first t_cc row, none when t_cc lacks it.
QStringList periodTimes(QuerySlot& q, const std::vector<Period>& periods)
{
    openOn(q, "select cc,kssj from t_cc order by rowid");
    QHash<QString, QString> timeOf;
    for (int r = 0; r < q.RecordCount(); ++r)
        if (!timeOf.contains(q.value(r, 0).toString().toLower()))
            timeOf.insert(q.value(r, 0).toString().toLower(), q.value(r, 1).toString());
    QStringList times;
    for (const Period& period : periods)
        times.append(timeOf.value(period.cc.toLower()));
    return times;
}

} // namespace

int usableSeats(DataModule& dm)
{
    int seats = 0;
    for (const Room& room : usableRooms(dm.ADOQuery5))
        seats += room.capacity;
    dm.ADOQuery5.Close();
    return seats;
}

RoomAssignmentRun planRooms(DataModule& dm, const std::optional<QString>& period)
{
    RoomAssignmentRun run;
    run.basis = tableStamp(dm.ADOConnection1, {"t_bjgmd", "t_kscs", "t_cc", "t_js"});
    const std::vector<Room> rooms = usableRooms(dm.ADOQuery5);
    run.usableRooms = int(rooms.size());
    std::vector<Period> periods = readPeriods(dm.ADOQuery22);
    for (Period& p : periods)
        p.planned = !period || p.cc.compare(*period, Qt::CaseInsensitive) == 0;
    const QStringList times = periodTimes(dm.ADOQuery22, periods);
    PaperNumbers numbers(dm.ADOQuery22);
    TermPlan(periods, times, rooms, numbers, run).plan();
    dm.ADOQuery22.Close();
    return run;
}

QString applyRoomPlan(DataModule& dm, const RoomAssignmentRun& plan)
{
    QString fault;
    inTransaction(dm.ADOConnection1, [&] {
        if (tableStamp(dm.ADOConnection1, {"t_bjgmd", "t_kscs", "t_cc", "t_js"}) != plan.basis) {
            fault = planOutdated();
            return false;
        }
        for (const PlannedSplit& split : plan.splits) {
            for (const qint64 row : split.rows)
                executeOn(dm.ADOQuery28, SqlText("update t_bjgmd set sjxh='") + split.number + "' where rid='"
                                             + QString::number(row) + "'");
            executeOn(dm.ADOQuery30, SqlText("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('") + split.period.trimmed() + "','"
                                         + split.number + "','" + split.source.trimmed() + "',0  )    ");
            if (split.room != 0)
                setPaperRoom(dm, QString::number(split.room), split.number);
        }
        for (const PlannedRoom& room : plan.rooms)
            setPaperRoom(dm, QString::number(room.room), room.paper);
        return true;
    });
    return fault;
}

RoomAssignmentRun assignRooms(DataModule& dm, const std::optional<QString>& period)
{
    const RoomAssignmentRun run = planRooms(dm, period);
    applyRoomPlan(dm, run);
    return run;
}

void setPaperRoom(DataModule& dm, const QString& roomId, const QString& paper)
{
    executeOn(dm.ADOQuery8, SqlText("update t_kscs  set t_kscs.jsid='") + roomId + "' where t_kscs.sjxh='" + paper + "'  ");
}

void changePaperRoom(DataModule& dm, const QString& roomId, const QString& paper)
{
    inTransaction(dm.ADOConnection1, [&] {
        setPaperRoom(dm, roomId, paper);
        dropBrokenDuties(dm);
        return true;
    });
}

namespace {

// Each split paper with its parts under it.
QString splitListText(const QList<SplitPaper>& papers)
{
    constexpr int shown = 10;
    QString text;
    for (qsizetype i = 0; i < std::min<qsizetype>(shown, papers.size()); ++i) {
        const SplitPaper& paper = papers[i];
        text += QStringLiteral("\n第%1场 试卷序号 %2 分为 %3 份：").arg(paper.period, paper.paper).arg(paper.parts.size());
        for (const SplitPart& part : paper.parts)
            text += QStringLiteral("\n    %1（%2）%3 人，%4")
                        .arg(part.number, part.courses)
                        .arg(part.candidates)
                        .arg(part.room.isEmpty() ? QStringLiteral("没有教室") : part.room);
    }
    if (papers.size() > shown)
        text += QStringLiteral("\n……另有 %1 份试卷拆分。").arg(papers.size() - shown);
    return text;
}

} // namespace

QString roomAssignmentReport(const RoomAssignmentRun& run)
{
    QString text = QStringLiteral("自动分配教室：%1 份试卷分配了教室").arg(run.assigned);
    if (run.kept > 0)
        text += QStringLiteral("，已有教室的 %1 份试卷保持不变").arg(run.kept);
    text += QStringLiteral("。");
    if (run.splitPapers > 0)
        text += QStringLiteral("\n%1 份试卷按课程拆分到 %2 个教室。").arg(run.splitPapers).arg(run.splitRooms);
    text += splitListText(run.splitList);
    text += QStringLiteral("\n使用教室 %1 间（按场次计），空余座位 %2 个，没有座位的考生 %3 人。")
                .arg(run.roomsInUse)
                .arg(run.emptySeats)
                .arg(run.unseated);
    if (run.usableRooms == 0) {
        return text + QStringLiteral("\n没有可用的教室（有名称且容纳人数大于 0），%1 份试卷没有分配教室。"
                                     "请先在“教室管理”中增加教室。")
                          .arg(run.roomless.size());
    }
    if (!run.crowded.isEmpty()) {
        text += QStringLiteral("\n以下场次的考生多于所有教室的座位，拆分也无法安排，请调整场次或增加教室：");
        for (const CrowdedPeriod& p : run.crowded)
            text += QStringLiteral("\n第%1场 考生 %2 人，教室座位共 %3 座").arg(p.period).arg(p.candidates).arg(p.seats);
    }
    if (run.roomless.isEmpty())
        return text;
    // A box taller than the screen would hide its own buttons; the rest
    // are the rows without a room in the course lists.
    constexpr int shown = 30;
    text += QStringLiteral("\n以下 %1 份试卷的人数超过了任何教室的空余座位，没有分配教室，"
                           "请增加教室或手工指定教室：")
                .arg(run.roomless.size());
    for (qsizetype i = 0; i < std::min<qsizetype>(shown, run.roomless.size()); ++i) {
        const RoomlessPaper& p = run.roomless[i];
        text += QStringLiteral("\n第%1场 试卷序号 %2（%3）%4 人，空余座位最多的教室只有 %5 座")
                    .arg(p.period.trimmed(), p.paper, p.courses)
                    .arg(p.candidates)
                    .arg(p.mostFreeSeats);
    }
    if (run.roomless.size() > shown) {
        text += QStringLiteral("\n……另有 %1 份，见课程列表中“指定教室”为空的行。").arg(run.roomless.size() - shown);
    }
    return text;
}

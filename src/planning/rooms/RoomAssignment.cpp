#include "rooms/RoomAssignment.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "Transaction.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>
#include <limits>
#include <numeric>
#include <vector>

namespace {

struct Room {
    int id = 0;
    int capacity = 0;
};

struct Course {
    QString number; // kcxh as stored
    QString name;
    int candidates = 0;
};

struct Paper {
    QString number; // as stored, so that the assignment finds its placement
    std::vector<Course> courses;
    int candidates = 0;
    int room = 0;   // the room it is counted in, 0 when it counts nowhere
    bool placed = false;
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
        if (!q.FieldByName(QStringLiteral("jsm")).AsString().trimmed().isEmpty() && capacity > 0)
            rooms.push_back({q.FieldByName(QStringLiteral("jsid")).AsVariant().toInt(), capacity});
    }
    return rooms;
}

// The placed papers of the period (or of all periods) with their courses,
// each paper's room counted under the first room of its name.
std::map<QString, std::vector<Paper>> readPeriods(QuerySlot& q, const std::optional<QString>& period)
{
    SqlText statement("select cc,sjxh,kcxh,kcmc,Num1,(select min(t_js.jsid) from t_js where t_js.jsm=ksap.jsm) as room,"
                      "ksap.jsid in (select t_js.jsid from t_js) as placed from ksap");
    if (period)
        statement = statement + " where cc='" + *period + "'";
    openOn(q, statement + " order by cc,sjxh,kcxh");

    std::map<QString, std::vector<Paper>> periods;
    std::map<std::pair<QString, QString>, size_t> index;
    for (q.First(); !q.Eof(); q.Next()) {
        const QString cc = q.FieldByName(QStringLiteral("cc")).AsString();
        const QString number = q.FieldByName(QStringLiteral("sjxh")).AsString();
        std::vector<Paper>& papers = periods[cc];
        const auto [at, added] = index.try_emplace({cc, number}, papers.size());
        if (added) {
            papers.push_back({number, {}, 0, q.FieldByName(QStringLiteral("room")).AsVariant().toInt(),
                q.FieldByName(QStringLiteral("placed")).AsVariant().toInt() != 0});
        }
        Paper& paper = papers[at->second];
        const int candidates = q.FieldByName(QStringLiteral("Num1")).AsVariant().toInt();
        paper.courses.push_back({q.FieldByName(QStringLiteral("kcxh")).AsString(),
            q.FieldByName(QStringLiteral("kcmc")).AsString().trimmed(), candidates});
        paper.candidates += candidates;
    }
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

// The groups of a paper's courses and the room each goes into.
struct Packing {
    std::vector<std::vector<size_t>> groups; // course indexes
    std::vector<size_t> rooms;               // index into the free rooms, per group
    std::vector<size_t> unseated;            // course indexes
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

// Courses by size, into the fewest rooms with the fewest seats over that the
// search finds; when it finds none, first fit decreasing, opening the
// largest room that still takes a course.
Packing packCourses(const std::vector<Course>& courses, std::vector<FreeRoom> rooms)
{
    std::stable_sort(rooms.begin(), rooms.end(), [](const FreeRoom& a, const FreeRoom& b) { return a.free > b.free; });
    std::vector<size_t> order(courses.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return courses[a].candidates > courses[b].candidates; });

    Packing packing;
    const int largest = rooms.empty() ? 0 : rooms.front().free;
    std::vector<size_t> seatable;
    std::vector<int> sizes;
    for (size_t c : order) {
        if (courses[c].candidates > largest) {
            packing.unseated.push_back(c);
        } else {
            seatable.push_back(c);
            sizes.push_back(courses[c].candidates);
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
            packing.groups.assign(k, {});
            packing.rooms.clear();
            for (size_t r : chosen)
                packing.rooms.push_back(rooms[r].index);
            for (size_t i = 0; i < seatable.size(); ++i)
                packing.groups[size_t(where[i])].push_back(seatable[i]);
            return packing;
        }
        if (search.budget < 0)
            break;
    }

    std::vector<int> left;
    for (size_t i = 0; i < seatable.size(); ++i) {
        const int size = sizes[i];
        size_t bin = left.size();
        for (size_t b = 0; b < left.size(); ++b) {
            if (left[b] >= size && (bin == left.size() || left[b] < left[bin]))
                bin = b;
        }
        if (bin == left.size()) {
            const auto open = std::find_if(rooms.begin(), rooms.end(), [&](const FreeRoom& r) {
                return r.free >= size && std::find(packing.rooms.begin(), packing.rooms.end(), r.index) == packing.rooms.end();
            });
            if (open == rooms.end()) {
                packing.unseated.push_back(seatable[i]);
                continue;
            }
            left.push_back(open->free);
            packing.rooms.push_back(open->index);
            packing.groups.emplace_back();
        }
        left[bin] -= size;
        packing.groups[bin].push_back(seatable[i]);
    }
    return packing;
}

int groupSize(const std::vector<Course>& courses, const std::vector<size_t>& group)
{
    int size = 0;
    for (size_t c : group)
        size += courses[c].candidates;
    return size;
}

QString courseNames(const std::vector<Course>& courses, const std::vector<size_t>& group)
{
    QStringList names;
    for (size_t c : group)
        names.append(courses[c].name);
    return names.join(QStringLiteral("、"));
}

class PeriodPlan {
public:
    PeriodPlan(const QString& cc, const std::vector<Room>& rooms, PaperNumbers& numbers, RoomAssignmentRun& run)
        : cc(cc), rooms(rooms), numbers(numbers), run(run)
    {
    }

    void plan(std::vector<Paper>& papers)
    {
        std::vector<Paper*> waiting;
        int candidates = 0;
        for (Paper& paper : papers) {
            candidates += paper.candidates;
            if (paper.placed) {
                taken[paper.room] += paper.candidates;
                ++run.kept;
            } else {
                waiting.push_back(&paper);
            }
        }
        int seats = 0;
        for (const Room& room : rooms)
            seats += room.capacity;
        if (candidates > seats)
            run.crowded.append({cc.trimmed(), candidates, seats});

        std::stable_sort(waiting.begin(), waiting.end(),
                         [](const Paper* a, const Paper* b) { return a->candidates > b->candidates; });
        for (Paper* paper : waiting)
            seat(*paper);

        for (const Room& room : rooms) {
            const int load = taken.value(room.id);
            if (load > 0) {
                ++run.roomsInUse;
                run.emptySeats += std::max(0, room.capacity - load);
            }
        }
    }

private:
    void seat(const Paper& paper)
    {
        std::vector<FreeRoom> free;
        int mostFree = 0;
        for (size_t r = 0; r < rooms.size(); ++r) {
            const int seats = rooms[r].capacity - taken.value(rooms[r].id);
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
            if (groupSize(paper.courses, packing.groups[g]) > groupSize(paper.courses, packing.groups[kept]))
                kept = g;
        }
        for (size_t g = 0; g < packing.groups.size(); ++g) {
            const Room& room = rooms[packing.rooms[g]];
            taken[room.id] += groupSize(paper.courses, packing.groups[g]);
            if (g == kept)
                run.rooms.append({paper.number, room.id});
            else
                run.splits.append({cc, paper.number, numbers.next(), courseNumbers(paper, packing.groups[g]), room.id});
        }
        ++run.assigned;
        if (packing.groups.size() > 1) {
            ++run.splitPapers;
            run.splitRooms += int(packing.groups.size());
        }
        if (!packing.unseated.empty()) {
            const QString number = numbers.next();
            run.splits.append({cc, paper.number, number, courseNumbers(paper, packing.unseated), 0});
            const int size = groupSize(paper.courses, packing.unseated);
            run.roomless.append({cc, number, courseNames(paper.courses, packing.unseated), size, mostFree});
            run.unseated += size;
        }
    }

    static QStringList courseNumbers(const Paper& paper, const std::vector<size_t>& group)
    {
        QStringList numbers;
        for (size_t c : group)
            numbers.append(paper.courses[c].number);
        return numbers;
    }

    const QString& cc;
    const std::vector<Room>& rooms;
    PaperNumbers& numbers;
    RoomAssignmentRun& run;
    QHash<int, int> taken;
};

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
    const std::vector<Room> rooms = usableRooms(dm.ADOQuery5);
    run.usableRooms = int(rooms.size());
    std::map<QString, std::vector<Paper>> periods = readPeriods(dm.ADOQuery22, period);
    PaperNumbers numbers(dm.ADOQuery22);
    for (auto& [cc, papers] : periods)
        PeriodPlan(cc, rooms, numbers, run).plan(papers);
    return run;
}

void applyRoomPlan(DataModule& dm, const RoomAssignmentRun& plan)
{
    inTransaction(dm.ADOConnection1, [&] {
        for (const PlannedSplit& split : plan.splits) {
            for (const QString& course : split.courses) {
                executeOn(dm.ADOQuery28, SqlText("update t_bjgmd set sjxh='") + split.number + "'  where kcxh='" + course
                                             + "' and sjxh='" + split.source + "'   ");
            }
            executeOn(dm.ADOQuery30, SqlText("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('") + split.period.trimmed() + "','"
                                         + split.number + "','" + split.source.trimmed() + "',0  )    ");
            if (split.room != 0)
                setPaperRoom(dm, QString::number(split.room), split.number);
        }
        for (const PlannedRoom& room : plan.rooms)
            setPaperRoom(dm, QString::number(room.room), room.paper);
        return true;
    });
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

QString roomAssignmentReport(const RoomAssignmentRun& run)
{
    QString text = QStringLiteral("自动分配教室：%1 份试卷分配了教室").arg(run.assigned);
    if (run.kept > 0)
        text += QStringLiteral("，已有教室的 %1 份试卷保持不变").arg(run.kept);
    text += QStringLiteral("。");
    if (run.splitPapers > 0)
        text += QStringLiteral("\n%1 份试卷按课程拆分到 %2 个教室。").arg(run.splitPapers).arg(run.splitRooms);
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

#include "RoomAssignment.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "Transaction.h"

#include <QHash>
#include <algorithm>
#include <map>
#include <vector>

namespace {

struct Room {
    int id = 0;
    int capacity = 0;
};

struct Paper {
    QString number; // as stored, so that the assignment finds its placement
    QStringList courses;
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
    SqlText statement("select cc,sjxh,kcmc,Num1,(select min(t_js.jsid) from t_js where t_js.jsm=ksap.jsm) as room,"
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
        paper.courses.append(q.FieldByName(QStringLiteral("kcmc")).AsString().trimmed());
        paper.candidates += q.FieldByName(QStringLiteral("Num1")).AsVariant().toInt();
    }
    return periods;
}

void assignPeriod(DataModule& dm, const QString& cc, std::vector<Paper>& papers, const std::vector<Room>& rooms,
                  RoomAssignmentRun& run)
{
    QHash<int, int> taken;
    std::vector<Paper*> waiting;
    for (Paper& paper : papers) {
        if (paper.placed) {
            taken[paper.room] += paper.candidates;
            ++run.kept;
        } else {
            waiting.push_back(&paper);
        }
    }
    std::stable_sort(waiting.begin(), waiting.end(),
                     [](const Paper* a, const Paper* b) { return a->candidates > b->candidates; });

    for (Paper* paper : waiting) {
        const Room* best = nullptr;
        int bestLeft = 0;
        int mostFree = 0;
        for (const Room& room : rooms) {
            const int free = room.capacity - taken.value(room.id);
            mostFree = std::max(mostFree, free);
            if (free >= paper->candidates && (!best || free - paper->candidates < bestLeft)) {
                best = &room;
                bestLeft = free - paper->candidates;
            }
        }
        if (!best) {
            run.roomless.append({cc, paper->number.trimmed(), paper->courses.join(QStringLiteral("、")),
                paper->candidates, mostFree});
            continue;
        }
        taken[best->id] += paper->candidates;
        setPaperRoom(dm, QString::number(best->id), paper->number);
        ++run.assigned;
    }
}

} // namespace

RoomAssignmentRun assignRooms(DataModule& dm, const std::optional<QString>& period)
{
    RoomAssignmentRun run;
    inTransaction(dm.ADOConnection1, [&] {
        const std::vector<Room> rooms = usableRooms(dm.ADOQuery5);
        run.usableRooms = int(rooms.size());
        std::map<QString, std::vector<Paper>> periods = readPeriods(dm.ADOQuery22, period);
        for (auto& [cc, papers] : periods)
            assignPeriod(dm, cc, papers, rooms, run);
        return true;
    });
    return run;
}

void setPaperRoom(DataModule& dm, const QString& roomId, const QString& paper)
{
    executeOn(dm.ADOQuery8, SqlText("update t_kscs  set t_kscs.jsid='") + roomId + "' where t_kscs.sjxh='" + paper + "'  ");
}

QString roomAssignmentReport(const RoomAssignmentRun& run)
{
    QString text = QStringLiteral("自动分配教室完成：%1 份试卷分配了教室").arg(run.assigned);
    if (run.kept > 0)
        text += QStringLiteral("，已有教室的 %1 份试卷保持不变").arg(run.kept);
    text += QStringLiteral("。");
    if (run.roomless.isEmpty())
        return text;
    if (run.usableRooms == 0) {
        return text + QStringLiteral("\n没有可用的教室（有名称且容纳人数大于 0），%1 份试卷没有分配教室。"
                                     "请先在“教室管理”中增加教室。")
                          .arg(run.roomless.size());
    }
    // A box taller than the screen would hide its own OK button; the rest
    // are the rows without a room in the course lists.
    constexpr int shown = 30;
    text += QStringLiteral("\n以下 %1 份试卷的人数超过了任何教室的空余座位，没有分配教室，"
                           "请拆分考场或手工指定教室：")
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

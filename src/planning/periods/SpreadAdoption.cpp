#include "periods/SpreadAdoption.h"

#include "DataModule.h"
#include "people/Invigilation.h"
#include "periods/PeriodChange.h"
#include "SlotSteps.h"
#include "TableStamp.h"
#include "Transaction.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <tuple>

namespace {

// Per old period the slot it continues in, or -1: old periods and slots
// paired by the candidates they share, the largest share first.
std::vector<int> continuations(const TermTimetable& term, const Colouring& spread, int slotCount)
{
    std::vector<long long> candidates(term.placed.papers.size(), 0);
    for (const std::vector<int>& papers : term.enrolments.students)
        for (int v : papers)
            ++candidates[v];
    std::vector<long long> shared(std::size_t(term.placed.periods) * slotCount, 0);
    for (std::size_t v = 0; v < spread.size(); ++v)
        shared[std::size_t(term.placed.current[v]) * slotCount + spread[v]] += candidates[v] + 1;
    std::vector<std::tuple<long long, int, int>> pairs;
    for (int old = 0; old < term.placed.periods; ++old)
        for (int slot = 0; slot < slotCount; ++slot)
            if (shared[std::size_t(old) * slotCount + slot] > 0)
                pairs.emplace_back(-shared[std::size_t(old) * slotCount + slot], old, slot);
    std::sort(pairs.begin(), pairs.end());
    std::vector<int> continuation(term.placed.periods, -1);
    std::vector<char> taken(slotCount, 0);
    for (const auto& [weight, old, slot] : pairs)
        if (continuation[old] < 0 && !taken[slot]) {
            continuation[old] = slot;
            taken[slot] = 1;
        }
    return continuation;
}

} // namespace

SpreadAdoption adoptSpread(DataModule& dm, const TermTimetable& term, const Colouring& spread,
                           const QStringList& slotTimes)
{
    SpreadAdoption result;
    const int slotCount = int(slotTimes.size());
    if (spread.size() != std::size_t(term.placed.papers.size())
        || std::any_of(spread.begin(), spread.end(), [&](int s) { return s < 0 || s >= slotCount; })) {
        result.fault = QStringLiteral("新的时间安排与当前的试卷不符，场次未作改动。");
        return result;
    }

    // Slots that hold papers become periods 1..K in time order.
    std::vector<int> number(slotCount, 0);
    int count = 0;
    for (int slot = 0; slot < slotCount; ++slot)
        if (std::find(spread.begin(), spread.end(), slot) != spread.end())
            number[slot] = ++count;
    const std::vector<int> continuation = continuations(term, spread, slotCount);

    inTransaction(dm.ADOConnection1, [&] {
        if (spreadStamp(dm) != term.basis) {
            result.fault = planOutdated();
            return false;
        }
        writeUnavailableAsTimes(dm);
        openOn(dm.ADOQuery13, "select distinct sjxh from t_kscs where jsid<>0");
        QSet<QString> withRoom;
        for (int r = 0; r < dm.ADOQuery13.RecordCount(); ++r)
            withRoom.insert(dm.ADOQuery13.value(r, 0).toString().toLower());

        for (std::size_t v = 0; v < spread.size(); ++v) {
            const bool stays = continuation[term.placed.current[v]] == spread[v];
            for (const QString& paper : term.placed.papers[int(v)]) {
                movePaperToPeriod(dm, paper, QString::number(number[spread[v]]));
                if (!stays && withRoom.contains(paper.toLower())) {
                    executeOn(dm.ADOQuery8, SqlText("update t_kscs  set t_kscs.jsid='0' where t_kscs.sjxh='") + paper + "'  ");
                    result.roomsCleared.append(paper);
                }
            }
        }

        // Duties follow their period into rooms that still hold candidates
        // there; the old numbers are marked first so that a renumbered period
        // is never taken for another.
        for (int old = 0; old < term.placed.periods; ++old)
            if (continuation[old] >= 0)
                executeOn(dm.ADOQuery8, SqlText("update t_jkap set cc='#") + QString::number(number[continuation[old]])
                                            + "' where cc='" + term.placed.periodNumbers[old] + "'");
        executeOn(dm.ADOQuery8, "update t_jkap set cc=substr(cc,2) where cc like '#%' and exists (select 1 from t_kscs"
                                " where t_kscs.cc=substr(t_jkap.cc,2) and t_kscs.jsid=t_jkap.jsid)");
        // What is left belongs to no period, or to a room that holds nobody now.
        openOn(dm.ADOQuery13, "select count(*) from t_jkap where cc like '#%' or not exists (select 1 from t_kscs"
                              " where t_kscs.cc=t_jkap.cc and t_kscs.jsid=t_jkap.jsid)");
        result.dutiesDropped = dm.ADOQuery13.value(0, 0).toInt();
        executeOn(dm.ADOQuery8, "delete from t_jkap where cc like '#%' or not exists (select 1 from t_kscs"
                                " where t_kscs.cc=t_jkap.cc and t_kscs.jsid=t_jkap.jsid)");

        executeOn(dm.ADOQuery17, " delete * from t_cc          ");
        for (int slot = 0; slot < slotCount; ++slot)
            if (number[slot] > 0)
                executeOn(dm.ADOQuery20, SqlText("insert into t_cc(cc,kssj) values('") + QString::number(number[slot])
                                             + "','" + slotTimes[slot].trimmed() + "')");
        // At their new times some invigilators cannot come, or would be in two rooms at once.
        result.dutiesDropped += dropBrokenDuties(dm);

        openOn(dm.ADOQuery13, "select distinct cc from t_kscs");
        for (int r = 0; r < dm.ADOQuery13.RecordCount(); ++r) {
            const QString period = dm.ADOQuery13.value(r, 0).toString();
            const int p = period.toInt();
            if (period != QString::number(p) || p < 1 || p > count) {
                result.fault = QStringLiteral("有试卷未能移入新的场次，场次未作改动。");
                return false;
            }
        }
        for (int p = 1; p <= count; ++p) {
            const QString student = studentInTwoPapers(dm, QString::number(p));
            if (!student.isEmpty()) {
                result.fault = QStringLiteral("第 %1 场中学号 %2 的学生有两份试卷，场次未作改动。").arg(p).arg(student);
                return false;
            }
        }
        return true;
    });
    dm.ADOQuery13.Close();
    if (!result.fault.isEmpty()) {
        result.roomsCleared.clear();
        result.dutiesDropped = 0;
    }
    return result;
}

SpreadLoss spreadLoss(DataModule& dm, const TermTimetable& term, const Colouring& spread, int slotCount)
{
    SpreadLoss loss;
    const std::vector<int> continuation = continuations(term, spread, slotCount);
    // Per paper the rooms it has now, by the paper's number as compared above.
    QHash<QString, QStringList> roomsOf;
    openOn(dm.ADOQuery13, "select sjxh, jsid from t_kscs where jsid<>0");
    for (int r = 0; r < dm.ADOQuery13.RecordCount(); ++r)
        roomsOf[dm.ADOQuery13.value(r, 0).toString().toLower()].append(dm.ADOQuery13.value(r, 1).toString());
    // Duties stay only with a period that continues, in a room one of its
    // staying papers keeps: by old period and room.
    QSet<QString> keptRooms;
    for (std::size_t v = 0; v < spread.size(); ++v) {
        const bool stays = continuation[term.placed.current[v]] == spread[v];
        for (const QString& paper : term.placed.papers[int(v)]) {
            const QStringList rooms = roomsOf.value(paper.toLower());
            if (!stays) {
                loss.papersLosingRoom += rooms.isEmpty() ? 0 : 1;
                continue;
            }
            for (const QString& room : rooms)
                keptRooms.insert(term.placed.periodNumbers[term.placed.current[v]] + u'|' + room);
        }
    }
    openOn(dm.ADOQuery13, "select cc, jsid, count(*) from t_jkap group by cc, jsid");
    for (int r = 0; r < dm.ADOQuery13.RecordCount(); ++r)
        if (!keptRooms.contains(dm.ADOQuery13.value(r, 0).toString() + u'|' + dm.ADOQuery13.value(r, 1).toString()))
            loss.dutiesGoing += dm.ADOQuery13.value(r, 2).toInt();
    dm.ADOQuery13.Close();
    return loss;
}

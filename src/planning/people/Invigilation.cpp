#include "people/Invigilation.h"

#include "DataModule.h"
#include "time/ExamTime.h"
#include "SlotSteps.h"
#include "TableStamp.h"
#include "Transaction.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <map>

namespace {

struct Invigilator {
    int id = 0;
    QString name;
    int most = 0;
    std::vector<char> blocked; // per time
    int duties = 0;
    QSet<QString> days;
};

struct RoomSlot {
    int time = 0;
    QString period; // the first period of the time with this room
    int room = 0;
    QString roomName;
    int candidates = 0;
    QStringList papers;
    int needed = 0;
    std::vector<int> given; // invigilator indexes
};

struct Time {
    QString text; // what the clerk sees
    QString day;
    QStringList periods;
    std::optional<ExamTime> when; // unset while the text cannot be read
    std::vector<int> meets;       // the times sat at once with this one, itself too
};

int periodOrder(const QString& a, const QString& b)
{
    bool okA = false, okB = false;
    const int na = a.toInt(&okA), nb = b.toInt(&okB);
    if (okA && okB && na != nb)
        return na < nb ? -1 : 1;
    return QString::compare(a, b);
}

// Everything a run needs, read once.
struct Term {
    std::vector<Time> times;
    QHash<QString, int> timeOfPeriod;
    std::vector<RoomSlot> roomSlots;
    std::map<std::pair<int, int>, int> slotAt; // (time, room) -> slot
    std::vector<Invigilator> people;
    QHash<int, int> personOf;                   // id -> index
    QHash<QString, std::vector<int>> teachersOfPaper; // paper -> indexes
    std::vector<std::vector<char>> busy;        // [time][person]
    int handDuties = 0;
    QStringList unmatched; // "name：item" of cannot-take items that rule out no time

    int timeOf(const QString& period)
    {
        const auto at = timeOfPeriod.constFind(period);
        if (at != timeOfPeriod.constEnd())
            return *at;
        // A period without a row of its own is a time of its own.
        const int time = int(times.size());
        times.push_back({QStringLiteral("第%1场").arg(period), {}, {period}, {}, {time}});
        timeOfPeriod.insert(period, time);
        return time;
    }

    bool busyAt(int person, int time) const
    {
        return std::any_of(times[time].meets.begin(), times[time].meets.end(), [&](int t) { return busy[t][person] != 0; });
    }

    bool free(int person, int time) const { return !people[person].blocked[time] && !busyAt(person, time); }

    void give(int person, int time)
    {
        Invigilator& p = people[person];
        ++p.duties;
        busy[time][person] = 1;
        if (!times[time].day.isEmpty())
            p.days.insert(times[time].day);
    }
};

// One item of a cannot-take list: a period number, a day, or a sitting
// (a day with its clock time, written in two or three words).
struct UnavailableItem {
    QString text;
    QDate day;
    std::optional<ExamTime> sitting;
};

std::vector<UnavailableItem> unavailableItems(const QString& bkcc)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,，、;；]+"));
    const QStringList words = bkcc.split(separators, Qt::SkipEmptyParts);
    std::vector<UnavailableItem> items;
    for (int i = 0; i < int(words.size()); ++i) {
        UnavailableItem item{words[i], readExamDate(words[i]), {}};
        if (item.day.isValid()) {
            for (int more : {1, 2}) {
                if (i + more >= int(words.size()))
                    break;
                const QString joined = words.mid(i, more + 1).join(u' ');
                if (const ExamTimeReading read = readExamTime(joined); read.time) {
                    item = {joined, {}, read.time};
                    i += more;
                    break;
                }
            }
        }
        items.push_back(std::move(item));
    }
    return items;
}

// The times an item rules out: its period's time, every time on its day,
// every time sat at once with its sitting.
std::vector<int> timesRuledOut(const Term& term, const UnavailableItem& item)
{
    std::vector<int> out;
    if (const auto at = term.timeOfPeriod.constFind(item.text); at != term.timeOfPeriod.constEnd())
        out.push_back(*at);
    for (int t = 0; t < int(term.times.size()); ++t) {
        const std::optional<ExamTime>& when = term.times[size_t(t)].when;
        if (when && ((item.day.isValid() && when->date == item.day) || (item.sitting && when->overlaps(*item.sitting))))
            out.push_back(t);
    }
    return out;
}

// Times by exam time; periods without a time are times of their own.
void readTimes(QuerySlot& q, Term& term)
{
    openOn(q, "select cc,kssj from t_cc");
    std::vector<std::pair<QString, QString>> periods;
    for (q.First(); !q.Eof(); q.Next())
        periods.push_back({q.FieldByName(QStringLiteral("cc")).AsString().trimmed(),
                           q.FieldByName(QStringLiteral("kssj")).AsString().trimmed()});
    std::sort(periods.begin(), periods.end(), [](const auto& a, const auto& b) { return periodOrder(a.first, b.first) < 0; });
    for (const auto& [cc, kssj] : periods) {
        if (term.timeOfPeriod.contains(cc))
            continue;
        if (kssj.isEmpty()) {
            term.timeOf(cc);
            continue;
        }
        const std::optional<ExamTime> when = readExamTime(kssj).time;
        auto same = std::find_if(term.times.begin(), term.times.end(), [&](const Time& t) {
            return !t.day.isEmpty() && (when && t.when ? *when == *t.when : examTimesMeet(t.text, kssj));
        });
        if (same == term.times.end()) {
            term.times.push_back({kssj, examDayKey(kssj), {}, when, {}});
            same = term.times.end() - 1;
        }
        same->periods.append(cc);
        term.timeOfPeriod.insert(cc, int(same - term.times.begin()));
    }
    for (int a = 0; a < int(term.times.size()); ++a)
        for (int b = 0; b < int(term.times.size()); ++b)
            if (a == b || (term.times[size_t(a)].when && examTimesMeet(term.times[size_t(a)].text, term.times[size_t(b)].text)))
                term.times[size_t(a)].meets.push_back(b);
}

// The rooms in use: placements with a room that exists, one slot per time
// and room, with the candidates of all its papers.
void readRooms(QuerySlot& q, Term& term, const InvigilationTerms& terms)
{
    openOn(q, "select t_kscs.cc as cc,t_kscs.sjxh as sjxh,t_js.jsid as jsid,t_js.jsm as jsm,coalesce(t_hbkrs.Num,0) as Num"
              " from t_kscs join t_js on t_js.jsid=t_kscs.jsid left join t_hbkrs on t_hbkrs.sjxh=t_kscs.sjxh");
    struct Row {
        QString period, paper, roomName;
        int room, candidates;
    };
    std::vector<Row> rows;
    for (q.First(); !q.Eof(); q.Next())
        rows.push_back({q.FieldByName(QStringLiteral("cc")).AsString().trimmed(),
                        q.FieldByName(QStringLiteral("sjxh")).AsString().trimmed(),
                        q.FieldByName(QStringLiteral("jsm")).AsString().trimmed(),
                        q.FieldByName(QStringLiteral("jsid")).AsVariant().toInt(),
                        q.FieldByName(QStringLiteral("Num")).AsVariant().toInt()});
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        const int byPeriod = periodOrder(a.period, b.period);
        return byPeriod != 0 ? byPeriod < 0 : a.room != b.room ? a.room < b.room : a.paper < b.paper;
    });
    for (const Row& row : rows) {
        const int time = term.timeOf(row.period);
        auto [at, added] = term.slotAt.try_emplace({time, row.room}, int(term.roomSlots.size()));
        if (added)
            term.roomSlots.push_back({time, row.period, row.room, row.roomName, 0, {}, 0, {}});
        RoomSlot& slot = term.roomSlots[at->second];
        slot.candidates += row.candidates;
        slot.papers.append(row.paper);
    }
    for (RoomSlot& slot : term.roomSlots)
        slot.needed = terms.needed(slot.candidates);
    // Rooms of one time next to each other, times in order of their periods.
    std::stable_sort(term.roomSlots.begin(), term.roomSlots.end(), [](const RoomSlot& a, const RoomSlot& b) { return a.time < b.time; });
    term.slotAt.clear();
    for (int i = 0; i < int(term.roomSlots.size()); ++i)
        term.slotAt[{term.roomSlots[i].time, term.roomSlots[i].room}] = i;
}

void readPeople(QuerySlot& q, Term& term)
{
    openOn(q, "select jkid,xm,zdcs,bkcc from t_jkjs order by jkid");
    for (q.First(); !q.Eof(); q.Next()) {
        Invigilator person;
        person.id = q.FieldByName(QStringLiteral("jkid")).AsVariant().toInt();
        person.name = q.FieldByName(QStringLiteral("xm")).AsString().trimmed();
        person.most = q.FieldByName(QStringLiteral("zdcs")).AsVariant().toInt();
        person.blocked.assign(term.times.size(), 0);
        for (const UnavailableItem& item : unavailableItems(q.FieldByName(QStringLiteral("bkcc")).AsString())) {
            const std::vector<int> ruledOut = timesRuledOut(term, item);
            for (int t : ruledOut)
                person.blocked[size_t(t)] = 1;
            if (ruledOut.empty())
                term.unmatched.append(QStringLiteral("%1：%2").arg(person.name, item.text));
        }
        term.personOf.insert(person.id, int(term.people.size()));
        term.people.push_back(std::move(person));
    }
    term.busy.assign(term.times.size(), std::vector<char>(term.people.size(), 0));
}

// Each placed paper's teachers who are on the list, by name (the first of a
// name when it is listed twice); a course taught by several has them all.
void readTeachers(QuerySlot& q, Term& term)
{
    QHash<QString, int> byName;
    for (int i = int(term.people.size()) - 1; i >= 0; --i)
        byName.insert(term.people[i].name.toLower(), i);
    openOn(q, "select distinct sjxh,skjs from t_bjgmd where sjxh in (select sjxh from t_kscs where jsid<>0) order by sjxh,skjs");
    for (q.First(); !q.Eof(); q.Next()) {
        for (const QString& name : namesIn(q.FieldByName(QStringLiteral("skjs")).AsString())) {
            const auto at = byName.constFind(name.toLower());
            if (at == byName.constEnd())
                continue;
            std::vector<int>& teachers = term.teachersOfPaper[q.FieldByName(QStringLiteral("sjxh")).AsString().trimmed()];
            if (std::find(teachers.begin(), teachers.end(), *at) == teachers.end())
                teachers.push_back(*at);
        }
    }
}

// Hand duties count against their invigilator's most and keep them busy at
// that time; those that break a rule fill no place and become conflicts.
void readHandDuties(QuerySlot& q, Term& term, QList<DutyConflict>& conflicts)
{
    openOn(q, "select t_jkap.cc as cc,t_jkap.jsid as jsid,t_jkap.jkid as jkid,coalesce(t_js.jsm,'') as jsm from t_jkap"
              " left join t_js on t_js.jsid=t_jkap.jsid where t_jkap.sg=1 order by t_jkap.cc,t_jkap.jsid,t_jkap.jkid");
    QHash<QPair<int, int>, QString> roomOfPersonAt; // (time, person) -> the room of their first hand duty
    const auto roomAtOnce = [&](int time, int person) {
        for (int t : term.times[size_t(time)].meets)
            if (const auto at = roomOfPersonAt.constFind({t, person}); at != roomOfPersonAt.constEnd())
                return *at;
        return QString();
    };
    for (q.First(); !q.Eof(); q.Next()) {
        const auto person = term.personOf.constFind(q.FieldByName(QStringLiteral("jkid")).AsVariant().toInt());
        if (person == term.personOf.constEnd())
            continue;
        const int time = term.timeOf(q.FieldByName(QStringLiteral("cc")).AsString().trimmed());
        if (time >= int(term.busy.size())) {
            term.busy.resize(term.times.size(), std::vector<char>(term.people.size(), 0));
            for (Invigilator& p : term.people)
                p.blocked.resize(term.times.size(), 0);
        }
        ++term.handDuties;
        const QString roomName = q.FieldByName(QStringLiteral("jsm")).AsString().trimmed();
        const auto slot = term.slotAt.find({time, q.FieldByName(QStringLiteral("jsid")).AsVariant().toInt()});
        QString reason;
        if (term.people[*person].blocked[time])
            reason = QStringLiteral("不能参加该场次的监考");
        else if (const QString other = roomAtOnce(time, *person); !other.isEmpty())
            reason = QStringLiteral("同一时间已在 %1 监考").arg(other);
        else if (slot == term.slotAt.end())
            reason = QStringLiteral("该考场此时没有考生");
        if (!reason.isEmpty()) {
            // Still in the table: nobody else may give them another room then.
            conflicts.append({term.times[time].text, roomName, term.people[*person].name, reason});
            term.give(*person, time);
            continue;
        }
        roomOfPersonAt.insert({time, *person}, roomName);
        term.give(*person, time);
        term.roomSlots[slot->second].given.push_back(*person);
    }
}

// The invigilator the room gets next: fewest duties for their most first,
// then one who already works that day, then the earlier on the list.
int bestFree(const Term& term, int time)
{
    int best = -1;
    const QString& day = term.times[time].day;
    for (int i = 0; i < int(term.people.size()); ++i) {
        const Invigilator& p = term.people[i];
        if (p.duties >= p.most || !term.free(i, time))
            continue;
        if (best < 0) {
            best = i;
            continue;
        }
        const Invigilator& b = term.people[best];
        const qint64 mine = qint64(p.duties) * b.most, theirs = qint64(b.duties) * p.most;
        if (mine != theirs) {
            if (mine < theirs)
                best = i;
            continue;
        }
        const bool sameDay = !day.isEmpty() && p.days.contains(day), bestSameDay = !day.isEmpty() && b.days.contains(day);
        if (sameDay && !bestSameDay)
            best = i;
    }
    return best;
}

int canCome(const Term& term, int time)
{
    int count = 0;
    for (const Invigilator& p : term.people)
        count += p.blocked[time] || p.most <= 0 ? 0 : 1;
    return count;
}

QString shortReason(const Term& term, int time, int placesThen)
{
    if (term.people.empty())
        return QStringLiteral("没有监考教师");
    const int free = canCome(term, time);
    if (free < placesThen)
        return QStringLiteral("该时间需要 %1 人次监考，只有 %2 名监考教师能来").arg(placesThen).arg(free);
    return QStringLiteral("该时间能来的监考教师已达最多监考场次");
}

} // namespace

QStringList namesIn(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[,，、;；]"));
    QStringList names;
    for (const QString& part : text.split(separators, Qt::SkipEmptyParts))
        if (const QString name = part.trimmed(); !name.isEmpty())
            names.append(name);
    return names;
}

QString invigilatorNameProblem(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("姓名为空");
    if (namesIn(trimmed) != QStringList{trimmed})
        return QStringLiteral("姓名“%1”中有逗号、顿号或分号，会被当作几个人，请只写一个人的姓名").arg(trimmed);
    return {};
}

namespace {

UnavailableList storedUnavailable(const Term& term, const QString& typed)
{
    UnavailableList list;
    QStringList items;
    for (const UnavailableItem& item : unavailableItems(typed)) {
        const auto period = term.timeOfPeriod.constFind(item.text);
        const std::optional<ExamTime>& when = period == term.timeOfPeriod.constEnd() ? std::nullopt : term.times[size_t(*period)].when;
        items.append(when ? when->text() : item.text);
        if (timesRuledOut(term, item).empty())
            list.unmatched.append(item.text);
    }
    list.text = items.join(u' ');
    return list;
}

} // namespace

UnavailableList storedUnavailable(DataModule& dm, const QString& typed)
{
    Term term;
    readTimes(dm.ADOQuery22, term);
    return storedUnavailable(term, typed);
}

void writeUnavailableAsTimes(DataModule& dm)
{
    Term term;
    readTimes(dm.ADOQuery22, term);
    openOn(dm.ADOQuery22, "select jkid,bkcc from t_jkjs where bkcc<>''");
    std::vector<std::pair<QString, QString>> lists;
    for (dm.ADOQuery22.First(); !dm.ADOQuery22.Eof(); dm.ADOQuery22.Next())
        lists.push_back({dm.ADOQuery22.FieldByName(QStringLiteral("jkid")).AsString(),
                         dm.ADOQuery22.FieldByName(QStringLiteral("bkcc")).AsString()});
    dm.ADOQuery22.Close();
    for (const auto& [id, bkcc] : lists)
        if (const QString stored = storedUnavailable(term, bkcc).text; stored != bkcc)
            executeOn(dm.ADOQuery8, SqlText("update t_jkjs set bkcc='") + stored + "' where jkid='" + id + "'");
}

int InvigilationTerms::needed(int candidates) const
{
    if (perExtra <= 0 || candidates <= perExtra)
        return perRoom;
    return perRoom + (candidates - 1) / perExtra;
}

namespace {

// What a plan rests on: the candidates, their rooms and times, the people
// and the duties.
QByteArray invigilationStamp(DataModule& dm)
{
    return tableStamp(dm.ADOConnection1, {"t_bjgmd", "t_kscs", "t_cc", "t_js", "t_jkjs", "t_jkap"});
}

} // namespace

InvigilationPlan planInvigilation(DataModule& dm, const InvigilationTerms& terms)
{
    const QByteArray basis = invigilationStamp(dm);
    Term term;
    readTimes(dm.ADOQuery22, term);
    readRooms(dm.ADOQuery22, term, terms);
    readPeople(dm.ADOQuery22, term);
    readTeachers(dm.ADOQuery22, term);
    InvigilationPlan plan;
    plan.basis = basis;
    readHandDuties(dm.ADOQuery22, term, plan.conflicts);
    plan.handDuties = term.handDuties;
    plan.unmatched = term.unmatched;
    plan.rooms = int(term.roomSlots.size());
    auto place = [&](RoomSlot& slot, int person) {
        term.give(person, slot.time);
        slot.given.push_back(person);
        plan.duties.push_back({slot.period, slot.room, term.people[person].id});
    };
    // A paper's own teachers first, each once in its room, up to its minimum.
    for (RoomSlot& slot : term.roomSlots) {
        for (const QString& paper : slot.papers) {
            for (int teacher : term.teachersOfPaper.value(paper)) {
                const Invigilator& p = term.people[teacher];
                if (int(slot.given.size()) >= std::min(slot.needed, terms.perRoom) || p.duties >= p.most
                    || !term.free(teacher, slot.time))
                    continue;
                place(slot, teacher);
                ++plan.ownTeachers;
            }
        }
    }
    std::vector<int> placesAt(term.times.size(), 0);
    for (const RoomSlot& slot : term.roomSlots) {
        placesAt[slot.time] += slot.needed;
        plan.places += slot.needed;
    }
    for (int t = 0; t < int(term.times.size()); ++t)
        if (placesAt[size_t(t)] > 0)
            plan.times.push_back({term.times[size_t(t)].text, placesAt[size_t(t)], canCome(term, t)});
    // Rounds over every room, largest first: round k gives each room that
    // needs a k-th invigilator one more.
    std::vector<RoomSlot*> bySize;
    int rounds = 0;
    for (RoomSlot& slot : term.roomSlots) {
        bySize.push_back(&slot);
        rounds = std::max(rounds, slot.needed);
    }
    std::stable_sort(bySize.begin(), bySize.end(), [](const RoomSlot* a, const RoomSlot* b) { return a->candidates > b->candidates; });
    for (int round = 1; round <= rounds; ++round) {
        for (RoomSlot* slot : bySize) {
            if (slot->needed < round || int(slot->given.size()) >= round)
                continue;
            const int person = bestFree(term, slot->time);
            if (person >= 0)
                place(*slot, person);
        }
    }
    for (const RoomSlot& slot : term.roomSlots)
        if (int(slot.given.size()) < slot.needed)
            plan.shortRooms.append({term.times[slot.time].text, slot.roomName, slot.needed, int(slot.given.size()),
                shortReason(term, slot.time, placesAt[slot.time])});
    bool first = true;
    for (const Invigilator& p : term.people) {
        if (p.most <= 0)
            continue;
        plan.fewest = first ? p.duties : std::min(plan.fewest, p.duties);
        plan.most = first ? p.duties : std::max(plan.most, p.duties);
        first = false;
    }
    return plan;
}

void deleteInvigilator(DataModule& dm, int invigilator)
{
    inTransaction(dm.ADOConnection1, [&] {
        executeOn(dm.ADOQuery8, SqlText("delete from t_jkap where jkid='") + QString::number(invigilator) + "'");
        executeOn(dm.ADOQuery8, SqlText("delete from t_jkjs where jkid='") + QString::number(invigilator) + "'");
        return true;
    });
}

void removeDuty(DataModule& dm, const InvigilationDuty& duty)
{
    executeOn(dm.ADOQuery8, SqlText("delete from t_jkap where cc='") + duty.period.trimmed() + "' and jsid='"
                                + QString::number(duty.room) + "' and jkid='" + QString::number(duty.invigilator) + "'");
}

QString adoptInvigilation(DataModule& dm, const InvigilationPlan& plan)
{
    QString fault;
    inTransaction(dm.ADOConnection1, [&] {
        if (invigilationStamp(dm) != plan.basis) {
            fault = planOutdated();
            return false;
        }
        executeOn(dm.ADOQuery8, "delete from t_jkap where sg=0");
        for (const InvigilationDuty& duty : plan.duties)
            executeOn(dm.ADOQuery8, SqlText("insert into t_jkap(cc,jsid,jkid,sg) values('") + duty.period + "','"
                                        + QString::number(duty.room) + "','" + QString::number(duty.invigilator) + "',0)");
        return true;
    });
    return fault;
}

QString invigilationReport(const InvigilationPlan& plan)
{
    QString text = QStringLiteral("自动安排监考：%1 个考场共需 %2 人次，新安排 %3 人次（其中任课教师监考本课程 %4 人次），"
                                  "保留手工安排 %5 人次。\n每位监考教师的监考场次：最少 %6，最多 %7。")
                       .arg(plan.rooms)
                       .arg(plan.places)
                       .arg(plan.duties.size())
                       .arg(plan.ownTeachers)
                       .arg(plan.handDuties)
                       .arg(plan.fewest)
                       .arg(plan.most);
    constexpr int shown = 30;
    if (!plan.conflicts.isEmpty()) {
        text += QStringLiteral("\n以下 %1 条手工监考安排已不符合要求，请在监考安排中移出或改正：").arg(plan.conflicts.size());
        for (qsizetype i = 0; i < std::min<qsizetype>(shown, plan.conflicts.size()); ++i) {
            const DutyConflict& c = plan.conflicts[i];
            text += QStringLiteral("\n%1 %2 %3：%4").arg(c.time, c.room, c.invigilator, c.reason);
        }
        if (plan.conflicts.size() > shown)
            text += QStringLiteral("\n……另有 %1 条。").arg(plan.conflicts.size() - shown);
    }
    if (!plan.unmatched.isEmpty())
        text += QStringLiteral("\n以下不能监考的场次或日期与任何考试时间都不符，没有起作用：\n") + plan.unmatched.join(u'\n');
    if (plan.shortRooms.isEmpty())
        return plan.conflicts.isEmpty() ? text + QStringLiteral("\n每个考场的监考教师都已安排足够。") : text;
    text += QStringLiteral("\n以下 %1 个考场监考教师不足：").arg(plan.shortRooms.size());
    for (qsizetype i = 0; i < std::min<qsizetype>(shown, plan.shortRooms.size()); ++i) {
        const ShortRoom& r = plan.shortRooms[i];
        text += QStringLiteral("\n%1 %2：需 %3 人，只安排了 %4 人（%5）").arg(r.time, r.room).arg(r.needed).arg(r.given).arg(r.reason);
    }
    if (plan.shortRooms.size() > shown)
        text += QStringLiteral("\n……另有 %1 个。").arg(plan.shortRooms.size() - shown);
    return text;
}

QString addHandDuty(DataModule& dm, const InvigilationDuty& duty)
{
    Term term;
    readTimes(dm.ADOQuery22, term);
    const int time = term.timeOf(duty.period.trimmed());
    readPeople(dm.ADOQuery22, term);
    const auto person = term.personOf.constFind(duty.invigilator);
    if (person == term.personOf.constEnd())
        return QStringLiteral("监考教师已不在名单中。");
    const Invigilator& p = term.people[*person];
    if (p.blocked[time])
        return QStringLiteral("%1 不能参加 %2 的监考。").arg(p.name, term.times[time].text);
    QuerySlot& q = dm.ADOQuery22;
    openOn(q, SqlText("select t_jkap.cc as cc,t_jkap.jsid as jsid,coalesce(t_js.jsm,'') as jsm from t_jkap"
                      " left join t_js on t_js.jsid=t_jkap.jsid where t_jkap.jkid='")
                  + QString::number(duty.invigilator) + "' order by t_jkap.cc,t_jkap.jsid");
    for (q.First(); !q.Eof(); q.Next()) {
        const QString period = q.FieldByName(QStringLiteral("cc")).AsString().trimmed();
        const int room = q.FieldByName(QStringLiteral("jsid")).AsVariant().toInt();
        const std::vector<int>& meets = term.times[size_t(time)].meets;
        if (std::find(meets.begin(), meets.end(), term.timeOf(period)) == meets.end())
            continue;
        if (room == duty.room)
            return QStringLiteral("%1 已在该考场监考。").arg(p.name);
        return QStringLiteral("%1 在 %2 已在 %3 监考，不能同时在两个考场。")
            .arg(p.name, term.times[time].text, q.FieldByName(QStringLiteral("jsm")).AsString().trimmed());
    }
    executeOn(dm.ADOQuery8, SqlText("insert into t_jkap(cc,jsid,jkid,sg) values('") + duty.period.trimmed() + "','"
                                + QString::number(duty.room) + "','" + QString::number(duty.invigilator) + "',1)");
    return {};
}

namespace {

// Each room's papers with their course names ("P1 高等数学、P2 物理"), keyed by
// period and room id.
QHash<QPair<QString, int>, QString> papersOfRooms(QuerySlot& q)
{
    openOn(q, "select distinct cc,jsid,sjxh,kcmc from ksap where jsid<>0 order by cc,jsid,sjxh,kcmc");
    QHash<QPair<QString, int>, QStringList> names;
    for (q.First(); !q.Eof(); q.Next()) {
        const QPair<QString, int> key{q.FieldByName(QStringLiteral("cc")).AsString().trimmed(),
                                      q.FieldByName(QStringLiteral("jsid")).AsVariant().toInt()};
        const QString paper = q.FieldByName(QStringLiteral("sjxh")).AsString().trimmed();
        const QString course = q.FieldByName(QStringLiteral("kcmc")).AsString().trimmed();
        QStringList& list = names[key];
        if (!list.isEmpty() && list.last().startsWith(paper + u' '))
            list.last() += u'/' + course;
        else
            list.append(paper + u' ' + course);
    }
    QHash<QPair<QString, int>, QString> out;
    for (auto at = names.cbegin(); at != names.cend(); ++at)
        out.insert(at.key(), at.value().join(QStringLiteral("、")));
    return out;
}

} // namespace

InvigilationList dutyTable(DataModule& dm)
{
    Term term;
    readTimes(dm.ADOQuery22, term);
    readRooms(dm.ADOQuery22, term, {});
    readPeople(dm.ADOQuery22, term);
    QHash<QPair<QString, int>, QString> papers = papersOfRooms(dm.ADOQuery22);
    // Several periods of one time in one room: the papers of all of them.
    QHash<QPair<int, int>, QStringList> papersAt;
    for (auto at = papers.cbegin(); at != papers.cend(); ++at)
        papersAt[{term.timeOf(at.key().first), at.key().second}].append(at.value());
    QHash<QPair<int, int>, QStringList> namesAt;
    QuerySlot& q = dm.ADOQuery22;
    openOn(q, "select t_jkap.cc as cc,t_jkap.jsid as jsid,t_jkjs.xm as xm,coalesce(t_js.jsm,'') as jsm from t_jkap"
              " join t_jkjs on t_jkjs.jkid=t_jkap.jkid left join t_js on t_js.jsid=t_jkap.jsid"
              " order by t_jkap.cc,t_jkap.jsid,t_jkap.sg desc,t_jkjs.jkid");
    for (q.First(); !q.Eof(); q.Next()) {
        const QString period = q.FieldByName(QStringLiteral("cc")).AsString().trimmed();
        const int time = term.timeOf(period);
        const int room = q.FieldByName(QStringLiteral("jsid")).AsVariant().toInt();
        // A duty in a room that holds nobody then gets a row of its own, so
        // that it can be seen and taken out.
        if (term.slotAt.try_emplace({time, room}, int(term.roomSlots.size())).second)
            term.roomSlots.push_back({time, period, room, q.FieldByName(QStringLiteral("jsm")).AsString().trimmed(), 0, {}, 0, {}});
        namesAt[{time, room}].append(q.FieldByName(QStringLiteral("xm")).AsString().trimmed());
    }

    std::vector<const RoomSlot*> roomSlots;
    for (const RoomSlot& slot : term.roomSlots)
        roomSlots.push_back(&slot);
    std::stable_sort(roomSlots.begin(), roomSlots.end(), [](const RoomSlot* a, const RoomSlot* b) {
        return a->time != b->time ? a->time < b->time : a->roomName < b->roomName;
    });
    InvigilationList list{{QStringLiteral("考试时间"), QStringLiteral("考场"), QStringLiteral("试卷"),
                           QStringLiteral("考生人数"), QStringLiteral("监考教师")},
                          {QStringLiteral("kssj"), QStringLiteral("js"), QStringLiteral("papers"),
                           QStringLiteral("candidates"), QStringLiteral("invigilators"), QStringLiteral("cc"),
                           QStringLiteral("jsid")},
                          {}};
    for (const RoomSlot* slot : roomSlots) {
        QStringList roomPapers = papersAt.value({slot->time, slot->room});
        roomPapers.sort();
        list.rows.push_back({term.times[slot->time].text, slot->roomName, roomPapers.join(QStringLiteral("、")),
                             QString::number(slot->candidates),
                             namesAt.value({slot->time, slot->room}).join(QStringLiteral("、")), slot->period,
                             QString::number(slot->room)});
    }
    return list;
}

InvigilationList invigilatorNotices(DataModule& dm)
{
    Term term;
    readTimes(dm.ADOQuery22, term);
    const QHash<QPair<QString, int>, QString> papers = papersOfRooms(dm.ADOQuery22);
    openOn(dm.ADOQuery22, "select t_jkjs.jkid as jkid,t_jkjs.xm as xm,t_jkjs.yx as yx,t_jkap.cc as cc,t_jkap.jsid as jsid,"
                          "coalesce(t_js.jsm,'') as jsm from t_jkap join t_jkjs on t_jkjs.jkid=t_jkap.jkid"
                          " join t_js on t_js.jsid=t_jkap.jsid");
    struct Duty {
        int person;
        int time;
        QString period;
        QStringList row;
    };
    std::vector<Duty> duties;
    QuerySlot& q = dm.ADOQuery22;
    for (q.First(); !q.Eof(); q.Next()) {
        const QString period = q.FieldByName(QStringLiteral("cc")).AsString().trimmed();
        const int time = term.timeOf(period);
        duties.push_back({q.FieldByName(QStringLiteral("jkid")).AsVariant().toInt(), time, period,
                          {q.FieldByName(QStringLiteral("xm")).AsString().trimmed(),
                           q.FieldByName(QStringLiteral("yx")).AsString().trimmed(), term.times[time].text,
                           q.FieldByName(QStringLiteral("jsm")).AsString().trimmed(),
                           papers.value({period, q.FieldByName(QStringLiteral("jsid")).AsVariant().toInt()})}});
    }
    std::sort(duties.begin(), duties.end(), [](const Duty& a, const Duty& b) {
        return a.person != b.person ? a.person < b.person
               : a.time != b.time   ? a.time < b.time
                                    : a.row[3] < b.row[3];
    });
    InvigilationList list{{QStringLiteral("姓名"), QStringLiteral("院系"), QStringLiteral("考试时间"),
                           QStringLiteral("考场"), QStringLiteral("试卷")},
                          {QStringLiteral("xm"), QStringLiteral("yx"), QStringLiteral("kssj"), QStringLiteral("js"),
                           QStringLiteral("papers")},
                          {}};
    for (Duty& duty : duties)
        list.rows.push_back(std::move(duty.row));
    return list;
}

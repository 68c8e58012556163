#include "TermSequences.h"

#include "DataModule.h"
#include "RoomUse.h"
#include "SlotSteps.h"
#include "TermInvariants.h"
#include "TestDatabase.h"
#include "people/Invigilation.h"
#include "periods/PeriodChange.h"
#include "periods/PeriodReduction.h"
#include "periods/Scheduling.h"
#include "periods/SpreadAdoption.h"
#include "periods/TermTimetable.h"
#include "rooms/RoomAssignment.h"
#include "rooms/RoomCapacity.h"
#include "time/ExamCalendar.h"
#include "time/ExamTime.h"
#include "time/SameTime.h"

#include <QDate>
#include <QSet>
#include <algorithm>
#include <exception>
#include <functional>
#include <random>

namespace {

// Choices drawn from a number: the same number, the same choices on every
// machine (mt19937's output is fixed by the standard).
class Dice {
public:
    explicit Dice(quint32 seed) : engine(seed) {}
    int below(int n) { return n <= 0 ? 0 : int(engine() % quint32(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(int percent) { return below(100) < percent; }
    QString pick(const QStringList& list) { return list.isEmpty() ? QString() : list[below(int(list.size()))]; }

private:
    std::mt19937 engine;
};

const QStringList teachers{QStringLiteral("王老师"), QStringLiteral("李老师"), QStringLiteral("张老师")};
const QStringList clockTimes{QStringLiteral("08:00-10:00"), QStringLiteral("10:30-12:30"), QStringLiteral("14:00-16:00"),
    QStringLiteral("09:00-11:00")};

QString someDate(Dice& dice)
{
    return QDate(2027, 1, 11).addDays(dice.below(4)).toString(Qt::ISODate);
}

// The roster rows written before scheduling, and those of students put on
// a second course of a paper they already sit, which arrive after it (the
// scheduling refuses a paper that lists a student twice).
struct Roster {
    QStringList rows;
    QStringList secondCourses;
};

QString rosterRow(const QString& paper, const QString& course, const QString& student)
{
    return QStringList{paper, course, student, QStringLiteral("学生") + student, QStringLiteral("C") + course,
        QStringLiteral("课程") + course, teachers[qHash(course) % teachers.size()]}
        .join(u'|');
}

// Papers of one to three courses drawn from a pool of students, so that
// students sit several papers; rooms often smaller than the papers;
// invigilators, some of them teachers of the roster, some with a period
// or a day they cannot take.
Roster buildTerm(TestDatabase& db, quint32 seed)
{
    Dice dice(seed);
    Roster roster;
    const int students = dice.between(6, 30);
    const int papers = dice.between(3, 9);
    for (int p = 1; p <= papers; ++p) {
        const QString paper = dice.chance(10) ? QStringLiteral("A%1").arg(p) : QString::number(p);
        const int courses = dice.between(1, 3);
        QSet<int> sitting;
        for (int c = 0; c < courses; ++c) {
            const QString course = QStringLiteral("K%1%2").arg(paper).arg(QChar(u'a' + c));
            QSet<int> chosen;
            for (int i = dice.between(1, 10); i > 0; --i)
                chosen.insert(dice.below(students));
            QList<int> ordered(chosen.begin(), chosen.end());
            std::sort(ordered.begin(), ordered.end());
            for (const int s : ordered) {
                const QString student = QStringLiteral("S%1").arg(s);
                if (sitting.contains(s)) {
                    if (dice.chance(50))
                        roster.secondCourses.append(rosterRow(paper, course, student));
                    continue;
                }
                sitting.insert(s);
                roster.rows.append(rosterRow(paper, course, student));
            }
        }
    }
    db.addRoster(roster.rows);

    QStringList rooms;
    for (int r = dice.between(2, 5); r > 0; --r)
        rooms.append(QStringLiteral("('R%1',%2)").arg(r).arg(dice.between(3, 14)));
    QStringList people;
    for (int j = dice.between(2, 6); j > 0; --j) {
        const QString name = j <= int(teachers.size()) && dice.chance(30) ? teachers[j - 1] : QStringLiteral("J%1").arg(j);
        const int what = dice.below(6);
        const QString cannot = what == 0 ? QString::number(dice.between(1, 4)) : what == 1 ? someDate(dice) : QString();
        people.append(QStringLiteral("('%1',%2,'%3')").arg(name).arg(dice.between(1, 4)).arg(cannot));
    }
    db.exec(QStringLiteral("INSERT INTO t_js(jsm,rnrs) VALUES%1; INSERT INTO t_jkjs(xm,zdcs,bkcc) VALUES%2;")
                .arg(rooms.join(u','), people.join(u',')));
    return roster;
}

// What one step needs: the database, the program's data module, the dice
// of its choice.
struct StepContext {
    TestDatabase& db;
    DataModule& dm;
    Dice dice;
};

// A step returns whether it did something (a refusal or nothing to do is
// no success, and leaves nothing to check).
using StepRun = std::function<bool(StepContext&)>;

bool schedule(StepContext& s)
{
    // The window offers scheduling only on an empty placement table.
    if (s.db.scalar(QStringLiteral("select count(*) from t_kscs")) != QStringLiteral("0"))
        return false;
    return !schedulePapers(s.dm, [](int, int) {}).refused;
}

bool reduce(StepContext& s)
{
    if (periodsHaveTimes(s.dm))
        return false;
    const PlacedPapers placed = readPlacedPapers(s.dm);
    const ReductionLimits limits{60000, 200 + s.dice.below(2000)};
    const Colouring fewer = searchFewerPeriods(placed, limits, [](int) {}, [] { return false; });
    if (placed.papers.isEmpty() || colourCount(fewer) >= placed.periods)
        return false;
    return writePeriods(s.dm, placed, fewer).isEmpty();
}

bool spread(StepContext& s)
{
    const TermTimetable term = readTermTimetable(s.dm);
    if (term.placed.papers.isEmpty() || !clashNow(s.dm, term).isEmpty())
        return false;
    ExamCalendar calendar;
    calendar.firstDate = QDate(2027, 1, 11).addDays(s.dice.below(3));
    calendar.skippedWeekdays = {6, 7};
    calendar.sittings = clockTimes.mid(0, s.dice.between(1, 3));
    calendar.periods = term.placed.periods + s.dice.below(3);
    const ExamSlots offered = examSlots(calendar, term.placed.periods);
    if (!offered.fault.isEmpty())
        return false;
    SpreadSearch search;
    search.seed = s.dice.below(1 << 30);
    search.iterations = 500 + s.dice.below(3000);
    search.milliseconds = -1;
    if (term.seats > 0 && s.dice.chance(50))
        search.capacity = term.seats;
    const Colouring placement = spreadPapers(term.enrolments, term.placed.current, offered.layout, search);
    return adoptSpread(s.dm, term, placement, offered.times).fault.isEmpty();
}

bool rooms(StepContext& s)
{
    std::optional<QString> period;
    if (s.dice.chance(60))
        period = s.dice.pick(s.db.rows(QStringLiteral("select cc from t_cc")));
    const RoomAssignmentRun plan = planRooms(s.dm, period);
    return !plan.writesNothing() && applyRoomPlan(s.dm, plan).isEmpty();
}

// The room window's choice of a room for a paper; a room over its seats
// is declined when asked.
bool handRoom(StepContext& s)
{
    const QString paper = s.dice.pick(s.db.rows(QStringLiteral("select sjxh from t_kscs order by rowid")));
    const QString room = s.dice.pick(s.db.rows(QStringLiteral("select distinct jsm from t_js order by jsm")));
    if (paper.isEmpty() || room.isEmpty() || roomOverflow(s.dm, room, paper))
        return false;
    openOn(s.dm.ADOQuery9, SqlText("select jsid from t_js where jsm='") + room + "' ");
    changePaperRoom(s.dm, s.dm.ADOQuery9.FieldByName(QStringLiteral("jsid")).AsString().trimmed(), paper);
    return true;
}

bool periodChange(StepContext& s)
{
    const QString paper = s.dice.pick(s.db.rows(QStringLiteral("select sjxh from t_kscs order by rowid")));
    const int periods = s.db.scalar(QStringLiteral("select count(*) from t_cc")).toInt();
    // One time in four a period of its own, which the reduction may then take back.
    const int period = s.dice.chance(25) ? periods + 1 : s.dice.between(1, periods);
    return !paper.isEmpty() && changePaperPeriod(s.dm, paper, QString::number(period)).refusal.isEmpty();
}

// The period window's store of a time: another period's time as it is
// stored or spelt otherwise, an overlapping or a new one, or none.
bool storeTime(StepContext& s)
{
    const QString period = s.dice.pick(s.db.rows(QStringLiteral("select cc from t_cc order by rowid")));
    const QString other = s.dice.pick(s.db.rows(QStringLiteral("select kssj from t_cc where kssj<>''")));
    QString time;
    switch (s.dice.below(5)) {
    case 0:
        time = other;
        break;
    case 1:
        if (const auto read = readExamTime(other).time)
            time = read->date.toString(QStringLiteral("yyyy/M/d ")) + QStringLiteral("%1:%2 ～ %3:%4")
                                                                         .arg(read->sitting.start / 60)
                                                                         .arg(read->sitting.start % 60, 2, 10, QChar(u'0'))
                                                                         .arg(read->sitting.end / 60)
                                                                         .arg(read->sitting.end % 60, 2, 10, QChar(u'0'));
        break;
    case 2:
        break;
    default:
        time = someDate(s.dice) + u' ' + s.dice.pick(clockTimes);
    }
    if (period.isEmpty() || sameTimeClash(s.dm, period, time))
        return false;
    executeOn(s.dm.ADOQuery12, SqlText("update t_cc set kssj='") + time + "' where cc='" + period + "'");
    return true;
}

bool duties(StepContext& s)
{
    const InvigilationTerms terms{s.dice.between(1, 2), s.dice.chance(50) ? 0 : 5};
    return adoptInvigilation(s.dm, planInvigilation(s.dm, terms)).isEmpty();
}

// A duty by hand in a room in use, as the invigilation window offers them.
bool handDuty(StepContext& s)
{
    const QString person = s.dice.pick(s.db.rows(QStringLiteral("select jkid from t_jkjs")));
    const QString place = s.dice.pick(s.db.rows(QStringLiteral("select distinct cc, jsid from t_kscs where jsid<>0")));
    if (person.isEmpty() || place.isEmpty())
        return false;
    return addHandDuty(s.dm, {place.section(u'|', 0, 0), place.section(u'|', 1).toInt(), person.toInt()}).isEmpty();
}

bool dropDuty(StepContext& s)
{
    const QString duty = s.dice.pick(s.db.rows(QStringLiteral("select cc, jsid, jkid from t_jkap")));
    if (duty.isEmpty())
        return false;
    removeDuty(s.dm, {duty.section(u'|', 0, 0), duty.section(u'|', 1, 1).toInt(), duty.section(u'|', 2).toInt()});
    return true;
}

bool dropInvigilator(StepContext& s)
{
    const QString person = s.dice.pick(s.db.rows(QStringLiteral("select jkid from t_jkjs")));
    if (person.isEmpty())
        return false;
    deleteInvigilator(s.dm, person.toInt());
    return true;
}

bool dropRoom(StepContext& s)
{
    const QString room = s.dice.pick(s.db.rows(QStringLiteral("select distinct jsm from t_js")));
    if (room.isEmpty())
        return false;
    deleteRoom(s.dm, room);
    return true;
}

struct Kind {
    QString name;
    int weight; // how often it is drawn
    StepRun run;
};

const QList<Kind>& kinds()
{
    static const QList<Kind> all{
        {QStringLiteral("schedule"), 0, schedule},
        {QStringLiteral("reduce"), 2, reduce},
        {QStringLiteral("spread"), 3, spread},
        {QStringLiteral("rooms"), 4, rooms},
        {QStringLiteral("handRoom"), 3, handRoom},
        {QStringLiteral("periodChange"), 3, periodChange},
        {QStringLiteral("time"), 4, storeTime},
        {QStringLiteral("duties"), 3, duties},
        {QStringLiteral("handDuty"), 3, handDuty},
        {QStringLiteral("removeDuty"), 1, dropDuty},
        {QStringLiteral("deleteInvigilator"), 1, dropInvigilator},
        {QStringLiteral("deleteRoom"), 1, dropRoom},
    };
    return all;
}

// What a broken rule is read against: periods, placements, rooms, people
// and duties as stored.
QString termTables(TestDatabase& db)
{
    const auto table = [&db](const char* title, const char* sql) {
        return QStringLiteral("\n%1: %2").arg(QLatin1String(title), db.rows(QLatin1String(sql)).join(QStringLiteral("; ")));
    };
    return table("periods (cc|kssj)", "select cc, kssj from t_cc order by rowid")
        + table("placements (cc|sjxh|sjxh1|jsid)", "select cc, sjxh, sjxh1, jsid from t_kscs order by rowid")
        + table("rooms (jsid|jsm|rnrs)", "select jsid, jsm, rnrs from t_js order by jsid")
        + table("invigilators (jkid|xm|zdcs|bkcc)", "select jkid, xm, zdcs, bkcc from t_jkjs order by jkid")
        + table("duties (cc|jsid|jkid|sg)", "select cc, jsid, jkid, sg from t_jkap order by rowid");
}

} // namespace

QStringList termStepKinds()
{
    QStringList names;
    for (const Kind& k : kinds())
        names.append(k.name);
    return names;
}

QList<TermStep> drawnSteps(quint32 seed, int count)
{
    Dice dice(seed ^ 0x9e3779b9u);
    // The reduction is offered only while no period has a time: the first
    // steps of a sequence give none, so that it runs on rooms and duties.
    const auto timed = [](const Kind& k) { return k.name == QStringLiteral("time") || k.name == QStringLiteral("spread"); };
    const int untimed = 1 + dice.below(count / 2);
    QList<TermStep> steps{{QStringLiteral("schedule"), 0}};
    while (steps.size() < count) {
        QList<const Kind*> offered;
        int total = 0;
        for (const Kind& k : kinds())
            if (steps.size() >= untimed || !timed(k)) {
                offered.append(&k);
                total += k.weight;
            }
        int drawn = dice.below(total);
        for (const Kind* k : offered) {
            if (drawn < k->weight) {
                steps.append({k->name, quint32(dice.below(100000))});
                break;
            }
            drawn -= k->weight;
        }
    }
    return steps;
}

QString stepsText(const QList<TermStep>& steps)
{
    QStringList words;
    for (const TermStep& step : steps)
        words.append(step.choice == 0 ? step.kind : QStringLiteral("%1:%2").arg(step.kind).arg(step.choice));
    return words.join(u' ');
}

QList<TermStep> stepsFromText(const QString& text)
{
    QList<TermStep> steps;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts))
        steps.append({word.section(u':', 0, 0), word.section(u':', 1).toUInt()});
    return steps;
}

QString SequenceRun::replay(quint32 seed, const QList<TermStep>& steps)
{
    return QStringLiteral("seed %1: %2").arg(seed).arg(stepsText(steps));
}

SequenceRun runSequence(quint32 seed, const QList<TermStep>& steps)
{
    SequenceRun result;
    TestDatabase db;
    const Roster roster = buildTerm(db, seed);
    DataModule dm;
    dm.reconfigure();
    bool scheduled = false;
    for (int i = 0; i < steps.size(); ++i) {
        const TermStep& step = steps[i];
        const auto kind = std::find_if(kinds().begin(), kinds().end(), [&](const Kind& k) { return k.name == step.kind; });
        const auto failed = [&](const QString& what, const QString& cause) {
            result.failedStep = i;
            result.cause = step.kind + u' ' + cause;
            result.failure = QStringLiteral("step %1 (%2:%3) %4").arg(i).arg(step.kind).arg(step.choice).arg(what);
            return result;
        };
        if (kind == kinds().end())
            return failed(QStringLiteral("is no step"), QStringLiteral("unknown"));
        ++result.tried[step.kind];
        bool done = false;
        try {
            StepContext context{db, dm, Dice(step.choice)};
            done = kind->run(context);
        } catch (const std::exception& e) {
            return failed(QStringLiteral("threw: ") + QString::fromUtf8(e.what()), QStringLiteral("threw"));
        }
        if (!done)
            continue;
        ++result.done[step.kind];
        if (!scheduled && step.kind == QStringLiteral("schedule")) {
            scheduled = true;
            db.addRoster(roster.secondCourses);
        }
        if (const QStringList faults = termFaults(db); !faults.isEmpty())
            return failed(QStringLiteral("broke:\n") + faults.join(u'\n') + termTables(db),
                          faults.first().section(u' ', 0, 0).remove(u':'));
    }
    return result;
}

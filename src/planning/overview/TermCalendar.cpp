#include "overview/TermCalendar.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "periods/TermTimetable.h"
#include "time/ExamTime.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <algorithm>

namespace {

bool periodBefore(const QString& a, const QString& b)
{
    bool aNumber = false, bNumber = false;
    const long long x = a.toLongLong(&aNumber), y = b.toLongLong(&bNumber);
    if (aNumber && bNumber && x != y)
        return x < y;
    if (aNumber != bNumber)
        return aNumber;
    return a < b;
}

QString field(QuerySlot& q, const char* name)
{
    return q.FieldByName(QString::fromLatin1(name)).AsString().trimmed();
}

int number(QuerySlot& q, const char* name)
{
    return q.FieldByName(QString::fromLatin1(name)).AsVariant().toInt();
}

} // namespace

QString TermCalendar::missing() const
{
    if (rosterRows == 0)
        return QStringLiteral("还没有导入名单（系统 → 导入数据）");
    if (days.isEmpty() && undated.isEmpty())
        return QStringLiteral("还没有排考（编排 → 2.课程排考）");
    return {};
}

QList<CalendarPeriod> TermCalendar::periods() const
{
    QList<CalendarPeriod> all;
    for (const auto& row : cells)
        for (const auto& cell : row)
            all += cell;
    return all + undated;
}

TermCalendar readTermCalendar(DataModule& dm)
{
    QuerySlot& q = dm.ADOQuery22;
    TermCalendar calendar;
    QMap<QString, CalendarPeriod> periods; // by period number
    // The period of the current row, made when first met.
    const auto period = [&]() -> CalendarPeriod& {
        const QString cc = field(q, "cc");
        CalendarPeriod& p = periods[cc];
        p.period = cc;
        return p;
    };

    openOn(q, "select count(*) as n from t_bjgmd");
    calendar.rosterRows = number(q, "n");

    openOn(q, "select cc, kssj from t_cc");
    for (q.First(); !q.Eof(); q.Next()) {
        CalendarPeriod& p = period();
        if (p.time.isEmpty())
            p.time = field(q, "kssj");
    }
    // A placement in a period that t_cc lacks still shows, without a time.
    openOn(q, "select cc, sjxh, kcmc, Num from ksap order by Num desc, sjxh, kcxh");
    QHash<QString, QSet<QString>> papersOf;
    for (q.First(); !q.Eof(); q.Next()) {
        CalendarPeriod& p = period();
        p.courses.append(field(q, "kcmc"));
        papersOf[p.period].insert(field(q, "sjxh"));
    }
    for (auto it = papersOf.cbegin(); it != papersOf.cend(); ++it)
        periods[it.key()].papers = int(it.value().size());

    openOn(q, "select cc, count(*) as n from bjgmd group by cc");
    for (q.First(); !q.Eof(); q.Next())
        period().candidates = number(q, "n");
    // No table aliases: the dialect layer reads a column qualified by a name
    // it does not know as a source by its bare name.
    openOn(q, "select cc, sum(Num1) as n from ksap where jsid in (select jsid from t_js) group by cc");
    for (q.First(); !q.Eof(); q.Next())
        period().seated = number(q, "n");
    openOn(q, "select cc, count(*) as rooms, sum(rnrs) as seats"
              " from (select distinct cc, jsid from t_kscs) join t_js using (jsid) group by cc");
    for (q.First(); !q.Eof(); q.Next()) {
        CalendarPeriod& p = period();
        p.rooms = number(q, "rooms");
        p.seats = number(q, "seats");
    }

    // Where each period lies: its day and sitting, or apart.
    QMap<QDate, int> dayIndex;
    std::vector<Sitting> sittings;
    QHash<QString, ExamTime> when;
    for (CalendarPeriod& p : periods) {
        const ExamTimeReading reading = readExamTime(p.time);
        if (const auto& t = reading.time) {
            when.insert(p.period, *t);
            dayIndex.insert(t->date, 0);
            sittings.push_back(t->sitting);
        } else if (!p.time.isEmpty()) {
            p.timeFault = reading.fault;
        }
    }
    std::sort(sittings.begin(), sittings.end());
    sittings.erase(std::unique(sittings.begin(), sittings.end()), sittings.end());
    const auto sittingIndex = [&sittings](const Sitting& sitting) {
        return int(std::lower_bound(sittings.begin(), sittings.end(), sitting) - sittings.begin());
    };
    int next = 0;
    for (auto it = dayIndex.begin(); it != dayIndex.end(); ++it) {
        it.value() = next++;
        calendar.days.append(CalendarDay{it.key()});
    }
    for (const Sitting& sitting : sittings)
        calendar.sittings.append(sitting.text());
    calendar.cells = QList<QList<QList<CalendarPeriod>>>(qsizetype(sittings.size()), QList<QList<CalendarPeriod>>(calendar.days.size()));
    QList<CalendarPeriod> ordered = periods.values();
    std::sort(ordered.begin(), ordered.end(),
              [](const CalendarPeriod& a, const CalendarPeriod& b) { return periodBefore(a.period, b.period); });
    for (const CalendarPeriod& p : ordered) {
        if (when.contains(p.period)) {
            const ExamTime& t = when[p.period];
            calendar.cells[sittingIndex(t.sitting)][dayIndex[t.date]].append(p);
        } else {
            calendar.undated.append(p);
        }
    }

    // The days' figures, from who sits what: a paper (with the parts split
    // off it in its period) counts once per student, and two sittings are in
    // a row when no other sitting of the term lies between them.
    q.Close();
    const TermTimetable term = readTermTimetable(dm);
    struct Place {
        int day = -1;
        int sitting = -1;
    };
    std::vector<Place> placeOf(term.placed.periodNumbers.size());
    for (int i = 0; i < term.placed.periodNumbers.size(); ++i) {
        const auto t = when.constFind(term.placed.periodNumbers[i].trimmed());
        if (t != when.cend())
            placeOf[i] = Place{dayIndex[t->date], sittingIndex(t->sitting)};
    }
    for (const std::vector<int>& papers : term.enrolments.students) {
        QHash<int, QSet<int>> sittingsOnDay;
        QHash<int, int> papersOnDay;
        for (int paper : papers) {
            const Place& place = placeOf[term.placed.current[paper]];
            if (place.day < 0)
                continue;
            ++calendar.days[place.day].candidates;
            ++papersOnDay[place.day];
            sittingsOnDay[place.day].insert(place.sitting);
        }
        for (auto it = papersOnDay.cbegin(); it != papersOnDay.cend(); ++it) {
            if (it.value() < 2)
                continue;
            CalendarDay& day = calendar.days[it.key()];
            ++day.twoPapers;
            const QSet<int>& taken = sittingsOnDay[it.key()];
            if (std::any_of(taken.cbegin(), taken.cend(), [&taken](int s) { return taken.contains(s + 1); }))
                ++day.twoInARow;
        }
    }
    return calendar;
}

#include "ExamCalendar.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "Spreading.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
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

int clockMinutes(const QString& text)
{
    static const QRegularExpression clock(QStringLiteral("(\\d{1,2})[:：](\\d{2})"));
    const QRegularExpressionMatch m = clock.match(text);
    return m.hasMatch() ? m.captured(1).toInt() * 60 + m.captured(2).toInt() : -1;
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

std::optional<DatedTime> datedTime(const QString& text)
{
    if (const auto exact = parsePeriodTime(text.trimmed()))
        return DatedTime{exact->date, exact->sitting};
    static const QRegularExpression dated(
        QStringLiteral("^\\s*(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})(?!\\d)\\s*(?:(?:星期|周)[一二三四五六日天])?\\s*(.*)$"));
    const QRegularExpressionMatch m = dated.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return DatedTime{date, m.captured(4).trimmed()};
}

bool sittingBefore(const QString& a, const QString& b)
{
    const int x = clockMinutes(a), y = clockMinutes(b);
    if ((x < 0) != (y < 0))
        return x >= 0;
    if (x != y)
        return x < y;
    return a < b;
}

QString ExamCalendar::missing() const
{
    if (rosterRows == 0)
        return QStringLiteral("还没有导入名单（系统 → 导入数据）");
    if (days.isEmpty() && undated.isEmpty())
        return QStringLiteral("还没有排考（编排 → 2.课程排考）");
    return {};
}

QList<CalendarPeriod> ExamCalendar::periods() const
{
    QList<CalendarPeriod> all;
    for (const auto& row : cells)
        for (const auto& cell : row)
            all += cell;
    return all + undated;
}

ExamCalendar readExamCalendar(DataModule& dm)
{
    QuerySlot& q = dm.ADOQuery22;
    ExamCalendar calendar;
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
    QStringList sittings;
    QHash<QString, DatedTime> when;
    for (const CalendarPeriod& p : periods) {
        if (const auto t = datedTime(p.time)) {
            when.insert(p.period, *t);
            dayIndex.insert(t->date, 0);
            if (!sittings.contains(t->sitting))
                sittings.append(t->sitting);
        }
    }
    std::sort(sittings.begin(), sittings.end(), sittingBefore);
    int next = 0;
    for (auto it = dayIndex.begin(); it != dayIndex.end(); ++it) {
        it.value() = next++;
        calendar.days.append(CalendarDay{it.key()});
    }
    calendar.sittings = sittings;
    calendar.cells = QList<QList<QList<CalendarPeriod>>>(sittings.size(), QList<QList<CalendarPeriod>>(calendar.days.size()));
    QList<CalendarPeriod> ordered = periods.values();
    std::sort(ordered.begin(), ordered.end(),
              [](const CalendarPeriod& a, const CalendarPeriod& b) { return periodBefore(a.period, b.period); });
    for (const CalendarPeriod& p : ordered) {
        if (when.contains(p.period)) {
            const DatedTime& t = when[p.period];
            calendar.cells[sittings.indexOf(t.sitting)][dayIndex[t.date]].append(p);
        } else {
            calendar.undated.append(p);
        }
    }

    // The days' figures, from each student's papers: a paper counts once per
    // student and day, and two sittings are in a row when no other sitting
    // of the term lies between them.
    struct Sitting {
        int day;
        int sitting;
        QString paper;
    };
    QHash<QString, QList<Sitting>> byStudent;
    openOn(q, "select xh, sjxh, cc from bjgmd");
    for (q.First(); !q.Eof(); q.Next()) {
        const auto t = when.constFind(field(q, "cc"));
        if (t == when.cend())
            continue;
        const int day = dayIndex[t->date];
        ++calendar.days[day].candidates;
        byStudent[field(q, "xh")].append(Sitting{day, int(sittings.indexOf(t->sitting)), field(q, "sjxh")});
    }
    q.Close();
    for (const QList<Sitting>& papers : std::as_const(byStudent)) {
        QHash<int, QSet<QString>> papersOnDay;
        QHash<int, QSet<int>> sittingsOnDay;
        for (const Sitting& s : papers) {
            papersOnDay[s.day].insert(s.paper);
            sittingsOnDay[s.day].insert(s.sitting);
        }
        for (auto it = papersOnDay.cbegin(); it != papersOnDay.cend(); ++it) {
            if (it.value().size() < 2)
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

#include "periods/TermTimetable.h"

#include "DataModule.h"
#include "time/ExamCalendar.h"
#include "rooms/RoomAssignment.h"
#include "SlotSteps.h"
#include "periods/PeriodChange.h"
#include "TableStamp.h"

#include <QHash>
#include <algorithm>
#include <map>
#include <optional>

PeriodLayout layoutOfTimes(const QStringList& times)
{
    std::vector<std::optional<PeriodTime>> parsed;
    std::map<QDate, int> dayRank;
    QStringList sittings;
    for (const QString& time : times) {
        parsed.push_back(parsePeriodTime(time));
        if (!parsed.back())
            continue;
        dayRank.emplace(parsed.back()->date, 0);
        if (!sittings.contains(parsed.back()->sitting))
            sittings.append(parsed.back()->sitting);
    }
    std::sort(sittings.begin(), sittings.end(), sittingBefore);
    int rank = 0;
    for (auto& [date, r] : dayRank)
        r = rank++;

    // A day is as long as the term's sittings, and one empty position (the
    // night) parts it from the next.
    const int dayLength = int(sittings.size()) + 1;
    PeriodLayout layout;
    int lonely = 0;
    for (const std::optional<PeriodTime>& time : parsed) {
        if (time) {
            layout.day.push_back(dayRank[time->date]);
            layout.position.push_back(layout.day.back() * dayLength + int(sittings.indexOf(time->sitting)));
        } else {
            // Six positions apart: beyond the reach of the proximity weights.
            layout.day.push_back(rank + lonely);
            layout.position.push_back(rank * dayLength + 6 * (lonely + 1));
            ++lonely;
        }
    }
    return layout;
}

QByteArray spreadStamp(DataModule& dm)
{
    return tableStamp(dm.ADOConnection1, {"t_bjgmd", "t_kscs", "t_cc", "t_js", "t_jkap"});
}

TermTimetable readTermTimetable(DataModule& dm)
{
    TermTimetable term;
    term.basis = spreadStamp(dm);
    term.placed = readPlacedPapers(dm);

    // A period's time is that of its first t_cc row; a period t_cc lacks has none.
    QuerySlot& q = dm.ADOQuery13;
    openOn(q, "select cc,kssj from t_cc order by rowid");
    QHash<QString, QString> timeOf;
    for (int r = 0; r < q.RecordCount(); ++r)
        if (!timeOf.contains(q.value(r, 0).toString().toLower()))
            timeOf.insert(q.value(r, 0).toString().toLower(), q.value(r, 1).toString());
    q.Close();
    for (const QString& period : term.placed.periodNumbers)
        term.times.append(timeOf.value(period.toLower()));

    term.enrolments.papers = int(term.placed.papers.size());
    term.enrolments.students = term.placed.students;
    term.layout = layoutOfTimes(term.times);
    term.seats = usableSeats(dm);
    return term;
}

QString clashNow(DataModule& dm, const TermTimetable& term)
{
    const PlacedPapers& placed = term.placed;
    for (int v = 0; v < int(placed.graph.size()); ++v)
        for (int w : placed.graph[v])
            if (placed.current[v] == placed.current[w])
                return QStringLiteral("第 %1 场的试卷 %2 和 %3有同一个学生")
                    .arg(placed.periodNumbers[placed.current[v]], placed.papers[v].first(), placed.papers[w].first());
    for (const QString& period : placed.periodNumbers) {
        const QString student = studentInTwoPapers(dm, period);
        if (!student.isEmpty())
            return QStringLiteral("第 %1 场中学号 %2 的学生有两份试卷").arg(period.trimmed(), student);
    }
    return {};
}

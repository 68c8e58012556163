#include "periods/TermTimetable.h"

#include "DataModule.h"
#include "rooms/RoomAssignment.h"
#include "SlotSteps.h"

#include <QHash>

TermTimetable readTermTimetable(DataModule& dm)
{
    TermTimetable term;
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

QString clashNow(const TermTimetable& term)
{
    const PlacedPapers& placed = term.placed;
    for (int v = 0; v < int(placed.graph.size()); ++v)
        for (int w : placed.graph[v])
            if (placed.current[v] == placed.current[w])
                return QStringLiteral("第 %1 场的试卷 %2 和 %3")
                    .arg(placed.periodNumbers[placed.current[v]], placed.papers[v].first(), placed.papers[w].first());
    return {};
}

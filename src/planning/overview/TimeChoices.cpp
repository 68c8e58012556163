#include "overview/TimeChoices.h"

#include "QuerySlot.h"
#include "SlotSteps.h"
#include "overview/TermCalendar.h"
#include "periods/Spreading.h"
#include "time/ExamCalendar.h"

#include <QSet>
#include <algorithm>

QStringList readTimeChoices(QuerySlot& q)
{
    QSet<QDate> days;
    QStringList sittings;
    openOn(q, "select distinct kssj from t_cc");
    for (q.First(); !q.Eof(); q.Next()) {
        const auto when = datedTime(q.FieldByName(QStringLiteral("kssj")).AsString());
        if (!when || when->sitting.isEmpty())
            continue;
        days.insert(when->date);
        if (!sittings.contains(when->sitting))
            sittings.append(when->sitting);
    }
    q.Close();
    QList<QDate> ordered(days.cbegin(), days.cend());
    std::sort(ordered.begin(), ordered.end());
    std::sort(sittings.begin(), sittings.end(), sittingBefore);
    QStringList choices;
    for (const QDate& day : ordered)
        for (const QString& sitting : sittings)
            choices.append(periodTimeText(day, sitting));
    return choices;
}

#include "overview/TimeChoices.h"

#include "QuerySlot.h"
#include "SlotSteps.h"
#include "time/ExamTime.h"

#include <algorithm>
#include <set>

QStringList readTimeChoices(QuerySlot& q)
{
    std::set<QDate> days;
    std::set<Sitting> sittings;
    openOn(q, "select distinct kssj from t_cc");
    for (q.First(); !q.Eof(); q.Next()) {
        if (const auto time = readExamTime(q.FieldByName(QStringLiteral("kssj")).AsString()).time) {
            days.insert(time->date);
            sittings.insert(time->sitting);
        }
    }
    q.Close();
    QStringList choices;
    for (const QDate& day : days)
        for (const Sitting& sitting : sittings)
            choices.append(ExamTime{day, sitting}.text());
    return choices;
}

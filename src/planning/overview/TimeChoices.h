#pragma once

#include <QStringList>

class QuerySlot;

// The times a clerk may pick for a period instead of typing one: every day
// of the term with every sitting of the term, as the program writes them
// ("2027-01-11 星期一 08:00-10:00"), in order of day then time of day. Days
// and sittings are those of the periods' readable times (time/ExamTime.h).
// Reads through `q`, closed again.
QStringList readTimeChoices(QuerySlot& q);

#pragma once

#include <QStringList>
#include <vector>

// Where the periods lie in time. A period's position orders it in time; a
// night between two days is one empty position, so the last sitting of one
// day and the first of the next are two positions apart. Periods sat at one
// time share a position.
struct PeriodLayout {
    std::vector<int> position; // per period 0..K-1
    std::vector<int> day;      // per period, the day it falls on (0-based)
};

// K periods on one day without nights (the benchmark's layout).
PeriodLayout singleDayLayout(int periods);

// K periods, `sittingsPerDay` a day, in time order, a night between days.
PeriodLayout dailyLayout(int periods, int sittingsPerDay);

// Where periods with these time texts lie, as readExamTime reads them.
// Readable times lie on their day, days in date order with a night between
// two of them, the sittings of a day in the order of their clock time among
// every sitting of the term (so a day with an empty sitting keeps its gap).
// Equal times, however spelled, share a position. A period without a
// readable time lies on a day of its own, far from every other, so it
// neither weighs in the cost nor crowds a day.
PeriodLayout layoutOfTimes(const QStringList& times);

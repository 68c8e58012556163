#include "time/PeriodLayout.h"

#include "time/ExamTime.h"

#include <algorithm>
#include <map>
#include <optional>

PeriodLayout singleDayLayout(int periods)
{
    PeriodLayout layout;
    for (int p = 0; p < periods; ++p) {
        layout.position.push_back(p);
        layout.day.push_back(0);
    }
    return layout;
}

PeriodLayout dailyLayout(int periods, int sittingsPerDay)
{
    PeriodLayout layout;
    for (int p = 0; p < periods; ++p) {
        layout.position.push_back(p + p / sittingsPerDay);
        layout.day.push_back(p / sittingsPerDay);
    }
    return layout;
}

PeriodLayout layoutOfTimes(const QStringList& times)
{
    std::vector<std::optional<ExamTime>> read;
    std::map<QDate, int> dayRank;
    std::vector<Sitting> sittings;
    for (const QString& text : times) {
        read.push_back(readExamTime(text).time);
        if (!read.back())
            continue;
        dayRank.emplace(read.back()->date, 0);
        sittings.push_back(read.back()->sitting);
    }
    std::sort(sittings.begin(), sittings.end());
    sittings.erase(std::unique(sittings.begin(), sittings.end()), sittings.end());
    int rank = 0;
    for (auto& [date, r] : dayRank)
        r = rank++;

    // A day is as long as the term's sittings, and one empty position (the
    // night) parts it from the next.
    const int dayLength = int(sittings.size()) + 1;
    PeriodLayout layout;
    int lonely = 0;
    for (const std::optional<ExamTime>& time : read) {
        if (time) {
            const auto sitting = std::lower_bound(sittings.begin(), sittings.end(), time->sitting);
            layout.day.push_back(dayRank[time->date]);
            layout.position.push_back(layout.day.back() * dayLength + int(sitting - sittings.begin()));
        } else {
            // Six positions apart: beyond the reach of the proximity weights.
            layout.day.push_back(rank + lonely);
            layout.position.push_back(rank * dayLength + 6 * (lonely + 1));
            ++lonely;
        }
    }
    return layout;
}

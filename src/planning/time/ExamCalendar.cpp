#include "time/ExamCalendar.h"

#include "time/ExamTime.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <utility>
#include <vector>

namespace {

// The sittings read and in the order they start, or why they cannot be.
QString readSittings(const QStringList& texts, std::vector<Sitting>& sittings)
{
    std::vector<std::pair<Sitting, QString>> read; // with the text as typed
    for (int i = 0; i < texts.size(); ++i) {
        const QString typed = texts[i].trimmed();
        if (typed.isEmpty())
            return QStringLiteral("第 %1 个场次时间是空的，请填写（如 08:00-10:00）或删除它。").arg(i + 1);
        const SittingReading reading = readSitting(typed);
        if (!reading.sitting)
            return reading.fault;
        for (const auto& [earlier, earlierText] : read) {
            if (earlier == *reading.sitting)
                return QStringLiteral("场次时间“%1”和“%2”是同一个时间，请修改或删除其中一个。").arg(earlierText, typed);
            if (earlier.overlaps(*reading.sitting))
                return QStringLiteral("场次时间“%1”和“%2”有重叠的时间，同一时间不能考两场，请修改或删除其中一个。")
                    .arg(earlierText, typed);
        }
        read.emplace_back(*reading.sitting, typed);
    }
    if (read.empty())
        return QStringLiteral("请至少设置一个场次时间（如 08:00-10:00）。");
    for (const auto& [sitting, typed] : read)
        sittings.push_back(sitting);
    std::sort(sittings.begin(), sittings.end());
    return {};
}

QString dayText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

ExamSlots examSlots(const ExamCalendar& calendar, int leastPeriods)
{
    ExamSlots result;
    std::vector<Sitting> sittings;
    result.fault = readSittings(calendar.sittings, sittings);
    if (!result.fault.isEmpty())
        return result;
    if (QSet<int>(calendar.skippedWeekdays.begin(), calendar.skippedWeekdays.end()).size() >= 7) {
        result.fault = QStringLiteral("一周七天都被排除了，没有可以考试的日子。");
        return result;
    }
    if (!calendar.firstDate.isValid()) {
        result.fault = QStringLiteral("请选择第一天考试的日期。");
        return result;
    }
    if (calendar.firstDate < earliestExamDate() || calendar.firstDate > latestExamDate()) {
        result.fault = QStringLiteral("第一天考试的日期应在 %1 至 %2 之间。")
                           .arg(dayText(earliestExamDate()), dayText(latestExamDate()));
        return result;
    }

    static const QRegularExpression separators(QStringLiteral("[\\s,，、;；]+"));
    QSet<QDate> skipped;
    for (const QString& item : calendar.skippedDates.split(separators, Qt::SkipEmptyParts)) {
        const QDate date = readExamDate(item);
        if (!date.isValid()) {
            result.fault = QStringLiteral("不考试的日期“%1”无法识别，请写成 2027-01-15 这样的日期，多个日期用逗号或空格隔开。").arg(item);
            return result;
        }
        skipped.insert(date);
    }
    if (calendar.periods < leastPeriods) {
        result.fault = QStringLiteral("场次数不能少于现有的 %1 场：现有每一场的试卷都要有地方安排。").arg(leastPeriods);
        return result;
    }

    const int perDay = int(sittings.size());
    QDate day = calendar.firstDate;
    for (int p = 0; p < calendar.periods; ++p) {
        if (p % perDay == 0) {
            if (p > 0)
                day = day.addDays(1);
            while (day <= latestExamDate() && (calendar.skippedWeekdays.contains(day.dayOfWeek()) || skipped.contains(day)))
                day = day.addDays(1);
            if (day > latestExamDate()) {
                result = ExamSlots();
                result.fault = QStringLiteral("这样排，考试要排到 %1 以后，请减少场次或不考试的日期，或提前第一天考试的日期。")
                                   .arg(dayText(latestExamDate()));
                return result;
            }
            ++result.days;
            result.lastDate = day;
        }
        result.times.append(ExamTime { day, sittings[std::size_t(p % perDay)] }.text());
    }
    result.layout = dailyLayout(calendar.periods, perDay);
    return result;
}

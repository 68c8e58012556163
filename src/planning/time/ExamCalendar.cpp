#include "time/ExamCalendar.h"

#include <QRegularExpression>
#include <QSet>
#include <QTime>
#include <algorithm>

bool sittingBefore(const QString& a, const QString& b)
{
    const auto start = [](const QString& sitting) {
        const QTime time = QTime::fromString(sitting.section(u'-', 0, 0).trimmed(), QStringLiteral("H:mm"));
        return time.isValid() ? time.msecsSinceStartOfDay() : 86400000;
    };
    const int x = start(a), y = start(b);
    return x != y ? x < y : a < b;
}

ExamSlots examSlots(const ExamCalendar& calendar, int leastPeriods)
{
    ExamSlots result;
    QStringList sittings;
    for (int i = 0; i < calendar.sittings.size(); ++i) {
        const QString sitting = calendar.sittings[i].trimmed();
        if (sitting.isEmpty()) {
            result.fault = QStringLiteral("第 %1 个场次时间是空的，请填写（如 08:00-10:00）或删除它。").arg(i + 1);
            return result;
        }
        if (sittings.contains(sitting)) {
            result.fault = QStringLiteral("场次时间“%1”重复了，请修改或删除其中一个。").arg(sitting);
            return result;
        }
        sittings.append(sitting);
    }
    if (sittings.isEmpty()) {
        result.fault = QStringLiteral("请至少设置一个场次时间（如 08:00-10:00）。");
        return result;
    }
    std::sort(sittings.begin(), sittings.end(), sittingBefore);
    if (QSet<int>(calendar.skippedWeekdays.begin(), calendar.skippedWeekdays.end()).size() >= 7) {
        result.fault = QStringLiteral("一周七天都被排除了，没有可以考试的日子。");
        return result;
    }
    if (!calendar.firstDate.isValid()) {
        result.fault = QStringLiteral("请选择第一天考试的日期。");
        return result;
    }

    static const QRegularExpression separators(QStringLiteral("[\\s,，、;；]+"));
    QSet<QDate> skipped;
    for (const QString& item : calendar.skippedDates.split(separators, Qt::SkipEmptyParts)) {
        QDate date = QDate::fromString(item, QStringLiteral("yyyy-M-d"));
        if (!date.isValid())
            date = QDate::fromString(item, QStringLiteral("yyyy/M/d"));
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
            while (calendar.skippedWeekdays.contains(day.dayOfWeek()) || skipped.contains(day))
                day = day.addDays(1);
            ++result.days;
            result.lastDate = day;
        }
        result.times.append(periodTimeText(day, sittings[p % perDay]));
    }
    result.layout = dailyLayout(calendar.periods, perDay);
    return result;
}

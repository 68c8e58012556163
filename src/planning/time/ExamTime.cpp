#include "time/ExamTime.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <numeric>

namespace {

const QStringList weekdayNames = { QStringLiteral("星期一"), QStringLiteral("星期二"), QStringLiteral("星期三"),
                                   QStringLiteral("星期四"), QStringLiteral("星期五"), QStringLiteral("星期六"),
                                   QStringLiteral("星期日") };

// The text with full-width digits, colons, dashes and blanks in their plain
// forms, every run of blanks one space, trimmed.
QString plain(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.normalized(QString::NormalizationForm_KC).replace(blanks, QStringLiteral(" ")).trimmed();
}

// A date at the start of a plain text; captures year, month, day.
const QString datePattern = QStringLiteral("([0-9]{4}) ?[-/.年] ?([0-9]{1,2}) ?[-/.月] ?([0-9]{1,2})(?![0-9]) ?日?");

QDate dateOf(const QRegularExpressionMatch& match)
{
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

bool usable(const QDate& date)
{
    return date >= earliestExamDate() && date <= latestExamDate();
}

QString dayText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

// The sitting of a plain text, or why there is none (a reason that reads
// after "无法识别：").
std::optional<Sitting> sittingOf(const QString& text, QString& reason)
{
    static const QRegularExpression clock(
        QStringLiteral("^([0-9]{1,2}) ?: ?([0-9]{2}) ?(?:-|~|—|–|至|到) ?([0-9]{1,2}) ?: ?([0-9]{2})$"));
    const QRegularExpressionMatch match = clock.match(text);
    const auto minutes = [&match](int hour, int minute) {
        const int h = match.captured(hour).toInt(), m = match.captured(minute).toInt();
        return h <= 23 && m <= 59 ? h * 60 + m : -1;
    };
    if (!match.hasMatch() || minutes(1, 2) < 0 || minutes(3, 4) < 0) {
        reason = QStringLiteral("起止时间应写成 08:00-10:00 这样");
        return std::nullopt;
    }
    const Sitting sitting { minutes(1, 2), minutes(3, 4) };
    if (sitting.end <= sitting.start) {
        reason = QStringLiteral("结束时间不晚于开始时间");
        return std::nullopt;
    }
    return sitting;
}

QString timeFault(const QString& text, const QString& reason)
{
    return QStringLiteral("考试时间“%1”无法识别：%2。请写成 2027-01-11 星期一 08:00-10:00 这样的时间。")
        .arg(text.trimmed(), reason);
}

} // namespace

QString Sitting::text() const
{
    const auto clock = [](int minutes) {
        return QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
    };
    return clock(start) + QLatin1Char('-') + clock(end);
}

QString ExamTime::text() const
{
    return dateText() + QLatin1Char(' ') + sitting.text();
}

QString ExamTime::dateText() const
{
    return dayText(date) + QLatin1Char(' ') + weekdayNames[date.dayOfWeek() - 1];
}

QDate earliestExamDate()
{
    return QDate(2000, 1, 1);
}

QDate latestExamDate()
{
    return QDate(2099, 12, 31);
}

SittingReading readSitting(const QString& text)
{
    SittingReading reading;
    const QString clock = plain(text);
    if (clock.isEmpty()) {
        reading.fault = QStringLiteral("场次时间是空的，请填写（如 08:00-10:00）。");
        return reading;
    }
    QString reason;
    reading.sitting = sittingOf(clock, reason);
    if (!reading.sitting)
        reading.fault = QStringLiteral("场次时间“%1”无法识别：%2。").arg(text.trimmed(), reason);
    return reading;
}

ExamTimeReading readExamTime(const QString& text)
{
    ExamTimeReading reading;
    const QString time = plain(text);
    if (time.isEmpty()) {
        reading.fault = QStringLiteral("考试时间是空的。");
        return reading;
    }
    static const QRegularExpression dated(QStringLiteral("^") + datePattern
                                          + QStringLiteral(" ?(?:(?:星期|周|礼拜)([一二三四五六日天]))? ?(.*)$"));
    const QRegularExpressionMatch match = dated.match(time);
    if (!match.hasMatch()) {
        reading.fault = timeFault(text, QStringLiteral("开头没有日期"));
        return reading;
    }
    const QDate date = dateOf(match);
    if (!date.isValid()) {
        reading.fault = timeFault(text, QStringLiteral("没有 %1 年 %2 月 %3 日这一天")
                                            .arg(match.captured(1), match.captured(2), match.captured(3)));
        return reading;
    }
    if (!usable(date)) {
        reading.fault = timeFault(text, QStringLiteral("日期不在 %1 至 %2 之间")
                                            .arg(dayText(earliestExamDate()), dayText(latestExamDate())));
        return reading;
    }
    if (const QString weekday = match.captured(4); !weekday.isEmpty()) {
        const int day = QStringLiteral("一二三四五六日").indexOf(weekday == QStringLiteral("天") ? QStringLiteral("日") : weekday) + 1;
        if (day != date.dayOfWeek()) {
            reading.fault = timeFault(text, QStringLiteral("%1 是%2，不是星期%3")
                                                .arg(dayText(date), weekdayNames[date.dayOfWeek() - 1], weekday));
            return reading;
        }
    }
    if (match.captured(5).isEmpty()) {
        reading.fault = timeFault(text, QStringLiteral("日期后面没有起止时间"));
        return reading;
    }
    QString reason;
    if (const auto sitting = sittingOf(match.captured(5), reason))
        reading.time = ExamTime { date, *sitting };
    else
        reading.fault = timeFault(text, reason);
    return reading;
}

QDate readExamDate(const QString& text)
{
    static const QRegularExpression whole(QStringLiteral("^") + datePattern + QStringLiteral("$"));
    const QRegularExpressionMatch match = whole.match(plain(text));
    return match.hasMatch() ? dateOf(match) : QDate();
}

bool examTimesMeet(const QString& a, const QString& b)
{
    const ExamTimeReading x = readExamTime(a), y = readExamTime(b);
    if (x.time && y.time)
        return x.time->overlaps(*y.time);
    const QString p = plain(a);
    return !p.isEmpty() && p.compare(plain(b), Qt::CaseInsensitive) == 0;
}

QString examDayKey(const QString& text)
{
    if (const auto time = readExamTime(text).time)
        return dayText(time->date);
    const QString first = plain(text).section(QLatin1Char(' '), 0, 0);
    const QDate date = readExamDate(first);
    return date.isValid() ? dayText(date) : first;
}

std::vector<int> timesSatTogether(const QStringList& times)
{
    std::vector<int> group(size_t(times.size()));
    std::iota(group.begin(), group.end(), 0);
    const auto root = [&group](int i) {
        while (group[size_t(i)] != i)
            i = group[size_t(i)] = group[size_t(group[size_t(i)])];
        return i;
    };
    for (int i = 0; i < int(times.size()); ++i)
        for (int j = i + 1; j < int(times.size()); ++j)
            if (examTimesMeet(times[i], times[j])) {
                const int a = root(i), b = root(j);
                group[size_t(std::max(a, b))] = std::min(a, b);
            }
    for (int i = 0; i < int(times.size()); ++i)
        group[size_t(i)] = root(i);
    return group;
}

#include "rooms/Sittings.h"

#include "Connection.h"
#include "time/ExamTime.h"

#include <algorithm>

bool numberBefore(const QString& a, const QString& b)
{
    bool okA = false, okB = false;
    const qlonglong na = a.toLongLong(&okA), nb = b.toLongLong(&okB);
    if (okA != okB)
        return okA;
    if (okA && na != nb)
        return na < nb;
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

int Sittings::timeOf(const QString& period)
{
    const auto at = ofPeriod.constFind(period);
    if (at != ofPeriod.constEnd())
        return *at;
    times.append({QStringLiteral("第%1场").arg(period), {period}});
    ofPeriod.insert(period, int(times.size()) - 1);
    return int(times.size()) - 1;
}

Sittings readSittings(Connection& connection)
{
    std::vector<std::pair<QString, QString>> periods;
    connection.run(SqlText("select cc,kssj from t_cc"), [&](const QStringList&, const QVariantList& row) {
        periods.push_back({row[0].toString().trimmed(), row[1].toString().trimmed()});
    });
    std::stable_sort(periods.begin(), periods.end(), [](const auto& a, const auto& b) { return numberBefore(a.first, b.first); });

    // Periods whose times meet, however spelt, sit in their rooms at once:
    // one sitting, one run of seat numbers.
    QStringList times;
    for (const auto& period : periods)
        times.append(period.second);
    const std::vector<int> group = timesSatTogether(times);

    Sittings s;
    QHash<int, int> sittingOfGroup;
    for (std::size_t i = 0; i < periods.size(); ++i) {
        const auto& [period, time] = periods[i];
        if (s.ofPeriod.contains(period))
            continue;
        if (time.isEmpty()) {
            s.timeOf(period);
            continue;
        }
        auto at = sittingOfGroup.find(group[i]);
        if (at == sittingOfGroup.end()) {
            s.times.append({time, {}});
            at = sittingOfGroup.insert(group[i], int(s.times.size()) - 1);
        }
        s.times[*at].periods.append(period);
        s.ofPeriod.insert(period, *at);
    }
    return s;
}

#include "overview/Shortfalls.h"

#include "QuerySlot.h"
#include "SlotSteps.h"
#include "time/ExamTime.h"

#include <QMap>
#include <QPair>

namespace {

QString field(QuerySlot& q, const char* name)
{
    return q.FieldByName(QString::fromLatin1(name)).AsString().trimmed();
}

int number(QuerySlot& q, const char* name)
{
    return q.FieldByName(QString::fromLatin1(name)).AsVariant().toInt();
}

// The time each period is sat at, as the index of its group of periods sat
// together (times that meet, however spelt); a period without a time is a
// time of its own.
struct PeriodTimes {
    QHash<QString, QString> text;
    QHash<QString, int> group;

    QString groupOf(const QString& period) const
    {
        const auto at = group.constFind(period);
        return at == group.constEnd() ? QStringLiteral("#") + period : QString::number(*at);
    }
};

PeriodTimes readPeriodTimes(QuerySlot& q)
{
    openOn(q, "select cc, kssj from t_cc");
    QStringList periods, times;
    for (q.First(); !q.Eof(); q.Next()) {
        periods.append(field(q, "cc"));
        times.append(field(q, "kssj"));
    }
    const std::vector<int> together = timesSatTogether(times);
    PeriodTimes read;
    for (int i = 0; i < int(periods.size()); ++i) {
        if (read.group.contains(periods[i]) || times[i].isEmpty())
            continue;
        read.text.insert(periods[i], times[i]);
        read.group.insert(periods[i], together[size_t(i)]);
    }
    return read;
}

} // namespace

QString Shortfalls::question(const QString& what, RoomlessCandidates roomless) const
{
    if (unseated == 0 && shortRooms == 0)
        return {};
    QString text;
    if (unseated > 0) {
        text += QStringLiteral("有 %1 名考生的试卷还没有教室，").arg(unseated);
        switch (roomless) {
        case RoomlessCandidates::Left:
            text += QStringLiteral("%1的内容中没有他们。\n").arg(what);
            break;
        case RoomlessCandidates::RoomBlank:
            text += QStringLiteral("%1的表中有他们，但教室一栏是空的。\n").arg(what);
            break;
        case RoomlessCandidates::Counted:
            text += QStringLiteral("日历中他们只记在所在场次的“未排教室”人数中。\n");
            break;
        }
    }
    if (shortRooms > 0)
        text += QStringLiteral("有 %1 个考场的监考教师少于需要的人数。\n").arg(shortRooms);
    return text + QStringLiteral("是否仍要%1？").arg(what);
}

Shortfalls readShortfalls(QuerySlot& q, const QString& time, const InvigilationTerms& terms)
{
    const QString wanted = time.trimmed();
    const PeriodTimes times = readPeriodTimes(q);
    const auto inScope = [&](const QString& period) {
        return wanted.isEmpty() || examTimesMeet(times.text.value(period), wanted);
    };

    Shortfalls found;
    openOn(q, "select t_kscs.cc as cc, sum(t_hbkrs.Num) as n from t_kscs join t_hbkrs on t_hbkrs.sjxh=t_kscs.sjxh"
              " where t_kscs.jsid not in (select jsid from t_js) group by t_kscs.cc");
    for (q.First(); !q.Eof(); q.Next()) {
        const QString period = field(q, "cc");
        if (!inScope(period))
            continue;
        found.unseatedIn[period] += number(q, "n");
        found.unseated += number(q, "n");
    }

    openOn(q, "select (select count(*) from t_jkjs) + (select count(*) from t_jkap) as n");
    if (number(q, "n") > 0) {
        struct Room {
            int candidates = 0;
            int duties = 0;
            QStringList periods;
        };
        QMap<QPair<QString, int>, Room> rooms; // by group of periods sat together and room id
        openOn(q, "select t_kscs.cc as cc, t_kscs.jsid as jsid, sum(t_hbkrs.Num) as n from t_kscs"
                  " join t_js on t_js.jsid=t_kscs.jsid join t_hbkrs on t_hbkrs.sjxh=t_kscs.sjxh group by t_kscs.cc, t_kscs.jsid");
        for (q.First(); !q.Eof(); q.Next()) {
            const QString period = field(q, "cc");
            Room& room = rooms[{times.groupOf(period), number(q, "jsid")}];
            room.candidates += number(q, "n");
            room.periods.append(period);
        }
        openOn(q, "select cc, jsid, count(*) as n from t_jkap group by cc, jsid");
        for (q.First(); !q.Eof(); q.Next()) {
            const QString period = field(q, "cc");
            const auto room = rooms.find({times.groupOf(period), number(q, "jsid")});
            if (room != rooms.end())
                room->duties += number(q, "n");
        }
        for (const Room& room : rooms) {
            if (room.duties >= terms.needed(room.candidates) || !inScope(room.periods.first()))
                continue;
            ++found.shortRooms;
            for (const QString& period : room.periods)
                ++found.shortRoomsIn[period];
        }
    }
    q.Close();
    return found;
}

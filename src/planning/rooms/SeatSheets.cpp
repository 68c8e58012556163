#include "rooms/SeatSheets.h"

#include "DataModule.h"
#include "rooms/Sittings.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>
#include <numeric>

namespace {

// Who watches each room at each time, names in list order, once each.
QHash<QString, QStringList> invigilatorsByRoom(Connection& connection, Sittings& sittings)
{
    QHash<QString, QStringList> names;
    connection.run(SqlText("select t_jkap.cc,t_jkap.jsid,t_jkjs.xm from t_jkap join t_jkjs on t_jkjs.jkid=t_jkap.jkid"
                           " order by t_jkjs.jkid"),
                   [&](const QStringList&, const QVariantList& row) {
                       const QString key = QStringLiteral("%1/%2").arg(sittings.timeOf(row[0].toString().trimmed())).arg(row[1].toInt());
                       const QString name = row[2].toString().trimmed();
                       if (!name.isEmpty() && !names[key].contains(name))
                           names[key].append(name);
                   });
    return names;
}

} // namespace

QList<SeatedRoomSheet> seatedRooms(DataModule& dm, const QString& time)
{
    Connection& connection = dm.ADOConnection1;
    Sittings sittings = readSittings(connection);
    const QString wanted = time.trimmed().toLower();
    std::map<std::pair<int, int>, SeatedRoomSheet> rooms;
    // From the placements of the time's periods, so that a time's papers read
    // only its own candidates.
    SqlText statement("select t_kscs.cc,t_kscs.jsid,t_js.jsm,t_js.ps,t_js.ls,coalesce(t_zw.zwh,0),coalesce(t_zw.pai,0),"
                      "coalesce(t_zw.lie,0),t_bjgmd.xh,t_bjgmd.xm,t_bjgmd.kcmc,t_bjgmd.sjxh,t_bjgmd.hbk"
                      " from t_kscs join t_bjgmd on t_bjgmd.sjxh=t_kscs.sjxh join t_js on t_js.jsid=t_kscs.jsid"
                      " left join t_zw on t_zw.rid=t_bjgmd.rid and t_zw.cc=t_kscs.cc and t_zw.jsid=t_kscs.jsid");
    if (const SqlText periods = periodsOfTime(sittings, time, "t_kscs.cc"); !periods.isEmpty())
        statement.append(" where").append(periods);
    connection.run(statement, [&](const QStringList&, const QVariantList& row) {
        const int t = sittings.timeOf(row[0].toString().trimmed());
        if (!wanted.isEmpty() && sittings.times[t].text.toLower() != wanted)
            return;
        SeatedRoomSheet& sheet = rooms[{t, row[1].toInt()}];
        if (sheet.room.isEmpty()) {
            sheet.time = sittings.times[t].text;
            sheet.room = row[2].toString().trimmed();
            sheet.shape = {row[3].toInt(), row[4].toInt()};
        }
        const int seat = row[5].toInt();
        if (seat <= 0) {
            ++sheet.unseated;
            return;
        }
        const SeatPlace place{row[6].toInt(), row[7].toInt()};
        sheet.shape.rows = std::max(sheet.shape.rows, place.row);
        sheet.shape.columns = std::max(sheet.shape.columns, place.column);
        sheet.candidates.push_back({seat, place, row[8].toString().trimmed(), row[9].toString().trimmed(),
                                    row[10].toString().trimmed(), row[11].toString().trimmed(), row[12].toString().trimmed()});
    });
    const QHash<QString, QStringList> watching = invigilatorsByRoom(connection, sittings);
    std::vector<std::pair<int, SeatedRoomSheet>> ordered;
    for (auto& [key, sheet] : rooms) {
        std::sort(sheet.candidates.begin(), sheet.candidates.end(),
                  [](const SeatedCandidate& a, const SeatedCandidate& b) { return a.seat < b.seat; });
        QHash<QString, int> paperAt;
        for (const SeatedCandidate& c : sheet.candidates) {
            auto at = paperAt.find(c.paper);
            if (at == paperAt.end()) {
                at = paperAt.insert(c.paper, int(sheet.papers.size()));
                sheet.papers.append({c.paper, {}, c.seat, c.seat, 0});
            }
            RoomPaper& paper = sheet.papers[*at];
            paper.lastSeat = c.seat;
            ++paper.candidates;
            if (!paper.courses.contains(c.course))
                paper.courses.append(c.course);
        }
        sheet.invigilators = watching.value(QStringLiteral("%1/%2").arg(key.first).arg(key.second));
        ordered.push_back({key.first, std::move(sheet)});
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : QString::compare(a.second.room, b.second.room, Qt::CaseInsensitive) < 0;
    });
    QList<SeatedRoomSheet> out;
    for (auto& [t, sheet] : ordered)
        out.append(std::move(sheet));
    return out;
}

QList<StudentNotice> studentNotices(DataModule& dm, const QString& time)
{
    Connection& connection = dm.ADOConnection1;
    Sittings sittings = readSittings(connection);
    const QString wanted = time.trimmed().toLower();
    // A student's notice as read, with the sitting and period of each paper
    // to put them in order by.
    struct Student {
        StudentNotice notice;
        std::vector<std::pair<int, QString>> when;
        bool sitsWanted = false;
    };
    QHash<QString, Student> students;
    // Courses, papers and rooms recur on thousands of notices: each text is
    // held once.
    QSet<QString> texts;
    const auto shared = [&texts](const QString& text) { return *texts.insert(text.trimmed()); };
    // All the papers of the time's students only.
    SqlText statement("select t_bjgmd.xh,t_bjgmd.xm,t_bjgmd.kcmc,t_bjgmd.sjxh,t_kscs.cc,coalesce(t_js.jsm,''),"
                      "coalesce(t_zw.zwh,0)"
                      " from t_bjgmd join t_kscs on t_kscs.sjxh=t_bjgmd.sjxh left join t_js on t_js.jsid=t_kscs.jsid"
                      " left join t_zw on t_zw.rid=t_bjgmd.rid and t_zw.cc=t_kscs.cc and t_zw.jsid=t_kscs.jsid");
    if (const SqlText periods = periodsOfTime(sittings, time, "sitting.cc"); !periods.isEmpty())
        statement.append(" where trim(t_bjgmd.xh) in (select trim(sitter.xh) from t_kscs sitting"
                         " join t_bjgmd sitter on sitter.sjxh=sitting.sjxh where")
            .append(periods)
            .append(")");
    connection.run(statement, [&](const QStringList&, const QVariantList& row) {
        const QString period = shared(row[4].toString());
        const int t = sittings.timeOf(period);
        const QString id = row[0].toString().trimmed();
        Student& student = students[id];
        if (student.notice.student.isEmpty())
            student.notice = {id, row[1].toString().trimmed(), {}};
        student.notice.papers.append({shared(row[2].toString()), shared(row[3].toString()), sittings.times[t].text,
                                      shared(row[5].toString()), row[6].toInt()});
        student.when.push_back({t, period});
        if (wanted.isEmpty() || sittings.times[t].text.toLower() == wanted)
            student.sitsWanted = true;
    });
    QStringList order;
    for (auto s = students.cbegin(); s != students.cend(); ++s)
        if (s->sitsWanted)
            order.append(s.key());
    std::sort(order.begin(), order.end(), numberBefore);
    QList<StudentNotice> out;
    out.reserve(order.size());
    for (const QString& id : order) {
        Student& student = students[id];
        std::vector<qsizetype> byTime(student.when.size());
        std::iota(byTime.begin(), byTime.end(), qsizetype(0));
        std::stable_sort(byTime.begin(), byTime.end(), [&](qsizetype a, qsizetype b) {
            const auto& [ta, pa] = student.when[a];
            const auto& [tb, pb] = student.when[b];
            return ta != tb ? ta < tb : numberBefore(pa, pb);
        });
        StudentNotice& notice = out.emplaceBack(std::move(student.notice));
        QList<NoticePaper> papers;
        papers.reserve(notice.papers.size());
        for (const qsizetype i : byTime)
            papers.append(notice.papers[i]);
        notice.papers = std::move(papers);
        student.when = {};
    }
    return out;
}

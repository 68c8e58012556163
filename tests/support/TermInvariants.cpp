#include "TermInvariants.h"

#include "TestDatabase.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <optional>

namespace {

// When a period is sat: a date with a clock interval, or else its text.
struct Moment {
    QDate date;
    int start = 0;
    int end = 0;
    QString text; // folded; empty for no time at all

    bool timed() const { return date.isValid(); }
    bool meets(const Moment& o) const
    {
        if (timed() && o.timed())
            return date == o.date && start < o.end && o.start < end;
        return !timed() && !o.timed() && !text.isEmpty() && text == o.text;
    }
};

QString folded(const QString& text)
{
    return text.normalized(QString::NormalizationForm_KC).simplified().toLower();
}

QDate dateIn(const QString& text)
{
    static const QRegularExpression date(QStringLiteral("(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})"));
    const QRegularExpressionMatch m = date.match(folded(text));
    return m.hasMatch() ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()) : QDate();
}

Moment momentOf(const QString& text)
{
    static const QRegularExpression clock(
        QStringLiteral("(\\d{1,2})\\s*:\\s*(\\d{2})\\s*[-~～—至]\\s*(\\d{1,2})\\s*:\\s*(\\d{2})"));
    Moment m;
    m.text = folded(text);
    const QDate date = dateIn(text);
    const QRegularExpressionMatch c = clock.match(m.text);
    if (date.isValid() && c.hasMatch()) {
        m.date = date;
        m.start = c.captured(1).toInt() * 60 + c.captured(2).toInt();
        m.end = c.captured(3).toInt() * 60 + c.captured(4).toInt();
    }
    return m;
}

// Periods by folded number: their time (t_cc's first row), or none.
class Periods {
public:
    explicit Periods(TestDatabase& db)
    {
        for (const QString& row : db.rows("select lower(trim(cc)), kssj from t_cc order by rowid")) {
            const QString cc = row.section(u'|', 0, 0);
            if (!when.contains(cc))
                when.insert(cc, momentOf(row.section(u'|', 1)));
        }
    }
    bool atOnce(const QString& a, const QString& b) const { return a == b || when.value(a).meets(when.value(b)); }
    Moment at(const QString& cc) const { return when.value(cc); }
    QStringList all() const { return when.keys(); }

private:
    QHash<QString, Moment> when;
};

void students(TestDatabase& db, const Periods& periods, QStringList& faults)
{
    QHash<QString, QList<QPair<QString, QString>>> sits; // student: (paper, period)
    for (const QString& row : db.rows("select distinct lower(trim(b.xh)), lower(trim(k.sjxh)), lower(trim(k.cc))"
                                      " from t_bjgmd b join t_kscs k on k.sjxh = b.sjxh"))
        sits[row.section(u'|', 0, 0)].append({row.section(u'|', 1, 1), row.section(u'|', 2, 2)});
    for (auto it = sits.cbegin(); it != sits.cend(); ++it)
        for (qsizetype i = 0; i < it->size(); ++i)
            for (qsizetype j = i + 1; j < it->size(); ++j)
                if ((*it)[i].first != (*it)[j].first && periods.atOnce((*it)[i].second, (*it)[j].second))
                    faults.append(QStringLiteral("student %1 sits papers %2 (period %3) and %4 (period %5) at once")
                                      .arg(it.key(), (*it)[i].first, (*it)[i].second, (*it)[j].first, (*it)[j].second));
}

void seats(TestDatabase& db, QStringList& faults)
{
    for (const QString& row : db.rows("select b.rid, b.sjxh, (select count(*) from t_kscs k where k.sjxh = b.sjxh)"
                                      " from t_bjgmd b where (select count(*) from t_kscs k where k.sjxh = b.sjxh) > 1"))
        faults.append(QStringLiteral("seat: roster row %1 of paper %2 is placed %3 times").arg(row.section(u'|', 0, 0),
                          row.section(u'|', 1, 1), row.section(u'|', 2, 2)));
    for (const QString& row : db.rows("select k.sjxh, k.jsid from t_kscs k where k.jsid <> 0"
                                      " and not exists (select 1 from t_js r where r.jsid = k.jsid)"
                                      " and exists (select 1 from t_bjgmd b where b.sjxh = k.sjxh)"))
        faults.append(QStringLiteral("seat: paper %1 sits in room %2, which does not exist").arg(row.section(u'|', 0, 0),
                          row.section(u'|', 1, 1)));
}

void capacity(TestDatabase& db, const Periods& periods, QStringList& faults)
{
    // Per room name and period: seats and the students seated (each once per paper).
    QHash<QString, QHash<QString, int>> load;
    QHash<QString, int> capacityOf;
    for (const QString& row : db.rows(
             "select lower(r.jsm), lower(trim(k.cc)), count(distinct lower(trim(b.xh)) || '|' || lower(k.sjxh)),"
             " (select rnrs from t_js x where x.jsm = r.jsm order by x.jsid limit 1)"
             " from t_kscs k join t_js r on r.jsid = k.jsid join t_bjgmd b on b.sjxh = k.sjxh"
             " group by lower(r.jsm), lower(trim(k.cc))")) {
        const QStringList v = row.split(u'|');
        if (v[3].isEmpty())
            continue;
        load[v[0]][v[1]] = v[2].toInt();
        capacityOf[v[0]] = v[3].toInt();
    }
    for (auto room = load.cbegin(); room != load.cend(); ++room) {
        // The most at once is reached as some period begins.
        for (auto p = room->cbegin(); p != room->cend(); ++p) {
            const Moment mp = periods.at(p.key());
            int held = 0;
            for (auto q = room->cbegin(); q != room->cend(); ++q) {
                const Moment mq = periods.at(q.key());
                const bool during = mp.timed() && mq.timed() ? mq.date == mp.date && mq.start <= mp.start && mp.start < mq.end
                                                             : periods.atOnce(p.key(), q.key());
                if (during)
                    held += q.value();
            }
            if (held > capacityOf[room.key()])
                faults.append(QStringLiteral("capacity: room %1 holds %2 in %3 seats when period %4 begins")
                                  .arg(room.key())
                                  .arg(held)
                                  .arg(capacityOf[room.key()])
                                  .arg(p.key()));
        }
    }
}

// One item of a cannot-take list: a period number (the periods sat at once
// with it), a day, or a day with its clock time (the periods that overlap
// that sitting), the last written in two or three words.
struct Unavailable {
    QString text;
    QDate day;
    Moment sitting;

    bool rulesOut(const Periods& periods, const QString& period) const
    {
        if (sitting.timed())
            return periods.at(period).meets(sitting);
        if (day.isValid())
            return periods.at(period).date == day;
        bool number = false;
        text.toInt(&number);
        return number && periods.atOnce(period, text.toLower());
    }
};

QList<Unavailable> unavailable(const QString& list)
{
    static const QRegularExpression apart(QStringLiteral("[\\s,，、;；]+"));
    const QStringList words = list.split(apart, Qt::SkipEmptyParts);
    QList<Unavailable> items;
    for (qsizetype i = 0; i < words.size(); ++i) {
        Unavailable item{words[i], dateIn(words[i]), {}};
        for (qsizetype more = 1; item.day.isValid() && more <= 2 && i + more < words.size(); ++more) {
            const QString joined = words.mid(i, more + 1).join(u' ');
            if (const Moment m = momentOf(joined); m.timed()) {
                item = {joined, {}, m};
                i += more;
                break;
            }
        }
        items.append(item);
    }
    return items;
}

struct Duty {
    QString period;
    QString room; // folded name
    int sg = 0;
};

void invigilators(TestDatabase& db, const Periods& periods, QStringList& faults)
{
    QHash<QString, QList<Duty>> duties;
    for (const QString& row : db.rows("select d.jkid, lower(trim(d.cc)), lower(coalesce(r.jsm, '#' || d.jsid)), d.sg"
                                      " from t_jkap d left join t_js r on r.jsid = d.jsid"))
        duties[row.section(u'|', 0, 0)].append({row.section(u'|', 1, 1), row.section(u'|', 2, 2), row.section(u'|', 3, 3).toInt()});
    QHash<QString, QPair<int, QString>> people; // most duties, cannot-take list
    for (const QString& row : db.rows("select jkid, zdcs, bkcc from t_jkjs"))
        people.insert(row.section(u'|', 0, 0), {row.section(u'|', 1, 1).toInt(), row.section(u'|', 2)});

    for (auto it = duties.cbegin(); it != duties.cend(); ++it) {
        const QList<Duty>& list = *it;
        for (qsizetype i = 0; i < list.size(); ++i)
            for (qsizetype j = i + 1; j < list.size(); ++j)
                if (list[i].room != list[j].room && periods.atOnce(list[i].period, list[j].period))
                    faults.append(QStringLiteral("twice: invigilator %1 is in rooms %2 and %3 at once")
                                      .arg(it.key(), list[i].room, list[j].room));
        if (!people.contains(it.key())) {
            faults.append(QStringLiteral("twice: duties of invigilator %1, who is not listed").arg(it.key()));
            continue;
        }
        const auto& [most, cannot] = people[it.key()];
        const bool automatic = std::any_of(list.begin(), list.end(), [](const Duty& d) { return d.sg == 0; });
        if (automatic && list.size() > most)
            faults.append(QStringLiteral("most: invigilator %1 has %2 duties, at most %3").arg(it.key()).arg(list.size()).arg(most));
        for (const Unavailable& item : unavailable(cannot))
            for (const Duty& d : list)
                if (item.rulesOut(periods, d.period))
                    faults.append(QStringLiteral("cannot: invigilator %1 watches period %2, ruled out by %3")
                                      .arg(it.key(), d.period, item.text));
    }
}

void numbering(TestDatabase& db, QStringList& faults)
{
    const QStringList numbers = db.rows("select trim(cc) from t_cc order by rowid");
    QStringList expected;
    for (int k = 1; k <= numbers.size(); ++k)
        expected.append(QString::number(k));
    QStringList sorted = numbers;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    if (sorted != expected)
        faults.append(QStringLiteral("periods: t_cc holds %1").arg(numbers.join(u',')));
    for (const QString& cc : db.rows("select distinct trim(cc) from t_kscs where lower(trim(cc)) not in"
                                     " (select lower(trim(cc)) from t_cc)"))
        faults.append(QStringLiteral("periods: period %1 is in use but not in t_cc").arg(cc));
}

void emptyRooms(TestDatabase& db, const Periods& periods, QStringList& faults)
{
    QHash<QString, QSet<QString>> held; // room name: periods it holds candidates in
    for (const QString& row : db.rows("select distinct lower(r.jsm), lower(trim(k.cc)) from t_kscs k"
                                      " join t_js r on r.jsid = k.jsid join t_bjgmd b on b.sjxh = k.sjxh"))
        held[row.section(u'|', 0, 0)].insert(row.section(u'|', 1, 1));
    for (const QString& row : db.rows("select distinct lower(trim(d.cc)), lower(coalesce(r.jsm, '#' || d.jsid))"
                                      " from t_jkap d left join t_js r on r.jsid = d.jsid")) {
        const QString period = row.section(u'|', 0, 0);
        const QString room = row.section(u'|', 1);
        const QSet<QString> in = held.value(room);
        if (!std::any_of(in.begin(), in.end(), [&](const QString& p) { return periods.atOnce(p, period); }))
            faults.append(QStringLiteral("empty: a duty in room %1 of period %2, which holds nobody then").arg(room, period));
    }
}

} // namespace

QStringList termFaults(TestDatabase& db)
{
    const Periods periods(db);
    QStringList faults;
    students(db, periods, faults);
    seats(db, faults);
    capacity(db, periods, faults);
    invigilators(db, periods, faults);
    numbering(db, faults);
    emptyRooms(db, periods, faults);
    return faults;
}

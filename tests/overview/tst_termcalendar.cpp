// The term's calendar: where each period lands, its figures, the empty
// states, and the days' figures against counts made here from the raw rows.
#include "DataModule.h"
#include "overview/TermCalendar.h"
#include "TestDatabase.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

namespace {

// Students S1..S4 over papers 1..5; S1 sits 1, 2 and 3, S2 sits 1 and 3,
// S3 sits 2 and 5, S4 sits 4 alone.
const QStringList roster = {
    "1|K1|S1|甲|C1|高等数学|王|数学系||补考", "1|K1|S2|乙|C1|高等数学|王|数学系||补考",
    "1|K2|S5|丙|C2|线性代数|李|数学系||缓考", "2|K3|S1|甲|C3|大学英语|赵|外语系||补考",
    "2|K3|S3|丁|C3|大学英语|赵|外语系||补考", "3|K5|S1|甲|C5|大学物理|张|物理系||补考",
    "3|K5|S2|乙|C5|大学物理|张|物理系||补考", "4|K6|S4|戊|C6|日语|钱|外语系||补考",
    "5|K7|S3|丁|C7|思想道德修养与法律基础|孙|马克思主义学院||补考",
};

QStringList numbers(const QList<CalendarPeriod>& periods)
{
    QStringList out;
    for (const CalendarPeriod& p : periods)
        out.append(p.period);
    return out;
}

// The days' figures as this test counts them: the date is the time's first
// ten characters, the sitting its last word, and sittings are in a row when
// they are neighbours in the sorted list of the term's sittings.
QMap<QString, QList<int>> countedDays(TestDatabase& db)
{
    QHash<QString, QString> periodOfPaper, timeOfPeriod;
    for (const QString& row : db.rows("select sjxh, cc from t_kscs"))
        periodOfPaper.insert(row.section(u'|', 0, 0), row.section(u'|', 1, 1));
    QStringList sittings;
    for (const QString& row : db.rows("select cc, kssj from t_cc")) {
        const QString time = row.section(u'|', 1);
        timeOfPeriod.insert(row.section(u'|', 0, 0), time);
        const QString sitting = time.section(u' ', -1);
        if (time.size() > 10 && !sittings.contains(sitting))
            sittings.append(sitting);
    }
    sittings.sort();
    QMap<QString, QList<int>> days; // date: candidates, two papers, two in a row
    for (const QString& time : timeOfPeriod)
        if (time.size() > 10)
            days[time.left(10)] = {0, 0, 0};
    QMap<QPair<QString, QString>, QSet<QString>> papers; // (student, date): papers
    QMap<QPair<QString, QString>, QSet<int>> taken;      // (student, date): sitting indexes
    for (const QString& row : db.rows("select xh, sjxh from t_bjgmd")) {
        const QString time = timeOfPeriod.value(periodOfPaper.value(row.section(u'|', 1, 1)));
        if (time.size() <= 10)
            continue;
        const QString date = time.left(10);
        ++days[date][0];
        papers[{row.section(u'|', 0, 0), date}].insert(row.section(u'|', 1, 1));
        taken[{row.section(u'|', 0, 0), date}].insert(int(sittings.indexOf(time.section(u' ', -1))));
    }
    for (auto it = papers.cbegin(); it != papers.cend(); ++it) {
        if (it.value().size() < 2)
            continue;
        ++days[it.key().second][1];
        const QSet<int>& s = taken[it.key()];
        bool inARow = false;
        for (int i : s)
            inARow = inARow || s.contains(i + 1);
        days[it.key().second][2] += inARow ? 1 : 0;
    }
    return days;
}

QMap<QString, QList<int>> readDays(const TermCalendar& calendar)
{
    QMap<QString, QList<int>> days;
    for (const CalendarDay& d : calendar.days)
        days.insert(d.date.toString(Qt::ISODate), {d.candidates, d.twoPapers, d.twoInARow});
    return days;
}

} // namespace

class TestTermCalendar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyStates();
    void cellsOfATerm();
    void dayFiguresOfADrawnTerm();
};

void TestTermCalendar::emptyStates()
{
    TestDatabase db;
    DataModule dm;
    dm.reconfigure();
    QCOMPARE(readTermCalendar(dm).missing(), QStringLiteral("还没有导入名单（系统 → 导入数据）"));
    db.addRoster(roster);
    QCOMPARE(readTermCalendar(dm).missing(), QStringLiteral("还没有排考（编排 → 2.课程排考）"));
    db.exec("insert into t_kscs(cc, sjxh) values('1', '1'); insert into t_cc(cc) values('1')");
    const TermCalendar undated = readTermCalendar(dm);
    QCOMPARE(undated.missing(), QString());
    QVERIFY(undated.days.isEmpty());
    QCOMPARE(numbers(undated.undated), QStringList{"1"});
}

void TestTermCalendar::cellsOfATerm()
{
    TestDatabase db;
    db.addRoster(roster);
    db.exec("insert into t_js(jsid, jsm, rnrs) values(1, 'A101', 4), (2, 'A102', 2), (3, 'B201', 30)");
    // Papers 1 and 5 share room A101 in period 1; period 2 holds paper 2 in
    // A102 and paper 4 in a room deleted since (id 9); paper 3 is in period
    // 10 without a time; period 9 has a time without a date; period 4 was
    // left empty by a move; period 7, missing from t_cc, holds a paper no
    // longer in the roster in room B201.
    db.exec("insert into t_kscs(cc, sjxh, jsid) values('1','1',1), ('1','5',1), ('2','2',2), ('2','4',9),"
            " ('10','3',0), ('7','6',3)");
    db.exec("insert into t_cc(cc, kssj) values('1', '2027-01-11 星期一 08:00-10:00'), ('2', '2027-01-11 星期一 14:00-16:00'),"
            " ('10', ''), ('9', '补考周 上午'), ('4', '2027-01-13 星期三 08:00-10:00')");
    DataModule dm;
    dm.reconfigure();
    const TermCalendar c = readTermCalendar(dm);

    QCOMPARE(c.rosterRows, int(roster.size()));
    QCOMPARE(c.sittings, (QStringList{"08:00-10:00", "14:00-16:00"}));
    QCOMPARE(c.days.size(), 2);
    QCOMPARE(c.days[0].date, QDate(2027, 1, 11));
    QCOMPARE(c.days[1].date, QDate(2027, 1, 13));
    QCOMPARE(numbers(c.cells[0][0]), QStringList{"1"});
    QCOMPARE(numbers(c.cells[1][0]), QStringList{"2"});
    QCOMPARE(numbers(c.cells[0][1]), QStringList{"4"});
    QVERIFY(c.cells[1][1].isEmpty());
    QCOMPARE(numbers(c.undated), (QStringList{"7", "9", "10"}));

    const CalendarPeriod& first = c.cells[0][0][0];
    QCOMPARE(first.courses, (QStringList{"高等数学", "线性代数", "思想道德修养与法律基础"}));
    QCOMPARE(first.papers, 2);
    QCOMPARE(first.candidates, 4);
    QCOMPARE(first.rooms, 1);
    QCOMPARE(first.seats, 4);
    QCOMPARE(first.seated, 4);
    QCOMPARE(first.fullness(), 1.0);
    const CalendarPeriod& second = c.cells[1][0][0];
    QCOMPARE(second.candidates, 3);
    QCOMPARE(second.rooms, 1); // the deleted room is no room in use
    QCOMPARE(second.seated, 2);
    QCOMPARE(second.fullness(), 1.0);
    const CalendarPeriod& empty = c.cells[0][1][0];
    QCOMPARE(empty.candidates, 0);
    QCOMPARE(empty.fullness(), 0.0);
    QCOMPARE(c.undated[2].courses, QStringList{"大学物理"});
    QCOMPARE(c.undated[2].rooms, 0);
    QCOMPARE(c.undated[1].time, QStringLiteral("补考周 上午"));

    // 2027-01-11: S1 sits 1 and 2 (in a row), S3 sits 5 and 2 (in a row), S2 sits 1 only.
    QCOMPARE(c.days[0].candidates, 7);
    QCOMPARE(c.days[0].twoPapers, 2);
    QCOMPARE(c.days[0].twoInARow, 2);
    QCOMPARE(readDays(c), countedDays(db));
}

void TestTermCalendar::dayFiguresOfADrawnTerm()
{
    // 300 students drawing 1 to 5 of 40 papers, the papers spread over 16
    // periods on 4 days of 4 sittings (some twice, so two periods share a
    // cell), and the days' figures against this test's own count.
    TestDatabase db;
    QRandomGenerator random(20270111);
    QStringList rows;
    for (int s = 0; s < 300; ++s) {
        QSet<int> papers;
        const int count = 1 + int(random.bounded(5));
        while (papers.size() < count)
            papers.insert(1 + int(random.bounded(40)));
        for (int p : papers)
            rows.append(QStringLiteral("%1|K%1|S%2|学生|C%1|课程%1|教师|院系||补考").arg(p).arg(s));
    }
    db.addRoster(rows);
    const QStringList sittings{"08:00-10:00", "10:30-12:30", "14:00-16:00", "16:30-18:30"};
    for (int period = 1; period <= 16; ++period) {
        const int slot = (period * 5) % 14; // 16 periods in 14 slots: periods 15 and 16 share cells
        db.exec(QStringLiteral("insert into t_cc(cc, kssj) values('%1', '2027-01-%2 %3')")
                    .arg(period)
                    .arg(11 + slot / 4, 2, 10, QChar(u'0'))
                    .arg(sittings[slot % 4]));
    }
    for (int paper = 1; paper <= 40; ++paper)
        db.exec(QStringLiteral("insert into t_kscs(cc, sjxh) values('%1', '%2')").arg(1 + paper % 16).arg(paper));
    DataModule dm;
    dm.reconfigure();
    const TermCalendar c = readTermCalendar(dm);
    const auto counted = countedDays(db);
    QCOMPARE(readDays(c), counted);
    int twoPapers = 0, inARow = 0;
    for (const auto& d : counted) {
        twoPapers += d[1];
        inARow += d[2];
    }
    QVERIFY(twoPapers > 0 && inARow > 0 && inARow < twoPapers);
    QCOMPARE(c.periods().size(), 16);
}

QTEST_GUILESS_MAIN(TestTermCalendar)
#include "tst_termcalendar.moc"

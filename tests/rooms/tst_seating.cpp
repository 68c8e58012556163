// Seat numbers: the rules on hand-made rooms, then a term in the database
// seated, seated again (nothing written), and a candidate moved.
#include "CommitCount.h"
#include "DataModule.h"
#include "RoomTerms.h"
#include "TestDatabase.h"
#include "rooms/Seating.h"

#include <QSet>
#include <QTest>
#include <map>

Q_DECLARE_METATYPE(SeatingTerms)

class TestSeating : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void seatRules_data();
    void seatRules();
    void termIsSeatedOnceAndMovesClearOneSeat();
    void timeOfSeveralPeriodsIsOneSitting_data();
    void timeOfSeveralPeriodsIsOneSitting();
};

namespace {

// "A:3,B:2" -> candidates of paper A (学号 A-0..A-2, given in reverse), then B.
std::vector<SeatCandidate> candidates(const QString& papers)
{
    std::vector<SeatCandidate> out;
    qint64 rid = 1;
    for (const QString& part : papers.split(u',')) {
        const QString paper = part.section(u':', 0, 0);
        const int count = part.section(u':', 1, 1).toInt();
        for (int i = count - 1; i >= 0; --i)
            out.push_back({rid++, paper, QStringLiteral("%1%2").arg(paper).arg(i, 3, 10, QLatin1Char('0'))});
    }
    return out;
}

// Neighbour pairs (left-right, front-back among the columns in use) that
// sit one paper, counted from the seats themselves.
int sharedPairs(const std::vector<SeatCandidate>& cs, const SeatedRoom& room, int step)
{
    std::map<std::pair<int, int>, QString> paperAt;
    for (size_t i = 0; i < cs.size(); ++i) {
        const SeatPlace p = room.places[room.seatOf[i] - 1];
        paperAt[{p.row, (p.column - 1) / step}] = cs[i].paper;
    }
    int shared = 0;
    for (const auto& [at, paper] : paperAt)
        for (const auto& next : {std::pair{at.first, at.second + 1}, std::pair{at.first + 1, at.second}})
            if (paperAt.count(next) && paperAt[next] == paper)
                ++shared;
    return shared;
}

} // namespace

void TestSeating::seatRules_data()
{
    QTest::addColumn<QString>("papers");
    QTest::addColumn<int>("rows");     // of the room, 0 when not given
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<SeatingTerms>("terms");
    QTest::addColumn<int>("shapeRows");
    QTest::addColumn<int>("shapeColumns");
    QTest::addColumn<QList<int>>("lastPlace"); // row, column of the last seat
    QTest::addColumn<bool>("apart");           // no neighbours on one paper

    const SeatingTerms plain;
    SeatingTerms gaps;
    gaps.everyOther = true;
    SeatingTerms byRow;
    byRow.rowWise = true;
    SeatingTerms sixColumns;
    sixColumns.columns = 6;
    // Column by column in a snake: 10 seats down column 1 (5 rows) and back up column 2.
    QTest::newRow("one paper") << "A:10" << 0 << 0 << 40 << plain << 5 << 8 << QList<int>{1, 2} << true;
    QTest::newRow("two papers of equal size") << "A:20,B:20" << 0 << 0 << 40 << plain << 5 << 8 << QList<int>{1, 8} << true;
    QTest::newRow("three papers, none over half") << "A:9,B:8,C:7" << 0 << 0 << 30 << sixColumns << 5 << 6 << QList<int>{4, 5} << true;
    QTest::newRow("a paper holding more than half") << "A:30,B:10" << 0 << 0 << 40 << plain << 5 << 8 << QList<int>{1, 8} << false;
    // Every other column: 4 of 8 in use, so 40 seats become 20 and rows are added for 24.
    QTest::newRow("every other seat") << "A:12,B:12" << 0 << 0 << 40 << gaps << 6 << 8 << QList<int>{1, 7} << true;
    QTest::newRow("room with rows and columns") << "A:7,B:7" << 3 << 6 << 18 << plain << 3 << 6 << QList<int>{2, 5} << true;
    QTest::newRow("rows added behind a full room") << "A:10,B:10" << 3 << 6 << 18 << plain << 4 << 6 << QList<int>{4, 5} << true;
    QTest::newRow("row by row") << "A:5,B:5" << 0 << 0 << 16 << byRow << 2 << 8 << QList<int>{2, 7} << true;
    QTest::newRow("no capacity recorded") << "A:3" << 0 << 0 << 0 << plain << 1 << 8 << QList<int>{1, 3} << true;
}

void TestSeating::seatRules()
{
    QFETCH(QString, papers);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, capacity);
    QFETCH(SeatingTerms, terms);
    QFETCH(int, shapeRows);
    QFETCH(int, shapeColumns);
    QFETCH(QList<int>, lastPlace);
    QFETCH(bool, apart);

    const std::vector<SeatCandidate> cs = candidates(papers);
    const int n = int(cs.size());
    const RoomShape shape = roomShape(rows, columns, capacity, n, terms);
    QCOMPARE(shape.rows, shapeRows);
    QCOMPARE(shape.columns, shapeColumns);
    const SeatedRoom room = seatRoom(cs, shape, terms);

    // Every candidate once, seats 1..N without gaps, each at its own place
    // inside the room, the used columns only.
    QCOMPARE(int(room.seatOf.size()), n);
    QList<int> seats(room.seatOf.begin(), room.seatOf.end());
    std::sort(seats.begin(), seats.end());
    for (int i = 0; i < n; ++i)
        QCOMPARE(seats[i], i + 1);
    QSet<std::pair<int, int>> places;
    for (const SeatPlace& p : room.places) {
        QVERIFY(p.row >= 1 && p.row <= shape.rows && p.column >= 1 && p.column <= shape.columns);
        QVERIFY(!terms.everyOther || p.column % 2 == 1);
        places.insert({p.row, p.column});
    }
    QCOMPARE(int(places.size()), n);
    QCOMPARE(room.places.front(), (SeatPlace{1, 1}));
    QCOMPARE(room.places.back(), (SeatPlace{lastPlace[0], lastPlace[1]}));

    // Within a paper, seats follow the 学号.
    std::map<QString, std::vector<std::pair<QString, int>>> byPaper;
    for (int i = 0; i < n; ++i)
        byPaper[cs[i].paper].push_back({cs[i].student, room.seatOf[i]});
    for (auto& [paper, members] : byPaper) {
        std::sort(members.begin(), members.end());
        for (size_t k = 1; k < members.size(); ++k)
            QVERIFY2(members[k - 1].second < members[k].second, qPrintable(paper));
    }

    // The count the clerk is told is what the seats show.
    const int shared = byPaper.size() > 1 ? sharedPairs(cs, room, terms.everyOther ? 2 : 1) : 0;
    QCOMPARE(room.sharedNeighbours, shared);
    QCOMPARE(room.papers, int(byPaper.size()));
    QCOMPARE(shared == 0, apart);
}

namespace {

// Period 1 at one time: P1 (2 courses, 6 + 4) and P2 (5) in A101 (rows and
// columns given), P3 (8) in B202. Period 2 at another time: P4 (3) in A101.
void fillTerm(TestDatabase& db)
{
    db.addRoster(course("P1", "K1", "高等数学", 6) + course("P1", "K2", "线性代数", 4) + course("P2", "K3", "大学物理", 5)
                 + course("P3", "K4", "大学英语", 8) + course("P4", "K5", "䶮𪚥文选", 3));
    db.exec("INSERT INTO t_js(jsm,rnrs,ps,ls) VALUES('A101',30,5,6),('B202',40,0,0),('C303',40,0,0);"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P1','P1',1),('1','P2','P2',1),('1','P3','P3',2),('2','P4','P4',1);"
            "INSERT INTO t_cc(cc,kssj) VALUES('1','2027-01-11 星期一 08:00-10:00'),('2','2027-01-11 星期一 14:00-16:00');");
}

const char* const seatRows = "select rid, cc, jsid, zwh, pai, lie from t_zw order by rid";

} // namespace

void TestSeating::termIsSeatedOnceAndMovesClearOneSeat()
{
    TestDatabase db;
    fillTerm(db);
    DataModule dm;
    dm.reconfigure();
    QCOMPARE(roomsNeedingSeats(dm).size(), 3);

    SeatingRun run = arrangeSeats(dm, SeatingTerms{});
    QCOMPARE(run.rooms, 3);
    QCOMPARE(run.candidates, 26);
    // P1 holds 10 of A101's 15 candidates: some of its neighbours must share it.
    QCOMPARE(run.shared.size(), 1);
    QCOMPARE(run.shared[0].room, QString("A101"));
    QCOMPARE(run.shared[0].candidates, 15);
    QVERIFY(run.shared[0].sharedNeighbours > 0);
    QVERIFY(seatingReport(run).contains(QStringLiteral("2027-01-11 星期一 08:00-10:00 A101（15 人）：%1 对相邻考生同卷")
                                            .arg(run.shared[0].sharedNeighbours)));
    QCOMPARE(db.scalar("select count(*) from t_zw"), QString("26"));
    QCOMPARE(db.rows("select distinct typeof(zwh) || typeof(pai) || typeof(lie) || typeof(cc) from t_zw"),
             QStringList{"integerintegerintegertext"});
    // Per room and period, seats 1..N, each at its own place.
    QCOMPARE(db.rows("select z.jsid, z.cc, count(*), min(zwh), max(zwh), count(distinct zwh), count(distinct pai*100+lie)"
                     " from t_zw z group by z.jsid, z.cc order by 1, 2"),
             (QStringList{"1|1|15|1|15|15|15", "1|2|3|1|3|3|3", "2|1|8|1|8|8|8"}));
    QVERIFY(roomsNeedingSeats(dm).isEmpty());

    // A second run writes nothing, not even a commit's worth.
    const QStringList before = db.rows(seatRows);
    {
        CommitCount commits(dm.ADOConnection1.engineHandle());
        run = arrangeSeats(dm, SeatingTerms{});
        QCOMPARE(run.rooms, 0);
        QCOMPARE(run.kept, 3);
        QCOMPARE(db.rows(seatRows), before);
    }
    QCOMPARE(seatingReport(run), QString("所有考场都已有座位，没有改动。"));

    // P2 moves to C303: exactly its five seats go, and C303 needs seats.
    const QStringList others = db.rows("select rid, zwh from t_zw where rid not in (select rid from t_bjgmd where sjxh='P2') order by rid");
    db.exec("UPDATE t_kscs SET jsid=3 WHERE sjxh='P2'");
    QCOMPARE(db.rows("select rid, zwh from t_zw order by rid"), others);
    const QList<RoomToSeat> needing = roomsNeedingSeats(dm);
    QCOMPARE(needing.size(), 1);
    QCOMPARE(needing[0].room, QString("C303"));
    QCOMPARE(needing[0].unseated, 5);
    // A course split off onto a paper of its own loses its seats likewise.
    db.exec("UPDATE t_bjgmd SET sjxh='P9' WHERE kcxh='K2'");
    QCOMPARE(db.scalar("select count(*) from t_zw where rid in (select rid from t_bjgmd where kcxh='K2')"), QString("0"));

    // Seating again gives C303 its seats and leaves A101's as they are, gap and all.
    run = arrangeSeats(dm, SeatingTerms{});
    QCOMPARE(run.rooms, 1);
    QCOMPARE(db.rows("select rid, zwh from t_zw where rid not in (select rid from t_bjgmd where sjxh='P2') order by rid"),
             db.rows("select rid, zwh from t_zw where rid in (select rid from t_bjgmd where sjxh<>'P2' and kcxh<>'K2')"
                     " order by rid"));
    QCOMPARE(db.rows("select min(zwh), max(zwh), count(*) from t_zw where jsid=3"), QStringList{"1|5|5"});

    // Asked to, every room of one time is seated afresh; the other time keeps its seats.
    const QStringList otherTime = db.rows("select * from t_zw where cc='2'");
    run = arrangeSeats(dm, SeatingTerms{}, "2027-01-11 星期一 08:00-10:00", true);
    QCOMPARE(run.rooms, 3);
    QCOMPARE(db.rows("select * from t_zw where cc='2'"), otherTime);
}

// Two periods whose times meet, however spelt, are one sitting: a room
// holding papers of both numbers its seats once, 1..N over both.
void TestSeating::timeOfSeveralPeriodsIsOneSitting_data()
{
    QTest::addColumn<QString>("secondTime");
    QTest::newRow("the same text with a blank") << " 2027-01-11 星期一 08:00-10:00";
    QTest::newRow("another spelling") << "2027/1/11 8：00 - 10：00";
    QTest::newRow("an overlapping time") << "2027-01-11 星期一 09:00-11:00";
}

void TestSeating::timeOfSeveralPeriodsIsOneSitting()
{
    QFETCH(QString, secondTime);
    TestDatabase db;
    fillTerm(db);
    db.exec("UPDATE t_cc SET kssj='" + secondTime + "' WHERE cc='2'");
    DataModule dm;
    dm.reconfigure();
    const QList<SeatingTime> times = seatingTimes(dm);
    QCOMPARE(times.size(), 1);
    QCOMPARE(times[0].periods, (QStringList{"1", "2"}));
    arrangeSeats(dm, SeatingTerms{});
    QCOMPARE(db.rows("select jsid, count(*), min(zwh), max(zwh), count(distinct zwh) from t_zw group by jsid"),
             (QStringList{"1|18|1|18|18", "2|8|1|8|8"}));
}

QTEST_GUILESS_MAIN(TestSeating)
#include "tst_seating.moc"

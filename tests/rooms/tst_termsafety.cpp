// The term's rules checked from the raw tables after the automatic steps:
// the checker itself fails on a term broken by hand, a student listed on two
// courses of one paper sits it once, periods given one time share their
// rooms' seats, and a plan whose tables another program changed before the
// answer is refused with every table as it was.
#include "DataModule.h"
#include "TermInvariants.h"
#include "TestDatabase.h"
#include "people/Invigilation.h"
#include "periods/SpreadAdoption.h"
#include "periods/TermTimetable.h"
#include "rooms/RoomAssignment.h"
#include "rooms/RoomCapacity.h"

#include <QTest>
#include <functional>

namespace {

// P1 (S1 S2) in R1 in period 1 at 08:00, P2 (S3 S4) in R2 in period 2 at
// 10:30, rooms of two seats, J1 watching R1 in period 1 by hand.
void soundTerm(TestDatabase& db)
{
    db.addRoster({"P1|K1|S1", "P1|K1|S2", "P2|K2|S3", "P2|K2|S4"});
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('R1',2),('R2',2);"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P1','P1',1),('2','P2','P2',2);"
            "INSERT INTO t_cc(cc,kssj) VALUES('1','2027-01-11 星期一 08:00-10:00'),('2','2027-01-11 星期一 10:30-12:30');"
            "INSERT INTO t_jkjs(xm,zdcs) VALUES('J1',2);"
            "INSERT INTO t_jkap(cc,jsid,jkid,sg) VALUES('1',1,1,1);");
}

// Every table as stored, row ids and types included.
QStringList everyTable(TestDatabase& db)
{
    return db.rows("select 'b', rid, quote(sjxh), quote(kcxh), quote(xh) from t_bjgmd order by rid")
        + db.rows("select 'k', rowid, quote(cc), quote(sjxh), quote(sjxh1), quote(jsid) from t_kscs order by rowid")
        + db.rows("select 'c', rowid, quote(cc), quote(kssj) from t_cc order by rowid")
        + db.rows("select 'r', jsid, quote(jsm), quote(rnrs) from t_js order by jsid")
        + db.rows("select 'j', jkid, quote(xm), quote(zdcs), quote(bkcc) from t_jkjs order by jkid")
        + db.rows("select 'd', rowid, quote(cc), quote(jsid), quote(jkid), quote(sg) from t_jkap order by rowid");
}

struct Windowless {
    TestDatabase db;
    DataModule dm;
    Windowless() { dm.reconfigure(); }
};

} // namespace

class TestTermSafety : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checkerFindsEachBrokenRule_data();
    void checkerFindsEachBrokenRule();
    void studentOnTwoCoursesOfASplitPaperSitsItOnce();
    void periodsSharingATimeShareTheirRooms_data();
    void periodsSharingATimeShareTheirRooms();
    void changeMeanwhileRefusesThePlan_data();
    void changeMeanwhileRefusesThePlan();
};

void TestTermSafety::checkerFindsEachBrokenRule_data()
{
    QTest::addColumn<QString>("breaking");
    QTest::addColumn<QString>("rule");
    QTest::newRow("student at overlapping times")
        << "INSERT INTO t_bjgmd(sjxh,kcxh,xh) VALUES('P2','K2','S1');"
           "UPDATE t_cc SET kssj='2027/1/11 9:00-11:00' WHERE cc='2'" << "student";
    QTest::newRow("paper placed twice") << "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('2','P1','P1',0)" << "seat";
    QTest::newRow("room gone") << "UPDATE t_kscs SET jsid=99 WHERE sjxh='P1'" << "seat";
    QTest::newRow("one room, one time") << "UPDATE t_kscs SET jsid=1 WHERE sjxh='P2';"
                                           "UPDATE t_cc SET kssj='2027-01-11 08:00 - 10:00' WHERE cc='2'" << "capacity";
    QTest::newRow("one room, overlapping") << "UPDATE t_kscs SET jsid=1 WHERE sjxh='P2';"
                                              "UPDATE t_cc SET kssj='2027-01-11 09:30-11:00' WHERE cc='2'" << "capacity";
    QTest::newRow("over its seats") << "UPDATE t_js SET rnrs=1 WHERE jsm='R2'" << "capacity";
    QTest::newRow("invigilator in two rooms") << "INSERT INTO t_jkap(cc,jsid,jkid,sg) VALUES('2',2,1,1);"
                                                 "UPDATE t_cc SET kssj='2027-01-11 09:00-10:00' WHERE cc='2'" << "twice";
    QTest::newRow("duty of nobody") << "INSERT INTO t_jkap(cc,jsid,jkid,sg) VALUES('2',2,7,0)" << "twice";
    QTest::newRow("ruled-out day") << "UPDATE t_jkjs SET bkcc='2027-01-11'" << "cannot";
    QTest::newRow("ruled-out period") << "UPDATE t_jkjs SET bkcc='3、1'" << "cannot";
    QTest::newRow("ruled-out sitting") << "UPDATE t_jkjs SET bkcc='2027-01-11 星期一 9:00-9:30'" << "cannot";
    QTest::newRow("over most duties") << "UPDATE t_jkjs SET zdcs=1; INSERT INTO t_jkap(cc,jsid,jkid,sg) VALUES('2',2,1,0)"
                                      << "most";
    QTest::newRow("period numbers") << "UPDATE t_cc SET cc='3' WHERE cc='2'" << "periods";
    QTest::newRow("period repeated") << "INSERT INTO t_cc(cc,kssj) VALUES('1','')" << "periods";
    QTest::newRow("duty in an empty room") << "INSERT INTO t_jkap(cc,jsid,jkid,sg) VALUES('2',1,1,1)" << "empty";
}

void TestTermSafety::checkerFindsEachBrokenRule()
{
    QFETCH(QString, breaking);
    QFETCH(QString, rule);
    TestDatabase db;
    soundTerm(db);
    QCOMPARE(termFaults(db), QStringList());
    db.exec(breaking);
    const QStringList faults = termFaults(db);
    QVERIFY2(faults.filter(QRegularExpression("^" + rule)).size() > 0, qPrintable(faults.join('\n')));
}

// P1 was numbered from two courses after scheduling: K1 has S1 S2 S3, K2 has
// S1 S4 S5; two rooms of 3. S1 sits P1 once, in one room.
void TestTermSafety::studentOnTwoCoursesOfASplitPaperSitsItOnce()
{
    Windowless t;
    t.db.addRoster({"P1|K1|S1", "P1|K1|S2", "P1|K1|S3", "P1|K2|S1", "P1|K2|S4", "P1|K2|S5"});
    t.db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('R1',3),('R2',3);"
              "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P1','P1',0);"
              "INSERT INTO t_cc(cc,kssj) VALUES('1','2027-01-11 星期一 08:00-10:00')");
    const RoomAssignmentRun run = assignRooms(t.dm, std::nullopt);
    QCOMPARE(run.unseated, 0);
    QCOMPARE(termFaults(t.db), QStringList());
    QCOMPARE(t.db.rows("select count(distinct sjxh) from t_bjgmd where xh='S1'"), QStringList{"1"});
    QCOMPARE(t.db.rows("select count(*) from t_kscs where jsid<>0"), QStringList{"2"});
    // The spread's check before its dialog sees what its commit would see.
    // Her two rows in the two parts: what the split by courses made before.
    t.db.exec("UPDATE t_bjgmd SET sjxh=(select k.sjxh from t_kscs k where k.sjxh<>t_bjgmd.sjxh)"
              " WHERE rid=(select min(rid) from t_bjgmd where xh='S1')");
    QVERIFY(!termFaults(t.db).isEmpty());
    QCOMPARE(clashNow(t.dm, readTermTimetable(t.dm)), QString("第 1 场中学号 S1 的学生有两份试卷"));
}

void TestTermSafety::periodsSharingATimeShareTheirRooms_data()
{
    QTest::addColumn<QString>("second"); // period 2's time; period 1 is at 08:00-10:00
    QTest::addColumn<bool>("atOnce");
    QTest::newRow("the same text") << "2027-01-11 星期一 08:00-10:00" << true;
    QTest::newRow("another spelling") << "2027/1/11 8:00 - 10:00" << true;
    QTest::newRow("overlapping") << "2027-01-11 09:00-11:00" << true;
    QTest::newRow("after it") << "2027-01-11 10:00-12:00" << false;
    QTest::newRow("no time") << "" << false;
}

// Two periods of 20 that share no student, one room of 30.
void TestTermSafety::periodsSharingATimeShareTheirRooms()
{
    QFETCH(QString, second);
    QFETCH(bool, atOnce);
    Windowless t;
    QStringList roster;
    for (int i = 0; i < 20; ++i)
        roster << QString("A|KA|a%1").arg(i) << QString("B|KB|b%1").arg(i);
    t.db.addRoster(roster);
    t.db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('R1',30);"
              "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','A','A',1),('2','B','B',0);"
              "INSERT INTO t_cc(cc,kssj) VALUES('1','2027-01-11 星期一 08:00-10:00'),('2','" + second + "')");
    // By hand: the question counts what the room holds at that moment.
    const auto overflow = roomOverflow(t.dm, "R1", "B");
    QCOMPARE(overflow.has_value(), atOnce);
    if (overflow)
        QCOMPARE(overflow->held, 20);
    // Automatically: no room for B at that moment.
    const RoomAssignmentRun run = assignRooms(t.dm, std::nullopt);
    QCOMPARE(run.unseated, atOnce ? 20 : 0);
    QCOMPARE(run.emptySeats, atOnce ? 10 : 20);
    QCOMPARE(termFaults(t.db), QStringList());
}

void TestTermSafety::changeMeanwhileRefusesThePlan_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("change");
    for (const char* step : {"rooms", "invigilation", "spread"}) {
        QTest::addRow("%s, a student added", step) << step << "INSERT INTO t_bjgmd(sjxh,kcxh,xh) VALUES('P1','K1','S9')";
        QTest::addRow("%s, a room smaller", step) << step << "UPDATE t_js SET rnrs=1 WHERE jsm='R2'";
        QTest::addRow("%s, a time changed", step) << step << "UPDATE t_cc SET kssj='2027-01-12 08:00-10:00' WHERE cc='2'";
        QTest::addRow("%s, a paper moved", step) << step << "UPDATE t_kscs SET cc='1' WHERE sjxh='P3'";
    }
    QTest::newRow("invigilation, a duty by hand") << "invigilation" << "INSERT INTO t_jkap(cc,jsid,jkid,sg) VALUES('2',2,2,1)";
    QTest::newRow("invigilation, a person gone") << "invigilation" << "DELETE FROM t_jkjs WHERE jkid=2";
    QTest::newRow("spread, a duty gone") << "spread" << "DELETE FROM t_jkap";
}

// Another program changes what the plan rests on between the question and
// the answer: the adoption is refused and every table stays byte for byte.
void TestTermSafety::changeMeanwhileRefusesThePlan()
{
    QFETCH(QString, step);
    QFETCH(QString, change);
    Windowless t;
    soundTerm(t.db);
    t.db.addRoster({"P3|K3|S5", "P3|K3|S6"});
    t.db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('2','P3','P3',0);"
              "INSERT INTO t_js(jsm,rnrs) VALUES('R3',5); INSERT INTO t_jkjs(xm,zdcs) VALUES('J2',3),('J3',3)");
    std::function<QString()> adopt;
    if (step == "rooms") {
        const RoomAssignmentRun plan = planRooms(t.dm, std::nullopt);
        QVERIFY(!plan.writesNothing());
        adopt = [&t, plan] { return applyRoomPlan(t.dm, plan); };
    } else if (step == "invigilation") {
        const InvigilationPlan plan = planInvigilation(t.dm, {1, 0});
        QVERIFY(!plan.duties.empty());
        adopt = [&t, plan] { return adoptInvigilation(t.dm, plan); };
    } else {
        const TermTimetable term = readTermTimetable(t.dm);
        adopt = [&t, term] {
            Colouring spread(term.placed.papers.size());
            for (std::size_t v = 0; v < spread.size(); ++v)
                spread[v] = int(v);
            QStringList times;
            for (std::size_t v = 0; v < spread.size(); ++v)
                times << QString("2027-01-1%1 08:00-10:00").arg(v + 1);
            return adoptSpread(t.dm, term, spread, times).fault;
        };
    }
    t.db.exec(change);
    const QStringList before = everyTable(t.db);
    QCOMPARE(adopt(), QString("数据已被修改，请重新安排"));
    QCOMPARE(everyTable(t.db), before);
}

QTEST_MAIN(TestTermSafety)
#include "tst_termsafety.moc"

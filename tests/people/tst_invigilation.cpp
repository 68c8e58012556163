// Automatic invigilation on a small hand-made term: the hard rules checked
// in the raw duty table, own teachers, hand duties, a short room with its
// reason, one transaction, a second run that changes nothing, and the hand
// changes the duty grid makes.
#include "DataModule.h"
#include "DbError.h"
#include "people/Invigilation.h"
#include "TestDatabase.h"

#include <QTest>

namespace {

QStringList candidates(const QString& paper, const QString& teacher, int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows.append(QStringLiteral("%1|K%1|%1-%2|学生|C|课程|%3|系||补考").arg(paper).arg(i).arg(teacher));
    return rows;
}

// Periods 1 and 2 share one exam time (a sitting of rooms A101 with 30 and
// B202 with 45 candidates: 2 + 3 places); period 3 is the afternoon (A101,
// 10), period 4 the next day (C303 with two papers, 45). P6 has no room.
// 钱 cannot come on 2025-01-06, 李 not to period 4, 周 takes no duty; 张
// teaches P3 but is not on the list. 赵 watches period 3 by hand.
void fillTerm(TestDatabase& db)
{
    db.addRoster(candidates("P1", " 王老师", 30) + candidates("P2", "李老师", 45) + candidates("P3", "张老师", 10)
                 + candidates("P4", "王老师", 20) + candidates("P5", "赵老师", 25) + candidates("P6", "王老师", 5));
    db.exec("INSERT INTO t_cc(cc,kssj) VALUES('1','2025-01-06 08:30-10:30'),('2','2025-01-06 08:30-10:30'),"
            "('3','2025-01-06 14:00-16:00'),('4','2025-01-07 08:30-10:30');"
            "INSERT INTO t_js(jsm,rnrs) VALUES('A101',60),('B202',60),('C303',60);"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P1','P1',1),('2','P2','P2',2),('3','P3','P3',1),"
            "('4','P4','P4',3),('4','P5','P5',3),('1','P6','P6',0);"
            "INSERT INTO t_jkjs(xm,yx,zdcs,bkcc) VALUES('王老师','数学系',3,''),('李老师','外语系',2,'4'),"
            "('赵老师','物理系',5,''),('钱老师','物理系',5,'2025-01-06'),('孙老师','化学系',1,''),('周老师','化学系',0,'');"
            "INSERT INTO t_jkap(cc,jsid,jkid,sg) VALUES('3',1,3,1);");
}

// Every duty with the exam time it falls on.
const char* dutiesByTime = "SELECT c.kssj, d.cc, d.jsid, t.xm, d.sg FROM t_jkap d JOIN t_cc c ON c.cc = d.cc"
                           " JOIN t_jkjs t ON t.jkid = d.jkid ORDER BY d.cc, d.jsid, d.jkid";

} // namespace

class TestInvigilation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placesPerRoom_data();
    void placesPerRoom();
    void keepsTheHardRulesAndPrefersOwnTeachers();
    void secondRunChangesNothing();
    void failedAdoptionChangesNothing();
    void handDutiesRefuseClashes();
    void handDutiesThatBreakARuleAreConflicts_data();
    void handDutiesThatBreakARuleAreConflicts();
    void coTeachersWatchTheirPaper();
    void cannotTakeWholeItems_data();
    void cannotTakeWholeItems();
    void everyRoomItsMinimumFirst_data();
    void everyRoomItsMinimumFirst();
};

void TestInvigilation::placesPerRoom_data()
{
    QTest::addColumn<int>("perRoom");
    QTest::addColumn<int>("perExtra");
    QTest::addColumn<int>("candidates");
    QTest::addColumn<int>("needed");
    QTest::newRow("empty room") << 2 << 40 << 0 << 2;
    QTest::newRow("40") << 2 << 40 << 40 << 2;
    QTest::newRow("41") << 2 << 40 << 41 << 3;
    QTest::newRow("80") << 2 << 40 << 80 << 3;
    QTest::newRow("81") << 2 << 40 << 81 << 4;
    QTest::newRow("one, every 30") << 1 << 30 << 61 << 3;
    QTest::newRow("no extra") << 3 << 0 << 500 << 3;
}

void TestInvigilation::placesPerRoom()
{
    QFETCH(int, perRoom);
    QFETCH(int, perExtra);
    QFETCH(int, candidates);
    QFETCH(int, needed);
    QCOMPARE((InvigilationTerms{perRoom, perExtra}.needed(candidates)), needed);
}

void TestInvigilation::keepsTheHardRulesAndPrefersOwnTeachers()
{
    TestDatabase db;
    fillTerm(db);
    DataModule dm;
    dm.reconfigure();
    const InvigilationPlan plan = planInvigilation(dm, {});
    QCOMPARE(db.scalar("SELECT count(*) FROM t_jkap"), QString("1")); // a plan writes nothing
    adoptInvigilation(dm, plan);

    // Nobody twice at one time (periods 1 and 2 are one), nobody at a
    // sitting they cannot take, nobody over their most.
    QCOMPARE(db.rows("SELECT c.kssj, d.jkid FROM t_jkap d JOIN t_cc c ON c.cc = d.cc GROUP BY c.kssj, d.jkid HAVING count(*) > 1"),
             QStringList());
    QCOMPARE(db.rows("SELECT t.xm, d.cc FROM t_jkap d JOIN t_jkjs t ON t.jkid = d.jkid JOIN t_cc c ON c.cc = d.cc"
                     " WHERE (t.xm = '钱老师' AND c.kssj LIKE '2025-01-06%') OR (t.xm = '李老师' AND d.cc = '4')"),
             QStringList());
    QCOMPARE(db.rows("SELECT t.xm FROM t_jkjs t WHERE (SELECT count(*) FROM t_jkap d WHERE d.jkid = t.jkid) > t.zdcs"),
             QStringList());
    // Own teachers watch their papers' rooms; the hand duty stays as it was.
    const QStringList duties = db.rows(dutiesByTime);
    QVERIFY(duties.contains("2025-01-06 08:30-10:30|1|1|王老师|0"));
    QVERIFY(duties.contains("2025-01-06 08:30-10:30|2|2|李老师|0"));
    QVERIFY(duties.contains("2025-01-07 08:30-10:30|4|3|王老师|0"));
    QCOMPARE(db.rows("SELECT quote(cc), quote(jsid), quote(jkid), quote(sg) FROM t_jkap WHERE sg = 1"),
             QStringList{"'3'|1|3|1"});
    QCOMPARE(db.rows("SELECT DISTINCT typeof(cc) || typeof(jsid) || typeof(jkid) || typeof(sg) FROM t_jkap"),
             QStringList{"textintegerintegerinteger"});
    // Every room in use and only those: the first sitting needs 5 and only
    // 王, 李, 赵 and 孙 can come, so its last room is one short.
    QCOMPARE(db.rows("SELECT cc, jsid, count(*) FROM t_jkap GROUP BY cc, jsid ORDER BY cc, jsid"),
             (QStringList{"1|1|2", "2|2|2", "3|1|2", "4|3|3"}));
    QCOMPARE(plan.rooms, 4);
    QCOMPARE(plan.places, 10);
    QCOMPARE(plan.handDuties, 1);
    QCOMPARE(plan.shortRooms.size(), 1);
    QCOMPARE(plan.shortRooms[0].time, QString("2025-01-06 08:30-10:30"));
    QCOMPARE(plan.shortRooms[0].room, QString("B202"));
    QCOMPARE(plan.shortRooms[0].needed, 3);
    QCOMPARE(plan.shortRooms[0].given, 2);
    QCOMPARE(plan.shortRooms[0].reason, QString("该时间需要 5 人次监考，只有 4 名监考教师能来"));
    QVERIFY(invigilationReport(plan).contains("2025-01-06 08:30-10:30 B202：需 3 人，只安排了 2 人"));
    // 周 may take none; the others share 9 duties.
    QCOMPARE(plan.fewest, 1);
    QCOMPARE(plan.most, 3);
}

void TestInvigilation::secondRunChangesNothing()
{
    TestDatabase db;
    fillTerm(db);
    DataModule dm;
    dm.reconfigure();
    adoptInvigilation(dm, planInvigilation(dm, {}));
    const char* duties = "SELECT quote(cc), quote(jsid), quote(jkid), quote(sg) FROM t_jkap ORDER BY cc, jsid, jkid";
    const QStringList first = db.rows(duties);
    adoptInvigilation(dm, planInvigilation(dm, {}));
    QCOMPARE(db.rows(duties), first);
}

// An insert that fails halfway through the adoption: the earlier duties stay.
void TestInvigilation::failedAdoptionChangesNothing()
{
    TestDatabase db;
    fillTerm(db);
    DataModule dm;
    dm.reconfigure();
    adoptInvigilation(dm, planInvigilation(dm, {}));
    const QStringList before = db.rows("SELECT rowid, quote(cc), jsid, jkid, sg FROM t_jkap ORDER BY rowid");
    const InvigilationPlan plan = planInvigilation(dm, {1, 10});
    QVERIFY(plan.duties.size() > 2);
    db.exec(QStringLiteral("CREATE TRIGGER fail BEFORE INSERT ON t_jkap WHEN NEW.cc = '%1' AND NEW.jkid = %2 "
                           "BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                .arg(plan.duties.back().period)
                .arg(plan.duties.back().invigilator));
    QVERIFY_THROWS_EXCEPTION(DbError, adoptInvigilation(dm, plan));
    QCOMPARE(db.rows("SELECT rowid, quote(cc), jsid, jkid, sg FROM t_jkap ORDER BY rowid"), before);
}

void TestInvigilation::handDutiesRefuseClashes()
{
    TestDatabase db;
    fillTerm(db);
    DataModule dm;
    dm.reconfigure();
    adoptInvigilation(dm, planInvigilation(dm, {}));
    const QStringList before = db.rows("SELECT rowid, cc, jsid, jkid, sg FROM t_jkap ORDER BY rowid");
    // 王 is in A101 in period 1: period 2 is the same time.
    QCOMPARE(addHandDuty(dm, {"2", 2, 1}), QString("王老师 在 2025-01-06 08:30-10:30 已在 A101 监考，不能同时在两个考场。"));
    QCOMPARE(addHandDuty(dm, {"1", 1, 1}), QString("王老师 已在该考场监考。"));
    QCOMPARE(addHandDuty(dm, {"3", 1, 4}), QString("钱老师 不能参加 2025-01-06 14:00-16:00 的监考。"));
    QCOMPARE(addHandDuty(dm, {"4", 3, 2}), QString("李老师 不能参加 2025-01-07 08:30-10:30 的监考。"));
    QCOMPARE(addHandDuty(dm, {"4", 3, 99}), QString("监考教师已不在名单中。"));
    QCOMPARE(db.rows("SELECT rowid, cc, jsid, jkid, sg FROM t_jkap ORDER BY rowid"), before);

    QCOMPARE(addHandDuty(dm, {" 3 ", 1, 6}), QString());
    QCOMPARE(db.rows("SELECT quote(cc), quote(jsid), quote(jkid), quote(sg) FROM t_jkap WHERE jkid = 6"),
             QStringList{"'3'|1|6|1"});
    // A later run keeps it and gives the room no one more.
    adoptInvigilation(dm, planInvigilation(dm, {}));
    QCOMPARE(db.scalar("SELECT count(*) FROM t_jkap WHERE cc = '3' AND jkid = 6 AND sg = 1"), QString("1"));
    QCOMPARE(db.scalar("SELECT count(*) FROM t_jkap WHERE cc = '3'"), QString("2"));
}

// Hand duties entered while they were sound, then the term changes under
// them. One invigilator per room is enough for every room of the term, so
// only the conflict stands between the run and "enough".
void TestInvigilation::handDutiesThatBreakARuleAreConflicts_data()
{
    QTest::addColumn<QString>("handDuty");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("conflict");
    QTest::addColumn<QStringList>("dutiesPerRoom");
    QTest::newRow("two rooms at one time")
        << "('4',3,3,1)" << "UPDATE t_cc SET kssj = '2025-01-06 14:00-16:00' WHERE cc = '4'"
        << "2025-01-06 14:00-16:00 C303 赵老师：同一时间已在 A101 监考"
        << QStringList{"1|1|1", "2|2|1", "3|1|1", "4|3|2"};
    QTest::newRow("two rooms at overlapping times")
        << "('4',3,3,1)" << "UPDATE t_cc SET kssj = '2025-01-06 15:00-17:00' WHERE cc = '4'"
        << "2025-01-06 15:00-17:00 C303 赵老师：同一时间已在 A101 监考"
        << QStringList{"1|1|1", "2|2|1", "3|1|1", "4|3|2"};
    QTest::newRow("a sitting they cannot take")
        << "('4',3,5,1)" << "UPDATE t_jkjs SET bkcc = '4' WHERE xm = '孙老师'"
        << "2025-01-07 08:30-10:30 C303 孙老师：不能参加该场次的监考"
        << QStringList{"1|1|1", "2|2|1", "3|1|1", "4|3|2"};
    QTest::newRow("a room that holds nobody")
        << "('4',3,5,1)" << "UPDATE t_kscs SET jsid = 2 WHERE cc = '4'"
        << "2025-01-07 08:30-10:30 C303 孙老师：该考场此时没有考生"
        << QStringList{"1|1|1", "2|2|1", "3|1|1", "4|2|1"};
}

void TestInvigilation::handDutiesThatBreakARuleAreConflicts()
{
    QFETCH(QString, handDuty);
    QFETCH(QString, change);
    QFETCH(QString, conflict);
    QFETCH(QStringList, dutiesPerRoom);
    TestDatabase db;
    fillTerm(db);
    db.exec("INSERT INTO t_jkap(cc,jsid,jkid,sg) VALUES" + handDuty);
    db.exec(change);
    DataModule dm;
    dm.reconfigure();
    const InvigilationPlan plan = planInvigilation(dm, {1, 0});
    QCOMPARE(plan.shortRooms.size(), 0);
    QCOMPARE(plan.conflicts.size(), 1);
    const QString report = invigilationReport(plan);
    QVERIFY2(report.contains(conflict), qPrintable(report));
    QVERIFY(!report.contains("每个考场的监考教师都已安排足够"));
    // The conflicting duty fills no place, and its invigilator gets nothing
    // else at that time.
    adoptInvigilation(dm, plan);
    QCOMPARE(db.rows("SELECT k.cc, k.jsid, (SELECT count(*) FROM t_jkap d WHERE d.cc = k.cc AND d.jsid = k.jsid)"
                     " FROM (SELECT DISTINCT cc, jsid FROM t_kscs WHERE jsid <> 0) k ORDER BY k.cc, k.jsid"),
             dutiesPerRoom);
    QCOMPARE(db.rows("SELECT c.kssj, d.jkid FROM t_jkap d JOIN t_cc c ON c.cc = d.cc WHERE d.sg = 0"
                     " AND EXISTS (SELECT 1 FROM t_jkap h JOIN t_cc hc ON hc.cc = h.cc WHERE h.sg = 1"
                     " AND h.jkid = d.jkid AND hc.kssj = c.kssj)"),
             QStringList());
    // The duty list shows the duty, so that it can be taken out.
    const QString name = conflict.section(u' ', 3, 3).section(u'：', 0, 0);
    bool shown = false;
    for (const QStringList& row : dutyTable(dm).rows)
        shown = shown || (row[1] == "C303" && row[4].split("、").contains(name));
    QVERIFY(shown);
}

// A cannot-take item rules out what it says as a whole: a period number its
// time, a date that day, a date and clock time the sittings it overlaps.
void TestInvigilation::cannotTakeWholeItems_data()
{
    QTest::addColumn<QString>("items");
    QTest::addColumn<QStringList>("refused");
    QTest::addColumn<QStringList>("unmatched");
    QTest::newRow("a period number") << "2" << QStringList{"2"} << QStringList();
    QTest::newRow("no such period") << "20" << QStringList() << QStringList{"甲：20"};
    QTest::newRow("part of a date") << "2027-01-1" << QStringList() << QStringList{"甲：2027-01-1"};
    QTest::newRow("a day") << "2027-01-11" << QStringList{"1", "2"} << QStringList();
    QTest::newRow("a sitting, written loosely") << "2027/1/11 8:00-10:00" << QStringList{"1"} << QStringList();
    QTest::newRow("a sitting as the program writes it") << "2027-01-12 星期二 08:00-10:00" << QStringList{"3"} << QStringList();
    QTest::newRow("an overlapping clock time") << "2027-01-11、09:00-11:00" << QStringList{"1"} << QStringList();
    QTest::newRow("a clock time alone") << "08:00-10:00" << QStringList() << QStringList{"甲：08:00-10:00"};
}

void TestInvigilation::cannotTakeWholeItems()
{
    QFETCH(QString, items);
    QFETCH(QStringList, refused);
    QFETCH(QStringList, unmatched);
    TestDatabase db;
    db.addRoster(candidates("P1", "", 5) + candidates("P2", "", 5) + candidates("P3", "", 5));
    db.exec("INSERT INTO t_cc(cc,kssj) VALUES('1','2027-01-11 星期一 08:00-10:00'),('2','2027-01-11 星期一 14:00-16:00'),"
            "('3','2027-01-12 星期二 08:00-10:00');"
            "INSERT INTO t_js(jsm,rnrs) VALUES('A101',60);"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P1','P1',1),('2','P2','P2',1),('3','P3','P3',1);");
    db.exec("INSERT INTO t_jkjs(xm,zdcs,bkcc) VALUES('甲',9,'" + items + "')");
    DataModule dm;
    dm.reconfigure();
    QCOMPARE(planInvigilation(dm, {}).unmatched, unmatched);
    QStringList refusedNow;
    for (const QString period : {"1", "2", "3"})
        if (addHandDuty(dm, {period, 1, 1}).contains("不能参加"))
            refusedNow.append(period);
    QCOMPARE(refusedNow, refused);
}

// A course taught by two: each of them is its own teacher.
void TestInvigilation::coTeachersWatchTheirPaper()
{
    TestDatabase db;
    db.addRoster(candidates("P1", "王老师、 李老师", 30));
    db.exec("INSERT INTO t_cc(cc,kssj) VALUES('1','2025-01-06 08:30-10:30');"
            "INSERT INTO t_js(jsm,rnrs) VALUES('A101',60);"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P1','P1',1);"
            "INSERT INTO t_jkjs(xm,zdcs) VALUES('赵老师',3),('孙老师',3),('王老师',3),('李老师',3);");
    DataModule dm;
    dm.reconfigure();
    const InvigilationPlan plan = planInvigilation(dm, {});
    QCOMPARE(plan.ownTeachers, 2);
    adoptInvigilation(dm, plan);
    QCOMPARE(db.rows("SELECT t.xm FROM t_jkap d JOIN t_jkjs t ON t.jkid = d.jkid ORDER BY t.jkid"),
             (QStringList{"王老师", "李老师"}));
}

// Fewer invigilators than places: rooms get their first invigilator, largest
// first, before any gets a second, over every sitting of the term.
void TestInvigilation::everyRoomItsMinimumFirst_data()
{
    QTest::addColumn<QStringList>("roster");
    QTest::addColumn<QString>("term");
    QTest::addColumn<QStringList>("perRoom");
    QTest::addColumn<QStringList>("shortOnes");
    QTest::newRow("the largest rooms are not left empty")
        << candidates("P1", "", 100) + candidates("P2", "", 100) + candidates("P3", "", 169) + candidates("P4", "", 78)
        << "INSERT INTO t_cc(cc,kssj) VALUES('1','2025-01-06 08:30-10:30');"
           "INSERT INTO t_js(jsm,rnrs) VALUES('A1',100),('A2',100),('B1',200),('B2',80);"
           "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P1','P1',1),('1','P2','P2',2),('1','P3','P3',3),('1','P4','P4',4);"
           "INSERT INTO t_jkjs(xm,zdcs) VALUES('甲',5),('乙',5),('丙',5),('丁',5),('戊',5),('己',5),('庚',5),('辛',5);"
        << QStringList{"1|1|2", "1|2|2", "1|3|2", "1|4|2"}
        << QStringList{"A1 4 2", "A2 4 2", "B1 6 2", "B2 3 2"};
    QTest::newRow("a shortage falls on every sitting")
        << candidates("P1", "", 30) + candidates("P2", "", 30)
        << "INSERT INTO t_cc(cc,kssj) VALUES('1','2025-01-06 08:30-10:30'),('2','2025-01-07 08:30-10:30');"
           "INSERT INTO t_js(jsm,rnrs) VALUES('A1',60);"
           "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P1','P1',1),('2','P2','P2',1);"
           "INSERT INTO t_jkjs(xm,zdcs) VALUES('甲',1),('乙',1);"
        << QStringList{"1|1|1", "2|1|1"} << QStringList{"A1 2 1", "A1 2 1"};
}

void TestInvigilation::everyRoomItsMinimumFirst()
{
    QFETCH(QStringList, roster);
    QFETCH(QString, term);
    QFETCH(QStringList, perRoom);
    QFETCH(QStringList, shortOnes);
    TestDatabase db;
    db.addRoster(roster);
    db.exec(term);
    DataModule dm;
    dm.reconfigure();
    const InvigilationPlan plan = planInvigilation(dm, {});
    adoptInvigilation(dm, plan);
    QCOMPARE(db.rows("SELECT cc, jsid, count(*) FROM t_jkap GROUP BY cc, jsid ORDER BY cc, jsid"), perRoom);
    QStringList shortRooms;
    for (const ShortRoom& room : plan.shortRooms)
        shortRooms.append(QString("%1 %2 %3").arg(room.room).arg(room.needed).arg(room.given));
    shortRooms.sort();
    QCOMPARE(shortRooms, shortOnes);
}

QTEST_GUILESS_MAIN(TestInvigilation)
#include "tst_invigilation.moc"

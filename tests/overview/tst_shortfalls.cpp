// Who a print or export would leave out, counted from the raw tables: the
// candidates of a paper without a room, and rooms with fewer invigilators
// than they need, per exam time and for the whole term.
#include "DataModule.h"
#include "overview/Shortfalls.h"
#include "TestDatabase.h"

#include <QTest>
#include <tuple>

class TestShortfalls : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roomlessPapersAndShortRoomsPerTimeAndTerm();
    void periodsAtOverlappingTimesShareTheirRooms();
};

void TestShortfalls::roomlessPapersAndShortRoomsPerTimeAndTerm()
{
    TestDatabase db;
    DataModule dm;
    dm.reconfigure();
    // Paper 1 (3 candidates) in A, paper 2 (2) without a room, both at the
    // first time; paper 3 (45) in B at the second time, paper 4 (1) also in A
    // at the second time through a period of its own with the same time text.
    db.addRoster({"1|K1|S1", "1|K1|S2", "1|K1|S3", "2|K2|S4", "2|K2| S5 "});
    QStringList big;
    for (int i = 0; i < 45; ++i)
        big.append(QStringLiteral("3|K3|T%1").arg(i));
    db.addRoster(big);
    db.addRoster({"4|K4|U1"});
    db.exec("insert into t_js(jsid, jsm, rnrs) values(1, 'A', 50), (2, 'B', 60)");
    db.exec("insert into t_cc(cc, kssj) values('1', '2027-01-11 星期一 08:00-10:00'), ('2', ' 2027-01-12 星期二 08:00-10:00'),"
            " ('3', '2027-01-12 星期二 08:00-10:00')");
    db.exec("insert into t_kscs(cc, sjxh, sjxh1, jsid) values('1','1','1',1), ('1','2','2',0), ('2','3','3',2), ('3','4','4',1)");

    // Without invigilators the term is not short of any.
    Shortfalls term = readShortfalls(dm.ADOQuery22);
    QCOMPARE(term.unseated, 2);
    QCOMPARE(term.shortRooms, 0);
    QCOMPARE(term.unseatedIn.value("1"), 2);

    // Room B (45 candidates) needs 3 and has 2; A at the first time has its
    // 2; A at the second time holds paper 4 of period 3 and has one duty
    // given in period 3.
    db.exec("insert into t_jkjs(jkid, xm) values(1,'甲'),(2,'乙'),(3,'丙'),(4,'丁')");
    db.exec("insert into t_jkap(cc, jsid, jkid, sg) values('1',1,1,0),('1',1,2,0),('2',2,3,0),('2',2,4,0),('3',1,1,1)");
    term = readShortfalls(dm.ADOQuery22);
    QCOMPARE(term.unseated, 2);
    QCOMPARE(term.shortRooms, 2);
    QCOMPARE(term.shortRoomsIn.value("2"), 1);
    QCOMPARE(term.shortRoomsIn.value("3"), 1);
    QCOMPARE(term.shortRoomsIn.value("1"), 0);
    // The question says what the output does with the roomless candidates.
    const QString shortRooms = "有 2 个考场的监考教师少于需要的人数。\n";
    for (const auto& [roomless, what, said] :
         {std::tuple{RoomlessCandidates::Left, "打印", "打印的内容中没有他们。"},
          {RoomlessCandidates::RoomBlank, "导出", "导出的表中有他们，但教室一栏是空的。"},
          {RoomlessCandidates::Counted, "打印", "日历中他们只记在所在场次的“未排教室”人数中。"}})
        QCOMPARE(term.question(what, roomless),
                 QString("有 2 名考生的试卷还没有教室，") + said + "\n" + shortRooms + "是否仍要" + what + "？");

    // One time: its own periods only, the time compared trimmed.
    const Shortfalls first = readShortfalls(dm.ADOQuery22, " 2027-01-11 星期一 08:00-10:00 ");
    QCOMPARE(first.unseated, 2);
    QCOMPARE(first.shortRooms, 0);
    const Shortfalls second = readShortfalls(dm.ADOQuery22, "2027-01-12 星期二 08:00-10:00");
    QCOMPARE(second.unseated, 0);
    QCOMPARE(second.shortRooms, 2);
    // Three in every room: every room is short.
    QCOMPARE(readShortfalls(dm.ADOQuery22, {}, {3, 0}).shortRooms, 3);

    // Nothing left out, nothing asked.
    db.exec("update t_kscs set jsid=2 where sjxh='2'; "
            " insert into t_jkap(cc, jsid, jkid, sg) values('1',2,3,0),('1',2,4,0),('2',2,1,0),('3',1,2,1)");
    QCOMPARE(readShortfalls(dm.ADOQuery22).question("导出", RoomlessCandidates::RoomBlank), QString());
}

void TestShortfalls::periodsAtOverlappingTimesShareTheirRooms()
{
    TestDatabase db;
    DataModule dm;
    dm.reconfigure();
    // Periods 1 (08-10) and 2 (09-11) overlap: room A holds one candidate of
    // each at once and has one duty in each, the two it needs. Paper 3 of
    // period 2 has no room.
    db.addRoster({"1|K1|S1", "2|K2|S2", "3|K3|S3"});
    db.exec("insert into t_js(jsid, jsm, rnrs) values(1, 'A', 50)");
    db.exec("insert into t_cc(cc, kssj) values('1', '2027-01-11 星期一 08:00-10:00'), ('2', '2027/1/11 9:00-11:00')");
    db.exec("insert into t_kscs(cc, sjxh, sjxh1, jsid) values('1','1','1',1), ('2','2','2',1), ('2','3','3',0)");
    db.exec("insert into t_jkjs(jkid, xm) values(1,'甲'),(2,'乙')");
    db.exec("insert into t_jkap(cc, jsid, jkid, sg) values('1',1,1,0),('2',1,2,0)");

    const Shortfalls term = readShortfalls(dm.ADOQuery22);
    QCOMPARE(term.shortRooms, 0);
    QCOMPARE(term.unseated, 1);
    // A time that meets period 2's counts its roomless candidate.
    QCOMPARE(readShortfalls(dm.ADOQuery22, "2027-01-11 星期一 08:00-10:00").unseated, 1);
    QCOMPARE(readShortfalls(dm.ADOQuery22, "2027-01-11 星期一 11:00-12:00").unseated, 0);
}

QTEST_GUILESS_MAIN(TestShortfalls)
#include "tst_shortfalls.moc"

// Automatic room assignment: best fit within capacity for one period or all,
// hand-made rooms kept, the papers that fit no room listed, the plan shown
// before anything is written, one transaction, and a second run that
// changes nothing. Checked in the raw tables.
#include "DataModule.h"
#include "RecordingDialogs.h"
#include "rooms/RoomAssignment.h"
#include "RoomTerms.h"
#include "TestDatabase.h"
#include "Unit4.h"
#include "UserActions.h"
#include "WindowFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <memory>

namespace {

// Period 1: P1 of two courses (25 + 20), P2 40, P3 28, P4 10 given the
// second B202 by hand, P5 200 (more than all rooms together), P6 5 whose room was deleted (id 99).
// Period 2: P7 60 given A101 by hand (overfilled), P8 30.
// Rooms: A101 30, B202 50, C303 100, a second B202 of 500 (the room totals
// count both under one name, so it is the same room), D404 without seats and
// a room without a name.
void fillTerm(TestDatabase& db)
{
    db.addRoster(course("P1", "K1", "高等数学", 25) + course("P1", "K2", "线性代数", 20) + course("P2", "K3", "大学物理", 40)
        + course("P3", "K4", "大学英语", 28) + course("P4", "K5", "体育", 10) + course("P5", "K6", "思想政治", 200)
        + course("P6", "K7", "䶮𪚥文选", 5) + course("P7", "K8", "化学", 60) + course("P8", "K9", "生物", 30));
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',30),('B202',50),('C303',100),('B202',500),('D404',0),('',80);"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P1','P1',0),('1','P2','P2',0),('1','P3','P3',0),"
            "('1','P4','P4',4),('1','P5','P5',0),('1','P6','P6',99),('2','P7','P7',1),('2','P8','P8',0);"
            "INSERT INTO t_cc(cc) VALUES('1'),('2');");
}

// Every placement as the table holds it.
QStringList placementRows(TestDatabase& db)
{
    return db.rows("SELECT quote(cc), quote(sjxh), quote(sjxh1), quote(jsid), typeof(jsid) FROM t_kscs ORDER BY rowid");
}

QStringList roomsOfPapers(TestDatabase& db)
{
    return db.rows("SELECT sjxh, quote(jsid), typeof(jsid) FROM t_kscs ORDER BY sjxh");
}

QMap<QString, int> loadByRoom(TestDatabase& db)
{
    QMap<QString, int> load;
    for (const QString& row : db.rows(seatsTaken))
        load[row.section(u'|', 0, 1)] = row.section(u'|', 3, 3).toInt();
    return load;
}

} // namespace

class TestAutoRooms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void allPeriodsAfterConfirmation();
    void answeringNoChangesNothing();
    void chosenPeriodOnly();
    void secondRunChangesNothing();
    void errorLeavesEveryPlacementAsItWas();
    void noUsableRoomSaysSo();
    void invariantsOnAGeneratedTerm_data();
    void invariantsOnAGeneratedTerm();

private:
    std::unique_ptr<WindowFixture<TForm4>> f;
};

void TestAutoRooms::init()
{
    f = std::make_unique<WindowFixture<TForm4>>();
}

void TestAutoRooms::cleanup()
{
    f.reset();
}

void TestAutoRooms::allPeriodsAfterConfirmation()
{
    fillTerm(f->db);
    f->w.show();
    auto* button = f->w.findChild<QPushButton*>("autoAssignRoomsButton");
    QVERIFY(button);
    QCOMPARE(button->text(), QString("自动分配教室"));
    button->click();

    QCOMPARE(f->dialogs.boxes.size(), 2);
    QCOMPARE(f->dialogs.boxes[0].kind, QString("confirm"));
    QCOMPARE(f->dialogs.boxes[0].text, QString("没有选择场次，是否为所有场次自动分配教室？"));
    QCOMPARE(f->dialogs.boxes[1].kind, QString("confirm"));
    QCOMPARE(f->dialogs.boxes[1].text,
             QString("自动分配教室：5 份试卷分配了教室，已有教室的 2 份试卷保持不变。\n"
                     "使用教室 5 间（按场次计），空余座位 72 个，没有座位的考生 200 人。\n"
                     "以下场次的考生多于所有教室的座位，拆分也无法安排，请调整场次或增加教室：\n"
                     "第1场 考生 328 人，教室座位共 180 座\n"
                     "以下 1 份试卷的人数超过了任何教室的空余座位，没有分配教室，请增加教室或手工指定教室：\n"
                     "第1场 试卷序号 P5（思想政治）200 人，空余座位最多的教室只有 100 座\n"
                     "是否按此方案分配？"));

    // Largest first, each into the room that leaves the fewest seats: P1 (45)
    // only fits C303; P2 (40) fills B202 next to P4; P3 (28) fits A101; P6,
    // whose room is gone, goes to what C303 has left; P8 to B202 in period 2.
    QCOMPARE(roomsOfPapers(f->db), (QStringList{"P1|3|integer", "P2|2|integer", "P3|1|integer", "P4|4|integer",
                                     "P5|0|integer", "P6|3|integer", "P7|1|integer", "P8|2|integer"}));
    QCOMPARE(f->db.rows(seatsTaken), (QStringList{"1|A101|30|28", "1|B202|50|50", "1|C303|100|50", "2|A101|30|60",
                                       "2|B202|50|30"}));
    // Nothing else of a placement changed.
    QCOMPARE(f->db.rows("SELECT quote(cc), quote(sjxh1) FROM t_kscs ORDER BY rowid"),
             (QStringList{"'1'|'P1'", "'1'|'P2'", "'1'|'P3'", "'1'|'P4'", "'1'|'P5'", "'1'|'P6'", "'2'|'P7'", "'2'|'P8'"}));
    // The overview shows the rooms at once.
    QVERIFY(gridRows(f->w.DBGrid1).contains("P8|||||30|B202|"));
}

void TestAutoRooms::answeringNoChangesNothing()
{
    fillTerm(f->db);
    const QStringList before = placementRows(f->db);
    f->w.show();
    f->dialogs.confirmAnswers = {false};
    f->w.autoAssignRoomsButton->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"没有选择场次，是否为所有场次自动分配教室？"});
    QCOMPARE(placementRows(f->db), before);
    // No to the plan itself: nothing written either.
    f->dialogs.confirmAnswers = {true, false};
    f->w.autoAssignRoomsButton->click();
    QCOMPARE(f->dialogs.boxes.size(), 2);
    QVERIFY(f->dialogs.boxes[1].text.endsWith("\n是否按此方案分配？"));
    QCOMPARE(placementRows(f->db), before);
}

void TestAutoRooms::chosenPeriodOnly()
{
    fillTerm(f->db);
    f->w.show();
    pick(f->w.ComboBox1, "2");
    f->w.autoAssignRoomsButton->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"自动分配教室：1 份试卷分配了教室，已有教室的 1 份试卷保持不变。\n"
                                                 "使用教室 2 间（按场次计），空余座位 20 个，没有座位的考生 0 人。\n"
                                                 "是否按此方案分配？"});
    QCOMPARE(f->db.rows("SELECT sjxh, jsid FROM t_kscs WHERE jsid <> 0 OR cc = '2' ORDER BY sjxh"),
             (QStringList{"P4|4", "P6|99", "P7|1", "P8|2"}));
    // The period view and the room totals show the result.
    QVERIFY(gridRows(f->w.DBGrid1).contains("P8|K9|生物|王老师|30|30|B202|"));
    QCOMPARE(gridRows(f->w.DBGrid2), (QStringList{"A101|60", "B202|30"}));
    QCOMPARE(f->w.Label4->text(), QString("2"));
}

void TestAutoRooms::secondRunChangesNothing()
{
    fillTerm(f->db);
    const RoomAssignmentRun first = assignRooms(f->dm, std::nullopt);
    QCOMPARE(first.assigned, 5);
    const QStringList after = placementRows(f->db);
    const RoomAssignmentRun second = assignRooms(f->dm, std::nullopt);
    QCOMPARE(second.assigned, 0);
    QCOMPARE(second.kept, 7);
    QCOMPARE(second.roomless.size(), 1);
    QCOMPARE(second.roomless[0].paper, QString("P5"));
    QCOMPARE(placementRows(f->db), after);
}

void TestAutoRooms::errorLeavesEveryPlacementAsItWas()
{
    fillTerm(f->db);
    // The engine refuses the fourth assignment, after three have been made.
    f->db.exec("CREATE TRIGGER refuse BEFORE UPDATE ON t_kscs WHEN NEW.sjxh = 'P6'"
             " BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    const QStringList before = placementRows(f->db);
    f->w.show();
    f->w.autoAssignRoomsButton->click();
    QCOMPARE(f->dialogs.boxes.size(), 3);
    QCOMPARE(f->dialogs.boxes[2].kind, QString("error"));
    QVERIFY2(f->dialogs.boxes[2].text.contains("disk I/O error"), qPrintable(f->dialogs.boxes[2].text));
    QCOMPARE(placementRows(f->db), before);
    // The connection is usable afterwards: the transaction was ended.
    f->db.exec("DROP TRIGGER refuse");
    QCOMPARE(assignRooms(f->dm, std::nullopt).assigned, 5);
}

void TestAutoRooms::noUsableRoomSaysSo()
{
    fillTerm(f->db);
    f->db.exec("UPDATE t_js SET rnrs = 0 WHERE jsm <> ''");
    f->w.show();
    f->w.autoAssignRoomsButton->click();
    // Nothing to write: the figures alone, no question.
    QCOMPARE(f->dialogs.boxes.last().kind, QString("message"));
    QCOMPARE(f->dialogs.lastText(), QString("自动分配教室：0 份试卷分配了教室，已有教室的 2 份试卷保持不变。\n"
                                          "使用教室 0 间（按场次计），空余座位 0 个，没有座位的考生 348 人。\n"
                                          "没有可用的教室（有名称且容纳人数大于 0），6 份试卷没有分配教室。"
                                          "请先在“教室管理”中增加教室。"));
    QCOMPARE(f->db.scalar("SELECT count(*) FROM t_kscs WHERE jsid = 0"), QString("5"));
}

void TestAutoRooms::invariantsOnAGeneratedTerm_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("rooms");
    QTest::newRow("few rooms") << 7u << 6;
    QTest::newRow("many rooms") << 11u << 40;
    QTest::newRow("one room") << 13u << 1;
}

// Many papers of one or two courses over five periods, rooms of random
// sizes, some papers given rooms by hand beforehand (some overfilled).
void TestAutoRooms::invariantsOnAGeneratedTerm()
{
    QFETCH(quint32, seed);
    QFETCH(int, rooms);
    QRandomGenerator random(seed);
    QStringList roster;
    QString placements;
    for (int p = 1; p <= 120; ++p) {
        const QString paper = QStringLiteral("G%1").arg(p);
        roster += course(paper, paper + "a", "课程", 1 + random.bounded(p % 9 == 0 ? 160 : 45));
        if (p % 4 == 0)
            roster += course(paper, paper + "b", "课程", 1 + random.bounded(20));
        placements += QStringLiteral("('%1','%2','%2',0),").arg(1 + p % 5).arg(paper);
    }
    f->db.addRoster(roster);
    placements.chop(1);
    f->db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES" + placements);
    for (int r = 1; r <= rooms; ++r)
        f->db.exec(QStringLiteral("INSERT INTO t_js(jsm,rnrs) VALUES('R%1',%2)").arg(r).arg(30 + random.bounded(171)));
    f->db.exec("UPDATE t_kscs SET jsid = 1 + rowid * 7 % " + QString::number(rooms) + " WHERE rowid % 11 = 0");
    const QStringList byHand = f->db.rows("SELECT sjxh, jsid FROM t_kscs WHERE jsid <> 0 ORDER BY sjxh");
    const QMap<QString, int> loadBefore = loadByRoom(f->db);

    const RoomAssignmentRun run = assignRooms(f->dm, std::nullopt);

    // No room holds more than its capacity, unless hand-made rooms already
    // did, and then it got nothing more.
    for (const QString& row : f->db.rows(seatsTaken)) {
        const QString room = row.section(u'|', 0, 1);
        const int capacity = row.section(u'|', 2, 2).toInt();
        const int taken = row.section(u'|', 3, 3).toInt();
        QVERIFY2(taken <= std::max(capacity, loadBefore.value(room)), qPrintable(row));
    }
    // Hand-made rooms are unchanged.
    for (const QString& row : byHand)
        QCOMPARE(f->db.scalar("SELECT jsid FROM t_kscs WHERE sjxh = '" + row.section(u'|', 0, 0) + "'"), row.section(u'|', 1, 1));
    // The listed papers are exactly those left without a room, and none of
    // them fits what any room has free.
    QSet<QString> listed;
    for (const RoomlessPaper& p : run.roomless)
        listed.insert(p.period + "|" + p.paper);
    const QStringList roomless = f->db.rows("SELECT cc, sjxh FROM t_kscs WHERE jsid = 0");
    QCOMPARE(listed, QSet<QString>(roomless.begin(), roomless.end()));
    const QMap<QString, int> loadAfter = loadByRoom(f->db);
    for (const RoomlessPaper& p : run.roomless) {
        QCOMPARE(f->db.scalar("SELECT count(*) FROM t_bjgmd WHERE sjxh = '" + p.paper + "'").toInt(), p.candidates);
        for (const QString& room : f->db.rows("SELECT jsm, rnrs FROM t_js")) {
            const int free = room.section(u'|', 1, 1).toInt() - loadAfter.value(p.period + "|" + room.section(u'|', 0, 0));
            QVERIFY2(free < p.candidates, qPrintable(p.paper + " fits " + room));
        }
    }
    // Papers keep their numbers; split-off parts have new numbers of their own.
    qsizetype wholeRoomless = 0;
    for (const RoomlessPaper& p : run.roomless)
        wholeRoomless += p.paper.startsWith(u'G') ? 1 : 0;
    QCOMPARE(run.assigned + wholeRoomless + byHand.size(), 120);
    QCOMPARE(f->db.scalar("SELECT count(*) FROM t_bjgmd b WHERE (SELECT count(*) FROM t_kscs k WHERE k.sjxh = b.sjxh) <> 1"),
             QString("0"));
    QCOMPARE(f->db.scalar("SELECT count(*) FROM t_kscs WHERE typeof(jsid) <> 'integer'"), QString("0"));

    const QStringList after = placementRows(f->db);
    QCOMPARE(assignRooms(f->dm, std::nullopt).assigned, 0);
    QCOMPARE(placementRows(f->db), after);
}

QTEST_MAIN(TestAutoRooms)
#include "tst_autorooms.moc"

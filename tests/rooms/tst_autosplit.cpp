// A paper that no room seats is split along its courses by the automatic
// room assignment: as few rooms as will do, the split written as the split
// window writes it, every candidate once, the rest listed. Checked in the
// raw tables and in what the other windows read.
#include "DataModule.h"
#include "RecordingDialogs.h"
#include "rooms/RoomAssignment.h"
#include "RoomTerms.h"
#include "TermInvariants.h"
#include "TestDatabase.h"
#include "Unit4.h"
#include "UserActions.h"
#include "WindowFixture.h"

#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <memory>
#include <numeric>

namespace {

// Period 1: paper 12 of four courses (50 + 40 + 35 + 25 = 150) and paper 8
// (20) given R4 by hand. Period 2: paper A99 (20) given R1 by hand. Four
// rooms of 60 seats. The lowest numbers above those in use are 13 and 14.
void fillSplitTerm(TestDatabase& db)
{
    db.addRoster(course("12", "K1", "高等数学", 50) + course("12", "K2", "大学物理", 40) + course("12", "K3", "线性代数", 35)
        + course("12", "K4", "大学英语", 25) + course("8", "K5", "体育", 20) + course("A99", "K6", "化学", 20));
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('R1',60),('R2',60),('R3',60),('R4',60);"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','12','12',0),('1','8','8',4),('2','A99','A99',1);"
            "INSERT INTO t_cc(cc) VALUES('1'),('2');");
}

QStringList placementRows(TestDatabase& db)
{
    return db.rows("SELECT quote(cc), quote(sjxh), quote(sjxh1), quote(jsid), typeof(jsid) FROM t_kscs ORDER BY rowid");
}

QStringList rosterRows(TestDatabase& db)
{
    return db.rows("SELECT rid, quote(sjxh), quote(kcxh), quote(xh) FROM t_bjgmd ORDER BY rid");
}

// Paper, course and candidates of every course as the roster holds them.
QStringList coursesOfPapers(TestDatabase& db)
{
    return db.rows("SELECT quote(sjxh), kcxh, count(*) FROM t_bjgmd GROUP BY sjxh, kcxh ORDER BY sjxh, kcxh");
}

} // namespace

class TestAutoSplit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void largePaperGoesIntoThreeRooms();
    void courseLargerThanEveryRoomIsCutByStudentNumbers();
    void periodOverCapacityIsNamedAndFilledAsFarAsItGoes();
    void failureInTheMiddleLeavesEveryTable();
    void paperWithoutPeriodIsNotSplit();
    void numbersFollowTheHighestNumericPaper_data();
    void numbersFollowTheHighestNumericPaper();
    void generatedLargeCourseIsCutInTheRoomsWindow_data();
    void generatedLargeCourseIsCutInTheRoomsWindow();

private:
    std::unique_ptr<WindowFixture<TForm4>> f;
};

void TestAutoSplit::init()
{
    f = std::make_unique<WindowFixture<TForm4>>();
}

void TestAutoSplit::cleanup()
{
    f.reset();
}

void TestAutoSplit::largePaperGoesIntoThreeRooms()
{
    fillSplitTerm(f->db);
    f->w.show();
    f->w.autoAssignRoomsButton->click();
    QCOMPARE(f->dialogs.takeTexts(), (QStringList{"没有选择场次，是否为所有场次自动分配教室？",
                                       "自动分配教室：1 份试卷分配了教室，已有教室的 2 份试卷保持不变。\n"
                                       "1 份试卷按课程拆分到 3 个教室。\n"
                                       "第1场 试卷序号 12 分为 3 份：\n"
                                       "    12（线性代数、大学英语）60 人，R2\n"
                                       "    13（高等数学）50 人，R1\n"
                                       "    14（大学物理）40 人，R4\n"
                                       "使用教室 4 间（按场次计），空余座位 50 个，没有座位的考生 0 人。\n"
                                       "是否按此方案分配？"}));

    // Three rooms, the fewest seats that take 150: R4's 40 left beside the
    // hand-made paper 8 and two rooms of 60. The paper keeps its largest
    // part; the others are placed as the split window places them.
    QCOMPARE(placementRows(f->db), (QStringList{"'1'|'12'|'12'|2|integer", "'1'|'8'|'8'|4|integer", "'2'|'A99'|'A99'|1|integer",
                                     "'1'|'13'|'12'|1|integer", "'1'|'14'|'12'|4|integer"}));
    QCOMPARE(coursesOfPapers(f->db), (QStringList{"'12'|K3|35", "'12'|K4|25", "'13'|K1|50", "'14'|K2|40", "'8'|K5|20",
                                       "'A99'|K6|20"}));
    QCOMPARE(f->db.rows(seatsTaken), (QStringList{"1|R1|60|50", "1|R2|60|60", "1|R4|60|60", "2|R1|60|20"}));

    // Every candidate once, under the room the tables give, in the export's
    // and the printing's source; the split window lists the rest of paper
    // 12 once; nothing is left for the split papers' room window.
    QCOMPARE(f->db.rows("SELECT count(*), count(DISTINCT xh) FROM hbkap"), QStringList{"190|190"});
    QCOMPARE(f->db.rows("SELECT cc, jsm, count(*) FROM hbkap GROUP BY cc, jsm ORDER BY cc, jsm"),
             (QStringList{"1|R1|50", "1|R2|60", "1|R4|60", "2|R1|20"}));
    QCOMPARE(f->db.rows("SELECT sjxh, kcxh, Num1, Num FROM 考场拆分 ORDER BY sjxh, kcxh"),
             (QStringList{"12|K3|35|60", "12|K4|25|60"}));
    QCOMPARE(f->db.scalar("SELECT count(*) FROM ksap WHERE jsid = 0"), QString("0"));
    // The period view shows the parts in their rooms.
    QVERIFY(gridRows(f->w.DBGrid1).contains("13|||||50|R1|"));

    // A second run finds nothing to do.
    const QStringList placements = placementRows(f->db);
    const QStringList roster = rosterRows(f->db);
    f->w.autoAssignRoomsButton->click();
    QCOMPARE(f->dialogs.boxes.last().kind, QString("message"));
    QCOMPARE(f->dialogs.lastText(), QString("自动分配教室：0 份试卷分配了教室，已有教室的 5 份试卷保持不变。\n"
                                          "使用教室 4 间（按场次计），空余座位 50 个，没有座位的考生 0 人。"));
    QCOMPARE(placementRows(f->db), placements);
    QCOMPARE(rosterRows(f->db), roster);
}

void TestAutoSplit::courseLargerThanEveryRoomIsCutByStudentNumbers()
{
    // 大学物理 (90) is larger than every room of 60: its first 60 students by
    // 学号 keep paper 5 in R1, the other 30 go to R2; the two small courses
    // share R3. S9 sorts before S10.
    QStringList roster;
    for (int i = 1; i <= 90; ++i)
        roster.append(QString("5|K1|S%1|学生|C1|大学物理|王老师|物理系||补考").arg(i));
    f->db.addRoster(roster + course("5", "K2", "高等数学", 30) + course("5", "K3", "体育", 20));
    f->db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('R1',60),('R2',60),('R3',60);"
               "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','5','5',0);");
    const RoomAssignmentRun run = assignRooms(f->dm, QString("1"));
    QCOMPARE(roomAssignmentReport(run), QString("自动分配教室：1 份试卷分配了教室。\n"
                                                "1 份试卷按课程拆分到 3 个教室。\n"
                                                "第1场 试卷序号 5 分为 3 份：\n"
                                                "    5（大学物理 学号 S1—S60）60 人，R1\n"
                                                "    6（大学物理 学号 S61—S90）30 人，R2\n"
                                                "    7（高等数学、体育）50 人，R3\n"
                                                "使用教室 3 间（按场次计），空余座位 40 个，没有座位的考生 0 人。"));
    QCOMPARE(placementRows(f->db), (QStringList{"'1'|'5'|'5'|1|integer", "'1'|'6'|'5'|2|integer", "'1'|'7'|'5'|3|integer"}));
    QCOMPARE(coursesOfPapers(f->db), (QStringList{"'5'|K1|60", "'6'|K1|30", "'7'|K2|30", "'7'|K3|20"}));
    QCOMPARE(f->db.rows("SELECT min(xh), max(xh) FROM t_bjgmd WHERE sjxh = '6'"), QStringList{"S61|S90"});
    QCOMPARE(f->db.rows("SELECT count(*), count(DISTINCT xh) FROM hbkap WHERE jsm <> ''"), QStringList{"140|140"});
    QVERIFY(planRooms(f->dm, std::nullopt).writesNothing());
}

void TestAutoSplit::periodOverCapacityIsNamedAndFilledAsFarAsItGoes()
{
    // 190 candidates, 170 seats: paper 1 takes R1 and R3 (the fewest seats
    // for 100), paper 2 two of its courses in R2, its third is left out;
    // paper 3 of period 2 goes to the room that fits it best.
    f->db.addRoster(course("1", "A1", "甲", 25) + course("1", "A2", "乙", 25) + course("1", "A3", "丙", 25)
        + course("1", "A4", "丁", 25) + course("2", "B1", "戊", 30) + course("2", "B2", "己", 30) + course("2", "B3", "庚", 30)
        + course("3", "C1", "辛", 15));
    f->db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('R1',60),('R2',60),('R3',50);"
               "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','1','1',0),('1','2','2',0),('2','3','3',0);");
    const RoomAssignmentRun run = assignRooms(f->dm, std::nullopt);
    QCOMPARE(roomAssignmentReport(run), QString("自动分配教室：3 份试卷分配了教室。\n"
                                                "1 份试卷按课程拆分到 2 个教室。\n"
                                                "第1场 试卷序号 1 分为 2 份：\n"
                                                "    1（甲、乙）50 人，R1\n"
                                                "    4（丙、丁）50 人，R3\n"
                                                "第1场 试卷序号 2 分为 2 份：\n"
                                                "    2（戊、己）60 人，R2\n"
                                                "    5（庚）30 人，没有教室\n"
                                                "使用教室 4 间（按场次计），空余座位 45 个，没有座位的考生 30 人。\n"
                                                "以下场次的考生多于所有教室的座位，拆分也无法安排，请调整场次或增加教室：\n"
                                                "第1场 考生 190 人，教室座位共 170 座\n"
                                                "以下 1 份试卷的人数超过了任何教室的空余座位，没有分配教室，请增加教室或手工指定教室：\n"
                                                "第1场 试卷序号 5（庚）30 人，空余座位最多的教室只有 60 座"));
    QCOMPARE(f->db.rows(seatsTaken), (QStringList{"1|R1|60|50", "1|R2|60|60", "1|R3|50|50", "2|R3|50|15"}));
    QCOMPARE(f->db.scalar("SELECT count(*) FROM t_bjgmd"), QString("205"));
    QCOMPARE(f->db.rows("SELECT sjxh, Num FROM ksap WHERE jsid = 0"), QStringList{"5|30"});
}

void TestAutoSplit::failureInTheMiddleLeavesEveryTable()
{
    fillSplitTerm(f->db);
    // The engine refuses the second new placement, after the first split
    // and the renumbering of the second are written.
    f->db.exec("CREATE TRIGGER refuse BEFORE INSERT ON t_kscs WHEN NEW.sjxh = '14'"
               " BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    const QStringList placements = placementRows(f->db);
    const QStringList roster = rosterRows(f->db);
    f->w.show();
    pick(f->w.ComboBox1, "1");
    f->w.autoAssignRoomsButton->click();
    QCOMPARE(f->dialogs.boxes.size(), 2);
    QCOMPARE(f->dialogs.boxes[1].kind, QString("error"));
    QVERIFY2(f->dialogs.boxes[1].text.contains("disk I/O error"), qPrintable(f->dialogs.boxes[1].text));
    QCOMPARE(placementRows(f->db), placements);
    QCOMPARE(rosterRows(f->db), roster);

    f->db.exec("DROP TRIGGER refuse");
    QCOMPARE(assignRooms(f->dm, std::nullopt).splitPapers, 1);
    QCOMPARE(f->db.scalar("SELECT count(*) FROM t_kscs"), QString("5"));
}

void TestAutoSplit::paperWithoutPeriodIsNotSplit()
{
    f->db.addRoster(course("1", "K1", "甲", 40) + course("1", "K2", "乙", 40));
    f->db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('R1',60),('R2',60);"
               "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('','1','1',0);");
    const RoomAssignmentRun run = assignRooms(f->dm, std::nullopt);
    QCOMPARE(run.roomless.size(), 1);
    QCOMPARE(run.roomless[0].candidates, 80);
    QCOMPARE(f->db.rows("SELECT quote(cc), sjxh, jsid FROM t_kscs"), QStringList{"''|1|0"});
    QCOMPARE(f->db.scalar("SELECT group_concat(DISTINCT sjxh) FROM t_bjgmd"), QString("1"));
}

void TestAutoSplit::numbersFollowTheHighestNumericPaper_data()
{
    QTest::addColumn<QStringList>("inUse"); // papers of roster rows
    QTest::addColumn<QString>("next");
    QTest::newRow("none numeric") << QStringList{"X"} << "1";
    QTest::newRow("leading zeros") << QStringList{"007", "3"} << "8";
    QTest::newRow("stored with blanks") << QStringList{" 20 ", "4"} << "21";
    QTest::newRow("only whole numbers count") << QStringList{"9", "10x", "1e3", "-50", "+70", "3.5"} << "10";
}

// Paper P of two courses of 40 with rooms of 60: the second course gets the
// new number.
void TestAutoSplit::numbersFollowTheHighestNumericPaper()
{
    QFETCH(QStringList, inUse);
    QFETCH(QString, next);
    QStringList roster = course("P", "K1", "甲", 40) + course("P", "K2", "乙", 40);
    for (const QString& number : inUse)
        roster += course(number, "Z" + number.trimmed(), "其他", 1);
    f->db.addRoster(roster);
    f->db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('R1',60),('R2',60);"
               "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P','P',0);");
    assignRooms(f->dm, std::nullopt);
    QCOMPARE(f->db.rows("SELECT quote(sjxh), quote(sjxh1), jsid FROM t_kscs ORDER BY rowid"),
             (QStringList{"'P'|'P'|1", QString("'%1'|'P'|2").arg(next)}));
    QCOMPARE(f->db.scalar("SELECT group_concat(DISTINCT kcxh) FROM t_bjgmd WHERE sjxh = '" + next + "'"), QString("K2"));
}

void TestAutoSplit::generatedLargeCourseIsCutInTheRoomsWindow_data()
{
    QTest::addColumn<quint32>("seed");
    for (const quint32 seed : {3u, 5u, 8u, 13u})
        QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << seed;
}

// Paper 7 of period 1 has a course larger than every room, its 学号 of
// several lengths, and small courses beside it; period 1 has a small paper
// too. The clerk chooses period 1 in the rooms window and presses
// "自动分配教室": the preview lists every part under paper 7 with its 学号
// range and room, as the tables then hold it.
void TestAutoSplit::generatedLargeCourseIsCutInTheRoomsWindow()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    QList<int> capacities;
    for (int r = 0; r < 4; ++r)
        capacities.append(40 + int(random.bounded(30)));
    const int largest = *std::max_element(capacities.begin(), capacities.end());
    const int seats = std::accumulate(capacities.begin(), capacities.end(), 0);
    // Larger than every room, and with the rest within four fifths of the seats.
    const int big = largest + 1 + int(random.bounded(seats * 4 / 5 - largest - 40));
    QSet<int> numbers;
    while (numbers.size() < big)
        numbers.insert(1 + int(random.bounded(5000)));
    QStringList roster;
    for (const int n : numbers)
        roster.append(QString("7|K1|S%1|学生|C1|大学物理|王老师|物理系||补考").arg(n));
    roster += course("7", "K2", "高等数学", 1 + int(random.bounded(15))) + course("7", "K3", "体育", 1 + int(random.bounded(10)))
        + course("9", "K4", "化学", 1 + int(random.bounded(10)));
    f->db.addRoster(roster);
    for (int r = 0; r < capacities.size(); ++r)
        f->db.exec(QString("INSERT INTO t_js(jsm,rnrs) VALUES('R%1',%2)").arg(r + 1).arg(capacities[r]));
    f->db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','7','7',0),('1','9','9',0); INSERT INTO t_cc(cc) VALUES('1')");
    const QString kept = "SELECT rid, quote(kcxh), quote(xh), quote(xm), quote(kcmc) FROM t_bjgmd ORDER BY rid";
    const QStringList rows = f->db.rows(kept);

    f->w.show();
    pick(f->w.ComboBox1, "1");
    f->w.autoAssignRoomsButton->click();
    QCOMPARE(f->dialogs.boxes.size(), 1);
    QCOMPARE(f->dialogs.boxes[0].kind, QString("confirm"));
    const QString preview = f->dialogs.boxes[0].text;
    QCOMPARE(termFaults(f->db), QStringList());

    // Every roster row kept, once, under paper 7 or a part of it; every
    // room within its seats; the placements as text and integer.
    QCOMPARE(f->db.rows(kept), rows);
    QCOMPARE(f->db.scalar("SELECT count(*) FROM t_bjgmd WHERE sjxh NOT IN (SELECT sjxh FROM t_kscs WHERE sjxh1 IN ('7','9'))"),
             QString("0"));
    QCOMPARE(f->db.scalar("SELECT count(*) FROM t_kscs WHERE jsid = 0 OR typeof(jsid) <> 'integer' OR typeof(sjxh) <> 'text'"),
             QString("0"));
    for (const QString& room : f->db.rows(seatsTaken))
        QVERIFY2(room.section(u'|', 3, 3).toInt() <= room.section(u'|', 2, 2).toInt(), qPrintable(room));
    const QStringList parts = f->db.rows("SELECT sjxh FROM t_kscs WHERE sjxh1 = '7' ORDER BY rowid");
    QVERIFY(parts.size() >= 2);

    // The preview: paper 7's parts, one line each, as the tables hold them.
    const QString header = QString("第1场 试卷序号 7 分为 %1 份：\n").arg(parts.size());
    QVERIFY2(preview.contains(header), qPrintable(preview));
    const QStringList lines = preview.section(header, 1).split(u'\n').mid(0, parts.size());
    static const QRegularExpression partLine("^    (\\S+)（(.+)）(\\d+) 人，(\\S+)$");
    static const QRegularExpression range("大学物理 学号 (S\\d+)—(S\\d+)");
    QStringList listed;
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = partLine.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        const QString part = m.captured(1);
        listed.append(part);
        QCOMPARE(f->db.scalar("SELECT count(*) FROM t_bjgmd WHERE sjxh = '" + part + "'"), m.captured(3));
        QCOMPARE(f->db.scalar("SELECT r.jsm FROM t_kscs k JOIN t_js r ON r.jsid = k.jsid WHERE k.sjxh = '" + part + "'"),
                 m.captured(4));
        // A cut course names the first and last 学号 of the part, shorter numbers first.
        if (const QRegularExpressionMatch cut = range.match(m.captured(2)); cut.hasMatch())
            QCOMPARE(f->db.rows("SELECT xh FROM t_bjgmd WHERE kcxh = 'K1' AND sjxh = '" + part
                                + "' ORDER BY length(xh), xh LIMIT 1")
                         + f->db.rows("SELECT xh FROM t_bjgmd WHERE kcxh = 'K1' AND sjxh = '" + part
                                      + "' ORDER BY length(xh) DESC, xh DESC LIMIT 1"),
                     (QStringList{cut.captured(1), cut.captured(2)}));
    }
    QCOMPARE(QSet<QString>(listed.begin(), listed.end()), QSet<QString>(parts.begin(), parts.end()));
    // The large course's parts are runs of 学号 in order, never interleaved.
    QStringList runs;
    for (const QString& part : f->db.rows("SELECT sjxh FROM t_bjgmd WHERE kcxh = 'K1' ORDER BY length(xh), xh"))
        if (runs.isEmpty() || runs.last() != part)
            runs.append(part);
    QCOMPARE(runs.size(), f->db.rows("SELECT DISTINCT sjxh FROM t_bjgmd WHERE kcxh = 'K1'").size());
    QVERIFY(runs.size() >= 2);
    // The period's view shows each part in its room.
    for (const QString& part : parts)
        QVERIFY2(gridRows(f->w.DBGrid1, {0, 6}).contains(
                     part + "|" + f->db.scalar("SELECT r.jsm FROM t_kscs k JOIN t_js r ON r.jsid = k.jsid WHERE k.sjxh = '" + part + "'")),
                 qPrintable(part));
}

QTEST_MAIN(TestAutoSplit)
#include "tst_autosplit.moc"

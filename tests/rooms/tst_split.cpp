// The exam-room split and the room window for split papers: the list of
// papers of several courses, the split into a paper of its own placed in the
// source paper's period without a room, and giving such papers rooms.
#include "DataModule.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit14.h"
#include "Unit15.h"
#include "UserActions.h"
#include "WindowFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <memory>

namespace {

// Paper 1 (three courses, six candidates) sits period 2 without a room,
// paper 4 (two courses) period 1 without a room; papers 2 and 8 have rooms.
void fillTerm(TestDatabase& db)
{
    db.addRoster({"1|K1|S1", "1|K1|S2", "1|K1|S3", "1|K2|S4", "1|K2|S5", "1|K5|S6", "4|K6|S7", "4|K7|S8", "2|K3|S9",
        "8|K8|S10"});
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',30),('B202',50);"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('2','1','1',0),('1','4','4',0),('1','2','2',2),('3','8','8',1);"
            "INSERT INTO t_cc(cc) VALUES('1'),('2'),('3');");
}

const char* rosterQuery = "SELECT kcxh, sjxh FROM t_bjgmd GROUP BY kcxh, sjxh ORDER BY kcxh";
const char* placementQuery = "SELECT cc, sjxh, sjxh1, jsid FROM t_kscs ORDER BY sjxh";

} // namespace

class TestSplit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listShowsPapersOfSeveralCoursesLargestFirst();
    void splitPlacesTheCourseInTheSourcePeriodWithoutRoom();
    void unchangedNumberChangesNothing();
    void numberIsUsedWithoutBlanksAround();
    void splitIntoAPlacedPaperJoinsItsPeriodAndRoom();
    void refusedSplitChangesNothing_data();
    void refusedSplitChangesNothing();
    void roomButtonOpensTheRoomWindowModally();

    void roomWindowListsPlacementsWithoutRoom();
    void refusedRoomChangesNothing_data();
    void refusedRoomChangesNothing();
    void oneRoomFillsTheRoomChoice();
    void roomOverCapacityAsksFirst();
    void noPaperOfSeveralCoursesSaysWhy();

private:
    std::unique_ptr<WindowFixture<TForm14>> f;
    std::unique_ptr<TForm15> rooms;
};

void TestSplit::init()
{
    f = std::make_unique<WindowFixture<TForm14>>();
    fillTerm(f->db);
    rooms = std::make_unique<TForm15>(f->dm, f->dialogs);
    f->w.setCompanion(*rooms);
}

void TestSplit::cleanup()
{
    rooms.reset();
    f.reset();
}

void TestSplit::listShowsPapersOfSeveralCoursesLargestFirst()
{
    f->w.show();
    QStringList shown = gridRows(f->w.DBGrid1);
    QCOMPARE(shownEmptyText(f->w.DBGrid1), QString());
    QCOMPARE(shown.size(), 5);
    std::sort(shown.begin(), shown.begin() + 3);
    std::sort(shown.begin() + 3, shown.end());
    QCOMPARE(shown, (QStringList{"1|K1|3|6", "1|K2|2|6", "1|K5|1|6", "4|K6|1|2", "4|K7|1|2"}));
    QCOMPARE(f->w.Label1->text(), QString("5"));

    clickRowShowing(f->w.DBGrid1, 1, "K2");
    QCOMPARE(f->w.Label4->text(), QString("1"));
    QCOMPARE(f->w.Label6->text(), QString("K2"));
    QCOMPARE(f->w.Label8->text(), QString("2"));
    QCOMPARE(f->w.Edit1->text(), QString("1"));

    f->w.Button2->click();
    QVERIFY(!f->w.isVisible());
    QVERIFY(!f->dm.ADOQuery26.Active());
    // The labels keep the last click across showings.
    f->w.show();
    QCOMPARE(f->w.Label6->text(), QString("K2"));
}

void TestSplit::splitPlacesTheCourseInTheSourcePeriodWithoutRoom()
{
    f->w.show();
    clickRowShowing(f->w.DBGrid1, 1, "K2");
    typeInto(f->w.Edit1, "9");
    f->w.Button1->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"更新成功"});
    QCOMPARE(f->db.rows(rosterQuery), (QStringList{"K1|1", "K2|9", "K3|2", "K5|1", "K6|4", "K7|4", "K8|8"}));
    QCOMPARE(f->db.rows(placementQuery), (QStringList{"2|1|1|0", "1|2|2|2", "1|4|4|0", "3|8|8|1", "2|9|1|0"}));
    QCOMPARE(f->w.Label1->text(), QString("5"));

    f->w.Button3->click();
    QCOMPARE(f->w.Label1->text(), QString("4"));
    QStringList shown = gridRows(f->w.DBGrid1);
    shown.sort();
    QCOMPARE(shown, (QStringList{"1|K1|3|4", "1|K5|1|4", "4|K6|1|2", "4|K7|1|2"}));

    rooms->show();
    QVERIFY(gridRows(rooms->DBGrid1).contains("2|9|2||"));
}

void TestSplit::unchangedNumberChangesNothing()
{
    const QStringList roster = f->db.rows(rosterQuery);
    const QStringList placements = f->db.rows(placementQuery);
    f->w.show();
    clickRowShowing(f->w.DBGrid1, 1, "K2");
    f->w.Button1->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"更新成功"});
    QCOMPARE(f->db.rows(rosterQuery), roster);
    QCOMPARE(f->db.rows(placementQuery), placements);
}

void TestSplit::numberIsUsedWithoutBlanksAround()
{
    f->w.show();
    clickRowShowing(f->w.DBGrid1, 1, "K5");
    typeInto(f->w.Edit1, " 9 ");
    // The split is the window's default button.
    QTest::keyClick(f->w.Edit1, Qt::Key_Return);
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"更新成功"});
    QCOMPARE(f->db.scalar("SELECT sjxh FROM t_bjgmd WHERE kcxh='K5'"), QString("9"));
    QCOMPARE(f->db.rows("SELECT cc, sjxh FROM t_kscs WHERE sjxh1='1' AND sjxh<>'1'"), QStringList{"2|9"});
}

void TestSplit::splitIntoAPlacedPaperJoinsItsPeriodAndRoom()
{
    const QStringList placements = f->db.rows(placementQuery);
    f->w.show();
    clickRowShowing(f->w.DBGrid1, 1, "K2");
    typeInto(f->w.Edit1, "8");
    f->w.Button1->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"更新成功"});
    QCOMPARE(f->db.rows(placementQuery), placements);
    QCOMPARE(f->db.rows("SELECT xh, cc, jsm FROM hbkap WHERE kcxh='K2' ORDER BY xh"), (QStringList{"S4|3|A101", "S5|3|A101"}));
}

void TestSplit::refusedSplitChangesNothing_data()
{
    QTest::addColumn<bool>("clickCourse");
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("sourcePlaced");
    QTest::addColumn<QString>("message");
    QTest::newRow("no course clicked") << false << "9" << true << "请先在列表中选择课程";
    QTest::newRow("empty number") << true << "" << true << "请输入更换试卷序号";
    QTest::newRow("blank number") << true << "   " << true << "请输入更换试卷序号";
    QTest::newRow("source paper without a period") << true << "9" << false << "试卷序号“1”还没有安排考试场次，不能拆分，请先排考";
}

void TestSplit::refusedSplitChangesNothing()
{
    QFETCH(bool, clickCourse);
    QFETCH(QString, number);
    QFETCH(bool, sourcePlaced);
    QFETCH(QString, message);
    if (!sourcePlaced)
        f->db.exec("DELETE FROM t_kscs WHERE sjxh='1'");
    const QStringList roster = f->db.rows(rosterQuery);
    const QStringList placements = f->db.rows(placementQuery);
    f->w.show();
    if (clickCourse)
        clickRowShowing(f->w.DBGrid1, 1, "K2");
    typeInto(f->w.Edit1, number);
    f->w.Button1->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{message});
    QCOMPARE(f->db.rows(rosterQuery), roster);
    QCOMPARE(f->db.rows(placementQuery), placements);
}

void TestSplit::roomButtonOpensTheRoomWindowModally()
{
    f->w.show();
    clickRowShowing(f->w.DBGrid1, 1, "K2");
    bool shownModally = false;
    QTimer::singleShot(0, rooms.get(), [this, &shownModally] {
        shownModally = rooms->isVisible() && rooms->isModal();
        rooms->Button1->click();
    });
    f->w.Button4->click();
    QVERIFY(shownModally);
    QVERIFY(!rooms->isVisible());
    QVERIFY(f->w.isVisible());
    QCOMPARE(f->w.Label6->text(), QString("K2"));
}

void TestSplit::roomWindowListsPlacementsWithoutRoom()
{
    rooms->show();
    // Once per course, by period; papers with a room are left out.
    QCOMPARE(gridRows(rooms->DBGrid1), (QStringList{"1|4|2||", "1|4|2||", "2|1|6||", "2|1|6||", "2|1|6||"}));
    QCOMPARE(entries(rooms->ComboBox1), (QStringList{"A101", "B202"}));
    QCOMPARE(rooms->ComboBox1->currentText(), QString());

    clickRowShowing(rooms->DBGrid1, 1, "1");
    QCOMPARE(rooms->Label2->text(), QString("2"));
    QCOMPARE(rooms->Label4->text(), QString("1"));
    QCOMPARE(rooms->Label6->text(), QString("6"));
    pick(rooms->ComboBox1, "B202");
    rooms->Button3->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"指定成功"});
    QCOMPARE(f->db.scalar("SELECT jsm FROM t_kscs JOIN t_js USING (jsid) WHERE sjxh='1'"), QString("B202"));
    QCOMPARE(gridRows(rooms->DBGrid1), (QStringList{"1|4|2||", "1|4|2||"}));
}

void TestSplit::refusedRoomChangesNothing_data()
{
    QTest::addColumn<bool>("clickPaper");
    QTest::addColumn<QString>("room");
    QTest::addColumn<QString>("message");
    QTest::newRow("no room chosen") << true << "" << "请选择教室";
    QTest::newRow("a name no room has") << true << "A10" << "没有名为“A10”的教室，请从列表中选择教室";
    QTest::newRow("no paper clicked") << false << "A101" << "请先在列表中选择试卷";
}

void TestSplit::refusedRoomChangesNothing()
{
    QFETCH(bool, clickPaper);
    QFETCH(QString, room);
    QFETCH(QString, message);
    const QStringList placements = f->db.rows(placementQuery);
    rooms->show();
    if (clickPaper)
        clickRowShowing(rooms->DBGrid1, 1, "1");
    typeInto(rooms->ComboBox1, room);
    rooms->Button3->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{message});
    QCOMPARE(f->db.rows(placementQuery), placements);
    QCOMPARE(gridRows(rooms->DBGrid1).size(), 5);
}

void TestSplit::oneRoomFillsTheRoomChoice()
{
    f->db.exec("DELETE FROM t_js WHERE jsm='A101'");
    rooms->show();
    QCOMPARE(entries(rooms->ComboBox1), QStringList{"B202"});
}

// B202 holds paper 2 (one candidate) in period 1; paper 4 has two.
void TestSplit::roomOverCapacityAsksFirst()
{
    f->db.exec("UPDATE t_js SET rnrs=2 WHERE jsm='B202'");
    const QStringList placements = f->db.rows(placementQuery);
    const QString question = "教室 B202 容纳 2 人，本场已安排 1 人，再加 2 人将超出容量。仍要指定吗？";
    rooms->show();
    clickRowShowing(rooms->DBGrid1, 1, "4");
    pick(rooms->ComboBox1, "B202");
    f->dialogs.confirmAnswers = {false};
    rooms->Button3->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{question});
    QCOMPARE(f->db.rows(placementQuery), placements);

    f->dialogs.confirmAnswers = {true};
    rooms->Button3->click();
    QCOMPARE(f->dialogs.takeTexts(), (QStringList{question, "指定成功"}));
    QCOMPARE(f->db.scalar("SELECT quote(jsid) FROM t_kscs WHERE sjxh='4'"), QString("2"));
}

void TestSplit::noPaperOfSeveralCoursesSaysWhy()
{
    f->db.exec("UPDATE t_bjgmd SET sjxh=kcxh");
    f->w.show();
    QCOMPARE(shownEmptyText(f->w.DBGrid1), QString("没有几门课程合用的试卷：每份试卷只考一门课程，无需拆分"));
}

QTEST_MAIN(TestSplit)
#include "tst_split.moc"

// The room assignment window: the period list and overview, the period view
// with its room totals, the room choice with its capacity, assigning a room,
// moving a paper to another period, refreshing, and the lock of the period
// choice across showings.
#include "DataModule.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit4.h"
#include "UserActions.h"
#include "WindowFixture.h"

#include <QLabel>
#include <QPushButton>
#include <memory>

namespace {

// Paper 1 (two courses, four candidates) and paper 2 sit period 1; paper 3
// sits period 2 and shares student S1 with paper 1. Room A101 is smaller
// than paper 1.
void fillTerm(TestDatabase& db)
{
    db.addRoster({"1|K1|S1|甲|C1|高等数学|王老师|数学系|重修|补考", "1|K1|S2|乙|C1|高等数学|王老师|数学系|重修|补考",
        "1|K1|S3|丙|C1|高等数学|王老师|数学系|重修|补考", "1|K2|S4|丁|C2|线性代数|李老师|数学系||缓考",
        "2|K3|S5|戊|C3|大学物理|张老师|物理系||补考", "2|K3|S6|己|C3|大学物理|张老师|物理系||补考",
        "3|K4|S1|甲|C4|大学英语|赵老师|外语系||补考", "3|K4|S7|庚|C4|大学英语|赵老师|外语系||补考"});
    db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1) VALUES('1','1','1'),('1','2','2'),('2','3','3');"
            "INSERT INTO t_cc(cc) VALUES('1'),('2');"
            "INSERT INTO t_js(jsm,rnrs) VALUES('B202',50),('A101',2);");
}

QStringList column(const DBGrid* grid, int position)
{
    QStringList cells;
    for (const QString& row : gridRows(grid))
        cells.append(row.section(u'|', position, position));
    return cells;
}

} // namespace

class TestRoomAssignment : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void showingListsPeriodsAndEveryPlacement();
    void choosingAPeriodShowsItsCoursesAndRoomTotals();
    void rowClickFillsBothGroups();
    void roomChoiceShowsCapacity();
    void assignmentCoversEveryCourseOfThePaper();
    void assignmentActsOnTheLastClickedPaper();
    void roomOverCapacityAsksFirst_data();
    void roomOverCapacityAsksFirst();
    void refusedAssignmentChangesNothing_data();
    void refusedAssignmentChangesNothing();
    void periodChange_data();
    void periodChange();
    void newPeriodAppearsAfterRefreshAndPaperKeepsItsRoom();
    void periodChoiceLockAcrossShowings();
    void noRoomsLeavesTheRoomChoiceAsItWas();

private:
    QString roomId(const QString& name) { return f->db.scalar("SELECT jsid FROM t_js WHERE jsm='" + name + "'"); }
    void choosePeriodAndPaper(const QString& period, const QString& paper);

    std::unique_ptr<WindowFixture<TForm4>> f;
};

void TestRoomAssignment::init()
{
    f = std::make_unique<WindowFixture<TForm4>>();
    fillTerm(f->db);
}

void TestRoomAssignment::cleanup()
{
    f.reset();
}

void TestRoomAssignment::choosePeriodAndPaper(const QString& period, const QString& paper)
{
    f->w.show();
    pick(f->w.ComboBox1, period);
    clickRowShowing(f->w.DBGrid1, 0, paper);
    QCOMPARE(f->w.Label9->text(), paper);
}

void TestRoomAssignment::showingListsPeriodsAndEveryPlacement()
{
    f->db.exec("INSERT INTO t_cc(cc) VALUES(' 3 ')");
    f->w.show();
    // In the order the database returns them, without blanks around.
    QStringList periods = f->db.rows("SELECT cc FROM t_cc");
    for (QString& period : periods)
        period = period.trimmed();
    QCOMPARE(entries(f->w.ComboBox1), periods);
    QVERIFY(periods.contains("3"));
    QCOMPARE(f->w.ComboBox1->currentText(), QString());
    // Only the fields the course list shares with the overview are filled.
    QStringList rows = gridRows(f->w.DBGrid1);
    QCOMPARE(column(f->w.DBGrid1, 5), (QStringList{"2", "2", "4", "4"}));
    rows.sort();
    QCOMPARE(rows, (QStringList{"1|||||4||", "1|||||4||重修", "2|||||2||", "3|||||2||"}));
    QVERIFY(!f->w.DBGrid1->isEnabled());
    QVERIFY(!f->w.Button1->isEnabled());
}

void TestRoomAssignment::choosingAPeriodShowsItsCoursesAndRoomTotals()
{
    f->w.show();
    pick(f->w.ComboBox1, "1");
    QCOMPARE(f->w.Label4->text(), QString("3"));
    QCOMPARE(column(f->w.DBGrid1, 0), (QStringList{"1", "1", "2"}));
    QStringList rows = gridRows(f->w.DBGrid1);
    rows.sort();
    QCOMPARE(rows, (QStringList{"1|K1|高等数学|王老师|3|4||重修", "1|K2|线性代数|李老师|1|4||", "2|K3|大学物理|张老师|2|2||"}));
    QCOMPARE(gridRows(f->w.DBGrid2), (QStringList{"|6"}));
    QCOMPARE(entries(f->w.ComboBox2), (QStringList{"A101", "B202"}));
    QCOMPARE(f->w.ComboBox2->currentText(), QString());
    QVERIFY(f->w.DBGrid1->isEnabled());
    QVERIFY(f->w.Button1->isEnabled());
    QVERIFY(!f->w.ComboBox1->isEnabled());
    QVERIFY(f->w.Button3->isEnabled());
}

void TestRoomAssignment::rowClickFillsBothGroups()
{
    choosePeriodAndPaper("1", "1");
    clickRowShowing(f->w.DBGrid1, 1, "K1");
    const QList<QPair<QLabel*, QString>> expected{{f->w.Label7, "1"}, {f->w.Label18, "1"}, {f->w.Label9, "1"},
        {f->w.Label20, "1"}, {f->w.Label25, "K1"}, {f->w.Label11, "4"}, {f->w.Label22, "4"}, {f->w.Label13, "重修"}};
    for (const auto& [label, text] : expected)
        QCOMPARE(label->text(), text);
}

void TestRoomAssignment::roomChoiceShowsCapacity()
{
    f->w.show();
    pick(f->w.ComboBox1, "1");
    pick(f->w.ComboBox2, "A101");
    QCOMPARE(f->w.Label16->text(), QString("2"));
    typeInto(f->w.ComboBox2, "B202");
    QCOMPARE(f->w.Label16->text(), QString("50"));
    typeInto(f->w.ComboBox2, "B2");
    QCOMPARE(f->w.Label16->text(), QString());
}

void TestRoomAssignment::assignmentCoversEveryCourseOfThePaper()
{
    choosePeriodAndPaper("1", "1");
    // Four candidates in a room for two: capacity is shown, never enforced.
    pick(f->w.ComboBox2, "A101");
    f->w.Button1->click();
    QCOMPARE(f->dialogs.takeTexts(),
             (QStringList{"教室 A101 容纳 2 人，本场已安排 0 人，再加 4 人将超出容量。仍要指定吗？", "指定成功"}));
    QCOMPARE(f->db.rows("SELECT sjxh, jsid FROM t_kscs ORDER BY sjxh"), (QStringList{"1|" + roomId("A101"), "2|0", "3|0"}));
    QCOMPARE(column(f->w.DBGrid1, 6), (QStringList{"A101", "A101", ""}));
    QCOMPARE(gridRows(f->w.DBGrid2), (QStringList{"|2", "A101|4"}));
}

void TestRoomAssignment::assignmentActsOnTheLastClickedPaper()
{
    choosePeriodAndPaper("1", "2");
    f->w.Button3->click();
    pick(f->w.ComboBox1, "2");
    pick(f->w.ComboBox2, "B202");
    f->w.Button1->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"指定成功"});
    QCOMPARE(f->db.rows("SELECT sjxh, jsid FROM t_kscs ORDER BY sjxh"), (QStringList{"1|0", "2|" + roomId("B202"), "3|0"}));
}

// Paper 2 (two candidates, period 1) already sits in A101, which holds two.
void TestRoomAssignment::roomOverCapacityAsksFirst_data()
{
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("paper");
    QTest::addColumn<QString>("room");
    QTest::addColumn<QString>("question"); // empty: nothing asked
    QTest::newRow("a full room in the paper's period")
        << "1" << "1" << "A101" << "教室 A101 容纳 2 人，本场已安排 2 人，再加 4 人将超出容量。仍要指定吗？";
    QTest::newRow("the room's papers of other periods do not count") << "2" << "3" << "A101" << "";
    QTest::newRow("within the seats") << "1" << "1" << "B202" << "";
    QTest::newRow("the room the paper already has") << "1" << "2" << "A101" << "";
}

void TestRoomAssignment::roomOverCapacityAsksFirst()
{
    QFETCH(QString, period);
    QFETCH(QString, paper);
    QFETCH(QString, room);
    QFETCH(QString, question);
    f->db.exec("UPDATE t_kscs SET jsid=" + roomId("A101") + " WHERE sjxh='2'");
    const QString placements = "SELECT sjxh, quote(jsid) FROM t_kscs ORDER BY sjxh";
    const QStringList before = f->db.rows(placements);
    choosePeriodAndPaper(period, paper);
    pick(f->w.ComboBox2, room);

    f->dialogs.confirmAnswers = {false};
    f->w.Button1->click();
    if (!question.isEmpty()) {
        QCOMPARE(f->dialogs.takeTexts(), QStringList{question});
        QCOMPARE(f->db.rows(placements), before);
        f->dialogs.confirmAnswers = {true};
        f->w.Button1->click();
        QCOMPARE(f->dialogs.takeTexts(), (QStringList{question, "指定成功"}));
    } else {
        QCOMPARE(f->dialogs.takeTexts(), QStringList{"指定成功"});
    }
    QCOMPARE(f->db.scalar("SELECT quote(jsid) FROM t_kscs WHERE sjxh='" + paper + "'"), roomId(room));
}

void TestRoomAssignment::refusedAssignmentChangesNothing_data()
{
    QTest::addColumn<bool>("clickPaper");
    QTest::addColumn<QString>("room");
    QTest::addColumn<QString>("message");
    QTest::newRow("no room chosen") << true << "" << "请选择教室";
    QTest::newRow("a name no room has") << true << "C303" << "没有名为“C303”的教室，请从列表中选择教室";
    QTest::newRow("no paper clicked") << false << "A101" << "请先在列表中选择试卷";
}

void TestRoomAssignment::refusedAssignmentChangesNothing()
{
    QFETCH(bool, clickPaper);
    QFETCH(QString, room);
    QFETCH(QString, message);
    f->w.show();
    pick(f->w.ComboBox1, "1");
    if (clickPaper)
        clickRowShowing(f->w.DBGrid1, 0, "1");
    typeInto(f->w.ComboBox2, room);
    // Changed behind the window's back: the refused press still reloads the lists.
    f->db.exec("UPDATE t_kscs SET jsid=" + roomId("B202") + " WHERE sjxh='2'");
    f->w.Button1->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{message});
    QCOMPARE(f->db.rows("SELECT sjxh, jsid FROM t_kscs ORDER BY sjxh"), (QStringList{"1|0", "2|" + roomId("B202"), "3|0"}));
    QCOMPARE(column(f->w.DBGrid1, 6), (QStringList{"B202", "", ""}));
    QCOMPARE(gridRows(f->w.DBGrid2), (QStringList{"|4", "B202|2"}));
}

void TestRoomAssignment::periodChange_data()
{
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("paper");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("placements");
    QTest::addColumn<QStringList>("periods");

    const QStringList unchanged{"1|1", "1|2", "2|3"};
    const QString newPeriod = QStringLiteral("更换成功\n第 %1 场是新场次，还没有考试时间：请在“5.指定时间”中给它指定时间，"
                                             "否则这一场的考生不会被打印。");
    const QStringList twoPeriods{"1|", "2|"};
    QTest::newRow("into its own period") << "1" << "2" << "1" << "学生考试有冲突！！！" << unchanged << twoPeriods;
    QTest::newRow("into a period where a student sits") << "2" << "3" << "1" << "学生考试有冲突！！！" << unchanged << twoPeriods;
    QTest::newRow("into a period without a shared student")
        << "1" << "2" << "2" << "更换成功" << QStringList{"1|1", "2|2", "2|3"} << twoPeriods;
    QTest::newRow("into a new period")
        << "1" << "2" << "12" << newPeriod.arg(12) << QStringList{"1|1", "12|2", "2|3"} << QStringList{"1|", "12|", "2|"};
    for (const char* target : {"", "abc", " 3", "3 ", "0", "03", "三"}) {
        QTest::addRow("refused target '%s'", target)
            << "1" << "2" << target << QStringLiteral("更换场次“%1”不是场次号，请输入 1、2、3 这样的数字").arg(target)
            << unchanged << twoPeriods;
    }
}

void TestRoomAssignment::periodChange()
{
    QFETCH(QString, period);
    QFETCH(QString, paper);
    QFETCH(QString, target);
    QFETCH(QString, message);
    QFETCH(QStringList, placements);
    QFETCH(QStringList, periods);
    choosePeriodAndPaper(period, paper);
    typeInto(f->w.Edit1, target);
    f->w.Button4->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{message});
    QCOMPARE(f->db.rows("SELECT cc, sjxh FROM t_kscs ORDER BY sjxh"), placements);
    QCOMPARE(f->db.rows("SELECT cc, kssj FROM t_cc ORDER BY cc"), periods);
}

void TestRoomAssignment::newPeriodAppearsAfterRefreshAndPaperKeepsItsRoom()
{
    f->db.exec("UPDATE t_kscs SET jsid=" + roomId("B202") + " WHERE sjxh='2'");
    choosePeriodAndPaper("1", "2");
    typeInto(f->w.Edit1, "7");
    f->w.Button4->click();
    QVERIFY(f->dialogs.lastText().startsWith("更换成功\n第 7 场是新场次"));
    // Nothing is reloaded by the move itself.
    QCOMPARE(entries(f->w.ComboBox1), (QStringList{"1", "2"}));
    QCOMPARE(column(f->w.DBGrid1, 0), (QStringList{"2", "1", "1"}));

    f->w.Button5->click();
    QCOMPARE(entries(f->w.ComboBox1), (QStringList{"1", "2", "7"}));
    QCOMPARE(f->w.ComboBox1->currentText(), QString("1"));
    QVERIFY(!f->w.ComboBox1->isEnabled());
    QCOMPARE(column(f->w.DBGrid1, 0), (QStringList{"1", "1"}));
    QCOMPARE(f->w.Label4->text(), QString("2"));
    QCOMPARE(gridRows(f->w.DBGrid2), (QStringList{"|4"}));

    f->w.Button3->click();
    pick(f->w.ComboBox1, "7");
    QCOMPARE(gridRows(f->w.DBGrid1), (QStringList{"2|K3|大学物理|张老师|2|2|B202|"}));
    QCOMPARE(gridRows(f->w.DBGrid2), (QStringList{"B202|2"}));
}

void TestRoomAssignment::periodChoiceLockAcrossShowings()
{
    struct Expected {
        bool grid, periodChoice, assign, unlock;
    };
    auto check = [this](const char* state, Expected e) {
        QVERIFY2(f->w.DBGrid1->isEnabled() == e.grid, state);
        QVERIFY2(f->w.ComboBox1->isEnabled() == e.periodChoice, state);
        QVERIFY2(f->w.Button1->isEnabled() == e.assign, state);
        QVERIFY2(f->w.Button3->isEnabled() == e.unlock, state);
        QVERIFY2(f->w.Edit1->isEnabled() && f->w.Button4->isEnabled() && f->w.Button5->isEnabled(), state);
    };
    f->w.show();
    check("first showing", {false, true, false, true});
    pick(f->w.ComboBox1, "1");
    check("period fixed", {true, false, true, true});
    f->w.Button2->click();
    QVERIFY(!f->w.isVisible());
    QVERIFY(!f->dm.ADOQuery3.Active() && !f->dm.ADOQuery4.Active());

    f->w.show();
    check("showing after a fixed period", {false, false, false, true});
    QCOMPARE(f->w.ComboBox1->currentText(), QString());
    QCOMPARE(f->w.Label4->text(), QString("3"));
    f->w.Button3->click();
    check("unlocked", {false, true, false, false});
    // Typing is a choice as well, from the first key on.
    typeInto(f->w.ComboBox1, "2");
    check("period fixed by typing", {true, false, true, true});
    QCOMPARE(column(f->w.DBGrid1, 0), (QStringList{"3"}));
    f->w.Button3->click();
    check("unlocked again", {true, true, true, false});
}

void TestRoomAssignment::noRoomsLeavesTheRoomChoiceAsItWas()
{
    f->w.show();
    pick(f->w.ComboBox1, "1");
    typeInto(f->w.ComboBox2, "A1");
    f->db.exec("DELETE FROM t_js");
    f->w.Button3->click();
    pick(f->w.ComboBox1, "2");
    QCOMPARE(entries(f->w.ComboBox2), (QStringList{"A101", "B202"}));
    QCOMPARE(f->w.ComboBox2->currentText(), QString("A1"));
}

QTEST_MAIN(TestRoomAssignment)
#include "tst_roomassignment.moc"

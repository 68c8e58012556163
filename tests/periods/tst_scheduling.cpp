// The scheduling window: first-fit placement, refusal of an unschedulable
// roster, clearing, validation, the two button states and the menu guard.
#include "DBGrid.h"
#include "DataModule.h"
#include "GridRows.h"
#include "RecordingDialogs.h"
#include "Rosters.h"
#include "periods/Scheduling.h"
#include "StatusProgress.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "WindowFixture.h"
#include "Windows.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

namespace {

// A scheduling window over a fresh database, shown as the menu shows it.
struct Fixture : WindowFixture<TForm2> {
    explicit Fixture(const QStringList& papers = {})
    {
        db.addRoster(rosterOf(papers));
        w.show();
    }
};

// Papers P0..P(n-1) of seeded random sizes, a few large, drawn from `students`.
QStringList generatedPapers(int papers, int students, quint32 seed)
{
    QRandomGenerator random(seed);
    QStringList lines;
    for (int p = 0; p < papers; ++p) {
        const int size = p % 10 == 0 ? 20 + random.bounded(30) : 1 + random.bounded(8);
        QSet<int> chosen;
        while (chosen.size() < size)
            chosen.insert(random.bounded(students));
        QStringList names;
        for (int s : chosen)
            names.append(QStringLiteral("S%1").arg(s));
        lines.append(QStringLiteral("P%1:%2").arg(p).arg(names.join(u',')));
    }
    return lines;
}

} // namespace

class TestScheduling : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstFitPlacesLargestFirst_data();
    void firstFitPlacesLargestFirst();
    void repeatedRunsGiveTheSamePlacements();
    void duplicateStudentIsRefusedAndNothingChanges_data();
    void duplicateStudentIsRefusedAndNothingChanges();
    void failedRunLeavesNoHalfSchedule();
    void declinedConfirmationsChangeNothing();
    void openingShowsCountsAndState_data();
    void openingShowsCountsAndState();
    void validationListsDuplicates_data();
    void validationListsDuplicates();
    void progressStepsOncePerPaper();
    void exitEmptiesThePaperList();
    void menuGuardSendsBackToNumbering();
};

void TestScheduling::firstFitPlacesLargestFirst_data()
{
    QTest::addColumn<QStringList>("papers");
    QTest::addColumn<QStringList>("expected"); // "cc|sjxh"
    QTest::addColumn<QStringList>("order");    // the paper list as shown

    QTest::newRow("empty roster") << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("no common student: one period")
        << QStringList{"A:1,2", "B:3"} << QStringList{"1|A", "1|B"} << QStringList{"A|2", "B|1"};
    QTest::newRow("shared student opens a period; smaller paper fits there")
        << QStringList{"X:1,2,3,4", "Y:4,5,6", "Z:1,7"} << QStringList{"1|X", "2|Y", "2|Z"}
        << QStringList{"X|4", "Y|3", "Z|2"};
    QTest::newRow("equal counts: greater number as text first")
        << QStringList{"10:1", "9:1"} << QStringList{"1|9", "2|10"} << QStringList{"9|1", "10|1"};
    QTest::newRow("lowest free period, not the newest")
        << QStringList{"A:1,2,3", "B:1,4", "C:2,5", "D:6"} << QStringList{"1|A", "1|D", "2|B", "2|C"}
        << QStringList{"A|3", "C|2", "B|2", "D|1"};
    QTest::newRow("three papers pairwise sharing: three periods")
        << QStringList{"A:1,2", "B:2,3", "C:1,3"} << QStringList{"1|C", "2|B", "3|A"}
        << QStringList{"C|2", "B|2", "A|2"};
    QTest::newRow("paper number with blanks is trimmed")
        << QStringList{" P7 :1"} << QStringList{"1|P7"} << QStringList{" P7 |1"};
}

void TestScheduling::firstFitPlacesLargestFirst()
{
    QFETCH(QStringList, papers);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, order);
    Fixture f(papers);

    f.w.Button1->click();

    QCOMPARE(placements(f.db), expected);
    QCOMPARE(scheduleFault(f.db), QString());
    QCOMPARE(gridRows(f.w.DBGrid1), order);
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{"是否开始排考？ ", "处理完毕"}));
    QCOMPARE(f.w.Label1->text(), QString::number(order.size()));
    QCOMPARE(f.w.Label5->text(), f.db.scalar("select count(distinct cc) from t_kscs"));
    // A run always ends scheduled; the next opening decides from t_kscs.
    QVERIFY(!f.w.Button1->isEnabled());
    QVERIFY(f.w.Button3->isEnabled());
    f.reopen();
    QCOMPARE(f.w.Button1->isEnabled(), expected.isEmpty());
    QCOMPARE(f.w.Button3->isEnabled(), !expected.isEmpty());
}

void TestScheduling::repeatedRunsGiveTheSamePlacements()
{
    Fixture f(generatedPapers(80, 300, 7));
    f.w.Button1->click();
    QCOMPARE(scheduleFault(f.db), QString());
    const QStringList first = placements(f.db);
    QVERIFY(f.db.scalar("select count(distinct cc) from t_kscs").toInt() > 3);
    f.dialogs.takeTexts();

    f.w.Button3->click();
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{"是否清空？ ", "删除完毕"}));
    QCOMPARE(f.db.scalar("select count(*) from t_kscs") + f.db.scalar("select count(*) from t_cc"), QString("00"));
    QCOMPARE(f.db.scalar("select count(*) from t_bjgmd").toInt(), rosterOf(generatedPapers(80, 300, 7)).size());
    QVERIFY(f.w.Label1->text().isEmpty() && f.w.Label5->text().isEmpty());
    QVERIFY(!f.dm.ADOQuery1.Active());
    QVERIFY(f.w.Button1->isEnabled() && !f.w.Button3->isEnabled());

    f.w.Button1->click();
    QCOMPARE(placements(f.db), first);
    QCOMPARE(scheduleFault(f.db), QString());
}

void TestScheduling::duplicateStudentIsRefusedAndNothingChanges_data()
{
    QTest::addColumn<QStringList>("papers");
    QTest::addColumn<QString>("paper");
    QTest::addColumn<QString>("student");
    QTest::addColumn<int>("times");

    QTest::newRow("the only paper") << QStringList{"A:1,1"} << "A" << "1" << 2;
    QTest::newRow("a later paper, after two periods are open")
        << QStringList{"A:1,2,3,4", "B:1,5,6", "C:7,7"} << "C" << "7" << 2;
    QTest::newRow("a paper that also conflicts with others")
        << QStringList{"A:1,2,4,5", "B:1,3,3,3"} << "B" << "3" << 3;
}

void TestScheduling::duplicateStudentIsRefusedAndNothingChanges()
{
    QFETCH(QStringList, papers);
    QFETCH(QString, paper);
    QFETCH(QString, student);
    QFETCH(int, times);
    Fixture f(papers);
    // Periods of an earlier term, with their times, must survive the refusal.
    f.db.exec("insert into t_cc(cc,kssj) values('1','6月1日 8:00'),('2','6月1日 14:00')");
    const QStringList periodsBefore = f.db.rows("select rowid, cc, kssj from t_cc");

    f.w.Button1->click();

    const QStringList texts = f.dialogs.takeTexts();
    QCOMPARE(texts, (QStringList{"是否开始排考？ ", refusalText({paper, student, times})}));
    QVERIFY(texts.last().contains(paper) && texts.last().contains(student));
    QCOMPARE(f.db.scalar("select count(*) from t_kscs"), QString("0"));
    QCOMPARE(f.db.rows("select rowid, cc, kssj from t_cc"), periodsBefore);
    QVERIFY(f.w.Button1->isEnabled() && !f.w.Button3->isEnabled());
    QCOMPARE(f.w.ProgressBar1->value(), 0);
}

void TestScheduling::failedRunLeavesNoHalfSchedule()
{
    Fixture f({"A:1,2", "B:2,3", "C:4"});
    f.db.exec("insert into t_cc(cc,kssj) values('1','old')");
    // The last step, writing the periods, fails after every paper is placed.
    f.db.exec("create trigger refuse_periods before insert on t_cc begin select raise(abort, 'disk full'); end");

    f.w.Button1->click();

    QCOMPARE(f.dialogs.boxes.last().kind, QString("error"));
    QVERIFY(f.dialogs.boxes.last().text.contains("disk full"));
    QCOMPARE(f.db.scalar("select count(*) from t_kscs"), QString("0"));
    QCOMPARE(f.db.rows("select cc, kssj from t_cc"), QStringList{"1|old"});
    QVERIFY(f.w.Button1->isEnabled());
}

void TestScheduling::declinedConfirmationsChangeNothing()
{
    Fixture f({"A:1", "B:1"});
    f.db.exec("insert into t_cc(cc,kssj) values('1','old')");
    f.dialogs.confirmAnswers = {false};
    f.w.Button1->click();
    QCOMPARE(f.db.scalar("select count(*) from t_kscs"), QString("0"));
    QCOMPARE(f.db.rows("select cc, kssj from t_cc"), QStringList{"1|old"});

    f.w.Button1->click();
    const QStringList scheduled = placements(f.db);
    f.dialogs.confirmAnswers = {false};
    f.dialogs.takeTexts();
    f.w.Button3->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"是否清空？ "});
    QCOMPARE(placements(f.db), scheduled);
    QCOMPARE(f.db.scalar("select count(*) from t_cc"), QString("2"));
    QVERIFY(!f.w.Button1->isEnabled() && f.w.Button3->isEnabled());
}

void TestScheduling::openingShowsCountsAndState_data()
{
    QTest::addColumn<QString>("placed"); // statement filling t_kscs
    QTest::addColumn<QString>("papers");
    QTest::addColumn<QString>("periods");
    QTest::addColumn<bool>("scheduled");

    QTest::newRow("not scheduled") << QString() << "0" << "0" << false;
    QTest::newRow("scheduled")
        << "insert into t_kscs(cc,sjxh,sjxh1) values('1','A','A'),('1','B','B'),('2','C','C')" << "3" << "2" << true;
}

void TestScheduling::openingShowsCountsAndState()
{
    QFETCH(QString, placed);
    QFETCH(QString, papers);
    QFETCH(QString, periods);
    QFETCH(bool, scheduled);
    TestDatabase db;
    if (!placed.isEmpty())
        db.exec(placed);
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    TForm2 w(dm, dialogs);
    w.show();
    QCOMPARE(w.Label1->text(), papers);
    QCOMPARE(w.Label5->text(), periods);
    QCOMPARE(w.Button1->isEnabled(), !scheduled);
    QCOMPARE(w.Button3->isEnabled(), scheduled);
    QVERIFY(!dm.ADOQuery1.Active());
}

void TestScheduling::validationListsDuplicates_data()
{
    QTest::addColumn<QStringList>("papers");
    QTest::addColumn<QStringList>("listed"); // "sjxh|xh|Num"
    QTest::addColumn<QString>("verdict");

    QTest::newRow("clean roster") << QStringList{"A:1,2", "B:1"} << QStringList{} << "数据校验通过，可以排考";
    QTest::newRow("a student twice and one three times")
        << QStringList{"A:1,1,2", "B:3,3,3", "C:1"} << QStringList{"A|1|2", "B|3|3"} << "有重复数据，请删除";
}

void TestScheduling::validationListsDuplicates()
{
    QFETCH(QStringList, papers);
    QFETCH(QStringList, listed);
    QFETCH(QString, verdict);
    Fixture f(papers);

    f.w.Button4->click();

    QCOMPARE(f.dialogs.takeTexts(), QStringList{verdict});
    QStringList shown = gridRows(f.w.DBGrid2);
    shown.sort();
    QCOMPARE(shown, listed);
    QCOMPARE(static_cast<QTableView*>(f.w.DBGrid2)->model()->headerData(2, Qt::Horizontal).toString(), QString("次数"));
}

void TestScheduling::progressStepsOncePerPaper()
{
    Fixture f({"A:1,2", "B:2", "C:3"});
    QList<QPair<int, int>> calls;
    const SchedulingRun run = schedulePapers(f.dm, [&](int placed, int total) { calls.append({placed, total}); });
    QCOMPARE(calls, (QList<QPair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    QCOMPARE(run.papers, 3);
    QCOMPARE(run.periods, 2);
    QVERIFY(!run.refused);

    f.db.exec("delete from t_kscs; delete from t_cc");
    f.w.Button1->click();
    QCOMPARE(f.dialogs.pausedMilliseconds, 3 * 25);
    QCOMPARE(f.w.ProgressBar1->maximum(), 3);
    QCOMPARE(f.w.ProgressBar1->value(), 0);
    QCOMPARE(f.w.ProgressBar1->parentWidget(), f.w.StatusBar1);
}

void TestScheduling::exitEmptiesThePaperList()
{
    Fixture f({"A:1"});
    f.w.Button1->click();
    QCOMPARE(gridRows(f.w.DBGrid1).size(), 1);
    f.w.Button2->click();
    QVERIFY(!f.dm.ADOQuery1.Active());
    QVERIFY(gridRows(f.w.DBGrid1).isEmpty());
    QVERIFY(!f.w.isVisible());
}

void TestScheduling::menuGuardSendsBackToNumbering()
{
    TestDatabase db;
    db.addRoster({"|K1|1|甲|C1|高等数学|张|数学系", "5|K2|2|乙|C2|英语|李|外语系"});
    RecordingDialogs dialogs;
    Windows windows(dialogs);
    windows.Form1->data().reconfigure();

    windows.Form3->N7Click();
    QCOMPARE(dialogs.takeTexts(), QStringList{"试卷序号还未填写，请返回至试卷管理"});
    QVERIFY(!windows.Form2->isVisible());
    QCOMPARE(windows.Form1->data().ADOQuery18.RecordCount(), 1);
    QCOMPARE(windows.Form1->data().ADOQuery18.FieldByName("kcxh").AsString(), QString("K1"));

    db.exec("update t_bjgmd set sjxh='4' where kcxh='K1'");
    bool opened = false;
    QTimer::singleShot(0, windows.Form2.get(), [&] {
        opened = windows.Form2->isVisible();
        windows.Form2->close();
    });
    windows.Form3->N7Click();
    QVERIFY(opened);
    QVERIFY(dialogs.takeTexts().isEmpty());
}

QTEST_MAIN(TestScheduling)
#include "tst_scheduling.moc"

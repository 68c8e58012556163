// "减少场次" in the scheduling window: when it is offered, declining and
// stopping (the tables stay as they were, checked raw), and a reduced term
// that then gets rooms and times, prints and exports on its new periods.
#include "DataModule.h"
#include "RecordingDialogs.h"
#include "TermGoesOn.h"
#include "Rosters.h"
#include "StatusProgress.h"
#include "Unit2.h"
#include "Unit6.h"
#include "UserActions.h"
#include "WindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <limits>

namespace {

// The crown of four (first fit opens four periods for it, two do) and a
// 5-cycle C1..C5 of small papers that needs three: first fit gives 4, the
// fewest is 3, and the search goes on looking for 2 until it is stopped.
QStringList crownAndCycle()
{
    QStringList rows = crownRoster(4);
    for (int i = 1; i <= 5; ++i)
        for (int t : {i, i % 5 + 1})
            rows.append(QStringList{QString("C%1").arg(i), QString("KC%1").arg(i), QString("T%1").arg(t)}.join(u'|'));
    return rows;
}

// Students in two papers of one period; papers split off B1 not beside it.
QString arrangementFault(TestDatabase& db)
{
    const QString clashes = studentsInTwoPapersOfAPeriod(db);
    if (clashes != "0")
        return clashes + " students sit two papers in one period";
    if (db.scalar("select count(distinct cc) from t_kscs where sjxh in ('B1','B1x')") != "1")
        return "the split paper left its source";
    return {};
}

struct Fixture : WindowFixture<TForm2> {
    explicit Fixture(const QStringList& roster = crownAndCycle())
    {
        db.addRoster(roster);
        db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',40),('B202',40),('C303',40)");
        w.show();
        w.Button1->click();
        w.reductionLimits.iterations = 5000;
        dialogs.boxes.clear();
    }
};

const QString offer = QStringLiteral("可将 4 场减少为 3 场，是否采用？");

} // namespace

class TestReducePeriods : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void offeredOnlyWhenScheduledWithoutTimes();
    void nothingFewerIsSaid();
    void decliningChangesNothing();
    void stoppingKeepsTheBestSoFar_data();
    void stoppingKeepsTheBestSoFar();
    void theReducedTermGoesOn();
};

void TestReducePeriods::offeredOnlyWhenScheduledWithoutTimes()
{
    Fixture f;
    QPushButton* button = f.w.findChild<QPushButton*>("reducePeriodsButton");
    QCOMPARE(button, f.w.reducePeriodsButton);
    QCOMPARE(button->text(), QString("减少场次"));
    QVERIFY(button->isEnabled());

    f.db.exec("update t_cc set kssj='6月20日 8:00' where cc='2'");
    f.reopen();
    QVERIFY(!button->isEnabled());
    QCOMPARE(button->toolTip(), QString("已有场次指定了考试时间，请先清除考试时间再减少场次。"));
    const QStringList before = placementTables(f.db);
    f.w.reducePeriodsClick();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"已有场次指定了考试时间，请先清除考试时间再减少场次。"});
    QCOMPARE(placementTables(f.db), before);

    f.db.exec("update t_cc set kssj=''");
    f.reopen();
    QVERIFY(button->isEnabled());
    f.w.Button3->click();
    QVERIFY(!button->isEnabled());
    f.reopen();
    QVERIFY(!button->isEnabled());
}

void TestReducePeriods::nothingFewerIsSaid()
{
    Fixture f(rosterOf({"P1:S1,S2", "P2:S2,S3", "P3:S3,S1"}));
    const QStringList before = placementTables(f.db);
    f.w.reducePeriodsButton->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"未找到更少的场次，仍为 3 场。"});
    QCOMPARE(placementTables(f.db), before);
}

void TestReducePeriods::decliningChangesNothing()
{
    Fixture f;
    const QStringList before = placementTables(f.db);
    f.dialogs.confirmAnswers = {false};
    f.w.reducePeriodsButton->click();
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes[0].kind, QString("confirm"));
    QCOMPARE(f.dialogs.boxes[0].text, offer);
    QCOMPARE(placementTables(f.db), before);
    QCOMPARE(f.w.Label5->text(), QString("4"));
}

void TestReducePeriods::stoppingKeepsTheBestSoFar_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("the button, now 停止") << "button";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("closing the window") << "close";
}

void TestReducePeriods::stoppingKeepsTheBestSoFar()
{
    QFETCH(QString, how);
    Fixture f;
    // Only the stop ends it: a stop that is not heard never returns.
    f.w.reductionLimits.iterations = -1;
    f.w.reductionLimits.milliseconds = std::numeric_limits<int>::max();
    const QStringList before = placementTables(f.db);
    QString shown, caption;
    QList<bool> othersEnabled;
    QTimer::singleShot(0, &f.w, [&] {
        shown = f.w.StatusBar1->currentMessage();
        caption = f.w.reducePeriodsButton->text();
        for (QPushButton* b : {f.w.Button1, f.w.Button2, f.w.Button3, f.w.Button4})
            othersEnabled.append(b->isEnabled());
        if (how == "button")
            f.w.reducePeriodsButton->click();
        else if (how == "escape")
            QTest::keyClick(&f.w, Qt::Key_Escape);
        else
            f.w.close();
    });
    f.dialogs.confirmAnswers = {false};
    f.w.reducePeriodsButton->click();

    QCOMPARE(shown, QString("原有 4 场，当前最少 3 场"));
    QCOMPARE(caption, QString("停止"));
    QCOMPARE(othersEnabled, (QList<bool>{false, false, false, false}));
    QVERIFY(f.w.isVisible());
    QCOMPARE(f.dialogs.takeTexts(), QStringList{offer});
    QCOMPARE(placementTables(f.db), before);
    QCOMPARE(f.w.reducePeriodsButton->text(), QString("减少场次"));
    QCOMPARE(f.w.StatusBar1->currentMessage(), QString());
    QVERIFY(f.w.Button3->isEnabled() && f.w.Button2->isEnabled() && f.w.Button4->isEnabled());
    QVERIFY(!f.w.Button1->isEnabled());
}

void TestReducePeriods::theReducedTermGoesOn()
{
    Fixture f;
    QVERIFY(QFile::copy(PAIKAO_SOURCE_DIR "/data/Project2.rav", f.db.folder() + "/data/Project2.rav"));
    // A room for A1 already, and a course split off B1 with a room of its own.
    f.db.exec("update t_kscs set jsid=1 where sjxh='A1'");
    f.db.exec("update t_bjgmd set sjxh='B1x', kcxh='KB1x' where xh in ('F1','F2')");
    f.db.exec("insert into t_kscs(cc,sjxh,sjxh1,jsid) select cc,'B1x','B1',2 from t_kscs where sjxh='B1'");
    const QStringList rooms = f.db.rows("select sjxh, jsid from t_kscs order by sjxh");

    f.w.reducePeriodsButton->click();
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{offer, "处理完毕"}));
    QCOMPARE(f.w.Label5->text(), QString("3"));
    QCOMPARE(arrangementFault(f.db), QString());
    QCOMPARE(f.db.rows("select distinct cc from t_kscs order by cc"), (QStringList{"1", "2", "3"}));
    QCOMPARE(f.db.rows("select quote(cc), quote(kssj) from t_cc order by cc"), (QStringList{"'1'|''", "'2'|''", "'3'|''"}));
    QCOMPARE(f.db.rows("select sjxh, jsid from t_kscs order by sjxh"), rooms);
    f.reopen();
    QCOMPARE(f.w.Label5->text(), QString("3"));
    QVERIFY(f.w.reducePeriodsButton->isEnabled());
    f.w.Button2->click();

    // Rooms: every paper without one gets A101 or C303, period by period.
    giveRoomsByHand(f.db, f.dm, f.dialogs);
    if (QTest::currentTestFailed())
        return;

    // Times for the three new periods.
    TForm6 timeWindow(f.dm, f.dialogs);
    timeWindow.show();
    for (const QString period : {"1", "2", "3"}) {
        clickRowShowing(timeWindow.DBGrid1, 0, period);
        typeInto(timeWindow.Edit1, QString("6月2%1日 8:00").arg(period));
        timeWindow.Button1->click();
    }
    timeWindow.Button2->click();
    f.dialogs.takeTexts();
    printAndExportOnTheNewPeriods(f.db, f.dm, f.dialogs);
}

QTEST_MAIN(TestReducePeriods)
#include "tst_reduceperiods.moc"

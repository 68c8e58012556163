// The period-time window: the periods with their times, storing a time as
// typed for the clicked period, and the second press that stores an empty
// time; a time another period has is refused while the two share a
// student.
#include "DataModule.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit6.h"
#include "UserActions.h"
#include "WindowFixture.h"

#include <QLabel>
#include <QPushButton>

class TestPeriodTimes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void storesTheTimeAsTypedForTheClickedPeriod();
    void secondPressStoresAnEmptyTime();
    void noClickedPeriodIsRefused();
    void sameTimeRefusedWhileTheyShareAStudent();
};

namespace {

struct Fixture : WindowFixture<TForm6> {
    Fixture()
    {
        db.exec("INSERT INTO t_cc(cc) VALUES('1'),('2'),('3')");
        w.show();
    }
};

const char* timesQuery = "SELECT cc, quote(kssj) FROM t_cc ORDER BY cc";

} // namespace

void TestPeriodTimes::storesTheTimeAsTypedForTheClickedPeriod()
{
    Fixture f;
    QCOMPARE(gridRows(f.w.DBGrid1), (QStringList{"1|", "2|", "3|"}));
    clickRowShowing(f.w.DBGrid1, 0, "3");
    QCOMPARE(f.w.Label2->text(), QString("3"));
    typeInto(f.w.Edit1, " 2027年1月12日 8:30 ");
    f.w.Button1->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"修改成功"});
    QCOMPARE(f.db.rows(timesQuery), (QStringList{"1|''", "2|''", "3|' 2027年1月12日 8:30 '"}));
    QCOMPARE(gridRows(f.w.DBGrid1), (QStringList{"1|", "2|", "3| 2027年1月12日 8:30 "}));
    QCOMPARE(f.w.Edit1->text(), QString());

    // A click brings the stored time back for correcting.
    clickRowShowing(f.w.DBGrid1, 0, "1");
    clickRowShowing(f.w.DBGrid1, 0, "3");
    QCOMPARE(f.w.Edit1->text(), QString(" 2027年1月12日 8:30 "));
}

void TestPeriodTimes::secondPressStoresAnEmptyTime()
{
    Fixture f;
    clickRowShowing(f.w.DBGrid1, 0, "2");
    typeInto(f.w.Edit1, "2027-01-10 14:00");
    f.w.Button1->click();
    f.w.Button1->click();
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{"修改成功", "修改成功"}));
    QCOMPARE(f.db.rows(timesQuery), (QStringList{"1|''", "2|''", "3|''"}));
    QCOMPARE(f.w.Label2->text(), QString("2"));
}

void TestPeriodTimes::noClickedPeriodIsRefused()
{
    Fixture f;
    typeInto(f.w.Edit1, "2027-01-10 14:00");
    f.w.Button1->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"请先在列表中选择场次"});
    QCOMPARE(f.db.rows(timesQuery), (QStringList{"1|''", "2|''", "3|''"}));
    QCOMPARE(f.w.Edit1->text(), QString("2027-01-10 14:00"));
}

void TestPeriodTimes::sameTimeRefusedWhileTheyShareAStudent()
{
    Fixture f;
    // S1 sits papers 1 and 2; paper 3 shares nobody with paper 1.
    f.db.addRoster({"1|K1|S1|甲|C1|高等数学|王|数学系||补考", "2|K2|S1|甲|C2|大学英语|赵|外语系||补考",
                    "3|K3|S2|乙|C3|日语|钱|外语系||补考"});
    f.db.exec("insert into t_kscs(cc,sjxh,sjxh1) values('1','1','1'),('2','2','2'),('3','3','3')");
    f.db.exec("update t_cc set kssj='2027-01-11 星期一 08:00-10:00' where cc='1'");
    f.reopen();
    const QStringList before = f.db.rows(timesQuery);

    // A time spelled otherwise that overlaps period 1's is sat at once.
    clickRowShowing(f.w.DBGrid1, 0, "2");
    typeInto(f.w.Edit1, "2027/1/11\u30009：00 - 11：00 ");
    f.w.Button1->click();
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes[0].kind, QString("warning"));
    QVERIFY2(f.dialogs.boxes[0].text.startsWith("第1场已定在这个时间（2027-01-11 星期一 08:00-10:00），第2场")
                 && f.dialogs.boxes[0].text.contains("学号 S1 甲") && f.dialogs.boxes[0].text.contains("高等数学（试卷序号 1）")
                 && f.dialogs.boxes[0].text.contains("大学英语（试卷序号 2）"),
             qPrintable(f.dialogs.boxes[0].text));
    f.dialogs.boxes.clear();
    QCOMPARE(f.db.rows(timesQuery), before);
    QCOMPARE(f.w.Edit1->text(), QString("2027/1/11\u30009：00 - 11：00 "));

    // The window has no default button: Enter neither stores nor exports.
    // Period 3 shares nobody: its time is stored as typed.
    clickRowShowing(f.w.DBGrid1, 0, "3");
    typeInto(f.w.Edit1, "2027-1-11 8:00-10:00");
    QTest::keyClick(f.w.Edit1, Qt::Key_Return);
    QCOMPARE(f.dialogs.takeTexts(), QStringList());
    QCOMPARE(f.db.rows(timesQuery), before);
    f.w.Button1->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"修改成功"});
    QCOMPARE(f.db.rows(timesQuery), (QStringList{"1|'2027-01-11 星期一 08:00-10:00'", "2|''",
                                                 "3|'2027-1-11 8:00-10:00'"}));
    QTest::keyClick(f.w.DBGrid1, Qt::Key_Escape);
    QVERIFY(!f.w.isVisible());
}

QTEST_MAIN(TestPeriodTimes)
#include "tst_periodtimes.moc"

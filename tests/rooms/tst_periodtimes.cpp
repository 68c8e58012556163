// The period-time window: the periods with their times, storing a time as
// typed for the clicked period, and the second press that stores an empty
// time.
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

QTEST_MAIN(TestPeriodTimes)
#include "tst_periodtimes.moc"

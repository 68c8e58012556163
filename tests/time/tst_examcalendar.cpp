// The days and sittings offered for a term: sittings read in one form and
// never two at one clock time, dates kept to the days a term can use.
#include "time/ExamCalendar.h"

#include <QTest>

class TestExamCalendar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void offeredOrRefused_data();
    void offeredOrRefused();
};

void TestExamCalendar::offeredOrRefused_data()
{
    QTest::addColumn<QDate>("firstDate");
    QTest::addColumn<QStringList>("sittings");
    QTest::addColumn<QString>("skippedDates");
    QTest::addColumn<int>("periods");
    QTest::addColumn<QString>("offered"); // the last time offered, or the refusal

    const QDate monday(2027, 1, 11);
    QTest::newRow("spellings in one form")
        << monday << QStringList{"14:30 - 16:30", "８：００－１０：００"} << "" << 3 << "2027-01-12 星期二 08:00-10:00";
    QTest::newRow("one time in two spellings")
        << monday << QStringList{"08:00-10:00", "8:00-10:00", "14:30-16:30"} << "" << 3
        << "场次时间“08:00-10:00”和“8:00-10:00”是同一个时间，请修改或删除其中一个。";
    QTest::newRow("blanks and full-width colon")
        << monday << QStringList{"08:00 - 10:00", "08：00-10：00"} << "" << 3
        << "场次时间“08:00 - 10:00”和“08：00-10：00”是同一个时间，请修改或删除其中一个。";
    QTest::newRow("overlapping")
        << monday << QStringList{"08:00-10:00", "14:30-16:30", "09:00-11:00"} << "" << 3
        << "场次时间“08:00-10:00”和“09:00-11:00”有重叠的时间，同一时间不能考两场，请修改或删除其中一个。";
    QTest::newRow("one within another")
        << monday << QStringList{"08:00-12:00", "10:00-11:00"} << "" << 3
        << "场次时间“08:00-12:00”和“10:00-11:00”有重叠的时间，同一时间不能考两场，请修改或删除其中一个。";
    QTest::newRow("one ends as the next starts")
        << monday << QStringList{"10:00-12:00", "08:00-10:00"} << "" << 3 << "2027-01-12 星期二 08:00-10:00";
    QTest::newRow("unreadable sitting")
        << monday << QStringList{"08:00-10:00", "下午"} << "" << 3
        << "场次时间“下午”无法识别：起止时间应写成 08:00-10:00 这样。";
    QTest::newRow("a skipped date in full-width digits")
        << monday << QStringList{"08:00-10:00"} << "２０２７年１月１２日" << 2 << "2027-01-13 星期三 08:00-10:00";
    QTest::newRow("first date past a term's years")
        << QDate(9999, 12, 31) << QStringList{"08:00-10:00"} << "" << 3 << "第一天考试的日期应在 2000-01-01 至 2099-12-31 之间。";
    QTest::newRow("first date before a term's years")
        << QDate(1999, 12, 31) << QStringList{"08:00-10:00"} << "" << 3 << "第一天考试的日期应在 2000-01-01 至 2099-12-31 之间。";
    QTest::newRow("last day past a term's years")
        << QDate(2099, 12, 30) << QStringList{"08:00-10:00"} << "" << 3
        << "这样排，考试要排到 2099-12-31 以后，请减少场次或不考试的日期，或提前第一天考试的日期。";
    QTest::newRow("the last day a term can use")
        << QDate(2099, 12, 30) << QStringList{"08:00-10:00"} << "" << 2 << "2099-12-31 星期四 08:00-10:00";
    QTest::newRow("skipped days up to a term's end")
        << QDate(2099, 12, 30) << QStringList{"08:00-10:00"} << "2099-12-31" << 2
        << "这样排，考试要排到 2099-12-31 以后，请减少场次或不考试的日期，或提前第一天考试的日期。";
}

void TestExamCalendar::offeredOrRefused()
{
    QFETCH(QDate, firstDate);
    QFETCH(QStringList, sittings);
    QFETCH(QString, skippedDates);
    QFETCH(int, periods);
    QFETCH(QString, offered);
    ExamCalendar calendar;
    calendar.firstDate = firstDate;
    calendar.sittings = sittings;
    calendar.skippedDates = skippedDates;
    calendar.periods = periods;
    const ExamSlots given = examSlots(calendar, 1);
    QCOMPARE(given.fault.isEmpty() ? given.times.last() : given.fault, offered);
    QCOMPARE(given.times.size(), given.fault.isEmpty() ? periods : 0);
}

QTEST_GUILESS_MAIN(TestExamCalendar)
#include "tst_examcalendar.moc"

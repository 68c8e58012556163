// The views of a term read its times as one: the calendar and the students'
// timetable put a time spelled otherwise on its day and sitting, and a time
// that cannot be read apart, the same way.
#include "DataModule.h"
#include "TestDatabase.h"
#include "overview/StudentTimetable.h"
#include "overview/TermCalendar.h"
#include "time/ExamTime.h"

#include <QTest>

class TestTimeReaders : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void calendarAndTimetableAgree();
};

namespace {

QStringList numbers(const QList<CalendarPeriod>& periods)
{
    QStringList out;
    for (const CalendarPeriod& p : periods)
        out.append(p.period);
    return out;
}

} // namespace

void TestTimeReaders::calendarAndTimetableAgree()
{
    // S1 sits papers 1 and 2, S2 papers 1 and 3, S3 paper 4; paper p in
    // period p. Periods 1 and 4 share a sitting spelled two ways, period 2
    // follows on that Monday without a weekday, period 3's weekday is wrong.
    TestDatabase db;
    db.addRoster({"1|K1|S1|甲|C1|高等数学|王|数学系||补考", "1|K1|S2|乙|C1|高等数学|王|数学系||补考",
                  "2|K2|S1|甲|C2|大学英语|赵|外语系||补考", "3|K3|S2|乙|C3|大学物理|张|物理系||补考",
                  "4|K4|S3|丙|C4|日语|钱|外语系||补考"});
    db.exec("insert into t_kscs(cc,sjxh,sjxh1) values('1','1','1'),('2','2','2'),('3','3','3'),('4','4','4')");
    db.exec("insert into t_cc(cc,kssj) values('1','2027-01-11 星期一 08:00-10:00'),('2','2027/1/11 10:30-12:30'),"
            "('3','2027-1-11 星期二 14:30-16:30'),('4','2027-01-11\u3000星期一 8：00-10：00')");
    DataModule dm;
    dm.reconfigure();

    const TermCalendar calendar = readTermCalendar(dm);
    QCOMPARE(calendar.sittings, (QStringList{"08:00-10:00", "10:30-12:30"}));
    QCOMPARE(calendar.days.size(), 1);
    QCOMPARE(calendar.days[0].date, QDate(2027, 1, 11));
    QCOMPARE(numbers(calendar.cells[0][0]), (QStringList{"1", "4"}));
    QCOMPARE(numbers(calendar.cells[1][0]), QStringList{"2"});
    QCOMPARE(numbers(calendar.undated), QStringList{"3"});
    QCOMPARE(calendar.undated[0].timeFault, readExamTime(calendar.undated[0].time).fault);
    QVERIFY(calendar.undated[0].timeFault.contains("2027-01-11 是星期一，不是星期二"));
    QCOMPARE(calendar.days[0].candidates, 4); // S1 twice, S2 and S3 once
    QCOMPARE(calendar.days[0].twoPapers, 1);
    QCOMPARE(calendar.days[0].twoInARow, 1);

    const StudentTimetable timetable = readStudentTimetable(dm);
    QCOMPARE(timetable.students.size(), 3);
    const StudentLoad& s1 = timetable.students[0];
    QCOMPARE(s1.xh, QString("S1"));
    QCOMPARE(s1.days, 1);
    QVERIFY(s1.twoOnOneDay && s1.twoInARow);
    const StudentLoad& s2 = timetable.students[1];
    QCOMPARE(s2.days, 2);
    QVERIFY(!s2.twoOnOneDay);
    // The times are listed as stored.
    QCOMPARE(timetable.papers[1].time, QString("2027/1/11 10:30-12:30"));
}

QTEST_GUILESS_MAIN(TestTimeReaders)
#include "tst_timereaders.moc"

// Reading an exam time: the spellings a clerk types that mean one time, the
// texts that mean none and why, when two times are sat at once, and where
// a term's times lie.
#include "time/ExamTime.h"
#include "time/PeriodLayout.h"

#include <QTest>

class TestExamTime : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsOneForm_data();
    void readsOneForm();
    void saysWhyATextIsNoTime_data();
    void saysWhyATextIsNoTime();
    void sittings_data();
    void sittings();
    void timesMeet_data();
    void timesMeet();
    void spellingsOfOneTimeLieTogether();
    void timesSatTogether_data();
    void timesSatTogether();
    void dayKeys_data();
    void dayKeys();
};

namespace {

const QString monday = QStringLiteral("2027-01-11 星期一 08:00-10:00");

} // namespace

void TestExamTime::readsOneForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read");
    QTest::newRow("as written") << monday << monday;
    QTest::newRow("blanks around") << " 2027-01-11 星期一 08:00-10:00\t" << monday;
    QTest::newRow("double blank") << "2027-01-11  星期一 08:00-10:00" << monday;
    QTest::newRow("tab") << "2027-01-11\t星期一 08:00-10:00" << monday;
    QTest::newRow("ideographic space") << "2027-01-11\u3000星期一\u300008:00-10:00" << monday;
    QTest::newRow("no-break space") << "2027-01-11\u00a0星期一 08:00-10:00" << monday;
    QTest::newRow("full-width digits") << "２０２７-０１-１１ 星期一 ０８:００-１０:００" << monday;
    QTest::newRow("full-width colon and dash") << "2027-01-11 星期一 08：00－10：00" << monday;
    QTest::newRow("no leading zeros") << "2027-1-11 星期一 8:00-10:00" << monday;
    QTest::newRow("blanks around the dash") << "2027-01-11 星期一 08:00 - 10:00" << monday;
    QTest::newRow("without weekday") << "2027-01-11 08:00-10:00" << monday;
    QTest::newRow("slashes, 周") << "2027/1/11 周一 8:00-10:00" << monday;
    QTest::newRow("dots, 礼拜") << "2027.1.11 礼拜一 8:00~10:00" << monday;
    QTest::newRow("年月日, 至") << "2027年1月11日 星期一 8:00至10:00" << monday;
    QTest::newRow("Sunday as 天") << "2027-01-17 星期天 14:30-16:30" << "2027-01-17 星期日 14:30-16:30";
    QTest::newRow("ends before midnight") << "2027-01-11 21:05-23:59" << "2027-01-11 星期一 21:05-23:59";
}

void TestExamTime::readsOneForm()
{
    QFETCH(QString, text);
    QFETCH(QString, read);
    const ExamTimeReading reading = readExamTime(text);
    QCOMPARE(reading.fault, QString());
    QVERIFY(reading.time);
    QCOMPARE(reading.time->text(), read);
    QCOMPARE(readExamTime(read).time, reading.time);
}

void TestExamTime::saysWhyATextIsNoTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << " \u3000" << "";
    QTest::newRow("no date") << "补考周 上午" << "开头没有日期";
    QTest::newRow("no such day") << "2027-02-30 08:00-10:00" << "没有 2027 年 02 月 30 日这一天";
    QTest::newRow("wrong weekday") << "2027-01-11 星期二 08:00-10:00" << "2027-01-11 是星期一，不是星期二";
    QTest::newRow("date alone") << "2027-01-14" << "日期后面没有起止时间";
    QTest::newRow("start alone") << "2027-01-11 14:00" << "起止时间应写成 08:00-10:00 这样";
    QTest::newRow("part of a day") << " 2027/1/12 下午 " << "起止时间应写成 08:00-10:00 这样";
    QTest::newRow("words after") << "2027-01-11 08:00-10:00 上午" << "起止时间应写成 08:00-10:00 这样";
    QTest::newRow("no such hour") << "2027-01-11 24:00-25:00" << "起止时间应写成 08:00-10:00 这样";
    QTest::newRow("ends before it starts") << "2027-01-11 10:00-08:00" << "结束时间不晚于开始时间";
    QTest::newRow("ends as it starts") << "2027-01-11 8:00-08:00" << "结束时间不晚于开始时间";
    QTest::newRow("beyond a term's years") << "10000-01-03 08:00-10:00" << "开头没有日期";
    QTest::newRow("last year a term can use") << "9999-12-31 08:00-10:00" << "日期不在 2000-01-01 至 2099-12-31 之间";
}

void TestExamTime::saysWhyATextIsNoTime()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    const ExamTimeReading reading = readExamTime(text);
    QVERIFY(!reading.time);
    QCOMPARE(reading.fault, reason.isEmpty() ? QStringLiteral("考试时间是空的。")
                                             : QStringLiteral("考试时间“%1”无法识别：%2。请写成 2027-01-11 星期一 08:00-10:00 这样的时间。")
                                                   .arg(text.trimmed(), reason));
}

void TestExamTime::sittings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read"); // or the fault
    QTest::newRow("as written") << "08:00-10:00" << "08:00-10:00";
    QTest::newRow("one-digit hour") << "8:00-10:00" << "08:00-10:00";
    QTest::newRow("blanks") << " 08:00 - 10:00 " << "08:00-10:00";
    QTest::newRow("full-width") << "８：００－１０：００" << "08:00-10:00";
    QTest::newRow("tab and no-break space") << "8:00\t-\u00a010:00" << "08:00-10:00";
    QTest::newRow("empty") << "  " << "场次时间是空的，请填写（如 08:00-10:00）。";
    QTest::newRow("a word") << "上午" << "场次时间“上午”无法识别：起止时间应写成 08:00-10:00 这样。";
    QTest::newRow("backwards") << "10:00-8:00" << "场次时间“10:00-8:00”无法识别：结束时间不晚于开始时间。";
}

void TestExamTime::sittings()
{
    QFETCH(QString, text);
    QFETCH(QString, read);
    const SittingReading reading = readSitting(text);
    QCOMPARE(reading.sitting ? reading.sitting->text() : reading.fault, read);
}

void TestExamTime::timesMeet_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("meet");
    QTest::newRow("one time") << monday << monday << true;
    QTest::newRow("two spellings") << monday << "2027/1/11 8：00 - 10：00" << true;
    QTest::newRow("overlapping") << monday << "2027-01-11 星期一 09:00-11:00" << true;
    QTest::newRow("within") << monday << "2027-01-11 星期一 08:30-09:00" << true;
    QTest::newRow("one ends as the other starts") << monday << "2027-01-11 星期一 10:00-12:00" << false;
    QTest::newRow("another day") << monday << "2027-01-12 星期二 08:00-10:00" << false;
    QTest::newRow("unreadable, one text") << "补考周 上午" << " 补考周\u3000上午" << true;
    QTest::newRow("unreadable, case") << "Week 1 am" << "week 1 AM" << true;
    QTest::newRow("unreadable, two texts") << "补考周 上午" << "补考周 下午" << false;
    QTest::newRow("readable and not") << monday << "2027-01-11 星期一 上午" << false;
    QTest::newRow("empty") << "" << " " << false;
}

void TestExamTime::timesMeet()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, meet);
    QCOMPARE(examTimesMeet(a, b), meet);
    QCOMPARE(examTimesMeet(b, a), meet);
}

void TestExamTime::spellingsOfOneTimeLieTogether()
{
    // Two sittings a day (a day is three positions with its night); the
    // spellings of one time share a position, an unreadable time lies alone.
    const PeriodLayout layout = layoutOfTimes({ monday, "2027/1/12 14:00-16:00", "2027-1-11 8:00-10:00",
                                                "2027-01-12 星期二 08：00-10：00", "2027-01-11 星期二 08:00-10:00" });
    QCOMPARE(layout.position, (std::vector<int>{ 0, 4, 0, 3, 12 }));
    QCOMPARE(layout.day, (std::vector<int>{ 0, 1, 0, 1, 2 }));
}

void TestExamTime::timesSatTogether_data()
{
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<std::vector<int>>("groups");
    QTest::newRow("spellings of one time") << QStringList{ monday, "2027/1/11 8:00-10:00", "2027-01-12 星期二 08:00-10:00" }
                                           << std::vector<int>{ 0, 0, 2 };
    // 08-10 meets 09-11, which meets 10:30-12; the first and the last do
    // not meet, yet the three share their rooms at once.
    QTest::newRow("a chain") << QStringList{ "2027-01-11 星期一 10:30-12:00", monday, "2027-01-11 星期一 14:00-16:00",
                                             "2027-01-11 星期一 09:00-11:00" }
                             << std::vector<int>{ 0, 0, 2, 0 };
    QTest::newRow("empty times stand alone") << QStringList{ "", " ", monday, "" } << std::vector<int>{ 0, 1, 2, 3 };
    QTest::newRow("unreadable, one text") << QStringList{ "补考周 上午", monday, "补考周\u3000上午" }
                                          << std::vector<int>{ 0, 1, 0 };
}

void TestExamTime::timesSatTogether()
{
    QFETCH(QStringList, times);
    QFETCH(std::vector<int>, groups);
    QCOMPARE(::timesSatTogether(times), groups);
}

void TestExamTime::dayKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("day");
    QTest::newRow("a time") << monday << "2027-01-11";
    QTest::newRow("another spelling") << "2027/1/11 8:00-10:00" << "2027-01-11";
    QTest::newRow("a date without a sitting") << "2027年1月11日 上午" << "2027-01-11";
    QTest::newRow("no date") << "补考周\u3000上午" << "补考周";
    QTest::newRow("empty") << " " << "";
}

void TestExamTime::dayKeys()
{
    QFETCH(QString, text);
    QFETCH(QString, day);
    QCOMPARE(examDayKey(text), day);
}

QTEST_GUILESS_MAIN(TestExamTime)
#include "tst_examtime.moc"

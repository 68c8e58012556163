// Giving a period the time another period has: which student and papers
// make it a clash, and when it is none.
#include "DataModule.h"
#include "time/SameTime.h"
#include "TestDatabase.h"

#include <QTest>

namespace {

// Papers 1 to 5 in periods 1 to 5. Paper 1 has two courses; S1 and S4 sit
// papers 1 and 2, S2 papers 1 and 3, S3 paper 4 alone, S5 paper 5 alone.
const QStringList roster = {
    "1|K1|S1|甲|C1|高等数学|王|数学系||补考", "1|K2|S4|丁|C2|线性代数|李|数学系||缓考",
    "1|K1|S2|乙|C1|高等数学|王|数学系||补考", "2|K3|S4|丁|C3|大学英语|赵|外语系||补考",
    "2|K3|S1|甲|C3|大学英语|赵|外语系||补考", "3|K4|S2|乙|C4|大学物理|张|物理系||补考",
    "4|K5|S3|丙|C5|日语|钱|外语系||补考",     "5|K6|S5|戊|C6|法语|孙|外语系||补考",
};

} // namespace

class TestSameTime : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void clashOrNot_data();
    void clashOrNot();
    void theRefusalNamesStudentAndBothPapers();

private:
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<DataModule> dm;
};

void TestSameTime::init()
{
    db = std::make_unique<TestDatabase>();
    dm = std::make_unique<DataModule>();
    dm->reconfigure();
    db->addRoster(roster);
    db->exec("insert into t_kscs(cc,sjxh,sjxh1) values('1','1','1'),('2','2','2'),('3','3','3'),('4','4','4'),"
             "('5','5','5')");
    db->exec("insert into t_cc(cc,kssj) values('1',' 周一上午 '),('2',''),('3','周二'),('4','周三'),('5','周三')");
}

void TestSameTime::cleanup()
{
    dm.reset();
    db.reset();
}

void TestSameTime::clashOrNot_data()
{
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("otherPeriod"); // empty: no clash
    QTest::addColumn<QString>("student");
    QTest::addColumn<int>("students");
    QTest::addColumn<QString>("firstTime"); // period 1's time, when not ' 周一上午 '
    QTest::addColumn<QString>("addedRow");  // a roster row added first

    QTest::newRow("two shared, the lowest number named") << "2" << "周一上午" << "1" << "S1" << 2 << "" << "";
    QTest::newRow("times compared trimmed") << "2" << "\u3000周一上午\t" << "1" << "S1" << 2 << "" << "";
    QTest::newRow("the other's time stored with blanks") << "3" << "周一上午" << "1" << "S2" << 1 << "" << "";
    QTest::newRow("a course of a paper of two") << "1" << "周二" << "3" << "S2" << 1 << "" << "";
    QTest::newRow("no shared student") << "4" << "周一上午" << "" << "" << 0 << "" << "";
    QTest::newRow("two periods at the time, neither shared") << "1" << "周三" << "" << "" << 0 << "" << "";
    QTest::newRow("its own time again") << "3" << "周二" << "" << "" << 0 << "" << "";
    QTest::newRow("an empty time") << "2" << "  " << "" << "" << 0 << "" << "";
    QTest::newRow("another time") << "2" << "周一下午" << "" << "" << 0 << "" << "";

    // Period 1 (S1, S2, S4) at Monday 08:00-10:00, period 2 (S1, S4) given
    // the same time spelled otherwise, or a time sharing part of it.
    const QString monday = "2027-01-11 星期一 08:00-10:00";
    const QStringList spellings = {
        "2027-01-11  星期一 08:00-10:00",       "2027-01-11\t星期一 08:00-10:00",
        "2027-01-11\u3000星期一 08:00-10:00",   "2027-01-11\u00a0星期一 08:00-10:00",
        "２０２７-０１-１１ 星期一 ０８:００-１０:００", "2027-01-11 星期一 08：00-10：00",
        "2027-1-11 星期一 8:00-10:00",           "2027-01-11 星期一 08:00 - 10:00",
        "2027/1/11 8:00-10:00",
    };
    for (const QString& spelling : spellings)
        QTest::newRow(qPrintable("spelled " + spelling)) << "2" << spelling << "1" << "S1" << 2 << monday << "";
    QTest::newRow("overlapping") << "2" << "2027-01-11 星期一 09:00-11:00" << "1" << "S1" << 2 << monday << "";
    QTest::newRow("within") << "2" << "2027-01-11 星期一 08:30-09:30" << "1" << "S1" << 2 << monday << "";
    QTest::newRow("right after") << "2" << "2027-01-11 星期一 10:00-12:00" << "" << "" << 0 << monday << "";
    QTest::newRow("another date") << "2" << "2027-01-12 星期二 08:00-10:00" << "" << "" << 0 << monday << "";
    // S3 sits paper 4 alone; a roster row of paper 5 with S3 typed with
    // blanks makes S3 sit both.
    QTest::newRow("student number with blanks") << "5" << "周三" << "4" << "S3" << 1 << ""
                                                << "5|K6|\u3000S3 |丙|C6|法语|孙|外语系||补考";
}

void TestSameTime::clashOrNot()
{
    QFETCH(QString, period);
    QFETCH(QString, time);
    QFETCH(QString, otherPeriod);
    QFETCH(QString, student);
    QFETCH(int, students);
    QFETCH(QString, firstTime);
    QFETCH(QString, addedRow);
    if (!firstTime.isEmpty())
        db->exec(QStringLiteral("update t_cc set kssj='%1' where cc='1'").arg(firstTime));
    if (!addedRow.isEmpty())
        db->addRoster({addedRow});

    const std::optional<SameTimeClash> clash = sameTimeClash(*dm, period, time);
    QCOMPARE(clash.has_value(), !otherPeriod.isEmpty());
    if (!clash)
        return;
    QCOMPARE(clash->otherPeriod, otherPeriod);
    QCOMPARE(clash->xh, student);
    QCOMPARE(clash->students, students);
    // The refusal names the time the other period has, as stored.
    QCOMPARE(clash->time, db->scalar(QStringLiteral("select trim(kssj) from t_cc where cc='%1'").arg(otherPeriod)));
}

void TestSameTime::theRefusalNamesStudentAndBothPapers()
{
    // Period 5 shares nobody with period 1; period 2 does, through both
    // courses of paper 1.
    db->exec("update t_cc set kssj='2027-01-11 星期一 08:00-10:00' where cc in ('5','2')");
    const std::optional<SameTimeClash> clash = sameTimeClash(*dm, "1", " 2027-01-11 星期一 08:00-10:00");
    QVERIFY(clash);
    QCOMPARE(clash->text(), QString("第2场已定在这个时间（2027-01-11 星期一 08:00-10:00），"
                                    "第1场与它有 2 名相同的考生，同一时间不能考两份试卷。\n"
                                    "例如 学号 S1 甲：\n"
                                    "    第1场：高等数学（试卷序号 1）\n"
                                    "    第2场：大学英语（试卷序号 2）\n"
                                    "第1场的时间没有修改，请另选时间。"));
    QVERIFY(!sameTimeClash(*dm, "4", "2027-01-11 星期一 08:00-10:00"));

    // A typed "%1" stays as typed.
    db->exec("update t_cc set kssj='周一 %1' where cc='3'");
    QVERIFY(sameTimeClash(*dm, "1", "周一 %1")->text().startsWith("第3场已定在这个时间（周一 %1），第1场"));
}

QTEST_GUILESS_MAIN(TestSameTime)
#include "tst_sametime.moc"

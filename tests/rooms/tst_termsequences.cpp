// Random terms (papers of several courses, students on two courses of a
// paper, rooms smaller than papers, invigilators who cannot take some
// sittings) through random sequences of the clerk's steps, automatic and by
// hand: after every step that did something the term keeps every rule.
// Fixed seeds, and sequences that once broke a rule, replayed.
#include "TermSequences.h"

#include <QTest>

class TestTermSequences : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyStepKeepsTheRules_data();
    void everyStepKeepsTheRules();
};

void TestTermSequences::everyStepKeepsTheRules_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QString>("steps");
    for (const quint32 seed : {1u, 2u, 3u, 5u, 8u, 13u, 21u, 34u})
        QTest::addRow("drawn from seed %u", seed) << seed << stepsText(drawnSteps(seed, 30));
    // Sequences that once broke a rule, cut after the step that broke it.
    QTest::newRow("a deleted room's duties") << 1u << "schedule handDuty:62793 rooms:24432 handDuty:3359 periodChange:76185 "
        "time:87778 spread:38407 handDuty:97939 rooms:23754 rooms:37229 handDuty:79130 duties:83288 duties:33 duties:96777 "
        "handRoom:42640 deleteRoom:30522";
    QTest::newRow("duties at their new times") << 3u << "schedule spread:7507 handDuty:75987 spread:72078 handDuty:88868 "
        "removeDuty:85642 rooms:3551 spread:10939 periodChange:9214 handDuty:85092 deleteInvigilator:39788 time:54847 "
        "periodChange:86824 rooms:41960 deleteRoom:56726 handRoom:8958 handDuty:58568 duties:92267 handRoom:25228 time:28673 "
        "time:66770 reduce:14606 duties:69386 spread:73234";
    QTest::newRow("a sitting ruled out, not its day") << 5u << "schedule rooms:22790 reduce:84280 time:49146 handDuty:31851 "
        "rooms:87291 rooms:11788 spread:92926 time:63455 reduce:83811 removeDuty:31848 rooms:42096 time:60544 "
        "periodChange:48045 spread:35396 time:31106 rooms:63339 time:61144 deleteInvigilator:38080 handRoom:35379 duties:56027";
    QTest::newRow("a moved paper's empty room") << 6u << "schedule rooms:54907 handDuty:17978 periodChange:88751 handDuty:70559 "
        "removeDuty:87792 periodChange:36136 duties:81790 rooms:53428 deleteRoom:12761 handDuty:20338 reduce:95270 "
        "periodChange:31644 periodChange:53585 rooms:25887 periodChange:64143";
    QTest::newRow("a hand duty over the most") << 7u << "schedule rooms:11000 reduce:47450 spread:53462 handDuty:3398 rooms:7152 "
        "handDuty:69141 spread:31904 duties:71079 handRoom:8060 handDuty:61729";
    QTest::newRow("a room left by hand") << 22u << "schedule time:76283 handDuty:23344 time:66623 handDuty:32755 time:60280 "
        "handDuty:89220 reduce:98457 handRoom:4774 reduce:77382 handRoom:27980 periodChange:98931 duties:66041 rooms:84614 "
        "rooms:97905 removeDuty:89753 rooms:91599 spread:85253 reduce:64742 periodChange:62650 time:74317 handRoom:22598";
    QTest::newRow("a room full at the new period") << 26u << "schedule periodChange:19342 handRoom:20053 spread:37573 "
        "rooms:37708 time:11971 handRoom:51099 handRoom:84147 spread:92197 duties:38979 deleteInvigilator:3017 rooms:78048 "
        "handRoom:36532 handRoom:26548 handRoom:20559 rooms:85545 rooms:34594 time:90305 reduce:27279 removeDuty:89578 "
        "periodChange:27738";
}

void TestTermSequences::everyStepKeepsTheRules()
{
    QFETCH(quint32, seed);
    QFETCH(QString, steps);
    const SequenceRun run = runSequence(seed, stepsFromText(steps));
    QVERIFY2(run.failure.isEmpty(), qPrintable(SequenceRun::replay(seed, stepsFromText(steps)) + "\n" + run.failure));
}

QTEST_GUILESS_MAIN(TestTermSequences)
#include "tst_termsequences.moc"

// The term summary of the main window: each figure against a count made
// here from the raw tables, on one term taken through every state.
#include "Backup.h"
#include "DataModule.h"
#include "rooms/RoomAssignment.h"
#include "periods/Scheduling.h"
#include "overview/TermSummary.h"
#include "TestDatabase.h"

#include <QSet>
#include <QTest>

namespace {

// Three papers of four courses; course K4 comes without a paper number.
const QStringList roster = {
    "1|K1|S1|甲|C1|高等数学|王|数学系||补考", "1|K1|S2|乙|C1|高等数学|王|数学系||补考",
    "1|K2|S3|丙|C2|线性代数|李|数学系||缓考", "2|K3|S1|甲|C3|大学英语|赵|外语系||补考",
    "3|K5|S4|丁|C5|大学物理|张|物理系||补考", "|K4|S5|戊|C4|日语|钱|外语系||补考",
};

// The figures as this test counts them, from plain rows.
TermSummary counted(TestDatabase& db)
{
    TermSummary s;
    QSet<QString> courses, unnumbered, papers, placed, rooms, students, sat;
    for (const QString& row : db.rows("select sjxh, kcxh, xh from t_bjgmd")) {
        const QString paper = row.section(u'|', 0, 0);
        const QString course = row.section(u'|', 1, 1);
        ++s.rosterRows;
        const QString student = row.section(u'|', 2, 2).trimmed();
        students.insert(student);
        sat.insert(student + u'|' + (paper.isEmpty() ? "course " + course : "paper " + paper));
        courses.insert(course);
        if (paper.isEmpty())
            unnumbered.insert(course);
        else
            papers.insert(paper);
    }
    for (const QString& room : db.rows("select jsid from t_js"))
        rooms.insert(room);
    for (const QString& row : db.rows("select sjxh, jsid from t_kscs")) {
        placed.insert(row.section(u'|', 0, 0));
        s.roomlessPapers += rooms.contains(row.section(u'|', 1, 1)) ? 0 : 1;
    }
    for (const QString& time : db.rows("select kssj from t_cc")) {
        ++s.periods;
        s.untimedPeriods += time.trimmed().isEmpty() ? 1 : 0;
    }
    s.students = int(students.size());
    s.papersSat = int(sat.size());
    s.courses = int(courses.size());
    s.unnumberedCourses = int(unnumbered.size());
    s.papers = int(papers.size());
    s.unscheduledPapers = int((papers - placed).size());
    return s;
}

} // namespace

class TestTermSummary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void figuresInEveryStateOfTheTerm();
};

void TestTermSummary::figuresInEveryStateOfTheTerm()
{
    TestDatabase db;
    DataModule dm;
    dm.reconfigure();
    const auto check = [&](const QString& next, int backups) {
        const TermSummary read = readTermSummary(dm);
        const TermSummary expected = counted(db);
        const QList<int> figures{read.rosterRows, read.students, read.papersSat, read.courses, read.unnumberedCourses, read.papers,
                                 read.unscheduledPapers, read.periods, read.roomlessPapers, read.untimedPeriods};
        const QList<int> counts{expected.rosterRows, expected.students, expected.papersSat, expected.courses, expected.unnumberedCourses, expected.papers,
                                expected.unscheduledPapers, expected.periods, expected.roomlessPapers,
                                expected.untimedPeriods};
        QCOMPARE(figures, counts);
        QCOMPARE(read.backups, backups);
        QCOMPARE(read.nextStep(), next);
        QVERIFY(read.text().endsWith("\n下一步：" + next));
    };

    check("系统 → 导入数据", 0); // empty
    db.addRoster(roster);
    check("1.试卷管理", 0); // imported
    db.exec("update t_bjgmd set sjxh='4' where kcxh='K4'");
    check("2.课程排考", 0); // numbered
    QVERIFY(schedulePapers(dm, [](int, int) { }).periods > 0);
    check("3.指定教室", 0); // scheduled
    db.exec("insert into t_js(jsm, rnrs) values('A101', 40)");
    assignRooms(dm, std::nullopt);
    check("5.指定时间", 0); // roomed
    db.exec("update t_cc set kssj = '2024-06-20 08:30-10:30 第' || cc || '场'");
    check("打印 → 打印考场名单", 0); // timed
    backupDatabase(dm.ADOConnection1);
    backupDatabase(dm.ADOConnection1);
    check("打印 → 打印考场名单", 2);

    // A deleted room leaves its papers counted as roomless; a period added by
    // hand has no time.
    db.exec("delete from t_js; insert into t_cc(cc) values('9')");
    check("3.指定教室", 2);
    QCOMPARE(readTermSummary(dm).untimedPeriods, 1);
}

QTEST_GUILESS_MAIN(TestTermSummary)
#include "tst_termsummary.moc"

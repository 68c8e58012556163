// The paper-numbering window: departments, the course list, applying a new
// paper number to the roster and adjusting the placements after scheduling.
#include "ComboBox.h"
#include "DBGrid.h"
#include "DataModule.h"
#include "GridRows.h"
#include "RecordingDialogs.h"
#include "Rosters.h"
#include "Unit7.h"
#include "UserActions.h"
#include "WindowFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Courses K1..K4 of two departments; K1 and K2 share paper 5.
const QStringList roster = {
    "5|K1|s1|甲|C1|高等数学|张|数学系|旧",
    "5|K1|s2|乙|C1|高等数学|张|数学系|旧",
    "5|K2|s3|丙|C2|线性代数|王|数学系|",
    "3|K3|s4|丁|C3|英语|李|外语系|",
    "|K4|s5|戊|C4|日语|赵|外语系|",
};

struct Fixture : WindowFixture<TForm7> {
    Fixture()
    {
        db.addRoster(roster);
        w.show();
    }

    void chooseDepartment(const QString& name)
    {
        w.ComboBox1->setCurrentIndex(w.ComboBox1->findText(name));
        w.ComboBox1Change();
    }

    // Chooses the course's department and clicks its row.
    void selectCourse(const QString& department, const QString& course)
    {
        chooseDepartment(department);
        for (int row = 0; row < dm.ADOQuery15.RecordCount(); ++row)
            if (dm.ADOQuery15.value(row, dm.ADOQuery15.fieldIndex("kcxh")).toString() == course)
                w.DBGrid1->selectRow(row);
        w.DBGrid1CellClick();
    }

    void apply(const QString& number, const QString& remark = {})
    {
        w.Edit1->setText(number);
        w.Edit2->setText(remark);
        w.Button1->click();
    }
};

} // namespace

class TestNumbering : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openingListsDepartmentsTrimmed();
    void choosingDepartmentListsItsCourses();
    void clickingCourseShowsItsDetails();
    void applyUpdatesRosterAndPlacements_data();
    void applyUpdatesRosterAndPlacements();
    void applyWithoutCourseChangesNothing();
    void editedRowShowsAtOnceButIsNeverWrittenBack();
    void exitEmptiesListsAndLabels();
    void untouchedRemarkBoxKeepsEachRemark();
    void typedDepartmentIsNotCompleted();
};

void TestNumbering::openingListsDepartmentsTrimmed()
{
    TestDatabase db;
    db.addRoster({"1|K1|s1|||||  数学系  "});
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    TForm7 w(dm, dialogs);
    w.ComboBox1->addItems({"旧院系A", "旧院系B"});
    w.show();
    QCOMPARE(w.ComboBox1->count(), 1);
    QCOMPARE(w.ComboBox1->itemText(0), QString("数学系"));

    // With no roster row the list stays as it was.
    db.exec("delete from t_bjgmd");
    w.hide();
    w.show();
    QCOMPARE(w.ComboBox1->count(), 1);
}

void TestNumbering::choosingDepartmentListsItsCourses()
{
    Fixture f;
    f.w.Label18->setText("9");
    f.w.Label3->setText("K9");
    f.chooseDepartment("外语系");
    // By course name descending; the unnumbered course is listed too.
    QCOMPARE(gridRows(f.w.DBGrid1), (QStringList{"3|K3|C3|英语|", "|K4|C4|日语|"}));
    QCOMPARE(f.w.Label11->text(), QString("2"));
    QVERIFY(f.w.Label3->text().isEmpty());
    QCOMPARE(f.w.Label18->text(), QString("9"));

    // Typing chooses as well; the text is used as typed.
    QTest::keyClicks(f.w.ComboBox1->lineEdit(), "x");
    QCOMPARE(f.w.Label11->text(), QString("0"));
}

void TestNumbering::clickingCourseShowsItsDetails()
{
    Fixture f;
    f.w.Edit1->setText("typed");
    f.selectCourse("数学系", "K1");
    QCOMPARE((QStringList{f.w.Label18->text(), f.w.Label3->text(), f.w.Label5->text(), f.w.Label7->text()}),
             (QStringList{"5", "K1", "C1", "高等数学"}));
    QCOMPARE(f.w.Edit1->text(), QString("typed"));
    QCOMPARE(f.w.Edit2->text(), QString("旧"));
}

void TestNumbering::applyUpdatesRosterAndPlacements_data()
{
    QTest::addColumn<QString>("placed");    // t_kscs before, "" when not scheduled
    QTest::addColumn<QString>("course");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("after");    // t_kscs "cc|sjxh|sjxh1|jsid" afterwards
    QTest::addColumn<QStringList>("messages");

    const QString scheduled = "insert into t_kscs(cc,sjxh,sjxh1,jsid) values('2','5','5',4),('1','3','3',0)";
    const QString updated = "更新成功";
    const QString placedOk = "指定成功!!!";

    QTest::newRow("before scheduling: roster only")
        << QString() << "K1" << "7" << QStringList{} << QStringList{updated};
    QTest::newRow("new number without placement takes the old period")
        << scheduled << "K1" << "9" << QStringList{"1|3|3|0", "2|5|5|4", "2|9|9|0"} << QStringList{updated, placedOk};
    // A number typed with blanks is that number everywhere: the roster and a
    // new placement carry it trimmed, so the course keeps its period.
    QTest::newRow("blanks around a new number are dropped")
        << scheduled << "K1" << " 9 " << QStringList{"1|3|3|0", "2|5|5|4", "2|9|9|0"} << QStringList{updated, placedOk};
    // K2 still sits paper 5, so its placement stays.
    QTest::newRow("joining a placed paper while the old one is still sat")
        << scheduled << "K1" << "3" << QStringList{"1|3|3|0", "2|5|5|4"} << QStringList{updated, placedOk};
    QTest::newRow("joining a placed paper with blanks around the number")
        << scheduled << "K1" << " 3" << QStringList{"1|3|3|0", "2|5|5|4"} << QStringList{updated, placedOk};
    QTest::newRow("joining a placed paper: the old paper's placement goes")
        << "insert into t_kscs(cc,sjxh,sjxh1,jsid) values('2','5','5',4),('1','3','3',0),('3','8','8',0)"
        << "K3" << "5" << QStringList{"2|5|5|4", "3|8|8|0"} << QStringList{updated, placedOk};
    QTest::newRow("same number again keeps the placement")
        << scheduled << "K3" << "3" << QStringList{"1|3|3|0", "2|5|5|4"} << QStringList{updated};
    QTest::newRow("old paper without placement stays unplaced")
        << scheduled << "K4" << "11" << QStringList{"1|3|3|0", "2|5|5|4"}
        << QStringList{updated, "原试卷序号  没有排考场次，新试卷序号 11 未安排场次。\n请清除排考后重新排考。"};
}

void TestNumbering::applyUpdatesRosterAndPlacements()
{
    QFETCH(QString, placed);
    QFETCH(QString, course);
    QFETCH(QString, number);
    QFETCH(QStringList, after);
    QFETCH(QStringList, messages);
    Fixture f;
    if (!placed.isEmpty())
        f.db.exec(placed);
    const QStringList others = f.db.rows("select rowid, sjxh, bz from t_bjgmd where kcxh <> '" + course + "'");

    f.selectCourse(f.db.scalar("select kkyx from t_bjgmd where kcxh='" + course + "'"), course);
    f.apply(number, "重修");

    QCOMPARE(f.db.rows("select distinct sjxh, bz from t_bjgmd where kcxh='" + course + "'"),
             QStringList{number.trimmed() + "|重修"});
    // Every numbered candidate of a scheduled term still has a period (or
    // was told why not).
    if (!placed.isEmpty() && messages.size() == 2 && messages[1] == "指定成功!!!")
        QCOMPARE(f.db.scalar("select count(*) from hbkap where sjxh <> '' and cc is null"), QString("0"));
    QCOMPARE(f.db.rows("select rowid, sjxh, bz from t_bjgmd where kcxh <> '" + course + "'"), others);
    QCOMPARE(f.db.rows("select cc, sjxh, sjxh1, jsid from t_kscs order by cc, sjxh"), after);
    QCOMPARE(f.dialogs.takeTexts(), messages);
    // The unnumbered list is read again after each apply.
    const int unnumbered = f.db.scalar("select count(*) from nonsjxh").toInt();
    QCOMPARE(f.w.Label15->text(), QString::number(unnumbered));
    QCOMPARE(gridRows(f.w.DBGrid2).size(), unnumbered);
}

void TestNumbering::applyWithoutCourseChangesNothing()
{
    Fixture f;
    f.db.exec("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('2','5','5',4),('1','3','3',0)");
    f.selectCourse("数学系", "K1");
    // A new department empties the course but keeps the old number shown.
    f.chooseDepartment("外语系");
    const QStringList roster = f.db.rows("select * from t_bjgmd");

    f.apply("3");

    QCOMPARE(f.dialogs.takeTexts(), QStringList{"请先在课程列表中选择一门课程"});
    QCOMPARE(f.db.rows("select * from t_bjgmd"), roster);
    QCOMPARE(f.db.rows("select cc, sjxh, sjxh1, jsid from t_kscs order by cc"), (QStringList{"1|3|3|0", "2|5|5|4"}));
}

void TestNumbering::editedRowShowsAtOnceButIsNeverWrittenBack()
{
    Fixture f;
    f.selectCourse("外语系", "K3");
    const int row = f.dm.ADOQuery15.currentRow();
    f.apply("12", "备考");
    QCOMPARE(gridRows(f.w.DBGrid1).at(row), QString("12|K3|C3|英语|备考"));

    // The list's copy is never sent: what the list reads again is the
    // roster as the update statement left it.
    f.db.exec("update t_bjgmd set bz='' where kcxh='K3'");
    f.chooseDepartment("外语系");
    QCOMPARE(gridRows(f.w.DBGrid1).at(0), QString("12|K3|C3|英语|"));
}

void TestNumbering::exitEmptiesListsAndLabels()
{
    Fixture f;
    f.selectCourse("数学系", "K2");
    f.apply("6");
    f.w.Button3->click();
    QVERIFY(!f.w.isVisible());
    for (QuerySlot* slot : {&f.dm.ADOQuery15, &f.dm.ADOQuery16, &f.dm.ADOQuery17, &f.dm.ADOQuery18})
        QVERIFY(!slot->Active());
    QVERIFY(gridRows(f.w.DBGrid1).isEmpty() && gridRows(f.w.DBGrid2).isEmpty());
    for (QLabel* label : {f.w.Label3, f.w.Label5, f.w.Label7, f.w.Label11})
        QVERIFY(label->text().isEmpty());
    QCOMPARE(f.w.Label18->text(), QString("5"));
}

// A course whose students carry remarks of their own: renumbering it with
// the remark box as the click left it keeps every remark; a remark typed
// into the box goes to every student of the course.
void TestNumbering::untouchedRemarkBoxKeepsEachRemark()
{
    Fixture f;
    f.db.addRoster({"5|K1|s6|己|C1|高等数学|张|数学系|因病缓考", "5|K1|s7|庚|C1|高等数学|张|数学系|重修"});
    const QString remarks = "select xh, quote(sjxh), quote(bz) from t_bjgmd where kcxh='K1' order by xh";
    pick(f.w.ComboBox1, "数学系");
    clickRowShowing(f.w.DBGrid1, 4, "重修");
    QCOMPARE(f.w.Edit2->text(), QString("重修"));
    typeInto(f.w.Edit1, "8");
    f.w.Button1->click();
    QCOMPARE(f.db.rows(remarks),
             (QStringList{"s1|'8'|'旧'", "s2|'8'|'旧'", "s6|'8'|'因病缓考'", "s7|'8'|'重修'"}));

    clickRowShowing(f.w.DBGrid1, 4, "因病缓考");
    typeInto(f.w.Edit2, "");
    f.w.Button1->click();
    QCOMPARE(f.db.rows(remarks), (QStringList{"s1|'8'|''", "s2|'8'|''", "s6|'8'|''", "s7|'8'|''"}));
}

// The list is read for the typed text, so the box shows just that text.
void TestNumbering::typedDepartmentIsNotCompleted()
{
    Fixture f;
    f.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.w));
    QLineEdit* box = f.w.ComboBox1->lineEdit();
    box->setFocus();
    const auto typeText = [box](const QString& text) {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    };
    typeText("数");
    QCOMPARE(f.w.ComboBox1->currentText(), QString("数"));
    QCOMPARE(f.w.Label11->text(), QString("0"));
    typeText("学系");
    QCOMPARE(f.w.ComboBox1->currentText(), QString("数学系"));
    QCOMPARE(f.w.Label11->text(), QString("2"));
}

QTEST_MAIN(TestNumbering)
#include "tst_numbering.moc"

// The roster window: its four searches, the editing group filled by a row
// click, and adding, changing and deleting roster rows, checked in t_bjgmd.
#include "ComboBox.h"
#include "DBGrid.h"
#include "GridRows.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// sjxh|kcxh|xh|xm|kcdm|kcmc|skjs|kkyx|bz|hbk. Paper 2 sits first, paper 1
// later; paper 3 is not placed yet, so it has no exam time and sorts first.
const QStringList roster = {
    "1|K1|S1|张三|C1|高等数学|王老师|数学系|重修|补考",
    "1|K1|S2|李四|C1|高等数学|王老师|数学系||缓考",
    "2|K2|S1|张三|C2|大学英语|赵老师|外语系||补考",
    "3|K3|S1|张三|C3|线性代数|钱老师|数学系||补考",
    "1|K4|S3|王五|C1|高等数学|孙老师|数学系||补考",
};

const char* allRoster = "select sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk from t_bjgmd order by rowid";

// The window over a fresh database, shown as the main menu shows it.
struct Fixture {
    explicit Fixture(const QStringList& rows = roster)
    {
        db.addRoster(rows);
        db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',40);"
                "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','2','2',0),('2','1','1',1);"
                "INSERT INTO t_cc VALUES('1','2024-01-10 08:00'),('2','2024-01-11 08:00');");
        window = std::make_unique<TForm1>(dialogs);
        window->data().reconfigure();
        window->show();
    }

    void search(QRadioButton* way, QLineEdit* box, const QString& text)
    {
        way->click();
        box->setText(text);
        window->Button1->click();
    }

    void clickRow(int row)
    {
        DBGrid* grid = window->DBGrid1;
        const QRect cell = grid->visualRect(grid->QAbstractItemView::model()->index(row, 2));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // What the grid shows in one column, top to bottom.
    QStringList gridColumn(int column) const
    {
        return gridRows(window->DBGrid1, {column});
    }

    TestDatabase db;
    RecordingDialogs dialogs;
    std::unique_ptr<TForm1> window;
};

// Replaces a box's text the way typing does, so the box counts as changed.
void type(QLineEdit* box, const QString& text)
{
    box->selectAll();
    box->insert(text);
}

enum Way { ByCourseNumber = 1, ByStudent, ByCourseCode, ByCourseName };

std::pair<QRadioButton*, QLineEdit*> searchWay(TForm1& w, int way)
{
    switch (way) {
    case ByCourseNumber: return {w.RadioButton1, w.Edit1};
    case ByStudent: return {w.RadioButton2, w.Edit2};
    case ByCourseCode: return {w.RadioButton3, w.Edit3};
    default: return {w.RadioButton4, w.Edit4};
    }
}

} // namespace

class TestRoster : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchesFindAndOrder_data();
    void searchesFindAndOrder();
    void searchWithoutResultSaysSo();
    void radioButtonEmptiesTheOtherBoxes();
    void quotesAndPercentSignsAreTakenLiterally();
    void rowClickFillsTheEditingGroup();
    void addStoresAStudentForTheClickedCourse();
    void changeWritesOnlyTheTypedBoxes_data();
    void changeWritesOnlyTheTypedBoxes();
    void changeGoesToTheClickedRowWhereverTheCursorWent();
    void deleteAsksThenRemovesEveryMatchingRow();
    void exitClearsTheWorkButKeepsTheSearch();
    void addingOrChangingWithoutAClickedRowIsRefused();
    void deletedRowStillShownIsNoHandleOnANewerRow();
    void typedKindIsNotAddedToTheList();
};

void TestRoster::searchesFindAndOrder_data()
{
    QTest::addColumn<int>("way");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("courses"); // kcxh of the rows, in order
    QTest::addColumn<QString>("label30");

    QTest::newRow("course number") << int(ByCourseNumber) << "K1" << QStringList{"K1", "K1"} << "2";
    QTest::newRow("student in every course by exam time") << int(ByStudent) << "S1" << QStringList{"K3", "K2", "K1"} << "1";
    QTest::newRow("student number ignores case") << int(ByStudent) << "s1" << QStringList{"K3", "K2", "K1"} << "1";
    QTest::newRow("course code") << int(ByCourseCode) << "C1" << QStringList{"K1", "K1", "K4"} << "1";
    QTest::newRow("part of the course name") << int(ByCourseName) << "数学" << QStringList{"K1", "K1", "K4"} << "1";
    QTest::newRow("empty course name lists every row") << int(ByCourseName) << "" << QStringList{"K3", "K2", "K1", "K1", "K4"} << "1";
}

// Every search first follows a course-number search for K4 (one row), so
// Label30 shows whether the search under test touched it.
void TestRoster::searchesFindAndOrder()
{
    QFETCH(int, way);
    QFETCH(QString, text);
    QFETCH(QStringList, courses);
    QFETCH(QString, label30);

    Fixture f;
    TForm1& w = *f.window;
    f.search(w.RadioButton1, w.Edit1, "K4");
    const auto [radio, box] = searchWay(w, way);
    f.search(radio, box, text);

    QCOMPARE(f.gridColumn(1), courses);
    QCOMPARE(w.Label12->text(), QString::number(courses.size()));
    QCOMPARE(w.Label30->text(), label30);
    QCOMPARE(f.dialogs.takeTexts(), QStringList());
    // The exam time and room of a placed paper are shown with its rows.
    const int k1 = int(courses.indexOf("K1"));
    QCOMPARE(f.gridColumn(10).value(k1), QString("2024-01-11 08:00"));
    QCOMPARE(f.gridColumn(11).value(k1), QString("A101"));
}

void TestRoster::searchWithoutResultSaysSo()
{
    Fixture f;
    TForm1& w = *f.window;
    f.search(w.RadioButton1, w.Edit1, "K1");
    f.search(w.RadioButton3, w.Edit3, "C9");
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"查询不到"});
    QCOMPARE(w.Label12->text(), QString("0"));
    QCOMPARE(w.Label30->text(), QString("2"));
    QCOMPARE(w.DBGrid1->QAbstractItemView::model()->rowCount(), 0);
}

void TestRoster::radioButtonEmptiesTheOtherBoxes()
{
    Fixture f;
    TForm1& w = *f.window;
    const QList<QLineEdit*> boxes = {w.Edit1, w.Edit2, w.Edit3, w.Edit4};
    for (int way = ByCourseNumber; way <= ByCourseName; ++way) {
        for (QLineEdit* box : boxes)
            box->setText(box->objectName());
        const auto [radio, kept] = searchWay(w, way);
        radio->click();
        for (QLineEdit* box : boxes)
            QCOMPARE(box->text(), box == kept ? kept->objectName() : QString());
    }
}

void TestRoster::quotesAndPercentSignsAreTakenLiterally()
{
    const QString tricky = "9'%|K'1%_|S'1\"%|O'Brien 100%|C\"1%|50% 'off' \"x\"|T'%|D%'|b'%_|补考";
    Fixture f({tricky, "9|K11|S11|甲|C11|500 off|T|D||补考"});
    TForm1& w = *f.window;

    const QList<std::pair<int, QString>> searches = {
        {ByCourseNumber, "K'1%_"}, {ByStudent, "S'1\"%"}, {ByCourseCode, "C\"1%"}, {ByCourseName, "0% 'off' \""}};
    for (const auto& [way, text] : searches) {
        const auto [radio, box] = searchWay(w, way);
        f.search(radio, box, text);
        QVERIFY2(f.gridColumn(2) == QStringList{"S'1\"%"}, qPrintable(text));
    }
    f.search(w.RadioButton4, w.Edit4, "%");
    QCOMPARE(f.gridColumn(2), QStringList{"S'1\"%"});

    f.clickRow(0);
    type(w.Edit5, "S'2\"%_");
    type(w.Edit9, "D'Arcy 5%");
    w.Button2->click();
    QCOMPARE(f.db.rows(allRoster).last(), QString("9'%|K'1%_|S'2\"%_|D'Arcy 5%|C\"1%|50% 'off' \"x\"|T'%|D%'|b'%_|补考"));

    f.search(w.RadioButton2, w.Edit2, "S'2\"%_");
    f.clickRow(0);
    type(w.Edit9, "it's 100%");
    w.Button5->click();
    QCOMPARE(f.db.scalar("select xm from t_bjgmd where xh='S''2\"%_'"), QString("it's 100%"));

    f.dialogs.takeTexts();
    f.search(w.RadioButton2, w.Edit2, "S'2\"%_");
    f.clickRow(0);
    w.Button4->click();
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{"是否删除？ ", "删除成功"}));
    QCOMPARE(f.db.rows("select xh from t_bjgmd order by rowid"), (QStringList{"S'1\"%", "S11"}));
}

void TestRoster::rowClickFillsTheEditingGroup()
{
    Fixture f;
    TForm1& w = *f.window;
    f.search(w.RadioButton2, w.Edit2, "S1");
    f.clickRow(2);

    const QList<std::pair<QWidget*, QString>> shown = {
        {w.Edit5, "S1"}, {w.Edit9, "张三"}, {w.Label15, "1"}, {w.Label32, "1"}, {w.Label16, "K1"},
        {w.Label29, "C1"}, {w.Label17, "高等数学"}, {w.Label19, "王老师"}, {w.Label21, "数学系"},
        {w.Label23, "重修"}, {w.Label25, "2024-01-11 08:00"}, {w.Label27, "A101"}};
    for (const auto& [widget, text] : shown) {
        const QVariant value = widget->property("text");
        QVERIFY2(value.toString() == text, qPrintable(widget->objectName() + " shows " + value.toString()));
    }
    QCOMPARE(w.ComboBox1->currentText(), QString("补考"));
    QVERIFY(!w.Edit5->isModified());
    QVERIFY(!w.Edit9->isModified());

    // Typing marks a box; the next click marks it as untouched again.
    type(w.Edit9, "改");
    QVERIFY(w.Edit9->isModified());
    f.clickRow(0);
    QCOMPARE(w.Label16->text(), QString("K3"));
    QCOMPARE(w.Label25->text(), QString());
    QVERIFY(!w.Edit9->isModified());
}

void TestRoster::addStoresAStudentForTheClickedCourse()
{
    Fixture f;
    TForm1& w = *f.window;
    f.search(w.RadioButton1, w.Edit1, "K1");
    f.clickRow(0);
    type(w.Edit5, "S9");
    type(w.Edit9, "新生");
    w.ComboBox1->setCurrentText("缓考");
    w.Button2->click();

    QCOMPARE(f.dialogs.takeTexts(), QStringList{"添加成功"});
    const QString clickedBz = f.db.scalar("select bz from t_bjgmd where kcxh='K1' and xh='" + f.gridColumn(2).first() + "'");
    QCOMPARE(f.db.rows(allRoster).size(), roster.size() + 1);
    QCOMPARE(f.db.rows(allRoster).last(), "1|K1|S9|新生|C1|高等数学|王老师|数学系|" + clickedBz + "|缓考");
    // Shown at the end of the grid, with the paper's time and room.
    QCOMPARE(f.gridColumn(2), (QStringList{f.gridColumn(2).at(0), f.gridColumn(2).at(1), "S9"}));
    QCOMPARE(f.gridColumn(10).last(), QString("2024-01-11 08:00"));
    QCOMPARE(f.gridColumn(11).last(), QString("A101"));
    // Time and room follow from the paper: nothing outside the roster changed.
    QCOMPARE(f.db.rows("select cc,sjxh,jsid from t_kscs order by cc"), (QStringList{"1|2|0", "2|1|1"}));

    // The added row is now the one being edited.
    type(w.Edit9, "新生甲");
    w.Button5->click();
    QCOMPARE(f.db.rows("select xh,xm from t_bjgmd where kcxh='K1' order by rowid"),
             (QStringList{"S1|张三", "S2|李四", "S9|新生甲"}));

    f.search(w.RadioButton1, w.Edit1, "K1");
    QCOMPARE(w.Label12->text(), QString("3"));
}

void TestRoster::changeWritesOnlyTheTypedBoxes_data()
{
    QTest::addColumn<QString>("number"); // typed into Edit5; null: not typed in
    QTest::addColumn<QString>("name");   // typed into Edit9; null: not typed in
    QTest::addColumn<QString>("stored"); // xh|xm of the clicked roster row afterwards

    QTest::newRow("name only") << QString() << "张叁" << "S1|张叁";
    QTest::newRow("number only") << "S7" << QString() << "S7|张三";
    QTest::newRow("both") << "S7" << "张叁" << "S7|张叁";
    QTest::newRow("neither") << QString() << QString() << "S1|张三";
}

// The student is listed twice under K1: only the clicked row may change.
void TestRoster::changeWritesOnlyTheTypedBoxes()
{
    QFETCH(QString, number);
    QFETCH(QString, name);
    QFETCH(QString, stored);

    Fixture f(QStringList{roster[0], roster[0], roster[2]});
    TForm1& w = *f.window;
    f.search(w.RadioButton1, w.Edit1, "K1");
    f.clickRow(1);
    // What the program set in a box it did not mark as typed does not count.
    w.Edit5->setText("S-not-typed");
    w.Edit9->setText("not typed");
    if (!number.isNull())
        type(w.Edit5, number);
    if (!name.isNull())
        type(w.Edit9, name);
    w.Button5->click();

    QCOMPARE(f.dialogs.takeTexts(), QStringList{"修改成功"});
    QStringList k1 = f.db.rows("select xh||'|'||xm from t_bjgmd where kcxh='K1'");
    QStringList expected = {stored, "S1|张三"};
    k1.sort();
    expected.sort();
    QCOMPARE(k1, expected);
    QCOMPARE(f.db.scalar("select xh||'|'||xm||'|'||bz||'|'||hbk from t_bjgmd where kcxh='K2'"), QString("S1|张三||补考"));
}

void TestRoster::changeGoesToTheClickedRowWhereverTheCursorWent()
{
    Fixture f;
    TForm1& w = *f.window;
    f.search(w.RadioButton1, w.Edit1, "K1");
    f.clickRow(0);
    const QString clicked = f.gridColumn(2).at(0);
    w.DBGrid1->setCurrentIndex(w.DBGrid1->QAbstractItemView::model()->index(1, 0)); // keyboard cursor to the other row
    QCOMPARE(w.data().ADOQuery21.currentRow(), 1);
    type(w.Edit9, "改名");
    w.Button5->click();
    QCOMPARE(f.db.rows("select xh from t_bjgmd where xm='改名'"), QStringList{clicked});
}

void TestRoster::deleteAsksThenRemovesEveryMatchingRow()
{
    Fixture f(roster + QStringList{
                  "1|K1|S1|张三丰|C1|高等数学|王老师|数学系|另|缓考", // same course: name, remark, kind do not matter
                  "1|K1|S1|张三|C1|高等数学|李老师|数学系||补考",     // another teacher: stays
              });
    TForm1& w = *f.window;
    const QStringList before = f.db.rows(allRoster);
    f.search(w.RadioButton2, w.Edit2, "S1");
    QCOMPARE(f.gridColumn(1), (QStringList{"K3", "K2", "K1", "K1", "K1"}));
    f.clickRow(f.gridColumn(6).indexOf("王老师"));

    f.dialogs.confirmAnswers = {false};
    w.Button4->click();
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes.first().kind, QString("confirm"));
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"是否删除？ "});
    QCOMPARE(f.db.rows(allRoster), before);

    w.Button4->click();
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{"是否删除？ ", "删除成功"}));
    QCOMPARE(f.db.rows("select kcxh,xh,skjs from t_bjgmd order by rowid"),
             (QStringList{"K1|S2|王老师", "K2|S1|赵老师", "K3|S1|钱老师", "K4|S3|孙老师", "K1|S1|李老师"}));
    QCOMPARE(f.gridColumn(1).size(), 5); // the grid is not read again

    // Deleting it again reaches no row, and says so.
    w.Button4->click();
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{"是否删除？ ", "该记录已被删除或修改，请重新查询"}));
    QCOMPARE(f.db.rows(allRoster).size(), 5);
}

void TestRoster::exitClearsTheWorkButKeepsTheSearch()
{
    Fixture f;
    TForm1& w = *f.window;
    DataModule& dm = w.data();
    for (QuerySlot* q : {&dm.ADOQuery19, &dm.ADOQuery15, &dm.ADOQuery17}) {
        q->SQL.Clear();
        q->SQL.Add("select * from t_js");
        q->Open();
    }
    f.search(w.RadioButton1, w.Edit1, "K1");
    f.clickRow(0);
    type(w.Edit9, "改");
    w.ComboBox1->setCurrentText("缓考");
    w.Button3->click();

    QVERIFY(!w.isVisible());
    for (QuerySlot* q : {&dm.ADOQuery21, &dm.ADOQuery19, &dm.ADOQuery15, &dm.ADOQuery17})
        QVERIFY2(!q->Active(), qPrintable(q->name()));
    QCOMPARE(w.DBGrid1->QAbstractItemView::model()->rowCount(), 0);
    for (QLabel* label : {w.Label12, w.Label15, w.Label16, w.Label17, w.Label19, w.Label21, w.Label23, w.Label25,
                          w.Label27, w.Label29, w.Label32})
        QVERIFY2(label->text().isEmpty(), qPrintable(label->objectName()));
    QCOMPARE(w.Edit5->text(), QString());
    QCOMPARE(w.Edit9->text(), QString());
    QVERIFY(!w.Edit9->isModified());
    QCOMPARE(w.Edit1->text(), QString("K1"));
    QVERIFY(w.RadioButton1->isChecked());
    QCOMPARE(w.ComboBox1->currentText(), QString("缓考"));
    QCOMPARE(w.Label30->text(), QString("2"));
    QCOMPARE(f.dialogs.takeTexts(), QStringList());
}

// Each case ends by pressing add or change; nothing may be written and the
// box must say why.
void TestRoster::addingOrChangingWithoutAClickedRowIsRefused()
{
    const QString pickRow = "请先查询，并在查询结果中点击一行";
    const QString noNumber = "学号不能为空";
    struct Case {
        const char* name;
        std::function<void(Fixture&)> steps;
        QString message;
    };
    const QList<Case> cases = {
        {"add with no result", [](Fixture& f) { type(f.window->Edit5, "S9"); f.window->Button2->click(); }, pickRow},
        {"add before a click", [](Fixture& f) {
             f.search(f.window->RadioButton1, f.window->Edit1, "K1");
             type(f.window->Edit5, "S9");
             f.window->Button2->click();
         }, pickRow},
        {"change before a click", [](Fixture& f) {
             f.search(f.window->RadioButton1, f.window->Edit1, "K1");
             type(f.window->Edit9, "改");
             f.window->Button5->click();
         }, pickRow},
        {"add after closing and opening again", [](Fixture& f) {
             f.search(f.window->RadioButton1, f.window->Edit1, "K1");
             f.clickRow(0);
             f.window->close();
             f.window->show();
             type(f.window->Edit5, "S9");
             f.window->Button2->click();
         }, pickRow},
        {"add after exit and a new search", [](Fixture& f) {
             f.search(f.window->RadioButton1, f.window->Edit1, "K1");
             f.clickRow(0);
             f.window->Button3->click();
             f.window->show();
             f.search(f.window->RadioButton1, f.window->Edit1, "K1");
             type(f.window->Edit5, "S9");
             f.window->Button2->click();
         }, pickRow},
        {"change after a new search", [](Fixture& f) {
             f.search(f.window->RadioButton1, f.window->Edit1, "K1");
             f.clickRow(0);
             f.search(f.window->RadioButton1, f.window->Edit1, "K2");
             type(f.window->Edit9, "改");
             f.window->Button5->click();
         }, pickRow},
        {"change after deleting the row", [](Fixture& f) {
             f.search(f.window->RadioButton1, f.window->Edit1, "K2");
             f.clickRow(0);
             f.window->Button4->click();
             f.db.addRoster({roster[2]});
             type(f.window->Edit9, "改");
             f.window->Button5->click();
         }, pickRow},
        {"add with an empty student number", [](Fixture& f) {
             f.search(f.window->RadioButton1, f.window->Edit1, "K1");
             f.clickRow(0);
             type(f.window->Edit5, "  ");
             f.window->Button2->click();
         }, noNumber},
        {"change to an empty student number", [](Fixture& f) {
             f.search(f.window->RadioButton1, f.window->Edit1, "K1");
             f.clickRow(0);
             type(f.window->Edit5, "");
             type(f.window->Edit9, "改");
             f.window->Button5->click();
         }, noNumber},
    };
    for (const Case& c : cases) {
        Fixture f;
        const QStringList before = f.db.rows("select sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk from t_bjgmd order by sjxh,kcxh,xh");
        c.steps(f);
        QVERIFY2(f.dialogs.lastText() == c.message, c.name);
        QVERIFY2(f.db.rows("select sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk from t_bjgmd order by sjxh,kcxh,xh") == before, c.name);
    }
}

// The roster's last row is deleted and a student added for its course: the
// deleted row, still shown, must not stand for the new one.
void TestRoster::deletedRowStillShownIsNoHandleOnANewerRow()
{
    Fixture f;
    TForm1& w = *f.window;
    f.search(w.RadioButton2, w.Edit2, "S3");
    f.clickRow(0);
    w.Button4->click();
    type(w.Edit5, "S9");
    type(w.Edit9, "新生");
    w.Button2->click();
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{"是否删除？ ", "删除成功", "添加成功"}));
    const QStringList before = f.db.rows(allRoster);
    QCOMPARE(before.last(), QString("1|K4|S9|新生|C1|高等数学|孙老师|数学系||补考"));

    f.clickRow(0);
    QCOMPARE(w.Edit5->text(), QString("S3"));
    type(w.Edit9, "改名");
    w.Button5->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"该记录已被删除或修改，请重新查询"});
    QCOMPARE(f.db.rows(allRoster), before);
    QCOMPARE(f.gridColumn(3), (QStringList{"王五", "新生"}));
}

void TestRoster::typedKindIsNotAddedToTheList()
{
    Fixture f;
    TForm1& w = *f.window;
    f.search(w.RadioButton1, w.Edit1, "K2");
    f.clickRow(0);
    QLineEdit* kind = w.ComboBox1->lineEdit();
    kind->setFocus();
    kind->selectAll();
    for (const QChar ch : QString("重修"))
        QTest::sendKeyEvent(QTest::Click, kind, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    QTest::keyClick(kind, Qt::Key_Return);
    QCOMPARE(w.ComboBox1->count(), 2);
    QCOMPARE(w.ComboBox1->currentText(), QString("重修"));
    type(w.Edit5, "S9");
    w.Button2->click();
    QCOMPARE(f.db.scalar("select hbk from t_bjgmd where xh='S9'"), QString("重修"));
}

QTEST_MAIN(TestRoster)
#include "tst_roster.moc"

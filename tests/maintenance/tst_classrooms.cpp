// The classroom window: list, add, delete by name, and what it refuses.
#include "DBGrid.h"
#include "DataModule.h"
#include "GridRows.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit5.h"
#include "WindowFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestClassrooms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void showingEmptiesTheBoxesAndListsRooms();
    void addShowsTheRoomAtOnce();
    void addKeepsAnyTextLiterally_data();
    void addKeepsAnyTextLiterally();
    void capacityWithLettersIsRefused();
    void capacityOutOfRangeIsRefusedWithItsCause_data();
    void capacityOutOfRangeIsRefusedWithItsCause();
    void deleteAsksAndRemovesEveryRoomOfThatName();
    void deleteAnsweredNoKeepsTheRooms();
    void deletingARoomInUseUnplacesItsPapers_data();
    void deletingARoomInUseUnplacesItsPapers();
    void deleteWithEmptyNameAsksNothing();
    void clickingACellCopiesThatCell();
    void roomWithRowsAndColumns_data();
    void roomWithRowsAndColumns();
    void enterAndEscapeInTheLayoutBoxes();

private:
    void add(const QString& name, const QString& capacity);
    QStringList listed();

    std::unique_ptr<WindowFixture<TForm5>> f;
};

void TestClassrooms::init()
{
    f = std::make_unique<WindowFixture<TForm5>>();
    f->db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',60),('B202',40)");
    f->w.show();
}

void TestClassrooms::cleanup()
{
    f.reset();
}

void TestClassrooms::add(const QString& name, const QString& capacity)
{
    f->w.Edit1->setText(name);
    f->w.Edit2->setText(capacity);
    f->w.Button1->click();
}

QStringList TestClassrooms::listed()
{
    return gridRows(f->w.DBGrid1, {0, 1});
}

void TestClassrooms::showingEmptiesTheBoxesAndListsRooms()
{
    f->w.hide();
    f->w.Edit1->setText("x");
    f->w.Edit2->setText("1");
    f->w.Edit3->setText("y");
    f->w.show();
    QVERIFY(f->w.Edit1->text().isEmpty() && f->w.Edit2->text().isEmpty() && f->w.Edit3->text().isEmpty());
    QCOMPARE(listed(), (QStringList{"A101|60", "B202|40"}));
    const QAbstractItemModel* model = f->w.DBGrid1->model();
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("教室名称"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("容纳人数"));
}

void TestClassrooms::addShowsTheRoomAtOnce()
{
    add("C303", "35");
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"增加成功"});
    QVERIFY(listed().contains("C303|35"));
    QVERIFY(f->w.Edit1->text().isEmpty() && f->w.Edit2->text().isEmpty());
    add("C303", "30"); // names need not be unique
    QCOMPARE(f->db.scalar("select count(*) from t_js where jsm='C303'"), QString("2"));
}

void TestClassrooms::addKeepsAnyTextLiterally_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("single quote") << "O'Neil 楼";
    QTest::newRow("double quote") << "\"主楼\"";
    QTest::newRow("percent") << "100%";
    QTest::newRow("statement end and comment") << "x'); delete from t_js; --";
    QTest::newRow("blanks kept") << "  A101  ";
}

void TestClassrooms::addKeepsAnyTextLiterally()
{
    QFETCH(QString, name);
    add(name, "10");
    QCOMPARE(f->db.rows("select jsm from t_js where rnrs=10"), QStringList{name});
    QCOMPARE(f->db.scalar("select count(*) from t_js"), QString("3"));

    f->w.Edit3->setText(name);
    f->w.Button2->click();
    QCOMPARE(f->db.rows("select jsm from t_js order by jsm"), (QStringList{"A101", "B202"}));
}

// Words, not digits: a plain Chinese message that names what was typed,
// never the engine's text or the column.
void TestClassrooms::capacityWithLettersIsRefused()
{
    for (const QString& capacity : {QStringLiteral("abc"), QStringLiteral("六十"), QStringLiteral("60人")}) {
        add("D404", capacity);
        QCOMPARE(f->dialogs.takeTexts(), QStringList{QStringLiteral("容纳人数“%1”不是整数，请用阿拉伯数字填写，如 60。").arg(capacity)});
        QCOMPARE(f->db.scalar("select count(*) from t_js"), QString("2"));
        // The boxes keep what was typed.
        QCOMPARE(f->w.Edit1->text(), QString("D404"));
        QCOMPARE(f->w.Edit2->text(), capacity);
    }
}

void TestClassrooms::capacityOutOfRangeIsRefusedWithItsCause_data()
{
    QTest::addColumn<QString>("capacity");
    QTest::addColumn<QString>("said");
    QTest::newRow("negative") << "-5" << "容纳人数不能是负数。";
    QTest::newRow("negative with blanks") << " -1 " << "容纳人数不能是负数。";
    QTest::newRow("too large") << "99999999999999999999" << "容纳人数太大，无法保存。";
    QTest::newRow("too small") << "-99999999999999999999" << "容纳人数太大，无法保存。";
    QTest::newRow("not whole") << "1.5" << "容纳人数“1.5”不是整数，请用阿拉伯数字填写，如 60。";
}

void TestClassrooms::capacityOutOfRangeIsRefusedWithItsCause()
{
    QFETCH(QString, capacity);
    QFETCH(QString, said);
    add("D404", capacity);
    QCOMPARE(f->dialogs.boxes.size(), 1);
    QVERIFY2(f->dialogs.boxes[0].text.contains(said), qPrintable(f->dialogs.boxes[0].text));
    QVERIFY(!f->dialogs.boxes[0].text.contains("只能填写整数，输入的内容无法保存"));
    QCOMPARE(f->db.scalar("select count(*) from t_js"), QString("2"));
    QCOMPARE(f->w.Edit2->text(), capacity);
}

void TestClassrooms::deleteAsksAndRemovesEveryRoomOfThatName()
{
    f->db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',30)");
    f->w.Edit3->setText("a101"); // names compare without regard to case
    f->w.Button2->click();
    QCOMPARE(f->dialogs.boxes.size(), 1);
    QCOMPARE(f->dialogs.boxes[0].kind, QString("confirm"));
    QCOMPARE(f->dialogs.boxes[0].text, QString("是否删除？ "));
    QCOMPARE(f->db.rows("select jsm from t_js"), QStringList{"B202"});
    QCOMPARE(listed(), QStringList{"B202|40"});
    QVERIFY(f->w.Edit3->text().isEmpty());
}

void TestClassrooms::deleteAnsweredNoKeepsTheRooms()
{
    f->dialogs.confirmAnswers = {false};
    f->w.Edit3->setText("A101");
    f->db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('E505',5)"); // the list is reread either way
    f->w.Button2->click();
    QCOMPARE(f->db.scalar("select count(*) from t_js"), QString("3"));
    QCOMPARE(listed().size(), 3);
    QVERIFY(f->w.Edit3->text().isEmpty());
}

// Papers 1 (two courses, three candidates) and 2 sit in A101, paper 3 in
// B202; every placement of a deleted room gets room 0, the one that names
// no room, so that the room windows offer it again.
void TestClassrooms::deletingARoomInUseUnplacesItsPapers_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("rooms");
    QTest::addColumn<QStringList>("placements");
    QTest::newRow("yes") << true << QStringList{"B202"} << QStringList{"1|0", "2|0", "3|2"};
    QTest::newRow("no") << false << QStringList{"A101", "B202"} << QStringList{"1|1", "2|1", "3|2"};
}

void TestClassrooms::deletingARoomInUseUnplacesItsPapers()
{
    QFETCH(bool, answer);
    QFETCH(QStringList, rooms);
    QFETCH(QStringList, placements);
    f->db.addRoster({"1|K1|S1", "1|K1|S2", "1|K2|S3", "2|K3|S4", "3|K4|S5"});
    f->db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','1','1',1),('2','2','2',1),('1','3','3',2)");
    f->dialogs.confirmAnswers = {answer};
    f->w.Edit3->setText("A101");
    f->w.Button2->click();
    QCOMPARE(f->dialogs.takeTexts(),
             QStringList{"教室 A101 已安排了 2 份试卷、4 名考生，删除后它们将没有教室，需要重新指定。是否删除？ "});
    QCOMPARE(f->db.rows("select jsm from t_js order by jsm"), rooms);
    QCOMPARE(f->db.rows("select sjxh, quote(jsid) from t_kscs order by sjxh"), placements);
}

void TestClassrooms::deleteWithEmptyNameAsksNothing()
{
    f->db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('E505',5)"); // the list is reread all the same
    f->w.Button2->click();
    QCOMPARE(f->dialogs.boxes.size(), 1);
    QCOMPARE(f->dialogs.boxes[0].kind, QString("message"));
    QCOMPARE(f->dialogs.boxes[0].text, QString("请输入教室"));
    QCOMPARE(f->db.scalar("select count(*) from t_js"), QString("3"));
    QCOMPARE(listed(), (QStringList{"A101|60", "B202|40", "E505|5"}));
}

void TestClassrooms::clickingACellCopiesThatCell()
{
    const QAbstractItemModel* model = f->w.DBGrid1->model();
    for (auto [row, column, expected] : {std::tuple{1, 0, "B202"}, std::tuple{1, 1, "40"}, std::tuple{0, 0, "A101"}}) {
        const QRect cell = f->w.DBGrid1->visualRect(model->index(row, column));
        QTest::mouseClick(f->w.DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(f->w.Edit3->text(), QString(expected));
    }
}

void TestClassrooms::roomWithRowsAndColumns_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QString>("stored"); // the new room, or empty when refused
    QTest::addColumn<QString>("said");
    QTest::newRow("neither") << "" << "" << "C303|30|0|0" << "增加成功";
    QTest::newRow("both") << " 5 " << "8" << "C303|30|5|8" << "增加成功";
    QTest::newRow("rows only") << "5" << "" << "" << "排数“5”、列数“”须同时填写，且为大于 0 的整数。";
    QTest::newRow("too few seats") << "4" << "7" << "" << "排数×列数（28）少于容纳人数（30）。";
    QTest::newRow("not a number") << "五" << "8" << "" << "排数“五”、列数“8”须同时填写，且为大于 0 的整数。";
}

void TestClassrooms::roomWithRowsAndColumns()
{
    QFETCH(QString, rows);
    QFETCH(QString, columns);
    QFETCH(QString, stored);
    QFETCH(QString, said);
    f->w.rowsEdit->setText(rows);
    f->w.columnsEdit->setText(columns);
    add("C303", "30");
    QCOMPARE(f->dialogs.takeTexts(), QStringList{said});
    QCOMPARE(f->db.rows("select jsm, rnrs, ps, ls from t_js where jsm='C303'"), stored.isEmpty() ? QStringList() : QStringList{stored});
    // Refused, the boxes keep what was typed; added, they are emptied.
    QCOMPARE(f->w.rowsEdit->text(), stored.isEmpty() ? rows : QString());
}

void TestClassrooms::enterAndEscapeInTheLayoutBoxes()
{
    for (QLineEdit* box : {f->w.rowsEdit, f->w.columnsEdit}) {
        box->setText("5");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(f->w.isVisible());
    }
    QCOMPARE(f->dialogs.boxes.size(), 0);
    QCOMPARE(f->db.scalar("select count(*) from t_js"), QString("2"));
    QTest::keyClick(f->w.columnsEdit, Qt::Key_Escape);
    QVERIFY(!f->w.isVisible());
}

QTEST_MAIN(TestClassrooms)
#include "tst_classrooms.moc"

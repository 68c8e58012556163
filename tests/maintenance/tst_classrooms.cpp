// The classroom window: list, add, delete by name, and what it refuses.
#include "DBGrid.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit5.h"

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
    void deleteWithEmptyNameAsksNothing();
    void clickingACellCopiesThatCell();

private:
    void add(const QString& name, const QString& capacity);
    QStringList listed();

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<RecordingDialogs> dialogs;
    std::unique_ptr<DataModule> dm;
    std::unique_ptr<TForm5> form;
};

void TestClassrooms::init()
{
    db = std::make_unique<TestDatabase>();
    db->exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',60),('B202',40)");
    dialogs = std::make_unique<RecordingDialogs>();
    dm = std::make_unique<DataModule>();
    dm->reconfigure();
    form = std::make_unique<TForm5>(*dm, *dialogs);
    form->show();
}

void TestClassrooms::cleanup()
{
    form.reset();
    dm.reset();
    dialogs.reset();
    db.reset();
}

void TestClassrooms::add(const QString& name, const QString& capacity)
{
    form->Edit1->setText(name);
    form->Edit2->setText(capacity);
    form->Button1->click();
}

QStringList TestClassrooms::listed()
{
    QStringList rows;
    const QAbstractItemModel* model = form->DBGrid1->model();
    for (int r = 0; r < model->rowCount(); ++r)
        rows.append(model->index(r, 0).data().toString() + "|" + model->index(r, 1).data().toString());
    return rows;
}

void TestClassrooms::showingEmptiesTheBoxesAndListsRooms()
{
    form->hide();
    form->Edit1->setText("x");
    form->Edit2->setText("1");
    form->Edit3->setText("y");
    form->show();
    QVERIFY(form->Edit1->text().isEmpty() && form->Edit2->text().isEmpty() && form->Edit3->text().isEmpty());
    QCOMPARE(listed(), (QStringList{"A101|60", "B202|40"}));
    const QAbstractItemModel* model = form->DBGrid1->model();
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("教室名称"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("容纳人数"));
}

void TestClassrooms::addShowsTheRoomAtOnce()
{
    add("C303", "35");
    QCOMPARE(dialogs->takeTexts(), QStringList{"增加成功"});
    QVERIFY(listed().contains("C303|35"));
    QVERIFY(form->Edit1->text().isEmpty() && form->Edit2->text().isEmpty());
    add("C303", "30"); // names need not be unique
    QCOMPARE(db->scalar("select count(*) from t_js where jsm='C303'"), QString("2"));
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
    QCOMPARE(db->rows("select jsm from t_js where rnrs=10"), QStringList{name});
    QCOMPARE(db->scalar("select count(*) from t_js"), QString("3"));

    form->Edit3->setText(name);
    form->Button2->click();
    QCOMPARE(db->rows("select jsm from t_js order by jsm"), (QStringList{"A101", "B202"}));
}

void TestClassrooms::capacityWithLettersIsRefused()
{
    add("D404", "abc");
    QCOMPARE(dialogs->boxes.size(), 1);
    QCOMPARE(dialogs->boxes[0].kind, QString("error"));
    QVERIFY(dialogs->boxes[0].text.contains("t_js.rnrs"));
    QCOMPARE(db->scalar("select count(*) from t_js"), QString("2"));
    // The handler stopped: the boxes keep what was typed.
    QCOMPARE(form->Edit1->text(), QString("D404"));
    QCOMPARE(form->Edit2->text(), QString("abc"));
}

void TestClassrooms::capacityOutOfRangeIsRefusedWithItsCause_data()
{
    QTest::addColumn<QString>("capacity");
    QTest::addColumn<QString>("said");
    QTest::newRow("negative") << "-5" << "容纳人数不能是负数。";
    QTest::newRow("negative with blanks") << " -1 " << "容纳人数不能是负数。";
    QTest::newRow("too large") << "99999999999999999999" << "容纳人数太大，无法保存。";
    QTest::newRow("too small") << "-99999999999999999999" << "容纳人数太大，无法保存。";
    QTest::newRow("not whole") << "1.5" << "只能填写整数：输入的数不是整数，或者太大。";
}

void TestClassrooms::capacityOutOfRangeIsRefusedWithItsCause()
{
    QFETCH(QString, capacity);
    QFETCH(QString, said);
    add("D404", capacity);
    QCOMPARE(dialogs->boxes.size(), 1);
    QVERIFY2(dialogs->boxes[0].text.contains(said), qPrintable(dialogs->boxes[0].text));
    QVERIFY(!dialogs->boxes[0].text.contains("只能填写整数，输入的内容无法保存"));
    QCOMPARE(db->scalar("select count(*) from t_js"), QString("2"));
    QCOMPARE(form->Edit2->text(), capacity);
}

void TestClassrooms::deleteAsksAndRemovesEveryRoomOfThatName()
{
    db->exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',30)");
    form->Edit3->setText("a101"); // names compare without regard to case
    form->Button2->click();
    QCOMPARE(dialogs->boxes.size(), 1);
    QCOMPARE(dialogs->boxes[0].kind, QString("confirm"));
    QCOMPARE(dialogs->boxes[0].text, QString("是否删除？ "));
    QCOMPARE(db->rows("select jsm from t_js"), QStringList{"B202"});
    QCOMPARE(listed(), QStringList{"B202|40"});
    QVERIFY(form->Edit3->text().isEmpty());
}

void TestClassrooms::deleteAnsweredNoKeepsTheRooms()
{
    dialogs->confirmAnswers = {false};
    form->Edit3->setText("A101");
    db->exec("INSERT INTO t_js(jsm,rnrs) VALUES('E505',5)"); // the list is reread either way
    form->Button2->click();
    QCOMPARE(db->scalar("select count(*) from t_js"), QString("3"));
    QCOMPARE(listed().size(), 3);
    QVERIFY(form->Edit3->text().isEmpty());
}

void TestClassrooms::deleteWithEmptyNameAsksNothing()
{
    db->exec("INSERT INTO t_js(jsm,rnrs) VALUES('E505',5)"); // the list is reread all the same
    form->Button2->click();
    QCOMPARE(dialogs->boxes.size(), 1);
    QCOMPARE(dialogs->boxes[0].kind, QString("message"));
    QCOMPARE(dialogs->boxes[0].text, QString("请输入教室"));
    QCOMPARE(db->scalar("select count(*) from t_js"), QString("3"));
    QCOMPARE(listed(), (QStringList{"A101|60", "B202|40", "E505|5"}));
}

void TestClassrooms::clickingACellCopiesThatCell()
{
    const QAbstractItemModel* model = form->DBGrid1->model();
    for (auto [row, column, expected] : {std::tuple{1, 0, "B202"}, std::tuple{1, 1, "40"}, std::tuple{0, 0, "A101"}}) {
        const QRect cell = form->DBGrid1->visualRect(model->index(row, column));
        QTest::mouseClick(form->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(form->Edit3->text(), QString(expected));
    }
}

QTEST_MAIN(TestClassrooms)
#include "tst_classrooms.moc"

// The query slots and the connection: cursor operations, batch mode, writing
// back through the roster view, and connecting to a file that may be missing.
#include "DataModule.h"
#include "DbError.h"

#include <QSqlError>
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

void run(QuerySlot& q, const SqlText& statement)
{
    q.Close();
    q.SQL.Clear();
    q.SQL.Add(statement);
    q.Open();
}

} // namespace

class TestQuerySlot : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cursorWalksTheResult();
    void emptyResultIsAtEofAtOnce();
    void unknownFieldIsAnError();
    void changingTheStatementClosesTheSlot();
    void batchSlotKeepsChangesToItself();
    void appendAndEditWriteThroughTheRosterView();
    void editWithoutRowKeyIsRefused();
    void missingDatabaseFailsThenWorksOnceThere();
    void databaseIsLookedUpInTheCurrentDirectory();
    void reconfigureClosesTheConnectionAndFirstSlot();
    void refusedValueChangesNothing();
    void changeOfARowNoLongerThereReachesNoOtherRow_data();
    void changeOfARowNoLongerThereReachesNoOtherRow();
    void emptyValuesAreStoredAsEmptyText();
    void faultsAreExplainedInChinese_data();
    void faultsAreExplainedInChinese();
    void driverTextStandsInForAMissingEngineText();
    void statementsLeaveNoReadOpen();
};

void TestQuerySlot::cursorWalksTheResult()
{
    TestDatabase db;
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A',1),('B',2),('C',3)");
    DataModule dm;
    dm.reconfigure();
    run(dm.ADOQuery5, "select jsm,rnrs from t_js order by jsm");
    QCOMPARE(dm.ADOQuery5.RecordCount(), 3);
    QStringList seen;
    for (dm.ADOQuery5.First(); !dm.ADOQuery5.Eof(); dm.ADOQuery5.Next())
        seen.append(dm.ADOQuery5.FieldByName("JSM").AsString() + dm.ADOQuery5.FieldByName("rnrs").AsString());
    QCOMPARE(seen, (QStringList{"A1", "B2", "C3"}));
    dm.ADOQuery5.Last();
    QVERIFY(dm.ADOQuery5.Eof());
    QCOMPARE(dm.ADOQuery5.FieldByName("jsm").AsString(), QString("C"));
    QCOMPARE(dm.ADOQuery5.FieldByName("rnrs").AsVariant().toInt(), 3);
}

void TestQuerySlot::emptyResultIsAtEofAtOnce()
{
    TestDatabase db;
    DataModule dm;
    dm.reconfigure();
    run(dm.ADOQuery1, "select * from t_js");
    QVERIFY(dm.ADOQuery1.Active());
    QVERIFY(dm.ADOQuery1.Eof());
    QCOMPARE(dm.ADOQuery1.RecordCount(), 0);
    QCOMPARE(dm.ADOQuery1.FieldByName("jsm").AsString(), QString());
}

void TestQuerySlot::unknownFieldIsAnError()
{
    TestDatabase db;
    DataModule dm;
    dm.reconfigure();
    run(dm.ADOQuery1, "select jsm from t_js");
    QVERIFY_THROWS_EXCEPTION(DbError, dm.ADOQuery1.FieldByName("nope"));
}

void TestQuerySlot::changingTheStatementClosesTheSlot()
{
    TestDatabase db;
    DataModule dm;
    dm.reconfigure();
    run(dm.ADOQuery3, "select * from t_js");
    dm.ADOQuery3.SQL.Add(" where 1=0");
    QVERIFY(!dm.ADOQuery3.Active());
    QCOMPARE(dm.ADOQuery3.SQL.Text(), QString("select * from t_js\n where 1=0"));
}

void TestQuerySlot::batchSlotKeepsChangesToItself()
{
    TestDatabase db;
    db.addRoster({"|K1|S1|张三|C1|数学|王|系||补考"});
    DataModule dm;
    dm.reconfigure();
    run(dm.ADOQuery15, "select distinct sjxh,kcxh,kcdm,kcmc,bz  from t_bjgmd");
    dm.ADOQuery15.Edit();
    dm.ADOQuery15.FieldByName("sjxh").setAsString("9");
    dm.ADOQuery15.Post();
    QCOMPARE(dm.ADOQuery15.FieldByName("sjxh").AsString(), QString("9"));
    QCOMPARE(db.scalar("select sjxh from t_bjgmd"), QString());
}

void TestQuerySlot::appendAndEditWriteThroughTheRosterView()
{
    TestDatabase db;
    db.addRoster({"1|K1|S1|张三|C1|数学|王|系||补考"});
    DataModule dm;
    dm.reconfigure();
    QuerySlot& q = dm.ADOQuery21;
    run(q, SqlText("select * FROM hbkap where kcxh='") + QStringLiteral("K1") + "' order by kssj asc,sjxh asc,kcdm,kcxh        ");
    q.Append();
    const QStringList fields = {"sjxh", "kcxh", "xh", "xm", "kcdm", "kcmc", "skjs", "kkyx", "bz", "hbk", "kssj", "jsm"};
    const QStringList values = {"1", "K1", "S2'--", "李%四", "C1", "数学", "王", "系", "", "缓考", "", ""};
    for (int i = 0; i < fields.size(); ++i)
        q.FieldByName(fields[i]).setAsString(values[i]);
    q.Post();
    QCOMPARE(q.RecordCount(), 2);
    QCOMPARE(db.rows("select sjxh,kcxh,xh,xm,hbk from t_bjgmd where xh like 'S2%'"), QStringList{"1|K1|S2'--|李%四|缓考"});

    // The appended row is at once a row like the others: change its name.
    q.Edit();
    q.FieldByName("xm").setAsString("李四");
    q.Post();
    QCOMPARE(db.rows("select xh,xm from t_bjgmd order by rowid"), (QStringList{"S1|张三", "S2'--|李四"}));

    q.First();
    q.Edit();
    q.FieldByName("xh").setAsString("S9");
    q.Post();
    QCOMPARE(db.rows("select xh,xm from t_bjgmd order by rowid"), (QStringList{"S9|张三", "S2'--|李四"}));
}

void TestQuerySlot::editWithoutRowKeyIsRefused()
{
    TestDatabase db;
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A',1)");
    DataModule dm;
    dm.reconfigure();
    run(dm.ADOQuery9, "select jsm,rnrs from t_js");
    dm.ADOQuery9.Edit();
    dm.ADOQuery9.FieldByName("jsm").setAsString("B");
    QVERIFY_THROWS_EXCEPTION(DbError, dm.ADOQuery9.Post());
    QCOMPARE(db.scalar("select jsm from t_js"), QString("A"));
}

void TestQuerySlot::missingDatabaseFailsThenWorksOnceThere()
{
    QTemporaryDir empty;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(empty.path());
    DataModule dm;
    dm.reconfigure();
    try {
        run(dm.ADOQuery18, "select kcxh,kcdm,kcmc,skjs,kkyx FROM nonsjxh  ");
        QFAIL("opened a database that is not there");
    } catch (const DbError& e) {
        QCOMPARE(e.engineText(), QString("unable to open database file"));
    }
    QVERIFY(!QFile::exists(empty.path() + "/data/data.mdb"));
    QVERIFY(!QFile::exists(empty.path() + "/data"));

    QDir(empty.path()).mkdir("data");
    TestDatabase::create(empty.path() + "/data/data.mdb");
    run(dm.ADOQuery18, "select kcxh,kcdm,kcmc,skjs,kkyx FROM nonsjxh  ");
    QCOMPARE(dm.ADOQuery18.RecordCount(), 0);
    QDir::setCurrent(previous);
}

void TestQuerySlot::databaseIsLookedUpInTheCurrentDirectory()
{
    TestDatabase first;
    first.exec("INSERT INTO t_js(jsm,rnrs) VALUES('first',1)");
    DataModule dm;
    dm.reconfigure();
    run(dm.ADOQuery9, "select jsm from t_js");
    QCOMPARE(dm.ADOQuery9.FieldByName("jsm").AsString(), QString("first"));
    QVERIFY(dm.ADOConnection1.connectionString().startsWith(
        "Provider=Microsoft.Jet.OLEDB.4.0;Password=\"\";Data Source=" + QDir::currentPath() + "\\data\\data.mdb;"));

    TestDatabase second; // changes the current directory
    second.exec("INSERT INTO t_js(jsm,rnrs) VALUES('second',1)");
    dm.reconfigure();
    run(dm.ADOQuery9, "select jsm from t_js");
    QCOMPARE(dm.ADOQuery9.FieldByName("jsm").AsString(), QString("second"));
}

void TestQuerySlot::reconfigureClosesTheConnectionAndFirstSlot()
{
    TestDatabase db;
    DataModule dm;
    dm.reconfigure();
    run(dm.ADOQuery1, "select * from t_js");
    run(dm.ADOQuery9, "select * from t_js");
    QVERIFY(dm.ADOConnection1.connected());
    dm.reconfigure();
    QVERIFY(!dm.ADOConnection1.connected());
    QVERIFY(!dm.ADOQuery1.Active());
    QVERIFY(dm.ADOQuery1.SQL.lines().empty());
    QVERIFY(dm.ADOQuery9.Active()); // other slots keep what they read
}

void TestQuerySlot::refusedValueChangesNothing()
{
    TestDatabase db;
    DataModule dm;
    dm.reconfigure();
    dm.ADOQuery10.SQL.Add(SqlText("INSERT INTO t_js(jsm,rnrs) VALUES('") + QStringLiteral("A") + "','" + QStringLiteral("abc") + "')       ");
    try {
        dm.ADOQuery10.ExecSQL();
        QFAIL("letters were stored as a capacity");
    } catch (const DbError& e) {
        QVERIFY(e.engineText().contains("t_js.rnrs"));
        QVERIFY(e.message().contains("只能填写整数"));
    }
    QCOMPARE(db.scalar("select count(*) from t_js"), QString("0"));

    // The same statement with a whole number goes in: the refusal left
    // nothing behind in the connection.
    dm.ADOQuery10.SQL.Clear();
    dm.ADOQuery10.SQL.Add(SqlText("INSERT INTO t_js(jsm,rnrs) VALUES('") + QStringLiteral("A") + "','" + QStringLiteral("12") + "')       ");
    dm.ADOQuery10.ExecSQL();
    QCOMPARE(db.rows("select jsm, rnrs from t_js"), QStringList{"A|12"});
}

// Statements are kept prepared and run again. One that still held its
// result would pin the connection to what the file held then (or, under a
// rollback journal, lock every other writer out).
void TestQuerySlot::statementsLeaveNoReadOpen()
{
    TestDatabase db;
    db.addRoster({"1|K1|S1|张三|C1|数学|王|系||补考"});
    DataModule dm;
    dm.reconfigure();
    QuerySlot& roster = dm.ADOQuery21;
    run(roster, "select * FROM hbkap");
    for (const QString& student : {QStringLiteral("S2"), QStringLiteral("S4")}) {
        roster.Append();
        roster.FieldByName("xh").setAsString(student);
        roster.Post(); // reads the new row's key back
        db.exec("INSERT INTO t_bjgmd(xh) VALUES('another')");
        run(dm.ADOQuery9, "select count(*) as n from t_bjgmd");
        QCOMPARE(dm.ADOQuery9.FieldByName("n").AsString(), QString::number(db.scalar("select count(*) from t_bjgmd").toInt()));
    }
    QCOMPARE(db.scalar("select count(*) from t_bjgmd"), QString("5"));
}

void TestQuerySlot::changeOfARowNoLongerThereReachesNoOtherRow_data()
{
    QTest::addColumn<QString>("removal");
    QTest::newRow("deleted, then a row added") << "delete from t_bjgmd where xh='S2'";
    QTest::newRow("deleted by data initialization") << "delete from t_bjgmd";
}

// A result row read before its roster row went stands for no row at all,
// even after a new row was appended at the end of the roster.
void TestQuerySlot::changeOfARowNoLongerThereReachesNoOtherRow()
{
    QFETCH(QString, removal);
    TestDatabase db;
    db.addRoster({"1|K1|S1|张三|C1|数学|王|系||补考", "1|K1|S2|李四|C1|数学|王|系||补考"});
    DataModule dm;
    dm.reconfigure();
    QuerySlot& q = dm.ADOQuery21;
    run(q, "select * FROM hbkap order by xh");
    db.exec(removal);
    db.addRoster({"1|K1|S3|王五|C1|数学|王|系||补考"});
    const QStringList before = db.rows("select * from t_bjgmd");

    q.Last();
    q.Edit();
    q.FieldByName("xm").setAsString("改名");
    try {
        q.Post();
        QFAIL("a change of a deleted row was reported as written");
    } catch (const std::exception& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QString("该记录已被删除或修改，请重新查询"));
    }
    QCOMPARE(db.rows("select * from t_bjgmd"), before);
    QCOMPARE(q.FieldByName("xm").AsString(), QString("李四")); // shown as it was read
}

// An empty value, set or left unset, is the empty text in the table, never
// NULL: statements compare with ''.
void TestQuerySlot::emptyValuesAreStoredAsEmptyText()
{
    TestDatabase db;
    DataModule dm;
    dm.reconfigure();
    QuerySlot& q = dm.ADOQuery1;
    run(q, "select sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk from t_bjgmd");
    q.Append();
    q.FieldByName("kcxh").setAsString("K1");
    q.FieldByName("kkyx").setAsString(QString());
    q.Post();
    run(dm.ADOQuery21, "select * FROM hbkap");
    dm.ADOQuery21.Append();
    dm.ADOQuery21.FieldByName("kcxh").setAsString("K2");
    dm.ADOQuery21.FieldByName("bz").setAsString(QString());
    dm.ADOQuery21.Post();
    dm.ADOQuery17.SQL.Add(SqlText("update t_bjgmd set sjxh='") + QString() + "',bz='" + QString() + "' where kcxh='" + QStringLiteral("K1") + "' ");
    dm.ADOQuery17.ExecSQL();
    dm.ADOQuery20.SQL.Add(SqlText("insert into t_cc(cc) values('") + QStringLiteral("1") + "')       ");
    dm.ADOQuery20.ExecSQL();

    QCOMPARE(db.rows("select kcxh, quote(sjxh), quote(xh), quote(kkyx), quote(bz), quote(hbk) from t_bjgmd order by rid"),
             (QStringList{"K1|''|''|''|''|''", "K2|''|''|''|''|''"}));
    QCOMPARE(db.rows("select quote(kssj) from t_cc"), QStringList{"''"});
}

void TestQuerySlot::faultsAreExplainedInChinese_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("hint");
    QTest::newRow("read-only") << "attempt to write a readonly database" << "是只读的";
    QTest::newRow("full disk") << "database or disk is full" << "磁盘已满";
    QTest::newRow("corrupt") << "database disk image is malformed" << "已损坏";
    QTest::newRow("not a database") << "file is not a database" << "已损坏";
    QTest::newRow("locked") << "database is locked" << "已锁定";
    QTest::newRow("table locked") << "database table is locked" << "已锁定";
    QTest::newRow("disk") << "disk I/O error" << "读写数据库文件时出错";
    QTest::newRow("too large or not whole") << "cannot store REAL value in INTEGER column t_js.rnrs" << "“t_js.rnrs”只能填写整数：输入的数不是整数，或者太大。";
    QTest::newRow("letters") << "cannot store TEXT value in INTEGER column t_js.rnrs" << "“t_js.rnrs”只能填写整数，输入的内容无法保存。";
}

void TestQuerySlot::faultsAreExplainedInChinese()
{
    QFETCH(QString, engine);
    QFETCH(QString, hint);
    const DbError error(engine);
    QVERIFY2(error.message().startsWith(explainEngineText(engine)), qPrintable(error.message()));
    QVERIFY2(explainEngineText(engine).contains(hint), qPrintable(explainEngineText(engine)));
    QVERIFY(error.message().endsWith(engine));
}

void TestQuerySlot::driverTextStandsInForAMissingEngineText()
{
    const DbError error(QSqlError(QStringLiteral("Driver not loaded"), QString(), QSqlError::ConnectionError));
    QVERIFY2(error.message().contains(QStringLiteral("Driver not loaded")), qPrintable(error.message()));
}

QTEST_GUILESS_MAIN(TestQuerySlot)
#include "tst_queryslot.moc"

// Data initialization: empties the term's tables, keeps the rooms; all of
// them or, when anything stops it, none.
#include "DataModule.h"
#include "FileFaults.h"
#include "RecordingDialogs.h"
#include "StatementHook.h"
#include "TestDatabase.h"
#include "Unit12.h"

#include <QDir>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void fillTerm(TestDatabase& db)
{
    QStringList roster;
    for (int i = 0; i < 400; ++i)
        roster.append(QStringLiteral("%1|K%1|S%2|学生%2|C%1|课程%1|王|系||补考").arg(i % 40).arg(i));
    db.addRoster(roster);
    db.exec("INSERT INTO t_kscs VALUES('1','1','1',1); INSERT INTO t_cc VALUES('1','t');"
            "INSERT INTO log(message) VALUES('x'); INSERT INTO t_js(jsm,rnrs) VALUES('A101',60);"
            "INSERT INTO t_jkjs(xm,zdcs) VALUES('王',3); INSERT INTO t_jkap(cc,jsid,jkid) VALUES('1',1,1);");
}

// How many rows each table of the term holds.
QStringList termCounts(TestDatabase& db)
{
    return db.rows("select (select count(*) from t_cc),(select count(*) from t_bjgmd),(select count(*) from log),"
                   "(select count(*) from t_kscs),(select count(*) from t_jkap),(select count(*) from t_jkjs),"
                   "(select count(*) from t_js)");
}

} // namespace

class TestInitialization : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptiesTheTermAndKeepsRooms();
    void aMissingTableEmptiesNothing();
    void fullDiskLeavesTheTermWhole();
    void killedMidwayLeavesTheTermWhole();
};

void TestInitialization::emptiesTheTermAndKeepsRooms()
{
    TestDatabase db;
    db.addRoster({"1|K1|S1|张三|C1|数学|王|系||补考"});
    db.exec("INSERT INTO t_kscs VALUES('1','1','1',1); INSERT INTO t_cc VALUES('1','t');"
            "INSERT INTO log(message) VALUES('x'); INSERT INTO t_js(jsm,rnrs) VALUES('A101',60);"
            "INSERT INTO t_print1(xh) VALUES('S1');"
            "INSERT INTO t_jkjs(xm,zdcs) VALUES('王',3); INSERT INTO t_jkap(cc,jsid,jkid) VALUES('1',1,1);"
            // A seat whose roster row is already gone still goes.
            "INSERT INTO t_zw(rid,cc,jsid,zwh) VALUES(1,'1',1,1),(99,'1',1,2);"
            "INSERT INTO t_pkyq(lx,sl) VALUES('每天最多',2);");
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    TForm12 form(dm, dialogs);
    form.show();
    form.Button1->click();
    form.Button1->click(); // empty tables: succeeds again
    // Each run says where its copy of the data went.
    const QStringList said = dialogs.takeTexts();
    QCOMPARE(said.size(), 2);
    for (const QString& text : said)
        QVERIFY(text.startsWith("初始化成功！！！\n初始化前的数据已备份到：data/backup/data-"));
    QVERIFY(said[0] != said[1]);
    QCOMPARE(QDir("data/backup").entryList({"*.mdb"}).size(), 2);
    QCOMPARE(db.rows("select (select count(*) from t_cc),(select count(*) from t_bjgmd),(select count(*) from log),"
                     "(select count(*) from t_kscs),(select count(*) from t_js),(select count(*) from t_print1)"),
             QStringList{"0|0|0|0|1|1"});
    QCOMPARE(db.rows("select (select count(*) from t_jkjs),(select count(*) from t_jkap),(select count(*) from t_zw),"
                     "(select count(*) from t_pkyq)"),
             QStringList{"0|0|0|0"});
    // The first copy holds the term as it was, rules included.
    const QString firstCopy = said[0].section(QStringLiteral("备份到："), 1);
    QCOMPARE(TestDatabase::rowsOf(firstCopy, "select lx, sl from t_pkyq"), QStringList{"每天最多|2"});
    QVERIFY(form.isVisible());
    QCOMPARE(dm.ADOQuery5.SQL.Text(), QString("delete * from t_kscs    "));
}

void TestInitialization::aMissingTableEmptiesNothing()
{
    TestDatabase db;
    db.addRoster({"1|K1|S1|张三|C1|数学|王|系||补考"});
    db.exec("INSERT INTO t_kscs VALUES('1','1','1',1); INSERT INTO t_cc VALUES('1','t'); DROP TABLE log;");
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    TForm12 form(dm, dialogs);
    form.Button1->click();
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes[0].kind, QString("error"));
    QVERIFY(dialogs.boxes[0].text.contains("no such table: log"));
    QCOMPARE(db.rows("select (select count(*) from t_cc),(select count(*) from t_bjgmd),(select count(*) from t_kscs)"),
             QStringList{"1|1|1"});
}

// The disk fills after the copy is made, while the roster is being deleted:
// the box says nothing was saved, and that is so.
void TestInitialization::fullDiskLeavesTheTermWhole()
{
    SmallDisk disk(2048);
    if (!disk.ok())
        QSKIP("no small file system of its own can be mounted here (needs root)");
    TestDatabase db(disk.path());
    fillTerm(db);
    const QStringList before = termCounts(db);
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    TForm12 form(dm, dialogs);
    const StatementHook full("delete from t_bjgmd", [&] { disk.fill(); });
    form.Button1->click();
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes[0].kind, QString("error"));
    QVERIFY2(dialogs.boxes[0].text.startsWith("磁盘已满，这次修改没有保存，已保存的数据没有受损"), qPrintable(dialogs.boxes[0].text));
    QCOMPARE(QDir("data/backup").entryList({"*.mdb"}).size(), 1);
    dm.ADOConnection1.Close();
    QCOMPARE(termCounts(db), before);
}

// The program dies while the roster is being deleted: the next open finds
// the term as it was.
void TestInitialization::killedMidwayLeavesTheTermWhole()
{
    TestDatabase db;
    fillTerm(db);
    const QStringList before = termCounts(db);
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    TForm12 form(dm, dialogs);
    const pid_t child = ::fork();
    if (child == 0) {
        const StatementHook killed("delete from t_bjgmd", [] { ::kill(::getpid(), SIGKILL); });
        form.Button1->click();
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    QCOMPARE(termCounts(db), before);
}

QTEST_MAIN(TestInitialization)
#include "tst_initialization.moc"

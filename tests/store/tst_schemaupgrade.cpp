// A database made with the earlier layout (schema-version0.sql: no roster
// key, NULLs allowed) is brought to the current layout when the program
// connects, without losing a row.
#include "DataModule.h"
#include "DbError.h"
#include "SlotSteps.h"
#include "StatementHook.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTest>
#include <sqlite3.h>
#include <thread>

class TestSchemaUpgrade : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void olderDatabaseKeepsEveryRow();
    void failedUpgradeLeavesTheFileAsItWas();
    void currentDatabaseIsLeftAlone();
    void olderVersionGainsTheLaterTables_data();
    void olderVersionGainsTheLaterTables();
    void lockedUpgradeIsTriedAgain();
    void papersOnlyBlanksTellApartStayApart();
    void extraViewsAndIndexesStayWhereTheyApply();
    void columnWithDataIsNeverDropped();
    void newerFileIsRefused();
    void newerFileInWalModeIsRefusedUntouched();
    void twoProgramsUpgradeAtOnce();
};

namespace {

// Replaces the test database by one made from the earlier layout.
void makeOlderDatabase(TestDatabase& db)
{
    QFile schema(QStringLiteral(PAIKAO_OLD_SCHEMA));
    QVERIFY(schema.open(QIODevice::ReadOnly));
    QFile::remove(db.file());
    db.exec(QString::fromUtf8(schema.readAll()));
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestSchemaUpgrade::olderDatabaseKeepsEveryRow()
{
    TestDatabase db;
    makeOlderDatabase(db);
    QVERIFY(!QTest::currentTestFailed());
    // " 3" is a paper number typed with blanks, NULLs stand where cells were
    // empty; a roster row and room 3 were deleted.
    db.exec("INSERT INTO t_bjgmd VALUES('1','K1','S1','甲','C1','数学','王',NULL,NULL,'补考');"
            "INSERT INTO t_bjgmd VALUES(' 3','K2','S2','乙','C2','英语','李','外语系','','缓考');"
            "INSERT INTO t_bjgmd VALUES(NULL,'K3','S3',NULL,NULL,NULL,NULL,NULL,NULL,NULL);"
            "INSERT INTO t_bjgmd VALUES('1','K1','S4','丁','C1','数学','王',NULL,NULL,'补考');"
            "DELETE FROM t_bjgmd WHERE xh='S4';"
            "INSERT INTO t_js(jsm,rnrs) VALUES('A101',40),('B202',NULL),('C303',30);"
            "DELETE FROM t_js WHERE jsm='C303';"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','1','1',1),('2','3 ','3 ',2);"
            "INSERT INTO t_cc(cc) VALUES('1'),('2');"
            "INSERT INTO t_print1(sjxh,xh,js) VALUES('1','S1',NULL);");
    const QStringList keys = db.rows("select rowid from t_bjgmd order by rowid");

    DataModule dm;
    dm.reconfigure();
    openOn(dm.ADOQuery21, "select * FROM hbkap order by xh");

    QCOMPARE(db.scalar("PRAGMA user_version"), QString("4"));
    QCOMPARE(db.rows("select rid from t_bjgmd order by rid"), keys);
    QCOMPARE(db.rows("select rid, quote(sjxh), xh, quote(xm), quote(kkyx), quote(bz) from t_bjgmd order by rid"),
             (QStringList{"1|'1'|S1|'甲'|''|''", "2|'3'|S2|'乙'|'外语系'|''", "3|''|S3|''|''|''"}));
    QCOMPARE(db.rows("select jsid, jsm, quote(rnrs) from t_js order by jsid"), (QStringList{"1|A101|40", "2|B202|NULL"}));
    QCOMPARE(db.rows("select cc, sjxh, sjxh1, jsid from t_kscs order by cc"), (QStringList{"1|1|1|1", "2|3|3|2"}));
    QCOMPARE(db.rows("select cc, quote(kssj) from t_cc order by cc"), (QStringList{"1|''", "2|''"}));
    QCOMPARE(db.rows("select sjxh, xh, quote(js), quote(kcxh) from t_print1"), QStringList{"1|S1|''|''"});
    // The paper typed " 3" is paper 3 of period 2 with its room.
    QCOMPARE(db.rows("select xh, cc, jsm from hbkap order by xh"), (QStringList{"S1|1|A101", "S2|2|B202", "S3||"}));
    QCOMPARE(dm.ADOQuery21.RecordCount(), 3);
    QCOMPARE(db.rows("select kcxh from nonsjxh"), QStringList{"K3"});

    // From now on ids are never handed out again: not the last roster row's
    // once deleted, not the room's deleted before the upgrade.
    db.exec("DELETE FROM t_bjgmd WHERE xh='S3'; INSERT INTO t_bjgmd(kcxh) VALUES('K9');"
            "INSERT INTO t_js(jsm,rnrs) VALUES('D404',10);");
    QCOMPARE(db.scalar("select rid from t_bjgmd where kcxh='K9'"), QString("4"));
    QCOMPARE(db.scalar("select jsid from t_js where jsm='D404'"), QString("4"));
}

// A table in the way of the upgrade: nothing changes, the clerk is told, and
// the next statement after the obstacle is gone upgrades.
void TestSchemaUpgrade::failedUpgradeLeavesTheFileAsItWas()
{
    TestDatabase db;
    makeOlderDatabase(db);
    db.exec("INSERT INTO t_bjgmd VALUES(NULL,'K1','S1','甲','C1','数学','王',NULL,NULL,'补考');"
            "CREATE TABLE upgrading_t_js(x)");
    const QString layout = db.rows("select type, name, sql from sqlite_master order by name").join(u'\n');
    DataModule dm;
    dm.reconfigure();
    try {
        openOn(dm.ADOQuery21, "select * FROM hbkap");
        QFAIL("the upgrade did not fail");
    } catch (const DbError& e) {
        QVERIFY2(e.engineText().startsWith("数据库升级失败："), qPrintable(e.engineText()));
    }
    QCOMPARE(db.rows("select type, name, sql from sqlite_master order by name").join(u'\n'), layout);
    QCOMPARE(db.scalar("PRAGMA user_version"), QString("0"));

    db.exec("DROP TABLE upgrading_t_js");
    openOn(dm.ADOQuery21, "select * FROM hbkap");
    QCOMPARE(dm.ADOQuery21.RecordCount(), 1);
    QCOMPARE(db.scalar("PRAGMA user_version"), QString("4"));
}

void TestSchemaUpgrade::currentDatabaseIsLeftAlone()
{
    TestDatabase db;
    db.addRoster({"1|K1|S1|甲|C1|数学|王|数学系||补考"});
    const QString layout = db.rows("select type, name, sql from sqlite_master order by name").join(u'\n');
    DataModule dm;
    dm.reconfigure();
    openOn(dm.ADOQuery21, "select * FROM hbkap");
    QCOMPARE(dm.ADOQuery21.RecordCount(), 1);
    QCOMPARE(db.rows("select type, name, sql from sqlite_master order by name").join(u'\n'), layout);
}

// A database of an earlier version gets what the later versions added
// exactly as a new one has it (a room's added columns where the engine puts
// them), and nothing else of it changes.
void TestSchemaUpgrade::olderVersionGainsTheLaterTables_data()
{
    QTest::addColumn<QString>("dropped");
    QTest::addColumn<int>("version");
    QTest::newRow("version 1: no invigilators, no seats, no rules")
        << "DROP TABLE t_jkap; DROP TABLE t_jkjs; DROP TABLE t_zw; ALTER TABLE t_js DROP COLUMN ps; ALTER TABLE t_js DROP COLUMN ls;"
           "DROP TABLE t_pkyq;" << 1;
    QTest::newRow("version 2: no room layout, no seats, no rules")
        << "DROP TABLE t_zw; ALTER TABLE t_js DROP COLUMN ps; ALTER TABLE t_js DROP COLUMN ls; DROP TABLE t_pkyq;" << 2;
    QTest::newRow("version 3: no rules") << "DROP TABLE t_pkyq;" << 3;
}

void TestSchemaUpgrade::olderVersionGainsTheLaterTables()
{
    QFETCH(QString, dropped);
    QFETCH(int, version);
    TestDatabase db;
    const QString noSeats = "DROP TRIGGER t_zw_placement_moved; DROP TRIGGER t_zw_placement_gone;"
                            "DROP TRIGGER t_zw_paper_changed; DROP TRIGGER t_zw_row_gone;";
    const auto layout = [&db] {
        return db.rows("select type, name, sql from sqlite_master where name <> 't_js' order by name")
            + db.rows("select name, type, \"notnull\", dflt_value from pragma_table_info('t_js')");
    };
    const QStringList fresh = layout();
    db.exec((version < 3 ? noSeats : QString()) + dropped + QStringLiteral("PRAGMA user_version = %1;").arg(version)
            + "INSERT INTO t_js(jsm,rnrs) VALUES('A101',40),('B202',30); DELETE FROM t_js WHERE jsm='B202';");
    db.addRoster({" 1|K1|S1|甲|C1|数学|王|数学系||补考"});
    DataModule dm;
    dm.reconfigure();
    openOn(dm.ADOQuery21, "select * FROM hbkap");
    QCOMPARE(dm.ADOQuery21.RecordCount(), 1);
    QCOMPARE(layout(), fresh);
    QCOMPARE(db.scalar("PRAGMA user_version"), QString("4"));
    QCOMPARE(db.rows("select rid, quote(sjxh) from t_bjgmd"), QStringList{"1|' 1'"});
    QCOMPARE(db.rows("select jsid, jsm, rnrs, quote(ps), quote(ls) from t_js"), QStringList{"1|A101|40|0|0"});
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('C303',10)");
    QCOMPARE(db.scalar("select jsid from t_js where jsm='C303'"), QString("3"));
}

// Another program writing the file when the program connects: the upgrade
// waits, gives up, and the next statement upgrades once the file is free.
void TestSchemaUpgrade::lockedUpgradeIsTriedAgain()
{
    TestDatabase db;
    makeOlderDatabase(db);
    db.exec("INSERT INTO t_bjgmd VALUES('1','K1','S1','甲','C1','数学','王',NULL,NULL,'补考')");
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(db.file().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    DataModule dm;
    dm.reconfigure();
    try {
        openOn(dm.ADOQuery21, "select rid FROM t_bjgmd");
        QFAIL("the upgrade did not wait for the lock");
    } catch (const DbError& e) {
        QVERIFY2(e.engineText().startsWith("数据库升级失败："), qPrintable(e.engineText()));
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    openOn(dm.ADOQuery21, "select rid FROM t_bjgmd");
    QCOMPARE(dm.ADOQuery21.RecordCount(), 1);
    QCOMPARE(db.scalar("PRAGMA user_version"), QString("4"));
}

// "3" and " 3" were two papers in two periods: neither may take the
// other's candidates, and the clerk hears once which numbers to change.
void TestSchemaUpgrade::papersOnlyBlanksTellApartStayApart()
{
    TestDatabase db;
    makeOlderDatabase(db);
    db.exec("INSERT INTO t_bjgmd VALUES('3','K1','S1','甲','C1','数学','王',NULL,NULL,'补考');"
            "INSERT INTO t_bjgmd VALUES(' 3','K2','S2','乙','C2','英语','李',NULL,NULL,'补考');"
            "INSERT INTO t_bjgmd VALUES('4 ','K3','S3','丙','C3','物理','张',NULL,NULL,'补考');"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','3','3',0),('2',' 3',' 3',0),('1','4 ','4 ',0);"
            "INSERT INTO t_cc(cc) VALUES('1'),('2');");
    DataModule dm;
    QStringList heard;
    dm.ADOConnection1.setUpgradeNotice([&](const QString& note) { heard.append(note); });
    dm.reconfigure();
    openOn(dm.ADOQuery21, "select * FROM hbkap");
    openOn(dm.ADOQuery21, "select * FROM hbkap");
    QCOMPARE(db.rows("select xh, quote(sjxh), cc from hbkap order by xh"),
             (QStringList{"S1|'3'|1", "S2|' 3'|2", "S3|'4'|1"}));
    QCOMPARE(heard, QStringList{"以下试卷序号只差空格，升级时按原样保留，没有合并：“ 3”、“3”。请在试卷编号中给它们不同的序号。"});
}

void TestSchemaUpgrade::extraViewsAndIndexesStayWhereTheyApply()
{
    TestDatabase db;
    makeOlderDatabase(db);
    db.exec("INSERT INTO t_bjgmd VALUES('1','K1','S1','甲','C1','数学','王',NULL,NULL,'补考');"
            "ALTER TABLE t_js ADD COLUMN lou TEXT;"
            "CREATE VIEW mine AS SELECT xh, xm FROM t_bjgmd;"
            "CREATE INDEX mine_xm ON t_bjgmd(xm);"
            "CREATE VIEW gone AS SELECT lou FROM t_js;"
            "CREATE INDEX gone_lou ON t_js(lou);");
    DataModule dm;
    QStringList heard;
    dm.ADOConnection1.setUpgradeNotice([&](const QString& note) { heard.append(note); });
    dm.reconfigure();
    openOn(dm.ADOQuery21, "select * FROM mine");
    QCOMPARE(dm.ADOQuery21.RecordCount(), 1);
    QCOMPARE(db.scalar("PRAGMA user_version"), QString("4"));
    QCOMPARE(db.rows("select name from sqlite_master where name in ('mine', 'mine_xm', 'gone', 'gone_lou') order by name"),
             (QStringList{"mine", "mine_xm"}));
    QCOMPARE(heard.size(), 2);
    QVERIFY2(heard[0].startsWith("查询 gone 不适用于新的表，升级时已删除："), qPrintable(heard[0]));
    QVERIFY2(heard[1].startsWith("索引 gone_lou 不适用于新的表，升级时已删除："), qPrintable(heard[1]));
}

void TestSchemaUpgrade::columnWithDataIsNeverDropped()
{
    TestDatabase db;
    makeOlderDatabase(db);
    db.exec("INSERT INTO t_bjgmd VALUES('1','K1','S1','甲','C1','数学','王',NULL,NULL,'补考');"
            "ALTER TABLE t_js ADD COLUMN lou TEXT; INSERT INTO t_js(jsm,rnrs,lou) VALUES('A101',40,'东楼')");
    const QString layout = db.rows("select type, name, sql from sqlite_master order by name").join(u'\n');
    DataModule dm;
    dm.reconfigure();
    try {
        openOn(dm.ADOQuery21, "select * FROM hbkap");
        QFAIL("a column with data was dropped");
    } catch (const DbError& e) {
        QCOMPARE(e.engineText(), QString("数据库升级失败：表 t_js 的列 lou 中有数据，本程序的表里没有这一列，升级会丢失这些数据。数据库没有改动。"));
    }
    QCOMPARE(db.rows("select type, name, sql from sqlite_master order by name").join(u'\n'), layout);
    QCOMPARE(db.scalar("select lou from t_js"), QString("东楼"));
    // Emptied, the column goes and the upgrade is done.
    db.exec("UPDATE t_js SET lou = '  '");
    openOn(dm.ADOQuery21, "select * FROM hbkap");
    QCOMPARE(db.scalar("PRAGMA user_version"), QString("4"));
}

void TestSchemaUpgrade::newerFileIsRefused()
{
    TestDatabase db;
    db.addRoster({"1|K1|S1|甲|C1|数学|王|数学系||补考"});
    db.exec("PRAGMA user_version = 99");
    const QString layout = db.rows("select type, name, sql from sqlite_master order by name").join(u'\n');
    DataModule dm;
    dm.reconfigure();
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            openOn(dm.ADOQuery21, "select * FROM hbkap");
            QFAIL("a newer file was used");
        } catch (const DbError& e) {
            QVERIFY2(e.engineText().startsWith("数据库文件的版本（99）比本程序所知的（")
                         && e.engineText().endsWith("）新，请用新版本的程序打开。为免损坏数据，本程序不使用这个文件。"),
                     qPrintable(e.engineText()));
        }
    }
    QCOMPARE(db.rows("select type, name, sql from sqlite_master order by name").join(u'\n'), layout);
}

// A newer program keeps its file in WAL mode: the file, its -wal and its
// journal mode stay exactly as they were.
void TestSchemaUpgrade::newerFileInWalModeIsRefusedUntouched()
{
    TestDatabase db;
    db.addRoster({"1|K1|S1|甲|C1|数学|王|数学系||补考"});
    sqlite3* newer = nullptr;
    QCOMPARE(sqlite3_open(db.file().toUtf8().constData(), &newer), SQLITE_OK);
    sqlite3_db_config(newer, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    QCOMPARE(sqlite3_exec(newer, "PRAGMA journal_mode=WAL; PRAGMA user_version=99; INSERT INTO t_js(jsm,rnrs) VALUES('A101',40)",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(newer);
    const QByteArray file = bytesOf(db.file());
    const QByteArray wal = bytesOf(db.file() + "-wal");
    QVERIFY(!wal.isEmpty());

    DataModule dm;
    dm.reconfigure();
    try {
        openOn(dm.ADOQuery21, "select * FROM hbkap");
        QFAIL("a newer file was used");
    } catch (const DbError& e) {
        QVERIFY2(e.engineText().startsWith("数据库文件的版本（99）"), qPrintable(e.engineText()));
    }
    QCOMPARE(bytesOf(db.file()), file);
    QCOMPARE(bytesOf(db.file() + "-wal"), wal);
    QCOMPARE(db.scalar("PRAGMA journal_mode"), QString("wal"));
}

// Two programs open a file a version old at once: both read its version before
// either takes the write lock. One upgrades; the other finds it done.
void TestSchemaUpgrade::twoProgramsUpgradeAtOnce()
{
    TestDatabase db;
    const QString fresh = db.rows("select type, name, sql from sqlite_master order by name").join(u'\n');
    db.exec("DROP TABLE t_pkyq; PRAGMA user_version = 3;");
    db.addRoster({"1|K1|S1|甲|C1|数学|王|数学系||补考"});
    // A third program writing holds both at their write lock.
    sqlite3* writer = nullptr;
    QCOMPARE(sqlite3_open(db.file().toUtf8().constData(), &writer), SQLITE_OK);
    QCOMPARE(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    QSemaphore waiting;
    const StatementHook hook("BEGIN IMMEDIATE", [&] { waiting.release(); });
    const QString connectionString = Connection::connectionStringFor(QDir::currentPath());
    QString said[2];
    auto program = [&](QString& result) {
        Connection connection;
        connection.setConnectionString(connectionString);
        try {
            result = connection.run(SqlText("select count(*) from t_pkyq")).rows.at(0).at(0).toString();
        } catch (const DbError& e) {
            result = e.engineText();
        }
    };
    std::thread first(program, std::ref(said[0]));
    std::thread second(program, std::ref(said[1]));
    const bool bothWaiting = waiting.tryAcquire(2, 10000);
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    first.join();
    second.join();
    QVERIFY(bothWaiting);
    QCOMPARE(said[0], QString("0"));
    QCOMPARE(said[1], QString("0"));
    QCOMPARE(db.rows("select type, name, sql from sqlite_master order by name").join(u'\n'), fresh);
    QCOMPARE(db.scalar("PRAGMA user_version"), QString("4"));
}

QTEST_GUILESS_MAIN(TestSchemaUpgrade)
#include "tst_schemaupgrade.moc"

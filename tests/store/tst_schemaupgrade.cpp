// A database made with the earlier layout (schema-version0.sql: no roster
// key, NULLs allowed) is brought to the current layout when the program
// connects, without losing a row.
#include "DataModule.h"
#include "DbError.h"
#include "SlotSteps.h"
#include "TestDatabase.h"

#include <QFile>
#include <QTest>

class TestSchemaUpgrade : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void olderDatabaseKeepsEveryRow();
    void failedUpgradeLeavesTheFileAsItWas();
    void currentDatabaseIsLeftAlone();
    void versionOneGainsTheInvigilatorTables();
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

    QCOMPARE(db.scalar("PRAGMA user_version"), QString("2"));
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
    QCOMPARE(db.scalar("PRAGMA user_version"), QString("2"));
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

// A version-1 database gets the invigilator tables exactly as a new one has
// them, and nothing else of it changes.
void TestSchemaUpgrade::versionOneGainsTheInvigilatorTables()
{
    TestDatabase db;
    const QString fresh = db.rows("select type, name, sql from sqlite_master order by name").join(u'\n');
    db.exec("DROP TABLE t_jkap; DROP TABLE t_jkjs; PRAGMA user_version = 1;"
            "INSERT INTO t_js(jsm,rnrs) VALUES('A101',40),('B202',30); DELETE FROM t_js WHERE jsm='B202';");
    db.addRoster({" 1|K1|S1|甲|C1|数学|王|数学系||补考"});
    DataModule dm;
    dm.reconfigure();
    openOn(dm.ADOQuery21, "select * FROM hbkap");
    QCOMPARE(dm.ADOQuery21.RecordCount(), 1);
    QCOMPARE(db.rows("select type, name, sql from sqlite_master order by name").join(u'\n'), fresh);
    QCOMPARE(db.scalar("PRAGMA user_version"), QString("2"));
    QCOMPARE(db.rows("select rid, quote(sjxh) from t_bjgmd"), QStringList{"1|' 1'"});
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('C303',10)");
    QCOMPARE(db.scalar("select jsid from t_js where jsm='C303'"), QString("3"));
}

QTEST_GUILESS_MAIN(TestSchemaUpgrade)
#include "tst_schemaupgrade.moc"

// The database file through faults: a crash between statements, a read-only
// file, and the copy that data initialization makes and "恢复数据" puts back.
#include "Backup.h"
#include "Connection.h"
#include "DataModule.h"
#include "DbError.h"
#include "FileFaults.h"
#include "GridRows.h"
#include "RecordingDialogs.h"
#include "RestoreWindow.h"
#include "SyncRecord.h"
#include "TestDatabase.h"
#include "Unit12.h"
#include "Unit5.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <thread>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Every row of every table of a database file, each value with its type, as
// the engine holds it.
QStringList dump(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QStringList tables;
    QStringList out;
    auto query = [&](const QString& sql, const std::function<void(sqlite3_stmt*)>& row) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK) {
            out.append(QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db)));
            return;
        }
        while (sqlite3_step(s) == SQLITE_ROW)
            row(s);
        sqlite3_finalize(s);
    };
    query(QStringLiteral("select name from sqlite_master where type='table' and name not like 'sqlite_%' order by name"),
          [&](sqlite3_stmt* s) { tables.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)))); });
    for (const QString& table : tables)
        query(QStringLiteral("select * from \"%1\" order by rowid").arg(table), [&](sqlite3_stmt* s) {
            QStringList values{table};
            for (int c = 0; c < sqlite3_column_count(s); ++c) {
                const int type = sqlite3_column_type(s, c);
                values.append(type == SQLITE_NULL ? QStringLiteral("NULL")
                                                  : QStringLiteral("%1:%2").arg(type).arg(QString::fromUtf8(
                                                        reinterpret_cast<const char*>(sqlite3_column_text(s, c)))));
            }
            out.append(values.join(u'|'));
        });
    sqlite3_close(db);
    return out;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void overwrite(const QString& path, qint64 offset, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(offset));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A crash in the middle of a write: the child changes more pages than its
// cache holds, so the file is half-written and its journal hot, and dies.
void crashInTheMiddleOfAWrite(const QString& path)
{
    const pid_t child = ::fork();
    if (child == 0) {
        sqlite3* db = nullptr;
        if (sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK)
            sqlite3_exec(db, "PRAGMA cache_size=1; BEGIN; UPDATE t_bjgmd SET xm='changed';"
                             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<300) "
                             "INSERT INTO t_js(jsm,rnrs) SELECT hex(randomblob(400)), i FROM n;",
                         nullptr, nullptr, nullptr);
        ::kill(::getpid(), SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    QVERIFY(WIFSIGNALED(status));
    QVERIFY(QFile::exists(path + "-journal"));
}

QStringList texts(const QTableWidget* list, int column)
{
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r)
        out.append(list->item(r, column)->text());
    return out;
}

} // namespace

class TestDurability : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void crashBetweenStatementsLeavesEveryCommittedRowInTheFile();
    void readOnlyDatabaseIsBrowsedAndWorksOnceWritable();
    void wipeThenRestoreGivesBackExactlyTheRows();
    void noCopyNoWipe();
    void emptyRestoreListSaysWhy();
    void damagedDatabaseIsKeptAndReplaced_data();
    void damagedDatabaseIsKeptAndReplaced();
    void damagedCopyIsShownAndRefused();
    void journalOfAMissingDatabaseIsKeptAside();
    void busyDatabaseIsWaitedFor();
    void lockedDatabaseIsLeftAlone();
    void newerCopyIsRefused();
    void newNamesReachTheDisk();
};

void TestDurability::crashBetweenStatementsLeavesEveryCommittedRowInTheFile()
{
    TestDatabase db;
    constexpr int rows = 100;
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            Connection connection;
            connection.setConnectionString(Connection::connectionStringFor(QDir::currentPath()));
            for (int i = 0; i < rows; ++i)
                connection.execute(SqlText("INSERT INTO t_js(jsm,rnrs) VALUES('") + QString::number(i) + "','1')       ");
            ::kill(::getpid(), SIGKILL); // the connection still open: no close, no clean-up
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    // A copy of data.mdb alone, as a clerk's backup would take it.
    QTemporaryDir copyDir;
    const QString copy = copyDir.filePath("data.mdb");
    QVERIFY(QFile::copy(db.file(), copy));
    QCOMPARE(dump(copy).filter(QRegularExpression("^t_js\\|")).size(), rows);
    QVERIFY(!QFile::exists(db.file() + "-wal"));
}

void TestDurability::readOnlyDatabaseIsBrowsedAndWorksOnceWritable()
{
    TestDatabase db;
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',60),('B202',40)");
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    TForm5 form(dm, dialogs);
    ReadOnlyFile readOnly(db.file());

    form.show();
    QCOMPARE(dm.ADOQuery9.RecordCount(), 2);
    form.Edit1->setText("C303");
    form.Edit2->setText("35");
    form.Button1->click();
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes[0].kind, QString("error"));
    QVERIFY2(dialogs.boxes[0].text.contains("是只读的"), qPrintable(dialogs.boxes[0].text));
    dialogs.boxes.clear();

    readOnly.makeWritable();
    form.Button1->click(); // the boxes kept what was typed
    QCOMPARE(dialogs.takeTexts(), QStringList{"增加成功"});
    QCOMPARE(db.rows("select jsm, typeof(rnrs) from t_js order by jsid"),
             (QStringList{"A101|integer", "B202|integer", "C303|integer"}));
}

void TestDurability::wipeThenRestoreGivesBackExactlyTheRows()
{
    TestDatabase db;
    db.addRoster({"1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考", "2|K2|2020002|䶮𪚥|C2|大学英语|  |外语学院|重修|缓考"});
    db.exec("INSERT INTO t_kscs VALUES('1','1','1',1); INSERT INTO t_cc VALUES('1','6月20日 8:00');"
            "INSERT INTO log(message) VALUES('x'); INSERT INTO t_js(jsm,rnrs) VALUES('A101',60);");
    const QStringList before = dump(db.file());
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    TForm12 wipe(dm, dialogs);
    wipe.Button1->click();
    const QStringList said = dialogs.takeTexts();
    QCOMPARE(said.size(), 1);
    QVERIFY(said[0].startsWith("初始化成功！！！\n初始化前的数据已备份到：data/backup/data-"));
    QCOMPARE(db.scalar("select count(*) from t_bjgmd"), QString("0"));

    RestoreWindow restore(dm, dialogs);
    restore.show();
    QCOMPARE(texts(restore.copyList, 1), QStringList{"2"});
    QCOMPARE(shownEmptyText(restore.copyList), QString());
    restore.restoreButton->click(); // nothing chosen
    QCOMPARE(dialogs.takeTexts(), QStringList{"请先选择要恢复的备份。"});
    restore.copyList->selectRow(0);
    dialogs.confirmAnswers = {false};
    restore.restoreButton->click();
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes[0].kind, QString("confirm"));
    QCOMPARE(db.scalar("select count(*) from t_bjgmd"), QString("0"));
    dialogs.boxes.clear();

    restore.restoreButton->click();
    QCOMPARE(dialogs.boxes.size(), 2);
    QVERIFY(dialogs.boxes[1].text.contains("恢复前的数据已备份到：data/backup/data-"));
    QCOMPARE(dump(db.file()), before);
    // The copy of the wiped data is listed too, newest first.
    QCOMPARE(texts(restore.copyList, 1), (QStringList{"0", "2"}));
    // The program goes on working on the restored file.
    dm.ADOQuery2.SQL.Clear();
    dm.ADOQuery2.SQL.Add("select count(*) as n from t_bjgmd");
    dm.ADOQuery2.Open();
    QCOMPARE(dm.ADOQuery2.FieldByName("n").AsString(), QString("2"));
}

void TestDurability::noCopyNoWipe()
{
    TestDatabase db;
    db.addRoster({"1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考"});
    // A file where the backup folder should be: the copy cannot be made.
    QFile blocker(db.folder() + "/data/backup");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    TForm12 wipe(dm, dialogs);
    wipe.Button1->click();
    QCOMPARE(dialogs.boxes.size(), 1);
    QVERIFY(dialogs.boxes[0].text.startsWith("备份数据库失败，没有删除任何数据。"));
    QCOMPARE(db.scalar("select count(*) from t_bjgmd"), QString("1"));
    QVERIFY_THROWS_EXCEPTION(BackupError, restoreDatabase(dm.ADOConnection1, db.folder() + "/nothing.mdb"));
    QCOMPARE(db.scalar("select count(*) from t_bjgmd"), QString("1"));
}

void TestDurability::emptyRestoreListSaysWhy()
{
    TestDatabase db;
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    RestoreWindow restore(dm, dialogs);
    restore.show();
    QCOMPARE(shownEmptyText(restore.copyList), QString("还没有备份：数据初始化之前会自动备份"));
}

// What the clerk meets after a crash or a disk fault: the message for the
// damaged file sends them here, and restoring must work exactly then.
void TestDurability::damagedDatabaseIsKeptAndReplaced_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("malformed page") << "page";
    QTest::newRow("not a database") << "header";
    QTest::newRow("missing") << "missing";
}

void TestDurability::damagedDatabaseIsKeptAndReplaced()
{
    QFETCH(QString, damage);
    TestDatabase db;
    db.addRoster({"1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考", "2|K2|2020002|李四|C2|大学英语||外语学院||缓考"});
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    const QString copy = backupDatabase(dm.ADOConnection1);
    const QStringList copied = dump(copy);
    db.exec("delete from t_bjgmd where xh='2020002'");
    dm.ADOConnection1.Close();
    if (damage == "page")
        overwrite(db.file(), 4096, QByteArray(4096, '\x55')); // page 2, a table's root
    else if (damage == "header")
        overwrite(db.file(), 0, QByteArray(100, 'x'));
    else
        QVERIFY(QFile::remove(db.file()));
    const QByteArray damaged = bytesOf(db.file());

    RestoreWindow restore(dm, dialogs);
    restore.show();
    QCOMPARE(texts(restore.copyList, 1), QStringList{"2"});
    restore.copyList->selectRow(0);
    restore.restoreButton->click();
    QCOMPARE(dialogs.boxes.size(), 2);
    QCOMPARE(dialogs.boxes[0].kind, QString("confirm"));
    QCOMPARE(dump(db.file()), copied);
    const QStringList kept = QDir(db.folder() + "/data/backup").entryList({"*-damaged.mdb"});
    if (damage == "missing") {
        QVERIFY(kept.isEmpty());
        QVERIFY(dialogs.boxes[1].text.startsWith("已恢复 "));
    } else {
        QCOMPARE(kept.size(), 1);
        QCOMPARE(bytesOf(db.folder() + "/data/backup/" + kept[0]), damaged);
        QVERIFY(dialogs.boxes[1].text.endsWith("损坏的数据文件已原样保存为：data/backup/" + kept[0]));
    }
    // Only the sound copy is offered; the program works on the restored file.
    QCOMPARE(texts(restore.copyList, 1), QStringList{"2"});
    QCOMPARE(dm.ADOConnection1.run(SqlText("select count(*) from t_bjgmd")).rows[0][0].toInt(), 2);
}

void TestDurability::damagedCopyIsShownAndRefused()
{
    TestDatabase db;
    db.addRoster({"1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考"});
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    const QString copy = backupDatabase(dm.ADOConnection1);
    overwrite(copy, 4096, QByteArray(4096, '\x55'));
    db.exec("insert into t_bjgmd(sjxh,xh) values('2','2020002')");
    const QStringList before = dump(db.file());

    RestoreWindow restore(dm, dialogs);
    restore.show();
    QCOMPARE(texts(restore.copyList, 1), QStringList{"已损坏"});
    restore.copyList->selectRow(0);
    restore.restoreButton->click();
    QCOMPARE(dialogs.boxes.size(), 2);
    QVERIFY(dialogs.boxes[1].text.startsWith("备份 " + QDir::toNativeSeparators(copy) + " 已损坏或不是本系统的数据，数据没有恢复："));
    QCOMPARE(dump(db.file()), before);
    QCOMPARE(QDir(db.folder() + "/data/backup").entryList(QDir::Files).size(), 1);
}

// A crash, then data.mdb removed: the journal it left must not be rolled
// back into the restored copy.
void TestDurability::journalOfAMissingDatabaseIsKeptAside()
{
    TestDatabase db;
    db.addRoster({"1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考", "2|K2|2020002|李四|C2|大学英语||外语学院||缓考"});
    DataModule dm;
    dm.reconfigure();
    const QString copy = backupDatabase(dm.ADOConnection1);
    const QStringList copied = dump(copy);
    dm.ADOConnection1.Close();
    crashInTheMiddleOfAWrite(db.file());
    const QByteArray journal = bytesOf(db.file() + "-journal");
    QVERIFY(QFile::remove(db.file()));

    try {
        QVERIFY(restoreDatabase(dm.ADOConnection1, copy).saved.isEmpty());
    } catch (const BackupError& e) {
        QFAIL(qPrintable(e.message()));
    }
    QVERIFY(!QFile::exists(db.file() + "-journal"));
    const QStringList kept = QDir(db.folder() + "/data/backup").entryList({"*-missing.mdb-journal"});
    QCOMPARE(kept.size(), 1);
    QCOMPARE(bytesOf(db.folder() + "/data/backup/" + kept[0]), journal);
    QCOMPARE(dm.ADOConnection1.run(SqlText("select count(*) from t_bjgmd where xm<>'changed'")).rows[0][0].toInt(), 2);
    QCOMPARE(dump(db.file()), copied);
    QCOMPARE(damageOf(db.file()), QString());
}

// Another program commits while the restore looks at data.mdb: the restore
// waits for it, copies its rows first, and its commit succeeds.
void TestDurability::busyDatabaseIsWaitedFor()
{
    TestDatabase db;
    db.addRoster({"1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考"});
    DataModule dm;
    dm.reconfigure();
    const QString copy = backupDatabase(dm.ADOConnection1);
    dm.ADOConnection1.Close();
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(db.file().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO t_js(jsm,rnrs) VALUES('A101',60)", nullptr, nullptr, nullptr), SQLITE_OK);
    int committed = -1;
    std::thread commit([&] {
        QThread::msleep(500);
        committed = sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    RestoreResult result;
    QString failure;
    try {
        result = restoreDatabase(dm.ADOConnection1, copy);
    } catch (const BackupError& e) {
        failure = e.message();
    }
    commit.join();
    sqlite3_close(other);
    QCOMPARE(failure, QString());
    QCOMPARE(committed, SQLITE_OK);
    QVERIFY(!result.keptDamaged);
    QVERIFY(dump(result.saved).contains("t_js|1:1|3:A101|1:60|1:0|1:0"));
    QCOMPARE(dump(db.file()), dump(copy));
    QCOMPARE(QDir(db.folder() + "/data/backup").entryList({"*-damaged*"}), QStringList());
}

// Another program keeps data.mdb locked: the restore says so and changes
// nothing, neither the file nor the other program's journal.
void TestDurability::lockedDatabaseIsLeftAlone()
{
    TestDatabase db;
    db.addRoster({"1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考"});
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    backupDatabase(dm.ADOConnection1);
    dm.ADOConnection1.Close();
    const QStringList before = dump(db.file());
    const QStringList copies = QDir(db.folder() + "/data/backup").entryList(QDir::Files);
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(db.file().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO t_js(jsm,rnrs) VALUES('A101',60)", nullptr, nullptr, nullptr), SQLITE_OK);

    RestoreWindow restore(dm, dialogs);
    restore.show();
    QCOMPARE(texts(restore.copyList, 1), QStringList{"1"});
    restore.copyList->selectRow(0);
    restore.restoreButton->click();
    QCOMPARE(dialogs.boxes.size(), 2);
    QVERIFY2(dialogs.boxes[1].text.startsWith("数据没有恢复，数据库保持原样：\n数据库正被其他程序使用（已锁定），这次操作没有完成：请稍后再试。"),
             qPrintable(dialogs.boxes[1].text));
    QVERIFY(QFile::exists(db.file() + "-journal"));
    QCOMPARE(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    QCOMPARE(QDir(db.folder() + "/data/backup").entryList(QDir::Files), copies);
    QCOMPARE(dump(db.file()), before + QStringList{"t_js|1:1|3:A101|1:60|1:0|1:0"});
}

// A copy a newer program made is refused before anything changes; and when
// data.mdb itself is newer, a refused restore leaves no empty copy behind.
void TestDurability::newerCopyIsRefused()
{
    TestDatabase db;
    db.addRoster({"1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考"});
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    const QString older = backupDatabase(dm.ADOConnection1);
    const QString newer = backupDatabase(dm.ADOConnection1);
    sqlite3* file = nullptr;
    QCOMPARE(sqlite3_open(newer.toUtf8().constData(), &file), SQLITE_OK);
    QCOMPARE(sqlite3_exec(file, "PRAGMA user_version=99", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(file);
    db.exec("insert into t_bjgmd(sjxh,xh) values('2','2020002')");
    dm.ADOConnection1.Close();
    const QStringList before = dump(db.file());
    const QStringList copies = QDir(db.folder() + "/data/backup").entryList(QDir::Files);

    RestoreWindow restore(dm, dialogs);
    restore.show();
    restore.copyList->selectRow(0); // the newest
    restore.restoreButton->click();
    QCOMPARE(dialogs.boxes.size(), 2);
    QVERIFY2(dialogs.boxes[1].text.startsWith("备份 " + QDir::toNativeSeparators(newer) + " 是较新的程序做的，数据没有恢复：\n数据库文件的版本（99）"),
             qPrintable(dialogs.boxes[1].text));
    QCOMPARE(dump(db.file()), before);
    QCOMPARE(QDir(db.folder() + "/data/backup").entryList(QDir::Files), copies);

    db.exec("PRAGMA user_version=99");
    dm.ADOConnection1.Close();
    for (int attempt = 0; attempt < 2; ++attempt) {
        QVERIFY_THROWS_EXCEPTION(BackupError, restoreDatabase(dm.ADOConnection1, older));
        dm.ADOConnection1.Close();
    }
    QCOMPARE(QDir(db.folder() + "/data/backup").entryList(QDir::Files), copies);
}

// A power cut after a copy is made or a file is renamed into place keeps the
// new name: each folder that took a name is synced after it.
void TestDurability::newNamesReachTheDisk()
{
    TestDatabase db;
    db.addRoster({"1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考"});
    DataModule dm;
    dm.reconfigure();
    const QString database = QFileInfo(db.file()).absoluteFilePath();
    QString copy;
    {
        const SyncRecord record;
        copy = backupDatabase(dm.ADOConnection1);
        QVERIFY2(record.syncedWithItsName(copy), qPrintable(record.events().join(u'\n')));
    }
    dm.ADOConnection1.Close();
    overwrite(db.file(), 0, QByteArray(100, 'x'));
    QFile journal(db.file() + "-journal");
    QVERIFY(journal.open(QIODevice::WriteOnly) && journal.write(QByteArray(512, 'j')) == 512);
    journal.close();
    {
        const SyncRecord record;
        const RestoreResult result = restoreDatabase(dm.ADOConnection1, copy);
        QVERIFY(result.keptDamaged);
        QVERIFY(record.syncedWithItsName(result.saved));
        QVERIFY(record.events().contains("rename " + database));
        QVERIFY(record.events().contains("rename " + result.saved + "-journal"));
        QCOMPARE(record.unsyncedRenames(), QStringList());
    }
    QVERIFY(QFile::remove(db.file()));
    {
        const SyncRecord record;
        restoreDatabase(dm.ADOConnection1, copy);
        QVERIFY(record.events().contains("rename " + database));
        QCOMPARE(record.unsyncedRenames(), QStringList());
    }
}

QTEST_MAIN(TestDurability)
#include "tst_durability.moc"

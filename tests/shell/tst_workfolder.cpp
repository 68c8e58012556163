// The folder the program works in: an installed program makes a folder of the
// user's own ready on first start; a program built in a source tree does not.
#include "DataModule.h"
#include "RecordingDialogs.h"
#include "SqlText.h"
#include "Startup.h"
#include "TestDatabase.h"
#include "Unit1.h"
#include "Unit13.h"
#include "Unit3.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The rows of a query on a database file, each row's values joined with '|'.
QStringList rowsOf(const QString& file, const QString& sql)
{
    QStringList out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            query.exec(sql);
            while (query.next()) {
                QStringList row;
                for (int i = 0; i < query.record().count(); ++i)
                    row.append(query.value(i).toString());
                out.append(row.join(u'|'));
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("look"));
    return out;
}

QByteArray contents(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

void write(const QString& file, const QByteArray& text)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

// The files in a folder, sorted.
QStringList filesIn(const QString& folder)
{
    QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    files.sort();
    return files;
}

const char* const schemaObjects = "select type, name from sqlite_master order by type, name";

} // namespace

class TestWorkFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void sourceTreeWorksInTheCurrentDirectory();
    void firstStartMakesTheUsersFolder();
    void laterStartsKeepTheUsersFiles();
    void failuresLeaveNoHalfMadeFile_data();
    void failuresLeaveNoHalfMadeFile();
    void startUpShowsTheLoginWindowOverTheUsersFolder();
    void startUpReportsAFolderItCannotMake();
    void loginBeforeTheFirstPaintFindsEveryWindow();

private:
    // A file where the per-user data folder should be: even root cannot
    // make the folder.
    void blockDataHome();

    // An installed program: usr/bin and usr/share/paikao under a scratch
    // root, and a fresh home whose data folder is $XDG_DATA_HOME.
    std::unique_ptr<QTemporaryDir> root;
    QString bin, shipped, userFolder, started;
    QByteArray oldHome, oldDataHome;
};

void TestWorkFolder::init()
{
    root = std::make_unique<QTemporaryDir>();
    bin = root->filePath("usr/bin");
    shipped = root->filePath("usr/share/paikao");
    QVERIFY(QDir().mkpath(bin));
    QVERIFY(QDir().mkpath(shipped));
    QVERIFY(QFile::copy(PAIKAO_SOURCE_DIR "/data/schema.sql", shipped + "/schema.sql"));
    QVERIFY(QFile::copy(PAIKAO_SOURCE_DIR "/data/Project2.rav", shipped + "/Project2.rav"));
    oldHome = qgetenv("HOME");
    oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", root->filePath("home").toUtf8());
    qputenv("XDG_DATA_HOME", root->filePath("home/.local/share").toUtf8());
    userFolder = root->filePath("home/.local/share/paikao");
    started = root->filePath("started");
    QVERIFY(QDir().mkpath(started));
    QVERIFY(QDir::setCurrent(started));
}

void TestWorkFolder::cleanup()
{
    QDir::setCurrent(QDir::tempPath());
    qputenv("HOME", oldHome);
    if (oldDataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldDataHome);
    root.reset();
}

void TestWorkFolder::blockDataHome()
{
    QVERIFY(QDir().mkpath(root->filePath("home/.local")));
    write(root->filePath("home/.local/share"), "a file where the folder should be");
}

void TestWorkFolder::sourceTreeWorksInTheCurrentDirectory()
{
    // The build folder, where the program is built and started from the
    // source tree, and a folder with nothing beside it.
    for (const QString& programFolder : {QStringLiteral(PAIKAO_BUILD_DIR), root->filePath("elsewhere")}) {
        QCOMPARE(enterWorkFolder(programFolder), QString());
        QCOMPARE(QDir::currentPath(), started);
        QVERIFY(!QFileInfo::exists(root->filePath("home")));
    }
}

void TestWorkFolder::firstStartMakesTheUsersFolder()
{
    QCOMPARE(enterWorkFolder(bin), QString());
    QCOMPARE(QDir::currentPath(), userFolder);

    const QString database = userFolder + "/data/data.mdb";
    TestDatabase::create(root->filePath("reference.mdb"));
    const QStringList objects = rowsOf(database, schemaObjects);
    QVERIFY(objects.contains("table|t_bjgmd"));
    QVERIFY(objects.contains("view|hbkap"));
    QCOMPARE(objects, rowsOf(root->filePath("reference.mdb"), schemaObjects));
    QCOMPARE(rowsOf(database, "select count(*) from t_bjgmd"), QStringList{"0"});

    const QString report = userFolder + "/data/Project2.rav";
    QCOMPARE(contents(report), contents(shipped + "/Project2.rav"));
    QVERIFY(QFileInfo(report).isWritable());
    // Nothing else: no passing file, no journal.
    QCOMPARE(filesIn(userFolder + "/data"), (QStringList{"Project2.rav", "data.mdb"}));
}

void TestWorkFolder::laterStartsKeepTheUsersFiles()
{
    QCOMPARE(enterWorkFolder(bin), QString());
    const QString database = userFolder + "/data/data.mdb";
    const QString report = userFolder + "/data/Project2.rav";
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("own"));
        db.setDatabaseName(database);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec("insert into t_js(jsm, rnrs) values('A101', 40)"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("own"));
    write(report, "[report Report2]\ntitle = 本校的名单\n");
    // A newer program ships a report project of its own.
    write(shipped + "/Project2.rav", "[report Report2]\ntitle = 新版\n");

    QVERIFY(QDir::setCurrent(started));
    QCOMPARE(enterWorkFolder(bin), QString());
    QCOMPARE(QDir::currentPath(), userFolder);
    QCOMPARE(rowsOf(database, "select jsm, rnrs from t_js"), QStringList{"A101|40"});
    QCOMPARE(contents(report), QByteArray("[report Report2]\ntitle = 本校的名单\n"));
}

void TestWorkFolder::failuresLeaveNoHalfMadeFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("schema fails after its tables")
        << "schema" << "无法建立数据库文件“%1/data/data.mdb”：near \"CREATE\": syntax error" << QStringList{};
    QTest::newRow("report project not shipped")
        << "report" << "无法把报表文件“%2/Project2.rav”复制到“%1/data/Project2.rav”：" << QStringList{"data.mdb"};
    QTest::newRow("data folder cannot be made")
        << "folder" << "无法建立数据文件夹“%1/data”。" << QStringList{};
}

void TestWorkFolder::failuresLeaveNoHalfMadeFile()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(QStringList, left);
    if (fault == "schema")
        write(shipped + "/schema.sql", contents(shipped + "/schema.sql") + "\nCREATE CREATE;\n");
    else if (fault == "report")
        QVERIFY(QFile::remove(shipped + "/Project2.rav"));
    else
        blockDataHome();

    const QString problem = enterWorkFolder(bin);
    QVERIFY2(problem.startsWith(message.replace("%1", userFolder).replace("%2", shipped)), qPrintable(problem));
    QCOMPARE(QDir::currentPath(), started);
    QCOMPARE(filesIn(userFolder + "/data"), left);
}

void TestWorkFolder::startUpShowsTheLoginWindowOverTheUsersFolder()
{
    RecordingDialogs dialogs;
    const std::unique_ptr<Windows> windows = startUp(dialogs, bin);
    QVERIFY(windows);
    QVERIFY(windows->Form13->isVisible());
    // The login window comes first; the others once it has been painted.
    QVERIFY(!windows->Form3 && !windows->Form1 && !windows->restoreWindow);
    QVERIFY(QTest::qWaitForWindowExposed(windows->Form13.get()));
    QTRY_VERIFY(windows->restoreWindow);
    QVERIFY(!windows->Form3->isVisible());
    QCOMPARE(QDir::currentPath(), userFolder);

    windows->Form13->Edit2->setText("kqz");
    windows->Form13->Button1->click();
    QVERIFY(windows->Form3->isVisible());
    // The connection now finds the database made for this user.
    DataModule& dm = windows->Form1->data();
    dm.reconfigure();
    dm.ADOQuery1.SQL.Add(SqlText("insert into t_js(jsm,rnrs) values('") + QStringLiteral("B202") + "',30)");
    dm.ADOQuery1.ExecSQL();
    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(rowsOf(userFolder + "/data/data.mdb", "select jsm from t_js"), QStringList{"B202"});
}

void TestWorkFolder::loginBeforeTheFirstPaintFindsEveryWindow()
{
    RecordingDialogs dialogs;
    const std::unique_ptr<Windows> windows = startUp(dialogs, bin);
    QVERIFY(windows);
    windows->Form13->Edit2->setText("kqz");
    windows->Form13->Button1->click();
    QVERIFY(windows->Form3->isVisible());
    QVERIFY(windows->Form1 && windows->Form16 && windows->restoreWindow);
    // The deferred creation that follows the paint makes nothing twice.
    TForm3* main = windows->Form3.get();
    QTest::qWait(50);
    QCOMPARE(windows->Form3.get(), main);
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestWorkFolder::startUpReportsAFolderItCannotMake()
{
    blockDataHome();
    RecordingDialogs dialogs;
    QVERIFY(!startUp(dialogs, bin));
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes[0].kind, QString("error"));
    QCOMPARE(dialogs.boxes[0].text, "无法建立数据文件夹“" + userFolder + "/data”。");
}

QTEST_MAIN(TestWorkFolder)
#include "tst_workfolder.moc"

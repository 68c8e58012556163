#include "Backup.h"

#include "Connection.h"
#include "DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>
#include <memory>
#include <tuple>
#include <vector>
#include <sqlite3.h>
#include <unistd.h>

namespace {

QString backupFolder(const Connection& connection)
{
    return QFileInfo(connection.dataSource()).absolutePath() + QStringLiteral("/backup");
}

// The name of a copy: its time, and a number when several share a second.
const QRegularExpression& copyName()
{
    static const QRegularExpression name(QStringLiteral("^data-(\\d{8}-\\d{6})(?:-(\\d+))?\\.mdb$"));
    return name;
}

// A name for a copy made now; a second copy within the same second gets a
// number, so no copy is ever overwritten.
QString newCopyPath(const QString& folder)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = folder + QStringLiteral("/data-%1.mdb").arg(stamp);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder + QStringLiteral("/data-%1-%2.mdb").arg(stamp).arg(n);
    return path;
}

struct CloseSqlite {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using SqliteHandle = std::unique_ptr<sqlite3, CloseSqlite>;

SqliteHandle openReadOnly(const QString& path)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    SqliteHandle handle(db);
    return rc == SQLITE_OK ? std::move(handle) : nullptr;
}

int rosterRowsOf(const QString& path)
{
    const SqliteHandle db = openReadOnly(path);
    sqlite3_stmt* statement = nullptr;
    if (!db || sqlite3_prepare_v2(db.get(), "select count(*) from t_bjgmd", -1, &statement, nullptr) != SQLITE_OK)
        return -1;
    const int rows = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
    sqlite3_finalize(statement);
    return rows;
}

// Makes sure the copy is on the disk before anything is deleted.
bool syncFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && ::fsync(file.handle()) == 0;
}

} // namespace

QString backupDatabase(Connection& connection)
{
    const QString folder = backupFolder(connection);
    if (!QDir().mkpath(folder))
        throw BackupError(QStringLiteral("无法建立备份文件夹：%1").arg(QDir::toNativeSeparators(folder)));
    const QString path = newCopyPath(folder);
    QSqlQuery vacuum(connection.database());
    vacuum.prepare(QStringLiteral("VACUUM INTO ?"));
    vacuum.addBindValue(path);
    if (!vacuum.exec() || !syncFile(path)) {
        const DbError error(vacuum.lastError());
        vacuum.finish();
        QFile::remove(path);
        throw BackupError(QStringLiteral("无法把数据库备份到 %1：\n%2").arg(QDir::toNativeSeparators(path), error.message()));
    }
    return path;
}

QList<BackupCopy> listBackups(const Connection& connection)
{
    const QRegularExpression& name = copyName();
    struct Found {
        BackupCopy copy;
        int number; // the count within one second
    };
    std::vector<Found> found;
    const QFileInfoList files = QDir(backupFolder(connection)).entryInfoList({QStringLiteral("data-*.mdb")}, QDir::Files);
    for (const QFileInfo& file : files) {
        const QRegularExpressionMatch m = name.match(file.fileName());
        if (m.hasMatch())
            found.push_back({{file.absoluteFilePath(), QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss")),
                              rosterRowsOf(file.absoluteFilePath())},
                             m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return std::tie(a.copy.time, a.number) > std::tie(b.copy.time, b.number);
    });
    QList<BackupCopy> copies;
    for (const Found& f : found)
        copies.append(f.copy);
    return copies;
}

int countBackups(const Connection& connection)
{
    const QStringList names = QDir(backupFolder(connection)).entryList({QStringLiteral("data-*.mdb")}, QDir::Files);
    return int(std::count_if(names.begin(), names.end(), [](const QString& n) { return copyName().match(n).hasMatch(); }));
}

QString restoreDatabase(Connection& connection, const QString& copyPath)
{
    const SqliteHandle source = openReadOnly(copyPath);
    if (!source || rosterRowsOf(copyPath) < 0)
        throw BackupError(QStringLiteral("备份文件无法读取，数据没有恢复：%1").arg(QDir::toNativeSeparators(copyPath)));
    const QString saved = backupDatabase(connection);
    sqlite3* target = connection.engineHandle();
    // One write transaction on the database: a failure half-way leaves it
    // as it was.
    sqlite3_backup* copy = sqlite3_backup_init(target, "main", source.get(), "main");
    const int rc = copy ? sqlite3_backup_step(copy, -1) : sqlite3_errcode(target);
    const int finished = copy ? sqlite3_backup_finish(copy) : rc;
    if (rc != SQLITE_DONE || finished != SQLITE_OK) {
        const DbError error(QString::fromUtf8(sqlite3_errstr(rc != SQLITE_DONE ? rc : finished)));
        throw BackupError(QStringLiteral("数据没有恢复，数据库保持原样：\n%1").arg(error.message()));
    }
    // The next statement connects afresh to the restored file.
    connection.Close();
    return saved;
}

#include "Backup.h"

#include "Connection.h"
#include "DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Makes the backup folder and in it a new empty file named for now (a second
// one within the same second gets a number), created exclusively: a name
// taken meanwhile is skipped, so no other copy is ever overwritten or removed.
QString newCopyFile(const Connection& connection, const QString& suffix = QString())
{
    const QString folder = backupFolder(connection);
    if (!QDir().mkpath(folder))
        throw BackupError(QStringLiteral("无法建立备份文件夹：%1").arg(shown(folder)));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1;; ++n) {
        const QString path = folder + QStringLiteral("/data-%1%2%3.mdb")
                                          .arg(stamp, n == 1 ? QString() : QStringLiteral("-%1").arg(n), suffix);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            throw BackupError(QStringLiteral("无法建立备份文件 %1：%2").arg(shown(path), QString::fromLocal8Bit(std::strerror(errno))));
    }
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

// The first value of the first row of `sql`, or the engine's error (as the
// second member) when the statement fails.
std::pair<QString, QString> firstValue(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return {QString(), QString::fromUtf8(sqlite3_errmsg(db))};
    const int rc = sqlite3_step(statement);
    std::pair<QString, QString> result;
    if (rc == SQLITE_ROW)
        result.first = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    else if (rc != SQLITE_DONE)
        result.second = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    return result;
}

int rosterRowsOf(const QString& path)
{
    const SqliteHandle db = openReadOnly(path);
    if (!db)
        return -1;
    const auto [rows, error] = firstValue(db.get(), "select count(*) from t_bjgmd");
    return error.isEmpty() ? rows.toInt() : -1;
}

// Makes sure the file is on the disk before anything is deleted; the
// system's reason when it cannot.
QString syncFailure(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return file.errorString();
    return ::fsync(file.handle()) == 0 ? QString() : QString::fromLocal8Bit(std::strerror(errno));
}

QString syncFailedText(const QString& path, const QString& reason)
{
    return QStringLiteral("备份文件 %1 没能写入磁盘：%2").arg(shown(path), reason);
}

// Copies the file byte for byte into `to` (an empty file) and syncs it.
void copyBytes(const QString& from, const QString& to)
{
    QFile source(from), target(to);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly)) {
        const QString reason = source.isOpen() ? target.errorString() : source.errorString();
        QFile::remove(to);
        throw BackupError(QStringLiteral("无法把 %1 复制到 %2：%3").arg(shown(from), shown(to), reason));
    }
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        if (block.isEmpty() && source.error() != QFileDevice::NoError) {
            target.close();
            QFile::remove(to);
            throw BackupError(QStringLiteral("无法读取 %1：%2").arg(shown(from), source.errorString()));
        }
        if (target.write(block) != block.size()) {
            const QString reason = target.errorString();
            target.close();
            QFile::remove(to);
            throw BackupError(QStringLiteral("无法把 %1 复制到 %2：%3").arg(shown(from), shown(to), reason));
        }
    }
    target.close();
    if (const QString reason = syncFailure(to); !reason.isEmpty()) {
        QFile::remove(to);
        throw BackupError(syncFailedText(to, reason));
    }
}

// Keeps a damaged database as it is, together with a journal the engine
// would otherwise roll back into the restored file.
QString keepDamaged(Connection& connection, const QString& database)
{
    const QString kept = newCopyFile(connection, QStringLiteral("-damaged"));
    copyBytes(database, kept);
    const QString journal = database + QStringLiteral("-journal");
    if (QFileInfo::exists(journal) && !QFile::rename(journal, kept + QStringLiteral("-journal")))
        throw BackupError(QStringLiteral("无法移开损坏数据库的日志文件 %1").arg(shown(journal)));
    return kept;
}

// Puts the copy in place of the database file as a whole: written beside it,
// synced, then renamed over it, so data.mdb is either the old file or the copy.
void replaceFile(const QString& copyPath, const QString& database)
{
    const QString next = database + QStringLiteral(".restoring");
    QFile::remove(next);
    if (!QFile::copy(copyPath, next))
        throw BackupError(QStringLiteral("数据没有恢复：无法复制 %1").arg(shown(copyPath)));
    if (const QString reason = syncFailure(next); !reason.isEmpty()) {
        QFile::remove(next);
        throw BackupError(syncFailedText(next, reason));
    }
    if (::rename(QFile::encodeName(next).constData(), QFile::encodeName(database).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(next);
        throw BackupError(QStringLiteral("数据没有恢复：%1").arg(reason));
    }
}

// Copies the sound copy into the open database through the engine: one write
// transaction, so a failure half-way leaves the database as it was, and other
// connections to the file see the change.
void copyIntoDatabase(Connection& connection, const QString& copyPath)
{
    const SqliteHandle source = openReadOnly(copyPath);
    if (!source)
        throw BackupError(QStringLiteral("备份文件无法读取，数据没有恢复：%1").arg(shown(copyPath)));
    sqlite3* target = connection.engineHandle();
    sqlite3_backup* copy = sqlite3_backup_init(target, "main", source.get(), "main");
    const int rc = copy ? sqlite3_backup_step(copy, -1) : sqlite3_errcode(target);
    const int finished = copy ? sqlite3_backup_finish(copy) : rc;
    if (rc != SQLITE_DONE || finished != SQLITE_OK)
        throw BackupError(QStringLiteral("数据没有恢复，数据库保持原样：\n%1")
                              .arg(QString::fromUtf8(sqlite3_errstr(rc != SQLITE_DONE ? rc : finished))));
}

} // namespace

QString damageOf(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return QStringLiteral("文件不存在");
    const SqliteHandle db = openReadOnly(path);
    if (!db)
        return QStringLiteral("文件无法打开");
    const auto [verdict, error] = firstValue(db.get(), "PRAGMA integrity_check(1)");
    if (!error.isEmpty())
        return error;
    return verdict == u"ok" ? QString() : verdict;
}

QString backupDatabase(Connection& connection)
{
    const QString path = newCopyFile(connection);
    QSqlQuery vacuum(connection.database());
    vacuum.prepare(QStringLiteral("VACUUM INTO ?"));
    vacuum.addBindValue(path);
    if (!vacuum.exec()) {
        const DbError error(vacuum.lastError());
        vacuum.finish();
        QFile::remove(path);
        throw BackupError(QStringLiteral("无法把数据库备份到 %1：\n%2").arg(shown(path), error.message()));
    }
    vacuum.finish();
    if (const QString reason = syncFailure(path); !reason.isEmpty()) {
        QFile::remove(path);
        throw BackupError(syncFailedText(path, reason));
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
        if (!m.hasMatch())
            continue;
        const QString path = file.absoluteFilePath();
        const QString damage = damageOf(path);
        found.push_back({{path, QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss")),
                          damage.isEmpty() ? rosterRowsOf(path) : -1, damage},
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

RestoreResult restoreDatabase(Connection& connection, const QString& copyPath)
{
    if (const QString damage = damageOf(copyPath); !damage.isEmpty() || rosterRowsOf(copyPath) < 0)
        throw BackupError(QStringLiteral("备份 %1 已损坏或不是本系统的数据，数据没有恢复：\n%2")
                              .arg(shown(copyPath), damage.isEmpty() ? QStringLiteral("没有名单表") : damage));
    const QString database = QFileInfo(connection.dataSource()).absoluteFilePath();
    RestoreResult result;
    if (!QFileInfo::exists(database)) {
        connection.Close();
        replaceFile(copyPath, database);
    } else if (damageOf(database).isEmpty()) {
        try {
            result.saved = backupDatabase(connection);
            copyIntoDatabase(connection, copyPath);
        } catch (const DbError& e) {
            // The connection itself failed (the file is locked, or its
            // layout cannot be used): nothing was changed.
            throw BackupError(QStringLiteral("数据没有恢复，数据库保持原样：\n%1").arg(e.message()));
        }
    } else {
        // The engine cannot copy or write a damaged file: keep it as it is
        // and put the copy in its place as a whole.
        connection.Close();
        result.saved = keepDamaged(connection, database);
        result.keptDamaged = true;
        replaceFile(copyPath, database);
    }
    // The next statement connects afresh to the restored file.
    connection.Close();
    if (const QString damage = damageOf(database); !damage.isEmpty())
        throw BackupError(QStringLiteral("恢复后的数据库没有通过检查：%1").arg(damage));
    return result;
}

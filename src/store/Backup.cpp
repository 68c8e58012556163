#include "Backup.h"

#include "Connection.h"
#include "DbError.h"
#include "DiskSync.h"
#include "ReadOnlyDatabase.h"
#include "SchemaUpgrade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

// Makes the backup folder and in it a new empty file named for now and
// ending in `ending` (a second one within the same second gets a number),
// created exclusively: a name taken meanwhile is skipped, so no other copy is
// ever overwritten or removed.
QString newCopyFile(const Connection& connection, const QString& ending = QStringLiteral(".mdb"))
{
    const QString folder = backupFolder(connection);
    if (!QDir().mkpath(folder))
        throw BackupError(QStringLiteral("无法建立备份文件夹：%1").arg(shown(folder)));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1;; ++n) {
        const QString path = folder + QStringLiteral("/data-%1%2%3")
                                          .arg(stamp, n == 1 ? QString() : QStringLiteral("-%1").arg(n), ending);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            throw BackupError(QStringLiteral("无法建立备份文件 %1：%2").arg(shown(path), QString::fromLocal8Bit(std::strerror(errno))));
    }
}

int rosterRowsOf(const QString& path)
{
    const SqliteHandle db = openReadOnly(path);
    if (!db)
        return -1;
    const FirstValue rows = firstValue(db.get(), "select count(*) from t_bjgmd");
    return rows.error.isEmpty() ? rows.value.toInt() : -1;
}

QString syncFailedText(const QString& path, const QString& reason)
{
    return QStringLiteral("备份文件 %1 没能写入磁盘：%2").arg(shown(path), reason);
}

// Makes sure the file, and its name in its folder, are on the disk before
// anything is deleted or replaced; removes the file and throws when not.
void syncCopy(const QString& path)
{
    QString reason = syncFile(path);
    if (reason.isEmpty())
        reason = syncFolderOf(path);
    if (!reason.isEmpty()) {
        QFile::remove(path);
        throw BackupError(syncFailedText(path, reason));
    }
}

// Syncs a folder whose names changed; throws when it cannot.
void syncFolder(const QString& path, const QString& what)
{
    if (const QString reason = syncFolderOf(path); !reason.isEmpty())
        throw BackupError(QStringLiteral("%1 没能写入磁盘：%2").arg(what, reason));
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
    syncCopy(to);
}

// Moves a journal left beside the database to `kept` in the backup folder:
// beside the restored file, the engine would roll it back into it.
void moveJournalAside(const QString& database, const QString& kept)
{
    const QString journal = database + QStringLiteral("-journal");
    if (!QFileInfo::exists(journal))
        return;
    if (::rename(QFile::encodeName(journal).constData(), QFile::encodeName(kept).constData()) != 0)
        throw BackupError(QStringLiteral("无法移开数据库的日志文件 %1：%2").arg(shown(journal), QString::fromLocal8Bit(std::strerror(errno))));
    syncFolder(kept, shown(kept));
    syncFolder(database, shown(journal));
}

// Keeps a damaged database as it is, together with its journal.
QString keepDamaged(Connection& connection, const QString& database)
{
    const QString kept = newCopyFile(connection, QStringLiteral("-damaged.mdb"));
    copyBytes(database, kept);
    moveJournalAside(database, kept + QStringLiteral("-journal"));
    return kept;
}

// Keeps the journal of a database that is gone. Its name is taken
// exclusively, then the journal is renamed over it.
void keepOrphanJournal(Connection& connection, const QString& database)
{
    if (!QFileInfo::exists(database + QStringLiteral("-journal")))
        return;
    const QString kept = newCopyFile(connection, QStringLiteral("-missing.mdb-journal"));
    try {
        moveJournalAside(database, kept);
    } catch (const BackupError&) {
        QFile::remove(kept);
        throw;
    }
}

// Puts the copy in place of the database file as a whole: written beside it,
// synced, then renamed over it, so data.mdb is either the old file or the copy.
void replaceFile(const QString& copyPath, const QString& database)
{
    const QString next = database + QStringLiteral(".restoring");
    QFile::remove(next);
    if (!QFile::copy(copyPath, next))
        throw BackupError(QStringLiteral("数据没有恢复：无法复制 %1").arg(shown(copyPath)));
    if (const QString reason = syncFile(next); !reason.isEmpty()) {
        QFile::remove(next);
        throw BackupError(syncFailedText(next, reason));
    }
    if (::rename(QFile::encodeName(next).constData(), QFile::encodeName(database).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(next);
        throw BackupError(QStringLiteral("数据没有恢复：%1").arg(reason));
    }
    syncFolder(database, shown(database));
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

// Refuses a copy that cannot be put back: damaged, not this program's data,
// or made by a newer program.
void checkCopy(const QString& copyPath)
{
    if (const QString damage = damageOf(copyPath); !damage.isEmpty() || rosterRowsOf(copyPath) < 0)
        throw BackupError(QStringLiteral("备份 %1 已损坏或不是本系统的数据，数据没有恢复：\n%2")
                              .arg(shown(copyPath), damage.isEmpty() ? QStringLiteral("没有名单表") : damage));
    try {
        refuseNewerFile(copyPath);
    } catch (const DbError& e) {
        throw BackupError(QStringLiteral("备份 %1 是较新的程序做的，数据没有恢复：\n%2").arg(shown(copyPath), e.engineText()));
    }
}

} // namespace

QString damageOf(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return QStringLiteral("文件不存在");
    const SqliteHandle db = openReadOnly(path);
    if (!db)
        return QStringLiteral("文件无法打开");
    const FirstValue verdict = firstValue(db.get(), "PRAGMA integrity_check(1)");
    if (verdict.code == SQLITE_BUSY || verdict.code == SQLITE_LOCKED)
        throw DbError(verdict.error, verdict.code);
    if (!verdict.error.isEmpty())
        return verdict.error;
    return verdict.value == u"ok" ? QString() : verdict.value;
}

QString backupDatabase(Connection& connection)
{
    // Connected first: a file the connection refuses gets no copy file.
    QSqlQuery vacuum(connection.database());
    const QString path = newCopyFile(connection);
    vacuum.prepare(QStringLiteral("VACUUM INTO ?"));
    vacuum.addBindValue(path);
    if (!vacuum.exec()) {
        const DbError error(vacuum.lastError());
        vacuum.finish();
        QFile::remove(path);
        throw BackupError(QStringLiteral("无法把数据库备份到 %1：\n%2").arg(shown(path), error.message()));
    }
    vacuum.finish();
    syncCopy(path);
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
        BackupCopy copy{path, QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss")), -1, QString()};
        try {
            copy.damage = damageOf(path);
            if (copy.damage.isEmpty())
                copy.rosterRows = rosterRowsOf(path);
        } catch (const DbError&) {
            // Locked by another program: listed as unreadable, not as damaged.
        }
        found.push_back({copy, m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
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
    const QString database = QFileInfo(connection.dataSource()).absoluteFilePath();
    RestoreResult result;
    try {
        checkCopy(copyPath);
        if (!QFileInfo::exists(database)) {
            connection.Close();
            keepOrphanJournal(connection, database);
            replaceFile(copyPath, database);
        } else if (damageOf(database).isEmpty()) {
            result.saved = backupDatabase(connection);
            copyIntoDatabase(connection, copyPath);
        } else {
            // The engine cannot copy or write a damaged file: keep it as it
            // is and put the copy in its place as a whole.
            connection.Close();
            result.saved = keepDamaged(connection, database);
            result.keptDamaged = true;
            replaceFile(copyPath, database);
        }
    } catch (const DbError& e) {
        // The engine could not look at or connect to the file (another
        // program keeps it locked, or its layout cannot be used): nothing
        // was changed.
        throw BackupError(QStringLiteral("数据没有恢复，数据库保持原样：\n%1").arg(e.message()));
    }
    // The next statement connects afresh to the restored file.
    connection.Close();
    try {
        if (const QString damage = damageOf(database); !damage.isEmpty())
            throw BackupError(QStringLiteral("恢复后的数据库没有通过检查：%1").arg(damage));
    } catch (const DbError& e) {
        throw BackupError(QStringLiteral("恢复后的数据库没有通过检查：%1").arg(e.message()));
    }
    return result;
}

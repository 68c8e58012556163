#include "SyncRecord.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct Record {
    QMutex lock;
    bool on = false;
    QStringList events;
};

Record& record()
{
    static Record r;
    return r;
}

void note(const QString& event)
{
    Record& r = record();
    const QMutexLocker locker(&r.lock);
    if (r.on)
        r.events.append(event);
}

QString pathOf(int fd)
{
    return QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(fd)).symLinkTarget();
}

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

} // namespace

extern "C" {

int fsync(int fd)
{
    const long result = ::syscall(SYS_fsync, fd);
    if (result == 0)
        note(QStringLiteral("sync ") + pathOf(fd));
    return int(result);
}

int fdatasync(int fd)
{
    const long result = ::syscall(SYS_fdatasync, fd);
    if (result == 0)
        note(QStringLiteral("sync ") + pathOf(fd));
    return int(result);
}

int rename(const char* from, const char* to)
{
    const long result = ::syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to);
    if (result == 0)
        note(QStringLiteral("rename ") + QFileInfo(QFile::decodeName(to)).absoluteFilePath());
    return int(result);
}

} // extern "C"

SyncRecord::SyncRecord()
{
    Record& r = record();
    const QMutexLocker locker(&r.lock);
    r.on = true;
    r.events.clear();
}

SyncRecord::~SyncRecord()
{
    Record& r = record();
    const QMutexLocker locker(&r.lock);
    r.on = false;
}

QStringList SyncRecord::events() const
{
    Record& r = record();
    const QMutexLocker locker(&r.lock);
    return r.events;
}

QStringList SyncRecord::unsyncedRenames() const
{
    const QStringList all = events();
    QStringList unsynced;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (!all[i].startsWith(QStringLiteral("rename ")))
            continue;
        const QString folder = QStringLiteral("sync ") + folderOf(all[i].mid(7));
        if (all.indexOf(folder, i + 1) < 0)
            unsynced.append(all[i]);
    }
    return unsynced;
}

bool SyncRecord::syncedWithItsName(const QString& path) const
{
    const QStringList all = events();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const qsizetype file = all.indexOf(QStringLiteral("sync ") + absolute);
    return file >= 0 && all.indexOf(QStringLiteral("sync ") + folderOf(absolute), file + 1) > file;
}

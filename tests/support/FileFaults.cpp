#include "FileFaults.h"

#include <QDir>
#include <QFile>
#include <linux/capability.h>
#include <malloc.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Sets or clears CAP_DAC_OVERRIDE in the effective set of this thread.
bool setFileOverride(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const quint32 bit = 1u << CAP_DAC_OVERRIDE;
    data[0].effective = on ? (data[0].effective | bit) : (data[0].effective & ~bit);
    return syscall(SYS_capset, &header, data) == 0;
}

qint64 statusKb(const QByteArray& key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    return -1;
}

} // namespace

ReadOnlyFile::ReadOnlyFile(const QString& path)
    : path(path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    if (::geteuid() == 0)
        droppedOverride = setFileOverride(false);
}

ReadOnlyFile::~ReadOnlyFile()
{
    makeWritable();
}

void ReadOnlyFile::makeWritable()
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (droppedOverride)
        setFileOverride(true);
    droppedOverride = false;
}

bool PeakMemory::start()
{
    // Freed memory goes back to the system first, so that reusing it does
    // not hide growth.
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    // "5" resets the peak resident size to the current one.
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return false;
    clear.close();
    startKb = statusKb("VmRSS:");
    return startKb >= 0 && statusKb("VmHWM:") >= 0;
}

qint64 PeakMemory::growthKb() const
{
    return statusKb("VmHWM:") - startKb;
}

SmallFileSystem::SmallFileSystem(const QString& folder, int kilobytes)
    : folder(QFile::encodeName(folder))
{
    QDir().mkpath(folder);
    const QByteArray size = "size=" + QByteArray::number(kilobytes) + 'k';
    // Private, so that the mount does not spread back to the system.
    mounted = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
              && ::mount("tmpfs", this->folder.constData(), "tmpfs", 0, size.constData()) == 0;
}

SmallFileSystem::~SmallFileSystem()
{
    if (mounted)
        ::umount2(folder.constData(), MNT_DETACH);
}

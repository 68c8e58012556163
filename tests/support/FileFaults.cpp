#include "FileFaults.h"

#include <QFile>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <linux/capability.h>
#include <malloc.h>
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

SmallDisk::SmallDisk(int kb)
{
    previousNamespace = ::open("/proc/thread-self/ns/mnt", O_RDONLY | O_CLOEXEC);
    if (!folder.isValid() || previousNamespace < 0 || ::unshare(CLONE_NEWNS) != 0)
        return;
    // Mounts made from here on stay in this namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return;
    const QByteArray size = "size=" + QByteArray::number(kb) + "k";
    mounted = ::mount("tmpfs", QFile::encodeName(folder.path()).constData(), "tmpfs", 0, size.constData()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (mounted)
        ::umount2(QFile::encodeName(folder.path()).constData(), MNT_DETACH);
    if (previousNamespace >= 0) {
        ::setns(previousNamespace, CLONE_NEWNS);
        ::close(previousNamespace);
    }
}

void SmallDisk::fill()
{
    QFile filler(folder.path() + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::Append))
        return;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    // The last partial block too, byte by byte.
    while (filler.write("x", 1) == 1 && filler.flush()) {
    }
}

#include "DiskSync.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString syncOpened(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    return synced ? QString() : QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString syncFile(const QString& path)
{
    return syncOpened(path, O_RDONLY);
}

QString syncFolderOf(const QString& path)
{
    return syncOpened(QFileInfo(path).absolutePath(), O_RDONLY | O_DIRECTORY);
}

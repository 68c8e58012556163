#pragma once

#include <QByteArray>
#include <QString>

// Makes a file read-only for the rest of the test, also when the test runs
// as root (which would otherwise write through the file's mode): the
// process then gives up overriding file modes until the guard ends.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Writable again, as a clerk would put it right.
    void makeWritable();

private:
    QString path;
    bool droppedOverride = false;
};

// The growth of the process's peak memory over a piece of work: the peak is
// reset first (Linux /proc/self/clear_refs), so earlier work does not count.
class PeakMemory {
public:
    // False when the system cannot reset the peak; the caller skips then.
    bool start();
    // Kilobytes by which the peak rose above the memory in use at start().
    qint64 growthKb() const;

private:
    qint64 startKb = 0;
};

// A file system of a few kilobytes mounted on a folder (made when missing),
// so that writing there runs out of room as on a full disk. It is mounted
// for the calling thread alone, which first moves into a mount namespace
// of its own: nothing outside the test sees it, and it goes with the test.
// Needs root; the caller skips when isMounted() is false.
class SmallFileSystem {
public:
    SmallFileSystem(const QString& folder, int kilobytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool isMounted() const { return mounted; }

private:
    QByteArray folder;
    bool mounted = false;
};

#pragma once

#include <QString>
#include <QTemporaryDir>

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

// A small file system of its own (tmpfs of `kb` kilobytes) on a fresh
// folder, in a mount namespace of this thread's own so that nothing else
// sees it: a disk a test can fill. Making it needs the right to mount
// (root); ok() tells whether it was made.
class SmallDisk {
public:
    explicit SmallDisk(int kb);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ok() const { return mounted; }
    QString path() const { return folder.path(); }
    // Takes up every free byte.
    void fill();

private:
    QTemporaryDir folder;
    int previousNamespace = -1;
    bool mounted = false;
};

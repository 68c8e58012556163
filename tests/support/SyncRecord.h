#pragma once

#include <QStringList>

// What this process renames and syncs to the disk while a record lives, in
// order: "rename <new path>" and "sync <path>" (a file or a folder, synced by
// the program or by the engine). The record is kept by this library's own
// fsync, fdatasync and rename, which do the real work as well; link it only
// into tests that look at the record.
class SyncRecord {
public:
    SyncRecord();
    ~SyncRecord();
    SyncRecord(const SyncRecord&) = delete;
    SyncRecord& operator=(const SyncRecord&) = delete;

    QStringList events() const;

    // The renames after which the folder that took the new name was not
    // synced; empty when every new name reached the disk.
    QStringList unsyncedRenames() const;
    // Whether `path` and then its folder were synced.
    bool syncedWithItsName(const QString& path) const;
};

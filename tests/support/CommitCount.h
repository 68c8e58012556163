#pragma once

struct sqlite3;

// Counts the transactions committed on an engine handle while it lives. With
// the rollback journal and full sync every commit costs the same few syncs,
// so this is how a test sees what a run costs the disk.
class CommitCount {
public:
    explicit CommitCount(sqlite3* handle);
    ~CommitCount();
    CommitCount(const CommitCount&) = delete;
    CommitCount& operator=(const CommitCount&) = delete;

    int commits() const { return count; }

private:
    sqlite3* handle;
    int count = 0;
};

#include "CommitCount.h"

#include <sqlite3.h>

CommitCount::CommitCount(sqlite3* handle) : handle(handle)
{
    sqlite3_commit_hook(
        handle,
        [](void* counter) {
            ++*static_cast<int*>(counter);
            return 0;
        },
        &count);
}

CommitCount::~CommitCount()
{
    sqlite3_commit_hook(handle, nullptr, nullptr);
}

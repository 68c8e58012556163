#pragma once

#include <QString>
#include <memory>

struct sqlite3;

// A database file opened through the engine for reading only, to look at it
// without changing a byte of it: the integrity check, a copy's roster, the
// version of a file before it is used.

struct CloseSqlite {
    void operator()(sqlite3* db) const;
};
using SqliteHandle = std::unique_ptr<sqlite3, CloseSqlite>;

// How long a statement waits for a file another program is writing before
// it reports the file locked, in milliseconds: every connection waits as long.
constexpr int busyWaitMs = 5000;

// The file at `path` opened read-only, waiting on a busy file as every
// connection does; null when it cannot be opened.
SqliteHandle openReadOnly(const QString& path);

// The first value of the first row of `sql`, or the engine's error.
struct FirstValue {
    QString value;
    QString error; // empty when the statement ran
    int code = 0;  // the engine's primary result code
};
FirstValue firstValue(sqlite3* db, const char* sql);

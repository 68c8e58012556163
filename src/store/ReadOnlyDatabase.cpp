#include "ReadOnlyDatabase.h"

#include <QFile>
#include <sqlite3.h>

void CloseSqlite::operator()(sqlite3* db) const
{
    sqlite3_close(db);
}

SqliteHandle openReadOnly(const QString& path)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    SqliteHandle handle(db);
    if (rc != SQLITE_OK)
        return nullptr;
    sqlite3_busy_timeout(db, busyWaitMs);
    return handle;
}

FirstValue firstValue(sqlite3* db, const char* sql)
{
    FirstValue result;
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW)
            result.value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        result.error = QString::fromUtf8(sqlite3_errmsg(db));
        result.code = rc & 0xff;
    }
    sqlite3_finalize(statement);
    return result;
}

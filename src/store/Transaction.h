#pragma once

#include "Connection.h"
#include "DbError.h"

#include <QSqlDatabase>
#include <QSqlError>

// Runs `work` in one transaction on `connection`: committed when it returns
// true, rolled back when it returns false or throws. Returns what work
// returned.
template <typename Work>
bool inTransaction(Connection& connection, Work work)
{
    QSqlDatabase db = connection.database();
    if (!db.transaction())
        throw DbError(db.lastError());
    bool keep = false;
    try {
        keep = work();
    } catch (...) {
        db.rollback();
        throw;
    }
    if (keep ? !db.commit() : !db.rollback())
        throw DbError(db.lastError());
    return keep;
}

#pragma once

#include "Connection.h"
#include "DbError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

// Runs `work` in one transaction on `connection`: committed when it returns
// true, rolled back when it returns false or throws. Returns what work
// returned. The transaction takes the write lock as it begins, so what work
// reads first is what it writes over, and a file another program is writing
// is waited for (the connection's busy timeout) rather than failing halfway.
template <typename Work>
bool inTransaction(Connection& connection, Work work)
{
    QSqlDatabase db = connection.database();
    QSqlQuery begin(db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
        throw DbError(begin.lastError());
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

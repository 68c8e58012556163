#pragma once

#include <QStringList>

class QSqlDatabase;

// Brings a database made with an earlier layout of data/schema.sql to the
// current one, keeping every row and key; does nothing on a current database
// or on a file that holds no roster, and only checks the version of a file
// it cannot write. Returns what the clerk is to be told once afterwards
// (paper numbers kept apart, extra saved queries that no longer apply).
// Throws DbError, with the file left as it was and the connection closed,
// when the upgrade fails, would lose data, or the file is newer than this
// program.
QStringList upgradeSchema(QSqlDatabase& database, bool writable);

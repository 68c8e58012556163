#pragma once

#include <QStringList>

class QSqlDatabase;

// Brings a database made with an earlier layout of data/schema.sql to the
// current one, keeping every row and key; does nothing on a current database
// or on a file that holds no roster, and only checks the version of a file
// it cannot write. The version is read again under the write lock, so two
// programs opening an older file at once both go on. Returns what the clerk
// is to be told once afterwards (paper numbers kept apart, extra saved
// queries that no longer apply). Throws DbError, with the file left as it
// was and the connection closed, when the upgrade fails, would lose data, or
// the file is newer than this program.
QStringList upgradeSchema(QSqlDatabase& database, bool writable);

// The layout version of data/schema.sql, the one this program writes.
int schemaVersion();

// Why a file of layout `version` is not used: empty unless it is newer than
// this program.
QString newerVersionText(int version);

// Throws DbError when the database file at `path` is newer than this
// program, having read its version without writing anything (no journal or
// other setting is applied to it). A file that cannot be read this way is
// left to the connection to report.
void refuseNewerFile(const QString& path);

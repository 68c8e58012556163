#pragma once

class QSqlDatabase;

// Brings a database made with an earlier layout of data/schema.sql to the
// current one, keeping every row; does nothing on a current database or on a
// file that holds no roster. Throws DbError, with the file left as it was
// and the connection closed, when the upgrade fails.
void upgradeSchema(QSqlDatabase& database);

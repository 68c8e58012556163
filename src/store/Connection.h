#pragma once

#include "Dialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

struct sqlite3;

// The database connection (the program's ADOConnection1, and the spreadsheet
// window's own). It keeps the original connection string and reads the
// provider and the data source from it; it connects on the first statement
// and never creates the database file.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The connection string of the program for the given directory.
    static QString connectionStringFor(const QString& directory);

    void Close();
    void setConnectionString(const QString& text);
    const QString& connectionString() const { return connString; }
    bool connected() const;

    // The database file the connection string names, with '/' separators.
    QString dataSource() const;

    // Runs one statement; throws DbError with the engine's text on failure.
    // The returned query is active so that the caller can read its rows.
    QSqlQuery run(const SqlText& text);
    // Runs a statement that returns no rows; returns the rows it changed.
    int execute(const SqlText& text);

    QSqlDatabase database();
    // The engine's own handle under the connection (connects first).
    sqlite3* engineHandle();

private:
    void ensureConnected();
    [[noreturn]] void fail(const QSqlError& error);

    QString name;
    QString connString;
    bool openedReadOnly = false; // the file was read-only when it was opened
};

#pragma once

#include "Dialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>


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

    // The journal and sync settings every new connection runs, in order;
    // the benchmarks' raw SQLite reference runs the same ones.
    static const QStringList& journalSettings();

    void Close();
    void setConnectionString(const QString& text);
    const QString& connectionString() const { return connString; }
    void setLoginPrompt(bool on) { loginPrompt = on; }
    bool connected() const;

    // The database file the connection string names, with '/' separators.
    QString dataSource() const;

    // Runs one statement; throws DbError with the engine's text on failure.
    // The returned query is active so that the caller can read its rows.
    QSqlQuery run(const SqlText& text);
    // Runs a statement that returns no rows; returns the rows it changed.
    int execute(const SqlText& text);

    QSqlDatabase database();

private:
    void ensureConnected();

    QString name;
    QString connString;
    bool loginPrompt = true;
};

#pragma once

#include "Dialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <unordered_map>
#include <vector>

// What one statement gave: the columns and every row of a query, or the rows
// a statement changed.
struct StatementResult {
    QStringList fields;
    std::vector<QVariantList> rows;
    int rowsAffected = 0;
};

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

    // The journal and sync settings every new connection runs, in order;
    // the benchmarks' raw SQLite reference runs the same ones.
    static const QStringList& journalSettings();

    void Close();
    void setConnectionString(const QString& text);
    const QString& connectionString() const { return connString; }
    bool connected() const;

    // The database file the connection string names, with '/' separators.
    QString dataSource() const;

    // What sees each row of a result as it is read: the result's columns and
    // the row's values.
    using RowReader = std::function<void(const QStringList& fields, const QVariantList& row)>;

    // Runs one statement and reads all it gives, handing each row to
    // `eachRow` (when given) before the next one is read, and then keeping
    // none of them: a large result passes through without being held.
    // Throws DbError with the engine's text on failure, or what `eachRow`
    // throws.
    StatementResult run(const SqlText& text, const RowReader& eachRow = {});
    // Runs a statement that returns no rows; returns the rows it changed.
    int execute(const SqlText& text);

    // Hears, once, what an upgrade of an older file has to tell the clerk.
    void setUpgradeNotice(std::function<void(const QString&)> tell) { upgradeNotice = std::move(tell); }

    QSqlDatabase database();
    // The engine's own handle under the connection (connects first).
    sqlite3* engineHandle();

private:
    // A statement shape translated and prepared once on this connection and
    // run again with new values. Kept only while the connection stays open.
    struct Prepared {
        TranslatedStatement statement;
        QSqlQuery query;
        quint64 lastUse = 0;
    };
    static constexpr size_t keptStatements = 100;

    void ensureConnected();
    [[noreturn]] void fail(const QSqlError& error);
    Prepared& preparedFor(const SqlText& text, const QString& shape);

    QString name;
    QString connString;
    bool openedReadOnly = false; // the file was read-only when it was opened
    std::unordered_map<QString, Prepared> kept; // by TranslatedStatement::shapeOf
    quint64 uses = 0;
    std::function<void(const QString&)> upgradeNotice;
};

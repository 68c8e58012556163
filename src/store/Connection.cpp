#include "Connection.h"

#include "DbError.h"
#include "ReadOnlyDatabase.h"
#include "SchemaUpgrade.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <algorithm>
#include <sqlite3.h>

namespace {

sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw DbError(QStringLiteral("The database driver is not SQLite."));
    return *static_cast<sqlite3* const*>(handle.constData());
}

} // namespace

Connection::Connection()
    : name(QStringLiteral("paikao-%1").arg(reinterpret_cast<quintptr>(this), 0, 16))
{
}

Connection::~Connection()
{
    kept.clear();
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);
}

QString Connection::connectionStringFor(const QString& directory)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Password=\"\";Data Source=") + directory
        + QStringLiteral("\\data\\data.mdb;Persist Security Info=True");
}

const QStringList& Connection::journalSettings()
{
    // The rollback journal keeps every committed row in data.mdb itself
    // between statements, so the one file is the whole database: a copy of
    // it is complete, and a read-only file can still be read. FULL makes a
    // commit survive a power cut. A page cache of 64 MB holds a large term's
    // roster, so that the lookups scheduling makes per paper stay as cheap
    // at 300,000 rows as at 10,000 (the default 2 MB rereads pages from the
    // system on every probe).
    static const QStringList settings{QStringLiteral("PRAGMA journal_mode=DELETE"), QStringLiteral("PRAGMA synchronous=FULL"),
                                      QStringLiteral("PRAGMA cache_size=-65536")};
    return settings;
}

void Connection::Close()
{
    kept.clear();
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (db.isValid() && db.isOpen())
        db.close();
}

void Connection::setConnectionString(const QString& text)
{
    if (text == connString)
        return;
    Close();
    connString = text;
}

bool Connection::connected() const
{
    const QSqlDatabase db = QSqlDatabase::database(name, false);
    return db.isValid() && db.isOpen();
}

QString Connection::dataSource() const
{
    for (const QString& part : connString.split(u';')) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq > 0 && part.left(eq).trimmed().compare(u"Data Source", Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1).trimmed().replace(u'\\', u'/');
    }
    return QString();
}

void Connection::ensureConnected()
{
    if (connected()) {
        // A file opened read-only stays read-only for that connection: once
        // the file is writable again, connect afresh, so that putting it
        // right is enough and no restart is needed.
        if (!openedReadOnly || !QFileInfo(dataSource()).isWritable())
            return;
        Close();
    }
    if (connString.isEmpty())
        throw DbError(QStringLiteral("Connection string is empty: the connection has not been configured."));
    QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                   : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    // The settings below write to the file (a WAL file is folded back into
    // it): a file newer than this program is refused before.
    refuseNewerFile(dataSource());
    // mode=rw: a missing file is an error, never a new empty database.
    db.setDatabaseName(QUrl::fromLocalFile(dataSource()).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyWaitMs));
    if (!db.open())
        throw DbError(db.lastError());
    QSqlQuery pragma(db);
    for (const QString& setting : journalSettings()) {
        if (!pragma.exec(setting)) {
            const DbError error(pragma.lastError());
            pragma.finish();
            db.close();
            throw error;
        }
    }
    openedReadOnly = sqlite3_db_readonly(handleOf(db), "main") == 1;
    // A read-only file is browsed as it is; it is brought up to date once
    // it can be written.
    const QStringList notes = upgradeSchema(db, !openedReadOnly);
    if (upgradeNotice)
        for (const QString& note : notes)
            upgradeNotice(note);
}

sqlite3* Connection::engineHandle()
{
    return handleOf(database());
}

void Connection::fail(const QSqlError& error)
{
    const DbError e(error);
    // The file itself failed (moved, replaced, unreadable): the next
    // statement connects afresh.
    constexpr int readOnly = 8, ioError = 10, corrupt = 11, cannotOpen = 14, notADatabase = 26;
    for (int code : {readOnly, ioError, corrupt, cannotOpen, notADatabase})
        if (e.engineCode() == code)
            Close();
    throw e;
}

QSqlDatabase Connection::database()
{
    ensureConnected();
    return QSqlDatabase::database(name, false);
}

Connection::Prepared& Connection::preparedFor(const SqlText& text, const QString& shape)
{
    if (!connected()) {
        kept.clear(); // statements of an earlier session went with it, however it ended
    } else if (const auto found = kept.find(shape); found != kept.end()) {
        found->second.lastUse = ++uses;
        return found->second;
    }
    TranslatedStatement statement(text);
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(statement.sql()))
        fail(query.lastError());
    if (kept.size() >= keptStatements)
        kept.erase(std::min_element(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        }));
    return kept.try_emplace(shape, Prepared{std::move(statement), std::move(query), ++uses}).first->second;
}

StatementResult Connection::run(const SqlText& text, const RowReader& eachRow)
{
    const QString shape = TranslatedStatement::shapeOf(text);
    Prepared& prepared = preparedFor(text, shape);
    QSqlQuery& query = prepared.query;
    const QVariantList values = prepared.statement.values(text);
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    // Done with it however the reading ends: no lock or half-read result
    // stays behind.
    auto finished = qScopeGuard([&query] { query.finish(); });
    StatementResult result;
    if (query.exec()) {
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i)
            result.fields.append(record.fieldName(i));
        while (query.next()) {
            QVariantList row;
            row.reserve(record.count());
            for (int i = 0; i < record.count(); ++i)
                row.append(query.value(i));
            if (eachRow)
                eachRow(result.fields, row);
            else
                result.rows.push_back(std::move(row));
        }
        result.rowsAffected = query.numRowsAffected();
    }
    // A row that cannot be read fails the statement as a whole.
    if (query.lastError().isValid()) {
        const QSqlError error = query.lastError();
        finished.dismiss(); // the query goes with its entry
        // Prepared afresh next time, in case the failure lingers in it.
        kept.erase(shape);
        fail(error);
    }
    return result;
}

int Connection::execute(const SqlText& text)
{
    return run(text).rowsAffected;
}

#include "Connection.h"

#include "DbError.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <algorithm>

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
    // Each statement still commits on its own; WAL makes that commit cheap.
    static const QStringList settings{QStringLiteral("PRAGMA journal_mode=WAL"), QStringLiteral("PRAGMA synchronous=NORMAL")};
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
    if (connected())
        return;
    if (connString.isEmpty())
        throw DbError(QStringLiteral("Connection string is empty: the connection has not been configured."));
    QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                   : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    // mode=rw: a missing file is an error, never a new empty database.
    db.setDatabaseName(QUrl::fromLocalFile(dataSource()).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        throw DbError(db.lastError().databaseText().isEmpty() ? db.lastError().text() : db.lastError().databaseText());
    QSqlQuery pragma(db);
    for (const QString& setting : journalSettings()) {
        if (!pragma.exec(setting)) {
            const QString text = pragma.lastError().databaseText();
            pragma.finish();
            db.close();
            throw DbError(text);
        }
    }
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
        throw DbError(query.lastError().databaseText());
    if (kept.size() >= keptStatements)
        kept.erase(std::min_element(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        }));
    return kept.try_emplace(shape, Prepared{std::move(statement), std::move(query), ++uses}).first->second;
}

StatementResult Connection::run(const SqlText& text)
{
    const QString shape = TranslatedStatement::shapeOf(text);
    Prepared& prepared = preparedFor(text, shape);
    QSqlQuery& query = prepared.query;
    const QVariantList values = prepared.statement.values(text);
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
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
            result.rows.push_back(std::move(row));
        }
        result.rowsAffected = query.numRowsAffected();
    }
    // A row that cannot be read fails the statement as a whole.
    if (query.lastError().isValid()) {
        const QString error = query.lastError().databaseText();
        // Prepared afresh next time, in case the failure lingers in it.
        kept.erase(shape);
        throw DbError(error);
    }
    // Done with it: no lock or half-read result stays behind.
    query.finish();
    return result;
}

int Connection::execute(const SqlText& text)
{
    return run(text).rowsAffected;
}

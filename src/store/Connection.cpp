#include "Connection.h"

#include "DbError.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

Connection::Connection()
    : name(QStringLiteral("paikao-%1").arg(reinterpret_cast<quintptr>(this), 0, 16))
{
}

Connection::~Connection()
{
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

QSqlQuery Connection::run(const SqlText& text)
{
    const BoundStatement bound = translateStatement(text);
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(bound.sql))
        throw DbError(query.lastError().databaseText());
    for (const QVariant& v : bound.values)
        query.addBindValue(v);
    if (!query.exec())
        throw DbError(query.lastError().databaseText());
    return query;
}

int Connection::execute(const SqlText& text)
{
    return run(text).numRowsAffected();
}

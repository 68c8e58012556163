#include "SchemaUpgrade.h"

#include "DbError.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QStringList>
#include <QVariant>
#include <sqlite3.h>

namespace {

// The version that data/schema.sql sets.
constexpr int currentVersion = 2;

// Version 2 adds the invigilator tables, as data/schema.sql has them; a
// version-1 database keeps everything else untouched.
const char* invigilatorTables = R"(
CREATE TABLE t_jkjs (
  jkid INTEGER PRIMARY KEY AUTOINCREMENT,
  xm   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- name
  yx   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- department (院系)
  zdcs INTEGER NOT NULL DEFAULT 0,               -- most duties
  bkcc TEXT NOT NULL DEFAULT '' COLLATE NOCASE   -- sittings one cannot take
) STRICT;
CREATE INDEX t_jkjs_xm ON t_jkjs(xm);
CREATE TABLE t_jkap (
  cc   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- exam period number
  jsid INTEGER NOT NULL DEFAULT 0,               -- room
  jkid INTEGER NOT NULL DEFAULT 0,               -- invigilator
  sg   INTEGER NOT NULL DEFAULT 0                -- entered by hand
) STRICT;
CREATE INDEX t_jkap_cc ON t_jkap(cc, jsid);
CREATE INDEX t_jkap_jkid ON t_jkap(jkid);
PRAGMA user_version = 2;
)";

// Blanks and line breaks that a stored text value loses, as the import trims.
const char* trimmedChars = "' ' || char(9, 10, 11, 12, 13, 12288)";

sqlite3* handleOf(QSqlDatabase& database)
{
    const QVariant handle = database.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw DbError(QStringLiteral("数据库升级失败：不是 SQLite 数据库连接"));
    return *static_cast<sqlite3* const*>(handle.constData());
}

void exec(sqlite3* db, const QString& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        throw DbError(QStringLiteral("数据库升级失败：") + text);
    }
}

// The rows of a query, each row's values in order (NULL as the empty text).
QList<QStringList> rows(sqlite3* db, const QString& sql)
{
    QList<QStringList> out;
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), [](void* arg, int n, char** values, char**) {
        QStringList row;
        for (int i = 0; i < n; ++i)
            row.append(values[i] ? QString::fromUtf8(values[i]) : QString());
        static_cast<QList<QStringList>*>(arg)->append(row);
        return 0;
    }, &out, &error);
    if (rc != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        throw DbError(QStringLiteral("数据库升级失败：") + text);
    }
    return out;
}

QString quoted(const QString& name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString oldName(const QString& table)
{
    return QStringLiteral("upgrading_") + table;
}

// Copies the rows of the old table into the new one of the same name. Text
// that must not be NULL becomes the empty text where it was NULL, trimmed; a
// new key column takes the old row ids, so keys stay what they were.
void copyRows(sqlite3* db, const QString& table)
{
    QStringList oldColumns;
    for (const QStringList& column : rows(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(oldName(table)))))
        oldColumns.append(column[1].toLower());
    QStringList names, values;
    // table_info: cid, name, type, notnull, dflt_value, pk
    for (const QStringList& column : rows(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)))) {
        const QString name = column[1];
        const bool text = column[2].compare(u"TEXT", Qt::CaseInsensitive) == 0;
        const bool notNull = column[3] == u"1";
        QString value;
        if (oldColumns.contains(name.toLower()))
            value = text && notNull ? QStringLiteral("trim(coalesce(%1, ''), %2)").arg(quoted(name), QLatin1String(trimmedChars))
                                    : quoted(name);
        else if (column[5] == u"1" && column[2].compare(u"INTEGER", Qt::CaseInsensitive) == 0)
            value = QStringLiteral("rowid");
        else
            continue;
        names.append(quoted(name));
        values.append(value);
    }
    exec(db, QStringLiteral("INSERT INTO %1(%2) SELECT %3 FROM %4 ORDER BY rowid")
                 .arg(quoted(table), names.join(u','), values.join(u','), quoted(oldName(table))));
    // Ids handed out before (rooms deleted since) stay used.
    exec(db, QStringLiteral("DELETE FROM sqlite_sequence WHERE name = '%1' AND EXISTS "
                            "(SELECT 1 FROM sqlite_sequence WHERE name = '%2')").arg(table, oldName(table)));
    exec(db, QStringLiteral("UPDATE sqlite_sequence SET name = '%1' WHERE name = '%2'").arg(table, oldName(table)));
}

void upgrade(sqlite3* db)
{
    // Saved queries (with their triggers) and indexes are made afresh.
    for (const QStringList& object : rows(db, QStringLiteral(
             "SELECT type, name FROM sqlite_master WHERE type IN ('view', 'index') AND sql IS NOT NULL")))
        exec(db, QStringLiteral("DROP %1 IF EXISTS %2").arg(object[0], quoted(object[1])));
    QStringList tables;
    for (const QStringList& table : rows(db, QStringLiteral(
             "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' ESCAPE '!'")))
        tables.append(table[0]);
    for (const QString& table : tables)
        exec(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(table), quoted(oldName(table))));

    QFile schema(QStringLiteral(":/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("数据库升级失败：程序中缺少数据库结构"));
    exec(db, QString::fromUtf8(schema.readAll()));

    for (const QString& table : tables) {
        if (rows(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '%1'").arg(table)).isEmpty()) {
            // Not one of the program's tables: it stays as it was.
            exec(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(oldName(table)), quoted(table)));
            continue;
        }
        copyRows(db, table);
        exec(db, QStringLiteral("DROP TABLE %1").arg(quoted(oldName(table))));
    }
}

} // namespace

void upgradeSchema(QSqlDatabase& database)
{
    sqlite3* db = handleOf(database);
    const int version = rows(db, QStringLiteral("PRAGMA user_version")).value(0).value(0).toInt();
    if (version >= currentVersion)
        return;
    if (rows(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 't_bjgmd'")).isEmpty())
        return;
    exec(db, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        if (version < 1)
            upgrade(db);
        else
            exec(db, QString::fromUtf8(invigilatorTables));
        exec(db, QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        // No statement may run on the old layout: the next one tries again.
        database.close();
        throw;
    }
}

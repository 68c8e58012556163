#include "SchemaUpgrade.h"

#include "Blanks.h"
#include "DbError.h"
#include "ReadOnlyDatabase.h"

#include <QFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <iterator>
#include <sqlite3.h>

namespace {

// Version 2 adds the invigilator tables, as data/schema.sql has them; a
// version-1 database keeps everything else untouched.
constexpr const char* invigilatorTables = R"(
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
)";

// Version 3 adds the rooms' rows and columns of seats and the seat numbers,
// as data/schema.sql has them.
constexpr const char* seatTables = R"(
ALTER TABLE t_js ADD COLUMN ps INTEGER NOT NULL DEFAULT 0;
ALTER TABLE t_js ADD COLUMN ls INTEGER NOT NULL DEFAULT 0;
CREATE TABLE t_zw (
  rid  INTEGER PRIMARY KEY,                      -- roster row
  cc   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- exam period
  jsid INTEGER NOT NULL DEFAULT 0,               -- room
  zwh  INTEGER NOT NULL DEFAULT 0,               -- seat number, 1.. in the room
  pai  INTEGER NOT NULL DEFAULT 0,               -- its row, 1 in front
  lie  INTEGER NOT NULL DEFAULT 0                -- its column, 1 on the left seen from the front
) STRICT;
CREATE INDEX t_zw_room ON t_zw(jsid, cc);
CREATE TRIGGER t_zw_placement_moved AFTER UPDATE OF cc, jsid, sjxh ON t_kscs
WHEN OLD.cc IS NOT NEW.cc OR OLD.jsid IS NOT NEW.jsid OR OLD.sjxh IS NOT NEW.sjxh
BEGIN
  DELETE FROM t_zw WHERE rid IN (SELECT rid FROM t_bjgmd WHERE sjxh = OLD.sjxh OR sjxh = NEW.sjxh);
END;
CREATE TRIGGER t_zw_placement_gone AFTER DELETE ON t_kscs
BEGIN
  DELETE FROM t_zw WHERE rid IN (SELECT rid FROM t_bjgmd WHERE sjxh = OLD.sjxh);
END;
CREATE TRIGGER t_zw_paper_changed AFTER UPDATE OF sjxh ON t_bjgmd
WHEN OLD.sjxh IS NOT NEW.sjxh
BEGIN
  DELETE FROM t_zw WHERE rid = NEW.rid;
END;
CREATE TRIGGER t_zw_row_gone AFTER DELETE ON t_bjgmd
BEGIN
  DELETE FROM t_zw WHERE rid = OLD.rid;
END;
)";

// Version 4 adds the table of the clerk's rules for the exam times.
constexpr const char* ruleTables = R"(
CREATE TABLE t_pkyq (
  yqid  INTEGER PRIMARY KEY AUTOINCREMENT,
  lx    TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  sjxh  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  sjxh1 TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  rq    TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  sj    TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  sl    INTEGER NOT NULL DEFAULT 0,
  ts    INTEGER NOT NULL DEFAULT 0,
  qz    INTEGER NOT NULL DEFAULT 0
) STRICT;
)";

// The steps from one layout of data/schema.sql to the next, in order: each
// turns a file of the version before it into one of its own version, as
// data/schema.sql makes it. A file older than version 1 is rebuilt from the
// schema as a whole instead.
struct Step {
    int version;
    const char* statements; // taking no values
};
constexpr Step steps[] = {
    {2, invigilatorTables},
    {3, seatTables},
    {4, ruleTables},
};

// The version that data/schema.sql sets.
constexpr int currentVersion = std::end(steps)[-1].version;

// Columns that hold a paper number, in every table that has them.
const QStringList paperColumns{QStringLiteral("sjxh"), QStringLiteral("sjxh1")};

[[noreturn]] void fail(const QString& text)
{
    throw DbError(QStringLiteral("数据库升级失败：") + text);
}

sqlite3* handleOf(QSqlDatabase& database)
{
    const QVariant handle = database.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        fail(QStringLiteral("不是 SQLite 数据库连接"));
    return *static_cast<sqlite3* const*>(handle.constData());
}

// Runs statements that take no values.
void exec(sqlite3* db, const QString& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        fail(text);
    }
}

// The rows of one statement with its values bound, each row's values in
// order (NULL as the empty text). Throws the engine's text, or returns it in
// `error` when the caller takes it.
QList<QStringList> rows(sqlite3* db, const QString& sql, const QStringList& values = {}, QString* error = nullptr)
{
    QList<QStringList> out;
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr);
    for (int i = 0; rc == SQLITE_OK && i < values.size(); ++i)
        rc = sqlite3_bind_text(statement, i + 1, values[i].toUtf8().constData(), -1, SQLITE_TRANSIENT);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(statement);
        if (rc != SQLITE_ROW)
            break;
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(statement); ++c)
            row.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c))));
        out.append(row);
    }
    const QString text = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    if (!text.isEmpty() && !error)
        fail(text);
    if (error)
        *error = text;
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

// trim_blanks(x): the program's own trimming inside statements; NULL becomes
// the empty text.
void trimBlanksFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const unsigned char* text = sqlite3_value_text(arguments[0]);
    const QByteArray trimmed = trimBlanks(QString::fromUtf8(text ? reinterpret_cast<const char*>(text) : "")).toUtf8();
    sqlite3_result_text(context, trimmed.constData(), int(trimmed.size()), SQLITE_TRANSIENT);
}

// Paper numbers that only blanks tell apart ("3" and " 3", two papers typed
// in older files): trimmed they would become one paper, so they stay as
// they are, kept in a temporary table the row copies look into.
QStringList keepPapersApart(sqlite3* db)
{
    exec(db, QStringLiteral("CREATE TEMP TABLE upgrading_apart(sjxh TEXT)"));
    QStringList apart;
    for (const QStringList& row : rows(db, QStringLiteral(
             "SELECT DISTINCT sjxh FROM upgrading_t_bjgmd WHERE trim_blanks(sjxh) COLLATE NOCASE IN "
             "(SELECT trim_blanks(sjxh) COLLATE NOCASE FROM upgrading_t_bjgmd GROUP BY 1 "
             " HAVING count(DISTINCT sjxh) > 1 AND trim_blanks(sjxh) <> '') ORDER BY trim_blanks(sjxh), sjxh"))) {
        rows(db, QStringLiteral("INSERT INTO temp.upgrading_apart VALUES(?)"), {row[0]});
        apart.append(QStringLiteral("“%1”").arg(row[0]));
    }
    return apart;
}

// Copies the rows of the old table into the new one of the same name. Text
// that must not be NULL becomes the empty text where it was NULL, trimmed
// (paper numbers kept apart excepted); a new key column takes the old row
// ids, so keys stay what they were. A column the new table lacks may only be
// left behind when it holds nothing.
void copyRows(sqlite3* db, const QString& table)
{
    QStringList oldColumns;
    for (const QStringList& column : rows(db, QStringLiteral("SELECT name FROM pragma_table_info(?)"), {oldName(table)}))
        oldColumns.append(column[0].toLower());
    QStringList names, values;
    for (const QStringList& column : rows(db, QStringLiteral("SELECT name, type, \"notnull\", pk FROM pragma_table_info(?)"), {table})) {
        const QString& name = column[0];
        const bool text = column[1].compare(u"TEXT", Qt::CaseInsensitive) == 0;
        const bool notNull = column[2] == u"1";
        QString value;
        if (oldColumns.removeAll(name.toLower()) > 0) {
            value = quoted(name);
            if (text && notNull)
                value = paperColumns.contains(name.toLower())
                    ? QStringLiteral("CASE WHEN %1 IN (SELECT sjxh FROM temp.upgrading_apart) THEN %1 ELSE trim_blanks(%1) END").arg(value)
                    : QStringLiteral("trim_blanks(%1)").arg(value);
        } else if (column[3] == u"1" && column[1].compare(u"INTEGER", Qt::CaseInsensitive) == 0) {
            value = QStringLiteral("rowid");
        } else {
            continue;
        }
        names.append(quoted(name));
        values.append(value);
    }
    for (const QString& column : oldColumns)
        if (!rows(db, QStringLiteral("SELECT 1 FROM %1 WHERE trim_blanks(%2) <> '' LIMIT 1").arg(quoted(oldName(table)), quoted(column))).isEmpty())
            fail(QStringLiteral("表 %1 的列 %2 中有数据，本程序的表里没有这一列，升级会丢失这些数据。数据库没有改动。").arg(table, column));
    exec(db, QStringLiteral("INSERT INTO %1(%2) SELECT %3 FROM %4 ORDER BY rowid")
                 .arg(quoted(table), names.join(u','), values.join(u','), quoted(oldName(table))));
    // Ids handed out before (rooms deleted since) stay used.
    rows(db, QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ? AND EXISTS "
                            "(SELECT 1 FROM sqlite_sequence WHERE name = ?)"), {table, oldName(table)});
    rows(db, QStringLiteral("UPDATE sqlite_sequence SET name = ? WHERE name = ?"), {table, oldName(table)});
}

bool exists(sqlite3* db, const QString& type, const QString& name)
{
    return !rows(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = ? AND name = ?"), {type, name}).isEmpty();
}

// Rebuilds a file older than version 1 from data/schema.sql, which sets its
// own version.
QStringList rebuild(sqlite3* db)
{
    QStringList notes;
    // Saved queries (with their triggers) and indexes are made afresh; those
    // the program does not make are made again afterwards where they apply.
    const QList<QStringList> objects = rows(db, QStringLiteral(
        "SELECT type, name, sql FROM sqlite_master WHERE type IN ('view', 'index') AND sql IS NOT NULL ORDER BY type DESC, rowid"));
    for (const QStringList& object : objects)
        exec(db, QStringLiteral("DROP %1 IF EXISTS %2").arg(object[0], quoted(object[1])));
    QStringList tables;
    for (const QStringList& table : rows(db, QStringLiteral(
             "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' ESCAPE '!'")))
        tables.append(table[0]);
    for (const QString& table : tables)
        exec(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(table), quoted(oldName(table))));

    QFile schema(QStringLiteral(":/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly))
        fail(QStringLiteral("程序中缺少数据库结构"));
    exec(db, QString::fromUtf8(schema.readAll()));

    const QStringList apart = keepPapersApart(db);
    if (!apart.isEmpty())
        notes.append(QStringLiteral("以下试卷序号只差空格，升级时按原样保留，没有合并：%1。请在试卷编号中给它们不同的序号。")
                         .arg(apart.join(QStringLiteral("、"))));
    for (const QString& table : tables) {
        if (!exists(db, QStringLiteral("table"), table)) {
            // Not one of the program's tables: it stays as it was.
            exec(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(oldName(table)), quoted(table)));
            continue;
        }
        copyRows(db, table);
        exec(db, QStringLiteral("DROP TABLE %1").arg(quoted(oldName(table))));
    }
    exec(db, QStringLiteral("DROP TABLE temp.upgrading_apart"));

    for (const QStringList& object : objects) {
        const QString& type = object[0];
        const QString& name = object[1];
        if (exists(db, type, name))
            continue;
        QString error;
        rows(db, object[2], {}, &error);
        // A view is only checked when it is read.
        if (error.isEmpty() && type == u"view")
            rows(db, QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(quoted(name)), {}, &error);
        if (!error.isEmpty()) {
            rows(db, QStringLiteral("DROP %1 IF EXISTS %2").arg(type, quoted(name)), {}, nullptr);
            notes.append(QStringLiteral("%1 %2 不适用于新的表，升级时已删除：%3")
                             .arg(type == u"view" ? QStringLiteral("查询") : QStringLiteral("索引"), name, error));
        }
    }
    return notes;
}

int versionOf(sqlite3* db)
{
    return rows(db, QStringLiteral("PRAGMA user_version")).value(0).value(0).toInt();
}

// Brings the file from `version` to the current one, inside the caller's
// write transaction.
QStringList upgradeFrom(sqlite3* db, int version)
{
    QStringList notes;
    if (version < 1) {
        notes = rebuild(db);
        version = versionOf(db);
    }
    for (const Step& step : steps) {
        if (step.version <= version)
            continue;
        exec(db, QString::fromUtf8(step.statements));
        exec(db, QStringLiteral("PRAGMA user_version = %1").arg(step.version));
    }
    return notes;
}

} // namespace

int schemaVersion()
{
    return currentVersion;
}

QString newerVersionText(int version)
{
    if (version <= currentVersion)
        return QString();
    return QStringLiteral("数据库文件的版本（%1）比本程序所知的（%2）新，请用新版本的程序打开。为免损坏数据，本程序不使用这个文件。")
        .arg(version)
        .arg(currentVersion);
}

void refuseNewerFile(const QString& path)
{
    const SqliteHandle db = openReadOnly(path);
    if (!db)
        return;
    const FirstValue version = firstValue(db.get(), "PRAGMA user_version");
    if (const QString newer = newerVersionText(version.value.toInt()); version.error.isEmpty() && !newer.isEmpty())
        throw DbError(newer);
}

QStringList upgradeSchema(QSqlDatabase& database, bool writable)
{
    sqlite3* db = handleOf(database);
    auto refuseNewer = [](int version) {
        if (const QString newer = newerVersionText(version); !newer.isEmpty())
            throw DbError(newer);
    };
    try {
        const int version = versionOf(db);
        refuseNewer(version);
        if (!writable || version == currentVersion || !exists(db, QStringLiteral("table"), QStringLiteral("t_bjgmd")))
            return {};
        sqlite3_create_function_v2(db, "trim_blanks", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, trimBlanksFunction,
                                   nullptr, nullptr, nullptr);
        // A file locked by another program fails here too.
        exec(db, QStringLiteral("BEGIN IMMEDIATE"));
        // Read again under the lock: another program may have upgraded the
        // file meanwhile.
        const int locked = versionOf(db);
        refuseNewer(locked);
        const QStringList notes = upgradeFrom(db, locked);
        exec(db, QStringLiteral("COMMIT"));
        return notes;
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        // No statement may run on the old layout or a newer one: the next
        // one tries again.
        database.close();
        throw;
    }
}

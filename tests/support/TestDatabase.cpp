#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <stdexcept>

namespace {

struct Db {
    sqlite3* handle = nullptr;
    explicit Db(const QString& path)
    {
        if (sqlite3_open(path.toUtf8().constData(), &handle) != SQLITE_OK)
            throw std::runtime_error("cannot open test database");
        // A test database need not survive a power cut.
        sqlite3_exec(handle, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    }
    ~Db() { sqlite3_close(handle); }
};

void run(sqlite3* db, const QString& sql, int (*callback)(void*, int, char**, char**) = nullptr, void* arg = nullptr)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), callback, arg, &error) != SQLITE_OK) {
        const std::string text = error ? error : "error";
        sqlite3_free(error);
        throw std::runtime_error(text + " in: " + sql.toStdString());
    }
}

} // namespace

void TestDatabase::create(const QString& path)
{
    QFile schema(QStringLiteral(PAIKAO_SCHEMA));
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the schema");
    QFile::remove(path);
    Db db(path);
    run(db.handle, QStringLiteral("BEGIN;") + QString::fromUtf8(schema.readAll()) + QStringLiteral("COMMIT;"));
}

namespace {

QString baseFolder(TestDatabase::Storage storage)
{
    const QString memory = QStringLiteral("/dev/shm");
    return storage == TestDatabase::Storage::Memory && QFileInfo(memory).isDir() && QFileInfo(memory).isWritable()
               ? memory
               : QDir::tempPath();
}

} // namespace

TestDatabase::TestDatabase(Storage storage)
    : TestDatabase(baseFolder(storage))
{
}

TestDatabase::TestDatabase(const QString& parent)
    : previous(QDir::currentPath()), dir(parent + QStringLiteral("/paikao-test-XXXXXX"))
{
    QDir(dir.path()).mkdir(QStringLiteral("data"));
    create(file());
    QDir::setCurrent(dir.path());
}

TestDatabase::~TestDatabase()
{
    QDir::setCurrent(previous);
}

void TestDatabase::exec(const QString& sql)
{
    Db db(file());
    run(db.handle, sql);
}

QStringList TestDatabase::rows(const QString& sql)
{
    return rowsOf(file(), sql);
}

QStringList TestDatabase::rowsOf(const QString& path, const QString& sql)
{
    QStringList out;
    Db db(path);
    run(db.handle, sql, [](void* arg, int n, char** values, char**) {
        QStringList row;
        for (int i = 0; i < n; ++i)
            row.append(values[i] ? QString::fromUtf8(values[i]) : QString());
        static_cast<QStringList*>(arg)->append(row.join(u'|'));
        return 0;
    }, &out);
    return out;
}

QString TestDatabase::scalar(const QString& sql)
{
    const QStringList r = rows(sql);
    return r.isEmpty() ? QString() : r.first();
}

void TestDatabase::addRoster(const QStringList& rows)
{
    QString sql = QStringLiteral("BEGIN;");
    for (const QString& row : rows) {
        QStringList values = row.split(u'|');
        while (values.size() < 10)
            values.append(QString());
        for (QString& v : values)
            v = QStringLiteral("'") + QString(v).replace(u'\'', QStringLiteral("''")) + QStringLiteral("'");
        sql += QStringLiteral("INSERT INTO t_bjgmd(sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk) VALUES(%1);").arg(values.join(u','));
    }
    exec(sql + QStringLiteral("COMMIT;"));
}

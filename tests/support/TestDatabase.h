#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

// A fresh database built from data/schema.sql in a temporary folder, which
// becomes the current directory: data/data.mdb there is what the program
// opens.
class TestDatabase {
public:
    // Tests keep the folder in memory (/dev/shm where there is one): the
    // program syncs every commit to the disk, which tests need not wait for.
    // Benchmarks measure on the disk, as the clerk's program runs.
    enum class Storage { Memory, Disk };

    explicit TestDatabase(Storage storage = Storage::Memory);
    // In a fresh folder made under `parent` (a small disk, say).
    explicit TestDatabase(const QString& parent);
    ~TestDatabase();

    QString folder() const { return dir.path(); }
    QString file() const { return dir.path() + QStringLiteral("/data/data.mdb"); }

    // Runs SQLite statements directly, outside the program's layer.
    void exec(const QString& sql);
    // The rows of a query, each row's values joined with '|' (null as empty).
    QStringList rows(const QString& sql);
    QString scalar(const QString& sql);
    // The same for another database file (a backup copy, say).
    static QStringList rowsOf(const QString& path, const QString& sql);

    // Adds roster rows: each "sjxh|kcxh|xh|xm|kcdm|kcmc|skjs|kkyx|bz|hbk".
    void addRoster(const QStringList& rows);

    // Builds a database file from the schema at the given path.
    static void create(const QString& path);

private:
    QString previous;
    QTemporaryDir dir;
};

#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <stdexcept>

class Connection;

// Copies of the whole database in data/backup beside data.mdb, made before
// anything wipes or replaces the data, and putting one back.

// A copy that could not be made or put back; the message is for the clerk.
class BackupError : public std::runtime_error {
public:
    explicit BackupError(const QString& message) : std::runtime_error(message.toStdString()) { }
    QString message() const { return QString::fromUtf8(what()); }
};

// One copy in the backup folder.
struct BackupCopy {
    QString path;
    QDateTime time;     // when it was made, from its name
    int rosterRows = -1; // rows of t_bjgmd; -1 when the copy cannot be read
    QString damage;      // why the copy fails the engine's integrity check; empty when sound
};

// What the engine's integrity check finds wrong with the database file at
// `path` (its first complaint, or why it cannot be read); empty when sound.
// It waits on a busy file as every connection does; a file that stays
// locked is not judged: DbError, as the connection reports a locked file.
QString damageOf(const QString& path);

// What restoreDatabase did with the data it replaced.
struct RestoreResult {
    QString saved;     // the copy of the replaced data; empty when there was no data.mdb
    bool keptDamaged = false; // the replaced data.mdb was damaged and was kept byte for byte
};

// Writes a complete copy of the database that `connection` names to
// data/backup/data-YYYYMMDD-HHMMSS.mdb, synced with its name, and returns its
// path. Throws BackupError (nothing is left behind) when the copy cannot be
// made, or DbError when the connection cannot be made (no file is made then).
QString backupDatabase(Connection& connection);

// The copies in the backup folder, newest first.
QList<BackupCopy> listBackups(const Connection& connection);

// How many copies the backup folder holds, without opening them.
int countBackups(const Connection& connection);

// Puts the copy at `copyPath` in place of the database. A copy that fails
// the integrity check, or that a newer program made, is refused. A sound
// database is first copied as backupDatabase does; a damaged one (or a file
// that is no database) is kept as it is, byte for byte, as
// data/backup/data-YYYYMMDD-HHMMSS-damaged.mdb, with its journal beside it;
// a missing one needs no copy, and a journal it left is kept as
// data/backup/data-YYYYMMDD-HHMMSS-missing.mdb-journal. A database another
// program keeps locked is left alone. The restored file is checked
// afterwards. Throws BackupError, with the database unchanged, when a step
// fails.
RestoreResult restoreDatabase(Connection& connection, const QString& copyPath);

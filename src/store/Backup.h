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
};

// Writes a complete copy of the database that `connection` names to
// data/backup/data-YYYYMMDD-HHMMSS.mdb and returns its path. Throws
// BackupError (nothing is left behind) when the copy cannot be made.
QString backupDatabase(Connection& connection);

// The copies in the backup folder, newest first.
QList<BackupCopy> listBackups(const Connection& connection);

// How many copies the backup folder holds, without opening them.
int countBackups(const Connection& connection);

// Puts the copy at `copyPath` in place of the database, after first copying
// the database as backupDatabase does; returns the path of that copy.
// Throws BackupError, with the database unchanged, when either step fails.
QString restoreDatabase(Connection& connection, const QString& copyPath);

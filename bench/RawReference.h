#pragma once

// The yardsticks of the program's storing and export: the same work written
// straight against the C APIs of SQLite and libxlsxwriter, with nothing in
// between.

#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

struct sqlite3;

// One roster row's ten trimmed texts, UTF-8, in the order of rosterColumns.
using RosterTexts = std::array<QByteArray, 10>;

class RawDatabase {
public:
    // Opens the database file read-write with the program's own journal
    // settings (Connection::journalSettings), so that a commit costs the same.
    explicit RawDatabase(const QString& path);
    ~RawDatabase();
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    // Inserts every row into t_bjgmd, one prepared statement rebound per
    // row, each row committed on its own as the import commits it.
    void storeRoster(const std::vector<RosterTexts>& rows);

    // Reads hbkap and writes the export's cells and formats (titles, text
    // format "@ ", font and borders on A2:F(n + 2)) to an .xlsx file.
    // Returns the rows written.
    int exportArrangement(const QString& xlsxPath);

private:
    void exec(const QByteArray& sql);

    sqlite3* db = nullptr;
};

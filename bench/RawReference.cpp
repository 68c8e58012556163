#include "RawReference.h"

#include "ArrangementSheet.h"
#include "Connection.h"
#include "RosterSheet.h"

#include <QFile>
#include <sqlite3.h>
#include <stdexcept>
#include <xlsxwriter.h>

namespace {

void check(sqlite3* db, int rc)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db));
}

struct Statement {
    sqlite3_stmt* handle = nullptr;
    Statement(sqlite3* db, const QByteArray& sql) { check(db, sqlite3_prepare_v2(db, sql.constData(), -1, &handle, nullptr)); }
    ~Statement() { sqlite3_finalize(handle); }
};

}  // namespace

RawDatabase::RawDatabase(const QString& path)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    sqlite3_busy_timeout(db, 5000);
    for (const QString& setting : Connection::journalSettings())
        exec(setting.toUtf8());
}

RawDatabase::~RawDatabase()
{
    sqlite3_close(db);
}

void RawDatabase::exec(const QByteArray& sql)
{
    check(db, sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr));
}

void RawDatabase::storeRoster(const std::vector<RosterTexts>& rows)
{
    QByteArray names;
    QByteArray marks;
    for (const RosterColumn& c : rosterColumns) {
        names += (names.isEmpty() ? "" : ",") + QByteArray(c.field);
        marks += marks.isEmpty() ? "?" : ",?";
    }
    const Statement insert(db, "insert into t_bjgmd(" + names + ") values(" + marks + ")");
    for (const RosterTexts& row : rows) {
        for (int c = 0; c < int(row.size()); ++c)
            sqlite3_bind_text(insert.handle, c + 1, row[c].constData(), int(row[c].size()), SQLITE_STATIC);
        check(db, sqlite3_step(insert.handle));
        sqlite3_reset(insert.handle);
    }
}

int RawDatabase::exportArrangement(const QString& xlsxPath)
{
    const Statement query(db, arrangementStatement);
    std::vector<int> source(exportColumns.size(), -1);
    for (size_t c = 0; c < exportColumns.size(); ++c) {
        for (int i = 0; i < sqlite3_column_count(query.handle); ++i)
            if (sqlite3_stricmp(sqlite3_column_name(query.handle, i), exportColumns[c].field) == 0)
                source[c] = i;
        if (source[c] < 0)
            throw std::runtime_error("a column of the export is missing from hbkap");
    }

    lxw_workbook* book = workbook_new(QFile::encodeName(xlsxPath).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Sheet1");
    lxw_format* text = workbook_add_format(book);
    format_set_num_format(text, "@ ");
    lxw_format* framed = workbook_add_format(book);
    format_set_font_name(framed, "宋体");
    format_set_border(framed, LXW_BORDER_THIN);
    lxw_format* framedText = workbook_add_format(book);
    format_set_num_format(framedText, "@ ");
    format_set_font_name(framedText, "宋体");
    format_set_border(framedText, LXW_BORDER_THIN);

    for (size_t c = 0; c < exportColumns.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), exportColumns[c].title, nullptr);
    lxw_row_t row = 1;
    int rc;
    for (; (rc = sqlite3_step(query.handle)) == SQLITE_ROW; ++row) {
        for (size_t c = 0; c < exportColumns.size(); ++c) {
            lxw_format* format = c < 6 ? (exportColumns[c].asText ? framedText : framed)
                                       : (exportColumns[c].asText ? text : nullptr);
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(query.handle, source[c]));
            if (value && *value)
                worksheet_write_string(sheet, row, lxw_col_t(c), value, format);
            else
                worksheet_write_blank(sheet, row, lxw_col_t(c), format);
        }
    }
    check(db, rc);
    for (lxw_col_t c = 0; c < 6; ++c)
        worksheet_write_blank(sheet, row, c, framed);
    if (workbook_close(book) != LXW_NO_ERROR)
        throw std::runtime_error("the reference workbook was not written");
    return int(row) - 1;
}

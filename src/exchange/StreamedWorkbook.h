#pragma once

// A new workbook of one worksheet that is written as it is filled: each cell
// goes to the .xlsx writer when it is given, with each style's format made
// once, so a long export keeps no sheet of its own in memory. The workbook
// is kept in a private temporary folder in the program's own (current)
// folder, not the system's; only saveAs() puts it where the user chose,
// complete or not at all, so a failed or abandoned export leaves nothing
// under the user's name.
//
// Rows and columns count from 1. Every failure is a WorkbookError.

#include "Workbook.h"

#include <QByteArray>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <map>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

class StreamedWorkbook {
public:
    StreamedWorkbook();
    ~StreamedWorkbook();
    StreamedWorkbook(const StreamedWorkbook&) = delete;
    StreamedWorkbook& operator=(const StreamedWorkbook&) = delete;

    // The format cells of this style are written with; none for the default.
    lxw_format* format(const CellStyle& style);

    // Cells(r, c) of the worksheet: a text drawn with a format. An empty
    // text leaves the cell empty, with only its format.
    void write(int row, int column, const QString& text, lxw_format* format);

    // Makes the package and reads it back whole. Nothing can be added
    // afterwards. Throws when the package is not whole (a full disk), and
    // so does every later call and save: a workbook cut short is never
    // saved.
    void complete();

    // Writes the workbook as .xlsx, completing it first. A failure to put a
    // complete workbook in place may be followed by another place.
    void saveAs(const QString& path);

private:

    QTemporaryDir folder;
    QByteArray fileName;
    lxw_workbook* book = nullptr; // until completed
    QString failure;              // why the package is not whole
    lxw_worksheet* sheet = nullptr;
    std::map<CellStyle, lxw_format*> formats;
    QStringEncoder encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    QByteArray utf8;
};

// Writing .xlsx with libxlsxwriter. The file is written under a temporary
// name in the target folder and renamed into place when complete, so a
// failure never leaves half a workbook under the name the clerk chose.

#include "DiskSync.h"
#include "ReaderParts.h"
#include "StreamedWorkbook.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <xlsxwriter.h>

namespace {

struct WorkbookFree {
    void operator()(lxw_workbook* book) const { lxw_workbook_free(book); }
};

// A text as UTF-8, in one buffer reused for every cell: the library copies
// it at once. The library takes C strings, which end at a NUL; written as
// the workbook's escape for it, the text after it is kept.
const char* utf8Of(const QString& text, QStringEncoder& encoder, QByteArray& utf8)
{
    if (text.contains(QChar(0)))
        return utf8Of(QString(text).replace(QChar(0), QLatin1String("_x0000_")), encoder, utf8);
    utf8.resize(encoder.requiredSpace(text.size()) + 1);
    *encoder.appendToBuffer(utf8.data(), text) = '\0';
    return utf8.constData();
}

// A new format object for a style that is not the default.
lxw_format* newFormat(lxw_workbook* book, const CellStyle& style)
{
    lxw_format* format = workbook_add_format(book);
    if (!format)
        throw WorkbookError(QStringLiteral("内存不足"));
    if (!style.numberFormat.isEmpty())
        format_set_num_format(format, style.numberFormat.toUtf8().constData());
    if (!style.fontName.isEmpty())
        format_set_font_name(format, style.fontName.toUtf8().constData());
    if (style.border == BorderLine::Continuous)
        format_set_border(format, LXW_BORDER_THIN);
    return format;
}

// Has `write` make the file under a temporary name in the target folder and
// renames it into place when complete.
void writeInPlace(const QString& path, const std::function<void(const QByteArray& tempName)>& write)
{
    const QFileInfo target(path);
    if (target.isDir())
        throw WorkbookError::cannotSave(path, QStringLiteral("这是一个文件夹"));
    if (!target.absoluteDir().exists())
        throw WorkbookError::cannotSave(path, QStringLiteral("文件夹不存在"));
    QTemporaryFile temp(target.absoluteDir().filePath(QStringLiteral(".~%1.XXXXXX").arg(target.fileName())));
    if (!temp.open())
        throw WorkbookError::cannotSave(path, temp.errorString());
    temp.close();  // kept (and removed when done) while it is written
    const QByteArray tempName = QFile::encodeName(temp.fileName());
    write(tempName);
    if (std::rename(tempName.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw WorkbookError::cannotSave(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (const QString reason = syncFolderOf(target.absoluteFilePath()); !reason.isEmpty())
        throw WorkbookError::cannotSave(path, reason);
    // The temporary file was private to this user; the workbook is an ordinary file.
    QFile::setPermissions(target.absoluteFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                         | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

class XlsxWriter {
public:
    XlsxWriter(lxw_workbook* book, const QString& path) : book(book), path(path) {}

    void writeSheet(const Worksheet& sheet)
    {
        const QByteArray name = sheet.name().toUtf8();
        lxw_worksheet* ws = workbook_add_worksheet(book, name.constData());
        if (!ws)
            throw WorkbookError::cannotSave(path, QStringLiteral("工作表名称无效：%1").arg(sheet.name()));
        writeColumns(ws, sheet);

        // Every cell that has a value or a style of its own, in order.
        const CellValue empty;
        const CellStyle plain;
        const CellValues values = sheet.values();
        auto value = values.begin();
        auto style = sheet.styles().begin();
        const auto valuesEnd = values.end();
        const auto stylesEnd = sheet.styles().end();
        while (value != valuesEnd || style != stylesEnd) {
            const bool valueLeft = value != valuesEnd;
            const std::pair<CellPos, CellValue> next = valueLeft ? *value : std::pair<CellPos, CellValue>{};
            const bool hasValue = valueLeft && (style == stylesEnd || next.first <= style->first);
            const bool hasStyle = style != stylesEnd && (!valueLeft || style->first <= next.first);
            const CellPos pos = hasValue ? next.first : style->first;
            const CellValue& cell = hasValue ? next.second : empty;
            const CellStyle& own = hasStyle ? style->second : plain;
            if (own.numberFormat.isEmpty() && !sheet.columnNumberFormats().empty())
                writeCell(ws, pos, cell, sheet.style(pos.row, pos.column));  // with its column's number format
            else
                writeCell(ws, pos, cell, own);
            if (hasValue)
                ++value;
            if (hasStyle)
                ++style;
        }
    }

private:
    // The columns with a width or a number format of their own.
    void writeColumns(lxw_worksheet* ws, const Worksheet& sheet)
    {
        std::set<int> columns;
        for (const auto& [column, format] : sheet.columnNumberFormats())
            columns.insert(column);
        for (const auto& [column, width] : sheet.columnWidths())
            columns.insert(column);
        for (const int column : columns) {
            const auto width = sheet.columnWidths().find(column);
            const auto format = sheet.columnNumberFormats().find(column);
            check(worksheet_set_column(ws, lxw_col_t(column - 1), lxw_col_t(column - 1),
                                       width == sheet.columnWidths().end() ? LXW_DEF_COL_WIDTH : width->second,
                                       format == sheet.columnNumberFormats().end()
                                           ? nullptr
                                           : formatFor({format->second, {}, {}})));
        }
    }

    void writeCell(lxw_worksheet* ws, CellPos pos, const CellValue& cell, const CellStyle& style)
    {
        const lxw_row_t row = pos.row - 1;
        const lxw_col_t col = lxw_col_t(pos.column - 1);
        switch (cell.kind) {
        case CellValue::Kind::Empty:
            check(worksheet_write_blank(ws, row, col, formatFor(style)));
            break;
        // There is no cached error without a formula in this library, so an
        // error value is kept as its text.
        case CellValue::Kind::Text:
        case CellValue::Kind::Error:
            check(worksheet_write_string(ws, row, col, utf8Of(cell.text, encoder, utf8), formatFor(style)));
            break;
        case CellValue::Kind::Number:
            check(worksheet_write_number(ws, row, col, cell.number, formatFor(style)));
            break;
        case CellValue::Kind::Boolean:
            check(worksheet_write_boolean(ws, row, col, cell.number != 0, formatFor(style)));
            break;
        case CellValue::Kind::DateTime: {
            // A date needs a date format to read back as a date.
            CellStyle dated = style;
            if (dated.numberFormat.isEmpty())
                dated.numberFormat = cell.number < 1                          ? QStringLiteral("hh:mm:ss")
                                     : cell.number == std::floor(cell.number) ? QStringLiteral("yyyy-mm-dd")
                                                                              : QStringLiteral("yyyy-mm-dd hh:mm:ss");
            check(worksheet_write_number(ws, row, col, cell.number, formatFor(dated)));
            break;
        }
        }
    }

    // One format object per distinct style, as the library wants.
    lxw_format* formatFor(const CellStyle& style)
    {
        if (style.isDefault())
            return nullptr;
        // Neighbouring cells mostly share their style.
        if (lastFormat && style == lastStyle)
            return lastFormat;
        auto& format = formats[style];
        if (!format)
            format = newFormat(book, style);
        lastStyle = style;
        lastFormat = format;
        return format;
    }

    void check(lxw_error error) const
    {
        if (error != LXW_NO_ERROR)
            throw WorkbookError::cannotSave(path, QString::fromUtf8(lxw_strerror(error)));
    }

    lxw_workbook* book;
    const QString& path;
    std::map<CellStyle, lxw_format*> formats;
    CellStyle lastStyle;
    lxw_format* lastFormat = nullptr;
    QStringEncoder encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    QByteArray utf8;
};

void checkStreamed(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw WorkbookError(QStringLiteral("无法写入工作簿（%1）").arg(QString::fromUtf8(lxw_strerror(error))));
}

}  // namespace

void writeXlsx(const Workbook& workbook, const QString& path)
{
    writeInPlace(path, [&](const QByteArray& tempName) {
        std::unique_ptr<lxw_workbook, WorkbookFree> book(workbook_new(tempName.constData()));
        if (!book)
            throw WorkbookError::cannotSave(path, QStringLiteral("无法创建工作簿"));
        XlsxWriter writer(book.get(), path);
        for (const Worksheet& sheet : workbook.worksheets())
            writer.writeSheet(sheet);
        const lxw_error closed = workbook_close(book.release());  // writes and frees
        if (closed != LXW_NO_ERROR)
            throw WorkbookError::cannotSave(path, QString::fromUtf8(lxw_strerror(closed)));
    });
}

StreamedWorkbook::StreamedWorkbook()
{
    if (!folder.isValid())
        throw WorkbookError(QStringLiteral("无法创建临时文件夹（%1）").arg(folder.errorString()));
    fileName = QFile::encodeName(folder.filePath(QStringLiteral("workbook.xlsx")));
    book = workbook_new(fileName.constData());
    sheet = book ? workbook_add_worksheet(book, "Sheet1") : nullptr;
    if (!sheet)
        throw WorkbookError(QStringLiteral("无法创建工作簿"));
}

StreamedWorkbook::~StreamedWorkbook()
{
    lxw_workbook_free(book);
}

lxw_format* StreamedWorkbook::format(const CellStyle& style)
{
    if (style.isDefault())
        return nullptr;
    auto& format = formats[style];
    if (!format)
        format = newFormat(book, style);
    return format;
}

void StreamedWorkbook::write(int row, int column, const QString& text, lxw_format* format)
{
    if (!book)
        throw WorkbookError(QStringLiteral("工作簿已经写完。"));
    const lxw_row_t r = lxw_row_t(row - 1);
    const lxw_col_t c = lxw_col_t(column - 1);
    checkStreamed(text.isEmpty() ? worksheet_write_blank(sheet, r, c, format)
                                 : worksheet_write_string(sheet, r, c, utf8Of(text, encoder, utf8), format));
}

// The package is made once, in the private folder; every save copies it.
void StreamedWorkbook::finish()
{
    if (!book)
        return;
    lxw_workbook* done = book;
    book = nullptr;
    sheet = nullptr;
    checkStreamed(workbook_close(done));  // writes and frees
}

void StreamedWorkbook::saveAs(const QString& path)
{
    finish();
    writeInPlace(path, [&](const QByteArray& tempName) {
        std::error_code error;
        std::filesystem::copy_file(fileName.constData(), tempName.constData(),
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error)
            throw WorkbookError::cannotSave(path, QString::fromLocal8Bit(error.message()));
    });
}

// Writing .xlsx with libxlsxwriter. The file is written under a temporary
// name in the target folder and renamed into place when complete, so a
// failure never leaves half a workbook under the name the clerk chose.

#include "ReaderParts.h"

#include <QDir>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryFile>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <xlsxwriter.h>

namespace {

struct WorkbookFree {
    void operator()(lxw_workbook* book) const { lxw_workbook_free(book); }
};

class XlsxWriter {
public:
    XlsxWriter(lxw_workbook* book, const QString& path) : book(book), path(path) {}

    void writeSheet(const Worksheet& sheet)
    {
        const QByteArray name = sheet.name().toUtf8();
        lxw_worksheet* ws = workbook_add_worksheet(book, name.constData());
        if (!ws)
            throw WorkbookError::cannotSave(path, QStringLiteral("工作表名称无效：%1").arg(sheet.name()));
        for (const auto& [column, format] : sheet.columnNumberFormats())
            check(worksheet_set_column(ws, column - 1, column - 1, LXW_DEF_COL_WIDTH, formatFor({format, {}, {}})));

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
            check(worksheet_write_string(ws, row, col, utf8Of(cell.text), formatFor(style)));
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

    // A text as UTF-8, in one buffer reused for every cell: the library
    // copies it at once. The library takes C strings, which end at a NUL;
    // written as the workbook's escape for it, the text after it is kept.
    const char* utf8Of(const QString& text)
    {
        if (text.contains(QChar(0)))
            return utf8Of(QString(text).replace(QChar(0), QLatin1String("_x0000_")));
        utf8.resize(encoder.requiredSpace(text.size()) + 1);
        *encoder.appendToBuffer(utf8.data(), text) = '\0';
        return utf8.constData();
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
        if (!format) {
            format = workbook_add_format(book);
            if (!format)
                throw WorkbookError::cannotSave(path, QStringLiteral("内存不足"));
            if (!style.numberFormat.isEmpty())
                format_set_num_format(format, style.numberFormat.toUtf8().constData());
            if (!style.fontName.isEmpty())
                format_set_font_name(format, style.fontName.toUtf8().constData());
            if (style.border == BorderLine::Continuous)
                format_set_border(format, LXW_BORDER_THIN);
        }
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

}  // namespace

void writeXlsx(const Workbook& workbook, const QString& path)
{
    const QFileInfo target(path);
    if (target.isDir())
        throw WorkbookError::cannotSave(path, QStringLiteral("这是一个文件夹"));
    if (!target.absoluteDir().exists())
        throw WorkbookError::cannotSave(path, QStringLiteral("文件夹不存在"));
    QTemporaryFile temp(target.absoluteDir().filePath(QStringLiteral(".~%1.XXXXXX").arg(target.fileName())));
    if (!temp.open())
        throw WorkbookError::cannotSave(path, temp.errorString());
    temp.close();  // kept (and removed when done) while the library writes it
    const QByteArray tempName = QFile::encodeName(temp.fileName());

    std::unique_ptr<lxw_workbook, WorkbookFree> book(workbook_new(tempName.constData()));
    if (!book)
        throw WorkbookError::cannotSave(path, QStringLiteral("无法创建工作簿"));
    XlsxWriter writer(book.get(), path);
    for (const Worksheet& sheet : workbook.worksheets())
        writer.writeSheet(sheet);
    const lxw_error closed = workbook_close(book.release());  // writes and frees
    if (closed != LXW_NO_ERROR)
        throw WorkbookError::cannotSave(path, QString::fromUtf8(lxw_strerror(closed)));
    if (std::rename(tempName.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw WorkbookError::cannotSave(path, QString::fromLocal8Bit(std::strerror(errno)));
    // The temporary file was private to this user; the workbook is an ordinary file.
    QFile::setPermissions(target.absoluteFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                         | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

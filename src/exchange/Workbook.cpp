#include "Workbook.h"

#include "CellText.h"
#include "ReaderParts.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

WorkbookError::WorkbookError(const QString& message) : std::runtime_error(message.toStdString()) {}

WorkbookError WorkbookError::notFound(const QString& path)
{
    return WorkbookError(QStringLiteral("文件不存在：%1").arg(path));
}

WorkbookError WorkbookError::notAFile(const QString& path)
{
    return WorkbookError(QStringLiteral("不是文件：%1").arg(path));
}

WorkbookError WorkbookError::invalidFile(const QString& path, const QString& detail)
{
    return WorkbookError(QStringLiteral("不是有效的Excel文件：%1（%2）").arg(path, detail));
}

WorkbookError WorkbookError::encrypted(const QString& path)
{
    return WorkbookError(QStringLiteral("文件已加密，无法读取：%1").arg(path));
}

WorkbookError WorkbookError::cannotSave(const QString& path, const QString& detail)
{
    return WorkbookError(QStringLiteral("无法保存文件：%1（%2）").arg(path, detail));
}

namespace {

int columnNumber(const QString& letters)
{
    int n = 0;
    for (QChar ch : letters)
        n = n * 26 + (ch.toUpper().unicode() - 'A' + 1);
    return n;
}

CellPos positionOf(const QString& letters, const QString& digits, const QString& address)
{
    bool ok = false;
    const int row = digits.toInt(&ok);
    const int column = columnNumber(letters);
    if (!ok || row < 1 || row > Worksheet::maxRows || column > Worksheet::maxColumns)
        throw WorkbookError(QStringLiteral("单元格地址无效：%1").arg(address));
    return {row, column};
}

}  // namespace

CellRange CellRange::fromAddress(const QString& address)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\$?([A-Za-z]{1,3})\\$?([0-9]{1,7})(?::\\$?([A-Za-z]{1,3})\\$?([0-9]{1,7}))?$"));
    const auto m = pattern.match(address.trimmed());
    if (!m.hasMatch())
        throw WorkbookError(QStringLiteral("单元格地址无效：%1").arg(address));
    const CellPos a = positionOf(m.captured(1), m.captured(2), address);
    const CellPos b = m.hasCaptured(3) ? positionOf(m.captured(3), m.captured(4), address) : a;
    return {{std::min(a.row, b.row), std::min(a.column, b.column)},
            {std::max(a.row, b.row), std::max(a.column, b.column)}};
}

bool CellRange::contains(CellPos p) const
{
    return p.row >= first.row && p.row <= last.row && p.column >= first.column && p.column <= last.column;
}

template <typename Change> void Range::forEachCell(Change change)
{
    Worksheet::checkPosition(area.first.row, area.first.column);
    Worksheet::checkPosition(area.last.row, area.last.column);
    auto& styles = sheet.cellStyles;
    // Row by row in the order the styles are kept: one search per row.
    for (int r = area.first.row; r <= area.last.row; ++r) {
        auto at = styles.lower_bound({r, area.first.column});
        for (int c = area.first.column; c <= area.last.column; ++c, ++at) {
            if (at == styles.end() || at->first != CellPos{r, c})
                at = styles.emplace_hint(at, CellPos{r, c}, CellStyle{});
            change(at->second);
        }
    }
}

void Range::setFontName(const QString& name)
{
    forEachCell([&](CellStyle& s) { s.fontName = name; });
}

void Range::setBorderLineStyle(BorderLine line)
{
    forEachCell([&](CellStyle& s) { s.border = line; });
}

void Range::setNumberFormat(const QString& format)
{
    forEachCell([&](CellStyle& s) { s.numberFormat = format; });
}

void Worksheet::checkPosition(int row, int column)
{
    if (row < 1 || row > maxRows || column < 1 || column > maxColumns)
        throw WorkbookError(QStringLiteral("单元格位置超出范围：第%1行第%2列").arg(row).arg(column));
}

std::size_t Worksheet::indexOf(CellPos pos) const
{
    settle();
    // Cells are mostly asked for and set in order: past the last cell is the end.
    if (cells.empty() || cells.back().pos() < pos)
        return cells.size();
    const auto at = std::lower_bound(cells.begin(), cells.end(), pos,
                                     [](const StoredCell& cell, CellPos p) { return cell.pos() < p; });
    return std::size_t(at - cells.begin());
}

Worksheet::StoredCell Worksheet::stored(CellPos pos, const CellValue& value)
{
    static_assert(sizeof(StoredCell) == 16);
    StoredCell cell{pos.row, quint16(pos.column), value.kind, {value.number}};
    if (value.kind == CellValue::Kind::Text || value.kind == CellValue::Kind::Error) {
        const auto known = textIndex.constFind(value.text);
        if (known != textIndex.cend()) {
            cell.text = known.value();
        } else {
            cell.text = quint32(texts.size());
            textIndex.insert(value.text, cell.text);
            texts.push_back(value.text);
        }
    }
    return cell;
}

CellValue Worksheet::valueOf(const StoredCell& cell) const
{
    if (cell.kind == CellValue::Kind::Text || cell.kind == CellValue::Kind::Error)
        return {cell.kind, texts[cell.text], 0};
    return {cell.kind, {}, cell.number};
}

CellValue Worksheet::cell(int row, int column) const
{
    const std::size_t at = indexOf({row, column});
    return at < cells.size() && cells[at].pos() == CellPos{row, column} ? valueOf(cells[at]) : CellValue{};
}

void Worksheet::setCell(int row, int column, const CellValue& value)
{
    checkPosition(row, column);
    const CellPos pos{row, column};
    if (sortedCells == cells.size()) {
        const std::size_t at = indexOf(pos);
        const bool held = at < cells.size() && cells[at].pos() == pos;
        if (held && value.isEmpty()) {
            cells.erase(cells.begin() + std::ptrdiff_t(at));
            --sortedCells;
            return;
        }
        if (held) {
            cells[at] = stored(pos, value);
            return;
        }
        if (value.isEmpty())
            return;
        if (at == cells.size()) {
            cells.push_back(stored(pos, value));
            ++sortedCells;
            return;
        }
    }
    cells.push_back(stored(pos, value));
}

void Worksheet::settle() const
{
    if (sortedCells == cells.size())
        return;
    const auto byPosition = [](const StoredCell& a, const StoredCell& b) { return a.pos() < b.pos(); };
    // Both steps are stable: of the values one cell was given, the last
    // comes last.
    const auto waiting = cells.begin() + std::ptrdiff_t(sortedCells);
    std::stable_sort(waiting, cells.end(), byPosition);
    std::inplace_merge(cells.begin(), waiting, cells.end(), byPosition);
    auto kept = cells.begin();
    for (auto at = cells.begin(); at != cells.end(); ++at) {
        const auto next = at + 1;
        const bool last = next == cells.end() || next->pos() != at->pos();
        if (last && at->kind != CellValue::Kind::Empty)
            *kept++ = *at;
    }
    cells.erase(kept, cells.end());
    sortedCells = cells.size();
}

void Worksheet::setNumberFormat(int row, int column, const QString& format)
{
    styleAt({row, column}).numberFormat = format;
}

void Worksheet::setColumnNumberFormat(int column, const QString& format)
{
    checkPosition(1, column);
    columnFormats[column] = format;
}

void Worksheet::setColumnWidth(int column, double width)
{
    checkPosition(1, column);
    widths[column] = width;
}

namespace {

// Columns a text takes in a sheet: wide (East Asian) characters two.
int displayWidth(const QString& text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4())
        width += c >= 0x1100 && (c <= 0x115F || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
                                 || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
                                 || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000)
                     ? 2
                     : 1;
    return width;
}

} // namespace

void Worksheet::fitColumnWidths(double widest)
{
    settle();
    constexpr double defaultWidth = 8.43; // the spreadsheet programs' default
    std::map<int, int> longest;
    for (const StoredCell& cell : cells) {
        const QString shown = cell.kind == CellValue::Kind::Number ? QString::number(cell.number) : valueOf(cell).text;
        longest[cell.column] = std::max(longest[cell.column], displayWidth(shown));
    }
    for (const auto& [column, characters] : longest)
        setColumnWidth(column, std::clamp(characters + 2.0, defaultWidth, widest)); // a little air either side
}

CellStyle& Worksheet::styleAt(CellPos pos)
{
    checkPosition(pos.row, pos.column);
    if (cellStyles.empty() || cellStyles.rbegin()->first < pos)
        return cellStyles.emplace_hint(cellStyles.end(), pos, CellStyle{})->second;
    return cellStyles[pos];
}

CellStyle Worksheet::style(int row, int column) const
{
    const auto own = cellStyles.find({row, column});
    CellStyle s = own == cellStyles.end() ? CellStyle{} : own->second;
    if (s.numberFormat.isEmpty()) {
        const auto col = columnFormats.find(column);
        if (col != columnFormats.end())
            s.numberFormat = col->second;
    }
    return s;
}

int Worksheet::lastRow() const
{
    settle();
    return cells.empty() ? 0 : cells.back().row;
}

int Worksheet::lastColumn() const
{
    settle();
    int last = 0;
    for (const StoredCell& cell : cells)
        last = std::max<int>(last, cell.column);
    return last;
}

CellValues::CellValues(const Worksheet& sheet) : sheet(sheet)
{
    sheet.settle();
}

CellValues::iterator::value_type CellValues::iterator::operator*() const
{
    const Worksheet::StoredCell& cell = sheet->cells[index];
    return {cell.pos(), sheet->valueOf(cell)};
}

CellValues::iterator CellValues::end() const
{
    return {sheet, sheet.cells.size()};
}

CellValues::iterator CellValues::lower_bound(CellPos pos) const
{
    return {sheet, sheet.indexOf(pos)};
}

std::size_t CellValues::size() const
{
    return sheet.cells.size();
}

Workbook::Workbook() : sheets{Worksheet()} {}

Workbook Workbook::open(const QString& path, const ReadBounds& bounds)
{
    // Well above any roster (100,000 rows take about 15 MB); keeps a wrong
    // file from filling the memory.
    constexpr qint64 maxFileSize = 64 * 1024 * 1024;

    const QFileInfo info(path);
    if (!info.exists())
        throw WorkbookError::notFound(path);
    if (!info.isFile())
        throw WorkbookError::notAFile(path);
    if (info.size() > maxFileSize)
        throw WorkbookError::invalidFile(path, QStringLiteral("文件过大"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WorkbookError(QStringLiteral("无法打开文件：%1（%2）").arg(path, file.errorString()));
    // As much as the file holds, not a buffer of the largest size allowed.
    const QByteArray data = file.read(std::min(file.size(), maxFileSize) + 1);

    // Told apart by the container's signature, so a renamed file still opens.
    static const QByteArray ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (data.startsWith(ole))
        return Workbook(readXls(data, path, bounds));
    if (data.startsWith("PK\x03\x04") || data.startsWith("PK\x05\x06"))
        return Workbook(readXlsx(data, path, bounds));
    throw WorkbookError::invalidFile(path, data.isEmpty() ? QStringLiteral("文件为空")
                                                          : QStringLiteral("既不是.xls也不是.xlsx格式"));
}

void Workbook::saveAs(const QString& path) const
{
    writeXlsx(*this, path);
}

namespace {

// Half of a character pair (an _xD800_ escape, a cut UTF-16 string) cannot
// be stored as text: it becomes U+FFFD, as a text decoder does.
QString withoutLoneSurrogates(const QString& text)
{
    QString out = text; // shares the characters until one is replaced
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

// Far above any roster's shared strings, far below what fills the memory.
constexpr qsizetype maxSharedStrings = 4'000'000;
constexpr qsizetype maxSharedChars = 32 * 1024 * 1024;

} // namespace

void StringTable::append(QStringView text)
{
    if (size() >= maxSharedStrings || chars.size() + text.size() > maxSharedChars)
        throw WorkbookError::invalidFile(path, QStringLiteral("共享字符串过多，不是可以导入的名单"));
    chars += text;
    ends.push_back(quint32(chars.size()));
}

QString StringTable::at(qsizetype index) const
{
    const quint32 begin = index == 0 ? 0 : ends[size_t(index - 1)];
    return chars.mid(begin, ends[size_t(index)] - begin);
}

CellSink::CellSink(Worksheet& sheet, const ReadBounds& bounds, const QString& path)
    : sheet(sheet), bounds(bounds), path(path), keyedUpTo(bounds.firstKeyRow - 1)
{
}

void CellSink::put(int row, int column, const CellValue& value)
{
    if (bounds.keyColumn > 0 && row > keyedUpTo + 1)
        // Row keyedUpTo + 1 has passed with its key blank: the data end there.
        done = true;
    if (done) {
        if (wants(column) && row != lastCountedRow && !trimBlanks(cellText(value)).isEmpty()) {
            lastCountedRow = row;
            sheet.countRowPastKeyedEnd();
        }
        return;
    }
    if (bounds.keyColumn > 0) {
        if (row == keyedUpTo + 1 && column == bounds.keyColumn && !trimBlanks(cellText(value)).isEmpty()) {
            keyedUpTo = row;
            if (keyedUpTo - bounds.firstKeyRow + 1 > bounds.maxKeyedRows)
                throw WorkbookError::invalidFile(path, QStringLiteral("超过%1行数据，请分成几个文件导入").arg(bounds.maxKeyedRows));
        }
    }
    if (!wants(column) || value.isEmpty())
        return;
    if (value.kind == CellValue::Kind::Text)
        sheet.setCell(row, column, CellValue::fromText(withoutLoneSurrogates(value.text)));
    else
        sheet.setCell(row, column, value);
}

#pragma once

// The in-process workbook: what the program does with a spreadsheet (open a
// file and read the first worksheet's cells, or fill a new worksheet with
// text, formats, a font and borders and save it as .xlsx) without a
// spreadsheet application.
//
// Rows and columns count from 1. Every failure is a WorkbookError; callers
// catch it (it must never unwind through Qt's event loop).

#include <QHash>
#include <QList>
#include <QString>
#include <deque>
#include <iterator>
#include <map>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

// A failure to read or write a workbook. The message is Chinese, for the clerk.
class WorkbookError : public std::runtime_error {
public:
    explicit WorkbookError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }

    static WorkbookError notFound(const QString& path);
    static WorkbookError notAFile(const QString& path);
    static WorkbookError invalidFile(const QString& path, const QString& detail);
    static WorkbookError encrypted(const QString& path);
    static WorkbookError cannotSave(const QString& path, const QString& detail);
};

// One cell's value as the file stores it.
struct CellValue {
    enum class Kind : quint8 { Empty, Text, Number, Boolean, Error, DateTime };

    Kind kind = Kind::Empty;
    QString text;       // Text: the text; Error: its code, e.g. "#N/A"
    double number = 0;  // Number: the value; DateTime: the serial day number
                        // (1900 system: 1.0 is 1900-01-01); Boolean: 1 or 0

    static CellValue fromText(const QString& t) { return {Kind::Text, t, 0}; }
    static CellValue fromNumber(double v) { return {Kind::Number, {}, v}; }
    static CellValue fromBoolean(bool b) { return {Kind::Boolean, {}, b ? 1.0 : 0.0}; }
    static CellValue fromError(const QString& code) { return {Kind::Error, code, 0}; }
    static CellValue fromDateSerial(double serial) { return {Kind::DateTime, {}, serial}; }

    bool isEmpty() const { return kind == Kind::Empty; }
    bool operator==(const CellValue&) const = default;
};

struct CellPos {
    int row = 1;
    int column = 1;
    auto operator<=>(const CellPos&) const = default;
};

// A block of cells, inclusive on both ends.
struct CellRange {
    CellPos first;
    CellPos last;

    // "A2:F12", "a2:f12" or a single cell "B3"; throws WorkbookError otherwise.
    static CellRange fromAddress(const QString& address);
    bool contains(CellPos p) const;
};

enum class BorderLine { None, Continuous };

// How one cell is drawn. Empty fields mean the default.
struct CellStyle {
    QString numberFormat;  // e.g. "@ " (text)
    QString fontName;      // e.g. "宋体"
    BorderLine border = BorderLine::None;

    bool isDefault() const { return numberFormat.isEmpty() && fontName.isEmpty() && border == BorderLine::None; }
    bool operator==(const CellStyle&) const = default;
    bool operator<(const CellStyle& o) const
    {
        return std::tie(numberFormat, fontName, border) < std::tie(o.numberFormat, o.fontName, o.border);
    }
};

class Worksheet;

// A block of one worksheet, as the automation's Range object: setting a
// property sets it on every cell of the block.
class Range {
public:
    Range(Worksheet& sheet, CellRange area) : sheet(sheet), area(area) {}

    void setFontName(const QString& name);
    void setBorderLineStyle(BorderLine line);
    void setNumberFormat(const QString& format);

private:
    template <typename Change> void forEachCell(Change change);

    Worksheet& sheet;
    CellRange area;
};

// The cells of a worksheet that hold a value, row by row and left to
// right, each as its position and value.
class CellValues {
public:
    class iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = std::pair<CellPos, CellValue>;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = value_type;

        iterator(const Worksheet& sheet, std::size_t index) : sheet(&sheet), index(index) {}
        value_type operator*() const;
        iterator& operator++()
        {
            ++index;
            return *this;
        }
        bool operator==(const iterator& o) const { return index == o.index; }

    private:
        const Worksheet* sheet;
        std::size_t index;
    };

    // Sorts in the cells the sheet was given out of order.
    explicit CellValues(const Worksheet& sheet);
    iterator begin() const { return {sheet, 0}; }
    iterator end() const;
    // The first cell at or after `pos`.
    iterator lower_bound(CellPos pos) const;
    std::size_t size() const;

private:
    const Worksheet& sheet;
};

class Worksheet {
public:
    // Largest position a workbook can hold (.xlsx limits).
    static constexpr int maxRows = 1048576;
    static constexpr int maxColumns = 16384;

    explicit Worksheet(const QString& name = QStringLiteral("Sheet1")) : sheetName(name) {}

    const QString& name() const { return sheetName; }

    // Cells(r, c).Value get: the empty value outside the used cells.
    CellValue cell(int row, int column) const;
    // Cells(r, c).Value set; throws WorkbookError outside the sheet's limits.
    void setCell(int row, int column, const CellValue& value);
    void setCell(int row, int column, const QString& text) { setCell(row, column, CellValue::fromText(text)); }

    // Cells(r, c).NumberFormat set.
    void setNumberFormat(int row, int column, const QString& format);
    // A whole column's number format; a cell's own format wins over it.
    void setColumnNumberFormat(int column, const QString& format);
    // A column's width in characters of the default font; other columns
    // keep the default width.
    void setColumnWidth(int column, double width);
    // Sets every column that holds a value as wide as its longest value (a Chinese
    // character is two characters wide), never narrower than the default
    // nor wider than `widest`, so that a long text does not push the others
    // out of view.
    void fitColumnWidths(double widest = 60);

    Range range(const QString& address) { return Range(*this, CellRange::fromAddress(address)); }
    Range range(CellRange area) { return Range(*this, area); }

    // The style a cell is drawn with: its own, with the column's number
    // format where the cell has none.
    CellStyle style(int row, int column) const;
    CellStyle& styleAt(CellPos pos);  // the cell's own style, created on demand

    // Last row and column that hold a value (0 when the sheet is empty).
    int lastRow() const;
    // Rows below the end of a keyed read that hold a value the reader did
    // not keep (see ReadBounds).
    int rowsPastKeyedEnd() const { return pastKeyedEnd; }
    void countRowPastKeyedEnd() { ++pastKeyedEnd; }
    int lastColumn() const;

    CellValues values() const { return CellValues(*this); }
    const std::map<CellPos, CellStyle>& styles() const { return cellStyles; }
    const std::map<int, QString>& columnNumberFormats() const { return columnFormats; }
    const std::map<int, double>& columnWidths() const { return widths; }

    static void checkPosition(int row, int column);

private:
    friend class Range;
    friend class CellValues;

    // One cell that holds a value, in 16 bytes: a roster of 100,000 rows
    // is read whole. A text is one of `texts`; a number is in `number`.
    struct StoredCell {
        int row;
        quint16 column;
        CellValue::Kind kind;
        union {
            double number;
            quint32 text;
        };

        CellPos pos() const { return {row, column}; }
    };

    std::size_t indexOf(CellPos pos) const;  // of the first cell at or after pos
    void settle() const;
    StoredCell stored(CellPos pos, const CellValue& value);
    CellValue valueOf(const StoredCell& cell) const;

    QString sheetName;
    // Sorted by position up to `sortedCells`; a deque grows without moving
    // what it holds, so reading never needs twice the room for a moment.
    // Cells given out of order (a file that lists its rows backwards) wait
    // after them, in the order given, an empty one standing for a removal,
    // and are sorted in at once when the sheet is next read: an insert each
    // would take time growing with the square of the cells.
    mutable std::deque<StoredCell> cells;
    mutable std::size_t sortedCells = 0;
    // Each distinct text once: a roster repeats its courses, teachers and
    // departments on every row, and the cells hand out shared copies, so
    // that the rows an import keeps share them too. A text no cell holds
    // any more stays: sheets are filled once, cell by cell.
    std::vector<QString> texts;
    QHash<QString, quint32> textIndex;
    std::map<CellPos, CellStyle> cellStyles;
    std::map<int, QString> columnFormats;
    std::map<int, double> widths;
    int pastKeyedEnd = 0;
};

// What a reader keeps of the first worksheet. By default every cell; a
// caller that uses only a block of it (the roster import) names the block,
// and the reader stops there, so a hostile file cannot fill the memory.
struct ReadBounds {
    int columns = Worksheet::maxColumns; // columns 1 to `columns` are kept
    // With a key column, keeping cells ends at the first row from
    // `firstKeyRow` on whose key cell is blank; rows further down that hold
    // a value are only counted (Worksheet::rowsPastKeyedEnd). More than
    // `maxKeyedRows` keyed rows are refused.
    int keyColumn = 0;
    int firstKeyRow = 2;
    int maxKeyedRows = Worksheet::maxRows;
};

class Workbook {
public:
    // Workbooks.Add: a new workbook with one empty worksheet.
    Workbook();

    // Workbooks.Open: reads an .xls (BIFF5/BIFF8) or .xlsx file, told apart
    // by content. Only the first worksheet by position is read, whichever
    // sheet is active, so the result holds that one sheet, within `bounds`.
    static Workbook open(const QString& path, const ReadBounds& bounds = {});

    // WorkSheets(1): the first worksheet by position.
    Worksheet& firstSheet() { return sheets.first(); }
    const Worksheet& firstSheet() const { return sheets.first(); }

    QList<Worksheet>& worksheets() { return sheets; }
    const QList<Worksheet>& worksheets() const { return sheets; }

    // Writes the workbook as .xlsx. The file appears complete or not at all.
    void saveAs(const QString& path) const;

private:
    // Takes the sheet over: a sheet read from a file is never copied.
    explicit Workbook(Worksheet&& sheet) { sheets.append(std::move(sheet)); }

    QList<Worksheet> sheets;
};

// What the writer saves reads back the same, carries the number format,
// font and borders the export sets, and a failed save leaves no file.

#include "CellText.h"
#include "FileFaults.h"
#include "MadeFiles.h"
#include "ReaderParts.h"
#include "Workbook.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct DrawnStyle {
    QString numberFormat;
    QString fontName;
    bool bordered = false;
};

// How each cell of the saved sheet is drawn, read from the package itself.
QMap<QString, DrawnStyle> drawnStyles(const QString& xlsx)
{
    QMap<int, QString> formatCodes;
    QList<QString> fonts;
    QList<bool> borders;
    QList<DrawnStyle> xfs;
    QXmlStreamReader styles(readZipPart(xlsx, QStringLiteral("xl/styles.xml")));
    QString section;
    bool borderHasLine = false;
    while (!styles.atEnd()) {
        styles.readNext();
        if (styles.isEndElement() && styles.name() == u"border")
            borders << borderHasLine;
        if (!styles.isStartElement())
            continue;
        const auto name = styles.name();
        const auto attr = styles.attributes();
        if (name == u"fonts" || name == u"borders" || name == u"cellXfs" || name == u"cellStyleXfs")
            section = name.toString();
        else if (name == u"numFmt")
            formatCodes[attr.value(QLatin1String("numFmtId")).toInt()] = attr.value(QLatin1String("formatCode")).toString();
        else if (name == u"name" && section == u"fonts")
            fonts << attr.value(QLatin1String("val")).toString();
        else if (name == u"border")
            borderHasLine = false;
        else if (section == u"borders" && attr.value(QLatin1String("style")) == u"thin")
            borderHasLine = true;
        else if (name == u"xf" && section == u"cellXfs")
            xfs << DrawnStyle{formatCodes.value(attr.value(QLatin1String("numFmtId")).toInt()), fonts.value(attr.value(QLatin1String("fontId")).toInt()),
                              borders.value(attr.value(QLatin1String("borderId")).toInt())};
    }
    QMap<QString, DrawnStyle> cells;
    QXmlStreamReader sheet(readZipPart(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    while (!sheet.atEnd())
        if (sheet.readNext() == QXmlStreamReader::StartElement && sheet.name() == u"c")
            cells[sheet.attributes().value(QLatin1String("r")).toString()] = xfs.value(sheet.attributes().value(QLatin1String("s")).toInt());
    return cells;
}

TEST(RoundTrip, ValuesReadBackAsWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("values.xlsx"));
    const QList<CellValue> values{
        CellValue::fromText(QStringLiteral("补考")), CellValue::fromText(QStringLiteral(" 0023707 ")),
        CellValue::fromText(QStringLiteral("a\r\nb\u0001")), CellValue::fromNumber(2020023918),
        CellValue::fromNumber(0.1), CellValue::fromBoolean(true), CellValue::fromDateSerial(42663),
        CellValue::fromDateSerial(44197.5), CellValue::fromText(QString(32767, QChar(u'长'))),
    };
    Workbook book;
    for (int i = 0; i < values.size(); ++i)
        book.firstSheet().setCell(i + 1, i % 3 + 1, values[i]);
    book.saveAs(path);

    const Workbook read = Workbook::open(path);
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(cellText(read.firstSheet().cell(i + 1, i % 3 + 1)), cellText(values[i])) << "value " << i;
    EXPECT_EQ(read.firstSheet().lastRow(), values.size());
    EXPECT_EQ(read.firstSheet().name(), QStringLiteral("Sheet1"));
}

// The export: text format on chosen columns, then font and borders on
// A2:F(n+2), for n = 10 rows.
TEST(RoundTrip, ExportFormatsFontAndBorders)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.xlsx"));
    Workbook book;
    Worksheet& sheet = book.firstSheet();
    sheet.setCell(1, 1, QStringLiteral("学号"));
    for (int r = 2; r <= 11; ++r) {
        sheet.setNumberFormat(r, 1, QStringLiteral("@ "));
        sheet.setCell(r, 1, QStringLiteral("2020%1").arg(r));
        sheet.setCell(r, 5, QStringLiteral("张三"));
    }
    sheet.setColumnNumberFormat(7, QStringLiteral("@ "));
    sheet.setCell(2, 7, QStringLiteral("王老师"));
    Range block = sheet.range(QStringLiteral("A2:f12"));
    block.setFontName(QStringLiteral("宋体"));
    block.setBorderLineStyle(BorderLine::Continuous);
    book.saveAs(path);

    const auto styles = drawnStyles(path);
    for (const QString& ref : {QStringLiteral("A2"), QStringLiteral("A11")}) {
        EXPECT_EQ(styles[ref].numberFormat, QStringLiteral("@ ")) << ref.toStdString();
        EXPECT_EQ(styles[ref].fontName, QStringLiteral("宋体")) << ref.toStdString();
        EXPECT_TRUE(styles[ref].bordered) << ref.toStdString();
    }
    for (const QString& ref : {QStringLiteral("E2"), QStringLiteral("F12"), QStringLiteral("A12")}) {
        EXPECT_EQ(styles[ref].numberFormat, QString()) << ref.toStdString();
        EXPECT_EQ(styles[ref].fontName, QStringLiteral("宋体")) << ref.toStdString();
        EXPECT_TRUE(styles[ref].bordered) << ref.toStdString();
    }
    EXPECT_FALSE(styles[QStringLiteral("A1")].bordered);
    EXPECT_NE(styles[QStringLiteral("A1")].fontName, QStringLiteral("宋体"));
    EXPECT_FALSE(styles.contains(QStringLiteral("G12")));
    EXPECT_EQ(styles[QStringLiteral("G2")].numberFormat, QStringLiteral("@ "));  // from the column
    EXPECT_FALSE(styles[QStringLiteral("G2")].bordered);

    const Workbook read = Workbook::open(path);
    EXPECT_EQ(cellText(read.firstSheet().cell(11, 1)), QStringLiteral("202011"));
    EXPECT_EQ(read.firstSheet().lastRow(), 11);  // the bordered empty row holds no value
}

TEST(RoundTrip, EmptyWorkbookSaves)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.xlsx"));
    Workbook().saveAs(path);
    EXPECT_EQ(Workbook::open(path).firstSheet().lastRow(), 0);
}

// A C string ends at a NUL; the text after it must still reach the file.
TEST(RoundTrip, EmbeddedNulKeepsTheWholeText)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nul.xlsx"));
    const QString name = QStringLiteral("张") + QChar(0) + QStringLiteral("三");
    Workbook book;
    book.firstSheet().setCell(1, 1, name);
    book.saveAs(path);
    EXPECT_EQ(Workbook::open(path).firstSheet().cell(1, 1).text, name);
}

TEST(RoundTrip, SavingReplacesAnExistingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("again.xlsx"));
    Workbook first;
    first.firstSheet().setCell(1, 1, QStringLiteral("old"));
    first.saveAs(path);
    Workbook second;
    second.firstSheet().setCell(1, 1, QStringLiteral("new"));
    second.saveAs(path);
    EXPECT_EQ(cellText(Workbook::open(path).firstSheet().cell(1, 1)), QStringLiteral("new"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("again.xlsx")});
}

struct SaveFailure {
    const char* name;
    const char* relativePath;
    const char* message;
};

void PrintTo(const SaveFailure& f, std::ostream* os)
{
    *os << f.name;
}

class SaveFails : public testing::TestWithParam<SaveFailure> {};

TEST_P(SaveFails, WithAMessageAndNoFileLeft)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("locked"));
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QDir(dir.path()).mkdir(QStringLiteral("folder.xlsx"));
    if (QString::fromUtf8(GetParam().relativePath).startsWith(QStringLiteral("locked/"))
        && QFileInfo(dir.filePath(QStringLiteral("locked"))).isWritable() && ::geteuid() == 0)
        GTEST_SKIP() << "running as root: a read-only folder is still writable";
    const QString path = dir.filePath(QString::fromUtf8(GetParam().relativePath));
    Workbook book;
    book.firstSheet().setCell(1, 1, QStringLiteral("x"));
    try {
        book.saveAs(path);
        FAIL() << "saved to " << path.toStdString();
    } catch (const WorkbookError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("无法保存文件：") + path)) << e.what();
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(GetParam().message))) << e.what();
    }
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("locked"))).isEmpty());
    EXPECT_FALSE(QFileInfo(path).isFile());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SaveFails,
    testing::Values(SaveFailure{"MissingFolder", "no/such/folder/out.xlsx", "文件夹不存在"},
                    SaveFailure{"TargetIsAFolder", "folder.xlsx", "文件夹"},
                    SaveFailure{"ReadOnlyFolder", "locked/out.xlsx", ""}),
    [](const testing::TestParamInfo<SaveFailure>& test) { return std::string(test.param.name); });

// A save on a disk that runs out of room: a small file system (300 KB)
// as the system's temporary folder or as the target folder.
class FullDisk : public testing::Test {
protected:
    void SetUp() override
    {
        if (!disk.ok())
            GTEST_SKIP() << "mounting a small file system needs root";
        // Parts of a few hundred KB each: more than the small disk holds.
        for (int r = 1; r <= 5000; ++r)
            for (int c = 1; c <= 4; ++c)
                book.firstSheet().setCell(r, c, QStringLiteral("第%1行第%2列").arg(r).arg(c));
    }

    QTemporaryDir dir;
    SmallDisk disk{300};
    const QString small = disk.path();
    Workbook book;
};

TEST_F(FullDisk, SystemTemporaryFolderIsNotUsed)
{
    const QByteArray before = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(small));
    const auto restore = qScopeGuard([&] { before.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", before); });
    const QString path = dir.filePath(QStringLiteral("saved.xlsx"));
    book.saveAs(path);
    const Workbook read = Workbook::open(path);
    EXPECT_EQ(read.firstSheet().lastRow(), 5000);
    EXPECT_EQ(read.firstSheet().cell(5000, 4), CellValue::fromText(QStringLiteral("第5000行第4列")));
}

TEST_F(FullDisk, FullTargetFolderFailsAndLeavesNothing)
{
    const QString path = small + QStringLiteral("/saved.xlsx");
    try {
        book.saveAs(path);
        FAIL() << "saved on a full disk";
    } catch (const WorkbookError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("无法保存文件：") + path)) << e.what();
    }
    EXPECT_EQ(QDir(small).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

// The read-back that every save ends with, on a saved workbook repacked
// whole, with a part cut short and with a listed part left out.
TEST(RoundTrip, ReadBackFindsAPartCutShortOrMissing)
{
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("saved.xlsx"));
    Workbook book;
    book.firstSheet().setCell(1, 1, QStringLiteral("补考"));
    book.firstSheet().setNumberFormat(1, 1, QStringLiteral("@ "));
    book.saveAs(saved);
    QMap<QString, QByteArray> parts;
    for (const QString& name : zipPartNames(saved))
        parts[name] = readZipPart(saved, name);

    const QString whole = dir.filePath(QStringLiteral("whole.xlsx"));
    writeZip(whole, parts);
    EXPECT_NO_THROW(checkWrittenXlsx(whole, whole));

    const struct {
        QString part;
        bool dropped;
    } damages[]{{QStringLiteral("xl/sharedStrings.xml"), false}, {QStringLiteral("xl/styles.xml"), true}};
    for (const auto& damage : damages) {
        QMap<QString, QByteArray> damaged = parts;
        ASSERT_TRUE(damaged.contains(damage.part));
        if (damage.dropped)
            damaged.remove(damage.part);
        else
            damaged[damage.part].chop(damaged[damage.part].size() / 2);
        const QString file = dir.filePath(QStringLiteral("damaged.xlsx"));
        writeZip(file, damaged);
        try {
            checkWrittenXlsx(file, saved);
            ADD_FAILURE() << damage.part.toStdString() << " not noticed";
        } catch (const WorkbookError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("无法保存文件：%1（写出的文件不完整（%2），磁盘可能已满）").arg(saved, damage.part));
        }
    }
}

TEST(Worksheet, PositionsOutsideTheSheetAreRefused)
{
    Worksheet sheet;
    EXPECT_THROW(sheet.setCell(0, 1, QStringLiteral("x")), WorkbookError);
    EXPECT_THROW(sheet.setCell(1, Worksheet::maxColumns + 1, QStringLiteral("x")), WorkbookError);
    EXPECT_THROW(sheet.range(QStringLiteral("A0:B2")), WorkbookError);
    EXPECT_THROW(sheet.range(QStringLiteral("not a range")), WorkbookError);
    EXPECT_NO_THROW(sheet.setCell(Worksheet::maxRows, Worksheet::maxColumns, QStringLiteral("x")));
}

// Cells set in any order, replaced by another kind, or emptied, read back
// in row order with the last value each was given.
TEST(Worksheet, CellsKeepTheLastValueGivenInAnyOrder)
{
    Worksheet sheet;
    sheet.setCell(3, 2, QStringLiteral("丙"));
    sheet.setCell(1, 5, CellValue::fromNumber(7));
    sheet.setCell(3, 1, QStringLiteral("乙"));
    sheet.setCell(2, 4, CellValue::fromError(QStringLiteral("#N/A")));
    sheet.setCell(1, 5, QStringLiteral("甲甲"));
    sheet.setCell(3, 2, CellValue::fromBoolean(true));
    sheet.setCell(2, 4, CellValue{});
    sheet.setCell(4, 3, CellValue{});
    sheet.setCell(2, 6, CellValue::fromDateSerial(44197.5));

    QStringList cells;
    for (const auto& [pos, value] : sheet.values())
        cells << QStringLiteral("%1,%2=%3").arg(pos.row).arg(pos.column).arg(cellText(value));
    EXPECT_EQ(cells.join(' '), QStringLiteral("1,5=甲甲 2,6=2021-01-01 12:00:00 3,1=乙 3,2=TRUE"));
    EXPECT_EQ(sheet.cell(1, 5), CellValue::fromText(QStringLiteral("甲甲")));
    EXPECT_EQ(sheet.cell(3, 2), CellValue::fromBoolean(true));
    EXPECT_TRUE(sheet.cell(2, 4).isEmpty());
    EXPECT_TRUE(sheet.cell(9, 9).isEmpty());
    EXPECT_EQ((*sheet.values().lower_bound({2, 7})).first, (CellPos{3, 1}));
    EXPECT_EQ(sheet.values().lower_bound({3, 3}), sheet.values().end());
    EXPECT_EQ(sheet.lastRow(), 3);
    EXPECT_EQ(sheet.lastColumn(), 6);
}

// A package that lists its rows, and the cells of each row, backwards
// reads as the same sheet as one that lists them in order.
TEST(Worksheet, CellsListedBackwardsReadAsInOrder)
{
    constexpr int rows = 3000;
    QList<QByteArray> rowXml;
    for (int r = 1; r <= rows; ++r) {
        const QByteArray n = QByteArray::number(r);
        rowXml << "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c><c r=\"C" + n
                      + "\" t=\"inlineStr\"><is><t>行" + n + "</t></is></c></row>";
    }
    const auto sheetOf = [](const QList<QByteArray>& listed) {
        QByteArray cells;
        for (const QByteArray& row : listed)
            cells += row;
        return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + cells
               + "</sheetData></worksheet>";
    };
    QList<QByteArray> backwards;
    static const QRegularExpression cell(QStringLiteral("<c .*?</c>"));
    for (auto row = rowXml.crbegin(); row != rowXml.crend(); ++row) {
        // The row's two cells swapped, too.
        QStringList cells;
        for (const auto& m : cell.globalMatch(QString::fromUtf8(*row)))
            cells.prepend(m.captured());
        backwards << row->left(row->indexOf('>') + 1) + cells.join(QString()).toUtf8() + "</row>";
    }
    QTemporaryDir dir;
    const QString inOrder = dir.filePath(QStringLiteral("in-order.xlsx"));
    const QString reversed = dir.filePath(QStringLiteral("backwards.xlsx"));
    writeZip(inOrder, xlsxParts(sheetOf(rowXml)));
    writeZip(reversed, xlsxParts(sheetOf(backwards)));

    const auto listing = [](const Worksheet& sheet) {
        QStringList cells;
        for (const auto& [pos, value] : sheet.values())
            cells << QStringLiteral("%1,%2=%3").arg(pos.row).arg(pos.column).arg(cellText(value));
        return cells;
    };
    const Workbook expected = Workbook::open(inOrder);
    const Workbook read = Workbook::open(reversed);
    ASSERT_EQ(listing(expected.firstSheet()).size(), 2 * rows);
    EXPECT_EQ(listing(read.firstSheet()), listing(expected.firstSheet()));
    EXPECT_EQ(read.firstSheet().lastRow(), rows);

    // Cells given out of order after a read, one of them twice and one
    // removed before the next read.
    Worksheet sheet = read.firstSheet();
    sheet.setCell(5, 2, QStringLiteral("新"));
    sheet.setCell(2, 1, CellValue{});
    sheet.setCell(5, 2, QStringLiteral("更新"));
    sheet.setCell(rows + 1, 1, QStringLiteral("末"));
    EXPECT_EQ(sheet.cell(5, 2), CellValue::fromText(QStringLiteral("更新")));
    EXPECT_TRUE(sheet.cell(2, 1).isEmpty());
    EXPECT_EQ(sheet.lastRow(), rows + 1);
    EXPECT_EQ(listing(sheet).size(), 2 * rows + 1);
}

TEST(Worksheet, RangeAddresses)
{
    const CellRange r = CellRange::fromAddress(QStringLiteral("A2:f12"));
    EXPECT_EQ(r.first, (CellPos{2, 1}));
    EXPECT_EQ(r.last, (CellPos{12, 6}));
    EXPECT_EQ(CellRange::fromAddress(QStringLiteral("F12:A2")).first, (CellPos{2, 1}));
    EXPECT_EQ(CellRange::fromAddress(QStringLiteral("$AA$3")).last, (CellPos{3, 27}));
}

}  // namespace

// Files that are not readable workbooks: each is refused with a clear
// message, never a crash or a half-read sheet.

#include "MadeFiles.h"
#include "Workbook.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

QByteArray cell(int row, int column)
{
    return le16(row) + le16(column) + le16(0);
}

const QByteArray oneNumber = record(0x0203, cell(0, 0) + le64(1));

struct BadCase {
    const char* name;
    std::function<void(const QString& path)> make;
    const char* message;  // a piece of the expected message
};

void PrintTo(const BadCase& c, std::ostream* os)
{
    *os << c.name;
}

QByteArray entityBomb()
{
    QByteArray dtd = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    QByteArray previous = "lol";
    for (int i = 1; i <= 9; ++i) {
        const QByteArray name = "lol" + QByteArray::number(i);
        dtd += "<!ENTITY " + name + " \"" + ("&" + previous + ";").repeated(10) + "\">";
        previous = name;
    }
    return dtd + "]><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>&" + previous
           + ";</t></si></sst>";
}

const QByteArray sheetWithString =
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
    "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row></sheetData></worksheet>";

QByteArray sheetWith(const QByteArray& cells)
{
    return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + cells
           + "</sheetData></worksheet>";
}

std::vector<BadCase> badCases()
{
    return {
        {"Missing", [](const QString&) {}, "文件不存在"},
        {"Folder", [](const QString& p) { QDir().mkdir(p); }, "不是文件"},
        {"Empty", [](const QString& p) { writeFile(p, {}); }, "文件为空"},
        {"Text", [](const QString& p) { writeFile(p, "学号,姓名\n2020023918,张三\n"); }, "不是有效的Excel文件"},
        {"RandomBytes",
         [](const QString& p) {
             QRandomGenerator random(7);
             QByteArray bytes(4096, 0);
             for (char& b : bytes)
                 b = char(random.bounded(256));
             writeFile(p, bytes);
         },
         "不是有效的Excel文件"},
        {"OleSignatureOnly", [](const QString& p) { writeFile(p, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(100, 0)); },
         "不是有效的Excel文件"},
        {"OleWithoutWorkbook", [](const QString& p) { writeOle(p, QStringLiteral("Other"), biffStream({}, {{"S", oneNumber}})); },
         "没有工作簿数据"},
        {"FilePass",
         [](const QString& p) {
             writeOle(p, QStringLiteral("Workbook"), biffStream(record(0x002F, le16(1) + QByteArray(52, 0)), {{"S", oneNumber}}));
         },
         "文件已加密"},
        {"EncryptedPackage", [](const QString& p) { writeOle(p, QStringLiteral("EncryptedPackage"), QByteArray(64, 1)); },
         "文件已加密"},
        {"Biff4", [](const QString& p) { writeOle(p, QStringLiteral("Book"), record(0x0409, le16(0) + le16(0x10) + le16(0))); },
         "不支持"},
        {"StreamCutInARecord",
         [](const QString& p) { writeOle(p, QStringLiteral("Workbook"), biffStream({}, {{"S", oneNumber}}).chopped(6)); },
         "不完整"},
        {"SheetWithoutEof",
         [](const QString& p) { writeOle(p, QStringLiteral("Workbook"), biffStream({}, {{"S", oneNumber}}).chopped(4)); },
         "不完整"},
        {"ShortNumberRecord",
         [](const QString& p) { writeOle(p, QStringLiteral("Workbook"), biffStream({}, {{"S", record(0x0203, cell(0, 0) + "\x01")}})); },
         "不完整"},
        {"SharedStringMissing",
         [](const QString& p) {
             writeOle(p, QStringLiteral("Workbook"), biffStream({}, {{"S", record(0x00FD, cell(0, 0) + le32(5))}}));
         },
         "共享字符串缺失"},
        {"StringLongerThanRecord",
         [](const QString& p) {
             writeOle(p, QStringLiteral("Workbook"),
                      biffStream({}, {{"S", record(0x0204, cell(0, 0) + le16(5000) + char(0) + "abc")}}));
         },
         "不完整"},
        {"NoWorksheet", [](const QString& p) { writeOle(p, QStringLiteral("Workbook"), biffStream({}, {})); }, "没有工作表"},
        {"ZipOfOtherFiles", [](const QString& p) { writeZip(p, {{QStringLiteral("readme.txt"), "hello"}}); }, "缺少_rels/.rels"},
        {"ZipWithBrokenRels",
         [](const QString& p) {
             auto parts = xlsxParts(sheetWithString);
             parts[QStringLiteral("_rels/.rels")] = "CORRUPTED";
             writeZip(p, parts);
         },
         "不是有效的XML"},
        {"EntityBomb", [](const QString& p) { writeZip(p, xlsxParts(sheetWithString, entityBomb())); }, "DTD"},
        {"DtdInSheet",
         [](const QString& p) { writeZip(p, xlsxParts("<?xml version=\"1.0\"?><!DOCTYPE x SYSTEM \"file:///etc/passwd\">" + sheetWith({}))); },
         "DTD"},
        {"SharedStringIndexTooLarge", [](const QString& p) { writeZip(p, xlsxParts(sheetWithString, "<sst/>")); },
         "共享字符串缺失"},
        {"CellBeyondLastColumn",
         [](const QString& p) { writeZip(p, xlsxParts(sheetWith("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"))); },
         "超出范围"},
        {"RowBeyondLastRow",
         [](const QString& p) { writeZip(p, xlsxParts(sheetWith("<row r=\"1048577\"><c><v>1</v></c></row>"))); },
         "超出范围"},
        {"SheetPartMissing",
         [](const QString& p) {
             auto parts = xlsxParts(sheetWith({}));
             parts.remove(QStringLiteral("xl/worksheets/sheet1.xml"));
             writeZip(p, parts);
         },
         "缺少xl/worksheets/sheet1.xml"},
        {"UnclosedSheetXml", [](const QString& p) { writeZip(p, xlsxParts(sheetWith({}).chopped(12))); }, "不是有效的XML"},
        {"ZipCutInHalf",
         [](const QString& p) {
             writeZip(p, xlsxParts(sheetWith(QByteArray("<row><c><v>1</v></c></row>").repeated(500))));
             QFile file(p);
             file.open(QIODevice::ReadWrite);
             file.resize(file.size() / 2);
         },
         "不是有效的Excel文件"},
        {"OleFileCutInHalf",
         [](const QString& p) {
             QByteArray cells;
             for (int r = 0; r < 2000; ++r)
                 cells += record(0x0203, cell(r, 0) + le64(r));
             writeOle(p, QStringLiteral("Workbook"), biffStream({}, {{"S", cells}}));
             QFile file(p);
             file.open(QIODevice::ReadWrite);
             file.resize(file.size() / 2);
         },
         "不是有效的Excel文件"},
    };
}

class BadInput : public testing::TestWithParam<BadCase> {};

TEST_P(BadInput, IsRefusedWithAClearMessage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.xls"));
    GetParam().make(path);
    try {
        const Workbook book = Workbook::open(path);
        FAIL() << "opened, last row " << book.firstSheet().lastRow();
    } catch (const WorkbookError& e) {
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(GetParam().message))) << e.what();
        EXPECT_TRUE(e.message().contains(path)) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BadInput, testing::ValuesIn(badCases()),
                         [](const testing::TestParamInfo<BadCase>& test) { return std::string(test.param.name); });

// Every cut of a real workbook either reads or is refused; none crashes or
// hangs. (The sanitizer build and the fuzz targets look deeper.)
TEST(BadInput, EveryPrefixOfAWorkbookIsReadOrRefused)
{
    QTemporaryDir dir;
    const QString whole = dir.filePath(QStringLiteral("whole.xls"));
    QByteArray cells;
    for (int r = 0; r < 50; ++r)
        cells += record(0x0203, cell(r, 0) + le64(r)) + record(0x0204, cell(r, 1) + le16(3) + char(0) + "abc");
    writeOle(whole, QStringLiteral("Workbook"), biffStream({}, {{"S", cells}}));
    writeZip(dir.filePath(QStringLiteral("whole.xlsx")), xlsxParts(sheetWithString, "<sst><si><t>x</t></si></sst>"));

    for (const QString& name : {QStringLiteral("whole.xls"), QStringLiteral("whole.xlsx")}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        int refused = 0;
        for (qsizetype length = 0; length < bytes.size(); length += 13) {
            const QString cut = dir.filePath(QStringLiteral("cut"));
            writeFile(cut, bytes.left(length));
            try {
                Workbook::open(cut);
            } catch (const WorkbookError&) {
                ++refused;
            }
        }
        EXPECT_GT(refused, 0) << name.toStdString();
    }
}

}  // namespace

// .xls records the fixture files do not all show, in workbook streams made
// here record by record.

#include "CellText.h"
#include "MadeFiles.h"
#include "Workbook.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray utf16(const QString& s)
{
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

// BIFF8 string with a 16-bit count: compressed when it fits in Latin-1.
QByteArray unicodeString(const QString& s)
{
    bool wide = false;
    for (QChar ch : s)
        wide |= ch.unicode() > 0xFF;
    return le16(int(s.size())) + char(wide ? 1 : 0) + (wide ? utf16(s) : s.toLatin1());
}

QByteArray labelSst(int row, int column, quint32 index)
{
    return record(0x00FD, cellHead(row, column) + le32(index));
}

QByteArray number(int row, int column, double v, int xf = 0)
{
    return record(0x0203, cellHead(row, column, xf) + le64(v));
}

QByteArray rk(int row, int column, quint32 value)
{
    return record(0x027E, cellHead(row, column) + le32(value));
}

QByteArray formula(int row, int column, const QByteArray& result)
{
    return record(0x0006, cellHead(row, column) + result + le16(0) + le32(0) + le16(0));
}

QByteArray specialResult(int type, int value)
{
    return QByteArray(1, char(type)) + char(0) + char(value) + QByteArray(3, 0) + le16(0xFFFF);
}

QByteArray xf(int formatId)
{
    return record(0x00E0, le16(0) + le16(formatId) + QByteArray(16, 0));
}

QByteArray format(int id, const QString& code)
{
    return record(0x041E, le16(id) + unicodeString(code));
}

struct Expect {
    int row, column;
    const char16_t* text;
};

struct BiffCase {
    const char* name;
    QByteArray stream;
    std::vector<Expect> cells;
    const char* streamName = "Workbook";
};

// A shared string table over three records: a string whose characters
// change from compressed to wide at a record boundary (the new record
// starts with a flags byte), a string whose header is split (no flags
// byte), and a rich string whose formatting runs cross a boundary.
QByteArray splitSst()
{
    const QByteArray sst = le32(4) + le32(4) + le16(2) + char(0) + "hi" + le16(6) + char(0) + "AB";
    const QByteArray continue1 = char(1) + utf16(QStringLiteral("C补考中")) + le16(3);
    const QByteArray continue2 = char(0) + QByteArray("xyz") + le16(3) + char(0x08) + le16(2) + "abc" + le32(0) + le16(0);
    const QByteArray continue3 = le32(0);
    return record(0x00FC, sst) + record(0x003C, continue1) + record(0x003C, continue2) + record(0x003C, continue3);
}

std::vector<BiffCase> biffCases()
{
    std::vector<BiffCase> cases;
    cases.push_back({"SharedStringsAcrossContinue",
                     biffStream(splitSst(), {{QStringLiteral("S"), labelSst(0, 0, 0) + labelSst(0, 1, 1) + labelSst(1, 0, 2)
                                                                       + labelSst(1, 1, 3)}}),
                     {{1, 1, u"hi"}, {1, 2, u"ABC补考中"}, {2, 1, u"xyz"}, {2, 2, u"abc"}}});

    QStringEncoder gbk("GBK");
    const QByteArray gbkText = gbk.encode(QStringLiteral("补考"));
    const QByteArray label5 = record(0x0204, cellHead(0, 0) + le16(int(gbkText.size())) + gbkText);
    cases.push_back({"Biff5CodePage936", biffStream(record(0x0042, le16(936)), {{QStringLiteral("S"), label5}}, false),
                     {{1, 1, u"补考"}}, "Book"});

    const QByteArray numbers = number(0, 0, 2020023918) + rk(0, 1, (12345u << 2) | 2) + rk(0, 2, (1234u << 2) | 3)
                               + rk(0, 3, 0x3FF80000u)           // 1.5 as the top of an IEEE double
                               + rk(0, 4, 0x3FF80000u | 1)       // 1.5 / 100
                               + rk(0, 5, quint32(-7 << 2) | 2)  // negative integer
                               + record(0x00BD, cellHead(1, 0) + le32((1u << 2) | 2) + le16(0) + le32((2u << 2) | 2)
                                                    + le16(0) + le32((3u << 2) | 2) + le16(2));
    cases.push_back({"NumbersAndRk", biffStream({}, {{QStringLiteral("S"), numbers}}),
                     {{1, 1, u"2020023918"}, {1, 2, u"12345"}, {1, 3, u"12.34"}, {1, 4, u"1.5"}, {1, 5, u"0.015"},
                      {1, 6, u"-7"}, {2, 1, u"1"}, {2, 2, u"2"}, {2, 3, u"3"}}});

    const QByteArray formulas = formula(0, 0, le64(42.5)) + formula(0, 1, specialResult(0, 0))
                                + record(0x04BC, QByteArray(10, 0))  // a shared formula between FORMULA and STRING
                                + record(0x0207, unicodeString(QStringLiteral("结果"))) + formula(0, 2, specialResult(1, 1))
                                + formula(0, 3, specialResult(2, 0x07)) + formula(0, 4, specialResult(3, 0))
                                + record(0x0205, cellHead(1, 0) + char(1) + char(0))
                                + record(0x0205, cellHead(1, 1) + char(0x2A) + char(1));
    cases.push_back({"FormulaResultsAndBoolErr", biffStream({}, {{QStringLiteral("S"), formulas}}),
                     {{1, 1, u"42.5"}, {1, 2, u"结果"}, {1, 3, u"TRUE"}, {1, 4, u"#DIV/0!"}, {1, 5, u""},
                      {2, 1, u"TRUE"}, {2, 2, u"#N/A"}}});

    const QByteArray formats = format(164, QStringLiteral("yyyy\\-mm\\-dd")) + format(165, QStringLiteral("\"Day \"0"))
                               + format(166, QStringLiteral("[h]:mm")) + xf(0) + xf(14) + xf(164) + xf(165) + xf(10)
                               + xf(166) + xf(31);
    const QByteArray dated = number(0, 0, 42663, 0) + number(0, 1, 42663, 1) + number(0, 2, 42663.5, 2)
                             + number(0, 3, 42663, 3) + number(0, 4, 0.25, 4) + number(0, 5, 0.75, 5)
                             + number(0, 6, 42663, 6) + number(0, 7, 42663, 99);  // an XF that does not exist
    cases.push_back({"DateFormats", biffStream(formats, {{QStringLiteral("S"), dated}}),
                     {{1, 1, u"42663"}, {1, 2, u"2016-10-20"}, {1, 3, u"2016-10-20 12:00:00"}, {1, 4, u"42663"},
                      {1, 5, u"0.25"}, {1, 6, u"18:00:00"}, {1, 7, u"2016-10-20"}, {1, 8, u"42663"}}});

    cases.push_back({"Date1904", biffStream(record(0x0022, le16(1)) + xf(0) + xf(14), {{QStringLiteral("S"), number(0, 0, 0, 1)}}),
                     {{1, 1, u"1904-01-01"}}});

    const QByteArray chart = record(0x0809, le16(0x0600) + le16(0x0020) + QByteArray(12, 0)) + number(0, 0, 99)
                             + record(0x000A, {});
    cases.push_back({"EmbeddedChartSkipped", biffStream({}, {{QStringLiteral("S"), number(0, 0, 1) + chart + number(1, 0, 2)}}),
                     {{1, 1, u"1"}, {2, 1, u"2"}}});

    cases.push_back({"FirstWorksheetByPosition",
                     biffStream({}, {{QStringLiteral("Chart"), number(0, 0, 1), 2},
                                     {QStringLiteral("First"), number(0, 0, 2)},
                                     {QStringLiteral("Second"), number(0, 0, 3)}}),
                     {{1, 1, u"2"}}});

    cases.push_back({"WideLabel",
                     biffStream({}, {{QStringLiteral("S"), record(0x0204, cellHead(2, 3) + unicodeString(QStringLiteral("\u3000张三")))}}),
                     {{3, 4, u"\u3000张三"}}});
    return cases;
}

void PrintTo(const BiffCase& c, std::ostream* os)
{
    *os << c.name;
}

class BiffRecords : public testing::TestWithParam<BiffCase> {};

TEST_P(BiffRecords, ReadAsExpected)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("made.xls"));
    writeOle(path, QString::fromLatin1(GetParam().streamName), GetParam().stream);
    const Workbook book = Workbook::open(path);
    const Worksheet& sheet = book.firstSheet();
    for (const Expect& e : GetParam().cells)
        EXPECT_EQ(cellText(sheet.cell(e.row, e.column)), QString::fromUtf16(e.text)) << "row " << e.row << " column " << e.column;
}

INSTANTIATE_TEST_SUITE_P(Made, BiffRecords, testing::ValuesIn(biffCases()),
                         [](const testing::TestParamInfo<BiffCase>& test) { return std::string(test.param.name); });

TEST(BiffRecords, SheetNameComesFromBoundSheet)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("named.xls"));
    writeOle(path, QStringLiteral("Workbook"), biffStream({}, {{QStringLiteral("Roster"), number(0, 0, 1)}}));
    EXPECT_EQ(Workbook::open(path).firstSheet().name(), QStringLiteral("Roster"));
}

}  // namespace

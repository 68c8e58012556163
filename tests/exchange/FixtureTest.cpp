// Every workbook in the shared fixture folder, read with our readers and
// compared cell for cell with the first sheet's text as another program
// read it. Files without that text must be refused with a clear message.

#include "CellText.h"
#include "CsvText.h"
#include "Workbook.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <gtest/gtest.h>

namespace {

QString fixtureDir()
{
    return QStringLiteral(PAIKAO_WORKBOOK_FIXTURES);
}

std::vector<std::string> fixtureFiles()
{
    std::vector<std::string> names;
    const QDir dir(fixtureDir());
    for (const QString& name : dir.entryList({QStringLiteral("*.xls"), QStringLiteral("*.xlsx")}, QDir::Files, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

// Where the reference text is not what the file holds, with what our reader
// must return instead: the other program formats dates, times and percent
// even in raw mode, recalculates formulas, and shows a BIFF boolean as 1/0.
struct Difference {
    const char* file;
    int row, column;
    const char* expected;
};
const Difference differences[] = {
    {"issues.xls", 4, 1, "FALSE"},  // cached FALSE, recalculated to 0
    {"issues.xls", 6, 1, "2016-10-20"},
    {"issues.xlsx", 6, 1, "2016-10-20"},
    {"empty-string.xls", 1, 2, "FALSE"},  // cached FALSE, recalculated to 1
    {"errors.xlsx", 4, 1, "#NULL!"},
    {"errors.xlsx", 5, 1, "#REF!"},
    {"errors.xlsx", 6, 1, "#NUM!"},
    {"errors.xlsx", 7, 1, "#N/A"},
    {"invalid_formula.xls", 1, 1, "#REF!"},
    {"53404.xls", 1, 5, "TRUE"},
    {"date.xls", 3, 1, "1900-01-10 15:10:10"},  // a duration of 10.63 days
    {"Formate.xls", 1, 2, "1907-07-03"},
    {"Formate.xls", 2, 2, "2005-02-23"},
    {"Formate.xls", 3, 2, "1988-05-03"},
    {"Formate.xls", 4, 2, "06:34:00"},
    {"Formate.xls", 5, 2, "12:56:00"},
    {"Formate.xls", 6, 2, "17:47:13"},
    {"Formate.xls", 7, 2, "0.974"},
    {"Formate.xls", 8, 2, "0.124"},
    {"64508.xlsx", 2, 3, "2020-06-08"},
    {"64508.xlsx", 3, 3, "2020-06-08"},
    {"64508.xlsx", 4, 3, "2020-06-08"},
    {"64508.xlsx", 5, 3, "2020-06-08"},
    {"testEXCEL_95.xls", 6, 5, "1"},
    {"testEXCEL_95.xls", 7, 5, "1.55"},
    {"49273.xlsx", 1, 5, "2010-03-21"},
    {"49273.xlsx", 1, 6, "13:20:01"},
    {"49273.xlsx", 1, 7, "0.1"},
    {"49273.xlsx", 2, 5, "2010-03-21"},
    {"49273.xlsx", 2, 6, "13:20:01"},
    {"49273.xlsx", 2, 7, "0.1"},
};

// Files that must be refused, and a piece of the message that says why.
const QHash<QString, QString> refusals = {
    {QStringLiteral("too_small.xls"), QStringLiteral("不是有效的Excel文件")},
    {QStringLiteral("password.xls"), QStringLiteral("文件已加密")},
    {QStringLiteral("xor-encryption-abc.xls"), QStringLiteral("文件已加密")},
    {QStringLiteral("pass_protected.xlsx"), QStringLiteral("文件已加密")},
    {QStringLiteral("poc-xmlbomb.xlsx"), QStringLiteral("DTD")},
    {QStringLiteral("issue252.xlsx"), QStringLiteral("校验失败")},
    {QStringLiteral("xlsx-corrupted.xlsx"), QStringLiteral("不是有效的Excel文件")},
    {QStringLiteral("invalid.xlsx"), QStringLiteral("不是有效的Excel文件")},
};

// The other program writes numbers to 15 significant digits.
bool sameNumber(const QString& actual, const QString& reference)
{
    bool okA = false, okR = false;
    const double a = actual.toDouble(&okA);
    const double r = reference.toDouble(&okR);
    return okA && okR && QString::number(a, 'g', 15) == QString::number(r, 'g', 15);
}

class Fixture : public testing::TestWithParam<std::string> {};

TEST_P(Fixture, FirstSheetReadsAsTheReferenceText)
{
    const QString name = QString::fromStdString(GetParam());
    const QString path = fixtureDir() + '/' + name;
    QFile csvFile(path + QStringLiteral(".first-sheet.csv"));

    if (!csvFile.exists()) {
        ASSERT_TRUE(refusals.contains(name)) << "no reference text and not listed as refused: " << GetParam();
        try {
            Workbook::open(path);
            FAIL() << "opened a file that must be refused";
        } catch (const WorkbookError& e) {
            EXPECT_TRUE(e.message().contains(refusals[name])) << e.what();
            EXPECT_TRUE(e.message().contains(path)) << e.what();
        }
        return;
    }

    ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
    const QList<QStringList> csv = parseCsv(QString::fromUtf8(csvFile.readAll()));
    const Workbook book = Workbook::open(path);
    const Worksheet& sheet = book.firstSheet();

    QHash<QPair<int, int>, QString> expectedDifferences;
    for (const Difference& d : differences)
        if (name == QLatin1String(d.file))
            expectedDifferences[{d.row, d.column}] = QString::fromUtf8(d.expected);

    qsizetype csvColumns = 0;
    for (const QStringList& row : csv)
        csvColumns = std::max(csvColumns, row.size());
    const int rows = std::max<int>(sheet.lastRow(), csv.size());
    const int columns = std::max<int>(sheet.lastColumn(), csvColumns);
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= columns; ++c) {
            const QString actual = cellText(sheet.cell(r, c));
            const QStringList csvRow = r <= csv.size() ? csv[r - 1] : QStringList();
            const QString reference = c <= csvRow.size() ? csvRow[c - 1] : QString();
            const auto difference = expectedDifferences.constFind({r, c});
            if (difference != expectedDifferences.constEnd())
                EXPECT_EQ(actual, *difference) << "row " << r << " column " << c;
            else if (actual != reference && !sameNumber(actual, reference))
                ADD_FAILURE() << "row " << r << " column " << c << ": read \"" << actual.toStdString()
                              << "\", reference \"" << reference.toStdString() << '"';
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Workbooks, Fixture, testing::ValuesIn(fixtureFiles()),
                         [](const testing::TestParamInfo<std::string>& test) {
                             std::string name = test.param;
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Fixture);

TEST(FixtureFolder, IsPresent)
{
    if (!QDir(fixtureDir()).exists())
        GTEST_SKIP() << "fixture folder not found, workbook fixtures not checked: " << fixtureDir().toStdString();
    EXPECT_FALSE(fixtureFiles().empty());
}

}  // namespace

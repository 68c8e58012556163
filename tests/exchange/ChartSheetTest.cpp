// An .xlsx whose first sheet is a chart sheet: the first worksheet is read,
// as with .xls, not the chart.
#include "CellText.h"
#include "MadeFiles.h"
#include "Workbook.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ChartSheet, FirstWorksheetIsReadPastAChartSheet)
{
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    auto parts = xlsxParts("<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
                           "<row r=\"2\"><c r=\"B2\"><v>42</v></c></row></sheetData></worksheet>");
    parts[QStringLiteral("xl/workbook.xml")] =
        "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"" + rel + "\"><sheets><sheet name=\"图表\" sheetId=\"2\" r:id=\"rId9\"/>"
        "<sheet name=\"名单\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    QByteArray& bookRels = parts[QStringLiteral("xl/_rels/workbook.xml.rels")];
    bookRels.insert(bookRels.indexOf("</Relationships>"),
                    "<Relationship Id=\"rId9\" Type=\"" + rel + "/chartsheet\" Target=\"chartsheets/sheet1.xml\"/>");
    parts[QStringLiteral("xl/chartsheets/sheet1.xml")] =
        "<chartsheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"/>";

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chart-first.xlsx"));
    writeZip(path, parts);
    const Workbook book = Workbook::open(path);
    EXPECT_EQ(book.firstSheet().name(), QStringLiteral("名单"));
    EXPECT_EQ(cellText(book.firstSheet().cell(2, 2)), QStringLiteral("42"));
}

// The spreadsheet window: roster import, import template and arrangement
// export, on a real database and real workbook files.
#include "ArrangementSheet.h"
#include "CellText.h"
#include "CsvText.h"
#include "DBGrid.h"
#include "FileFaults.h"
#include "MadeFiles.h"
#include "RecordingDialogs.h"
#include "RosterSheet.h"
#include "StatusProgress.h"
#include "TestDatabase.h"
#include "Unit8.h"
#include "StreamedWorkbook.h"
#include "Workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <optional>

namespace {

const QString formatError = QStringLiteral("导入数据出错！请检查文件的格式是否正确！");
// Asked before the arranged term (below) is exported: paper 2 has no room,
// and its candidate is exported with the room left empty.
const QString unseatedQuestion = QStringLiteral("有 1 名考生的试卷还没有教室，导出的表中有他们，但教室一栏是空的。\n是否仍要导出？");
const QString fixtures = QStringLiteral(PAIKAO_WORKBOOK_FIXTURES);

// A sheet described row by row from row 1; "#12" is the number 12, an empty
// text an empty cell.
using SheetRows = QList<QStringList>;

void fill(Worksheet& sheet, const SheetRows& rows)
{
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c) {
            const QString& v = rows[r][c];
            if (v.startsWith(u'#'))
                sheet.setCell(r + 1, c + 1, CellValue::fromNumber(v.mid(1).toDouble()));
            else if (!v.isEmpty())
                sheet.setCell(r + 1, c + 1, v);
        }
}

const QStringList header{"sjxh", "kcxh", "xh", "xm", "kcdm", "kcmc", "skjs", "kkyx", "bz", "hbk"};

QStringList rosterRow(int i)
{
    return {QString::number(i), QStringLiteral("K%1").arg(i), QStringLiteral("20200%1").arg(i), QStringLiteral("学生%1").arg(i),
            QStringLiteral("C%1").arg(i), QStringLiteral("课程%1").arg(i), QStringLiteral("教师%1").arg(i),
            QStringLiteral("学院%1").arg(i), QString(), QStringLiteral("补考")};
}

SheetRows rosterSheet(int first, int count)
{
    SheetRows rows{header};
    for (int i = first; i < first + count; ++i)
        rows.append(rosterRow(i));
    return rows;
}

QStringList tableRows(const SheetRows& rows)
{
    QStringList out;
    for (const QStringList& r : rows)
        out.append(r.join(u'|'));
    return out;
}

// The workbook of an arranged term: two papers placed, one with a room and
// a time, and one paper not placed.
const QStringList arrangedRoster{
    "1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考",
    "1|K1|2020002|李四|C1|高等数学|王老师|数学学院|重修|缓考",
    "2|K2|2020001|张三|C2|大学英语|赵老师|外语学院||补考",
    "3|K3|2020003|王五|C3|线性代数|钱老师|数学学院||补考",
};

struct Fixture {
    TestDatabase db;
    RecordingDialogs dialogs;
    TForm8 w{dialogs};

    Fixture() { w.show(); }

    QString path(const QString& name) const { return db.folder() + u'/' + name; }

    QString book(const QString& name, const SheetRows& rows) const
    {
        Workbook book;
        fill(book.firstSheet(), rows);
        book.saveAs(path(name));
        return path(name);
    }

    void import(const QString& file)
    {
        w.Edit1->setText(file);
        w.BitBtn2->click();
    }

    QStringList roster() { return db.rows(QStringLiteral("select sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk from t_bjgmd order by rowid")); }

    void arrange()
    {
        db.addRoster(arrangedRoster);
        db.exec(QStringLiteral("insert into t_js(jsm, rnrs) values('A101', 40)"));
        db.exec(QStringLiteral("insert into t_kscs(cc, sjxh, sjxh1, jsid) values('1','1','1',1), ('2','2','2',0)"));
        db.exec(QStringLiteral("insert into t_cc(cc, kssj) values('1','6月20日 8:00'), ('2','')"));
    }
};

QByteArray readFileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The style of each cell of a saved workbook's first sheet that has one,
// by address ("B3"), from its styles part; the default font and border are
// left empty.
QMap<QString, CellStyle> cellStyles(const QString& file)
{
    QMap<int, QString> numberFormats;
    QStringList fonts;
    QList<bool> borders;
    QList<CellStyle> xfs;
    QXmlStreamReader styles(readZipPart(file, QStringLiteral("xl/styles.xml")));
    QString list;
    while (!styles.atEnd()) {
        if (styles.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = styles.name();
        const QXmlStreamAttributes a = styles.attributes();
        if (name == u"numFmt")
            numberFormats[a.value(QLatin1String("numFmtId")).toInt()] = a.value(QLatin1String("formatCode")).toString();
        else if (name == u"fonts" || name == u"borders" || name == u"cellXfs" || name == u"cellStyleXfs")
            list = name.toString();
        else if (name == u"font" && list == u"fonts")
            fonts.append(QString());
        else if (name == u"name" && list == u"fonts")
            fonts.last() = fonts.size() == 1 ? QString() : a.value(QLatin1String("val")).toString();
        else if (name == u"border" && list == u"borders")
            borders.append(false);
        else if (name == u"left" && list == u"borders")
            borders.last() = a.value(QLatin1String("style")) == u"thin";
        else if (name == u"xf" && list == u"cellXfs")
            xfs.append(CellStyle{numberFormats.value(a.value(QLatin1String("numFmtId")).toInt()), fonts.value(a.value(QLatin1String("fontId")).toInt()),
                        borders.value(a.value(QLatin1String("borderId")).toInt()) ? BorderLine::Continuous : BorderLine::None});
    }
    QMap<QString, CellStyle> cells;
    QXmlStreamReader sheet(readZipPart(file, QStringLiteral("xl/worksheets/sheet1.xml")));
    while (!sheet.atEnd())
        if (sheet.readNext() == QXmlStreamReader::StartElement && sheet.name() == u"c")
            cells[sheet.attributes().value(QLatin1String("r")).toString()] = xfs.value(sheet.attributes().value(QLatin1String("s")).toInt());
    return cells;
}

// A term whose values are all that a cell can make hard: blanks kept at
// both ends, empty and null values, numbers that must stay text, characters
// outside the basic plane, markup, control characters, a NUL, a long text.
void arrangeHardValues(TestDatabase& db)
{
    const QStringList roster{
        "1|K1|2020001|张三|C1|高等数学|王老师|数学学院||补考",
        "007|0012|00123456|李四|1E5|3.0|12|-1|1,000|缓考",
        "007|0012| 2020005 |䶮𪚥|C 2|𪚥龘 Ω ü 😀| |外语学院|=SUM(A1)|TRUE",
        "2|K2|2020001||C2|<a&b>\"'|赵老师|_x0041_|0.10|补考",
        "3|K3|2020003|王五|C3|" + QStringLiteral("长").repeated(2000) + "|钱老师|数学学院||补考",
    };
    db.addRoster(roster);
    db.exec(QStringLiteral("update t_bjgmd set bz = 'a' || char(9) || 'b' || char(10) || 'c' || char(1) || 'd', "
                           "kkyx = '甲' || char(0) || '乙' where xh = '2020003'"));
    db.exec(QStringLiteral("insert into t_js(jsm, rnrs) values('A101', 40), (' B 2 ', 30)"));
    db.exec(QStringLiteral("insert into t_kscs(cc, sjxh, sjxh1, jsid) values('1','1','1',1), ('2','007','007',2), ('2','2','2',0)"));
    db.exec(QStringLiteral("insert into t_cc(cc, kssj) values('1','6月20日 8:00'), ('2','')"));
}

QList<CellValue> rowValues(const Worksheet& sheet, int row, int columns)
{
    QList<CellValue> values;
    for (int c = 1; c <= columns; ++c)
        values.append(sheet.cell(row, c));
    return values;
}

QStringList rowTexts(const Worksheet& sheet, int row, int columns)
{
    QStringList texts;
    for (int c = 1; c <= columns; ++c)
        texts.append(cellText(sheet.cell(row, c)));
    return texts;
}

}  // namespace

class SpreadsheetWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheRosterWithItsControls();
    void fileChoice();
    void importStoresTheDataRows_data();
    void importStoresTheDataRows();
    void importOfRealWorkbooks_data();
    void importOfRealWorkbooks();
    void blankPathStartsNothing();
    void failureKeepsTheRowsBefore();
    void badWorkbooks_data();
    void badWorkbooks();
    void twoImportsInOneShowing();
    void importIntoAFilledRosterAsksFirst();
    void importAfterExportOrTemplate_data();
    void importAfterExportOrTemplate();
    void noSpreadsheetApplication_data();
    void noSpreadsheetApplication();
    void templateSavedAndImported();
    void cancelledSaveAsksBeforeDropping();
    void savedNameEndsInTheWorkbookSuffix_data();
    void savedNameEndsInTheWorkbookSuffix();
    void unwritablePlaceLetsTheUserChooseAgain();
    void exportReadBack();
    void exportFormatsAndBorders_data();
    void exportFormatsAndBorders();
    void exportOfMissingColumnKeepsTheWorkbook();
    void exportOfATextTooLongForACell();
    void exportOnAFullDisk_data();
    void exportOnAFullDisk();
    void exportMatchesTheKeptWorkbook_data();
    void exportMatchesTheKeptWorkbook();
    void exitEmptiesThePath();
    void hostileWorkbooksStaySmall_data();
    void hostileWorkbooksStaySmall();
    void longImportAsksAndCanBeCancelled_data();
    void longImportAsksAndCanBeCancelled();
    void databaseFaultIsNamedUnderTheMessage();
    void cellTextsThatCannotBeStored();
    void folderIsNotAFile();
};

void SpreadsheetWindowTest::showsTheRosterWithItsControls()
{
    Fixture f;
    f.db.addRoster(arrangedRoster);
    f.w.hide();
    f.w.show();
    QCOMPARE(f.w.windowTitle(), QStringLiteral("Form8"));
    QCOMPARE(f.w.ADOQuery1.RecordCount(), 4);
    QCOMPARE(f.w.DBGrid1->model()->columnCount(), 10);
    QCOMPARE(f.w.DBGrid1->model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("hbk"));
    QCOMPARE(f.w.Label1->text(), QStringLiteral("Label1"));
    QVERIFY(f.w.BitBtn1->isDefault());
    QCOMPARE(f.w.StatusBar1->objectName(), QStringLiteral("StatusBar1"));
    QVERIFY(f.w.StatusBar1->isAncestorOf(f.w.ProgressBar1));
    QVERIFY(f.dialogs.boxes.isEmpty());
}

void SpreadsheetWindowTest::fileChoice()
{
    Fixture f;
    f.w.Edit1->setText(QStringLiteral("kept.xls"));
    f.w.BitBtn1->click();  // cancelled
    QCOMPARE(f.w.Edit1->text(), QStringLiteral("kept.xls"));
    f.dialogs.openAnswers = {QStringLiteral("/home/clerk/名单.xlsx")};
    f.w.BitBtn1->click();
    QCOMPARE(f.w.Edit1->text(), QStringLiteral("/home/clerk/名单.xlsx"));
}

void SpreadsheetWindowTest::importStoresTheDataRows_data()
{
    QTest::addColumn<SheetRows>("sheet");
    QTest::addColumn<SheetRows>("stored");
    QTest::addColumn<QString>("said");

    const QString done = QStringLiteral("数据导入成功!");
    const auto leftOut = [&](int row, int rows) {
        return done + QStringLiteral("\n\n第 %1 行的 B 列（课程序号）为空，导入到此为止：从第 %1 行起还有 %2 行数据没有导入。").arg(row).arg(rows);
    };
    QTest::newRow("column B of row 2 empty") << SheetRows{header, {"1", "", "2020001"}, rosterRow(3)} << SheetRows{}
                                             << leftOut(2, 2);
    QTest::newRow("empty B ends the data, values below named")
        << SheetRows{header, rosterRow(1), rosterRow(2), rosterRow(3), rosterRow(4), rosterRow(5),
                     {"6", "", "2020006", "赵六", "C6", "课程6", "教师6", "学院6", "", "补考"}, rosterRow(7)}
        << SheetRows{rosterRow(1), rosterRow(2), rosterRow(3), rosterRow(4), rosterRow(5)} << leftOut(7, 2);
    SheetRows gap = rosterSheet(1, 999);
    gap[4][1].clear();
    QTest::newRow("999 rows, B5 empty") << gap << SheetRows{rosterRow(1), rosterRow(2), rosterRow(3)} << leftOut(5, 996);
    QTest::newRow("blank rows below are no data")
        << SheetRows{header, rosterRow(1), {}, {"", "", "  ", "", "", "", "", "", "", "", "K"}}
        << SheetRows{rosterRow(1)} << done;
    QTest::newRow("only B filled") << SheetRows{header, {"", "K9"}}
                                   << SheetRows{{"", "K9", "", "", "", "", "", "", "", ""}} << done;
    QTest::newRow("numbers as digits")
        << SheetRows{header, {"#1", "K1", "#2020023918", "张三", "#10023", "数学", "", "", "#0.5", "补考"}}
        << SheetRows{{"1", "K1", "2020023918", "张三", "10023", "数学", "", "", "0.5", "补考"}} << done;
    QTest::newRow("blanks trimmed, columns after J ignored")
        << SheetRows{header, {"  1", "\tK1 ", "　2020001　", " 张三", "C1", "数学 ", "", "", "", "缓考 ", "多余"}}
        << SheetRows{{"1", "K1", "2020001", "张三", "C1", "数学", "", "", "", "缓考"}} << done;
    QTest::newRow("B of blanks only ends the data") << SheetRows{header, rosterRow(1), {"2", "   "}, rosterRow(3)}
                                                  << SheetRows{rosterRow(1)} << leftOut(3, 2);
}

void SpreadsheetWindowTest::importStoresTheDataRows()
{
    QFETCH(SheetRows, sheet);
    QFETCH(SheetRows, stored);
    QFETCH(QString, said);
    Fixture f;
    f.import(f.book(QStringLiteral("名单.xlsx"), sheet));

    QCOMPARE(f.roster(), tableRows(stored));
    // An empty cell is the empty text, which later statements compare with.
    QCOMPARE(f.db.scalar(QStringLiteral("select count(*) from t_bjgmd where sjxh is null or kcxh is null or xh is null "
                                        "or xm is null or kcdm is null or kcmc is null or skjs is null or kkyx is null "
                                        "or bz is null or hbk is null")), QStringLiteral("0"));
    QCOMPARE(f.w.Label1->text(), QString::number(stored.size()));
    QCOMPARE(f.w.ADOQuery1.RecordCount(), stored.size());
    QCOMPARE(f.dialogs.pausedMilliseconds, 25 * stored.size());
    QCOMPARE(f.w.ProgressBar1->value(), f.w.ProgressBar1->maximum() * int(!stored.isEmpty()));
    QCOMPARE(f.dialogs.takeTexts(), QStringList{said});
    QCOMPARE(f.dialogs.boxes.size(), 0);
}

// Workbooks written by other programs, against LibreOffice's reading of them.
void SpreadsheetWindowTest::importOfRealWorkbooks_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("text digits with leading zeros") << QStringLiteral("28772.xls");
    QTest::newRow("large numbers, nine columns") << QStringLiteral("46250.xls");
    QTest::newRow("ragged rows") << QStringLiteral("ragged.xls");
}

void SpreadsheetWindowTest::importOfRealWorkbooks()
{
    QFETCH(QString, file);
    if (!QFileInfo::exists(fixtures))
        QSKIP("the shared fixture workbooks are not present");
    QFile csv(fixtures + u'/' + file + QStringLiteral(".first-sheet.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QStringList> sheet = parseCsv(QString::fromUtf8(csv.readAll()));
    QStringList expected;
    int r = 1;
    for (; r < sheet.size() && !trimBlanks(sheet[r].value(1)).isEmpty(); ++r) {
        QStringList row;
        for (int c = 0; c < 10; ++c)
            row.append(trimBlanks(sheet[r].value(c)));
        expected.append(row.join(u'|'));
    }
    QVERIFY(!expected.isEmpty());
    // Rows from the one that ended the data down that hold a value in A to J.
    const int stop = r + 1;
    int left = 0;
    for (; r < sheet.size(); ++r) {
        bool data = false;
        for (int c = 0; c < 10; ++c)
            data = data || !trimBlanks(sheet[r].value(c)).isEmpty();
        left += data;
    }
    QString said = QStringLiteral("数据导入成功!");
    if (left > 0)
        said += QStringLiteral("\n\n第 %1 行的 B 列（课程序号）为空，导入到此为止：从第 %1 行起还有 %2 行数据没有导入。").arg(stop).arg(left);

    Fixture f;
    f.import(fixtures + u'/' + file);
    QCOMPARE(f.roster(), expected);
    QCOMPARE(f.dialogs.takeTexts(), QStringList{said});
}

void SpreadsheetWindowTest::blankPathStartsNothing()
{
    Fixture f;
    int created = 0;
    f.w.createSpreadsheet = [&created](Dialogs& d) {
        ++created;
        return SpreadsheetApp::create(d);
    };
    f.import(QStringLiteral("  \t "));
    QCOMPARE(created, 0);
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes[0].kind, QStringLiteral("warning"));
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("请正确选择相关路径！"));
    QCOMPARE(f.roster(), QStringList());
}

// The table refuses the fifth row (a rule of the database): the four before
// it stay, the fifth is neither in the table nor in the window's result.
void SpreadsheetWindowTest::failureKeepsTheRowsBefore()
{
    Fixture f;
    f.db.exec(QStringLiteral("create trigger refuse before insert on t_bjgmd when new.kcxh = 'K5' "
                             "begin select raise(abort, 'refused'); end"));
    f.import(f.book(QStringLiteral("名单.xlsx"), rosterSheet(1, 7)));

    QCOMPARE(f.roster(), tableRows({rosterRow(1), rosterRow(2), rosterRow(3), rosterRow(4)}));
    QCOMPARE(f.w.ADOQuery1.RecordCount(), 4);
    QCOMPARE(f.w.Label1->text(), QStringLiteral("7"));
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes[0].kind, QStringLiteral("information"));
    QCOMPARE(f.dialogs.boxes[0].caption, QStringLiteral("提示信息"));
    QVERIFY(f.dialogs.boxes[0].text.startsWith(formatError));
    QVERIFY(f.dialogs.boxes[0].text.endsWith(QStringLiteral("refused")));
}

void SpreadsheetWindowTest::badWorkbooks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");  // empty: a fixture by that name
    QTest::addColumn<QString>("message");     // what the box begins with

    // A roster written here, then damaged inside the worksheet's compressed data.
    QTemporaryDir dir;
    Workbook roster;
    fill(roster.firstSheet(), rosterSheet(1, 40));
    roster.saveAs(dir.filePath(QStringLiteral("roster.xlsx")));
    QFile written(dir.filePath(QStringLiteral("roster.xlsx")));
    written.open(QIODevice::ReadOnly);
    const QByteArray xlsx = written.readAll();
    const qsizetype sheetData = xlsx.indexOf("xl/worksheets/sheet1.xml") + 60;
    QVERIFY(sheetData > 60);

    QTest::newRow("not there") << QStringLiteral("missing.xlsx") << QByteArray() << QStringLiteral("文件不存在");
    QTest::newRow("text file") << QStringLiteral("名单.xls") << QByteArray("sjxh,kcxh\n1,K1\n") << QStringLiteral("不是有效的Excel文件");
    QTest::newRow("empty file") << QStringLiteral("empty.xls") << QByteArray("") << QStringLiteral("不是有效的Excel文件");
    QTest::newRow("truncated") << QStringLiteral("cut.xlsx") << xlsx.left(xlsx.size() / 2) << QStringLiteral("不是有效的Excel文件");
    QTest::newRow("corrupt") << QStringLiteral("corrupt.xlsx") << QByteArray(xlsx).replace(sheetData, 64, QByteArray(64, 'x'))
                             << QStringLiteral("不是有效的Excel文件");
    QTest::newRow("password .xls") << fixtures + QStringLiteral("/password.xls") << QByteArray() << QStringLiteral("文件已加密");
    QTest::newRow("password .xlsx") << fixtures + QStringLiteral("/pass_protected.xlsx") << QByteArray() << QStringLiteral("文件已加密");
}

void SpreadsheetWindowTest::badWorkbooks()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    if (name.startsWith(fixtures) && !QFileInfo::exists(fixtures))
        QSKIP("the shared fixture workbooks are not present");
    Fixture f;
    f.db.addRoster({"1|K1|2020001|张三|C1|数学|||| 补考"});
    QString file = name.startsWith(u'/') ? name : f.path(name);
    if (!content.isNull() && !name.startsWith(u'/')) {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    const QStringList before = f.roster();
    f.import(file);

    QCOMPARE(f.roster(), before);
    QCOMPARE(f.w.Label1->text(), QStringLiteral("Label1"));
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes[0].kind, QStringLiteral("error"));
    QVERIFY2(f.dialogs.boxes[0].text.startsWith(message), qPrintable(f.dialogs.boxes[0].text));
}

void SpreadsheetWindowTest::twoImportsInOneShowing()
{
    Fixture f;
    f.import(f.book(QStringLiteral("a.xlsx"), rosterSheet(1, 3)));
    f.import(f.book(QStringLiteral("b.xlsx"), rosterSheet(4, 2)));
    QCOMPARE(f.roster(), tableRows(rosterSheet(1, 5).mid(1)));
    QCOMPARE(f.w.ADOQuery1.RecordCount(), 5);
    QCOMPARE(f.w.Label1->text(), QStringLiteral("2"));
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{QStringLiteral("数据导入成功!"),
                                                 QStringLiteral("名单中已有 3 条记录，导入的记录将追加在后面。是否继续？"),
                                                 QStringLiteral("数据导入成功!")}));
}

// The same workbook a second time: answering No leaves the term as it was.
void SpreadsheetWindowTest::importIntoAFilledRosterAsksFirst()
{
    Fixture f;
    const QString book = f.book(QStringLiteral("a.xlsx"), rosterSheet(1, 3));
    f.import(book);
    const QStringList once = f.db.rows(QStringLiteral("select rowid,quote(xh),quote(bz) from t_bjgmd"));
    f.dialogs.takeTexts();
    f.dialogs.confirmAnswers = {false};
    f.w.Label1->clear();
    f.import(book);
    QCOMPARE(f.dialogs.takeTexts(), QStringList{QStringLiteral("名单中已有 3 条记录，导入的记录将追加在后面。是否继续？")});
    QCOMPARE(f.db.rows(QStringLiteral("select rowid,quote(xh),quote(bz) from t_bjgmd")), once);
    QVERIFY(f.w.Label1->text().isEmpty());
}

void SpreadsheetWindowTest::importAfterExportOrTemplate_data()
{
    QTest::addColumn<bool>("exportFirst");
    QTest::newRow("after the export") << true;
    QTest::newRow("after the template") << false;
}

void SpreadsheetWindowTest::importAfterExportOrTemplate()
{
    QFETCH(bool, exportFirst);
    Fixture f;
    f.arrange();
    const QStringList before = f.roster();
    f.dialogs.saveAnswers = {f.path(QStringLiteral("first.xlsx"))};
    (exportFirst ? f.w.Button2 : f.w.Button1)->click();
    QVERIFY(QFile::exists(f.path(QStringLiteral("first.xlsx"))));

    f.import(f.book(QStringLiteral("名单.xlsx"), rosterSheet(7, 2)));
    QCOMPARE(f.roster(), before + tableRows({rosterRow(7), rosterRow(8)}));
    QCOMPARE(f.w.ADOQuery1.RecordCount(), 6);
}

void SpreadsheetWindowTest::noSpreadsheetApplication_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("import") << QStringLiteral("BitBtn2");
    QTest::newRow("template") << QStringLiteral("Button1");
    QTest::newRow("export") << QStringLiteral("Button2");
}

void SpreadsheetWindowTest::noSpreadsheetApplication()
{
    QFETCH(QString, button);
    Fixture f;
    f.arrange();
    f.w.createSpreadsheet = [](Dialogs&) { return std::unique_ptr<SpreadsheetApp>(); };
    f.w.Edit1->setText(f.book(QStringLiteral("名单.xlsx"), rosterSheet(7, 2)));
    f.w.findChild<QPushButton*>(button)->click();

    QCOMPARE(f.roster().size(), 4);
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes[0].kind, QStringLiteral("information"));
    QCOMPARE(f.dialogs.boxes[0].caption, QStringLiteral("提示信息"));
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("Excel没有安装！"));
    QCOMPARE(f.dialogs.openedDocuments, QStringList());
    QCOMPARE(f.w.ADOQuery1.SQL.Text(), QString::fromLatin1(rosterStatement));
}

void SpreadsheetWindowTest::templateSavedAndImported()
{
    Fixture f;
    const QString file = f.path(QStringLiteral("模板.xlsx"));
    f.dialogs.saveAnswers = {file};
    f.w.Button1->click();
    QVERIFY(f.dialogs.boxes.isEmpty());
    QCOMPARE(f.dialogs.openedDocuments, QStringList{file});
    QCOMPARE(f.w.ADOQuery1.SQL.Text(), QStringLiteral("select * from t_bjgmd"));

    const Workbook book = Workbook::open(file);
    const Worksheet& sheet = book.firstSheet();
    QCOMPARE(sheet.values().size(), size_t(20));
    QCOMPARE(rowTexts(sheet, 1, 10), header);
    QCOMPARE(rowTexts(sheet, 2, 10),
             (QStringList{"试卷序号(可以不导入)", "课程序号", "学号", "姓名", "课程代码", "课程名称", "任课教师", "院系", "备注", "补考或者缓考"}));
    QVERIFY(sheet.styles().empty());

    f.import(file);
    QCOMPARE(f.roster(), QStringList{rowTexts(sheet, 2, 10).join(u'|')});
    QCOMPARE(f.w.Label1->text(), QStringLiteral("1"));
}

// The save dialog stands for the question whether to save: cancelling it
// asks once more before the workbook is dropped.
void SpreadsheetWindowTest::cancelledSaveAsksBeforeDropping()
{
    Fixture f;
    f.dialogs.saveAnswers = {QString(), QString()};
    f.dialogs.confirmAnswers = {false, true};  // first: go back and save; second: drop it
    f.w.Button1->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList(2, QStringLiteral("工作簿尚未保存，确定不保存就关闭吗？")));
    QCOMPARE(f.dialogs.openedDocuments, QStringList());

    const QString file = f.path(QStringLiteral("later"));
    f.dialogs.saveAnswers = {QString(), file};
    f.dialogs.confirmAnswers = {false};
    f.w.Button1->click();
    QCOMPARE(f.dialogs.openedDocuments, QStringList{file + QStringLiteral(".xlsx")});
    QCOMPARE(Workbook::open(file + QStringLiteral(".xlsx")).firstSheet().values().size(), size_t(20));
}

void SpreadsheetWindowTest::savedNameEndsInTheWorkbookSuffix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no suffix") << "结果" << "结果.xlsx";
    QTest::newRow("the older format's suffix") << "结果.xls" << "结果.xlsx";
    QTest::newRow("the older format's suffix in capitals") << "结果.XLS" << "结果.xlsx";
    QTest::newRow("the workbook suffix") << "结果.XLSX" << "结果.XLSX";
    QTest::newRow("another suffix") << "结果.2027" << "结果.2027.xlsx";
}

// What is saved is an .xlsx workbook, so its name says so and the import
// reads it back as one.
void SpreadsheetWindowTest::savedNameEndsInTheWorkbookSuffix()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    Fixture f;
    f.dialogs.saveAnswers = {f.path(typed)};
    f.w.Button1->click();
    QCOMPARE(f.dialogs.openedDocuments, QStringList{f.path(saved)});
    QVERIFY(!QFile::exists(f.path(typed)) || typed == saved);
    f.import(f.path(saved));
    QCOMPARE(f.dialogs.lastText(), QStringLiteral("数据导入成功!"));
}

void SpreadsheetWindowTest::unwritablePlaceLetsTheUserChooseAgain()
{
    Fixture f;
    f.arrange();
    const QString good = f.path(QStringLiteral("结果.xlsx"));
    f.dialogs.saveAnswers = {f.path(QStringLiteral("no-such-folder/结果.xlsx")), good};
    f.w.Button2->click();
    QCOMPARE(f.dialogs.boxes.size(), 3);
    QCOMPARE(f.dialogs.boxes[0].text, unseatedQuestion);
    QCOMPARE(f.dialogs.boxes[1].kind, QStringLiteral("information"));
    QVERIFY(f.dialogs.boxes[1].text.startsWith(QStringLiteral("无法保存文件")));
    QCOMPARE(f.dialogs.boxes[2].text, QStringLiteral("导出成功!"));
    QCOMPARE(f.dialogs.openedDocuments, QStringList{good});
    QCOMPARE(Workbook::open(good).firstSheet().lastRow(), 5);
}

// The exported file read back by this program's reader and by xlsx2csv.
void SpreadsheetWindowTest::exportReadBack()
{
    Fixture f;
    f.arrange();
    const QString file = f.path(QStringLiteral("排考结果.xlsx"));
    f.dialogs.saveAnswers = {file};
    f.w.Button2->click();
    QCOMPARE(f.dialogs.boxes.size(), 2);
    QCOMPARE(f.dialogs.boxes[0].text, unseatedQuestion);
    QCOMPARE(f.dialogs.boxes[1].kind, QStringLiteral("warning"));
    QCOMPARE(f.dialogs.boxes[1].text, QStringLiteral("导出成功!"));
    QCOMPARE(f.dialogs.openedDocuments, QStringList{file});
    QCOMPARE(f.w.ADOQuery1.SQL.Text(), QStringLiteral("select * from hbkap"));
    QVERIFY(f.w.ADOQuery1.Eof());

    const QStringList titles{"学号", "试卷序号", "课程序号", "课程代码", "姓名", "课程名称", "授课教师", "开课院系", "备注", "缓补考", "考试时间", "场次", "教室"};
    const QStringList expected = f.db.rows(QStringLiteral("select xh,sjxh,kcxh,kcdm,xm,kcmc,skjs,kkyx,bz,hbk,kssj,cc,jsm from hbkap"));
    QCOMPARE(expected.size(), 4);
    QVERIFY(expected.contains(QStringLiteral("2020001|1|K1|C1|张三|高等数学|王老师|数学学院||补考|6月20日 8:00|1|A101")));
    QVERIFY(expected.contains(QStringLiteral("2020003|3|K3|C3|王五|线性代数|钱老师|数学学院||补考|||")));

    const Workbook book = Workbook::open(file);
    const Worksheet& sheet = book.firstSheet();
    QCOMPARE(rowTexts(sheet, 1, 13), titles);
    QStringList read;
    for (int r = 2; r <= sheet.lastRow(); ++r)
        read.append(rowTexts(sheet, r, 13).join(u'|'));
    QCOMPARE(read, expected);
    // The candidate of roomless paper 2 is in it with the room empty, as the
    // question before the export says.
    QVERIFY(read.contains(QStringLiteral("2020001|2|K2|C2|张三|大学英语|赵老师|外语学院||补考||2|")));

    QProcess xlsx2csv;
    xlsx2csv.start(QStringLiteral("xlsx2csv"), {file});
    QVERIFY(xlsx2csv.waitForFinished(30000));
    QCOMPARE(xlsx2csv.exitCode(), 0);
    const QList<QStringList> csv = parseCsv(QString::fromUtf8(xlsx2csv.readAllStandardOutput()));
    QCOMPARE(csv.value(0), titles);
    QStringList fromCsv;
    for (int r = 1; r < csv.size(); ++r) {
        QStringList row = csv[r];
        while (row.size() < 13)
            row.append(QString());
        fromCsv.append(row.join(u'|'));
    }
    // xlsx2csv writes the empty bordered row A2:F(n + 2) as a row of commas.
    QCOMPARE(fromCsv.mid(0, expected.size()), expected);
    QCOMPARE(fromCsv.mid(expected.size()), QStringList(fromCsv.size() - expected.size(), QStringLiteral("||||||||||||")));
}

void SpreadsheetWindowTest::exportFormatsAndBorders_data()
{
    QTest::addColumn<int>("candidates");
    QTest::newRow("empty result") << 0;
    QTest::newRow("ten rows") << 10;
}

// Which cells get the text format, the font and the borders: checked on the
// styles of the saved workbook's cells, and on the slot the export leaves.
void SpreadsheetWindowTest::exportFormatsAndBorders()
{
    QFETCH(int, candidates);
    Fixture f;
    QStringList roster;
    for (int i = 1; i <= candidates; ++i)
        roster.append(rosterRow(i).join(u'|'));
    f.db.addRoster(roster);

    std::optional<StreamedWorkbook> book;
    QCOMPARE(writeArrangement(f.w.ADOQuery1, [&]() -> StreamedWorkbook& { return book.emplace(); }), candidates);
    QCOMPARE(f.w.ADOQuery1.SQL.Text(), QString::fromLatin1(arrangementStatement));
    QCOMPARE(f.w.ADOQuery1.RecordCount(), candidates);
    QVERIFY(f.w.ADOQuery1.Eof());
    QCOMPARE(f.w.ADOQuery1.currentRow(), candidates - 1);
    const QString file = f.path(QStringLiteral("styles.xlsx"));
    book->saveAs(file);
    QCOMPARE(Workbook::open(file).firstSheet().lastRow(), candidates + 1);
    const QMap<QString, CellStyle> styles = cellStyles(file);

    const QList<bool> asText{true, true, true, true, false, false, true, false, true, false, true, true, true};
    const CellStyle framed{{}, QStringLiteral("宋体"), BorderLine::Continuous};
    for (int r = 1; r <= candidates + 3; ++r)
        for (int c = 1; c <= 14; ++c) {
            const bool inBlock = r >= 2 && r <= candidates + 2 && c <= 6;
            const bool textFormat = r >= 2 && r <= candidates + 1 && c <= 13 && asText[c - 1];
            CellStyle want = inBlock ? framed : CellStyle{};
            if (textFormat)
                want.numberFormat = QStringLiteral("@ ");
            const QString cell = QChar(u'A' + c - 1) + QString::number(r);
            QVERIFY2(styles.value(cell) == want, qPrintable(cell));
        }
}

// A saved query without a column of the export: the message, and the
// workbook as far as it was written is still the user's.
void SpreadsheetWindowTest::exportOfMissingColumnKeepsTheWorkbook()
{
    Fixture f;
    f.arrange();
    // Changed while the window is closed: its connection starts afresh.
    f.w.hide();
    f.db.exec(QStringLiteral("drop view hbkap"));
    f.db.exec(QStringLiteral("create view hbkap as select xh, sjxh, kcxh from t_bjgmd"));
    f.w.show();
    const QString file = f.path(QStringLiteral("部分.xlsx"));
    f.dialogs.saveAnswers = {file};
    f.w.Button2->click();
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{unseatedQuestion, formatError}));
    QCOMPARE(f.dialogs.openedDocuments, QStringList{file});
    const Workbook book = Workbook::open(file);
    QCOMPARE(rowValues(book.firstSheet(), 2, 4),
             (QList<CellValue>{CellValue::fromText("2020001"), CellValue::fromText("1"), CellValue::fromText("K1"), CellValue()}));
}

// A cell holds at most 32,767 characters: the export stops there with its
// message instead of reporting success for a workbook that cannot be saved,
// the rows before it are the user's, and the database is not left locked by
// the half-read result.
void SpreadsheetWindowTest::exportOfATextTooLongForACell()
{
    Fixture f;
    f.arrange();
    f.db.exec(QStringLiteral("update t_bjgmd set kcmc = replace(hex(zeroblob(16384)), '0', '长') where xh = '2020003'"));
    const QString file = f.path(QStringLiteral("部分.xlsx"));
    f.dialogs.saveAnswers = {file};
    f.w.Button2->click();
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{unseatedQuestion, formatError}));
    QCOMPARE(f.dialogs.openedDocuments, QStringList{file});
    const Workbook book = Workbook::open(file);
    QCOMPARE(cellText(book.firstSheet().cell(1, 1)), QStringLiteral("学号"));
    QVERIFY_THROWS_NO_EXCEPTION(f.db.exec(QStringLiteral("update t_bjgmd set bz = '已导出'")));
}

void SpreadsheetWindowTest::exportOnAFullDisk_data()
{
    QTest::addColumn<QString>("full");
    QTest::addColumn<int>("kilobytes");
    QTest::newRow("system temporary folder") << QStringLiteral("temp") << 300;
    QTest::newRow("program folder") << QStringLiteral("program") << 300;
    QTest::newRow("target folder") << QStringLiteral("target") << 64;
}

// An export of 3,000 candidates with one folder on a small file system that
// fills: the system's temporary folder is not used at all; when the
// program's own folder, where the workbook is made, is full, the clerk
// learns that nothing was saved and is offered nothing; a full target folder
// lets the clerk choose another. Whatever is saved reads back whole, and no
// file is left on the full disk.
void SpreadsheetWindowTest::exportOnAFullDisk()
{
    QFETCH(QString, full);
    QFETCH(int, kilobytes);
    Fixture f;
    constexpr int candidates = 3000;
    QStringList roster;
    for (int i = 1; i <= candidates; ++i)
        roster.append(rosterRow(i).join(u'|'));
    f.db.addRoster(roster);
    const SmallDisk disk(kilobytes);
    if (!disk.ok())
        QSKIP("mounting a small file system needs root");
    const QString small = disk.path();

    const QByteArray tempBefore = qgetenv("TMPDIR");
    if (full == u"temp")
        qputenv("TMPDIR", QFile::encodeName(small));
    if (full == u"program")
        QVERIFY(QDir::setCurrent(small));
    const auto restore = qScopeGuard([&] {
        tempBefore.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tempBefore);
        QDir::setCurrent(f.db.folder());
    });
    const QString good = f.path(QStringLiteral("结果.xlsx"));
    const QString onFullDisk = small + QStringLiteral("/结果.xlsx");
    f.dialogs.saveAnswers = {full == u"target" ? onFullDisk : good, good};
    f.w.Button2->click();
    const QStringList texts = f.dialogs.takeTexts();

    if (full == u"program") {
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].startsWith(formatError + QStringLiteral("\n\n工作簿没有写完整，无法保存，请腾出磁盘空间后重新导出。")),
                 qPrintable(texts[0]));
        QCOMPARE(f.dialogs.saveAnswers.size(), 2);
        QCOMPARE(f.dialogs.openedDocuments, QStringList());
        QVERIFY(!QFile::exists(good));
    } else {
        if (full == u"target") {
            QCOMPARE(texts.size(), 2);
            QVERIFY2(texts[0].startsWith(QStringLiteral("无法保存文件：") + onFullDisk), qPrintable(texts[0]));
        }
        QCOMPARE(texts.last(), QStringLiteral("导出成功!"));
        QCOMPARE(f.dialogs.openedDocuments, QStringList{good});
        const Workbook book = Workbook::open(good);
        QCOMPARE(book.firstSheet().lastRow(), candidates + 1);
        QCOMPARE(cellText(book.firstSheet().cell(candidates + 1, 5)), QStringLiteral("学生%1").arg(candidates));
    }
    QCOMPARE(QDir(small).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

void SpreadsheetWindowTest::exportMatchesTheKeptWorkbook_data()
{
    QTest::addColumn<QString>("term");
    QTest::newRow("hard values") << QStringLiteral("hard-values");
    QTest::newRow("empty result") << QStringLiteral("empty");
    QTest::newRow("missing column") << QStringLiteral("missing-column");
}

// The exported package part by part against the one kept beside this test,
// written by the export as the clerks have had it: any change of a cell, a
// shared string or a style shows. Only the time of writing may differ.
void SpreadsheetWindowTest::exportMatchesTheKeptWorkbook()
{
    QFETCH(QString, term);
    Fixture f;
    if (term != u"empty")
        arrangeHardValues(f.db);
    if (term == u"missing-column") {
        f.w.hide();
        f.db.exec(QStringLiteral("drop view hbkap"));
        f.db.exec(QStringLiteral("create view hbkap as select xh, sjxh, kcxh, kcdm, xm, kcmc from t_bjgmd"));
        f.w.show();
    }
    const QString file = f.path(QStringLiteral("导出.xlsx"));
    f.dialogs.saveAnswers = {file};
    f.w.Button2->click();
    // The hard values leave paper 2 without a room, as the arranged term does.
    QStringList asked = term == u"empty" ? QStringList() : QStringList{unseatedQuestion};
    asked.append(term == u"missing-column" ? formatError : QStringLiteral("导出成功!"));
    QCOMPARE(f.dialogs.takeTexts(), asked);

    const QDir kept(QStringLiteral(PAIKAO_EXPORT_EXPECTED) + u'/' + term);
    const QStringList parts = zipPartNames(file);
    QCOMPARE(parts.join(u'\n'), QString::fromUtf8(readFileBytes(kept.filePath(QStringLiteral("parts.txt")))).trimmed());
    static const QRegularExpression written(QStringLiteral("(<dcterms:(?:created|modified)[^>]*>)[^<]*"));
    for (const QString& part : parts) {
        QString got = QString::fromUtf8(readZipPart(file, part));
        QString want = QString::fromUtf8(readFileBytes(kept.filePath(part)));
        if (part == u"docProps/core.xml") {
            got.replace(written, QStringLiteral("\\1"));
            want.replace(written, QStringLiteral("\\1"));
        }
        qsizetype at = 0;
        while (at < got.size() && at < want.size() && got[at] == want[at])
            ++at;
        QVERIFY2(got == want, qPrintable(QStringLiteral("%1 differs at %2: %3 where %4 was kept")
                                              .arg(part).arg(at).arg(got.mid(at, 60), want.mid(at, 60))));
    }
}

void SpreadsheetWindowTest::exitEmptiesThePath()
{
    Fixture f;
    f.import(f.book(QStringLiteral("名单.xlsx"), rosterSheet(1, 2)));
    QVERIFY(f.w.ProgressBar1->value() > 0);
    f.w.BitBtn3->click();
    QVERIFY(!f.w.isVisible());
    QCOMPARE(f.w.Edit1->text(), QString());
    QCOMPARE(f.w.ProgressBar1->value(), 0);
    QVERIFY(!f.w.ADOQuery1.Active());
    QCOMPARE(f.w.Label1->text(), QStringLiteral("2"));

    f.w.show();
    QCOMPARE(f.w.ADOQuery1.RecordCount(), 2);
}

// Small files that claim a great deal: millions of minimal cells, or of
// empty shared strings. The import reads what it can use or refuses the
// file; either way its memory stays far below what the file claims.
void SpreadsheetWindowTest::hostileWorkbooksStaySmall_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QByteArray>("strings");
    QTest::addColumn<QString>("outcome"); // the last box begins with it

    const QByteArray head = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    const QByteArray tail = "</sheetData></worksheet>";
    // 160 rows of 16,000 cells each, 2.56 million cells in 41 MB of XML, 60 KB
    // zipped; column B is empty from row 12 on, so ten rows are data.
    const QByteArray cell = "<c><v>1</v></c>";
    const QByteArray keyed = "<row>" + cell.repeated(16000) + "</row>";
    const QByteArray unkeyed = "<row>" + cell + "<c/>" + cell.repeated(15998) + "</row>";
    QTest::newRow("minimal cells") << head + keyed.repeated(11) + unkeyed.repeated(149) + tail << QByteArray()
                                   << QStringLiteral("数据导入成功!");
    // 5 million empty shared strings: 25 MB of XML, 25 KB zipped.
    const QByteArray strings = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                               + QByteArray("<si/>").repeated(5'000'000) + "</sst>";
    QTest::newRow("empty shared strings") << head + "<row r=\"2\"><c r=\"B2\" t=\"s\"><v>0</v></c></row>" + tail << strings
                                          << QStringLiteral("不是有效的Excel文件");
}

void SpreadsheetWindowTest::hostileWorkbooksStaySmall()
{
    QFETCH(QByteArray, sheet);
    QFETCH(QByteArray, strings);
    QFETCH(QString, outcome);
    Fixture f;
    const QString file = f.path(QStringLiteral("hostile.xlsx"));
    writeZip(file, xlsxParts(sheet, strings));
    sheet.clear();
    strings.clear();
    QVERIFY(QFileInfo(file).size() < 200 * 1024);

    PeakMemory peak;
    if (!peak.start())
        QSKIP("this system cannot reset the peak memory of a process");
    f.import(file);
    const qint64 growthKb = peak.growthKb();
    QVERIFY2(!f.dialogs.boxes.isEmpty() && f.dialogs.boxes.last().text.startsWith(outcome), qPrintable(f.dialogs.lastText()));
    QVERIFY2(growthKb < 100 * 1024, qPrintable(QStringLiteral("peak memory rose by %1 MB").arg(growthKb / 1024)));
    QVERIFY(f.roster().size() <= 10);
}

void SpreadsheetWindowTest::longImportAsksAndCanBeCancelled_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("取消") << "button";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("closing the window") << "close";
}

// Thousands of rows take a long time: the clerk is told how long and asked,
// and "取消" (or Esc, or closing the window) stops after the current row,
// keeping the rows stored so far.
void SpreadsheetWindowTest::longImportAsksAndCanBeCancelled()
{
    QFETCH(QString, how);
    Fixture f;
    const int rows = TForm8::rowsWithoutAsking + 1;
    const QString file = f.book(QStringLiteral("大名单.xlsx"), rosterSheet(1, rows));

    f.dialogs.confirmAnswers = {false};
    f.import(file);
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes[0].kind, QStringLiteral("confirm"));
    QVERIFY2(f.dialogs.boxes[0].text.startsWith(QStringLiteral("要导入 %1 行名单，大约需要 2 分钟。").arg(rows)),
             qPrintable(f.dialogs.boxes[0].text));
    QCOMPARE(f.roster(), QStringList());
    f.dialogs.boxes.clear();

    int pauses = 0;
    bool onlyCancelTakesClicks = true;
    f.dialogs.duringPause = [&] {
        onlyCancelTakesClicks = onlyCancelTakesClicks && f.w.cancelButton->isEnabled() && !f.w.BitBtn2->isEnabled()
                                && !f.w.BitBtn3->isEnabled() && !f.w.Button2->isEnabled();
        if (++pauses != 5)
            return;
        if (how == "button")
            f.w.cancelButton->click();
        else if (how == "escape")
            QTest::keyClick(&f.w, Qt::Key_Escape);
        else
            f.w.close();
    };
    f.import(file);
    QVERIFY(onlyCancelTakesClicks);
    QCOMPARE(f.roster(), tableRows({rosterRow(1), rosterRow(2), rosterRow(3), rosterRow(4), rosterRow(5)}));
    QCOMPARE(f.dialogs.boxes.size(), 2);
    QCOMPARE(f.dialogs.boxes[1].kind, QStringLiteral("information"));
    QCOMPARE(f.dialogs.boxes[1].text, QStringLiteral("导入已取消：已导入 5 条记录，其余 %1 条没有导入。").arg(rows - 5));
    QCOMPARE(f.w.Label1->text(), QString::number(rows));
    QVERIFY(!f.w.cancelButton->isEnabled());
    QVERIFY(f.w.BitBtn2->isEnabled() && f.w.BitBtn3->isEnabled());
    QCOMPARE(f.w.ADOQuery1.RecordCount(), 5);
}

// A read-only database is not the workbook's fault: the cause goes under
// the message, and nothing is stored.
void SpreadsheetWindowTest::databaseFaultIsNamedUnderTheMessage()
{
    Fixture f;
    const QString file = f.book(QStringLiteral("名单.xlsx"), rosterSheet(1, 3));
    f.w.hide();
    ReadOnlyFile readOnly(f.db.file());
    f.w.show();
    QCOMPARE(f.w.ADOQuery1.RecordCount(), 0); // browsing works
    f.import(file);
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QVERIFY(f.dialogs.boxes[0].text.startsWith(formatError + QStringLiteral("\n\n")));
    QVERIFY2(f.dialogs.boxes[0].text.contains(QStringLiteral("是只读的")), qPrintable(f.dialogs.boxes[0].text));
    readOnly.makeWritable();
    QCOMPARE(f.roster(), QStringList());
    f.dialogs.boxes.clear();
    f.import(file); // works again without reopening the window
    QCOMPARE(f.dialogs.takeTexts(), QStringList{QStringLiteral("数据导入成功!")});
    QCOMPARE(f.roster().size(), 3);
}

// A cell longer than a spreadsheet cell can be is refused with its place;
// half a character pair becomes U+FFFD, never invalid text in the table.
void SpreadsheetWindowTest::cellTextsThatCannotBeStored()
{
    Fixture f;
    const QByteArray head = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    const QByteArray tail = "</sheetData></worksheet>";
    const QString longCell = f.path(QStringLiteral("long.xlsx"));
    writeZip(longCell, xlsxParts(head + "<row r=\"2\"><c r=\"B2\" t=\"inlineStr\"><is><t>K1</t></is></c></row>"
                                 "<row r=\"3\"><c r=\"B3\" t=\"inlineStr\"><is><t>K2</t></is></c>"
                                 "<c r=\"D3\" t=\"inlineStr\"><is><t>" + QByteArray("x").repeated(32768) + "</t></is></c></row>"
                                 + tail));
    f.import(longCell);
    QCOMPARE(f.dialogs.takeTexts(), QStringList{formatError + QStringLiteral("\n\n第3行第4列的内容超过32767个字符。")});
    QCOMPARE(f.db.rows(QStringLiteral("select kcxh from t_bjgmd")), QStringList{QStringLiteral("K1")});
    f.db.exec(QStringLiteral("delete from t_bjgmd"));

    const QString escapes = f.path(QStringLiteral("escape.xlsx"));
    writeZip(escapes, xlsxParts(head + "<row r=\"2\"><c r=\"B2\" t=\"inlineStr\"><is><t>K1</t></is></c>"
                                "<c r=\"D2\" t=\"inlineStr\"><is><t>张_xD800_三_xD83D__xDE00_</t></is></c></row>" + tail));
    f.import(escapes);
    QCOMPARE(f.dialogs.takeTexts(), QStringList{QStringLiteral("数据导入成功!")});
    QCOMPARE(f.db.rows(QStringLiteral("select hex(xm) from t_bjgmd")),
             QStringList{QString::fromLatin1(QStringLiteral("张\uFFFD三😀").toUtf8().toHex().toUpper())});
}

void SpreadsheetWindowTest::folderIsNotAFile()
{
    Fixture f;
    f.import(f.db.folder());
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes[0].kind, QStringLiteral("error"));
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("不是文件：") + f.db.folder());
}

QTEST_MAIN(SpreadsheetWindowTest)
#include "tst_spreadsheetwindow.moc"

// "学生考试安排": every candidate's papers in student and time order and
// each student's figures, read back from the written workbook and counted
// here again from the time texts; rare characters and long values; an
// empty term.
#include "MadeFiles.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit6.h"
#include "WindowFixture.h"
#include "Workbook.h"

#include <QDir>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

const QString longCourse = QString("很长的课程名称").repeated(500);
const QStringList sittings = {"08:00-10:00", "10:30-12:30", "14:30-16:30"};

// Periods 1-3 are Monday's three sittings, 4 and 5 Tuesday's first and
// last, 6 has a time without a date. Paper 7 (two courses) sits in period
// 4 with paper 4.
const QStringList periodTimes = {
    "2027-01-11 星期一 08:00-10:00", "2027-01-11 星期一 10:30-12:30", "2027-01-11 星期一 14:30-16:30",
    "2027-01-12 星期二 08:00-10:00", "2027-01-12 星期二 14:30-16:30", "另行通知",
};

// S01 two in a row, S02 two on one day apart, S03 three on one day, S04
// the last of one day and the first of the next, S05 two on Tuesday and
// the undated one, S06 both courses of one paper. Listed out of order.
const QStringList roster = {
    "6|K6|S05|戊|C6|日语|钱|外语系||补考",         "2|K2|S01|䶮|C2|大学英语|赵|外语系||补考",
    "1|K1|S01|䶮|C1|高等数学|王|数学系||补考",     "3|K3|S02|𪚥|C3|大学物理|张|物理系||补考",
    "1|K1|S02|𪚥|C1|高等数学|王|数学系||补考",     "3|K3|S03|丙|C3|大学物理|张|物理系||补考",
    "2|K2|S03|丙|C2|大学英语|赵|外语系||补考",     "1|K1|S03|丙|C1|高等数学|王|数学系||补考",
    "4|K4|S04|丁|C4|线性代数|李|数学系||缓考",     "3|K3|S04|丁|C3|大学物理|张|物理系||补考",
    "5|K5|S05|戊|C5|法语|孙|外语系||补考",         "4|K4|S05|戊|C4|线性代数|李|数学系||缓考",
    "7|K8|S06|己|C8|" + longCourse + "|周|化学系||补考", "7|K7|S06|己|C7|有机化学|周|化学系||补考",
};

struct Fixture : WindowFixture<TForm6> {
    Fixture() { w.show(); }

    void fillTerm()
    {
        db.addRoster(roster);
        db.exec("insert into t_js(jsm,rnrs) values('A101',40)");
        for (int p = 1; p <= 7; ++p)
            db.exec(QString("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('%1','%2','%2',1)").arg(p == 7 ? 4 : p).arg(p));
        for (int p = 1; p <= 6; ++p)
            db.exec(QString("insert into t_cc(cc,kssj) values('%1','%2')").arg(p).arg(periodTimes[p - 1]));
        reopen();
    }

    // Presses the button, saving where the clerk chooses.
    QString exportTo(const QString& name)
    {
        const QString path = QDir(db.folder()).filePath(name);
        dialogs.saveAnswers = {path};
        w.studentTimetableButton->click();
        return path;
    }
};

QList<QStringList> sheetRows(const Worksheet& sheet)
{
    QList<QStringList> rows;
    for (int r = 1; r <= sheet.lastRow(); ++r) {
        QStringList row;
        for (int c = 1; c <= 7; ++c) {
            const CellValue v = sheet.cell(r, c);
            row.append(v.kind == CellValue::Kind::Number ? QString::number(v.number) : v.text);
        }
        rows.append(row);
    }
    return rows;
}

// The second sheet, read with the program's reader (which reads the first):
// a copy whose first sheet entry points at the second sheet's part.
Worksheet secondSheet(const QString& path)
{
    QMap<QString, QByteArray> parts;
    for (const char* part : {"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml", "xl/styles.xml",
                             "xl/sharedStrings.xml", "xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml"})
        parts.insert(part, readZipPart(path, part));
    parts.insert("xl/_rels/workbook.xml.rels", readZipPart(path, "xl/_rels/workbook.xml.rels")
                                                   .replace("worksheets/sheet1.xml", "worksheets/sheetX.xml")
                                                   .replace("worksheets/sheet2.xml", "worksheets/sheet1.xml")
                                                   .replace("worksheets/sheetX.xml", "worksheets/sheet2.xml"));
    const QString copy = path + ".second.xlsx";
    writeZip(copy, parts);
    return Workbook::open(copy).firstSheet();
}

// Each student's figures counted from the time texts alone: the date and
// the sitting's place among the day's three; a time without a date is a
// day of its own.
QList<QStringList> countedFromTimes(TestDatabase& db)
{
    QMap<QString, QString> names;
    QMap<QString, QStringList> times; // per 学号, the time of each of their papers
    for (const QString& row : db.rows("select distinct b.xh, b.xm, b.sjxh, t.kssj from t_bjgmd b"
                                      " join t_kscs k on k.sjxh=b.sjxh join t_cc t on t.cc=k.cc")) {
        const QStringList v = row.split('|');
        names[v[0]] = v[1];
        times[v[0]].append(v[3]);
    }
    QList<QStringList> rows;
    for (auto s = times.begin(); s != times.end(); ++s) {
        QMap<QString, QList<int>> sittingsOfDay;
        int undated = 0;
        for (const QString& time : *s) {
            const QStringList words = time.split(' ');
            if (words.size() == 3)
                sittingsOfDay[words[0]].append(int(sittings.indexOf(words[2])));
            else
                sittingsOfDay[QString("undated %1").arg(++undated)].append(0);
        }
        bool inARow = false, two = false, three = false;
        for (QList<int> day : sittingsOfDay) {
            std::sort(day.begin(), day.end());
            two = two || day.size() >= 2;
            three = three || day.size() >= 3;
            for (int i = 1; i < day.size(); ++i)
                inARow = inARow || day[i] - day[i - 1] == 1;
        }
        const auto flag = [](bool on) { return on ? QString("是") : QString(); };
        rows.append({s.key(), names[s.key()], QString::number(s->size()), QString::number(sittingsOfDay.size()), flag(inARow),
                     flag(two), flag(three)});
    }
    return rows;
}

// The widths the sheet gives its columns, by column number.
QMap<int, double> columnWidths(const QString& path, const char* sheetPart)
{
    QMap<int, double> widths;
    static const QRegularExpression col(R"re(<col min="(\d+)" max="\1" width="([\d.]+)")re");
    auto found = col.globalMatch(QString::fromUtf8(readZipPart(path, sheetPart)));
    while (found.hasNext()) {
        const auto m = found.next();
        widths[m.captured(1).toInt()] = m.captured(2).toDouble();
    }
    return widths;
}

} // namespace

class TestStudentTimetable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void papersInStudentAndTimeOrderAndEachStudentsFigures();
    void anEmptyTermWritesNoFile();
};

void TestStudentTimetable::papersInStudentAndTimeOrderAndEachStudentsFigures()
{
    Fixture f;
    f.fillTerm();
    const QString chosen = f.exportTo("安排");
    const QString path = chosen + ".xlsx";
    // 14 rows, but S06 sits paper 7 once for both its courses.
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"导出成功：6 名学生，13 场考试"});
    QCOMPARE(f.dialogs.openedDocuments, QStringList{path});

    const Workbook book = Workbook::open(path);
    const QString mon = "2027-01-11 星期一 ", tue = "2027-01-12 星期二 ";
    QCOMPARE(sheetRows(book.firstSheet()),
             (QList<QStringList>{
                 {"学号", "姓名", "院系", "课程名称", "试卷序号", "考试时间", "教室"},
                 {"S01", "䶮", "数学系", "高等数学", "1", mon + sittings[0], "A101"},
                 {"S01", "䶮", "外语系", "大学英语", "2", mon + sittings[1], "A101"},
                 {"S02", "𪚥", "数学系", "高等数学", "1", mon + sittings[0], "A101"},
                 {"S02", "𪚥", "物理系", "大学物理", "3", mon + sittings[2], "A101"},
                 {"S03", "丙", "数学系", "高等数学", "1", mon + sittings[0], "A101"},
                 {"S03", "丙", "外语系", "大学英语", "2", mon + sittings[1], "A101"},
                 {"S03", "丙", "物理系", "大学物理", "3", mon + sittings[2], "A101"},
                 {"S04", "丁", "物理系", "大学物理", "3", mon + sittings[2], "A101"},
                 {"S04", "丁", "数学系", "线性代数", "4", tue + sittings[0], "A101"},
                 {"S05", "戊", "数学系", "线性代数", "4", tue + sittings[0], "A101"},
                 {"S05", "戊", "外语系", "法语", "5", tue + sittings[2], "A101"},
                 {"S05", "戊", "外语系", "日语", "6", "另行通知", "A101"},
                 {"S06", "己", "化学系", longCourse, "7", tue + sittings[0], "A101"},
                 {"S06", "己", "化学系", "有机化学", "7", tue + sittings[0], "A101"},
             }));

    const QList<QStringList> figures = sheetRows(secondSheet(path));
    QCOMPARE(figures.first(), (QStringList{"学号", "姓名", "试卷数", "考试天数", "同日连考两场", "同日考两场以上",
                                           "同日考三场以上"}));
    QCOMPARE(figures.mid(1), countedFromTimes(f.db));
    // The test's own count, checked by hand where it matters.
    QCOMPARE(figures[3], (QStringList{"S03", "丙", "3", "1", "是", "是", "是"}));
    QCOMPARE(figures[6], (QStringList{"S06", "己", "1", "1", "", "", ""}));

    // Columns as wide as their values: the time whole, the long course
    // name held to a readable width.
    const QMap<int, double> widths = columnWidths(path, "xl/worksheets/sheet1.xml");
    QVERIFY2(widths.value(6) >= 29 && widths.value(6) < 35, qPrintable(QString::number(widths.value(6))));
    QVERIFY2(widths.value(4) >= 55 && widths.value(4) <= 61, qPrintable(QString::number(widths.value(4))));
    QVERIFY(widths.value(1) >= 8 && widths.value(1) < 12);
    QVERIFY(columnWidths(path, "xl/worksheets/sheet2.xml").value(7) >= 16);
}

void TestStudentTimetable::anEmptyTermWritesNoFile()
{
    Fixture f;
    // Candidates, but no paper placed yet.
    f.db.addRoster({"1|K1|S01|甲|C1|高等数学|王|数学系||补考"});
    const QString path = f.exportTo("安排.xlsx");
    QCOMPARE(f.dialogs.takeTexts(),
             QStringList{"还没有排好场次的试卷，没有学生考试安排可导出。请先在“2.课程排考”中排考。"});
    QCOMPARE(f.dialogs.saveAnswers, QStringList{path}); // never asked where
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestStudentTimetable)
#include "tst_studenttimetable.moc"

// Reading report projects: the shipped project, lookup by name, missing
// files, and broken projects that must fail with a message naming the line.
#include "ExamRoomRows.h"
#include "ReportLayout.h"
#include "ReportProject.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString column = QStringLiteral("column = 学号 | 20 | xh | left\n");

} // namespace

class TestReportProject : public QObject {
    Q_OBJECT
private slots:
    void init() { QDir::setCurrent(QStringLiteral(PAIKAO_SOURCE_DIR)); }

    void loadsShippedProjectFromWindowsStylePath()
    {
        QString error;
        const auto project = ReportProject::load(".\\data\\Project2.rav", &error);
        QVERIFY2(project, qPrintable(error));
        QCOMPARE(project->origin(), QDir(PAIKAO_SOURCE_DIR).absoluteFilePath("data/Project2.rav"));
        const Report* report = project->find("Report2");
        QVERIFY(report);
        QCOMPARE(report->pageSize, QPageSize::A4);
        QCOMPARE(report->orientation, QPageLayout::Portrait);
        QCOMPARE(report->bodyFont.family, QStringLiteral("WenQuanYi Micro Hei"));
        QCOMPARE(report->title.segments, QStringList{"缓补考考场名单"});
        QStringList titles;
        for (const ReportColumn& c : report->columns)
            titles << c.title;
        QCOMPARE(titles.mid(0, 3), (QStringList{"序号", "学号", "姓名"}));
        QCOMPARE(report->columns[0].source, ReportColumn::Source::RowNumber);
        // Every field it names is a column of the print table.
        QCOMPARE(checkFields(*report, examRoomRows(1)), QString());
    }

    void findsReportRegardlessOfCase_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("expected");
        QTest::newRow("exact") << "Report2" << "Report2";
        QTest::newRow("lower") << "report2" << "Report2";
        QTest::newRow("upper") << "REPORT2" << "Report2";
        QTest::newRow("other report") << "rOOMcARD" << "RoomCard";
        QTest::newRow("absent") << "Report3" << "";
        QTest::newRow("prefix only") << "Report" << "";
    }

    void findsReportRegardlessOfCase()
    {
        QFETCH(QString, asked);
        QFETCH(QString, expected);
        QString error;
        const auto project = ReportProject::parse("[report Report2]\n" + column + "[report RoomCard]\n" + column,
                                                  "two.rav", &error);
        QVERIFY2(project, qPrintable(error));
        QString lookupError;
        const Report* found = project->find(asked, &lookupError);
        QCOMPARE(found ? found->name : QString(), expected);
        if (!found) {
            QVERIFY(lookupError.contains('"' + asked + '"'));
            QVERIFY(lookupError.contains("Report2, RoomCard"));
        }
    }

    void missingFileGivesExactText()
    {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        QString error;
        QVERIFY(!ReportProject::load(".\\data\\Project2.rav", &error));
        const QString full = QFileInfo(dir.path()).canonicalFilePath() + "/data/Project2.rav";
        QCOMPARE(error, "The following reporting project does not exist:\n\"" + full + "\"");
    }

    void brokenProjectNamesLineAndProblem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString head = "[report R]\n";
        QTest::newRow("not key = value") << head + column + "just words" << "line 3: expected \"key = value\"";
        QTest::newRow("key before report") << "page = A4 portrait\n" + head + column << "line 1: \"page = A4 portrait\" comes before any [report NAME]";
        QTest::newRow("bad section") << "[reprt R]\n" + column << "line 1: a section starts with \"[report NAME]\"";
        QTest::newRow("duplicate report") << head + column + "\n[report r]\n" + column << "line 4: the report \"r\" is defined twice (first on line 1)";
        QTest::newRow("unknown key") << head + column + "colum = a | 1 | b | left" << "line 3: unknown key \"colum\"";
        QTest::newRow("key twice") << head + "title = A\ntitle = B\n" + column << "line 3: \"title\" is given twice";
        QTest::newRow("page size") << head + "page = A9 portrait\n" + column << "line 2: unknown page size \"A9\"";
        QTest::newRow("orientation") << head + "page = A4 upright\n" + column << "line 2: the orientation must be portrait or landscape";
        QTest::newRow("margins count") << head + "margins = 10 10 10\n" + column << "line 2: margins are four millimetre values";
        QTest::newRow("margin not number") << head + "margins = 10 x 10 10\n" + column << "line 2: the top margin must be a positive number, not \"x\"";
        QTest::newRow("font size") << head + "font = WenQuanYi Micro Hei, big\n" + column << "line 2: the font size must be a positive number";
        QTest::newRow("font parts") << head + "font = WenQuanYi Micro Hei\n" + column << "line 2: a font is \"family, size\"";
        QTest::newRow("font style") << head + "font = WenQuanYi Micro Hei, 9, italic\n" + column << "line 2: the third part of a font can only be \"bold\"";
        QTest::newRow("column parts") << head + "column = 学号 | 20 | xh\n" << "line 2: a column is \"title | width | source | alignment\"";
        QTest::newRow("column width") << head + "column = 学号 | -3 | xh | left\n" << "line 2: the column width must be a positive number";
        QTest::newRow("column align") << head + "column = 学号 | 20 | xh | middle\n" << "line 2: alignment must be left, center or right, not \"middle\"";
        QTest::newRow("column source") << head + "column = 学号 | 20 | x h | left\n" << "line 2: the column source must be a field name";
        QTest::newRow("column overflow") << head + "column = 学号 | 20 | xh | left | shrink\n" << "line 2: the last part of a column can be \"wrap\" or \"elide\"";
        QTest::newRow("unclosed placeholder") << head + "header = 考场：{js\n" + column << "line 2: a \"{\" without its \"}\"";
        QTest::newRow("stray brace") << head + "footer = 第 page} 页\n" + column << "line 2: a \"}\" without its \"{\"";
        QTest::newRow("empty placeholder") << head + "title = 名单{}\n" + column << "line 2: an empty placeholder";
        QTest::newRow("no column") << head + "title = 名单\n[report S]\n" + column << "line 1: the report \"R\" has no column";
        QTest::newRow("no column at end") << head + column + "[report S]\ntitle = x\n" << "line 3: the report \"S\" has no column";
    }

    void brokenProjectNamesLineAndProblem()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QString error;
        QVERIFY(!ReportProject::parse(text, "broken.rav", &error));
        QVERIFY2(error.startsWith("broken.rav, " + expected), qPrintable(error));
    }

    void brokenFileOnDiskNamesItsPath()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("Project2.rav"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[report Report2]\ncolumn = 学号 | 20 | xh\n");
        file.close();
        QString error;
        QVERIFY(!ReportProject::load(file.fileName(), &error));
        QCOMPARE(error, QFileInfo(file).absoluteFilePath() +
                            ", line 2: a column is \"title | width | source | alignment\" with an optional "
                            "\"| wrap\" or \"| elide\", not \"学号 | 20 | xh\"");
    }

    void commentsBlankLinesAndCrLfAreIgnored()
    {
        QString error;
        const auto project = ReportProject::parse("# list\r\n\r\n[report R]\r\n  # indented comment\r\n" + column,
                                                  "crlf.rav", &error);
        QVERIFY2(project, qPrintable(error));
        QCOMPARE(project->reports().size(), 1);
        QCOMPARE(project->reports()[0].columns[0].field, QStringLiteral("xh"));
    }

    void emptyProjectHasNoReport()
    {
        QString error;
        const auto project = ReportProject::parse("# nothing yet\n", "empty.rav", &error);
        QVERIFY2(project, qPrintable(error));
        QVERIFY(!project->find("Report2"));
    }
};

QTEST_MAIN(TestReportProject)
#include "tst_reportproject.moc"

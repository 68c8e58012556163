// The printing window over a real database: the time and room lists, the
// candidates copied into t_print1, and the report printed from it as PDF.
#include "ComboBox.h"
#include "CommitCount.h"
#include "DBGrid.h"
#include "Fonts.h"
#include "GridRows.h"
#include "PdfText.h"
#include "RecordingDialogs.h"
#include "ReportDialogs.h"
#include "ReportLayout.h"
#include "ReportProject.h"
#include "TestDatabase.h"
#include "Unit9.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGlyphRun>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

namespace {

const QString everyTimeQuestion = QStringLiteral("没有选择考试时间，将打印所有考试时间的全部考场。是否继续？");
const QString morning = QStringLiteral("2024-06-20 08:30-10:30");
const QString afternoon = QStringLiteral("2024-06-21 14:00-16:00");
const QString bigRoom = QStringLiteral("教1-101");
const QString smallRoom = QStringLiteral("教2-202");

QString studentNumber(int n)
{
    return QStringLiteral("2023%1").arg(n, 6, 10, QLatin1Char('0'));
}

// Roster rows of one course, student numbers first..first+count-1, listed
// last to first so that the window has to do the ordering.
QStringList course(const QString& paper, const QString& kcxh, const QString& name, int first, int count)
{
    const QStringList names = {"张伟", "王芳", "欧阳晓明", "李娜", "陈静"};
    QStringList rows;
    for (int n = first + count - 1; n >= first; --n)
        rows << QStringList{paper, kcxh, studentNumber(n), names[n % names.size()], "C" + kcxh, name, "周建国",
                            "计算机学院", n % 7 == 0 ? "因病缓考" : "", n % 2 ? "补考" : "缓考"}
                    .join(u'|');
    return rows;
}

// Real values that the test data never had: 12-digit student numbers,
// names of eight characters and with 䶮 (U+4DAE) and 𪚥 (U+2A6A5), two
// teachers, long course names, and a long time and room name.
const QString longTime = QStringLiteral("2024年6月20日（星期四）上午 8:30—10:30");
const QString longRoom = QStringLiteral("第一教学楼A区-301（阶梯教室）");

QStringList longValueRoster(int count)
{
    const QStringList names = {"阿依古丽买买提江", "王䶮", "𪚥鑫", "穆罕默德艾力䶮𪚥", "诸葛孔明亮", "欧阳晓明"};
    const QStringList courses = {"马克思主义基本原理概论", "高等数学（上）",
                                 "马克思主义基本原理概论与当代中国社会发展实践研究"};
    const QStringList teachers = {"武桂,袁涛辉", "欧阳建国,司马相如", "周建国"};
    QStringList rows;
    for (int n = 1; n <= count; ++n) {
        const int c = n % courses.size();
        rows << QStringList{"1", QString("K0%1").arg(c + 1), QString("2021%1").arg(n, 8, 10, QLatin1Char('0')),
                            names[n % names.size()], "C" + QString::number(c), courses[c], teachers[c], "马克思主义学院",
                            n % 5 == 0 ? "因病缓考，持医院证明及辅导员签字" : "", n % 2 ? "补考" : "缓考"}
                    .join(u'|');
    }
    return rows;
}

// Where the columns of the shipped exam-room list lie across an A4 page, in points.
QList<double> columnEdges(const Report& report)
{
    const double pt = 72 / 25.4;
    double total = 0;
    for (const ReportColumn& c : report.columns)
        total += c.widthMm;
    const double width = 210 - report.marginsMm.left() - report.marginsMm.right();
    QList<double> edges{report.marginsMm.left() * pt};
    for (const ReportColumn& c : report.columns)
        edges << edges.last() + c.widthMm * width / total * pt;
    return edges;
}

QString joined(const QList<PdfWord>& words)
{
    QString text;
    for (const PdfWord& w : words)
        text += w.text;
    return text;
}

void writeProject(const QString& text)
{
    QFile file(QDir::current().filePath("data/Project2.rav"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

} // namespace

class TestPrintingWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void showingFillsTheTimeList_data();
    void showingFillsTheTimeList();
    void choosingATimeOffersItsRooms();
    void periodsOfOneTimeShareTheirRooms();
    void choosingARoomListsAndCopiesInGridOrder();
    void typingARoomNameCopiesAtEachChange_data();
    void typingARoomNameCopiesAtEachChange();
    void aQuoteInANameIsJustText();
    void printsEveryCandidateOfTheRoomOnce();
    void printReadsTheLastChoice();
    void theClerkChoosesTheOutputFirst();
    void missingProjectIsReportedWithItsPath();
    void projectProblems_data();
    void projectProblems();
    void databaseErrorsReachTheErrorBox();
    void exitClosesAndPrintIsTheDefault();
    void longValuesPrintWhole();
    void rareCharactersShowOnScreen();
    void anEmptyPrintTableIsNotPrinted();
    void printAllPrintsEveryRoomOfTheTime_data();
    void printAllPrintsEveryRoomOfTheTime();
    void printAllWithoutTimeAnsweredNoPrintsNothing();
    void chosenPdfFileIsNamed();
    void emptyListSaysWhy();
    void printAllWithoutRoomsSaysSo();
    void copiesCommitOncePerChoiceAndRun();
    void printAllShowsProgressAndCanBeCancelled();

private:
    // Two exam times and two rooms: the first time seats papers 1 and 2
    // (`candidates` of them, courses K01, K02, K03) in the big room and
    // paper 3 (5) in the small one; the second time seats paper 4 (7) in
    // the big room.
    void placeExams(int candidates);
    void show();
    void choose(const QString& time, const QString& room);
    QStringList gridRows() const;
    QStringList printRows();

    std::unique_ptr<WindowFixture<TForm9>> f;
};

void TestPrintingWindow::init()
{
    f = std::make_unique<WindowFixture<TForm9>>();
    QVERIFY(QFile::copy(PAIKAO_SOURCE_DIR "/data/Project2.rav", f->db.folder() + "/data/Project2.rav"));
}

void TestPrintingWindow::cleanup()
{
    QCOMPARE(f->dialogs.takeTexts(), QStringList());
    f.reset();
}

void TestPrintingWindow::placeExams(int candidates)
{
    f->db.exec(QString("INSERT INTO t_js(jsm,rnrs) VALUES('%1',150),('%2',40)").arg(bigRoom, smallRoom));
    f->db.exec(QString("INSERT INTO t_cc(cc,kssj) VALUES('1','%1'),('2','%2')").arg(morning, afternoon));
    f->db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','1','1',1),('1','2','2',1),('1','3','3',2),"
             "('2','4','4',1)");
    const int first = candidates / 2;
    const int second = candidates / 4;
    // K03 gets lower student numbers than K02: the list orders by course before student.
    f->db.addRoster(course("1", "K01", "高等数学（上）", 1, first)
                  + course("2", "K02", "思想政治理论", first + second + 1, candidates - first - second)
                  + course("2", "K03", "大学英语", first + 1, second) + course("3", "K04", "线性代数", 900, 5)
                  + course("4", "K05", "数据结构", 950, 7));
}

void TestPrintingWindow::show()
{
    f->w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f->w));
}

void TestPrintingWindow::choose(const QString& time, const QString& room)
{
    f->w.ComboBox1->setCurrentIndex(f->w.ComboBox1->findText(time));
    QCOMPARE(f->w.ComboBox1->currentText(), time);
    f->w.ComboBox2->setCurrentIndex(f->w.ComboBox2->findText(room));
    QCOMPARE(f->w.ComboBox2->currentText(), room);
}

QStringList TestPrintingWindow::gridRows() const
{
    return ::gridRows(f->w.DBGrid1);
}

QStringList TestPrintingWindow::printRows()
{
    return f->db.rows("SELECT sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk,js,kssj FROM t_print1 ORDER BY rowid");
}

void TestPrintingWindow::showingFillsTheTimeList_data()
{
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("text");
    QTest::newRow("no period: the box is not touched") << QStringList{} << QStringList{} << "ComboBox1";
    QTest::newRow("one period") << QStringList{morning} << QStringList{morning} << "";
    QTest::newRow("ordered as stored, then trimmed")
        << QStringList{afternoon, " " + afternoon, morning + "  "} << QStringList{afternoon, morning, afternoon}
        << "";
    QTest::newRow("one time twice") << QStringList{morning, morning} << QStringList{morning, morning} << "";
}

void TestPrintingWindow::showingFillsTheTimeList()
{
    QFETCH(QStringList, times);
    QFETCH(QStringList, listed);
    QFETCH(QString, text);
    for (int i = 0; i < times.size(); ++i)
        f->db.exec(QString("INSERT INTO t_cc(cc,kssj) VALUES('%1','%2')").arg(i + 1).arg(times[i]));
    f->db.exec("INSERT INTO t_print1(xh) VALUES('kept')");
    show();
    QStringList items;
    for (int i = 0; i < f->w.ComboBox1->count(); ++i)
        items << f->w.ComboBox1->itemText(i);
    QCOMPARE(items, listed);
    QCOMPARE(f->w.ComboBox1->currentText(), text);
    // Filling the list is not a choice: no room list, no copy.
    QCOMPARE(f->w.ComboBox2->currentText(), QStringLiteral("ComboBox2"));
    QCOMPARE(f->w.Label4->text(), QStringLiteral("Label4"));
    QCOMPARE(f->db.rows("SELECT xh FROM t_print1"), QStringList{"kept"});
}

void TestPrintingWindow::choosingATimeOffersItsRooms()
{
    placeExams(12);
    f->db.exec("INSERT INTO t_print1(xh) VALUES('kept')");
    show();
    f->w.ComboBox1->setCurrentIndex(f->w.ComboBox1->findText(morning));
    QStringList rooms;
    for (int i = 0; i < f->w.ComboBox2->count(); ++i)
        rooms << f->w.ComboBox2->itemText(i);
    rooms.sort();
    QCOMPARE(rooms, (QStringList{bigRoom, smallRoom}));
    QCOMPARE(f->w.ComboBox2->currentText(), QString());
    QCOMPARE(f->db.rows("SELECT xh FROM t_print1"), QStringList{"kept"});

    // A time without rooms leaves the rooms of the last one.
    f->w.ComboBox1->setEditText("2099-01-01");
    QCOMPARE(f->w.ComboBox2->count(), 2);
    f->w.ComboBox1->setCurrentIndex(f->w.ComboBox1->findText(afternoon));
    QCOMPARE(f->w.ComboBox2->count(), 1);
    QCOMPARE(f->w.ComboBox2->itemText(0), bigRoom);
}

void TestPrintingWindow::periodsOfOneTimeShareTheirRooms()
{
    placeExams(12);
    f->db.exec(QString("UPDATE t_cc SET kssj='%1'").arg(morning));
    show();
    QCOMPARE(f->w.ComboBox1->count(), 2);
    choose(morning, bigRoom);
    QCOMPARE(f->w.Label4->text(), QStringLiteral("19"));
    QCOMPARE(f->db.scalar("SELECT count(*) FROM t_print1 WHERE sjxh='4'"), QStringLiteral("7"));
}

void TestPrintingWindow::choosingARoomListsAndCopiesInGridOrder()
{
    placeExams(12);
    f->db.addRoster({"2|K02|  2023000099 |  周 杰 |CK02|思想政治理论|周建国|计算机学院| |补考"});
    show();
    choose(morning, bigRoom);
    QCOMPARE(f->w.Label4->text(), QStringLiteral("13"));

    const QStringList grid = gridRows();
    QStringList numbers;
    for (const QString& row : grid)
        numbers << row.section(u'|', 0, 2);
    QStringList expected;
    for (int n = 1; n <= 6; ++n)
        expected << "1|K01|" + studentNumber(n);
    expected << "2|K02|  2023000099 ";
    for (int n = 10; n <= 12; ++n)
        expected << "2|K02|" + studentNumber(n);
    for (int n = 7; n <= 9; ++n)
        expected << "2|K03|" + studentNumber(n);
    QCOMPARE(numbers, expected);

    // t_print1 holds the grid's rows in the grid's order, each value trimmed.
    QStringList trimmed;
    for (const QString& row : grid) {
        QStringList values = row.split(u'|');
        for (QString& value : values)
            value = value.trimmed();
        trimmed << values.join(u'|');
    }
    QCOMPARE(printRows(), trimmed);
    QCOMPARE(printRows().first(),
             "1|K01|" + studentNumber(1) + "|王芳|CK01|高等数学（上）|周建国|计算机学院||补考|" + bigRoom + "|" + morning);
    QVERIFY(printRows().contains("2|K02|2023000099|周 杰|CK02|思想政治理论|周建国|计算机学院||补考|" + bigRoom
                                 + "|" + morning));

    // Another room replaces the list.
    choose(morning, smallRoom);
    QCOMPARE(f->w.Label4->text(), QStringLiteral("5"));
    QCOMPARE(f->db.scalar("SELECT group_concat(DISTINCT sjxh) FROM t_print1"), QStringLiteral("3"));
}

void TestPrintingWindow::typingARoomNameCopiesAtEachChange_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("listed");
    QTest::newRow("the whole name") << bigRoom << 12;
    QTest::newRow("the start of a name") << QStringLiteral("教1-10") << 0;
    QTest::newRow("more than the name") << bigRoom + "A" << 0;
    QTest::newRow("the other room") << smallRoom << 5;
    QTest::newRow("no such room") << QStringLiteral("操场") << 0;
}

void TestPrintingWindow::typingARoomNameCopiesAtEachChange()
{
    QFETCH(QString, typed);
    QFETCH(int, listed);
    placeExams(12);
    show();
    choose(morning, smallRoom);
    QCOMPARE(f->w.Label4->text(), QStringLiteral("5"));
    f->w.ComboBox2->clearEditText();
    for (const QChar c : typed) {
        // A key event of its own: QTest's key clicks take Latin-1 only.
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(f->w.ComboBox2->lineEdit(), &key);
        // Each keystroke lists and copies: t_print1 always matches the count.
        QCOMPARE(f->db.scalar("SELECT count(*) FROM t_print1"), f->w.Label4->text());
    }
    QCOMPARE(f->w.ComboBox2->currentText(), typed);
    QCOMPARE(f->w.Label4->text(), QString::number(listed));
    QCOMPARE(gridRows().size(), listed);
    QCOMPARE(f->w.ComboBox2->count(), 2);  // typing adds nothing to the list
}

void TestPrintingWindow::aQuoteInANameIsJustText()
{
    f->db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('O''Neil 厅',30)");
    f->db.exec("INSERT INTO t_cc(cc,kssj) VALUES('1','周一 ''上午''')");
    f->db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','1','1',1)");
    f->db.addRoster({"1|K01|2023000001|D'Arcy|C1|数据结构|周建国|计算机学院||补考"});
    show();
    choose("周一 '上午'", "O'Neil 厅");
    QCOMPARE(f->w.Label4->text(), QStringLiteral("1"));
    QCOMPARE(printRows(), QStringList{"1|K01|2023000001|D'Arcy|C1|数据结构|周建国|计算机学院||补考|O'Neil 厅|周一 '上午'"});
}

void TestPrintingWindow::printsEveryCandidateOfTheRoomOnce()
{
    placeExams(130);
    show();
    choose(morning, bigRoom);
    QCOMPARE(f->w.Label4->text(), QStringLiteral("130"));
    QTemporaryDir out;
    f->w.presetOutput = toPdf(out.filePath("room.pdf"));
    f->w.Button1->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList());

    const QStringList pages = pdfPages(f->w.presetOutput->pdfPath);
    const int count = int(pages.size());
    QCOMPARE(pdfInfo(f->w.presetOutput->pdfPath, "Pages"), QString::number(count));
    QCOMPARE(pdfInfo(f->w.presetOutput->pdfPath, "Title"), QStringLiteral("ReportPrinter Report"));
    QVERIFY(count > 1);

    const QStringList onEveryPage = {"缓补考考场名单", "考试时间：" + compact(morning), "考场：" + bigRoom,
                                     "应考人数：130人", "序号", "学号", "姓名", "试卷序号", "课程名称", "授课教师",
                                     "类别", "备注", "考生签名", "实到人数：", "监考教师签名："};
    const QRegularExpression number("\\b2023\\d{6}\\b");
    QStringList printed;
    QList<int> perPage;
    for (int p = 0; p < count; ++p) {
        const QString page = compact(pages[p]);
        for (const QString& text : onEveryPage + QStringList{QString("第%1页共%2页").arg(p + 1).arg(count)})
            QVERIFY2(page.contains(text), qPrintable(QString("page %1 lacks %2").arg(p + 1).arg(text)));
        perPage << 0;
        for (const auto& match : number.globalMatch(pages[p])) {
            printed << match.captured();
            ++perPage.last();
        }
    }
    // Every candidate once, in the grid's order; every row fits on one line,
    // so every page but the last is full.
    QStringList listed;
    for (const QString& row : gridRows())
        listed << row.section(u'|', 2, 2);
    QCOMPARE(printed, listed);
    for (int p = 1; p < count - 1; ++p)
        QCOMPARE(perPage[p], perPage[0]);
    QVERIFY(perPage.last() <= perPage.first());
    QCOMPARE(count, (130 + perPage.first() - 1) / perPage.first());
    for (const QString text : {"欧阳晓明", "思想政治理论", "高等数学（上）", "因病缓考", "补考", "缓考"})
        QVERIFY2(pages.join("").contains(text), qPrintable(text));
}

void TestPrintingWindow::printReadsTheLastChoice()
{
    placeExams(12);
    show();
    QTemporaryDir out;
    const auto print = [&](const QString& room) {
        choose(morning, room);
        f->w.presetOutput = toPdf(out.filePath(room + ".pdf"));
        f->w.Button1->click();
        return compact(pdfPages(f->w.presetOutput->pdfPath).join(""));
    };
    QVERIFY(print(bigRoom).contains("应考人数：12人"));
    const QString second = print(smallRoom);
    QVERIFY(second.contains("应考人数：5人"));
    QVERIFY(second.contains(studentNumber(900)));
    QVERIFY(!second.contains(studentNumber(1)));
}

void TestPrintingWindow::theClerkChoosesTheOutputFirst()
{
    placeExams(12);
    show();
    choose(morning, smallRoom);
    QString title;
    QTimer::singleShot(0, [&title] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            title = dialog->windowTitle();
            dialog->close();  // cancelled: nothing is printed
        }
    });
    f->w.Button1->click();
    QCOMPARE(title, QStringLiteral("Output Options"));
}

void TestPrintingWindow::missingProjectIsReportedWithItsPath()
{
    QVERIFY(QFile::remove("data/Project2.rav"));
    QTemporaryDir out;
    f->w.presetOutput = toPdf(out.filePath("none.pdf"));
    f->w.Button1->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"The following reporting project does not exist:\n\""
                                               + QDir::currentPath() + "/data/Project2.rav\""});
    QVERIFY(!QFile::exists(f->w.presetOutput->pdfPath));
}

void TestPrintingWindow::projectProblems_data()
{
    QTest::addColumn<QString>("project");
    QTest::addColumn<QStringList>("named");  // what the message names; empty: no message
    QTest::addColumn<bool>("printed");
    const QString column = "column = 学号 | 23 | xh | left\n";
    QTest::newRow("report name in other letter case") << "[report rePORT2]\n" + column << QStringList{} << true;
    QTest::newRow("no report of that name: nothing happens")
        << "[report Report3]\n" + column << QStringList{} << false;
    QTest::newRow("bad alignment")
        << "[report Report2]\ncolumn = 学号 | 23 | xh | middle\n"
        << QStringList{"Project2.rav, line 2", "middle"} << false;
    QTest::newRow("not a setting") << "[report Report2]\n" + column + "this is not a setting\n"
                                   << QStringList{"Project2.rav, line 3"} << false;
    QTest::newRow("unknown field") << "[report Report2]\n" + column + "column = 姓名 | 20 | xhm | left\n"
                                   << QStringList{"line 3", "\"xhm\"", "not in the data set"} << false;
    QTest::newRow("unknown placeholder field")
        << "[report Report2]\ntitle = {room}\n" + column << QStringList{"room"} << false;
}

void TestPrintingWindow::projectProblems()
{
    QFETCH(QString, project);
    QFETCH(QStringList, named);
    QFETCH(bool, printed);
    placeExams(12);
    writeProject(project);
    show();
    choose(morning, smallRoom);
    QTemporaryDir out;
    f->w.presetOutput = toPdf(out.filePath("list.pdf"));
    f->w.Button1->click();
    const QStringList texts = f->dialogs.takeTexts();
    QCOMPARE(texts.size(), named.isEmpty() ? 0 : 1);
    for (const QString& part : named)
        QVERIFY2(texts.first().contains(part), qPrintable(texts.first()));
    QCOMPARE(QFile::exists(f->w.presetOutput->pdfPath), printed);
}

void TestPrintingWindow::databaseErrorsReachTheErrorBox()
{
    placeExams(12);
    show();
    f->db.exec("DROP TABLE t_print1");
    choose(morning, smallRoom);
    // The list is shown and counted before the copy fails.
    QCOMPARE(f->w.Label4->text(), QStringLiteral("5"));
    QCOMPARE(f->dialogs.takeTexts().size(), 1);
    QTemporaryDir out;
    f->w.presetOutput = toPdf(out.filePath("list.pdf"));
    f->w.Button1->click();
    const QStringList texts = f->dialogs.takeTexts();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.first().contains("t_print1"), qPrintable(texts.first()));
    QVERIFY(!QFile::exists(f->w.presetOutput->pdfPath));
}

void TestPrintingWindow::exitClosesAndPrintIsTheDefault()
{
    show();
    QVERIFY(f->w.Button1->isDefault());
    f->w.Button2->click();
    QVERIFY(!f->w.isVisible());
}

void TestPrintingWindow::longValuesPrintWhole()
{
    f->db.exec(QString("INSERT INTO t_js(jsm,rnrs) VALUES('%1',150)").arg(longRoom));
    f->db.exec(QString("INSERT INTO t_cc(cc,kssj) VALUES('1','%1')").arg(longTime));
    f->db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','1','1',1)");
    f->db.addRoster(longValueRoster(45));
    show();
    choose(longTime, longRoom);
    QCOMPARE(f->w.Label4->text(), QStringLiteral("45"));
    QTemporaryDir out;
    f->w.presetOutput = toPdf(out.filePath("long.pdf"));
    f->w.Button1->click();
    const QString pdf = f->w.presetOutput->pdfPath;

    QString error;
    const auto project = ReportProject::load(QStringLiteral("data/Project2.rav"), &error);
    QVERIFY2(project, qPrintable(error));
    const Report& report = *project->find("Report2");
    const QList<double> edges = columnEdges(report);
    const QList<QList<PdfWord>> pages = pdfWords(pdf);
    QVERIFY(pages.size() >= 2);

    // Column by column, top to bottom over every page, the words give the
    // title and then each row's value, whole and in the grid's order; no
    // word crosses into the next column.
    const QList<QList<PdfWord>> tableLines = [&] {
        QList<QList<PdfWord>> lines;
        for (const QList<PdfWord>& page : pages) {
            bool inTable = false;
            for (const QList<PdfWord>& line : pdfLines(page)) {
                const QString text = joined(line);
                inTable = (inTable || text.startsWith("序号")) && !text.startsWith("实到人数");
                if (inTable)
                    lines << line;
            }
        }
        return lines;
    }();
    const QStringList gridFields = {"sjxh", "kcxh", "xh", "xm", "kcdm", "kcmc", "skjs", "kkyx", "bz", "hbk", "jsm", "kssj"};
    for (int c = 0; c < report.columns.size(); ++c) {
        const ReportColumn& column = report.columns[c];
        if (column.source != ReportColumn::Source::Field)
            continue;
        const int field = gridFields.indexOf(column.field);
        QVERIFY(field >= 0);
        QString expected, printed;
        for (const QString& row : gridRows())
            expected += row.section(u'|', field, field);
        for (const QList<PdfWord>& line : tableLines)
            for (const PdfWord& w : line)
                if (w.box.center().x() > edges[c] && w.box.center().x() < edges[c + 1]) {
                    QVERIFY2(w.box.left() > edges[c] && w.box.right() < edges[c + 1],
                             qPrintable(w.text + " crosses the edge of " + column.title));
                    if (w.text != column.title)
                        printed += w.text;
                }
        // Qt's PDF writer maps only characters of the Basic Multilingual Plane
        // back to text: 𪚥 (U+2A6A5) is drawn, but pdftotext cannot give it.
        const QString beyondBmp = QStringLiteral("𪚥");
        QVERIFY2(compact(printed).remove(beyondBmp).endsWith(compact(expected).remove(beyondBmp)),
                 qPrintable(column.title + ": " + printed.right(200)));
    }

    for (int p = 0; p < pages.size(); ++p) {
        const QList<PdfWord>& words = pages[p];
        QStringList lines;
        for (const QList<PdfWord>& line : pdfLines(words))
            lines << compact(joined(line));
        // Nothing shortened, nothing drawn over anything else.
        for (int i = 0; i < words.size(); ++i) {
            QVERIFY2(!words[i].text.contains(QChar(0x2026)) && !words[i].text.contains("..."), qPrintable(words[i].text));
            for (int j = i + 1; j < words.size(); ++j) {
                const QRectF both = words[i].box.intersected(words[j].box);
                QVERIFY2(both.width() < 0.5 || both.height() < 0.5,
                         qPrintable(QString("page %1: \"%2\" overlaps \"%3\"").arg(p + 1).arg(words[i].text, words[j].text)));
            }
        }
        // The header's parts do not fit side by side: each has a line of its own.
        for (const QString& part : {"考试时间：" + longTime, "考场：" + longRoom, QStringLiteral("应考人数：45 人")})
            QVERIFY2(lines.contains(compact(part)), qPrintable(QString("page %1 lacks %2").arg(p + 1).arg(part)));
        // The footer's do, and its own page count is right.
        const QString footer = lines.last();
        QVERIFY2(footer.contains(QString("第%1页共%2页").arg(p + 1).arg(pages.size())), qPrintable(footer));
        QVERIFY2(footer.endsWith(compact("考场：" + longRoom)), qPrintable(footer));
    }

    // The rare characters are real glyphs of the embedded fallback font: the
    // report's font finds both there, and 䶮 reads back from the PDF.
    const QString fonts = pdfFonts(pdf);
    QVERIFY2(QRegularExpression("BabelStoneHan .* yes ").match(fonts).hasMatch(), qPrintable(fonts));
    QVERIFY(pdfPages(pdf).join("").contains(QStringLiteral("王䶮")));
    QTextLayout layout(QStringLiteral("䶮𪚥"), makeFont(report.bodyFont));
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QCOMPARE(layout.glyphRuns().size(), 1);
    QCOMPARE(layout.glyphRuns().first().rawFont().familyName(), rareCharacterFamily);
    QVERIFY(!layout.glyphRuns().first().glyphIndexes().contains(0));
}

void TestPrintingWindow::rareCharactersShowOnScreen()
{
    // The program's own font, as start-up sets it.
    const QFont previous = QApplication::font();
    QApplication::setFont(fontWithFallback(QStringLiteral("WenQuanYi Micro Hei"), 10));
    f->db.exec(QString("INSERT INTO t_js(jsm,rnrs) VALUES('%1',150)").arg(longRoom));
    f->db.exec(QString("INSERT INTO t_cc(cc,kssj) VALUES('1','%1')").arg(longTime));
    f->db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','1','1',1)");
    f->db.addRoster(longValueRoster(6));
    show();
    choose(longTime, longRoom);

    // The grid draws 䶮 and 𪚥 with the fallback font, the rest with the main one.
    const QString name = QStringLiteral("穆罕默德艾力䶮𪚥");
    QTextLayout layout(name, f->w.DBGrid1->font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun& run : layout.glyphRuns())
        families << run.rawFont().familyName() + ":" + QString::number(run.glyphIndexes().size());
    families.sort();
    QCOMPARE(families, (QStringList{"BabelStone Han:2", "WenQuanYi Micro Hei:6"}));
    for (const QGlyphRun& run : layout.glyphRuns())
        for (const quint32 glyph : run.glyphIndexes())
            QVERIFY(glyph != 0);  // 0 is the empty box of a missing character

    // A picture of the grid for the eye, where a test run keeps its files.
    f->w.DBGrid1->resizeColumnsToContents();
    const QImage picture = f->w.grab().toImage();
    QVERIFY(!picture.isNull());
    picture.save(QDir(QCoreApplication::applicationDirPath()).filePath("printing-window-rare-characters.png"));
    QApplication::setFont(previous);
}

void TestPrintingWindow::anEmptyPrintTableIsNotPrinted()
{
    placeExams(12);
    show();
    choose(morning, smallRoom);
    f->w.ComboBox2->setEditText(QStringLiteral("操场"));  // no such room: the list and t_print1 are empty
    QCOMPARE(f->db.scalar("SELECT count(*) FROM t_print1"), QStringLiteral("0"));
    QTemporaryDir out;
    f->w.presetOutput = toPdf(out.filePath("empty.pdf"));
    f->w.Button1->click();
    QCOMPARE(f->dialogs.boxes.size(), 1);
    QCOMPARE(f->dialogs.boxes.first().kind, QStringLiteral("message"));
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"没有可打印的考生，请先选择考试时间和教室"});
    QVERIFY(!QFile::exists(f->w.presetOutput->pdfPath));
}

void TestPrintingWindow::printAllPrintsEveryRoomOfTheTime_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<QStringList>("rooms");  // time|room in the order printed
    QTest::newRow("a time with two rooms") << morning << QStringList{morning + "|" + bigRoom, morning + "|" + smallRoom};
    QTest::newRow("blank time: every time")
        << QString() << QStringList{morning + "|" + bigRoom, morning + "|" + smallRoom, afternoon + "|" + bigRoom};
}

void TestPrintingWindow::printAllPrintsEveryRoomOfTheTime()
{
    QFETCH(QString, time);
    QFETCH(QStringList, rooms);
    placeExams(130);
    // Someone not yet given a room is in no list.
    f->db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','5','5',0)");
    f->db.addRoster({"5|K09|2023777777|孙丽|C9|概率论|吴敏|数学学院||补考"});
    show();
    f->w.ComboBox1->setEditText(time);
    QTemporaryDir out;
    f->w.presetOutput = toPdf(out.filePath("all.pdf"));
    f->w.printAllButton->click();
    // The clerk is told of the candidate left out before anything prints.
    const QString leftOut = QStringLiteral("有 1 名考生的试卷还没有教室，打印的内容中没有他们。\n是否仍要打印？");
    const QStringList asked = time.isEmpty() ? QStringList{everyTimeQuestion, leftOut} : QStringList{leftOut};
    QCOMPARE(f->dialogs.takeTexts(), asked);

    // What each room's candidates are, by the database.
    QMap<QString, QStringList> expected;
    for (const QString& room : rooms)
        expected[room] = f->db.rows(QString("SELECT xh FROM hbkap WHERE kssj='%1' AND jsm='%2' ORDER BY sjxh,kcxh,xh")
                                      .arg(room.section(u'|', 0, 0), room.section(u'|', 1, 1)));

    // Each page's header names its room; the room's pages run 1..M of its own.
    const QStringList pages = pdfPages(f->w.presetOutput->pdfPath);
    const QRegularExpression number("\\b2023\\d{6}\\b");
    const QRegularExpression pageOf("第(\\d+)页共(\\d+)页");
    QStringList order;
    QMap<QString, QStringList> printed;
    QMap<QString, QList<int>> pageNumbers;
    int total = 0;
    for (const QString& page : pages) {
        const QString text = compact(page);
        QString room;
        for (const QString& r : rooms)
            if (text.contains("考试时间：" + compact(r.section(u'|', 0, 0)) + "考场：" + r.section(u'|', 1, 1)))
                room = r;
        QVERIFY2(!room.isEmpty(), qPrintable(page.left(300)));
        if (order.isEmpty() || order.last() != room)
            order << room;
        QVERIFY(text.contains(QString("应考人数：%1人").arg(expected[room].size())));
        const auto m = pageOf.match(text);
        QVERIFY(m.hasMatch());
        pageNumbers[room] << m.captured(1).toInt();
        for (const auto& match : number.globalMatch(page)) {
            printed[room] << match.captured();
            ++total;
        }
    }
    QCOMPARE(order, rooms);
    for (const QString& room : rooms) {
        QCOMPARE(printed[room], expected[room]);
        const QList<int> numbers = pageNumbers[room];
        for (int i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers[i], i + 1);
        QVERIFY(QRegularExpression(QString("第%1页共%1页").arg(numbers.size())).match(compact(pages.join(""))).hasMatch());
    }
    QVERIFY(!pages.join("").contains("2023777777"));

    // t_print1 ends holding the last room's list, and the window shows it.
    const QString last = rooms.last();
    QCOMPARE(f->db.rows("SELECT xh FROM t_print1 ORDER BY rowid"), expected[last]);
    QCOMPARE(f->db.scalar("SELECT group_concat(DISTINCT js || '|' || kssj) FROM t_print1"),
             last.section(u'|', 1, 1) + "|" + last.section(u'|', 0, 0));
    QCOMPARE(f->w.Label4->text(), QString::number(expected[last].size()));
    QCOMPARE(gridRows().size(), expected[last].size());
}

void TestPrintingWindow::printAllWithoutTimeAnsweredNoPrintsNothing()
{
    placeExams(12);
    f->db.exec("INSERT INTO t_print1(xh) VALUES('kept')");
    show();
    f->w.ComboBox1->setEditText(" ");
    QTemporaryDir out;
    f->w.presetOutput = toPdf(out.filePath("all.pdf"));
    f->dialogs.confirmAnswers = {false};
    f->w.printAllButton->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{everyTimeQuestion});
    QVERIFY(!QFile::exists(f->w.presetOutput->pdfPath));
    QCOMPARE(f->db.rows("SELECT xh FROM t_print1"), QStringList{"kept"});
}

// A PDF file chosen in the setup dialog is named in a box once written.
void TestPrintingWindow::chosenPdfFileIsNamed()
{
    placeExams(12);
    show();
    choose(morning, smallRoom);
    QTemporaryDir out;
    const QString path = out.filePath("小教室.pdf");
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* setup = qobject_cast<OutputOptionsDialog*>(QApplication::activeModalWidget())) {
            setup->findChild<QRadioButton*>("toFile")->setChecked(true);
            setup->findChild<QLineEdit*>("fileName")->setText(path);
            setup->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        }
    });
    poll.start(0);
    f->w.Button1->click();
    poll.stop();
    QVERIFY(QFile::exists(path));
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"已生成 PDF 文件：" + QDir::toNativeSeparators(path)});
}

void TestPrintingWindow::emptyListSaysWhy()
{
    f->db.exec("INSERT INTO t_cc(cc,kssj) VALUES('1','')");
    show();
    QCOMPARE(shownEmptyText(f->w.DBGrid1), QString("还没有考试时间：请先在“5.指定时间”中给各场次指定考试时间"));
    f->w.hide();
    placeExams(3);
    show();
    QCOMPARE(shownEmptyText(f->w.DBGrid1), QString("请选择考试时间和考场"));
    choose(morning, smallRoom);
    QCOMPARE(shownEmptyText(f->w.DBGrid1), QString());
}

// The print table is scratch: a room chosen or a whole run is one commit,
// however many candidates it holds, so that printing waits on no disk sync
// per candidate.
void TestPrintingWindow::copiesCommitOncePerChoiceAndRun()
{
    placeExams(130);
    show();
    const CommitCount count(f->dm.ADOConnection1.engineHandle());
    choose(morning, bigRoom);
    QCOMPARE(printRows().size(), 130);
    QCOMPARE(count.commits(), 1);

    f->w.ComboBox1->setEditText(QString());
    QTemporaryDir out;
    f->w.presetOutput = toPdf(out.filePath("all.pdf"));
    f->w.printAllButton->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{everyTimeQuestion});
    QCOMPARE(count.commits(), 2);
    QCOMPARE(printRows().size(), 7); // the last room of the last time
}

void TestPrintingWindow::printAllWithoutRoomsSaysSo()
{
    placeExams(12);
    f->db.exec("INSERT INTO t_print1(xh) VALUES('kept')");
    show();
    f->w.ComboBox1->setEditText("2099-01-01");
    QTemporaryDir out;
    f->w.presetOutput = toPdf(out.filePath("none.pdf"));
    f->w.printAllButton->click();
    QCOMPARE(f->dialogs.takeTexts(), QStringList{"这个考试时间没有已安排教室的考生，无可打印的考场"});
    QVERIFY(!QFile::exists(f->w.presetOutput->pdfPath));
    QCOMPARE(f->db.rows("SELECT xh FROM t_print1"), QStringList{"kept"});
}

void TestPrintingWindow::printAllShowsProgressAndCanBeCancelled()
{
    placeExams(130);
    show();
    f->w.ComboBox1->setEditText(morning);
    QTemporaryDir out;
    const QString path = out.filePath("cancelled.pdf");
    QStringList lines;
    QString statusTitle;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* modal = QApplication::activeModalWidget();
        if (auto* setup = qobject_cast<OutputOptionsDialog*>(modal)) {
            setup->findChild<QRadioButton*>("toFile")->setChecked(true);
            setup->findChild<QLineEdit*>("fileName")->setText(path);
            setup->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        } else if (auto* status = qobject_cast<ReportStatusWindow*>(modal)) {
            statusTitle = status->windowTitle();
            lines << status->findChild<QLabel*>("statusLine")->text();
            status->findChild<QPushButton*>("cancel")->click();
        }
    });
    poll.start(0);
    f->w.printAllButton->click();
    poll.stop();
    QCOMPARE(f->dialogs.takeTexts(), QStringList());
    QCOMPARE(statusTitle, QStringLiteral("Report Status"));
    QVERIFY2(lines.contains("Generating page 1"), qPrintable(lines.join(',')));
    QVERIFY(!lines.contains("Printing page 1"));
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestPrintingWindow)
#include "tst_printingwindow.moc"

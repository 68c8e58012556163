// Laying reports out and writing them as PDF through a real QPrinter; the
// PDFs are read back with pdftotext and pdfinfo (poppler-utils).
#include "ExamRoomRows.h"
#include "PdfText.h"
#include "ReportDialogs.h"
#include "ReportEngine.h"
#include "ReportProject.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Margins 10 mm and rows of 10 mm leave room for 26 rows under the heading
// row on A4: 277 mm of height, less the heading and the gap above the table.
const QString gridProject = QStringLiteral(
    "[report Grid]\n"
    "margins = 10 10 10 10\n"
    "font = WenQuanYi Micro Hei, 9\n"
    "row.height = 10\n"
    "column = 序号 | 10 | # | center\n"
    "column = 学号 | 30 | xh | left\n"
    "[report Paged]\n"
    "title = 名单 {js}\n"
    "column = 学号 | 30 | xh | left\n"
    "footer = | 第 {page} 页 共 {pages} 页 |\n");

Report reportFrom(const QString& text, const QString& name)
{
    QString error;
    const auto project = ReportProject::parse(text, "test.rav", &error);
    if (!project)
        qFatal("%s", qPrintable(error));
    return *project->find(name);
}

Report shippedReport2()
{
    QString error;
    const auto project = ReportProject::load(PAIKAO_SOURCE_DIR "/data/Project2.rav", &error);
    if (!project)
        qFatal("%s", qPrintable(error));
    return *project->find("report2");
}

} // namespace

class TestReportOutput : public QObject {
    Q_OBJECT
private slots:
    void pageCountFollowsRowsPerPage_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::newRow("no rows still gives a page") << 0 << 1;
        QTest::newRow("one row") << 1 << 1;
        QTest::newRow("a full page") << 26 << 1;
        QTest::newRow("one more") << 27 << 2;
        QTest::newRow("two full pages") << 52 << 2;
        QTest::newRow("into a third") << 53 << 3;
        QTest::newRow("130 rows") << 130 << 5;
    }

    void pageCountFollowsRowsPerPage()
    {
        QFETCH(int, rows);
        QFETCH(int, pages);
        const Report report = reportFrom(gridProject, "grid");
        QString error;
        const auto laidOut = layOutReport(report, examRoomRows(rows), {}, &error);
        QVERIFY2(laidOut, qPrintable(error));
        QCOMPARE(laidOut->pages.size(), pages);
        // The row numbers run on across pages without a gap or a repeat.
        QStringList numbers;
        for (const LaidOutPage& page : laidOut->pages)
            for (const PlacedText& t : page.texts)
                if (t.rect.left() < 20 && t.text != "序号")
                    numbers << t.text;
        QStringList expected;
        for (int i = 1; i <= rows; ++i)
            expected << QString::number(i);
        QCOMPARE(numbers, expected);
    }

    void examRoomListAsPdf()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("list.pdf");
        const Report report = shippedReport2();
        const DataSet data = examRoomRows(130);
        QCOMPARE(ReportEngine().run(report, data, toPdf(path)), QString());

        const QStringList pages = pdfPages(path);
        const qsizetype count = pages.size();
        QCOMPARE(pdfInfo(path, "Pages"), QString::number(count));
        QCOMPARE(pdfInfo(path, "Title"), QStringLiteral("ReportPrinter Report"));
        QVERIFY2(count >= 3 && count <= 7, qPrintable(QString::number(count)));  // 20 to 45 rows a page

        const QStringList onEveryPage = {"缓补考考场名单", "考试时间：2024-03-0208:30-10:30", "考场：教1-101",
                                         "应考人数：130人", "序号", "学号", "姓名", "试卷序号", "课程名称",
                                         "授课教师", "类别", "备注", "考生签名", "监考教师签名：", "实到人数："};
        for (int p = 0; p < count; ++p) {
            const QString page = compact(pages[p]);
            for (const QString& text : onEveryPage)
                QVERIFY2(page.contains(text), qPrintable(QString("page %1 lacks %2").arg(p + 1).arg(text)));
            const QString footer = QString("第%1页共%2页").arg(p + 1).arg(count);
            QVERIFY2(page.contains(footer), qPrintable(QString("page %1 lacks %2").arg(p + 1).arg(footer)));
        }
        const QString all = pages.join(u'\n');
        for (int i = 0; i < data.rows.size(); ++i) {
            const QRegularExpression number("\\b" + studentNumber(i) + "\\b");
            QVERIFY2(all.count(number) == 1, qPrintable(studentNumber(i)));
        }
        for (const QString name : {"欧阳晓明", "张伟", "补考", "缓考", "高等数学（上）", "因病缓考"})
            QVERIFY2(all.contains(name), qPrintable(name));
    }

    void copiesRepeatPagesCollatedOrNot_data()
    {
        QTest::addColumn<bool>("collate");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("collated") << true << QList<int>{1, 2, 3, 1, 2, 3};
        QTest::newRow("not collated") << false << QList<int>{1, 1, 2, 2, 3, 3};
    }

    void copiesRepeatPagesCollatedOrNot()
    {
        QFETCH(bool, collate);
        QFETCH(QList<int>, order);
        QTemporaryDir dir;
        OutputOptions options = toPdf(dir.filePath("copies.pdf"));
        options.copies = 2;
        options.collate = collate;
        const Report report = reportFrom(gridProject, "Paged");
        QString error;
        QCOMPARE(layOutReport(report, examRoomRows(80), {}, &error)->pages.size(), 3);
        QCOMPARE(ReportEngine().run(report, examRoomRows(80), options), QString());
        QList<int> printed;
        const QRegularExpression footer("第(\\d+)页共3页");
        for (const QString& page : pdfPages(options.pdfPath))
            printed << footer.match(compact(page)).captured(1).toInt();
        QCOMPARE(printed, order);
    }

    void progressHearsEachPage()
    {
        QTemporaryDir dir;
        QList<std::pair<ReportPhase, int>> heard;
        const QString error = ReportEngine().run(reportFrom(gridProject, "Grid"), examRoomRows(53),
                                                 toPdf(dir.filePath("p.pdf")),
                                                 [&](ReportPhase phase, int page) {
                                                     heard << std::pair{phase, page};
                                                     return true;
                                                 });
        QCOMPARE(error, QString());
        using P = ReportPhase;
        const QList<std::pair<ReportPhase, int>> expected = {{P::Generating, 1}, {P::Generating, 2}, {P::Generating, 3},
                                                             {P::Printing, 1},   {P::Printing, 2},   {P::Printing, 3},
                                                             {P::Finished, 3}};
        QCOMPARE(heard, expected);
    }

    void statusLineNamesThePage_data()
    {
        QTest::addColumn<ReportPhase>("phase");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("line");
        QTest::newRow("generating") << ReportPhase::Generating << 3 << "Generating page 3";
        QTest::newRow("printing") << ReportPhase::Printing << 12 << "Printing page 12";
        QTest::newRow("finished hides") << ReportPhase::Finished << 4 << "";
    }

    void statusLineNamesThePage()
    {
        QFETCH(ReportPhase, phase);
        QFETCH(int, page);
        QFETCH(QString, line);
        QCOMPARE(statusText(ReportSettings{}, phase, page), line);
    }

    void unknownFieldFailsBeforeOutput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString head = "[report Room]\n";
        const QString column = "column = 学号 | 30 | xh | left\n";
        QTest::newRow("column") << head + "column = 学号 | 30 | xhh | left\n"
                                << "Report \"Room\", line 2: the field \"xhh\" is not in the data set";
        QTest::newRow("title") << head + "title = {kcmcc}\n" + column
                               << "Report \"Room\", line 2: the field \"kcmcc\" is not in the data set";
        QTest::newRow("header") << head + column + "header = 考场：{js} | {kss}\n"
                                << "Report \"Room\", line 3: the field \"kss\" is not in the data set";
        QTest::newRow("signature") << head + column + "signature = {who}签名：\n"
                                   << "Report \"Room\", line 3: the field \"who\" is not in the data set";
        QTest::newRow("footer") << head + column + "\nfooter = 第 {pg} 页\n"
                                << "Report \"Room\", line 4: the field \"pg\" is not in the data set";
    }

    void unknownFieldFailsBeforeOutput()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("never.pdf");
        const QString error = ReportEngine().run(reportFrom(text, "room"), examRoomRows(5), toPdf(path));
        QVERIFY2(error.startsWith(expected), qPrintable(error));
        QVERIFY(error.contains("(its fields: sjxh, kcxh, xh, xm"));
        QVERIFY(!QFile::exists(path));
    }

    void fieldNamesAndPlaceholdersIgnoreCase()
    {
        const Report report = reportFrom("[report R]\ntitle = {JS} {Page}\ncolumn = 学号 | 30 | XH | left\n", "r");
        QString error;
        const auto laidOut = layOutReport(report, examRoomRows(2), {}, &error);
        QVERIFY2(laidOut, qPrintable(error));
        QStringList texts;
        for (const PlacedText& t : laidOut->pages[0].texts)
            texts << t.text;
        QVERIFY(texts.contains("教1-101 1"));
        QVERIFY(texts.contains(studentNumber(1)));
    }

    void pdfPathProblemsAreReported_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no name") << "  " << "No file name was given for the PDF file.";
        QTest::newRow("no such folder") << "/nonexistent-folder/x.pdf"
                                        << "The PDF file cannot be written:\n\"/nonexistent-folder/x.pdf\"";
    }

    void pdfPathProblemsAreReported()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(ReportEngine().run(shippedReport2(), examRoomRows(3), toPdf(path)), expected);
    }

    void longTextWrapsOrIsCutShort()
    {
        const QString text = "马克思主义基本原理概论与当代中国社会发展实践研究";
        DataSet data{{"a", "b"}, {{text, text}}};
        // On A4 with 15 mm margins the first two columns are 20 mm wide.
        const Report report = reportFrom("[report R]\ncolumn = 换行 | 20 | a | left | wrap\n"
                                         "column = 省略 | 20 | b | left | elide\n"
                                         "column = 其余 | 140 | - | left\n", "r");
        QString error;
        const auto laidOut = layOutReport(report, data, {}, &error);
        QVERIFY2(laidOut, qPrintable(error));
        QStringList wrapped, elided;
        for (const PlacedText& t : laidOut->pages[0].texts) {
            if (t.text == "换行" || t.text == "省略" || t.rect.left() > 55)
                continue;
            (t.rect.center().x() < 35 ? wrapped : elided) << t.text;
        }
        QVERIFY2(wrapped.size() > 1, qPrintable(wrapped.join('|')));
        QCOMPARE(wrapped.join(QString()), text);
        QCOMPARE(elided.size(), 1);
        QVERIFY(elided[0].endsWith(QChar(0x2026)));
        QVERIFY(text.startsWith(elided[0].chopped(1)));
    }

    // A 20 mm column on A4 with 15 mm margins: 17 mm for text at 10 pt.
    void cellsKeepTheirValueWhole_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("smaller");
        QTest::newRow("fits") << "王芳" << QStringList{"王芳"} << false;
        QTest::newRow("a little too wide: smaller type") << "阿依古丽买" << QStringList{"阿依古丽买"} << true;
        QTest::newRow("digits: smaller type") << "2021000001" << QStringList{"2021000001"} << true;
        QTest::newRow("far too many digits wrap") << "202100000000001" << QStringList{"20210000", "0000001"} << false;
        QTest::newRow("two teachers break after the comma")
            << "欧阳建国,司马相如" << QStringList{"欧阳建国,", "司马相如"} << false;
        QTest::newRow("long text wraps at full size")
            << "马克思主义基本原理概论" << QStringList{"马克思主", "义基本原", "理概论"} << false;
    }

    void cellsKeepTheirValueWhole()
    {
        QFETCH(QString, value);
        QFETCH(QStringList, lines);
        QFETCH(bool, smaller);
        const Report report = reportFrom("[report R]\nfont = WenQuanYi Micro Hei, 10\n"
                                         "column = 值 | 20 | a | left\ncolumn = 其余 | 160 | - | left\n", "r");
        QString error;
        const auto laidOut = layOutReport(report, DataSet{{"a"}, {{value}}}, {}, &error);
        QVERIFY2(laidOut, qPrintable(error));
        QStringList printed;
        for (const PlacedText& t : laidOut->pages[0].texts)
            if (t.rect.left() < 35 && t.text != "值") {
                printed << t.text;
                QCOMPARE(t.font.pointSize < 10, smaller);
                QVERIFY(t.font.pointSize >= 8);
            }
        QCOMPARE(printed, lines);
    }

    // Header and footer segments share the width while each fits its share;
    // otherwise each takes lines of its own, and the table moves down.
    void segmentsThatDoNotFitTakeLinesOfTheirOwn_data()
    {
        QTest::addColumn<QString>("room");
        QTest::addColumn<int>("headerLines");
        QTest::newRow("short: side by side") << "教1-101" << 1;
        QTest::newRow("long: one line each") << "第一教学楼A区-301（阶梯教室）多媒体报告厅东侧" << 3;
    }

    void segmentsThatDoNotFitTakeLinesOfTheirOwn()
    {
        QFETCH(QString, room);
        QFETCH(int, headerLines);
        const Report report = reportFrom("[report R]\nfont = WenQuanYi Micro Hei, 10\n"
                                         "header = 考试时间：{kssj} | 考场：{js} | 应考人数：{count} 人\n"
                                         "footer = 打印日期：{date} | 第 {page} 页 共 {pages} 页 | 考场：{js}\n"
                                         "column = 学号 | 30 | xh | left\n", "r");
        DataSet data = examRoomRows(80);
        for (QStringList& row : data.rows)
            row[10] = room;
        QString error;
        const auto laidOut = layOutReport(report, data, {}, &error);
        QVERIFY2(laidOut, qPrintable(error));
        for (int p = 0; p < laidOut->pages.size(); ++p) {
            QMap<double, QStringList> rows;  // top of each text line above the table
            double headingTop = 0;
            for (const PlacedText& t : laidOut->pages[p].texts) {
                if (t.text == "学号")
                    headingTop = t.rect.top();
                else if (t.text.contains("考"))
                    rows[t.rect.top()] << t.text;
            }
            QStringList header;
            for (auto it = rows.begin(); it != rows.end() && it.key() < headingTop; ++it)
                header << it.value().join('|');
            QCOMPARE(header.size(), headerLines);
            QCOMPARE(header.join('|'), "考试时间：2024-03-02 08:30-10:30|考场：" + room + "|应考人数：80 人");
            QVERIFY(rows.lastKey() > headingTop);  // the footer's room, below the table
            // Nothing of the header reaches into the table.
            for (const PlacedText& t : laidOut->pages[p].texts)
                if (t.text.startsWith("考试时间") || t.text.startsWith("应考人数"))
                    QVERIFY(t.rect.bottom() <= headingTop);
        }
    }

    void cancellingWhilePrintingLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cancelled.pdf");
        QList<ReportPhase> heard;
        const QString error = ReportEngine().run(reportFrom(gridProject, "Grid"), examRoomRows(53), toPdf(path),
                                                 [&](ReportPhase phase, int page) {
                                                     heard << phase;
                                                     return !(phase == ReportPhase::Printing && page == 2);
                                                 });
        QCOMPARE(error, QString());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(heard.last(), ReportPhase::Finished);
    }

    void rowTallerThanPageIsCutAtPageEnd()
    {
        DataSet data{{"a"}, {{"短"}, {QString(3000, QChar(0x8003))}, {"尾"}}};
        const Report report = reportFrom("[report R]\ntitle = 名单\nfooter = {page}/{pages}\n"
                                         "column = 内容 | 20 | a | left\ncolumn = 其余 | 160 | - | left\n", "r");
        QString error;
        const auto laidOut = layOutReport(report, data, {}, &error);
        QVERIFY2(laidOut, qPrintable(error));
        QCOMPARE(laidOut->pages.size(), 3);  // the short row, the long one alone, the last row
        for (const LaidOutPage& page : laidOut->pages) {
            double headingBottom = 0, footerTop = 297;
            for (const PlacedText& t : page.texts) {
                if (t.text == "内容")
                    headingBottom = t.rect.bottom();
                if (t.text.contains('/'))
                    footerTop = t.rect.top();
            }
            for (const PlacedText& t : page.texts)
                if (t.text.startsWith(QChar(0x8003)))
                    QVERIFY(t.rect.top() >= headingBottom && t.rect.bottom() <= footerTop);
        }
    }

    void setupDialogGivesBackTheChoices()
    {
        OutputOptions initial = toPdf("/tmp/a.pdf");
        initial.copies = 3;
        initial.collate = false;
        initial.duplex = QPrinter::DuplexLongSide;
        OutputOptionsDialog dialog(initial, "Output Options");
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Output Options"));
        const OutputOptions same = dialog.options();
        QCOMPARE(same.destination, initial.destination);
        QCOMPARE(same.pdfPath, initial.pdfPath);
        QCOMPARE(same.copies, 3);
        QCOMPARE(same.collate, false);
        QCOMPARE(same.duplex, QPrinter::DuplexLongSide);

        dialog.findChild<QRadioButton*>("toPrinter")->setChecked(true);
        QVERIFY(!dialog.findChild<QLineEdit*>("fileName")->isEnabled());
        QCOMPARE(dialog.options().destination, OutputOptions::Destination::Printer);
        QVERIFY(dialog.findChild<QPushButton*>("printerSetup"));

        // The preview's setup, offered while the preview is the destination.
        auto* zoom = dialog.findChild<QSpinBox*>("zoom");
        auto* firstPage = dialog.findChild<QSpinBox*>("firstPage");
        QVERIFY(!zoom->isEnabled());
        dialog.findChild<QRadioButton*>("toPreview")->setChecked(true);
        QVERIFY(zoom->isEnabled() && firstPage->isEnabled());
        QCOMPARE(zoom->value(), 100);
        zoom->setValue(150);
        firstPage->setValue(2);
        QCOMPARE(dialog.options().previewZoomPercent, 150);
        QCOMPARE(dialog.options().previewFirstPage, 2);

        // The clerk reads Chinese; only the title stays as the system names it.
        QCOMPARE(dialog.findChild<QRadioButton*>("toPreview")->text(), QStringLiteral("屏幕预览"));
        QCOMPARE(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text(),
                 QStringLiteral("取消"));
    }

    // The print button's whole path: the setup dialog, answered here, then the PDF.
    void executeAsksThenWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("asked.pdf");
        QString seenTitle;
        QTimer::singleShot(0, [&] {
            auto* dialog = QApplication::activeModalWidget();
            seenTitle = dialog->windowTitle();
            dialog->findChild<QRadioButton*>("toFile")->setChecked(true);
            dialog->findChild<QLineEdit*>("fileName")->setText(path);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(ReportEngine().execute(shippedReport2(), examRoomRows(40)), QString());
        QCOMPARE(seenTitle, QStringLiteral("Output Options"));
        QVERIFY(pdfPages(path).size() >= 1);
    }

    void cancelledSetupOutputsNothing()
    {
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        QCOMPARE(ReportEngine().execute(shippedReport2(), examRoomRows(4)), QString());
    }

    void previewOpensMaximizedAtActualSize_data()
    {
        QTest::addColumn<int>("zoomPercent");
        QTest::addColumn<int>("firstPage");
        QTest::addColumn<int>("shownPage");
        QTest::newRow("as set up: actual size, first page") << 100 << 1 << 1;
        QTest::newRow("chosen zoom and page") << 150 << 2 << 2;
        QTest::newRow("a page past the end shows the last") << 100 << 9 << 3;
    }

    void previewOpensMaximizedAtActualSize()
    {
        QFETCH(int, zoomPercent);
        QFETCH(int, firstPage);
        QFETCH(int, shownPage);
        QString title;
        bool maximized = false;
        double zoom = 0;
        int pages = 0;
        int current = 0;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            auto* view = dialog->findChild<QPrintPreviewWidget*>();
            if (view->pageCount() == 0)
                return;
            title = dialog->windowTitle();
            maximized = dialog->isMaximized();
            zoom = view->zoomFactor();
            pages = view->pageCount();
            current = view->currentPage();
            dialog->close();
        });
        poll.start(20);
        QList<ReportPhase> heard;
        OutputOptions options;
        options.previewZoomPercent = zoomPercent;
        options.previewFirstPage = firstPage;
        const QString error = ReportEngine().run(reportFrom(gridProject, "Grid"), examRoomRows(53), options,
                                                 [&](ReportPhase phase, int) {
                                                     heard << phase;
                                                     return true;
                                                 });
        QCOMPARE(error, QString());
        QCOMPARE(title, QStringLiteral("Report Preview"));
        QVERIFY(maximized);
        QCOMPARE(zoom, zoomPercent / 100.0);
        QCOMPARE(pages, 3);
        QCOMPARE(current, shownPage);
        QVERIFY(heard.contains(ReportPhase::Printing));
        QCOMPARE(heard.last(), ReportPhase::Finished);
    }
};

QTEST_MAIN(TestReportOutput)
#include "tst_reportoutput.moc"

// The term at a glance: the calendar window from the menu over a term with
// dates, one without and an empty one (its picture and its printed pages
// read back), a period opened from a cell, and the guide in the help menu.
// With PAIKAO_KEEP_PICTURES set to a folder, the pictures and PDFs made here
// are copied there to be looked at.
#include "CalendarWindow.h"
#include "ComboBox.h"
#include "GuideWindow.h"
#include "PdfText.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit1.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Windows.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace {

const QString longName = QStringLiteral("思想道德修养与法律基础");

// Papers 1 (高等数学, 3 candidates, room of 3), 2 (大学英语 and the long
// name, 3 candidates), 3 (大学物理, 1); student S1 sits 1 and 2 on one day.
// Asked before a print or export of a term with paper 3 roomless: the
// calendar counts its candidate in its period as without a room.
const QString unseatedQuestion =
    QStringLiteral("有 1 名考生的试卷还没有教室，日历中他们只记在所在场次的“未排教室”人数中。\n是否仍要%1？");

void fillTerm(TestDatabase& db, const QStringList& times)
{
    db.addRoster({"1|K1|S1|甲|C1|高等数学|王|数学系||补考", "1|K1|S2|乙|C1|高等数学|王|数学系||补考",
                  "1|K1|S3|丙|C1|高等数学|王|数学系||补考", "2|K2|S1|甲|C2|大学英语|赵|外语系||补考",
                  "2|K3|S4|丁|C3|" + longName + "|孙|马克思主义学院||补考", "2|K3|S5|戊|C3|" + longName + "|孙|马克思主义学院||补考",
                  "3|K4|S2|乙|C4|大学物理|张|物理系||补考"});
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',3),('B202',30);"
            "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','1','1',1),('2','2','2',2),('3','3','3',0)");
    for (int i = 0; i < times.size(); ++i)
        db.exec(QStringLiteral("INSERT INTO t_cc(cc,kssj) VALUES('%1','%2')").arg(i + 1).arg(times[i]));
}

struct Program {
    Program()
    {
        windows.Form3->show();
        windows.Form1->data().reconfigure();
    }

    // Opens the calendar from the menu, runs the steps while it shows, closes it.
    void inCalendar(const std::function<void(CalendarWindow&)>& steps)
    {
        QTimer::singleShot(0, [&] {
            QCOMPARE(QApplication::activeModalWidget(), windows.calendarWindow.get());
            steps(*windows.calendarWindow);
            while (QWidget* left = QApplication::activeModalWidget())
                left->close();
        });
        windows.Form3->calendarItemClick();
    }

    TestDatabase db;
    RecordingDialogs dialogs;
    Windows windows{dialogs};
};

void keep(const QString& file, const QString& name)
{
    const QString folder = qEnvironmentVariable("PAIKAO_KEEP_PICTURES");
    if (!folder.isEmpty()) {
        QFile::remove(folder + u'/' + name);
        QFile::copy(file, folder + u'/' + name);
    }
}

QStringList columnTitles(const QTableWidget* grid)
{
    QStringList titles;
    for (int c = 0; c < grid->columnCount(); ++c)
        titles.append(grid->horizontalHeaderItem(c)->text());
    return titles;
}

QStringList rowTitles(const QTableWidget* grid)
{
    QStringList titles;
    for (int r = 0; r < grid->rowCount(); ++r)
        titles.append(grid->verticalHeaderItem(r)->text());
    return titles;
}

void savePicture(Program& p, CalendarWindow& w, const QString& name)
{
    const QString path = p.db.folder() + u'/' + name;
    p.dialogs.saveAnswers.append(path);
    w.exportImageButton->click();
    // Paper 3 has no room: the clerk is told before the picture is made.
    QCOMPARE(p.dialogs.takeTexts(), (QStringList{unseatedQuestion.arg("导出"), "已保存图片：" + path}));
    const QImage image(path);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), w.picture().size());
    keep(path, name);
}

} // namespace

class TestGlance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyTerm();
    void termWithoutDates();
    void termWithDates();
    void guide();
};

void TestGlance::emptyTerm()
{
    Program p;
    p.inCalendar([&](CalendarWindow& w) {
        QCOMPARE(w.missingLabel->text(), QStringLiteral("还没有导入名单（系统 → 导入数据）"));
        QVERIFY(!w.printButton->isEnabled());
        QVERIFY(!w.exportImageButton->isEnabled());
        QVERIFY(w.calendarGrid->isHidden());
        QVERIFY(w.undatedGrid->isHidden());
    });
    p.db.addRoster({"1|K1|S1|甲|C1|高等数学|王|数学系||补考"});
    p.inCalendar([&](CalendarWindow& w) {
        QCOMPARE(w.missingLabel->text(), QStringLiteral("还没有排考（编排 → 2.课程排考）"));
        const QString path = p.db.folder() + QStringLiteral("/empty.png");
        QVERIFY(w.grab().save(path));
        keep(path, QStringLiteral("calendar-empty-window.png"));
        // Esc leaves the window as its exit button does.
        QTest::keyClick(w.calendarGrid, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    });
    QVERIFY(p.dialogs.boxes.isEmpty());
}

void TestGlance::termWithoutDates()
{
    Program p;
    fillTerm(p.db, {"", "补考周 上午"});
    p.inCalendar([&](CalendarWindow& w) {
        QVERIFY(w.calendarGrid->isHidden());
        QVERIFY(w.missingLabel->text().startsWith(QStringLiteral("场次还没有带日期的考试时间")));
        QCOMPARE(columnTitles(w.undatedGrid), (QStringList{"第1场", "第2场 补考周 上午", "第3场"}));
        // Why a time lies apart, in the words every reader of a time uses.
        QCOMPARE(w.undatedGrid->horizontalHeaderItem(1)->toolTip(),
                 QStringLiteral("考试时间“补考周 上午”无法识别：开头没有日期。请写成 2027-01-11 星期一 08:00-10:00 这样的时间。"));
        QVERIFY2(w.undatedGrid->item(0, 2)->text().startsWith(QStringLiteral("第3场　1人\n0间教室\n未排教室 1 人\n大学物理")),
                 qPrintable(w.undatedGrid->item(0, 2)->text()));
        savePicture(p, w, QStringLiteral("calendar-undated.png"));
        const QString pdf = p.db.folder() + QStringLiteral("/undated.pdf");
        w.presetOutput = toPdf(pdf);
        w.printButton->click();
        keep(pdf, QStringLiteral("calendar-undated.pdf"));
        QCOMPARE(pdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
        const QString text = compact(pdfPages(pdf).join(QString()));
        QVERIFY(text.contains(QStringLiteral("未定日期的场次")));
        QVERIFY(text.contains(compact(QStringLiteral("补考周 上午"))));
        QVERIFY2(text.contains(longName), qPrintable(text));
    });
}

void TestGlance::termWithDates()
{
    Program p;
    // Two weeks: periods 1 and 2 on Monday 11 January, period 3 a week later.
    fillTerm(p.db, {"2027-01-11 星期一 08:00-10:00", "2027-01-11 星期一 14:00-16:00", "2027-01-18 星期一 08:00-10:00"});
    p.inCalendar([&](CalendarWindow& w) {
        QTableWidget* g = w.calendarGrid;
        QVERIFY(!g->isHidden());
        QVERIFY(w.undatedGrid->isHidden());
        QCOMPARE(columnTitles(g), (QStringList{"2027-01-11\n星期一", "2027-01-18\n星期一"}));
        QCOMPARE(rowTitles(g), (QStringList{"08:00-10:00", "14:00-16:00", "考生人次", "一天两门的学生", "连着两门的学生"}));
        QCOMPARE(g->item(0, 0)->text(), QStringLiteral("第1场　3人\n1间教室，坐满 100%\n高等数学"));
        // Long names are shortened in the cell and whole in the tooltip.
        QVERIFY(g->item(1, 0)->text().contains(QStringLiteral("思想道德修养与法…")));
        QVERIFY(g->item(1, 0)->toolTip().contains(longName));
        QVERIFY(g->item(1, 0)->toolTip().contains(QStringLiteral("2027-01-11 星期一 14:00-16:00")));
        QCOMPARE(g->item(1, 1)->text(), QString());
        // A full room is shaded darker than one that is a tenth full, and a
        // period without rooms not at all.
        QVERIFY(g->item(0, 0)->background().color().lightness() < g->item(1, 0)->background().color().lightness());
        QCOMPARE(g->item(0, 1)->background().color(), QColor(Qt::white));
        // Day figures: 6 candidates on the 11th, S1 with two papers in a row.
        const QStringList figures{g->item(2, 0)->text(), g->item(3, 0)->text(), g->item(4, 0)->text(),
                                  g->item(2, 1)->text(), g->item(3, 1)->text(), g->item(4, 1)->text()};
        QCOMPARE(figures, (QStringList{"6", "1", "1", "1", "0", "0"}));

        // A click on a cell opens the room window on its period.
        QString chosen, courses;
        QTimer::singleShot(0, [&] {
            TForm4& rooms = *p.windows.Form4;
            if (QApplication::activeModalWidget() == &rooms) {
                chosen = rooms.ComboBox1->currentText();
                courses = rooms.Label4->text();
                rooms.close();
            }
        });
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualItemRect(g->item(1, 0)).center());
        QCOMPARE(chosen, QStringLiteral("2"));
        QCOMPARE(courses, QStringLiteral("2"));
        QCOMPARE(QApplication::activeModalWidget(), &w);

        savePicture(p, w, QStringLiteral("calendar-dated.png"));
        const QString windowPicture = p.db.folder() + QStringLiteral("/window.png");
        QVERIFY(w.grab().save(windowPicture));
        keep(windowPicture, QStringLiteral("calendar-dated-window.png"));

        // Printed: a landscape page per week, the sittings' courses on it.
        const QString pdf = p.db.folder() + QStringLiteral("/calendar.pdf");
        w.presetOutput = toPdf(pdf);
        w.printButton->click();
        keep(pdf, QStringLiteral("calendar-dated.pdf"));
        QCOMPARE(pdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("2"));
        QVERIFY(pdfInfo(pdf, QStringLiteral("Page size")).startsWith(QStringLiteral("842 x 595")));
        const QStringList pages = pdfPages(pdf);
        QVERIFY(compact(pages[0]).contains(QStringLiteral("考试日历2027-01-11至2027-01-11")));
        QVERIFY(compact(pages[0]).contains(QStringLiteral("第1场3人1间教室坐满100%")));
        QVERIFY(compact(pages[0]).contains(longName));
        QVERIFY(compact(pages[0]).contains(QStringLiteral("第1页共2页")));
        QVERIFY(compact(pages[1]).contains(QStringLiteral("大学物理")));
        QVERIFY(!compact(pages[1]).contains(QStringLiteral("高等数学")));
    });
    QCOMPARE(p.dialogs.takeTexts(), QStringList{unseatedQuestion.arg("打印")});
}

void TestGlance::guide()
{
    Program p;
    QCOMPARE(p.windows.Form3->guideItem->shortcut(), QKeySequence(Qt::Key_F1));
    // The test's own folder has no guide beside it: the clerk is told.
    p.windows.Form3->guideItemClick();
    QVERIFY(p.dialogs.lastText().startsWith(QStringLiteral("找不到使用说明")));

    // The guide the build made beside the program, each picture in place.
    const QString file = findGuide(QStringLiteral(PAIKAO_BUILD_DIR));
    QVERIFY(!file.isEmpty());
    QFile html(file);
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(html.readAll());
    bool shown = false;
    QTimer::singleShot(0, [&] {
        GuideWindow& w = *p.windows.guideWindow;
        shown = QApplication::activeModalWidget() == &w;
        QVERIFY(w.guideBrowser->toPlainText().contains(QStringLiteral("考试日历")));
        static const QRegularExpression img(QStringLiteral("src=\"(images/[^\"]+)\""));
        int pictures = 0;
        for (auto it = img.globalMatch(text); it.hasNext(); ++pictures) {
            const QUrl url = w.guideBrowser->source().resolved(QUrl(it.next().captured(1)));
            QVERIFY2(!w.guideBrowser->loadResource(QTextDocument::ImageResource, url).isNull(), qPrintable(url.toString()));
        }
        QVERIFY(pictures >= 16);
        const QString picture = p.db.folder() + QStringLiteral("/guide.png");
        w.guideBrowser->verticalScrollBar()->setValue(w.guideBrowser->verticalScrollBar()->maximum() / 2);
        QVERIFY(w.grab().save(picture));
        keep(picture, QStringLiteral("guide-window.png"));
        QTest::keyClick(w.guideBrowser, Qt::Key_Escape);
    });
    p.windows.guideWindow->showGuide(file);
    QVERIFY(shown);
    QVERIFY(!p.windows.guideWindow->isVisible());
}

QTEST_MAIN(TestGlance)
#include "tst_glance.moc"

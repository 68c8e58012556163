// What the clerk runs into, through the main menu and the real windows on a
// generated term and a screen of 1366×768: each print and export asks first
// about a paper without a room and, answered No, writes nothing; the
// calendar and the summary mark that paper's candidates; long previews
// scroll in a box that fits the screen with Yes and No in reach; the time
// window offers the term's days and sittings; F1 opens the guide from every
// working window; every window fits the screen with its controls in view.
// With PAIKAO_KEEP_PICTURES set to a folder, each window's picture is kept
// there to be looked at.
#include "CalendarWindow.h"
#include "DataModule.h"
#include "InvigilationWindow.h"
#include "LongTextBox.h"
#include "PdfText.h"
#include "RecordingDialogs.h"
#include "SpreadTimesDialog.h"
#include "TermInvariants.h"
#include "TermSummaryView.h"
#include "TestDatabase.h"
#include "Unit1.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit6.h"
#include "Unit8.h"
#include "Unit9.h"
#include "UserActions.h"
#include "Windows.h"
#include "periods/Scheduling.h"
#include "rooms/RoomAssignment.h"
#include "time/ExamTime.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace {

const QString guideMissing = QStringLiteral("找不到使用说明：它应随程序安装在 share/doc/paikao/guide 中，请重新安装本程序");
const Sitting sittings[] = {{8 * 60, 10 * 60}, {14 * 60, 16 * 60}};
const QDate firstDay(2027, 1, 11);

// Keeps a window's picture for looking at, when a folder is given.
void keep(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("PAIKAO_KEEP_PICTURES");
    if (!folder.isEmpty())
        QVERIFY(window->grab().save(folder + u'/' + name + QStringLiteral(".png")));
}

// The modal window on top, once it has become the active window: its keys
// and shortcuts work from then on.
QWidget* shownModal()
{
    QWidget* shown = QApplication::activeModalWidget();
    if (shown)
        shown->activateWindow();
    if (shown && !QTest::qWaitForWindowActive(shown))
        qWarning("%s did not become active", qPrintable(shown->objectName()));
    return shown;
}

// What the clerk cannot see or reach in a shown window: the window larger
// than the screen leaves it beside a desktop panel of 40 pixels and under a
// title bar of 32 (the offscreen screen has neither), or a control of it
// outside the window or narrower than it needs.
QStringList outOfReach(QWidget* window)
{
    QStringList faults;
    const QRect screen = window->screen()->availableGeometry();
    if (window->width() > screen.width() || window->height() > screen.height() - 40 - 32)
        faults.append(QStringLiteral("%1 is %2×%3").arg(window->objectName()).arg(window->width()).arg(window->height()));
    for (QWidget* control : window->findChildren<QWidget*>()) {
        // The boxes themselves, not the edits inside a spin or combo box.
        const bool inner = qobject_cast<QAbstractSpinBox*>(control->parentWidget())
                           || qobject_cast<QComboBox*>(control->parentWidget());
        if (control->window() != window || !control->isVisible() || inner
            || !(qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control)
                 || qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractSpinBox*>(control)))
            continue;
        const QRect where(control->mapTo(window, QPoint(0, 0)), control->size());
        const auto* button = qobject_cast<QAbstractButton*>(control);
        if (!window->rect().contains(where) || where.width() < control->minimumSizeHint().width())
            faults.append(QStringLiteral("%1 %2 “%3” at %4,%5 %6×%7 (needs %8)")
                              .arg(window->objectName(), control->objectName(), button ? button->text() : QString())
                              .arg(where.x())
                              .arg(where.y())
                              .arg(where.width())
                              .arg(where.height())
                              .arg(control->minimumSizeHint().width()));
    }
    return faults;
}

// A generated term: 300 students sitting one to three of twelve papers,
// every third paper of two courses, six rooms. Scheduled and given rooms by
// the program's own steps, each period a time, two a day from Monday
// 2027-01-11.
struct Program {
    Program()
    {
        QRandomGenerator random(2027);
        QStringList roster;
        for (int s = 1; s <= 300; ++s) {
            QList<int> papers;
            for (int n = 1 + int(random.bounded(3)); papers.size() < n;) {
                const int p = 1 + int(random.bounded(12));
                if (!papers.contains(p))
                    papers.append(p);
            }
            for (int p : papers) {
                const QString course = QStringLiteral("%1%2").arg(p).arg(p % 3 == 0 && random.bounded(2) ? u'b' : u'a');
                roster.append(QStringLiteral("P%1|K%2|2026%3|学生%3|C%2|课程%2|教师%2|系%4||补考")
                                  .arg(p)
                                  .arg(course)
                                  .arg(s, 4, 10, QChar(u'0'))
                                  .arg(p % 4));
            }
        }
        db.addRoster(roster);
        db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('R1',80),('R2',60),('R3',60),('R4',45),('R5',40),('R6',30)");
        QVERIFY(QFile::copy(PAIKAO_SOURCE_DIR "/data/Project2.rav", db.folder() + "/data/Project2.rav"));
        windows.Form3->show();
        dm().reconfigure();
        schedulePapers(dm(), [](int, int) { });
        QCOMPARE(termFaults(db), QStringList());
        const QStringList periods = db.rows("SELECT cc FROM t_cc ORDER BY cast(cc AS integer)");
        for (int i = 0; i < periods.size(); ++i)
            db.exec(QStringLiteral("UPDATE t_cc SET kssj='%1' WHERE cc='%2'")
                        .arg(ExamTime{firstDay.addDays(i / 2), sittings[i % 2]}.text(), periods[i]));
        assignRooms(dm(), std::nullopt);
        QCOMPARE(termFaults(db), QStringList());
        QCOMPARE(db.scalar("SELECT count(*) FROM t_kscs WHERE jsid NOT IN (SELECT jsid FROM t_js)"), QString("0"));
    }

    DataModule& dm() { return windows.Form1->data(); }

    // Opens a window through its menu item and runs the steps while it is
    // shown; whatever the steps leave open is closed.
    void inWindow(void (TForm3::*item)(), const std::function<void(QWidget*)>& steps)
    {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            shown = true;
            steps(shownModal());
            while (QWidget* left = QApplication::activeModalWidget())
                left->close();
        });
        ((*windows.Form3).*item)();
        QVERIFY(shown);
    }

    // Every row of every table the steps write, as stored.
    QStringList everything()
    {
        QStringList rows;
        for (const QString table : {"t_bjgmd", "t_kscs", "t_cc", "t_js", "t_jkjs", "t_jkap", "t_print1"}) {
            QStringList columns;
            for (const QString& c : db.rows("SELECT name FROM pragma_table_info('" + table + "')"))
                columns.append("quote(" + c + ")");
            rows += db.rows("SELECT '" + table + "', rowid, " + columns.join(",") + " FROM " + table + " ORDER BY rowid");
        }
        return rows;
    }

    TestDatabase db;
    RecordingDialogs dialogs;
    Windows windows{dialogs};
};

// Takes the rooms of the papers of the period that holds P5, as when the
// clerk deletes a room; the number of candidates left without a room.
int takeARoom(Program& p)
{
    const QString period = p.db.scalar("SELECT cc FROM t_kscs WHERE sjxh='P5'");
    p.db.exec("UPDATE t_kscs SET jsid=0 WHERE sjxh1='P5'");
    return p.db.scalar("SELECT count(*) FROM t_bjgmd b JOIN t_kscs k ON k.sjxh=b.sjxh WHERE k.cc='" + period
                       + "' AND k.jsid=0")
        .toInt();
}

// One output of the term: the menu item of its window, the button, and what
// the question says the output does with the roomless candidates.
struct Output {
    void (TForm3::*item)();
    std::function<void(Program&, QWidget*, const QString& file)> press;
    QString said;
};

} // namespace

class TestClerkQuestions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roomlessPaperIsAskedAboutBeforeEachOutput_data();
    void roomlessPaperIsAskedAboutBeforeEachOutput();
    void calendarAndSummaryShowTheRoomless();
    void longPreviewsFitTheScreen();
    void timeChoicesFillTheTimeBox();
    void helpKeyOpensTheGuide_data();
    void helpKeyOpensTheGuide();
    void everyWindowFitsTheScreen();
};

void TestClerkQuestions::roomlessPaperIsAskedAboutBeforeEachOutput_data()
{
    QTest::addColumn<int>("output");
    const QStringList names{"全部打印", "打印监考安排表", "导出监考安排表", "排考结果导出", "学生考试安排", "日历打印", "日历导出图片"};
    for (int i = 0; i < names.size(); ++i)
        QTest::newRow(qPrintable(names[i])) << i;
}

// Answered No, nothing is printed, saved or opened, and no table changes.
void TestClerkQuestions::roomlessPaperIsAskedAboutBeforeEachOutput()
{
    QFETCH(int, output);
    const QString left = QStringLiteral("%1的内容中没有他们。");
    const QString blank = QStringLiteral("导出的表中有他们，但教室一栏是空的。");
    const QString counted = QStringLiteral("日历中他们只记在所在场次的“未排教室”人数中。");
    const QList<Output> outputs{
        {&TForm3::N9Click,
         [](Program& p, QWidget*, const QString& file) {
             TForm9& w = *p.windows.Form9;
             w.ComboBox1->setEditText(p.db.scalar("SELECT kssj FROM t_cc JOIN t_kscs USING(cc) WHERE sjxh='P5'"));
             w.presetOutput = toPdf(file);
             w.printAllButton->click();
         },
         left.arg("打印")},
        {&TForm3::invigilationItemClick,
         [](Program& p, QWidget*, const QString& file) {
             p.windows.invigilationWindow->presetOutput = toPdf(file);
             p.windows.invigilationWindow->printDutyTableButton->click();
         },
         left.arg("打印")},
        {&TForm3::invigilationItemClick,
         [](Program& p, QWidget*, const QString& file) {
             p.dialogs.saveAnswers = {file};
             p.windows.invigilationWindow->exportDutyTableButton->click();
         },
         left.arg("导出")},
        {&TForm3::N10Click,
         [](Program& p, QWidget*, const QString& file) {
             p.dialogs.saveAnswers = {file};
             p.windows.Form8->Button2->click();
         },
         blank},
        {&TForm3::N13Click,
         [](Program& p, QWidget*, const QString& file) {
             p.dialogs.saveAnswers = {file};
             p.windows.Form6->studentTimetableButton->click();
         },
         blank},
        {&TForm3::calendarItemClick,
         [](Program& p, QWidget*, const QString& file) {
             p.windows.calendarWindow->presetOutput = toPdf(file);
             p.windows.calendarWindow->printButton->click();
         },
         counted},
        {&TForm3::calendarItemClick,
         [](Program& p, QWidget*, const QString& file) {
             p.dialogs.saveAnswers = {file};
             p.windows.calendarWindow->exportImageButton->click();
         },
         counted},
    };
    const Output& o = outputs[output];
    const QString what = QString::fromUtf8(QTest::currentDataTag()).contains(QStringLiteral("打印")) ? "打印" : "导出";

    Program p;
    const int roomless = takeARoom(p);
    QVERIFY(roomless > 0);
    const QStringList before = p.everything();
    const QStringList files = QDir(p.db.folder()).entryList(QDir::Files);
    const QString file = p.db.folder() + QStringLiteral("/out");
    p.dialogs.confirmAnswers = {false};
    p.inWindow(o.item, [&](QWidget* w) { o.press(p, w, file); });
    QCOMPARE(p.dialogs.takeTexts(),
             QStringList{QStringLiteral("有 %1 名考生的试卷还没有教室，%2\n是否仍要%3？").arg(roomless).arg(o.said, what)});
    QCOMPARE(p.everything(), before);
    QCOMPARE(QDir(p.db.folder()).entryList(QDir::Files), files);
    QVERIFY(!QFile::exists(file) && !QFile::exists(file + ".xlsx") && !QFile::exists(file + ".png"));
    QCOMPARE(p.dialogs.openedDocuments, QStringList());
}

// The calendar writes the roomless candidates in red in their period's cell
// and nowhere else; the main window's summary counts them.
void TestClerkQuestions::calendarAndSummaryShowTheRoomless()
{
    Program p;
    const int roomless = takeARoom(p);
    const QString period = p.db.scalar("SELECT cc FROM t_kscs WHERE sjxh='P5'");
    p.inWindow(&TForm3::calendarItemClick, [&](QWidget*) {
        const QTableWidget* g = p.windows.calendarWindow->calendarGrid;
        QStringList red;
        for (int r = 0; r < g->rowCount(); ++r)
            for (int c = 0; c < g->columnCount(); ++c)
                if (const QTableWidgetItem* cell = g->item(r, c); cell && cell->foreground().color() == QColor(190, 0, 0))
                    red.append(cell->text().section(u'\n', 0, 2));
        QCOMPARE(red.size(), 1);
        QVERIFY2(red[0].startsWith(QStringLiteral("第%1场").arg(period)), qPrintable(red[0]));
        QVERIFY2(red[0].endsWith(QStringLiteral("未排教室 %1 人").arg(roomless)), qPrintable(red[0]));
    });
    p.windows.Form3->FormActivate();
    const QString summary = p.windows.Form3->termSummary->text();
    QVERIFY2(summary.contains(QStringLiteral("\n没有教室的考生：%1 人\n").arg(roomless)), qPrintable(summary));
    const QString papers = p.db.scalar("SELECT count(*) FROM t_kscs WHERE jsid=0");
    QVERIFY2(summary.contains(QStringLiteral("%1 份试卷没有教室").arg(papers)), qPrintable(summary));
}

// The rooms preview, the invigilation preview with three to a room and the
// spread's result, each shown in the program's own box on this screen: it
// fits, its text scrolls to its last line, Yes and No are in view and
// reachable by Tab, and Enter gives the answer offered as the default.
void TestClerkQuestions::longPreviewsFitTheScreen()
{
    Program p;
    p.db.exec("UPDATE t_kscs SET jsid=0");
    QStringList names;
    for (int i = 1; i <= 5; ++i)
        names.append(QStringLiteral("('监考%1','系%2',4,'')").arg(i).arg(i % 4));
    p.db.exec("INSERT INTO t_jkjs(xm,yx,zdcs,bkcc) VALUES" + names.join(u','));
    const QStringList before = p.everything();
    p.dialogs.confirmAnswers = {true, false};
    p.inWindow(&TForm3::N3Click, [&](QWidget*) { p.windows.Form4->autoAssignRoomsButton->click(); });
    QCOMPARE(p.dialogs.boxes.size(), 2);
    const RecordingDialogs::Box rooms = p.dialogs.boxes[1];
    QCOMPARE(p.everything(), before);
    assignRooms(p.dm(), std::nullopt);

    p.dialogs.boxes.clear();
    p.dialogs.confirmAnswers = {false};
    p.inWindow(&TForm3::invigilationItemClick, [&](QWidget*) {
        p.windows.invigilationWindow->perRoomSpin->setValue(3);
        p.windows.invigilationWindow->autoAssignButton->click();
    });
    QCOMPARE(p.dialogs.boxes.size(), 1);
    const RecordingDialogs::Box duties = p.dialogs.boxes[0];
    QCOMPARE(p.db.scalar("SELECT count(*) FROM t_jkap"), QString("0"));

    p.dialogs.boxes.clear();
    p.dialogs.confirmAnswers = {false};
    p.inWindow(&TForm3::N13Click, [&](QWidget*) {
        SpreadTimesDialog* d = p.windows.Form6->spreadTimesDialog;
        QTimer::singleShot(0, d, [d] {
            d->firstDateEdit->setDate(firstDay);
            d->timeLimitBox->setValue(1);
            d->startSpreadButton->click();
        });
        p.windows.Form6->spreadTimesButton->click();
    });
    QCOMPARE(p.dialogs.boxes.size(), 1);
    const RecordingDialogs::Box spread = p.dialogs.boxes[0];

    QtDialogs real;
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    for (const auto& [name, box] : {std::pair{QString("rooms-preview"), rooms}, {QString("invigilation-preview"), duties},
                                    {QString("spread-result"), spread}}) {
        QCOMPARE(box.kind, QString("confirm"));
        const int lines = int(box.text.count(u'\n')) + 1;
        for (const bool enterGivesYes : {!box.noByDefault, box.noByDefault}) {
            QString seen;
            QTimer::singleShot(0, [&] {
                auto* shown = qobject_cast<LongTextBox*>(shownModal());
                QVERIFY(shown);
                // A failed check leaves the box: it is closed all the same.
                const auto closer = qScopeGuard([shown] {
                    if (shown->isVisible())
                        shown->done(QDialog::Rejected);
                });
                seen = shown->textLabel->text();
                QVERIFY2(screen.contains(shown->frameGeometry()), qPrintable(name));
                QVERIFY2(outOfReach(shown).isEmpty(), qPrintable(outOfReach(shown).join(u"; ")));
                QVERIFY(shown->yesButton->isVisible() && shown->noButton->isVisible());
                // A text longer than the box scrolls, and its end can be reached.
                QScrollBar* bar = shown->textArea->verticalScrollBar();
                if (lines > 30)
                    QVERIFY2(bar->maximum() > 0, qPrintable(name));
                bar->setValue(bar->maximum());
                const QPoint end = shown->textLabel->mapTo(shown->textArea->viewport(), QPoint(0, shown->textLabel->height()));
                QVERIFY(end.y() <= shown->textArea->viewport()->height());
                if (enterGivesYes == !box.noByDefault)
                    keep(shown, name);
                // Tab reaches both answers.
                QVERIFY(QApplication::focusWidget());
                QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box.noByDefault ? shown->noButton : shown->yesButton));
                QSet<QWidget*> reached;
                for (int i = 0; i < 6; ++i) {
                    reached.insert(QApplication::focusWidget());
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                }
                QVERIFY(reached.contains(shown->yesButton) && reached.contains(shown->noButton));
                // The default answer, or the other one chosen by Tab and Enter.
                QWidget* wanted = enterGivesYes ? shown->yesButton : shown->noButton;
                for (int i = 0; i < 6 && QApplication::focusWidget() != wanted; ++i)
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), wanted);
                QTest::keyClick(wanted, Qt::Key_Return);
            });
            const bool answer = real.confirmLong(box.text, !box.noByDefault);
            QCOMPARE(seen, box.text);
            QCOMPARE(answer, enterGivesYes);
        }
    }
    // Enter on a box without a chosen button gives the default.
    for (const bool yesByDefault : {true, false}) {
        QTimer::singleShot(0, [] { QTest::keyClick(shownModal(), Qt::Key_Return); });
        QCOMPARE(real.confirmLong(rooms.text, yesByDefault), yesByDefault);
    }
}

// "选择" beside the time box lists every day of the term with every sitting
// and puts the chosen one in the box; 修改 writes it as shown.
void TestClerkQuestions::timeChoicesFillTheTimeBox()
{
    Program p;
    const int periods = p.db.scalar("SELECT count(*) FROM t_cc").toInt();
    QVERIFY(periods >= 3);
    // A period without a time offers nothing and takes nothing from the list.
    p.db.exec("UPDATE t_cc SET kssj='' WHERE cc='1'");
    // Period 1 had the first morning; periods 2 and 3 keep that day and
    // that sitting in the list.
    QStringList expected;
    for (int day = 0; day <= (periods - 1) / 2; ++day)
        for (const Sitting& sitting : sittings)
            expected.append(ExamTime{firstDay.addDays(day), sitting}.text());
    p.inWindow(&TForm3::N13Click, [&](QWidget*) {
        TForm6& w = *p.windows.Form6;
        QVERIFY(w.timeChoiceButton->isEnabled());
        QStringList offered;
        for (QAction* a : w.timeChoiceButton->menu()->actions())
            offered.append(a->text());
        QCOMPARE(offered, expected);
        clickRowShowing(w.DBGrid1, 0, "1");
        QCOMPARE(w.Label2->text(), QString("1"));
        QCOMPARE(w.Edit1->text(), QString());
        // The first morning again, which no other period has.
        w.timeChoiceButton->menu()->actions().first()->trigger();
        QCOMPARE(w.Edit1->text(), expected.first());
        w.Button1->click();
        QCOMPARE(p.dialogs.takeTexts(), QStringList{"修改成功"});
        QCOMPARE(p.db.scalar("SELECT quote(kssj) || typeof(kssj) FROM t_cc WHERE cc='1'"), "'" + expected.first() + "'text");
        QVERIFY(gridRows(w.DBGrid1).contains("1|" + expected.first()));
    });
    QCOMPARE(termFaults(p.db), QStringList());
}

void TestClerkQuestions::helpKeyOpensTheGuide_data()
{
    QTest::addColumn<int>("window");
    const QStringList names{"试卷管理", "课程排考", "指定教室", "考场拆分", "指定时间", "监考安排", "考场座位与材料", "考试日历", "打印考场名单", "导入数据",
                            "名单查询修改", "教室管理", "恢复数据", "数据初始化"};
    for (int i = 0; i < names.size(); ++i)
        QTest::newRow(qPrintable(names[i])) << i;
}

// F1 in a working window reaches the help menu's guide item; this test's
// program has no guide beside it, so the clerk is told where it belongs.
void TestClerkQuestions::helpKeyOpensTheGuide()
{
    QFETCH(int, window);
    Program p;
    const auto here = [](QWidget* w) { QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_F1); };
    using Steps = std::function<void(QWidget*)>;
    const QList<std::pair<void (TForm3::*)(), Steps>> windows{
        {&TForm3::N14Click, here},
        {&TForm3::N7Click, here},
        {&TForm3::N3Click, here},
        {&TForm3::N16Click, here},
        {&TForm3::N13Click, here},
        {&TForm3::invigilationItemClick, here},
        {&TForm3::seatingItemClick, here},
        {&TForm3::calendarItemClick, here},
        {&TForm3::N9Click, here},
        {&TForm3::N10Click, here},
        {&TForm3::N8Click, here},
        {&TForm3::N12Click, here},
        {&TForm3::restoreDataItemClick, here},
        {&TForm3::N15Click, here},
    };
    p.inWindow(windows[window].first, windows[window].second);
    QCOMPARE(p.dialogs.takeTexts(), QStringList{guideMissing});
}

// Each window these questions go through, opened from the menu on this
// screen: it fits, and every control of it is whole and in view.
void TestClerkQuestions::everyWindowFitsTheScreen()
{
    Program p;
    takeARoom(p);
    p.db.exec("INSERT INTO t_jkjs(xm,yx,zdcs,bkcc) VALUES('王老师','数学系',4,''),('李老师','外语系',4,'')");
    QCOMPARE(QApplication::primaryScreen()->geometry(), QRect(0, 0, 1366, 768));
    const QList<std::pair<void (TForm3::*)(), QString>> windows{
        {&TForm3::N3Click, "rooms"},          {&TForm3::N16Click, "split"},       {&TForm3::N13Click, "times"},
        {&TForm3::invigilationItemClick, "invigilation"}, {&TForm3::calendarItemClick, "calendar"},
        {&TForm3::N9Click, "print"},          {&TForm3::N10Click, "import-export"}, {&TForm3::seatingItemClick, "seating"},
    };
    for (const auto& [item, name] : windows) {
        p.inWindow(item, [&](QWidget* w) {
            QVERIFY(w);
            QVERIFY2(outOfReach(w).isEmpty(), qPrintable(outOfReach(w).join(u"; ")));
            keep(w, name);
            if (name == "times") {
                // The time choices, the spread dialog, the rules and the conflict list.
                TForm6& times = *p.windows.Form6;
                for (QPushButton* button : {times.spreadTimesButton, times.rulesButton, times.conflictListButton}) {
                    QTimer::singleShot(0, [&] {
                        QWidget* inner = shownModal();
                        const auto closer = qScopeGuard([inner] { inner->close(); });
                        QVERIFY(inner != &times);
                        QVERIFY2(outOfReach(inner).isEmpty(), qPrintable(outOfReach(inner).join(u"; ")));
                        keep(inner, name + "-" + inner->objectName());
                    });
                    button->click();
                }
                QTimer::singleShot(0, [&] {
                    QWidget* menu = QApplication::activePopupWidget();
                    QVERIFY(menu);
                    const auto closer = qScopeGuard([menu] { menu->close(); });
                    QVERIFY(QApplication::primaryScreen()->availableGeometry().contains(menu->geometry()));
                    keep(menu, name + "-choices");
                });
                times.timeChoiceButton->click();
            }
        });
    }
    p.windows.Form3->FormActivate();
    QVERIFY2(outOfReach(p.windows.Form3.get()).isEmpty(), qPrintable(outOfReach(p.windows.Form3.get()).join(u"; ")));
    keep(p.windows.Form3.get(), "main");
}

// The program's windows on a screen of 1366×768, as on a small laptop.
int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" PAIKAO_SCREEN_FILE);
    QApplication app(argc, argv);
    TestClerkQuestions test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_clerkquestions.moc"

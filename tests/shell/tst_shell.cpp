// Start-up, login and the main menu, driven through the real windows.
#include "RecordingDialogs.h"
#include "TermSummaryView.h"
#include "TestDatabase.h"
#include "Unit1.h"
#include "Unit13.h"
#include "Unit14.h"
#include "Unit15.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit5.h"
#include "Windows.h"

#include <QComboBox>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Runs an action that may open a modal window, closes that window as soon as
// it shows, and returns its name (empty when none opened).
QString modalOpenedBy(const std::function<void()>& action)
{
    QString shown;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&shown] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            shown = w->objectName();
            w->close();
        }
    });
    timer.start(0);
    action();
    return shown;
}

// The working window of the given name among all windows.
Form* formNamed(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<Form*>(w); form && form->objectName() == name)
            return form;
    return nullptr;
}

// The names of the window's buttons that a key pressed in the given control
// clicks (a box's own editor for an editable drop-down).
QStringList buttonsClickedBy(Form& form, const QString& control, Qt::Key key)
{
    QStringList clicked;
    QObject listening; // the connections end with this call
    for (QPushButton* button : form.findChildren<QPushButton*>())
        QObject::connect(button, &QPushButton::clicked, &listening, [&clicked, button] { clicked.append(button->objectName()); });
    QWidget* target = control.isEmpty() ? &form : form.findChild<QWidget*>(control);
    if (auto* box = qobject_cast<QComboBox*>(target); box && box->isEditable())
        target = box->lineEdit();
    if (!target)
        return {QStringLiteral("no control ") + control};
    target->setFocus();
    QTest::keyClick(target, key);
    return clicked;
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startsAtTheLoginWindow();
    void wrongPasswordIsRefused_data();
    void wrongPasswordIsRefused();
    void rightPasswordOpensTheMainWindow_data();
    void rightPasswordOpensTheMainWindow();
    void menuHasEveryItemInOrder();
    void menuItemsOpenTheirWindowsModally();
    void mainWindowShowsTheTermWhenActivated();
    void closingAWorkingWindowReconfiguresTheConnection();
    void schedulingMenuRefusesCoursesWithoutPaper();
    void schedulingMenuOpensSchedulingWindow();
    void missingDatabaseIsReportedAndLaterFound();
    void enterPressesOnlyTheDefaultButton_data();
    void enterPressesOnlyTheDefaultButton();
    void escapeGoesThroughTheExitStep_data();
    void escapeGoesThroughTheExitStep();

private:
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<RecordingDialogs> dialogs;
    std::unique_ptr<Windows> windows;
};

void TestShell::init()
{
    db = std::make_unique<TestDatabase>();
    dialogs = std::make_unique<RecordingDialogs>();
    windows = std::make_unique<Windows>(*dialogs);
    windows->Form13->show();
}

void TestShell::cleanup()
{
    windows.reset();
    dialogs.reset();
    db.reset();
}

void TestShell::startsAtTheLoginWindow()
{
    TForm13& login = *windows->Form13;
    QVERIFY(login.isVisible());
    QVERIFY(!windows->Form3->isVisible());
    QCOMPARE(login.windowTitle(), QString("h"));
    QCOMPARE(login.Edit1->text(), QString("admin"));
    QCOMPARE(login.Edit2->echoMode(), QLineEdit::Password);
    QCOMPARE(login.Label2->text(), QString("密    码："));
    QCOMPARE(windows->Form14->windowTitle(), QString("考场拆分"));
    QCOMPARE(windows->Form15->windowTitle(), QString("拆分课程编排教室"));
    QCOMPARE(windows->Form3->windowTitle(), QString("管理界面"));
}

void TestShell::wrongPasswordIsRefused_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("empty") << "";
    QTest::newRow("other case") << "KQZ";
    QTest::newRow("blank before") << " kqz";
    QTest::newRow("blank after") << "kqz ";
    QTest::newRow("other text") << "admin";
}

void TestShell::wrongPasswordIsRefused()
{
    QFETCH(QString, password);
    TForm13& login = *windows->Form13;
    login.Edit2->setText(password);
    login.Button1->click();
    QCOMPARE(dialogs->takeTexts(), QStringList{"密码错误，请重新输入"});
    QVERIFY(login.isVisible());
    QVERIFY(!windows->Form3->isVisible());
    QCOMPARE(login.Edit2->text(), password);
}

void TestShell::rightPasswordOpensTheMainWindow_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("pressEnter");
    QTest::newRow("button") << "admin" << false;
    QTest::newRow("enter in the password box, no user name") << "" << true;
}

void TestShell::rightPasswordOpensTheMainWindow()
{
    QFETCH(QString, user);
    QFETCH(bool, pressEnter);
    TForm13& login = *windows->Form13;
    login.Edit1->setText(user);
    login.Edit2->setText("kqz");
    if (pressEnter)
        QTest::keyClick(login.Edit2, Qt::Key_Return);
    else
        login.Button1->click();
    QVERIFY(dialogs->boxes.isEmpty());
    QVERIFY(windows->Form3->isVisible());
    QVERIFY(!login.isVisible());
}

void TestShell::menuHasEveryItemInOrder()
{
    QStringList seen;
    for (QAction* menu : windows->Form3->menuBar()->actions()) {
        QStringList items;
        for (QAction* item : menu->menu()->actions())
            items.append(item->objectName() + "=" + item->text());
        seen.append(menu->menu()->objectName() + "=" + menu->text() + ": " + items.join(", "));
    }
    QCOMPARE(seen, (QStringList{
                       "N1=系统: N15=数据初始化, restoreDataItem=恢复数据, N10=导入数据, N11=退出",
                       "N6=编排: N14=1.试卷管理, N7=2.课程排考, N3=3.指定教室, N16=4.考场拆分, N13=5.指定时间, invigilationItem=6.监考安排, seatingItem=7.考场座位与材料, calendarItem=考试日历",
                       "N2=查询: N8=名单查询修改",
                       "N4=打印: N9=打印考场名单",
                       "N17=设置: N12=教室管理",
                       "N5=备注: N18=版本信息",
                       "helpMenu=帮助: guideItem=使用说明",
                   }));
}

void TestShell::menuItemsOpenTheirWindowsModally()
{
    TForm3& main = *windows->Form3;
    // Each item and its handler, named after the item, open the window.
    const QList<std::tuple<QAction*, void (TForm3::*)(), QString>> items = {
        {main.N15, &TForm3::N15Click, "Form12"}, {main.N10, &TForm3::N10Click, "Form8"},
        {main.N14, &TForm3::N14Click, "Form7"}, {main.N3, &TForm3::N3Click, "Form4"},
        {main.N16, &TForm3::N16Click, "Form14"}, {main.N13, &TForm3::N13Click, "Form6"},
        {main.N8, &TForm3::N8Click, "Form1"}, {main.N9, &TForm3::N9Click, "Form9"},
        {main.N12, &TForm3::N12Click, "Form5"}, {main.N18, &TForm3::N18Click, "Form16"},
        {main.restoreDataItem, &TForm3::restoreDataItemClick, "RestoreWindow"},
        {main.invigilationItem, &TForm3::invigilationItemClick, "InvigilationWindow"},
        {main.calendarItem, &TForm3::calendarItemClick, "CalendarWindow"},
    };
    main.show();
    for (const auto& [action, handler, expected] : items) {
        QCOMPARE(modalOpenedBy([action] { action->trigger(); }), expected);
        QCOMPARE(modalOpenedBy([&main, handler] { (main.*handler)(); }), expected);
    }
    QVERIFY(dialogs->boxes.isEmpty());
}

void TestShell::mainWindowShowsTheTermWhenActivated()
{
    TForm3& main = *windows->Form3;
    db->addRoster({"|K5|S6|吴八|C5|日语|郑老师|外语系||补考", "1|K1|S1|张三|C1|数学|王|数学系||补考"});
    main.show();
    main.FormActivate();
    QVERIFY(main.termSummary->text().contains("2 名学生，共考 2 门次（名单 2 行），2 门课程，其中 1 门课程没有试卷序号"));
    QVERIFY(main.termSummary->text().endsWith("\n下一步：1.试卷管理"));
    // Read again at the next activation, after a working window changed the term.
    db->exec("update t_bjgmd set sjxh='5' where kcxh='K5'");
    main.FormActivate();
    QVERIFY(main.termSummary->text().endsWith("\n下一步：2.课程排考"));
    QVERIFY(dialogs->boxes.isEmpty());
}

void TestShell::closingAWorkingWindowReconfiguresTheConnection()
{
    TForm3& main = *windows->Form3;
    main.show();
    main.activateWindow();
    DataModule& dm = windows->Form1->data();
    dm.reconfigure();
    dm.ADOQuery1.SQL.Add("select * from t_js");
    dm.ADOQuery1.Open();
    QVERIFY(dm.ADOConnection1.connected());
    // The classroom window reads rooms, then closes.
    QCOMPARE(modalOpenedBy([&main] { main.N12->trigger(); }), QString("Form5"));
    QTRY_VERIFY(!dm.ADOConnection1.connected());
    QVERIFY(!dm.ADOQuery1.Active());
    QVERIFY(dm.ADOQuery1.SQL.lines().empty());
}

void TestShell::schedulingMenuRefusesCoursesWithoutPaper()
{
    db->addRoster({"|K5|S6|吴八|C5|日语|郑老师|外语系||补考", "1|K1|S1|张三|C1|数学|王|数学系||补考"});
    TForm3& main = *windows->Form3;
    windows->Form1->data().reconfigure();
    QCOMPARE(modalOpenedBy([&main] { main.N7->trigger(); }), QString());
    QCOMPARE(dialogs->boxes.size(), 1);
    QCOMPARE(dialogs->boxes[0].kind, QString("message"));
    QCOMPARE(dialogs->boxes[0].text, QString("试卷序号还未填写，请返回至试卷管理"));
    // The courses stay in the slot that the numbering window shows.
    QCOMPARE(windows->Form1->data().ADOQuery18.RecordCount(), 1);
    QCOMPARE(windows->Form1->data().ADOQuery18.FieldByName("kcxh").AsString(), QString("K5"));
}

void TestShell::schedulingMenuOpensSchedulingWindow()
{
    db->addRoster({"1|K1|S1|张三|C1|数学|王|数学系||补考"});
    windows->Form1->data().reconfigure();
    QCOMPARE(modalOpenedBy([this] { windows->Form3->N7->trigger(); }), QString("Form2"));
    QVERIFY(dialogs->boxes.isEmpty());
}

void TestShell::missingDatabaseIsReportedAndLaterFound()
{
    QFile::rename(db->file(), db->file() + ".away");
    windows->Form1->data().reconfigure();
    windows->Form3->N7->trigger();
    QCOMPARE(dialogs->boxes.size(), 1);
    QCOMPARE(dialogs->boxes[0].kind, QString("error"));
    QVERIFY(dialogs->boxes[0].text.contains("unable to open database file"));
    QVERIFY(!QFile::exists(db->file()));

    QFile::rename(db->file() + ".away", db->file());
    dialogs->boxes.clear();
    QCOMPARE(modalOpenedBy([this] { windows->Form3->N7->trigger(); }), QString("Form2"));
    QVERIFY(dialogs->boxes.isEmpty());
}

void TestShell::enterPressesOnlyTheDefaultButton_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control"); // where Enter is pressed
    QTest::addColumn<QStringList>("pressed");
    // Windows whose description names a default button.
    QTest::newRow("import: file choice") << "Form8" << "Edit1" << QStringList{"BitBtn1"};
    QTest::newRow("initialization") << "Form12" << "" << QStringList{"Button1"};
    QTest::newRow("printing") << "Form9" << "ComboBox1" << QStringList{"Button1"};
    QTest::newRow("split") << "Form14" << "Edit1" << QStringList{"Button1"};
    QTest::newRow("split rooms") << "Form15" << "ComboBox1" << QStringList{"Button3"};
    // Windows without one: Enter in a box presses nothing.
    QTest::newRow("roster: student number") << "Form1" << "Edit5" << QStringList{};
    QTest::newRow("roster: search box") << "Form1" << "Edit1" << QStringList{};
    QTest::newRow("scheduling") << "Form2" << "" << QStringList{};
    QTest::newRow("rooms: target period") << "Form4" << "Edit1" << QStringList{};
    QTest::newRow("classrooms: room to delete") << "Form5" << "Edit3" << QStringList{};
    QTest::newRow("classrooms: new room") << "Form5" << "Edit2" << QStringList{};
    QTest::newRow("period times") << "Form6" << "Edit1" << QStringList{};
    QTest::newRow("numbering: new number") << "Form7" << "Edit1" << QStringList{};
    QTest::newRow("restore") << "RestoreWindow" << "" << QStringList{};
}

void TestShell::enterPressesOnlyTheDefaultButton()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QStringList, pressed);
    Form* form = formNamed(window);
    QVERIFY(form);
    dialogs->confirmAnswers = QList<bool>(8, false);
    form->show();
    QCOMPARE(buttonsClickedBy(*form, control, Qt::Key_Return), pressed);
    QCOMPARE(buttonsClickedBy(*form, control, Qt::Key_Enter), pressed);
    QCOMPARE(db->scalar("select count(*) from t_js"), QString("0"));
    form->close();
}

void TestShell::escapeGoesThroughTheExitStep_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("exit"); // the exit button; none: closed like the frame does
    QTest::newRow("roster") << "Form1" << "Button3";
    QTest::newRow("scheduling") << "Form2" << "Button2";
    QTest::newRow("rooms") << "Form4" << "Button2";
    QTest::newRow("classrooms") << "Form5" << "Button3";
    QTest::newRow("period times") << "Form6" << "Button2";
    QTest::newRow("numbering") << "Form7" << "Button3";
    QTest::newRow("import") << "Form8" << "BitBtn3";
    QTest::newRow("printing") << "Form9" << "Button2";
    QTest::newRow("initialization") << "Form12" << "";
    QTest::newRow("split") << "Form14" << "Button2";
    QTest::newRow("split rooms") << "Form15" << "Button1";
    QTest::newRow("version") << "Form16" << "";
    QTest::newRow("restore") << "RestoreWindow" << "closeButton";
}

void TestShell::escapeGoesThroughTheExitStep()
{
    QFETCH(QString, window);
    QFETCH(QString, exit);
    Form* form = formNamed(window);
    QVERIFY(form);
    form->show();
    const QStringList clicked = buttonsClickedBy(*form, QString(), Qt::Key_Escape);
    QCOMPARE(clicked, exit.isEmpty() ? QStringList{} : QStringList{exit});
    QVERIFY(!form->isVisible());
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"

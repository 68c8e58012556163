#include "Unit3.h"

#include "Guard.h"
#include "SlotSteps.h"
#include "TermSummaryView.h"
#include "Unit1.h"
#include "Unit12.h"
#include "Unit14.h"
#include "Unit16.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit5.h"
#include "InvigilationWindow.h"
#include "CalendarWindow.h"
#include "SeatingWindow.h"
#include "GuideWindow.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "Unit9.h"
#include "RestoreWindow.h"
#include "Windows.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeySequence>
#include <QMenuBar>

namespace {

QMenu* menu(QMenuBar* bar, const char* name, const QString& caption)
{
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

} // namespace

QAction* TForm3::item(QMenu* menu, const char* name, const QString& caption, void (TForm3::*handler)())
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, guarded(windows.dialogs, [this, handler] { (this->*handler)(); }));
    return action;
}

TForm3::TForm3(Windows& windows)
    : windows(windows)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("管理界面"));
    resize(1024, 660); // whole on a screen of 1366×768 under its title bar, beside a panel
    centreOnScreen(this);
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    N1 = menu(bar, "N1", QStringLiteral("系统"));
    N15 = item(N1, "N15", QStringLiteral("数据初始化"), &TForm3::N15Click);
    restoreDataItem = item(N1, "restoreDataItem", QStringLiteral("恢复数据"), &TForm3::restoreDataItemClick);
    N10 = item(N1, "N10", QStringLiteral("导入数据"), &TForm3::N10Click);
    N11 = item(N1, "N11", QStringLiteral("退出"), &TForm3::N11Click);
    N6 = menu(bar, "N6", QStringLiteral("编排"));
    N14 = item(N6, "N14", QStringLiteral("1.试卷管理"), &TForm3::N14Click);
    N7 = item(N6, "N7", QStringLiteral("2.课程排考"), &TForm3::N7Click);
    N3 = item(N6, "N3", QStringLiteral("3.指定教室"), &TForm3::N3Click);
    N16 = item(N6, "N16", QStringLiteral("4.考场拆分"), &TForm3::N16Click);
    N13 = item(N6, "N13", QStringLiteral("5.指定时间"), &TForm3::N13Click);
    invigilationItem = item(N6, "invigilationItem", QStringLiteral("6.监考安排"), &TForm3::invigilationItemClick);
    seatingItem = item(N6, "seatingItem", QStringLiteral("7.考场座位与材料"), &TForm3::seatingItemClick);
    calendarItem = item(N6, "calendarItem", QStringLiteral("考试日历"), &TForm3::calendarItemClick);
    N2 = menu(bar, "N2", QStringLiteral("查询"));
    N8 = item(N2, "N8", QStringLiteral("名单查询修改"), &TForm3::N8Click);
    N4 = menu(bar, "N4", QStringLiteral("打印"));
    N9 = item(N4, "N9", QStringLiteral("打印考场名单"), &TForm3::N9Click);
    N17 = menu(bar, "N17", QStringLiteral("设置"));
    N12 = item(N17, "N12", QStringLiteral("教室管理"), &TForm3::N12Click);
    N5 = menu(bar, "N5", QStringLiteral("备注"));
    N18 = item(N5, "N18", QStringLiteral("版本信息"), &TForm3::N18Click);
    helpMenu = menu(bar, "helpMenu", QStringLiteral("帮助"));
    guideItem = item(helpMenu, "guideItem", QStringLiteral("使用说明"), &TForm3::guideItemClick);
    guideItem->setShortcut(QKeySequence::HelpContents);
    termSummary = new TermSummaryView(this);
    setCentralWidget(termSummary);
}

bool TForm3::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        guarded(windows.dialogs, [this] { FormActivate(); })();
    return QMainWindow::event(e);
}

void TForm3::FormActivate()
{
    DataModule& dm = windows.Form1->data();
    dm.reconfigure();
    termSummary->refresh(dm);
    // The file stays free between working windows, as before the summary.
    dm.ADOConnection1.Close();
}

// The windows are created after the main window, so each handler looks its
// window up when the item is chosen.
void TForm3::N15Click() { windows.Form12->exec(); }
void TForm3::restoreDataItemClick() { windows.restoreWindow->exec(); }
void TForm3::N10Click() { windows.Form8->exec(); }
void TForm3::N14Click() { windows.Form7->exec(); }
void TForm3::N3Click() { windows.Form4->exec(); }
void TForm3::N16Click() { windows.Form14->exec(); }
void TForm3::N13Click() { windows.Form6->exec(); }
void TForm3::invigilationItemClick() { windows.invigilationWindow->exec(); }
void TForm3::seatingItemClick() { windows.seatingWindow->exec(); }
void TForm3::calendarItemClick() { windows.calendarWindow->exec(); }
void TForm3::N8Click() { windows.Form1->exec(); }
void TForm3::N9Click() { windows.Form9->exec(); }
void TForm3::N12Click() { windows.Form5->exec(); }
void TForm3::N18Click() { windows.Form16->exec(); }

void TForm3::guideItemClick()
{
    const QString guide = findGuide(QCoreApplication::applicationDirPath());
    if (guide.isEmpty()) {
        windows.dialogs.message(QStringLiteral("找不到使用说明：它应随程序安装在 share/doc/paikao/guide 中，请重新安装本程序"));
        return;
    }
    windows.guideWindow->showGuide(guide);
}

void TForm3::N7Click()
{
    QuerySlot& q = windows.Form1->data().ADOQuery18;
    openOn(q, "select kcxh,kcdm,kcmc,skjs,kkyx FROM nonsjxh  ");
    if (q.RecordCount() > 0) {
        windows.dialogs.message(QStringLiteral("试卷序号还未填写，请返回至试卷管理"));
        return;
    }
    windows.Form2->exec();
}

void TForm3::N11Click()
{
    QCoreApplication::exit(0);
}

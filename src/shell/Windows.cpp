#include "Windows.h"

#include "Unit1.h"
#include "Unit12.h"
#include "Unit13.h"
#include "Unit14.h"
#include "Unit15.h"
#include "Unit16.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "Unit9.h"
#include "RestoreWindow.h"
#include "InvigilationWindow.h"
#include "CalendarWindow.h"
#include "SeatingWindow.h"
#include "GuideWindow.h"
#include "SpreadTimesDialog.h"
#include "RulesWindow.h"
#include "ConflictListWindow.h"

#include <QAction>

namespace {

std::unique_ptr<Form> unusedForm(Dialogs& dialogs, int number)
{
    const QString name = QStringLiteral("Form%1").arg(number);
    return std::make_unique<Form>(dialogs, name, name);
}

} // namespace

Windows::Windows(Dialogs& dialogs)
    : Windows(dialogs, LoginOnly())
{
    createRest();
}

Windows::Windows(Dialogs& dialogs, LoginOnly)
    : dialogs(dialogs)
{
    Form13 = std::make_unique<TForm13>(*this);
}

std::unique_ptr<Windows> Windows::loginFirst(Dialogs& dialogs)
{
    return std::unique_ptr<Windows>(new Windows(dialogs, LoginOnly()));
}

void Windows::createRest()
{
    if (Form3)
        return;
    Form3 = std::make_unique<TForm3>(*this);
    Form1 = std::make_unique<TForm1>(dialogs);
    DataModule& dm = Form1->data();
    dm.ADOConnection1.setUpgradeNotice([&said = dialogs](const QString& note) { said.message(note); });
    Form2 = std::make_unique<TForm2>(dm, dialogs);
    Form4 = std::make_unique<TForm4>(dm, dialogs);
    Form5 = std::make_unique<TForm5>(dm, dialogs);
    Form6 = std::make_unique<TForm6>(dm, dialogs);
    Form7 = std::make_unique<TForm7>(dm, dialogs);
    Form8 = std::make_unique<TForm8>(dialogs);
    Form9 = std::make_unique<TForm9>(dm, dialogs);
    Form10 = unusedForm(dialogs, 10);
    Form11 = unusedForm(dialogs, 11);
    Form12 = std::make_unique<TForm12>(dm, dialogs);
    Form14 = std::make_unique<TForm14>(dm, dialogs);
    Form15 = std::make_unique<TForm15>(dm, dialogs);
    Form14->setCompanion(*Form15);
    Form16 = std::make_unique<TForm16>(dialogs);
    Form17 = unusedForm(dialogs, 17);
    Form18 = unusedForm(dialogs, 18);
    Form19 = unusedForm(dialogs, 19);
    Form20 = unusedForm(dialogs, 20);
    Form21 = unusedForm(dialogs, 21);
    Form22 = unusedForm(dialogs, 22);
    restoreWindow = std::make_unique<RestoreWindow>(dm, dialogs);
    invigilationWindow = std::make_unique<InvigilationWindow>(dm, dialogs);
    calendarWindow = std::make_unique<CalendarWindow>(dm, dialogs, [form4 = Form4.get()](const QString& period) {
        form4->execOnPeriod(period);
    });
    seatingWindow = std::make_unique<SeatingWindow>(dm, dialogs);
    guideWindow = std::make_unique<GuideWindow>(dialogs);

    // F1 opens the guide from every working window too: the main menu's
    // shortcut does not reach past a modal window.
    for (QWidget* window : std::initializer_list<QWidget*>{
             Form1.get(), Form2.get(), Form4.get(), Form5.get(), Form6.get(), Form6->spreadTimesDialog, Form7.get(),
             Form8.get(), Form9.get(), Form12.get(), Form14.get(), Form15.get(), Form16.get(), restoreWindow.get(),
             invigilationWindow.get(), calendarWindow.get(), seatingWindow.get(), Form6->rulesWindow,
             Form6->conflictListWindow}) {
        auto* help = new QAction(window);
        help->setShortcut(QKeySequence::HelpContents);
        window->addAction(help);
        QObject::connect(help, &QAction::triggered, Form3->guideItem, &QAction::trigger);
    }
}

// Windows go in the reverse order of their creation; the roster window, which
// owns the connection, outlives every window that works through it.
Windows::~Windows() = default;

// Makes the pictures of the clerk's guide: runs the real windows headless
// over a sample term, opens each step's window from the main menu, grabs it
// and writes the guide with its pictures into a folder.
//   guide_pictures GUIDE_HTML OUT_DIR
// Ends with status 1, naming the step, when a step's window cannot be
// reached or a picture the guide shows was not made.
#include "Backup.h"
#include "CalendarWindow.h"
#include "ComboBox.h"
#include "DataModule.h"
#include "Fonts.h"
#include "people/Invigilation.h"
#include "InvigilationWindow.h"
#include "RecordingDialogs.h"
#include "RestoreWindow.h"
#include "rooms/RoomAssignment.h"
#include "periods/Spreading.h"
#include "time/ExamTime.h"
#include "TestDatabase.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit13.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit6.h"
#include "SpreadTimesDialog.h"
#include "Unit7.h"
#include "Unit9.h"
#include "Windows.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <functional>

namespace {

// The sample term: students of three departments, each with one to three
// of twelve courses; two small courses share a paper.
struct Course {
    const char* code;
    const char* name;
    const char* teacher;
    const char* department;
};
const Course courses[] = {
    {"MA101", "高等数学（上）", "王建国", "数学系"},     {"MA102", "线性代数", "李明", "数学系"},
    {"MA201", "概率论与数理统计", "陈静", "数学系"},     {"EN101", "大学英语（一）", "赵丽", "外语系"},
    {"EN102", "大学英语（二）", "赵丽", "外语系"},       {"JP101", "基础日语", "钱敏", "外语系"},
    {"PH101", "大学物理", "张伟", "物理系"},             {"PH102", "电磁学", "孙强", "物理系"},
    {"PH201", "理论力学", "周平", "物理系"},             {"CS101", "C 语言程序设计", "吴昊", "计算机系"},
    {"CS102", "数据结构", "郑洁", "计算机系"},           {"CS201", "思想道德修养与法律基础", "冯涛", "马克思主义学院"},
};
constexpr int courseCount = int(std::size(courses));
// The folder the program installed for a clerk works in.
const QString plainWorkFolder = QStringLiteral("/home/jiaowu/.local/share/paikao");
const char* const surnames = "张王李赵陈刘杨黄周吴徐孙胡朱高林何郭马罗";
const char* const givenNames = "伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚";

QStringList sampleRoster()
{
    const QString family = QString::fromUtf8(surnames), given = QString::fromUtf8(givenNames);
    QStringList rows;
    unsigned seed = 7;
    const auto next = [&seed](unsigned bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % bound;
    };
    for (int s = 0; s < 160; ++s) {
        const QString xh = QStringLiteral("20230%1").arg(1001 + s);
        const QString xm = family[int(next(unsigned(family.size())))] + QString(given[int(next(unsigned(given.size())))])
                           + given[int(next(unsigned(given.size())))];
        QList<int> taken;
        const int count = 1 + int(next(3));
        while (taken.size() < count) {
            // The two English courses share a paper: nobody takes both.
            const int c = int(next(courseCount));
            if (!taken.contains(c) && !(c == 3 && taken.contains(4)) && !(c == 4 && taken.contains(3)))
                taken.append(c);
        }
        for (int c : taken) {
            const Course& k = courses[c];
            rows.append(QStringLiteral("|%1|%2|%3|%4|%5|%6|%7||%8")
                            .arg(QString::fromUtf8(k.code).toLower() + QStringLiteral("-01"), xh, xm, QString::fromUtf8(k.code),
                                 QString::fromUtf8(k.name), QString::fromUtf8(k.teacher), QString::fromUtf8(k.department),
                                 next(4) == 0 ? QStringLiteral("缓考") : QStringLiteral("补考")));
        }
    }
    return rows;
}

// One picture of the guide: what is done to the term first, the menu item
// that opens the window, and what the clerk does in it before it is grabbed.
struct Step {
    QString picture;         // file name under images/
    QString window;          // object name of the window that must show
    std::function<void()> before;
    void (TForm3::*menu)() = nullptr; // none: the main or login window itself
    // False when the window does not show what the guide tells.
    std::function<bool(QWidget*)> inWindow;
};

class Guide {
public:
    Guide(const QString& outDir)
        : images(outDir + QStringLiteral("/images"))
    {
        QDir().mkpath(images);
    }

    // Grabs a window that is already shown.
    bool grab(QWidget* window, const QString& picture)
    {
        // Controls the window hid or showed as it filled take their places first.
        if (window->layout())
            window->layout()->activate();
        QApplication::processEvents();
        return window->grab().save(images + u'/' + picture, "PNG");
    }

    // Opens the window through the menu and grabs it while it is shown.
    bool grabModal(TForm3& main, const Step& step)
    {
        bool made = false;
        QTimer::singleShot(0, [&] {
            QWidget* shown = QApplication::activeModalWidget();
            if (shown && shown->objectName() == step.window) {
                made = (!step.inWindow || step.inWindow(shown)) && grab(shown, step.picture);
            }
            // Boxes the steps opened go first, then the window.
            while (QWidget* left = QApplication::activeModalWidget())
                left->close();
        });
        (main.*step.menu)();
        return made;
    }

private:
    QString images;
};

// The <img src="images/..."> of the guide.
QStringList picturesShown(const QString& html)
{
    static const QRegularExpression img(QStringLiteral("<img[^>]*src=\"images/([^\"]+)\""));
    QStringList names;
    for (auto it = img.globalMatch(html); it.hasNext();)
        names.append(it.next().captured(1));
    return names;
}

int fail(const QString& why)
{
    QTextStream(stderr) << "guide_pictures: " << why << '\n';
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3)
        return fail(QStringLiteral("usage: guide_pictures GUIDE_HTML OUT_DIR"));
    QApplication::setFont(fontWithFallback(QStringLiteral("WenQuanYi Micro Hei"), 10));
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QFile html(source);
    if (!html.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(source));
    const QString guideText = QString::fromUtf8(html.readAll());
    QDir(outDir + QStringLiteral("/images")).removeRecursively();
    Guide guide(outDir);

    TestDatabase db; // the sample term's own folder, the current directory
    db.exec("INSERT INTO t_js(jsm, rnrs) VALUES('教一101', 60), ('教一102', 60), ('教一201', 45), ('教二105', 40),"
            " ('教二106', 30), ('实验楼301', 24)");
    RecordingDialogs dialogs;
    Windows windows(dialogs);
    TForm3& main = *windows.Form3;
    DataModule& dm = windows.Form1->data();
    dm.reconfigure();

    const auto numberPapers = [&] {
        // Every course its own paper; the two English courses share one.
        for (int c = 0; c < courseCount; ++c)
            db.exec(QStringLiteral("update t_bjgmd set sjxh='%1' where kcdm='%2'").arg(c == 4 ? 4 : c + 1).arg(QString::fromUtf8(courses[c].code)));
    };
    const auto giveTimes = [&] {
        const Sitting sittings[] = {{8 * 60 + 30, 10 * 60 + 30}, {14 * 60, 16 * 60}};
        const QStringList periods = db.rows("select cc from t_cc order by cast(cc as integer)");
        for (int i = 0; i < periods.size(); ++i)
            db.exec(QStringLiteral("update t_cc set kssj='%1' where cc='%2'")
                        .arg(ExamTime{QDate(2027, 1, 11).addDays(i / 2), sittings[i % 2]}.text(), periods[i]));
    };

    // The steps of the guide, in its order. A new window gets its step here
    // and its section in the guide.
    const QList<Step> steps = {
        {QStringLiteral("01-login.png"), QStringLiteral("Form13"), {}, nullptr, {}},
        {QStringLiteral("02-main-empty.png"), QStringLiteral("Form3"), {}, nullptr, {}},
        {QStringLiteral("03-import.png"), QStringLiteral("Form8"), {}, &TForm3::N10Click, {}},
        {QStringLiteral("04-numbering.png"), QStringLiteral("Form7"), [&] { db.addRoster(sampleRoster()); }, &TForm3::N14Click,
         [&](QWidget*) {
             TForm7& w = *windows.Form7;
             const int index = w.ComboBox1->findText(QStringLiteral("数学系"));
             w.ComboBox1->setCurrentIndex(index);
             Q_EMIT w.ComboBox1->textActivated(QStringLiteral("数学系"));
             return index >= 0;
         }},
        {QStringLiteral("05-scheduling.png"), QStringLiteral("Form2"), numberPapers, &TForm3::N7Click,
         [&](QWidget*) {
             windows.Form2->Button4->click();
             windows.Form2->Button1->click();
             return !db.rows("select cc from t_cc").isEmpty();
         }},
        {QStringLiteral("06-rooms.png"), QStringLiteral("Form4"), [&] { assignRooms(dm, std::nullopt); }, &TForm3::N3Click,
         [&](QWidget*) {
             TForm4& w = *windows.Form4;
             w.ComboBox1->setEnabled(true);
             w.ComboBox1->setEditText(QStringLiteral("1"));
             w.ComboBox1Change();
             return true;
         }},
        {QStringLiteral("07-split.png"), QStringLiteral("Form14"), {}, &TForm3::N16Click, {}},
        // "自动安排时间" of the period-time window, shown with the term's
        // periods and left without running.
        {QStringLiteral("08-times-before.png"), QStringLiteral("Form6"), {}, &TForm3::N13Click,
         [&](QWidget*) {
             bool made = false;
             QTimer::singleShot(0, [&] {
                 QWidget* shown = QApplication::activeModalWidget();
                 // The sample term's own first day, whatever day the guide is made.
                 windows.Form6->spreadTimesDialog->firstDateEdit->setDate(QDate(2027, 1, 11));
                 made = shown == windows.Form6->spreadTimesDialog && guide.grab(shown, QStringLiteral("08-spread-times.png"));
                 if (shown)
                     shown->close();
             });
             windows.Form6->spreadTimesButton->click();
             return made;
         }},
        {QStringLiteral("08-times.png"), QStringLiteral("Form6"), giveTimes, &TForm3::N13Click, {}},
        {QStringLiteral("09-invigilation.png"), QStringLiteral("InvigilationWindow"),
         [&] {
             db.exec("INSERT INTO t_jkjs(xm, yx, zdcs, bkcc) VALUES('王建国','数学系',4,''), ('李明','数学系',4,''),"
                     " ('陈静','数学系',4,'2027-01-12'), ('赵丽','外语系',4,''), ('钱敏','外语系',3,''), ('张伟','物理系',4,''),"
                     " ('孙强','物理系',4,''), ('周平','物理系',3,''), ('吴昊','计算机系',4,''), ('郑洁','计算机系',4,''),"
                     " ('冯涛','马克思主义学院',4,''), ('林晓','教务处',6,'')");
             adoptInvigilation(dm, planInvigilation(dm, InvigilationTerms{}));
         },
         &TForm3::invigilationItemClick, {}},
        {QStringLiteral("10-calendar.png"), QStringLiteral("CalendarWindow"), {}, &TForm3::calendarItemClick,
         [&](QWidget*) { return !windows.calendarWindow->calendar().days.isEmpty(); }},
        {QStringLiteral("11-print.png"), QStringLiteral("Form9"), {}, &TForm3::N9Click,
         [&](QWidget*) {
             TForm9& w = *windows.Form9;
             w.ComboBox1->setEditText(w.ComboBox1->itemText(0));
             w.ComboBox1Change();
             w.ComboBox2->setEditText(w.ComboBox2->itemText(0));
             w.ComboBox2Change();
             return w.ComboBox2->count() > 0;
         }},
        {QStringLiteral("12-roster.png"), QStringLiteral("Form1"), {}, &TForm3::N8Click, {}},
        {QStringLiteral("13-classrooms.png"), QStringLiteral("Form5"), {}, &TForm3::N12Click, {}},
        // The copies lie in the sample term's temporary folder, a name that
        // means nothing to the clerk: the picture shows the folder an
        // installed program works in instead.
        {QStringLiteral("14-restore.png"), QStringLiteral("RestoreWindow"), [&] { backupDatabase(dm.ADOConnection1); },
         &TForm3::restoreDataItemClick,
         [&](QWidget*) {
             QTableWidget* copies = windows.restoreWindow->copyList;
             const QString temporary = QDir::toNativeSeparators(db.folder());
             bool shown = copies->rowCount() > 0;
             for (int row = 0; row < copies->rowCount(); ++row) {
                 QTableWidgetItem* path = copies->item(row, 2);
                 shown = shown && path && path->text().startsWith(temporary);
                 if (path)
                     path->setText(plainWorkFolder + path->text().mid(temporary.size()));
             }
             copies->resizeColumnsToContents();
             return shown;
         }},
        {QStringLiteral("15-initialization.png"), QStringLiteral("Form12"), {}, &TForm3::N15Click, {}},
        {QStringLiteral("16-main-done.png"), QStringLiteral("Form3"), {}, nullptr, {}},
    };

    windows.Form13->show();
    for (const Step& step : steps) {
        if (step.before)
            step.before();
        bool made = false;
        if (step.menu) {
            made = guide.grabModal(main, step);
        } else {
            QWidget* window = step.window == QStringLiteral("Form13") ? static_cast<QWidget*>(windows.Form13.get()) : &main;
            if (window == &main) {
                windows.Form13->hide();
                main.show();
                main.FormActivate();
            }
            made = window->objectName() == step.window && guide.grab(window, step.picture);
        }
        if (!made)
            return fail(QStringLiteral("the window %1 of %2 could not be reached").arg(step.window, step.picture));
    }

    for (const QString& picture : picturesShown(guideText))
        if (!QFile::exists(outDir + QStringLiteral("/images/") + picture))
            return fail(QStringLiteral("the guide shows %1, which no step makes").arg(picture));
    QFile out(outDir + QStringLiteral("/index.html"));
    if (!out.open(QIODevice::WriteOnly) || out.write(guideText.toUtf8()) < 0)
        return fail(QStringLiteral("cannot write %1").arg(out.fileName()));
    return 0;
}

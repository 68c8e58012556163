// "自动安排时间" in the period-time window: the dialog's defaults and what it
// shows before running, bad input refused, Enter and Esc in every box,
// declining and stopping (the tables stay byte for byte), and an adopted
// spread that then gets rooms, prints one time and exports on its new
// periods and times. Clashes and loads are checked with this test's own SQL.
#include "DataModule.h"
#include "RecordingDialogs.h"
#include "TermGoesOn.h"
#include "TermInvariants.h"
#include "Rosters.h"
#include "periods/Scheduling.h"
#include "SpreadTimesDialog.h"
#include "Unit6.h"
#include "UserActions.h"
#include "WindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>

namespace {

// The crown of four (first fit opens four periods) and a 5-cycle of small
// papers; B1 has a course split off with a room of its own, A1 a room, and
// S12 is listed on both of A1's courses.
struct Fixture : WindowFixture<TForm6> {
    Fixture()
    {
        QStringList rows = crownRoster(4);
        for (int i = 1; i <= 5; ++i)
            for (int t : {i, i % 5 + 1})
                rows.append(QStringList{QString("C%1").arg(i), QString("KC%1").arg(i), QString("T%1").arg(t)}.join(u'|'));
        db.addRoster(rows);
        db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',12),('B202',12),('C303',12)");
        schedulePapers(dm, [](int, int) { });
        db.addRoster({"A1|KA1b|S12"});
        db.exec("update t_kscs set jsid=1 where sjxh='A1'");
        db.exec("update t_bjgmd set sjxh='B1x', kcxh='KB1x' where xh in ('F1','F2')");
        db.exec("insert into t_kscs(cc,sjxh,sjxh1,jsid) select cc,'B1x','B1',2 from t_kscs where sjxh='B1'");
        w.show();
    }

    SpreadTimesDialog* dialog() { return w.spreadTimesDialog; }

    // Runs `inside` once the dialog is up, then presses the button.
    void withDialog(const std::function<void(SpreadTimesDialog*)>& inside)
    {
        QTimer::singleShot(0, &w, [this, inside] {
            QVERIFY(dialog()->isVisible());
            inside(dialog());
            // A check that failed inside leaves the dialog up: close it.
            if (dialog()->isVisible())
                dialog()->done(QDialog::Rejected);
        });
        w.spreadTimesButton->click();
        QVERIFY(!dialog()->isVisible());
    }

    // Every row of every table, as stored.
    QStringList everything()
    {
        QStringList rows;
        for (const QString table : {"t_bjgmd", "t_kscs", "t_cc", "t_js", "t_jkjs", "t_jkap", "t_print1"}) {
            QStringList columns;
            for (const QString& c : db.rows("select name from pragma_table_info('" + table + "')"))
                columns.append("quote(" + c + ")");
            rows += db.rows("select '" + table + "', rowid, " + columns.join(",") + " from " + table + " order by rowid");
        }
        return rows;
    }

    int papersInClash() { return studentsInTwoPapersOfAPeriod(db).toInt(); }

    // The most distinct students one period holds.
    int fullestPeriod()
    {
        return db.scalar("select max(n) from (select count(distinct trim(b.xh)) as n from t_bjgmd b"
                         " join t_kscs k on k.sjxh = b.sjxh group by k.cc)").toInt();
    }
};

// Two days from Monday 2027-01-11, a short run.
void fillIn(SpreadTimesDialog* d)
{
    d->firstDateEdit->setDate(QDate(2027, 1, 11));
    d->timeLimitBox->setValue(1);
}

void setSittings(SpreadTimesDialog* d, const QStringList& sittings)
{
    d->sittingsList->clear();
    for (const QString& s : sittings) {
        d->sittingsList->addItem(s);
        d->sittingsList->item(d->sittingsList->count() - 1)->setFlags(d->sittingsList->item(0)->flags() | Qt::ItemIsEditable);
    }
}

// The end of the result box: what adopting costs, before Yes.
const QRegularExpression resultQuestion("\n采用后各场次按时间重新编号为 1、2、3……，并写入新的考试时间。\n"
                                        "采用后 (\\d+) 份试卷将失去原来的教室（须在“3.指定教室”中重新指定），(\\d+) 条监考安排将被删除。\n"
                                        "是否采用？$");

} // namespace

class TestSpreadTimes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defaultsAndWhatItWillTake();
    void aClashNowIsNamedBeforeAnything();
    void badInputIsRefused_data();
    void badInputIsRefused();
    void datesStayWithinATerm();
    void enterAndEscInEveryBox();
    void decliningChangesNothing();
    void beforeFiguresReadTheTimesAsSpelled();
    void stoppingKeepsTheBestSoFar_data();
    void stoppingKeepsTheBestSoFar();
    void theAdoptedTermGoesOn();
    void whatAdoptingTakesIsSaidBeforeYes();
    void aWorseTimetableIsDeclinedByEnter_data();
    void aWorseTimetableIsDeclinedByEnter();
    void closingWhileItSearchesAdoptsNothing();
};

void TestSpreadTimes::defaultsAndWhatItWillTake()
{
    Fixture f;
    const QStringList before = f.everything();
    QCOMPARE(f.db.scalar("select count(distinct cc) from t_kscs"), QString("4"));
    f.withDialog([&](SpreadTimesDialog* d) {
        QCOMPARE(d->findChild<QDateEdit*>("firstDateEdit"), d->firstDateEdit);
        QVERIFY(d->firstDateEdit->calendarPopup());
        QVERIFY(d->findChild<QCheckBox*>("skipSaturdayBox")->isChecked());
        QVERIFY(d->findChild<QCheckBox*>("skipSundayBox")->isChecked());
        QVERIFY(!d->findChild<QCheckBox*>("skipFridayBox")->isChecked());
        QCOMPARE(d->findChild<QLineEdit*>("skippedDatesEdit")->text(), QString());
        QListWidget* list = d->findChild<QListWidget*>("sittingsList");
        QCOMPARE(list->count(), 3);
        QCOMPARE(QStringList({list->item(0)->text(), list->item(1)->text(), list->item(2)->text()}),
                 QStringList({"08:00-10:00", "10:30-12:30", "14:30-16:30"}));
        QCOMPARE(d->findChild<QSpinBox*>("periodCountBox")->value(), 4);
        QVERIFY(d->findChild<QCheckBox*>("capacityLimitBox")->isChecked());
        QVERIFY(d->capacityLimitBox->text().startsWith("按教室容量限制每场人数"));
        QCOMPARE(d->findChild<QSpinBox*>("timeLimitBox")->value(), 60);

        d->firstDateEdit->setDate(QDate(2027, 1, 14)); // a Thursday: Friday, then Monday
        QCOMPARE(d->calendarSummaryLabel->text(), QString("共 4 场，每天 3 场，需要 2 天；最后一天考试：2027-01-15 星期五"));
        d->periodCountBox->setValue(7);
        d->skippedDatesEdit->setText("2027-01-18, 2027/1/19");
        QCOMPARE(d->calendarSummaryLabel->text(), QString("共 7 场，每天 3 场，需要 3 天；最后一天考试：2027-01-20 星期三"));
        // Adding and removing sittings.
        d->addSittingButton->click();
        QCOMPARE(list->count(), 4);
        QVERIFY(d->calendarSummaryLabel->text().startsWith("第 4 个场次时间是空的"));
        list->item(3)->setText("16:40-18:40");
        QCOMPARE(d->calendarSummaryLabel->text(), QString("共 7 场，每天 4 场，需要 2 天；最后一天考试：2027-01-15 星期五"));
        list->setCurrentRow(0);
        d->removeSittingButton->click();
        QCOMPARE(list->item(0)->text(), QString("10:30-12:30"));
        d->cancelSpreadButton->click();
    });
    QCOMPARE(f.dialogs.takeTexts(), QStringList());
    QCOMPARE(f.everything(), before);
}

void TestSpreadTimes::aClashNowIsNamedBeforeAnything()
{
    Fixture f;
    // F0 sits A1 only; listed on B1 as well (period 1 too) it makes a clash.
    QCOMPARE(f.db.scalar("select group_concat(sjxh) from (select sjxh from t_kscs where cc='1' order by sjxh)"),
             QString("A1,B1,B1x,C3,C5"));
    f.db.addRoster({"B1|KB1|F0"});
    const QStringList before = f.everything();
    bool shown = false;
    QTimer::singleShot(0, &f.w, [&] {
        shown = f.dialog()->isVisible();
        f.dialog()->done(QDialog::Rejected);
    });
    f.w.spreadTimesButton->click();
    QCoreApplication::processEvents();
    QVERIFY(!shown);
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"第 1 场的试卷 A1 和 B1有同一个学生，请先在“3.指定教室”中把其中一份换到别的场次，再自动安排时间。"});
    QCOMPARE(f.everything(), before);
}

void TestSpreadTimes::badInputIsRefused_data()
{
    QTest::addColumn<QStringList>("sittings");
    QTest::addColumn<QList<int>>("skippedWeekdays");
    QTest::addColumn<QString>("skippedDates");
    QTest::addColumn<int>("periods");
    QTest::addColumn<QString>("message");
    const QStringList three = {"08:00-10:00", "10:30-12:30", "14:30-16:30"};
    QTest::newRow("no sittings") << QStringList() << QList<int>() << "" << 4 << "请至少设置一个场次时间（如 08:00-10:00）。";
    QTest::newRow("an empty sitting") << QStringList{"08:00-10:00", "  "} << QList<int>() << "" << 4
                                      << "第 2 个场次时间是空的，请填写（如 08:00-10:00）或删除它。";
    QTest::newRow("a sitting twice") << QStringList{"08:00-10:00", " 08:00-10:00"} << QList<int>() << "" << 4
                                     << "场次时间“08:00-10:00”和“08:00-10:00”是同一个时间，请修改或删除其中一个。";
    QTest::newRow("one sitting spelled twice") << QStringList{"08:00-10:00", "10:30-12:30", "8:00 - 10:00"} << QList<int>()
                                               << "" << 4 << "场次时间“08:00-10:00”和“8:00 - 10:00”是同一个时间，请修改或删除其中一个。";
    QTest::newRow("full-width colon") << QStringList{"08：00-10：00", "08:00-10:00"} << QList<int>() << "" << 4
                                      << "场次时间“08：00-10：00”和“08:00-10:00”是同一个时间，请修改或删除其中一个。";
    QTest::newRow("overlapping sittings")
        << QStringList{"08:00-10:00", "09:00-11:00"} << QList<int>() << "" << 4
        << "场次时间“08:00-10:00”和“09:00-11:00”有重叠的时间，同一时间不能考两场，请修改或删除其中一个。";
    QTest::newRow("an unreadable sitting") << QStringList{"08:00-10:00", "上午"} << QList<int>() << "" << 4
                                           << "场次时间“上午”无法识别：起止时间应写成 08:00-10:00 这样。";
    QTest::newRow("every weekday left out") << three << QList<int>{1, 2, 3, 4, 5, 6, 7} << "" << 4
                                            << "一周七天都被排除了，没有可以考试的日子。";
    QTest::newRow("a date unread") << three << QList<int>() << "2027-01-15、1月18日" << 4
                                   << "不考试的日期“1月18日”无法识别，请写成 2027-01-15 这样的日期，多个日期用逗号或空格隔开。";
    QTest::newRow("fewer periods") << three << QList<int>() << "" << 3
                                   << "场次数不能少于现有的 4 场：现有每一场的试卷都要有地方安排。";
}

void TestSpreadTimes::badInputIsRefused()
{
    QFETCH(QStringList, sittings);
    QFETCH(QList<int>, skippedWeekdays);
    QFETCH(QString, skippedDates);
    QFETCH(int, periods);
    QFETCH(QString, message);
    Fixture f;
    const QStringList before = f.everything();
    f.withDialog([&](SpreadTimesDialog* d) {
        fillIn(d);
        setSittings(d, sittings);
        for (int day : skippedWeekdays)
            d->skipWeekdayBoxes[day - 1]->setChecked(true);
        d->skippedDatesEdit->setText(skippedDates);
        d->periodCountBox->setValue(periods);
        QCOMPARE(d->calendarSummaryLabel->text(), message);
        d->startSpreadButton->click();
        QVERIFY(d->isVisible());
        QTest::keyClick(d, Qt::Key_Escape);
    });
    QCOMPARE(f.dialogs.takeTexts(), QStringList{message});
    QCOMPARE(f.everything(), before);
}

void TestSpreadTimes::datesStayWithinATerm()
{
    Fixture f;
    f.withDialog([&](SpreadTimesDialog* d) {
        QCOMPARE(d->firstDateEdit->minimumDate(), QDate(2000, 1, 1));
        QCOMPARE(d->firstDateEdit->maximumDate(), QDate(2099, 12, 31));
        // Every day of 10,000 from the first date is off, pasted as one text
        // of over 100,000 characters: read whole, the exams come after it.
        fillIn(d);
        QStringList days;
        for (int i = 0; i < 10000; ++i)
            days.append(QDate(2027, 1, 11).addDays(i).toString(Qt::ISODate));
        const QString pasted = days.join(QStringLiteral(", "));
        d->skippedDatesEdit->setText(pasted);
        QCOMPARE(d->skippedDatesEdit->text(), pasted);
        d->skipSaturdayBox->setChecked(false);
        d->skipSundayBox->setChecked(false);
        QCOMPARE(d->calendarSummaryLabel->text(), QString("共 4 场，每天 3 场，需要 2 天；最后一天考试：2054-05-30 星期六"));
        d->cancelSpreadButton->click();
    });
    QCOMPARE(f.dialogs.takeTexts(), QStringList());
}

void TestSpreadTimes::enterAndEscInEveryBox()
{
    Fixture f;
    const QStringList before = f.everything();
    const QStringList boxes = {"firstDateEdit", "skipMondayBox", "skipSaturdayBox", "skipSundayBox", "skippedDatesEdit",
                               "sittingsList", "periodCountBox", "capacityLimitBox", "timeLimitBox"};
    const QString refused = "场次时间“08:00-10:00”和“08:00-10:00”是同一个时间，请修改或删除其中一个。";
    for (const QString& name : boxes) {
        // Enter starts (here refused, the dialog stays); Esc closes it.
        f.withDialog([&](SpreadTimesDialog* d) {
            setSittings(d, {"08:00-10:00", "08:00-10:00"});
            QWidget* box = d->findChild<QWidget*>(name);
            QVERIFY2(box, qPrintable(name));
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Return);
            QVERIFY2(d->isVisible(), qPrintable(name));
            QCOMPARE(f.dialogs.takeTexts(), QStringList{refused});
            QTest::keyClick(box, Qt::Key_Escape);
            QVERIFY2(!d->isVisible(), qPrintable(name));
        });
    }
    // Enter in the list while a sitting is edited ends the edit, Esc in the
    // edit drops it; neither closes the dialog.
    f.withDialog([&](SpreadTimesDialog* d) {
        d->sittingsList->setCurrentRow(1);
        d->sittingsList->editItem(d->sittingsList->item(1));
        QLineEdit* editor = d->sittingsList->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, "11:00-13:00");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(d->sittingsList->item(1)->text(), QString("11:00-13:00"));
        QVERIFY(d->isVisible());
        d->sittingsList->editItem(d->sittingsList->item(1));
        editor = d->sittingsList->findChild<QLineEdit*>();
        QTest::keyClicks(editor, "x");
        QTest::keyClick(editor, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QCOMPARE(d->sittingsList->item(1)->text(), QString("11:00-13:00"));
        QVERIFY(d->isVisible());
        QTest::keyClick(d->sittingsList, Qt::Key_Escape);
    });
    QCOMPARE(f.dialogs.takeTexts(), QStringList());
    QCOMPARE(f.everything(), before);
}

void TestSpreadTimes::decliningChangesNothing()
{
    Fixture f;
    const QStringList before = f.everything();
    f.dialogs.confirmAnswers = {false};
    f.withDialog([](SpreadTimesDialog* d) {
        fillIn(d);
        d->periodCountBox->setValue(9);
        d->startSpreadButton->click();
    });
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes[0].kind, QString("confirm"));
    const QString text = f.dialogs.boxes[0].text;
    QVERIFY2(text.startsWith("共 53 名学生，13 份试卷，安排在 3 天的 9 个场次中。\n安排前按现有场次依次排入所选的日期计：\n\n"
                             "同一天连考两场的学生："),
             qPrintable(text));
    for (const QString line : {"\n同一天考两场及以上的学生：", "\n同一天考三场及以上的学生：", "\n代价（越小越分散）："})
        QVERIFY2(text.contains(line), qPrintable(line));
    const QRegularExpressionMatch cost = resultQuestion.match(text);
    QVERIFY2(cost.hasMatch(), qPrintable(text));
    QVERIFY(cost.captured(1).toInt() <= f.db.scalar("select count(*) from t_kscs where jsid<>0").toInt());
    QVERIFY(cost.captured(2).toInt() <= f.db.scalar("select count(*) from t_jkap").toInt());
    QCOMPARE(f.everything(), before);
}

void TestSpreadTimes::beforeFiguresReadTheTimesAsSpelled()
{
    // The four periods on one Monday, each time spelled its own way: the
    // figures before are those of that day.
    Fixture f;
    const QStringList times = {"2027/1/11 8:00-10:00", "2027-01-11\u300010：30 - 12：30", "2027年1月11日 14:30-16:30",
                               "2027-01-11 星期一 16:40-18:40"};
    for (int p = 0; p < times.size(); ++p)
        f.db.exec(QString("update t_cc set kssj='%1' where cc='%2'").arg(times[p]).arg(p + 1));
    const QString twoOrMore = f.db.scalar("select count(*) from (select trim(b.xh) from t_bjgmd b join t_kscs k"
                                          " on k.sjxh = b.sjxh group by trim(b.xh) having count(distinct k.cc) >= 2)");
    QVERIFY(twoOrMore.toInt() > 0);
    const QStringList before = f.everything();
    f.dialogs.confirmAnswers = {false};
    f.withDialog([](SpreadTimesDialog* d) {
        fillIn(d);
        d->startSpreadButton->click();
    });
    QCOMPARE(f.dialogs.boxes.size(), 1);
    const QString text = f.dialogs.boxes[0].text;
    QVERIFY2(text.contains("\n安排前按现有的考试时间计，安排后按新的时间计：\n\n"), qPrintable(text));
    QVERIFY2(text.contains("\n同一天考两场及以上的学生：" + twoOrMore + " 人 → "), qPrintable(text));
    QCOMPARE(f.everything(), before);
}

void TestSpreadTimes::stoppingKeepsTheBestSoFar_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("停止") << "button";
    QTest::newRow("Esc") << "escape";
}

void TestSpreadTimes::stoppingKeepsTheBestSoFar()
{
    QFETCH(QString, how);
    Fixture f;
    const QStringList before = f.everything();
    QList<bool> enabled;
    f.dialogs.confirmAnswers = {false};
    f.withDialog([&](SpreadTimesDialog* d) {
        fillIn(d);
        d->timeLimitBox->setValue(3600); // only the stop ends it
        QTimer::singleShot(300, d, [&, d] {
            for (QWidget* w : std::initializer_list<QWidget*>{d->firstDateEdit, d->sittingsList, d->startSpreadButton,
                                                              d->cancelSpreadButton, d->stopSpreadButton})
                enabled.append(w->isEnabled());
            if (how == "button")
                d->stopSpreadButton->click();
            else
                QTest::keyClick(d, Qt::Key_Escape);
        });
        d->startSpreadButton->click();
    });
    QCOMPARE(enabled, (QList<bool>{false, false, false, false, true}));
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QVERIFY(f.dialogs.boxes[0].text.startsWith("已停止，以下是到目前为止最好的安排。"));
    QCOMPARE(f.everything(), before);
    QVERIFY(f.dialog()->startSpreadButton->isEnabled());
}

void TestSpreadTimes::theAdoptedTermGoesOn()
{
    Fixture f;
    QVERIFY(QFile::copy(PAIKAO_SOURCE_DIR "/data/Project2.rav", f.db.folder() + "/data/Project2.rav"));
    f.withDialog([](SpreadTimesDialog* d) {
        fillIn(d);
        d->periodCountBox->setValue(9);
        d->startSpreadButton->click();
    });
    const QStringList texts = f.dialogs.takeTexts();
    QCOMPARE(texts.size(), 2);
    QVERIFY(texts[1].startsWith("已采用新的考试时间，共 "));

    // Never a clash, never over the 36 seats; the split part beside its
    // paper; periods 1..K in time order with their times, all in use.
    QCOMPARE(f.papersInClash(), 0);
    QVERIFY(f.fullestPeriod() <= 36);
    QCOMPARE(f.db.scalar("select count(distinct cc) from t_kscs where sjxh in ('B1','B1x')"), QString("1"));
    const QStringList periods = f.db.rows("select cc from t_cc order by rowid");
    QCOMPARE(f.db.rows("select distinct cc from t_kscs order by cast(cc as integer)"), periods);
    for (int i = 0; i < periods.size(); ++i)
        QCOMPARE(periods[i], QString::number(i + 1));
    QCOMPARE(f.db.rows("select kssj from t_cc order by cast(cc as integer)"), f.db.rows("select kssj from t_cc order by kssj"));
    QCOMPARE(f.db.scalar("select count(*) from t_cc where kssj not glob '2027-01-1[1-3] 星期? [01][048]:[03]0-1[0246]:[03]0'"),
             QString("0"));
    QCOMPARE(f.db.scalar("select typeof(kssj) || typeof(cc) from t_cc limit 1"), QString("texttext"));
    // The grid shows the new times.
    QCOMPARE(gridRows(f.w.DBGrid1), f.db.rows("select cc, kssj from t_cc"));
    f.w.Button2->click();

    // Rooms for every paper without one, period by period.
    giveRoomsByHand(f.db, f.dm, f.dialogs);
    if (QTest::currentTestFailed())
        return;
    printAndExportOnTheNewPeriods(f.db, f.dm, f.dialogs);
}

// A term with rooms and duties: the box names how many papers lose their
// room and how many duties go, and adopting takes exactly those.
void TestSpreadTimes::whatAdoptingTakesIsSaidBeforeYes()
{
    Fixture f;
    // Every paper a room, and two invigilators in each room in use.
    f.db.exec("update t_kscs set jsid = 1 + rowid % 3 where jsid = 0; update t_js set rnrs = 100");
    f.db.exec("insert into t_jkjs(xm, yx, zdcs, bkcc) values('甲','系',9,''),('乙','系',9,''),('丙','系',9,''),"
              "('丁','系',9,''),('戊','系',9,''),('己','系',9,'')");
    f.db.exec("insert into t_jkap(cc, jsid, jkid, sg) select distinct k.cc, k.jsid, 2 * (k.jsid - 1) + j.n, 0 from t_kscs k,"
              " (select 1 as n union select 2) j");
    const int duties = f.db.scalar("select count(*) from t_jkap").toInt();
    QVERIFY(duties > 0);
    const QStringList roomed = f.db.rows("select sjxh from t_kscs where jsid <> 0 order by sjxh");
    f.withDialog([](SpreadTimesDialog* d) {
        fillIn(d);
        d->periodCountBox->setValue(9);
        d->startSpreadButton->click();
    });
    const QStringList texts = f.dialogs.takeTexts();
    QCOMPARE(texts.size(), 2);
    const QRegularExpressionMatch cost = resultQuestion.match(texts[0]);
    QVERIFY2(cost.hasMatch(), qPrintable(texts[0]));
    QVERIFY(texts[1].startsWith("已采用新的考试时间，共 "));
    const QStringList stillRoomed = f.db.rows("select sjxh from t_kscs where jsid <> 0 order by sjxh");
    QCOMPARE(roomed.size() - stillRoomed.size(), cost.captured(1).toInt());
    QCOMPARE(duties - f.db.scalar("select count(*) from t_jkap").toInt(), cost.captured(2).toInt());
    QVERIFY(cost.captured(1).toInt() + cost.captured(2).toInt() > 0);
    QCOMPARE(f.db.scalar("select count(*) from t_kscs where typeof(jsid) <> 'integer'"), QString("0"));
    QCOMPARE(termFaults(f.db), QStringList());
}

void TestSpreadTimes::aWorseTimetableIsDeclinedByEnter_data()
{
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<bool>("worse");
    // No dates yet: the spread starts from the periods as they stand and
    // never ends worse.
    QTest::newRow("no dates") << QStringList{"", "", "", ""} << false;
}

// The box's default answer follows the comparison: Enter takes a better
// timetable and declines a worse one.
void TestSpreadTimes::aWorseTimetableIsDeclinedByEnter()
{
    QFETCH(QStringList, times);
    QFETCH(bool, worse);
    Fixture f;
    for (int p = 0; p < times.size(); ++p)
        f.db.exec(QString("update t_cc set kssj='%1' where cc='%2'").arg(times[p]).arg(p + 1));
    const QStringList before = f.everything();
    f.dialogs.confirmAnswers = {false};
    f.withDialog([](SpreadTimesDialog* d) {
        fillIn(d);
        setSittings(d, {"08:00-10:00", "10:30-12:30", "14:30-16:30", "16:40-18:40"});
        d->startSpreadButton->click();
    });
    QCOMPARE(f.dialogs.boxes.size(), 1);
    const RecordingDialogs::Box box = f.dialogs.boxes[0];
    static const QRegularExpression costs("\n代价（越小越分散）：([0-9.]+) → ([0-9.]+)\n");
    const QRegularExpressionMatch cost = costs.match(box.text);
    QVERIFY2(cost.hasMatch(), qPrintable(box.text));
    QCOMPARE(cost.captured(2).toDouble() > cost.captured(1).toDouble(), worse);
    QCOMPARE(box.text.contains("新的安排比现在的更集中（代价更大），不建议采用。"), worse);
    QCOMPARE(box.noByDefault, worse);
    QCOMPARE(f.everything(), before);
}

// The window's frame closed while the spread runs: the run ends, nothing
// is offered, nothing is written.
void TestSpreadTimes::closingWhileItSearchesAdoptsNothing()
{
    Fixture f;
    const QStringList before = f.everything();
    bool running = false;
    f.withDialog([&](SpreadTimesDialog* d) {
        fillIn(d);
        d->timeLimitBox->setValue(3600); // only the closing ends it
        QTimer::singleShot(300, d, [&, d] {
            running = d->stopSpreadButton->isEnabled();
            d->close();
        });
        d->startSpreadButton->click();
        QVERIFY(!d->isVisible());
    });
    QVERIFY(running);
    QCOMPARE(f.dialogs.boxes.size(), 0);
    QCOMPARE(f.everything(), before);
    QVERIFY(!f.dialog()->outcome());
}

QTEST_MAIN(TestSpreadTimes)
#include "tst_spreadtimes.moc"

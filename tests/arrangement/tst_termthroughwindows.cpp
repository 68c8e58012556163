// One term through the clerk's windows, as she would take it: scheduled,
// a paper split over rooms with a student on two of its courses, a paper
// moved to a period of its own, two periods given one time, a duty by hand,
// then 自动安排时间 (the spread dialog), 自动分配教室, 自动安排监考 and the
// calendar. The term's rules are checked from the raw tables after each.
#include "CalendarWindow.h"
#include "DataModule.h"
#include "InvigilationWindow.h"
#include "RecordingDialogs.h"
#include "SpreadTimesDialog.h"
#include "TermInvariants.h"
#include "TestDatabase.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit6.h"
#include "UserActions.h"

#include <QDateEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

namespace {

// Paper 1 (K1a: S1..S8, K1b: S9..S14) is larger than every room (8, 8, 6).
// Paper 3 shares S9 with it, paper 2 shares S1 with it and S21 with paper
// 3, paper 4 shares S2 with paper 1: scheduling makes periods 1 {1}, 2 {3,
// 4}, 3 {2}. Invigilators J1..J4, J4 not on 2027-01-13.
void fillTerm(TestDatabase& db)
{
    QStringList roster;
    const auto add = [&roster](const QString& paper, const QString& course, const QStringList& students) {
        for (const QString& s : students)
            roster.append(QStringList{paper, course, s, "学生" + s, "C" + course, "课程" + course, "王老师"}.join(u'|'));
    };
    add("1", "K1a", {"S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8"});
    add("1", "K1b", {"S9", "S10", "S11", "S12", "S13", "S14"});
    add("3", "K3", {"S9", "S20", "S21", "S22", "S23", "S24"});
    add("2", "K2", {"S1", "S21", "S15", "S16", "S17"});
    add("4", "K4", {"S2", "S30", "S31", "S32"});
    db.addRoster(roster);
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('R1',8),('R2',8),('R3',6);"
            "INSERT INTO t_jkjs(xm,zdcs,bkcc) VALUES('J1',3,''),('J2',3,''),('J3',3,''),('J4',3,'2027-01-13')");
}

int rowShowing(const QTableWidget* grid, int column, const QString& text)
{
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, column) && grid->item(r, column)->text() == text)
            return r;
    return -1;
}

} // namespace

class TestTermThroughWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void oneTermStepByStep();
};

void TestTermThroughWindows::oneTermStepByStep()
{
    TestDatabase db;
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    fillTerm(db);
    const auto keepsTheRules = [&db](const char* after) {
        const QStringList faults = termFaults(db);
        QVERIFY2(faults.isEmpty(), qPrintable(QString(after) + ":\n" + faults.join(u'\n')));
    };

    {
        TForm2 scheduling(dm, dialogs);
        scheduling.show();
        scheduling.Button1->click();
        QCOMPARE(dialogs.takeTexts().value(1), QString("处理完毕"));
    }
    QCOMPARE(db.rows("select cc || ':' || group_concat(sjxh) from (select cc, sjxh from t_kscs order by sjxh)"
                     " group by cc order by cc"),
             (QStringList{"1:1", "2:3,4", "3:2"}));
    keepsTheRules("scheduling");
    // S1 is on K1b as well: she still sits paper 1 once.
    db.addRoster({"1|K1b|S1|学生S1|CK1b|课程K1b|王老师"});

    {
        TForm4 rooms(dm, dialogs);
        rooms.show();
        // Paper 4 to a period of its own: it shares nobody with period 3.
        const auto choosePeriod = [&rooms](const QString& period) {
            if (!rooms.ComboBox1->isEnabled())
                rooms.Button3->click();
            pick(rooms.ComboBox1, period);
        };
        choosePeriod("2");
        clickRowShowing(rooms.DBGrid1, 0, "4");
        rooms.Edit1->setText("4");
        rooms.Button4->click();
        QVERIFY(dialogs.takeTexts().value(0).startsWith("更换成功"));
        keepsTheRules("the period change");
        // Period 1's rooms: paper 1 goes over two rooms, S1 with all her rows.
        choosePeriod("1");
        rooms.autoAssignRoomsButton->click();
        QCOMPARE(dialogs.takeTexts().size(), 1);
    }
    QCOMPARE(db.scalar("select count(*) from t_kscs where sjxh1='1' and jsid<>0"), QString("2"));
    QCOMPARE(db.scalar("select count(distinct sjxh) from t_bjgmd where xh='S1' and kcxh like 'K1%'"), QString("1"));
    keepsTheRules("the rooms of period 1");

    {
        TForm6 times(dm, dialogs);
        times.show();
        for (const auto& [period, time] : {std::pair{"3", "2027-01-13 星期三 08:00-10:00"}, {"4", "2027/1/13 8:00 - 10:00"}}) {
            clickRowShowing(times.DBGrid1, 0, period);
            times.Edit1->setText(time);
            times.Button1->click();
            QCOMPARE(dialogs.takeTexts(), QStringList{"修改成功"});
            keepsTheRules("a time stored");
        }
        // Period 1 shares S2 with period 4: refused, nothing stored.
        clickRowShowing(times.DBGrid1, 0, "1");
        times.Edit1->setText("2027-01-13 09:00-11:00");
        times.Button1->click();
        QCOMPARE(dialogs.boxes.size(), 1);
        QCOMPARE(dialogs.boxes.first().kind, QString("warning"));
        dialogs.takeTexts();
        QCOMPARE(db.scalar("select quote(kssj) from t_cc where cc='1'"), QString("''"));
    }

    // Rooms for periods 3 and 4 at their shared time, then J1 into paper
    // 2's room by hand.
    {
        TForm4 rooms(dm, dialogs);
        rooms.show();
        for (const char* period : {"3", "4"}) {
            if (!rooms.ComboBox1->isEnabled())
                rooms.Button3->click();
            pick(rooms.ComboBox1, period);
            rooms.autoAssignRoomsButton->click();
            QCOMPARE(dialogs.takeTexts().size(), 1);
            keepsTheRules("the rooms of a shared time");
        }
    }
    const QString roomOfPaper2 = db.scalar("select jsid from t_kscs where sjxh='2'");
    QVERIFY(roomOfPaper2 != "0");
    {
        InvigilationWindow people(dm, dialogs);
        people.show();
        people.invigilatorGrid->selectRow(rowShowing(people.invigilatorGrid, 1, "J1"));
        int row = -1;
        for (int r = 0; r < people.dutyGrid->rowCount(); ++r)
            if (people.dutyGrid->item(r, 5)->text() == "3" && people.dutyGrid->item(r, 6)->text() == roomOfPaper2)
                row = r;
        QVERIFY(row >= 0);
        people.dutyGrid->selectRow(row);
        people.addDutyButton->click();
        QCOMPARE(dialogs.takeTexts(), QStringList());
    }
    QCOMPARE(db.rows("select cc, jsid, sg from t_jkap"), QStringList{"3|" + roomOfPaper2 + "|1"});
    keepsTheRules("the duty by hand");

    // 自动安排时间 over two sittings a day from Monday 2027-01-11.
    {
        TForm6 times(dm, dialogs);
        times.show();
        QTimer::singleShot(0, &times, [&times] {
            SpreadTimesDialog* d = times.spreadTimesDialog;
            d->firstDateEdit->setDate(QDate(2027, 1, 11));
            d->timeLimitBox->setValue(1);
            d->startSpreadButton->click();
            if (d->isVisible())
                d->done(QDialog::Rejected);
        });
        times.spreadTimesButton->click();
        const QStringList texts = dialogs.takeTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[1].startsWith("已采用新的考试时间"), qPrintable(texts.join('\n')));
    }
    QCOMPARE(db.scalar("select count(*) from t_cc where kssj=''"), QString("0"));
    keepsTheRules("the spread");

    // 自动分配教室 for every period, then 自动安排监考.
    {
        TForm4 rooms(dm, dialogs);
        rooms.show();
        rooms.autoAssignRoomsButton->click();
        QCOMPARE(dialogs.takeTexts().size(), 2);
    }
    QCOMPARE(db.scalar("select count(*) from t_kscs where jsid=0"), QString("0"));
    keepsTheRules("the rooms of every period");
    {
        InvigilationWindow people(dm, dialogs);
        people.show();
        people.autoAssignButton->click();
        dialogs.takeTexts();
    }
    QVERIFY(db.scalar("select count(*) from t_jkap where sg=0").toInt() > 0);
    QCOMPARE(db.scalar("select count(*) from t_jkap where sg=1 and jkid=1"), QString("1"));
    keepsTheRules("the invigilation");

    // The calendar shows every period on its day, every candidate seated.
    CalendarWindow calendar(dm, dialogs, [](const QString&) {});
    calendar.show();
    QCOMPARE(calendar.calendar().undated.size(), 0);
    int candidates = 0;
    for (const CalendarPeriod& p : calendar.calendar().periods()) {
        candidates += p.candidates;
        QCOMPARE(p.unseated, 0);
    }
    QCOMPARE(QString::number(candidates), db.scalar("select count(*) from t_bjgmd"));
    QCOMPARE(dialogs.takeTexts(), QStringList());
    keepsTheRules("the calendar");
}

QTEST_MAIN(TestTermThroughWindows)
#include "tst_termthroughwindows.moc"

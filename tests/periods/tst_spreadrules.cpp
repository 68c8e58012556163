// The clerk's rules through the real windows: entered in "排考要求" from
// the automatic times dialog, kept by the adopted spread, shown before and
// after in the result box, guarding "修改", and the conflict list read back
// from its workbook against counts this test makes from the raw tables.
#include "ConflictListWindow.h"
#include "PdfText.h"
#include "RulesWindow.h"
#include "periods/Rules.h"
#include "SpreadTimesDialog.h"
#include "TermInvariants.h"
#include "Unit6.h"
#include "UserActions.h"
#include "WindowFixture.h"
#include "Workbook.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <map>
#include <set>

namespace {

// P4 is the largest paper; P5 and P6 share nobody; S1 sits P1 P2 P7 P8,
// which start in periods 1..4, three of them on the first day.
const QStringList roster = {
    "P1|K1|S1", "P1|K1|S2", "P1|K1|S3", "P2|K2|S1", "P2|K2|S4", "P3|K3|S2", "P3|K3|S5",
    "P4|K4|S3", "P4|K4|S6", "P4|K4|S10", "P4|K4|S11", "P5|K5|S4", "P5|K5|S7", "P6|K6|S8",
    "P6|K6|S9", "P7|K7|S1", "P7|K7|S5", "P7|K7|S6", "P8|K8|S1", "P8|K8|S7", "P8|K8|S8",
};

struct Fixture : WindowFixture<TForm6> {
    Fixture()
    {
        QStringList rows;
        for (const QString& row : roster)
            rows.append(row + "|学生" + row.section(u'|', 2) + "||课" + row.mid(1, 1));
        db.addRoster(rows);
        const QStringList order = {"P1", "P2", "P7", "P8", "P3", "P4", "P5", "P6"};
        for (int p = 1; p <= 8; ++p)
            db.exec(QString("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('%1','%2','%2',0);"
                            "insert into t_cc(cc,kssj) values('%1','')").arg(p).arg(order[p - 1]));
        w.show();
    }

    // Runs `inside` once the window a click opens is up.
    template <typename Window>
    void inWindow(Window* window, QPushButton* opener, const std::function<void()>& inside)
    {
        QTimer::singleShot(0, window, [window, inside] {
            QVERIFY(window->isVisible());
            inside();
            if (window->isVisible())
                window->done(QDialog::Rejected);
        });
        opener->click();
    }

    void enterRule(RulesWindow* r, const QString& kind, const QString& paper, const QString& other = {},
                   const QDate& date = {}, const QString& sitting = {}, int number = 0)
    {
        r->ruleKindBox->setCurrentText(kind);
        r->rulePaperEdit->setText(paper);
        r->ruleOtherPaperEdit->setText(other);
        if (date.isValid())
            r->ruleDateEdit->setDate(date);
        r->ruleSittingEdit->setText(sitting);
        r->ruleNumberBox->setValue(number);
        r->addRuleButton->click();
    }

    // Per student, date and sitting (0..2 by its clock) the papers they sit,
    // from the raw tables.
    std::map<QString, std::map<QString, std::set<int>>> sittingsOfStudents()
    {
        const QStringList clocks = {"08:00-10:00", "10:30-12:30", "14:30-16:30"};
        std::map<QString, std::map<QString, std::set<int>>> of;
        for (const QString& row : db.rows("select distinct trim(b.xh), c.kssj from t_bjgmd b join t_kscs k on k.sjxh=b.sjxh"
                                          " join t_cc c on c.cc=k.cc")) {
            const QString time = row.section(u'|', 1);
            of[row.section(u'|', 0, 0)][time.left(10)].insert(int(clocks.indexOf(time.section(u' ', 2))));
        }
        return of;
    }
};

ExamRule ruleOf(RuleKind kind, int number)
{
    ExamRule rule;
    rule.kind = kind;
    rule.number = number;
    return rule;
}

} // namespace

class TestSpreadRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rulesEnteredInTheDialogAreKeptAndListed();
    void modifyKeepsTheDailyLimit_data();
    void modifyKeepsTheDailyLimit();
};

void TestSpreadRules::rulesEnteredInTheDialogAreKeptAndListed()
{
    Fixture f;
    SpreadTimesDialog* d = f.w.spreadTimesDialog;
    RulesWindow* r = f.w.rulesWindow;
    f.inWindow(d, f.w.spreadTimesButton, [&] {
        d->firstDateEdit->setDate(QDate(2027, 1, 11));
        d->periodCountBox->setValue(9);
        d->timeLimitBox->setValue(1);
        f.inWindow(r, d->rulesButton, [&] {
            f.enterRule(r, "固定场次", "P1", {}, QDate(2027, 1, 12), "10:30-12:30");
            f.enterRule(r, "同堂", "P5", " P6 ");
            f.enterRule(r, "不同天", "P3", "");
            QCOMPARE(f.dialogs.takeTexts(), QStringList{"请填写第二份试卷的序号。"});
            f.enterRule(r, "每天最多", {}, {}, {}, {}, 2);
            f.enterRule(r, "同堂", "P2", "P99");
            QCOMPARE(r->rulesTable->rowCount(), 4);
            QCOMPARE(r->rulesTable->item(0, 1)->text(), "试卷 P1（课1） 在 2027-01-12 10:30-12:30 考试");
            QCOMPARE(r->rulesTable->item(3, 2)->text(), "试卷 P99 已不存在");
            r->closeRulesButton->click();
        });
        // The rule of a missing paper stops the spread until it goes.
        d->startSpreadButton->click();
        QVERIFY(d->isVisible());
        QCOMPARE(f.dialogs.takeTexts(),
                 QStringList{"以下排考要求不能同时满足，没有开始安排：\n“同堂”要求中的试卷 P99 没有排考或已不存在，请先修改或删除这条要求。"});
        f.inWindow(r, d->rulesButton, [&] {
            r->rulesTable->selectRow(3);
            r->deleteRuleButton->click();
            QCOMPARE(r->rulesTable->rowCount(), 3);
            QTest::keyClick(r, Qt::Key_Escape);
        });
        d->startSpreadButton->click();
    });
    QString result;
    for (const RecordingDialogs::Box& box : f.dialogs.boxes)
        if (box.kind == "confirm")
            result = box.text;
    QVERIFY2(result.contains("排考要求（未满足的次数）：\n试卷 P1（课1） 在 2027-01-12 10:30-12:30 考试：1 → 0\n"
                             "试卷 P5（课5） 和 试卷 P6（课6） 同堂考试：1 → 0\n每个学生每天最多 2 场：1 → 0\n"),
             qPrintable(result));
    QCOMPARE(f.db.scalar("select c.kssj from t_kscs k join t_cc c on c.cc=k.cc where k.sjxh='P1'"),
             "2027-01-12 星期二 10:30-12:30");
    QCOMPARE(f.db.scalar("select count(distinct cc) from t_kscs where sjxh in ('P5','P6')"), "1");
    QCOMPARE(termFaults(f.db), QStringList());

    // The conflict list from its workbook against this test's own counts.
    std::map<QString, QString> expected; // 学号 -> most on a day | in a row | two a day
    for (const auto& [student, days] : f.sittingsOfStudents()) {
        int most = 0;
        bool inARow = false;
        for (const auto& [day, sittings] : days) {
            most = std::max(most, int(sittings.size()));
            for (const int s : sittings)
                inARow = inARow || sittings.count(s + 1);
        }
        QVERIFY(most <= 2);
        if (most >= 2 || inARow)
            expected[student] = QString("%1|%2|%3").arg(most).arg(inARow ? "是" : "").arg(most >= 2 ? "是" : "");
    }
    QTemporaryDir folder;
    const QString path = folder.filePath("冲突.xlsx");
    f.dialogs.saveAnswers = {path};
    f.inWindow(f.w.conflictListWindow, f.w.conflictListButton, [&] {
        QCOMPARE(f.w.conflictListWindow->conflictTable->rowCount(), int(expected.size()));
        f.w.conflictListWindow->exportConflictsButton->click();
    });
    const Workbook book = Workbook::open(path);
    std::map<QString, QString> listed;
    for (int row = 2; row <= book.firstSheet().lastRow(); ++row) {
        const auto text = [&](int c) {
            const CellValue v = book.firstSheet().cell(row, c);
            return v.kind == CellValue::Kind::Number ? QString::number(v.number) : v.text;
        };
        listed[text(1)] = text(4) + "|" + text(5) + "|" + text(6);
        QCOMPARE(text(7), QString()); // nobody over the daily limit
    }
    QCOMPARE(listed, expected);

    // Printed: the window's rows in the window's order, worst first, with
    // the window's figures.
    ConflictListWindow* list = f.w.conflictListWindow;
    const QString pdf = folder.filePath("冲突.pdf");
    list->presetOutput = toPdf(pdf);
    QStringList shown;
    QList<int> most;
    f.inWindow(list, f.w.conflictListButton, [&] {
        shown.append(compact(list->conflictSummaryLabel->text()));
        for (int row = 0; row < list->conflictTable->rowCount(); ++row) {
            QString cells;
            for (int c = 0; c < 5; ++c)
                cells += list->conflictTable->item(row, c)->text();
            shown.append(compact(cells.remove("；")));
            most.append(list->conflictTable->item(row, 2)->text().toInt());
        }
        list->printConflictsButton->click();
    });
    QVERIFY(std::is_sorted(most.rbegin(), most.rend()));
    const QString printed = compact(pdfPages(pdf).join(""));
    qsizetype at = 0;
    for (const QString& line : shown) {
        const qsizetype found = printed.indexOf(line, at);
        QVERIFY2(found >= 0, qPrintable(line + " in " + printed));
        at = found + line.size();
    }

    // "修改" refuses a time that moves P1 off its fixed sitting.
    const QString p1 = f.db.scalar("select cc from t_kscs where sjxh='P1'");
    clickRowShowing(f.w.DBGrid1, 0, p1);
    f.w.Edit1->setText("2027-01-14 星期四 08:00-10:00");
    const QStringList before = f.db.rows("select cc, kssj from t_cc order by rowid");
    f.dialogs.takeTexts();
    f.w.Button1->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"这个时间不符合排考要求：试卷 P1（课1） 在 2027-01-12 10:30-12:30 考试"});
    QCOMPARE(f.db.rows("select cc, kssj from t_cc order by rowid"), before);
}

void TestSpreadRules::modifyKeepsTheDailyLimit_data()
{
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("said");
    // S1 sits P1, P2 on the 11th, P7 (period 3) on the 12th, P8 on the 13th.
    QTest::newRow("a third paper on the 11th")
        << "3" << "2027-01-11 星期一 14:30-16:30" << "这个时间不符合排考要求：每个学生每天最多 2 场";
    QTest::newRow("P3 beside S2's one paper on the 11th") << "5" << "2027-01-11 星期一 14:30-16:30" << "修改成功";
}

// "修改" refuses a time that puts a student over the daily limit, naming
// the rule, and keeps a time within it.
void TestSpreadRules::modifyKeepsTheDailyLimit()
{
    QFETCH(QString, period);
    QFETCH(QString, time);
    QFETCH(QString, said);
    Fixture f;
    const QStringList times = {"2027-01-11 星期一 08:00-10:00", "2027-01-11 星期一 10:30-12:30",
                               "2027-01-12 星期二 08:00-10:00", "2027-01-13 星期三 08:00-10:00",
                               "2027-01-12 星期二 10:30-12:30", "2027-01-12 星期二 14:30-16:30",
                               "2027-01-13 星期三 10:30-12:30", "2027-01-13 星期三 14:30-16:30"};
    for (int p = 1; p <= 8; ++p)
        f.db.exec(QString("update t_cc set kssj='%1' where cc='%2'").arg(times[p - 1]).arg(p));
    addRule(f.dm, ruleOf(RuleKind::DailyLimit, 2));
    f.w.hide();
    f.w.show();
    clickRowShowing(f.w.DBGrid1, 0, period);
    f.w.Edit1->setText(time);
    const QStringList before = f.db.rows("select cc, quote(kssj) from t_cc order by rowid");
    f.dialogs.takeTexts();
    f.w.Button1->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{said});
    QStringList expected = before;
    if (said == "修改成功")
        expected[period.toInt() - 1] = period + "|'" + time + "'";
    QCOMPARE(f.db.rows("select cc, quote(kssj) from t_cc order by rowid"), expected);
    QCOMPARE(termFaults(f.db), QStringList());
}

QTEST_MAIN(TestSpreadRules)
#include "tst_spreadrules.moc"

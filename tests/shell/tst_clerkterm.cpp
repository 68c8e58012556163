// A clerk's term through the main menu and the real windows, on a roster as
// it comes: empty cells (a course without department, a student without a
// name), paper numbers typed with blanks, and in the roster window a delete
// followed by an add. In the end every candidate has exactly one period, one
// time and one room, and no row changed that the clerk did not act on.
#include "DBGrid.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "UserActions.h"
#include "Windows.h"
#include "Workbook.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

// kcxh, xh, xm, kcdm, kcmc, skjs, kkyx, bz, hbk; the paper number is left
// empty. K2 has no department, S5 no name, the last row (S4 in K4) no kind.
const QList<QStringList> sheetRows = {
    {"K1", "S1", "甲", "C1", "高等数学", "张", "数学系", "", "补考"},
    {"K1", "S2", "乙", "C1", "高等数学", "张", "数学系", "", "补考"},
    {"K1", "S3", "丙", "C1", "高等数学", "张", "数学系", "", "缓考"},
    {"K2", "S4", "丁", "C2", "线性代数", "王", "", "", "补考"},
    {"K2", "S1", "甲", "C2", "线性代数", "王", "", "", "补考"},
    {"K3", "S5", "", "C3", "英语", "李", "外语系", "", "补考"},
    {"K3", "S2", "乙", "C3", "英语", "李", "外语系", "重修", "补考"},
    {"K4", "S6", "己", "C4", "物理", "赵", "物理系", "", "补考"},
    {"K4", "S4", "丁", "C4", "物理", "赵", "物理系", "", ""},
};

// Runs a menu handler that shows a window modally, works in the window while
// it is shown, and makes sure it is closed whatever the steps did.
void inWindow(TForm3& main, void (TForm3::*handler)(), const std::function<void()>& steps)
{
    QTimer::singleShot(0, [&steps] {
        steps();
        if (QWidget* left = QApplication::activeModalWidget())
            left->close();
    });
    (main.*handler)();
}

// Chooses a department in the numbering window as the drop-down does.
void chooseDepartment(TForm7& numbering, const QString& department)
{
    const int index = numbering.ComboBox1->findText(department);
    QVERIFY2(index >= 0, qPrintable(department));
    numbering.ComboBox1->setCurrentIndex(index);
    Q_EMIT numbering.ComboBox1->textActivated(department);
}

} // namespace

class TestClerkTerm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyCandidateEndsWithOnePeriodTimeAndRoom();
};

void TestClerkTerm::everyCandidateEndsWithOnePeriodTimeAndRoom()
{
    TestDatabase db;
    db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',40),('B202',40),('C303',40)");
    RecordingDialogs dialogs;
    Windows windows(dialogs);
    TForm3& main = *windows.Form3;
    main.show();
    windows.Form1->data().reconfigure();

    Workbook book;
    for (int r = 0; r < sheetRows.size(); ++r)
        for (int c = 0; c < sheetRows[r].size(); ++c)
            if (!sheetRows[r][c].isEmpty())
                book.firstSheet().setCell(r + 2, c + 2, sheetRows[r][c]);
    book.saveAs(db.folder() + QStringLiteral("/名单.xlsx"));

    // Import.
    inWindow(main, &TForm3::N10Click, [&] {
        TForm8& w = *windows.Form8;
        w.Edit1->setText(db.folder() + QStringLiteral("/名单.xlsx"));
        w.BitBtn2->click();
        w.BitBtn3->click();
    });
    QCOMPARE(dialogs.takeTexts(), QStringList{"数据导入成功!"});
    const QString imported = "select kcxh, xh, xm, kcdm, kcmc, skjs, kkyx, hbk from t_bjgmd where not (kcxh='K4' and xh in ('S4','S8')) order by rid";
    const QStringList untouched = db.rows(imported);

    // Paper numbers, department by department, typed with blanks; the
    // course without a department is listed under the empty one. K1 and K4
    // share paper 1.
    inWindow(main, &TForm3::N14Click, [&] {
        TForm7& w = *windows.Form7;
        const QList<std::tuple<QString, QString, QString>> papers = {
            {"数学系", "K1", " 1"}, {"", "K2", "2 "}, {"外语系", "K3", " 3 "}, {"物理系", "K4", "1 "}};
        for (const auto& [department, course, paper] : papers) {
            chooseDepartment(w, department);
            clickRowShowing(w.DBGrid1, 1, course);
            typeInto(w.Edit1, paper);
            w.Button1->click();
        }
        QCOMPARE(w.Label15->text(), QString("0"));
        w.Button3->click();
    });
    QCOMPARE(db.rows("select distinct kcxh, sjxh from t_bjgmd order by kcxh"), (QStringList{"K1|1", "K2|2", "K3|3", "K4|1"}));
    dialogs.boxes.clear();

    // The roster window: S4 leaves K4 (the roster's last row) and S8 comes
    // in; the deleted row, still shown, is then clicked and renamed.
    inWindow(main, &TForm3::N8Click, [&] {
        TForm1& w = *windows.Form1;
        w.RadioButton1->click();
        w.Edit1->setText("K4");
        w.Button1->click();
        clickRowShowing(w.DBGrid1, 2, "S4");
        w.Button4->click();
        typeInto(w.Edit5, "S8");
        typeInto(w.Edit9, "辛");
        w.Button2->click();
        clickRowShowing(w.DBGrid1, 2, "S4");
        typeInto(w.Edit9, "改名");
        w.Button5->click();
        w.Button3->click();
    });
    QCOMPARE(dialogs.takeTexts(), (QStringList{"是否删除？ ", "删除成功", "添加成功", "该记录已被删除或修改，请重新查询"}));
    QCOMPARE(db.rows("select sjxh, xh, xm, hbk from t_bjgmd where kcxh='K4' order by rid"), (QStringList{"1|S6|己|补考", "1|S8|辛|"}));

    // Scheduling through the menu, whose guard finds every course numbered.
    inWindow(main, &TForm3::N7Click, [&] {
        windows.Form2->Button4->click();
        windows.Form2->Button1->click();
        windows.Form2->Button2->click();
    });
    QCOMPARE(dialogs.takeTexts(), (QStringList{"数据校验通过，可以排考", "是否开始排考？ ", "处理完毕"}));
    QCOMPARE(db.rows("select cc, sjxh from t_kscs order by cc, sjxh"), (QStringList{"1|1", "2|2", "2|3"}));

    // After scheduling, K2 joins paper 3, typed with a blank.
    inWindow(main, &TForm3::N14Click, [&] {
        TForm7& w = *windows.Form7;
        chooseDepartment(w, "");
        clickRowShowing(w.DBGrid1, 1, "K2");
        typeInto(w.Edit1, " 3");
        w.Button1->click();
        w.Button3->click();
    });
    QCOMPARE(dialogs.takeTexts(), (QStringList{"更新成功", "指定成功!!!"}));

    // A room for every paper of every period.
    inWindow(main, &TForm3::N3Click, [&] {
        TForm4& w = *windows.Form4;
        for (const QString& period : entries(w.ComboBox1)) {
            if (!w.ComboBox1->isEnabled())
                w.Button3->click();
            pick(w.ComboBox1, period);
            QStringList papers;
            for (const QString& row : gridRows(w.DBGrid1))
                if (!papers.contains(row.section(u'|', 0, 0)))
                    papers.append(row.section(u'|', 0, 0));
            for (int i = 0; i < papers.size(); ++i) {
                clickRowShowing(w.DBGrid1, 0, papers[i]);
                pick(w.ComboBox2, entries(w.ComboBox2)[i]);
                w.Button1->click();
            }
        }
        w.Button2->click();
    });

    // A time for every period.
    inWindow(main, &TForm3::N13Click, [&] {
        TForm6& w = *windows.Form6;
        for (const QString& period : {QStringLiteral("1"), QStringLiteral("2")}) {
            clickRowShowing(w.DBGrid1, 0, period);
            typeInto(w.Edit1, "2027-01-1" + period + " 08:30");
            w.Button1->click();
        }
        w.Button2->click();
    });

    // Every candidate once, with one period, one time and one room.
    QCOMPARE(db.scalar("select count(*) from t_bjgmd"), QString("9"));
    QCOMPARE(db.scalar("select count(*) from hbkap"), QString("9"));
    QCOMPARE(db.scalar("select count(distinct rid) from hbkap"), QString("9"));
    QCOMPARE(db.scalar("select count(*) from hbkap where coalesce(cc,'')='' or coalesce(kssj,'')='' or coalesce(jsm,'')=''"),
             QString("0"));
    QCOMPARE(db.rows("select sjxh, cc from t_kscs order by sjxh"), (QStringList{"1|1", "3|2"}));
    QCOMPARE(db.rows("select xh, sjxh, cc, jsm from hbkap where kcxh='K2' order by xh"), (QStringList{"S1|3|2|A101", "S4|3|2|A101"}));
    // No row changed but those the clerk acted on; empty cells stay empty text.
    QCOMPARE(db.rows(imported), untouched);
    QCOMPARE(db.scalar("select quote(kkyx) from t_bjgmd where kcxh='K2' limit 1"), QString("''"));
    QCOMPARE(db.scalar("select quote(xm) from t_bjgmd where xh='S5'"), QString("''"));
}

QTEST_MAIN(TestClerkTerm)
#include "tst_clerkterm.moc"

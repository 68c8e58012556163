// The invigilation window end to end through its controls: a workbook of
// invigilators imported (bad rows listed and skipped), duties assigned after
// the preview, a hand change and a refused clash, the duty table printed to
// PDF and read back, the lists exported; Enter and Esc in its boxes.
#include "GridRows.h"
#include "InvigilationWindow.h"
#include "PdfText.h"
#include "TermInvariants.h"
#include "WindowFixture.h"
#include "Workbook.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTest>
#include <algorithm>

namespace {

const QString morning = QStringLiteral("2025-01-06 08:30-10:30");
const QString nextDay = QStringLiteral("2025-01-07 08:30-10:30");

// Period 1 (morning): A101 with P1 (30), B202 with P2 (20); period 2 (next
// day): A101 with P3 (50, three invigilators).
void fillTerm(TestDatabase& db)
{
    QStringList roster;
    for (const auto& [paper, teacher, count] : {std::tuple{"P1", "王老师", 30}, {"P2", "李老师", 20}, {"P3", "赵老师", 50}})
        for (int i = 0; i < count; ++i)
            roster.append(QStringLiteral("%1|K%1|%1-%2|学生|C|课程%1|%3|系||补考").arg(paper).arg(i).arg(teacher));
    db.addRoster(roster);
    db.exec(QStringLiteral("INSERT INTO t_cc(cc,kssj) VALUES('1','%1'),('2','%2');"
                           "INSERT INTO t_js(jsm,rnrs) VALUES('A101',60),('B202',60);"
                           "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','P1','P1',1),('1','P2','P2',2),('2','P3','P3',1);")
                .arg(morning, nextDay));
}

QString invigilatorWorkbook(const QString& folder)
{
    Workbook book;
    Worksheet& sheet = book.firstSheet();
    const QList<QStringList> rows{{"姓名", "院系", "最多场次"}, {" 王老师 ", "数学系", "3"}, {"李老师", "外语系", "2"},
                                  {"赵老师", "物理系", "5"}, {"", "化学系", "2"}, {"孙老师", "化学系", "两次"},
                                  {"王老师", "数学系", "4"}, {"钱老师", "", "4"}};
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            sheet.setCell(r + 1, c + 1, rows[r][c]);
    const QString path = folder + QStringLiteral("/invigilators.xlsx");
    book.saveAs(path);
    return path;
}

int rowOf(const QTableWidget* grid, int column, const QString& text)
{
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, column) && grid->item(r, column)->text() == text)
            return r;
    return -1;
}

} // namespace

class TestInvigilationWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void importAssignChangeAndPrint();
    void namesTypedAsTheImportTakesThem();
    void enterAndEscape();
    void fewerInvigilatorsThanPlaces_data();
    void fewerInvigilatorsThanPlaces();
};

void TestInvigilationWindow::importAssignChangeAndPrint()
{
    WindowFixture<InvigilationWindow> f;
    fillTerm(f.db);
    QVERIFY(QFile::copy(PAIKAO_SOURCE_DIR "/data/Project2.rav", f.db.folder() + "/data/Project2.rav"));
    f.w.show();

    f.dialogs.openAnswers << invigilatorWorkbook(f.db.folder());
    f.w.importInvigilatorsButton->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"导入监考教师完成：新增 4 人，更新 0 人，跳过 3 行。"
                                                "\n第 5 行：姓名为空"
                                                "\n第 6 行：孙老师：最多监考场次“两次”不是不小于 0 的整数"
                                                "\n第 7 行：王老师：与第 2 行的监考教师重名"});
    QCOMPARE(f.db.rows("SELECT jkid, quote(xm), quote(yx), quote(zdcs), quote(bkcc) FROM t_jkjs ORDER BY jkid"),
             (QStringList{"1|'王老师'|'数学系'|3|''", "2|'李老师'|'外语系'|2|''", "3|'赵老师'|'物理系'|5|''",
                          "4|'钱老师'|''|4|''"}));
    QCOMPARE(f.w.invigilatorGrid->rowCount(), 4);

    // Added by hand (most duties must be a count), then deleted again.
    f.w.nameEdit->setText(" 周老师 ");
    f.w.departmentEdit->setText("化学系");
    f.w.mostDutiesEdit->setText("两");
    f.w.unavailableEdit->setText("2025-01-07、 1");
    f.w.addInvigilatorButton->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"最多场次应是不小于 0 的整数"});
    f.w.mostDutiesEdit->setText("2");
    f.w.addInvigilatorButton->click();
    QCOMPARE(f.db.rows("SELECT jkid, quote(xm), quote(yx), quote(zdcs), quote(bkcc) FROM t_jkjs WHERE jkid = 5"),
             QStringList{"5|'周老师'|'化学系'|2|'2025-01-07 2025-01-06 星期一 08:30-10:30'"});
    QCOMPARE(f.w.invigilatorGrid->currentRow(), 4);
    f.w.deleteInvigilatorButton->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"是否删除监考教师“周老师”及其监考安排？"});
    QCOMPARE(f.db.scalar("SELECT count(*) FROM t_jkjs"), QString("4"));

    // 钱 cannot come in period 1: typed with a Chinese comma and blanks,
    // kept as its time; a day of no exam is kept and named.
    f.w.invigilatorGrid->selectRow(rowOf(f.w.invigilatorGrid, 1, "钱老师"));
    QCOMPARE(f.w.nameEdit->text(), QString("钱老师"));
    f.w.unavailableEdit->setText(" 1， 2025-01-09 ");
    f.w.changeInvigilatorButton->click();
    QCOMPARE(f.db.scalar("SELECT quote(bkcc) FROM t_jkjs WHERE jkid = 4"), QString("'2025-01-06 星期一 08:30-10:30 2025-01-09'"));
    QCOMPARE(f.dialogs.takeTexts(),
             QStringList{"已保存。以下不能监考的场次或日期与任何考试时间都不符，目前不起作用：2025-01-09"});

    // The morning needs four, only 王, 李 and 赵 can come: the preview says so.
    f.w.autoAssignButton->click();
    const QList<RecordingDialogs::Box> boxes = f.dialogs.boxes;
    f.dialogs.takeTexts();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].kind, QString("confirm"));
    QVERIFY2(boxes[0].text.contains(morning + " B202：需 2 人，只安排了 1 人（该时间需要 4 人次监考，只有 3 名监考教师能来）"),
             qPrintable(boxes[0].text));
    QCOMPARE(f.db.rows("SELECT cc, jsid, count(*) FROM t_jkap GROUP BY cc, jsid ORDER BY cc, jsid"),
             (QStringList{"1|1|2", "1|2|1", "2|1|3"}));
    // Own teachers watch their own papers.
    QCOMPARE(f.db.rows("SELECT d.cc, d.jsid FROM t_jkap d JOIN t_jkjs t ON t.jkid = d.jkid WHERE t.xm = '李老师' AND d.cc = '1'"),
             QStringList{"1|2"});

    // A clash: 李 watches B202 in the morning, so not A101 at the same time.
    const QStringList before = f.db.rows("SELECT rowid, cc, jsid, jkid, sg FROM t_jkap ORDER BY rowid");
    f.w.invigilatorGrid->selectRow(rowOf(f.w.invigilatorGrid, 1, "李老师"));
    f.w.dutyGrid->selectRow(0); // the morning's A101
    QCOMPARE(f.w.dutyGrid->item(0, 1)->text(), QString("A101"));
    f.w.addDutyButton->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"李老师 在 " + morning + " 已在 B202 监考，不能同时在两个考场。"});
    QCOMPARE(f.db.rows("SELECT rowid, cc, jsid, jkid, sg FROM t_jkap ORDER BY rowid"), before);
    // 钱 cannot come that morning.
    f.w.invigilatorGrid->selectRow(rowOf(f.w.invigilatorGrid, 1, "钱老师"));
    f.w.dutyGrid->selectRow(1);
    f.w.addDutyButton->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"钱老师 不能参加 " + morning + " 的监考。"});
    // A change that holds: 李 out of B202 and into A101.
    f.w.invigilatorGrid->selectRow(rowOf(f.w.invigilatorGrid, 1, "李老师"));
    f.w.dutyGrid->selectRow(1);
    f.w.removeDutyButton->click();
    f.w.dutyGrid->selectRow(0);
    f.w.addDutyButton->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList());
    QCOMPARE(f.db.rows("SELECT quote(cc), quote(jsid), quote(sg) FROM t_jkap WHERE jkid = 2 ORDER BY cc"),
             QStringList{"'1'|1|1"});
    QVERIFY(f.w.dutyGrid->item(0, 4)->text().contains("李老师"));

    // The duty table: one part per time, every room of the time with the
    // names the duty table holds.
    f.w.presetOutput = toPdf(f.db.folder() + "/duties.pdf");
    f.w.printDutyTableButton->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList{"有 1 个考场的监考教师少于需要的人数。\n是否仍要打印？"});
    const QStringList pages = pdfPages(f.w.presetOutput->pdfPath);
    QCOMPARE(pages.size(), 2);
    for (int p = 0; p < 2; ++p) {
        const QString cc = QString::number(p + 1);
        const QString page = compact(pages[p]);
        QVERIFY(page.contains(compact(f.db.scalar("SELECT kssj FROM t_cc WHERE cc = '" + cc + "'"))));
        for (const QString& room : f.db.rows("SELECT DISTINCT r.jsm FROM t_kscs k JOIN t_js r ON r.jsid = k.jsid WHERE k.cc = '" + cc + "'"))
            QVERIFY2(page.contains(room), qPrintable(room + " missing on page " + cc));
        for (const QString& name : f.db.rows("SELECT t.xm FROM t_jkap d JOIN t_jkjs t ON t.jkid = d.jkid WHERE d.cc = '" + cc + "'"))
            QVERIFY2(page.contains(name), qPrintable(name + " missing on page " + cc));
    }

    // The notices: one per invigilator with a duty.
    f.w.presetOutput = toPdf(f.db.folder() + "/notices.pdf");
    f.w.printNoticesButton->click();
    QCOMPARE(pdfPages(f.w.presetOutput->pdfPath).size(),
             f.db.scalar("SELECT count(DISTINCT jkid) FROM t_jkap").toInt());

    // Both lists as workbooks, read back.
    const QString table = f.db.folder() + "/duties.xlsx";
    f.dialogs.saveAnswers << table;
    f.w.exportDutyTableButton->click();
    // One room is short: asked before the notices are printed and before the export.
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{"有 1 个考场的监考教师少于需要的人数。\n是否仍要打印？",
                                                 "有 1 个考场的监考教师少于需要的人数。\n是否仍要导出？", "导出成功"}));
    const Workbook written = Workbook::open(table);
    QCOMPARE(written.firstSheet().lastRow(), 4);
    QCOMPARE(written.firstSheet().cell(2, 2).text, QString("A101"));
    QVERIFY(written.firstSheet().cell(2, 5).text.contains("李老师"));
}

// A name typed by hand is held to what the import holds it to; 修改 keeps
// every box it shows; a notice file typed without its ending gets it.
void TestInvigilationWindow::namesTypedAsTheImportTakesThem()
{
    WindowFixture<InvigilationWindow> f;
    fillTerm(f.db);
    f.w.show();
    f.w.nameEdit->setText("王老师");
    f.w.mostDutiesEdit->setText("3");
    f.w.addInvigilatorButton->click();
    f.w.nameEdit->setText("李老师");
    f.w.addInvigilatorButton->click();
    const QString table = "SELECT jkid, quote(xm), quote(yx), quote(zdcs), quote(bkcc) FROM t_jkjs ORDER BY jkid";
    const QStringList two{"1|'王老师'|''|3|''", "2|'李老师'|''|3|''"};
    QCOMPARE(f.db.rows(table), two);
    const QString several = "姓名“%1”中有逗号、顿号或分号，会被当作几个人，请只写一个人的姓名";
    for (const auto& [typed, refusal] :
         {std::pair{QString(" 王老师 "), QString("名单中已有监考教师“王老师”，同名的人请加以区分（如“王老师（数学系）”）")},
          {QString("王五、赵六"), several.arg("王五、赵六")}, {QString("Wang,Li"), several.arg("Wang,Li")}}) {
        f.w.nameEdit->setText(typed);
        f.w.addInvigilatorButton->click();
        QCOMPARE(f.dialogs.takeTexts(), QStringList{refusal});
    }
    QCOMPARE(f.db.rows(table), two);

    // 修改 with a new name and department; then with the other's name.
    f.w.invigilatorGrid->selectRow(0);
    f.w.nameEdit->setText(" 王大明 ");
    f.w.departmentEdit->setText("数学系 ");
    f.w.mostDutiesEdit->setText("4");
    f.w.changeInvigilatorButton->click();
    QCOMPARE(f.dialogs.takeTexts(), QStringList());
    QCOMPARE(f.db.rows(table), (QStringList{"1|'王大明'|'数学系'|4|''", "2|'李老师'|''|3|''"}));
    QCOMPARE(f.w.invigilatorGrid->item(0, 1)->text(), QString("王大明"));
    f.w.nameEdit->setText("李老师");
    f.w.changeInvigilatorButton->click();
    QCOMPARE(f.dialogs.takeTexts(),
             QStringList{"名单中已有监考教师“李老师”，同名的人请加以区分（如“李老师（数学系）”）"});
    QCOMPARE(f.db.rows(table), (QStringList{"1|'王大明'|'数学系'|4|''", "2|'李老师'|''|3|''"}));

    // The import refuses the same names.
    Workbook book;
    const QList<QStringList> rows{{"姓名", "院系", "最多场次"}, {"王五、赵六", "数学系", "3"}, {"孙老师", "化学系", "2"}};
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            book.firstSheet().setCell(r + 1, c + 1, rows[r][c]);
    book.saveAs(f.db.folder() + "/more.xlsx");
    f.dialogs.openAnswers << f.db.folder() + "/more.xlsx";
    f.w.importInvigilatorsButton->click();
    QCOMPARE(f.dialogs.takeTexts(),
             QStringList{"导入监考教师完成：新增 1 人，更新 0 人，跳过 1 行。\n第 2 行：" + several.arg("王五、赵六")});

    f.db.exec("INSERT INTO t_jkap(cc,jsid,jkid,sg) VALUES('1',1,1,1)");
    f.dialogs.saveAnswers << f.db.folder() + "/notices";
    f.w.exportNoticesButton->click();
    QCOMPARE(f.dialogs.takeTexts(), (QStringList{"有 3 个考场的监考教师少于需要的人数。\n是否仍要导出？", "导出成功"}));
    QVERIFY(!QFile::exists(f.db.folder() + "/notices"));
    QCOMPARE(Workbook::open(f.db.folder() + "/notices.xlsx").firstSheet().cell(2, 1).text, QString("王大明"));
}

void TestInvigilationWindow::enterAndEscape()
{
    WindowFixture<InvigilationWindow> f;
    fillTerm(f.db);
    f.w.show();
    for (QLineEdit* box : {f.w.nameEdit, f.w.departmentEdit, f.w.mostDutiesEdit, f.w.unavailableEdit}) {
        box->setText("1");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
    }
    QTest::keyClick(f.w.dutyGrid, Qt::Key_Return);
    QCOMPARE(f.dialogs.takeTexts(), QStringList());
    QCOMPARE(f.db.scalar("SELECT count(*) FROM t_jkjs"), QString("0"));
    QVERIFY(f.w.isVisible());
    QTest::keyClick(f.w.nameEdit, Qt::Key_Escape);
    QVERIFY(!f.w.isVisible());
}

void TestInvigilationWindow::fewerInvigilatorsThanPlaces_data()
{
    QTest::addColumn<quint32>("seed");
    for (const quint32 seed : {2u, 9u, 31u})
        QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << seed;
}

// Three days, three rooms a day of different sizes; invigilators who may
// each take one duty, enough for every room's two but not for the extras
// of the larger rooms. Through the window: every room gets its two before
// any room its third, the third and fourth go to the largest rooms over
// all days, so the shortage falls on the smaller large rooms of several
// days. Counted against this test's own reading of that rule.
void TestInvigilationWindow::fewerInvigilatorsThanPlaces()
{
    QFETCH(quint32, seed);
    WindowFixture<InvigilationWindow> f;
    QRandomGenerator random(seed);
    QList<int> sizes; // candidates of room r of day d at 3 * d + r, all different
    while (sizes.size() < 9)
        if (const int n = 15 + int(random.bounded(105)); !sizes.contains(n))
            sizes.append(n);
    QStringList roster;
    QString placements;
    for (int i = 0; i < sizes.size(); ++i) {
        for (int c = 0; c < sizes[i]; ++c)
            roster.append(QString("P%1|K%1|%1-%2|学生|C%1|课程%1|教师%1|系||补考").arg(i).arg(c));
        placements += QString("('%1','P%2','P%2',%3),").arg(i / 3 + 1).arg(i).arg(i % 3 + 1);
    }
    placements.chop(1);
    f.db.addRoster(roster);
    f.db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',120),('B202',120),('C303',120);"
              "INSERT INTO t_cc(cc,kssj) VALUES('1','2025-01-06 08:30-10:30'),('2','2025-01-07 08:30-10:30'),"
              "('3','2025-01-08 08:30-10:30');"
              "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES" + placements);
    // Two a room up to 40 candidates, one more for every further 40.
    const auto needed = [](int candidates) { return 2 + std::max(0, (candidates - 1) / 40); };
    int extras = 0;
    for (const int n : sizes)
        extras += needed(n) - 2;
    QVERIFY(extras >= 2);
    const int people = 18 + extras / 2;
    QStringList names;
    for (int i = 0; i < people; ++i)
        names.append(QString("('监考%1','系',1,'')").arg(i));
    f.db.exec("INSERT INTO t_jkjs(xm,yx,zdcs,bkcc) VALUES" + names.join(u','));

    // The rule: two each, then round by round the largest rooms first.
    QList<int> given(sizes.size(), 2);
    int left = people - 18;
    QList<int> bySize{0, 1, 2, 3, 4, 5, 6, 7, 8};
    std::sort(bySize.begin(), bySize.end(), [&](int a, int b) { return sizes[a] > sizes[b]; });
    for (int round = 3; left > 0 && round <= 4; ++round)
        for (const int room : bySize)
            if (left > 0 && needed(sizes[room]) >= round) {
                ++given[room];
                --left;
            }
    QStringList expected;
    for (int i = 0; i < sizes.size(); ++i)
        expected.append(QString("%1|%2|%3").arg(i / 3 + 1).arg(i % 3 + 1).arg(given[i]));

    f.w.show();
    f.w.autoAssignButton->click();
    QCOMPARE(f.dialogs.boxes.size(), 1);
    const QString preview = f.dialogs.boxes[0].text;
    QCOMPARE(f.db.rows("SELECT quote(cc), typeof(jsid), typeof(jkid), quote(sg) FROM t_jkap GROUP BY 1, 2, 3, 4"),
             (QStringList{"'1'|integer|integer|0", "'2'|integer|integer|0", "'3'|integer|integer|0"}));
    QCOMPARE(f.db.rows("SELECT cc, jsid, count(*) FROM t_jkap GROUP BY cc, jsid ORDER BY cc, jsid"), expected);
    QCOMPARE(f.db.scalar("SELECT count(*) FROM t_jkap"), QString::number(people));
    QCOMPARE(termFaults(f.db), QStringList());
    // Each short room named in the preview with what it needs and got.
    for (int i = 0; i < sizes.size(); ++i)
        if (given[i] < needed(sizes[i]))
            QVERIFY2(preview.contains(QString("2025-01-0%1 08:30-10:30 %2：需 %3 人，只安排了 %4 人")
                                          .arg(6 + i / 3)
                                          .arg(QStringList{"A101", "B202", "C303"}[i % 3])
                                          .arg(needed(sizes[i]))
                                          .arg(given[i])),
                     qPrintable(preview));
    // The window's duty grid shows every room with its invigilators.
    QCOMPARE(f.w.dutyGrid->rowCount(), 9);
}

QTEST_MAIN(TestInvigilationWindow)
#include "tst_invigilationwindow.moc"

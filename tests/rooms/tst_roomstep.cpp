// The whole room step through the real windows on a generated term: the
// automatic assignment, splits included, then every room of one exam time
// printed to PDF in one job; every candidate is printed once, under the room
// the tables give.
#include "DataModule.h"
#include "PdfText.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit4.h"
#include "Unit9.h"
#include "WindowFixture.h"

#include "ComboBox.h"
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestRoomStep : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void autoAssignThenPrintEveryRoomOfATime();
};

// Thirty papers of one to four courses of 10 to 60 candidates over five
// periods, the first paper of period 1 of six courses (no room seats it),
// and twelve rooms of 30 to 85 seats.
void TestRoomStep::autoAssignThenPrintEveryRoomOfATime()
{
    WindowFixture<TForm4> f;
    QVERIFY(QFile::copy(PAIKAO_SOURCE_DIR "/data/Project2.rav", f.db.folder() + "/data/Project2.rav"));
    QRandomGenerator random(2026);
    QStringList roster;
    QString placements;
    int student = 0;
    for (int p = 1; p <= 30; ++p) {
        const int courses = p == 5 ? 6 : 1 + int(random.bounded(4));
        for (int c = 1; c <= courses; ++c) {
            const int size = p == 5 ? 40 : 10 + int(random.bounded(51));
            for (int i = 0; i < size; ++i) {
                roster << QStringLiteral("%1|%1-%2|2026%3|考生|C%2|课程%1-%2|李老师|数学学院||补考")
                              .arg(p)
                              .arg(c)
                              .arg(++student, 6, 10, QLatin1Char('0'));
            }
        }
        placements += QStringLiteral("('%1','%2','%2',0),").arg(1 + p % 5).arg(p);
    }
    f.db.addRoster(roster);
    placements.chop(1);
    f.db.exec("INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES" + placements);
    for (int r = 1; r <= 12; ++r)
        f.db.exec(QStringLiteral("INSERT INTO t_js(jsm,rnrs) VALUES('R%1',%2)").arg(r, 2, 10, QLatin1Char('0')).arg(30 + 5 * r));
    for (int cc = 1; cc <= 5; ++cc)
        f.db.exec(QStringLiteral("INSERT INTO t_cc(cc,kssj) VALUES('%1','6月%1日 上午')").arg(cc));

    f.w.show();
    f.w.autoAssignRoomsButton->click();
    QCOMPARE(f.dialogs.boxes.size(), 2);
    QVERIFY2(f.dialogs.boxes[1].text.contains("按课程拆分到") && f.dialogs.boxes[1].text.contains("没有座位的考生 0 人"),
             qPrintable(f.dialogs.boxes[1].text));
    QCOMPARE(f.db.scalar("SELECT count(*) FROM hbkap WHERE jsm IS NULL"), QString("0"));

    const QString time = QStringLiteral("6月1日 上午");
    TForm9 printing(f.dm, f.dialogs);
    printing.show();
    printing.ComboBox1->setEditText(time);
    QTemporaryDir out;
    printing.presetOutput = toPdf(out.filePath("all.pdf"));
    printing.printAllButton->click();
    QCOMPARE(f.dialogs.boxes.size(), 2);

    QStringList printed;
    const QRegularExpression room("考场：(R\\d\\d)");
    const QRegularExpression number("\\b2026\\d{6}\\b");
    for (const QString& page : pdfPages(printing.presetOutput->pdfPath)) {
        const auto header = room.match(compact(page));
        QVERIFY2(header.hasMatch(), qPrintable(page.left(300)));
        for (const auto& match : number.globalMatch(page))
            printed << match.captured() + "|" + header.captured(1);
    }
    printed.sort();
    const QStringList expected = f.db.rows(QStringLiteral("SELECT xh, jsm FROM hbkap WHERE kssj = '%1' ORDER BY xh").arg(time));
    QCOMPARE(expected.size(), f.db.scalar("SELECT count(*) FROM t_bjgmd b JOIN t_kscs k ON k.sjxh = b.sjxh WHERE k.cc = '1'").toInt());
    QCOMPARE(printed, expected);
    QVERIFY(f.db.scalar("SELECT count(*) FROM t_kscs WHERE cc = '1' AND sjxh1 = '5' AND sjxh <> '5'").toInt() > 0);
}

QTEST_MAIN(TestRoomStep)
#include "tst_roomstep.moc"

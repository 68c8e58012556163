// The seat window end to end: its empty states, seats given to a generated
// term whose rooms the automatic assignment chose, every document printed
// to PDF and read back (each candidate of the time once, at the seat, room
// and time the tables hold), the workbook read back; Enter and Esc in its boxes.
#include "DataModule.h"
#include "PdfText.h"
#include "SeatingWindow.h"
#include "WindowFixture.h"
#include "Workbook.h"
#include "rooms/RoomAssignment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace {

const QString firstTime = QStringLiteral("2027-01-11 星期一 08:00-10:00");
const QString longCourse = QStringLiteral("马克思主义基本原理概论与中国特色社会主义理论体系概论（含社会实践）");

// Papers of three periods, students sitting up to three of them; names
// with rare characters, one course name longer than any box.
void fillTerm(TestDatabase& db)
{
    struct Paper {
        const char* paper;
        const char* period;
        QString course;
        int count;
    };
    const QList<Paper> papers{{"P1", "1", longCourse, 45}, {"P2", "1", QStringLiteral("高等数学"), 20},
                              {"P3", "1", QStringLiteral("大学英语"), 26}, {"P4", "2", QStringLiteral("䶮𪚥文选"), 18},
                              {"P5", "3", QStringLiteral("大学物理"), 12}};
    const QStringList names{QStringLiteral("王䶮"), QStringLiteral("𪚥明"), QStringLiteral("李小龙"), QStringLiteral("欧阳䶮𪚥"),
                            QStringLiteral("张三"), QStringLiteral("赵敏")};
    QRandomGenerator random(7);
    QStringList roster;
    QMap<QString, QSet<int>> inPeriod;
    for (const Paper& p : papers) {
        // Students drawn from one pool of 120, so several sit papers of
        // several periods, but nobody two of one period.
        QSet<int>& busy = inPeriod[p.period];
        QSet<int> taken;
        while (taken.size() < p.count) {
            const int s = int(random.bounded(120));
            if (!busy.contains(s))
                taken.insert(s);
        }
        busy += taken;
        for (const int s : taken)
            roster.append(QStringList{p.paper, QStringLiteral("K") + p.paper, QStringLiteral("2027%1").arg(s, 4, 10, QLatin1Char('0')),
                                      names[s % names.size()] + QString::number(s), QStringLiteral("C"), p.course, QStringLiteral("王老师"),
                                      QStringLiteral("数学系"), {}, s % 5 == 0 ? QStringLiteral("缓考") : QStringLiteral("补考")}
                              .join(u'|'));
    }
    db.addRoster(roster);
    db.exec(QStringLiteral("INSERT INTO t_js(jsm,rnrs,ps,ls) VALUES('A101',40,5,8),('B202',60,0,0),('C303',50,0,0);"
                           "INSERT INTO t_kscs(cc,sjxh,sjxh1) VALUES('1','P1','P1'),('1','P2','P2'),('1','P3','P3'),('2','P4','P4'),('3','P5','P5');"
                           "INSERT INTO t_cc(cc,kssj) VALUES('1','%1'),('2','2027-01-11 星期一 14:00-16:00'),('3','2027-01-12 星期二 08:00-10:00');"
                           "INSERT INTO t_jkjs(xm,zdcs) VALUES('钱老师',5),('孙老师',5);")
                .arg(firstTime));
}

// 学号 -> "room|seat" of every seated candidate of the time, as the tables hold it.
QMap<QString, QString> seatsOfTime(TestDatabase& db, const QString& time)
{
    QMap<QString, QString> seats;
    for (const QString& row : db.rows(QStringLiteral("select b.xh, r.jsm, z.zwh from t_zw z join t_bjgmd b on b.rid=z.rid"
                                                     " join t_js r on r.jsid=z.jsid join t_cc c on c.cc=z.cc where c.kssj='%1'")
                                          .arg(time)))
        seats.insert(row.section(u'|', 0, 0), row.section(u'|', 1));
    return seats;
}

// The room a page is headed with.
QString roomOfPage(const QString& page, const QStringList& rooms)
{
    for (const QString& room : rooms)
        if (compact(page).contains(compact(QStringLiteral("考场：%1考试时间：%2").arg(room, firstTime))))
            return room;
    return {};
}

void tickOnly(SeatingWindow& w, QCheckBox* document)
{
    for (QCheckBox* box : {w.chartCheck, w.signInCheck, w.doorCheck, w.labelsCheck, w.noticesCheck})
        box->setChecked(box == document);
}

} // namespace

class TestSeatDocuments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyStatesSayWhatIsMissing();
    void documentsOfATimeReadBack();
    void enterAndEscape();
};

void TestSeatDocuments::emptyStatesSayWhatIsMissing()
{
    WindowFixture<SeatingWindow> f;
    f.w.show();
    QVERIFY(f.w.missingLabel->text().contains("还没有考试场次"));
    QVERIFY(!f.w.printButton->isEnabled());
    QVERIFY(!f.w.seatButton->isEnabled());

    fillTerm(f.db);
    f.reopen();
    QVERIFY(f.w.missingLabel->text().contains("还没有安排了教室的考生"));

    assignRooms(f.dm, std::nullopt);
    f.reopen();
    QVERIFY2(f.w.missingLabel->text().contains("还没有座位号"), qPrintable(f.w.missingLabel->text()));
    f.w.printButton->click();
    QVERIFY2(f.dialogs.lastText().contains("没有座位号，请先编排座位"), qPrintable(f.dialogs.lastText()));
    QCOMPARE(f.w.previewGrid->rowCount(), 0);
}

void TestSeatDocuments::documentsOfATimeReadBack()
{
    WindowFixture<SeatingWindow> f;
    fillTerm(f.db);
    assignRooms(f.dm, std::nullopt);
    // Invigilators for the rooms of the first period, by hand.
    f.db.exec("INSERT INTO t_jkap(cc,jsid,jkid,sg) SELECT DISTINCT '1', jsid, 1, 1 FROM t_kscs WHERE cc='1';"
              "INSERT INTO t_jkap(cc,jsid,jkid,sg) SELECT DISTINCT '1', jsid, 2, 1 FROM t_kscs WHERE cc='1';");
    f.w.show();
    QCOMPARE(f.w.timeBox->currentText(), firstTime);
    f.w.seatButton->click();
    QVERIFY2(f.dialogs.lastText().startsWith("已为"), qPrintable(f.dialogs.lastText()));
    const QMap<QString, QString> seats = seatsOfTime(f.db, firstTime);
    const QString roomed = f.db.scalar("select count(*) from t_bjgmd b join t_kscs k on k.sjxh=b.sjxh join t_js r on r.jsid=k.jsid"
                                       " where k.cc='1'");
    QCOMPARE(QString::number(seats.size()), roomed);
    QCOMPARE(f.db.scalar("select count(*) from t_zw"), roomed); // only the chosen time
    QCOMPARE(QString::number(f.w.previewGrid->rowCount()), roomed);
    QStringList rooms;
    for (const QString& v : seats)
        if (!rooms.contains(v.section(u'|', 0, 0)))
            rooms.append(v.section(u'|', 0, 0));
    QVERIFY(rooms.size() >= 2);

    // 考场座位表: in each seat's box its number and the 学号 side by side.
    tickOnly(f.w, f.w.chartCheck);
    f.w.presetOutput = toPdf(f.db.folder() + "/chart.pdf");
    f.w.printButton->click();
    QCOMPARE(f.dialogs.takeTexts().size(), 1); // the seating report only
    const QStringList chartPages = pdfPages(f.w.presetOutput->pdfPath);
    const QList<QList<PdfWord>> chartWords = pdfWords(f.w.presetOutput->pdfPath);
    QMap<QString, QString> onChart;
    for (int p = 0; p < chartPages.size(); ++p) {
        const QString room = roomOfPage(chartPages[p], rooms);
        QVERIFY2(!room.isEmpty(), qPrintable(chartPages[p]));
        for (const QList<PdfWord>& line : pdfLines(chartWords[p]))
            for (int i = 0; i + 1 < line.size(); ++i)
                if (line[i].text.endsWith(u'号') && seats.contains(line[i + 1].text)) {
                    QVERIFY2(!onChart.contains(line[i + 1].text), qPrintable(line[i + 1].text));
                    onChart.insert(line[i + 1].text, room + u'|' + line[i].text.chopped(1));
                }
    }
    QCOMPARE(onChart, seats);
    QVERIFY(compact(chartPages.join(QString())).contains(compact(QStringLiteral("讲台"))));

    // 考生签到表: a row per seat, the foot with the count and the invigilators.
    tickOnly(f.w, f.w.signInCheck);
    f.w.presetOutput = toPdf(f.db.folder() + "/signin.pdf");
    f.w.printButton->click();
    QMap<QString, QString> signed_;
    QStringList foot;
    for (const QString& page : pdfPages(f.w.presetOutput->pdfPath)) {
        const QString room = roomOfPage(page, rooms);
        QVERIFY(!room.isEmpty());
        for (const QString& line : page.split(u'\n')) {
            const QStringList words = line.simplified().split(u' ');
            if (words.size() > 2 && seats.contains(words[1])) {
                QVERIFY2(!signed_.contains(words[1]), qPrintable(words[1]));
                signed_.insert(words[1], room + u'|' + words[0]);
            }
            if (line.contains("应考"))
                foot.append(room + compact(line));
            if (line.contains("监考教师"))
                QVERIFY2(line.contains("钱老师") && line.contains("孙老师"), qPrintable(line));
        }
    }
    QCOMPARE(signed_, seats);
    QCOMPARE(foot.size(), rooms.size());
    for (const QString& room : rooms)
        QVERIFY(foot.contains(room + QStringLiteral("应考%1人实考______人缺考______人").arg(f.db.scalar(
                                  QStringLiteral("select count(*) from t_zw z join t_js r on r.jsid=z.jsid where r.jsm='%1' and z.cc='1'").arg(room)))));

    // 考试通知单: each student of the time once, their row of this time with room and seat.
    tickOnly(f.w, f.w.noticesCheck);
    f.w.presetOutput = toPdf(f.db.folder() + "/notices.pdf");
    f.w.printButton->click();
    QString student;
    QMap<QString, QString> noticed;
    QMap<QString, int> notices;
    for (const QString& page : pdfPages(f.w.presetOutput->pdfPath)) {
        for (const QString& line : page.split(u'\n')) {
            const QString flat = compact(line);
            if (flat.contains(QStringLiteral("学号："))) {
                student = flat.section(QStringLiteral("学号："), 1);
                ++notices[student];
                continue;
            }
            const qsizetype at = flat.indexOf(compact(firstTime));
            if (at >= 0 && seats.contains(student))
                noticed.insert(student, flat.mid(at + compact(firstTime).size()));
        }
    }
    for (auto s = seats.begin(); s != seats.end(); ++s) {
        QCOMPARE(notices.value(s.key()), 1);
        QCOMPARE(noticed.value(s.key()), QString(s.value()).remove(u'|'));
    }
    QCOMPARE(notices.size(), seats.size());

    // 考场门贴 and 试卷袋标签: each room's papers with counts and the bags' papers with spares.
    tickOnly(f.w, f.w.doorCheck);
    f.w.labelsCheck->setChecked(true);
    f.w.sparesBox->setValue(3);
    f.w.presetOutput = toPdf(f.db.folder() + "/door.pdf");
    f.w.printButton->click();
    const QString door = compact(pdfPages(f.w.presetOutput->pdfPath).join(QString()));
    // Labels stand two abreast: each half of a page read top to bottom.
    QString labels;
    for (const QList<PdfWord>& page : pdfWords(f.w.presetOutput->pdfPath))
        for (const bool left : {true, false})
            for (const QList<PdfWord>& line : pdfLines(page))
                for (const PdfWord& word : line)
                    if ((word.box.center().x() < 297.6) == left)
                        labels += word.text;
    for (const QString& room : rooms)
        QVERIFY(door.contains(compact(QStringLiteral("合计 %1 人").arg(seats.values().filter(QRegularExpression("^" + room + "\\|")).size()))));
    for (const QString& row : f.db.rows("select r.jsm, b.sjxh, count(*) from t_zw z join t_bjgmd b on b.rid=z.rid"
                                        " join t_js r on r.jsid=z.jsid group by r.jsm, b.sjxh"))
        QVERIFY2(labels.contains(compact(QStringLiteral("试卷序号：%1考场：%2考试时间：%3考生：%4人应装试卷：%5份")
                                           .arg(row.section(u'|', 1, 1), row.section(u'|', 0, 0), firstTime, row.section(u'|', 2, 2))
                                           .arg(row.section(u'|', 2, 2).toInt() + 3))),
                 qPrintable(row));

    // The workbook: a row per seated candidate.
    f.dialogs.saveAnswers = {f.db.folder() + "/座位"};
    f.w.exportButton->click();
    QCOMPARE(f.dialogs.lastText(), QString("导出成功"));
    const Workbook book = Workbook::open(f.db.folder() + "/座位.xlsx");
    const Worksheet& sheet = book.firstSheet();
    QCOMPARE(sheet.cell(1, 3).text, QString("座位号"));
    QMap<QString, QString> exported;
    for (int r = 2; r <= sheet.lastRow(); ++r) {
        QCOMPARE(sheet.cell(r, 1).text, firstTime);
        exported.insert(sheet.cell(r, 4).text, sheet.cell(r, 2).text + u'|' + QString::number(sheet.cell(r, 3).number));
    }
    QCOMPARE(exported, seats);
}

void TestSeatDocuments::enterAndEscape()
{
    WindowFixture<SeatingWindow> f;
    fillTerm(f.db);
    assignRooms(f.dm, std::nullopt);
    f.w.show();
    const QList<QWidget*> boxes{f.w.timeBox, f.w.roomList, f.w.columnsBox, f.w.rowWiseCheck, f.w.everyOtherCheck,
                                f.w.seatAgainCheck, f.w.chartCheck, f.w.signInCheck, f.w.doorCheck, f.w.labelsCheck,
                                f.w.noticesCheck, f.w.allStudentsCheck, f.w.sparesBox, f.w.previewGrid};
    for (QWidget* box : boxes) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY2(f.w.isVisible(), qPrintable(box->objectName()));
    }
    QCOMPARE(f.dialogs.takeTexts(), QStringList());
    QCOMPARE(f.db.scalar("SELECT count(*) FROM t_zw"), QString("0"));
    QTest::keyClick(f.w.sparesBox, Qt::Key_Escape);
    QVERIFY(!f.w.isVisible());
}

QTEST_MAIN(TestSeatDocuments)
#include "tst_seatdocuments.moc"

// What the seat papers put on their pages, laid out without a database: a
// course name longer than its cell and names with rare characters appear
// whole on every document, not cut short.
#include "SeatPrinting.h"

#include <QTest>

Q_DECLARE_METATYPE(SeatDocument)

class TestSeatPages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void longTextsAppearWhole_data();
    void longTextsAppearWhole();
};

namespace {

const QString longCourse = QStringLiteral("马克思主义基本原理概论与中国特色社会主义理论体系概论（含社会实践）");
const QString time = QStringLiteral("2027-01-11 星期一 08:00-10:00");

SeatDocumentJob job(SeatDocument document)
{
    SeatedRoomSheet room;
    room.time = time;
    room.room = QStringLiteral("A101");
    room.shape = {1, 2};
    room.candidates = {{1, {1, 1}, QStringLiteral("20270001"), QStringLiteral("欧阳䶮𪚥"), longCourse, QStringLiteral("P1"), {}},
                       {2, {1, 2}, QStringLiteral("20270002"), QStringLiteral("𪚥明"), longCourse, QStringLiteral("P1"), {}}};
    room.papers = {{QStringLiteral("P1"), {longCourse}, 1, 2, 2}};
    StudentNotice notice{QStringLiteral("20270001"), QStringLiteral("欧阳䶮𪚥"), {{longCourse, QStringLiteral("P1"), time, room.room, 1}}};
    return {{document}, {room}, {notice}, 2};
}

// Every text of the pages in the order placed, drawn pages included.
QString placedText(const LaidOutReport& report)
{
    QString all;
    for (const LaidOutPage& page : report.pages) {
        LaidOutPage drawn;
        if (page.drawLater)
            page.drawLater(drawn);
        for (const QList<PlacedText>& texts : {page.texts, drawn.texts})
            for (const PlacedText& t : texts)
                all += t.text;
    }
    return all;
}

} // namespace

void TestSeatPages::longTextsAppearWhole_data()
{
    QTest::addColumn<SeatDocument>("document");
    for (const SeatDocument d : {SeatDocument::SeatingChart, SeatDocument::SignInSheet, SeatDocument::DoorNotice,
                                 SeatDocument::PaperLabels, SeatDocument::ExamNotices})
        QTest::newRow(qPrintable(seatDocumentName(d))) << d;
}

void TestSeatPages::longTextsAppearWhole()
{
    QFETCH(SeatDocument, document);
    const QString text = placedText(layOutSeatDocuments(job(document)));
    QVERIFY2(text.contains(longCourse), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("…")), qPrintable(text));
    if (document != SeatDocument::DoorNotice && document != SeatDocument::PaperLabels)
        QVERIFY2(text.contains(QStringLiteral("欧阳䶮𪚥")), qPrintable(text));
}

QTEST_MAIN(TestSeatPages)
#include "tst_seatpages.moc"

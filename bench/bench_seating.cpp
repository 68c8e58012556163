// Seat numbers and the exam morning's documents on the largest Toronto set:
// pur-s-93 scheduled by first fit and roomed automatically in 300 generated
// rooms of 30 to 200 seats (as bench_rooms does), given exam times, then
// seated whole; each of the five documents of its largest time printed to
// PDF through the report engine, against a plain QPainter table on a
// QPdfWriter of the same rows made in the same run. Prints the times, the
// ratios and the peak memory above the resident size before each.
#include "RecordingDialogs.h"
#include "ScheduledToronto.h"
#include "SeatPrinting.h"
#include "rooms/RoomAssignment.h"
#include "rooms/SeatSheets.h"
#include "rooms/Seating.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <malloc.h>

namespace {

long statusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

// Starts the peak (VmHWM) anew from the current resident size.
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

struct Measured {
    double seconds = 0;
    double cpuSeconds = 0; // of the process: what a loaded machine's wall time hides
    double peakMb = 0;
};

template <typename Work>
Measured measure(Work work)
{
    // Freed memory of the step before goes back first, so that each step's
    // peak counts what it takes itself, not what it found lying free.
    malloc_trim(0);
    resetPeak();
    const long before = statusKb("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            double(std::clock() - cpuStart) / CLOCKS_PER_SEC, (statusKb("VmHWM:") - before) / 1024.0};
}

// The reference: the same rows read straight from the tables and drawn as
// a ruled table, 36 rows to an A4 page under a heading.
void drawReference(TestDatabase& db, const QString& time, const QString& path)
{
    const QStringList rows = db.rows(QStringLiteral(
        "select r.jsm, z.zwh, b.xh, b.xm, b.kcmc, b.sjxh from t_zw z join t_bjgmd b on b.rid=z.rid join t_js r on r.jsid=z.jsid"
        " join t_cc c on c.cc=z.cc where c.kssj='%1' order by r.jsm, z.zwh").arg(time));
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(1200);
    QPainter painter(&writer);
    const double mm = writer.resolution() / 25.4;
    painter.setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    const QList<double> widths{30, 16, 30, 28, 60, 22};
    const double rowHeight = 7 * mm, left = 12 * mm, top = 30 * mm;
    constexpr int perPage = 36;
    for (int start = 0; start < rows.size(); start += perPage) {
        if (start > 0)
            writer.newPage();
        painter.drawText(QRectF(left, 12 * mm, 186 * mm, 10 * mm), Qt::AlignCenter, QStringLiteral("考场座位 %1").arg(time));
        double y = top;
        for (int r = start; r < std::min<int>(start + perPage, int(rows.size())); ++r) {
            const QStringList values = rows[r].split(u'|');
            double x = left;
            for (int c = 0; c < widths.size(); ++c) {
                const QRectF cell(x, y, widths[c] * mm, rowHeight);
                painter.drawRect(cell);
                painter.drawText(cell.adjusted(mm, 0, -mm, 0), Qt::AlignVCenter | Qt::AlignLeft, values.value(c));
                x += widths[c] * mm;
            }
            y += rowHeight;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScheduledToronto term(QStringLiteral("pur-s-93"));
    if (!term.present) {
        std::fprintf(stderr, "the Toronto data is not present\n");
        return 1;
    }
    QRandomGenerator random(20240614);
    QString setUp = QStringLiteral("BEGIN;");
    for (int r = 1; r <= 300; ++r)
        setUp += QStringLiteral("INSERT INTO t_js(jsm,rnrs) VALUES('R%1',%2);").arg(r, 3, 10, QChar(u'0')).arg(30 + int(random.bounded(171)));
    for (int p = 1; p <= term.firstFit.periods; ++p)
        setUp += QStringLiteral("UPDATE t_cc SET kssj='2025-01-%1 %2' WHERE cc='%3';")
                     .arg(1 + (p - 1) / 2, 2, 10, QChar(u'0'))
                     .arg(p % 2 ? QStringLiteral("08:30-10:30") : QStringLiteral("14:00-16:00"))
                     .arg(p);
    term.db.exec(setUp + QStringLiteral("COMMIT;"));
    assignRooms(term.dm, std::nullopt);

    SeatingRun run;
    const Measured seating = measure([&] { run = arrangeSeats(term.dm, SeatingTerms{}); });
    std::printf("seating: %d candidates in %d rooms, %.3f s (cpu %.3f s), peak %.1f MB above before; %d rooms with neighbours on one paper\n",
                run.candidates, run.rooms, seating.seconds, seating.cpuSeconds, seating.peakMb, int(run.shared.size()));

    const QString time = term.db.scalar(QStringLiteral(
        "select c.kssj from t_zw z join t_cc c on c.cc=z.cc group by c.kssj order by count(*) desc limit 1"));
    const int candidates = term.db.scalar(
        QStringLiteral("select count(*) from t_zw z join t_cc c on c.cc=z.cc where c.kssj='%1'").arg(time)).toInt();
    std::printf("largest time: %s, %d candidates\n", qPrintable(time), candidates);

    QTemporaryDir out;
    RecordingDialogs dialogs;
    const ReportSettings settings;
    const Measured reference = measure([&] { drawReference(term.db, time, out.filePath(QStringLiteral("reference.pdf"))); });
    std::printf("reference table: %.3f s (cpu %.3f s), peak %.1f MB\n", reference.seconds, reference.cpuSeconds, reference.peakMb);
    for (const SeatDocument document : {SeatDocument::SeatingChart, SeatDocument::SignInSheet, SeatDocument::DoorNotice,
                                        SeatDocument::PaperLabels, SeatDocument::ExamNotices}) {
        const std::optional<OutputOptions> pdf = [&] {
            OutputOptions o;
            o.destination = OutputOptions::Destination::PdfFile;
            o.pdfPath = out.filePath(QStringLiteral("document.pdf"));
            return o;
        }();
        const Measured program = measure([&] {
            SeatDocumentJob job;
            job.documents = {document};
            if (document == SeatDocument::ExamNotices)
                job.students = studentNotices(term.dm, time);
            else
                job.rooms = seatedRooms(term.dm, time);
            printSeatDocuments(PrintSetup{term.dm, dialogs, settings, pdf, nullptr}, job);
        });
        std::printf("%s: %.3f s (%.2fx the reference), cpu %.3f s (%.2fx), peak %.1f MB (%.2fx)%s\n",
                    qPrintable(seatDocumentName(document)), program.seconds, program.seconds / reference.seconds,
                    program.cpuSeconds, program.cpuSeconds / reference.cpuSeconds, program.peakMb,
                    program.peakMb / std::max(0.1, reference.peakMb), dialogs.boxes.isEmpty() ? "" : "  (the job said something)");
    }
    return 0;
}

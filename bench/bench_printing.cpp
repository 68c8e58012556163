// "全部打印" to a PDF through the real printing window, against a reference
// that draws the same rows with QPainter on a QPdfWriter: the same page
// size, font, heading and ruled table, one room after another. Prints the
// ratio of the two and the commits the run made (each commit costs the same
// few syncs with the rollback journal and full sync), at 500, 2,000 and
// 10,000 candidates in rooms of 40.
#include "CommitCount.h"
#include "DataModule.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit9.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sqlite3.h>

namespace {

constexpr int seatsPerRoom = 40;
const QString examTime = QStringLiteral("2024-06-20 08:30-10:30");

// One paper per room, each with `seatsPerRoom` candidates, all at one time.
void placeCandidates(TestDatabase& db, int candidates)
{
    const int rooms = (candidates + seatsPerRoom - 1) / seatsPerRoom;
    QString sql = QStringLiteral("BEGIN;INSERT INTO t_cc(cc,kssj) VALUES('1','%1');").arg(examTime);
    for (int r = 1; r <= rooms; ++r)
        sql += QStringLiteral("INSERT INTO t_js(jsm,rnrs) VALUES('教%1',%2);"
                              "INSERT INTO t_kscs(cc,sjxh,sjxh1,jsid) VALUES('1','%3','%3',%3);")
                   .arg(r, 3, 10, QChar(u'0')).arg(seatsPerRoom).arg(r);
    db.exec(sql + QStringLiteral("COMMIT;"));
    QStringList rows;
    for (int n = 0; n < candidates; ++n) {
        const int paper = n / seatsPerRoom + 1;
        rows << QStringList{QString::number(paper), QStringLiteral("K%1").arg(paper),
                            QStringLiteral("2023%1").arg(n, 8, 10, QChar(u'0')), QStringLiteral("王晓明"),
                            QStringLiteral("C%1").arg(paper), QStringLiteral("高等数学（上）"), QStringLiteral("周建国"),
                            QStringLiteral("计算机学院"), n % 7 ? QString() : QStringLiteral("因病缓考"),
                            n % 2 ? QStringLiteral("补考") : QStringLiteral("缓考")}
                    .join(u'|');
    }
    db.addRoster(rows);
}

// The rows of every room as the list shows them, room by room.
QList<QStringList> roomLists(TestDatabase& db)
{
    QList<QStringList> rooms;
    for (const QString& room : db.rows(QStringLiteral("SELECT DISTINCT jsm FROM hbkap ORDER BY jsm")))
        rooms << db.rows(QStringLiteral("SELECT xh,xm,sjxh,kcmc,skjs,hbk,bz FROM hbkap WHERE jsm='%1' "
                                        "ORDER BY sjxh,kcxh,xh").arg(room));
    return rooms;
}

// The reference: title, header, headings, ruled rows and a footer per page.
void drawReference(const QList<QStringList>& rooms, const QString& path)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    QPainter painter(&writer);
    const double mm = writer.resolution() / 25.4;
    const QFont body(QStringLiteral("WenQuanYi Micro Hei"), 9);
    const QFont title(QStringLiteral("WenQuanYi Micro Hei"), 18, QFont::Bold);
    const QList<double> widths = {9, 24, 25, 14, 36, 21, 10, 23, 18};
    const double rowHeight = 7.2 * mm, left = 15 * mm, top = 14 * mm;
    const int rowsPerPage = 30;
    bool first = true;
    for (const QStringList& room : rooms) {
        for (int start = 0; start < room.size(); start += rowsPerPage) {
            if (!first)
                writer.newPage();
            first = false;
            painter.setFont(title);
            painter.drawText(QRectF(left, top, 180 * mm, 12 * mm), Qt::AlignCenter, QStringLiteral("缓补考考场名单"));
            painter.setFont(body);
            painter.drawText(QRectF(left, top + 14 * mm, 180 * mm, 6 * mm), Qt::AlignLeft,
                             QStringLiteral("考试时间：%1 考场：%2 应考人数：%3 人").arg(examTime).arg(room.size()));
            double y = top + 22 * mm;
            for (int r = start; r < qMin(start + rowsPerPage, int(room.size())); ++r) {
                const QStringList values = QStringList{QString::number(r + 1)} + room[r].split(u'|') + QStringList{""};
                double x = left;
                for (int c = 0; c < widths.size(); ++c) {
                    const QRectF cell(x, y, widths[c] * mm, rowHeight);
                    painter.drawRect(cell);
                    painter.drawText(cell, Qt::AlignCenter, values.value(c));
                    x += widths[c] * mm;
                }
                y += rowHeight;
            }
            painter.drawText(QRectF(left, 280 * mm, 180 * mm, 6 * mm), Qt::AlignCenter,
                             QStringLiteral("第 %1 页").arg(start / rowsPerPage + 1));
        }
    }
}

double seconds(const std::chrono::steady_clock::time_point& start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PrintAllRooms(benchmark::State& state)
{
    const int candidates = int(state.range(0));
    TestDatabase db(TestDatabase::Storage::Disk);
    QFile::copy(QStringLiteral(PAIKAO_SOURCE_DIR "/data/Project2.rav"), db.folder() + QStringLiteral("/data/Project2.rav"));
    placeCandidates(db, candidates);
    RecordingDialogs dialogs;
    DataModule dm;
    dm.reconfigure();
    TForm9 window(dm, dialogs);
    window.show();
    QTemporaryDir out;
    OutputOptions pdf;
    pdf.destination = OutputOptions::Destination::PdfFile;
    pdf.pdfPath = out.filePath(QStringLiteral("program.pdf"));
    window.presetOutput = pdf;
    const QList<QStringList> rooms = roomLists(db);

    double program = 0, reference = 0;
    int commits = 0;
    for (auto _ : state) {
        const CommitCount count(dm.ADOConnection1.engineHandle());
        auto start = std::chrono::steady_clock::now();
        window.printAllButton->click();
        program = seconds(start);
        commits = count.commits();
        start = std::chrono::steady_clock::now();
        drawReference(rooms, out.filePath(QStringLiteral("reference.pdf")));
        reference = seconds(start);
        state.SetIterationTime(program);
    }
    if (!dialogs.takeTexts().isEmpty())
        state.SkipWithError("the window said something: the print did not run");
    state.counters["program_s"] = program;
    state.counters["reference_s"] = reference;
    state.counters["ratio"] = program / reference;
    state.counters["commits"] = commits;
    state.counters["rooms"] = double(rooms.size());
}

} // namespace

BENCHMARK(BM_PrintAllRooms)->Arg(500)->Arg(2000)->Arg(10000)->Iterations(3)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Memory and time of reading a 100,000-row roster .xlsx, as the import
// reads it: the peak resident memory above the idle program, the wall time
// and the processor time (the steadier figure on a shared machine). A plain program; each measurement runs in a fresh process of its own,
// so that what the generation left in the heap does not count.
//
//   bench_readmemory              write the roster, then measure each stage three times
//   bench_readmemory read FILE    one measurement: open and count the rows
//   bench_readmemory import FILE  one measurement: open, count and store into t_bjgmd
//   bench_readmemory write FILE   only write the roster (to look at a reading under heaptrack)
//
// "import" stores through the window's roster slot into a database in
// memory (/dev/shm), without the pauses, so that the whole import's
// memory shows and the run takes seconds, not the clerk's 45 minutes.

#include "Connection.h"
#include "QuerySlot.h"
#include "SlotSteps.h"
#include "RosterBook.h"
#include "RosterSheet.h"
#include "TestDatabase.h"
#include "Workbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <vector>

namespace {

constexpr int rosterRows = 100000;
constexpr int runs = 3;

// A field of /proc/self/status in kB.
long statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLong();
    return -1;
}

// Starts the peak (VmHWM) anew from the current resident size.
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

int measure(const QString& stage, const QString& file)
{
    const bool storing = stage == QLatin1String("import");
    const QString path = QFileInfo(file).absoluteFilePath(); // the database's folder becomes the current one
    TestDatabase db;
    Connection connection;
    connection.setConnectionString(Connection::connectionStringFor(QDir::currentPath()));
    QuerySlot roster(connection, QStringLiteral("ADOQuery1"));
    openOn(roster, rosterStatement);

    resetPeak();
    const long idle = statusKb("VmRSS");
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    int rows = 0;
    {
        const Workbook book = Workbook::open(path, rosterBounds);
        rows = countRosterRows(book.firstSheet());
        if (storing)
            storeRosterRows(book.firstSheet(), rows, roster, [](int) { return true; });
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const long peak = statusKb("VmHWM");
    if (rows != rosterRows) {
        std::fprintf(stderr, "read %d rows, expected %d\n", rows, rosterRows);
        return 1;
    }
    std::printf("%.1f %.3f %.3f %.1f\n", (peak - idle) / 1024.0, seconds, cpuSeconds, idle / 1024.0);
    return 0;
}

struct Run {
    double aboveIdleMb;
    double seconds;
    double cpuSeconds;
    double idleMb;
};

// Median of the runs by each figure on its own.
Run median(std::vector<Run> runs)
{
    const auto mid = [&](auto member) {
        std::sort(runs.begin(), runs.end(), [&](const Run& a, const Run& b) { return a.*member < b.*member; });
        return runs[runs.size() / 2].*member;
    };
    return {mid(&Run::aboveIdleMb), mid(&Run::seconds), mid(&Run::cpuSeconds), mid(&Run::idleMb)};
}

int compare()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("roster.xlsx"));
    rosterBook(rosterRows).saveAs(path);
    std::printf("%d-row roster .xlsx, %.1f MB; medians of %d runs\n", rosterRows,
                QFileInfo(path).size() / 1048576.0, runs);
    std::printf("%-8s %14s %10s %12s %10s\n", "stage", "peak>idle MB", "seconds", "cpu seconds", "idle MB");
    for (const char* stage : {"read", "import"}) {
        std::vector<Run> results;
        for (int i = 0; i < runs; ++i) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(stage), path});
            child.waitForFinished(-1);
            Run r{};
            if (child.exitCode() != 0
                || std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %lf %lf", &r.aboveIdleMb, &r.seconds,
                               &r.cpuSeconds, &r.idleMb) != 4) {
                std::fprintf(stderr, "%s failed: %s\n", stage, child.readAllStandardError().constData());
                return 1;
            }
            results.push_back(r);
        }
        const Run m = median(results);
        std::printf("%-8s %14.1f %10.3f %12.3f %10.1f\n", stage, m.aboveIdleMb, m.seconds, m.cpuSeconds, m.idleMb);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && argv[1] == std::string_view("write")) {
        rosterBook(rosterRows).saveAs(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    if (argc == 3)
        return measure(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    return compare();
}

// The spreadsheet window's long work without its pauses: importing a
// 20,000-row roster (.xlsx written here, and the LibreOffice-made .xls) into
// a real database, and exporting a 30,000-candidate arrangement.
//
// work_to_pause compares the import's own time with the pauses it makes the
// clerk wait anyway (25 ms a row); it should stay well below 0.05.

#include "ArrangementSheet.h"
#include "Connection.h"
#include "QuerySlot.h"
#include "RosterBook.h"
#include "RosterSheet.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

constexpr int rosterRows = 20000;
constexpr int exportRows = 30000;
constexpr double pauseSeconds = 0.025;

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void importFile(benchmark::State& state, const QString& path)
{
    TestDatabase db(TestDatabase::Storage::Disk);
    Connection connection;
    connection.setConnectionString(Connection::connectionStringFor(QDir::currentPath()));
    QuerySlot roster(connection, QStringLiteral("ADOQuery1"));
    double reading = 0;
    double storing = 0;
    int rows = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const Workbook book = Workbook::open(path, rosterBounds);
        rows = countRosterRows(book.firstSheet());
        reading = secondsSince(start);
        start = std::chrono::steady_clock::now();
        storeRosterRows(book.firstSheet(), rows, roster, [](int) { return true; });
        storing = secondsSince(start);
        state.SetIterationTime(reading + storing);
        state.PauseTiming();
        db.exec(QStringLiteral("delete from t_bjgmd"));
        state.ResumeTiming();
    }
    if (rows != rosterRows)
        state.SkipWithError("the roster was not read whole");
    state.counters["read_rows_per_second"] = rows / reading;
    state.counters["store_rows_per_second"] = rows / storing;
    state.counters["work_to_pause"] = (reading + storing) / (pauseSeconds * rows);
}

void BM_ImportXlsx(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("roster.xlsx"));
    rosterBook(rosterRows).saveAs(path);
    importFile(state, path);
}

void BM_ImportXls(benchmark::State& state)
{
    const QByteArray bytes = rosterXlsFixture();
    if (bytes.isEmpty()) {
        state.SkipWithError("bench/fixtures/roster-20000.xls.gz is missing");
        return;
    }
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("roster.xls")));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    file.close();
    importFile(state, file.fileName());
}

// 300 papers in 30 periods, each with a room and a time, 100 candidates each.
void arrangedTerm(TestDatabase& db)
{
    QStringList roster;
    for (int i = 0; i < exportRows; ++i)
        roster.append(QStringLiteral("%1|K%1|%2|学生%3|C%1|课程%1|教师%4|第%5学院||补考")
                          .arg(i % 300 + 1).arg(2020000000 + i).arg(i).arg(i % 120).arg(i % 17));
    db.addRoster(roster);
    for (int p = 1; p <= 300; ++p)
        db.exec(QStringLiteral("insert into t_js(jsm, rnrs) values('教%1', 120);"
                               "insert into t_kscs(cc, sjxh, sjxh1, jsid) values('%2', '%1', '%1', %1)")
                    .arg(p).arg(p % 30 + 1));
    for (int c = 1; c <= 30; ++c)
        db.exec(QStringLiteral("insert into t_cc(cc, kssj) values('%1', '6月%1日 8:00')").arg(c));
}

void BM_Export(benchmark::State& state)
{
    TestDatabase db(TestDatabase::Storage::Disk);
    arrangedTerm(db);
    Connection connection;
    connection.setConnectionString(Connection::connectionStringFor(QDir::currentPath()));
    QuerySlot result(connection, QStringLiteral("ADOQuery1"));
    const QString path = db.folder() + QStringLiteral("/export.xlsx");
    double querying = 0;
    double writing = 0;
    int rows = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        result.Close();
        result.SQL.Clear();
        result.SQL.Add(arrangementStatement);
        result.Open();
        querying = secondsSince(start);
        start = std::chrono::steady_clock::now();
        Workbook book;
        rows = writeArrangement(result, book.firstSheet());
        book.saveAs(path);
        writing = secondsSince(start);
        state.SetIterationTime(querying + writing);
    }
    if (rows != exportRows)
        state.SkipWithError("not every candidate was exported");
    state.counters["query_rows_per_second"] = rows / querying;
    state.counters["write_rows_per_second"] = rows / writing;
}

}  // namespace

BENCHMARK(BM_ImportXlsx)->Iterations(2)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ImportXls)->Iterations(2)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Export)->Iterations(2)->UseManualTime()->Unit(benchmark::kSecond);

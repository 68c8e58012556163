// Reading a roster and writing an export of realistic size.
//
//   workbook_bench                          run the benchmarks
//   workbook_bench --write-roster OUT.xlsx  write the 20,000-row roster; the .xls
//       fixture is this file converted with
//       soffice --headless --convert-to 'xls:MS Excel 97' OUT.xlsx, then gzip -9

#include "CellText.h"
#include "RosterBook.h"
#include "Workbook.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr int rosterRows = 20000;
constexpr int exportRows = 30000;

// Reads the file as the import does: every cell of every data row as trimmed text.
void readRoster(benchmark::State& state, const QString& path)
{
    for (auto _ : state) {
        const Workbook book = Workbook::open(path);
        const Worksheet& sheet = book.firstSheet();
        qsizetype chars = 0;
        for (int r = 2; !trimBlanks(cellText(sheet.cell(r, 2))).isEmpty(); ++r)
            for (int c = 1; c <= 10; ++c)
                chars += trimBlanks(cellText(sheet.cell(r, c))).size();
        benchmark::DoNotOptimize(chars);
    }
    state.counters["rows_per_second"] = benchmark::Counter(double(rosterRows) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_ReadRosterXlsx(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("roster.xlsx"));
    rosterBook(rosterRows).saveAs(path);
    readRoster(state, path);
}
BENCHMARK(BM_ReadRosterXlsx)->Unit(benchmark::kMillisecond);

// The same roster saved as .xls by LibreOffice Calc, kept gzipped (3.6 MB
// unpacked) and unpacked once before timing.
void BM_ReadRosterXls(benchmark::State& state)
{
    const QByteArray bytes = rosterXlsFixture();
    if (bytes.isEmpty()) {
        state.SkipWithError("bench/fixtures/roster-20000.xls.gz is missing");
        return;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("roster.xls"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    file.close();
    readRoster(state, path);
}
BENCHMARK(BM_ReadRosterXls)->Unit(benchmark::kMillisecond);

// 400,000 cells given to a sheet in the order a reader meets them: row by
// row; backwards (last row first, each row right to left); column by
// column, each from the top, so that every cell goes between cells already
// held. Then read once.
enum class CellOrder { Rows, Backwards, Columns };

void fillSheet(benchmark::State& state, CellOrder order)
{
    constexpr int rows = 40000;
    constexpr int columns = 10;
    for (auto _ : state) {
        Worksheet sheet;
        for (int i = 0; i < rows * columns; ++i) {
            const int at = order == CellOrder::Rows        ? i
                           : order == CellOrder::Backwards ? rows * columns - 1 - i
                                                           : i % rows * columns + i / rows;
            sheet.setCell(at / columns + 1, at % columns + 1, CellValue::fromNumber(at));
        }
        benchmark::DoNotOptimize(sheet.cell(rows / 2, columns / 2));
    }
    state.counters["cells_per_second"] = benchmark::Counter(double(rows * columns) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_FillSheetByRows(benchmark::State& state)
{
    fillSheet(state, CellOrder::Rows);
}
BENCHMARK(BM_FillSheetByRows)->Unit(benchmark::kMillisecond);

void BM_FillSheetBackwards(benchmark::State& state)
{
    fillSheet(state, CellOrder::Backwards);
}
BENCHMARK(BM_FillSheetBackwards)->Unit(benchmark::kMillisecond);

void BM_FillSheetByColumns(benchmark::State& state)
{
    fillSheet(state, CellOrder::Columns);
}
BENCHMARK(BM_FillSheetByColumns)->Unit(benchmark::kMillisecond);

// The arrangement export: 13 text columns, the text format on nine of them,
// font and borders on A2:F(n+2).
void BM_WriteExport(benchmark::State& state)
{
    static const bool textFormat[13] = {true, true, true, true, false, false, true, false, true, false, true, true, true};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.xlsx"));
    for (auto _ : state) {
        Workbook book;
        Worksheet& sheet = book.firstSheet();
        for (int c = 1; c <= 13; ++c)
            sheet.setCell(1, c, QStringLiteral("标题%1").arg(c));
        for (int r = 2; r <= exportRows + 1; ++r)
            for (int c = 1; c <= 13; ++c) {
                if (textFormat[c - 1])
                    sheet.setNumberFormat(r, c, QStringLiteral("@ "));
                sheet.setCell(r, c, QStringLiteral("值%1-%2").arg(r % 5000).arg(c));
            }
        Range block = sheet.range(QStringLiteral("A2:f%1").arg(exportRows + 2));
        block.setFontName(QStringLiteral("宋体"));
        block.setBorderLineStyle(BorderLine::Continuous);
        book.saveAs(path);
    }
    state.counters["rows_per_second"] = benchmark::Counter(double(exportRows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteExport)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-roster") == 0) {
        rosterBook(rosterRows).saveAs(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Reading a roster and writing an export of realistic size.
//
//   workbook_bench                          run the benchmarks
//   workbook_bench --write-roster OUT.xlsx  write the 20,000-row roster; the .xls
//       fixture is this file converted with
//       soffice --headless --convert-to 'xls:MS Excel 97' OUT.xlsx, then gzip -9

#include "CellText.h"
#include "Workbook.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>
#include <zlib.h>

namespace {

constexpr int rosterRows = 20000;
constexpr int exportRows = 30000;

Workbook roster()
{
    const QStringList courses{QStringLiteral("高等数学"), QStringLiteral("大学英语"), QStringLiteral("线性代数"),
                              QStringLiteral("大学物理"), QStringLiteral("程序设计基础")};
    Workbook book;
    Worksheet& sheet = book.firstSheet();
    const QStringList titles{"sjxh", "kcxh", "xh", "xm", "kcdm", "kcmc", "skjs", "kkyx", "bz", "hbk"};
    for (int c = 0; c < titles.size(); ++c)
        sheet.setCell(1, c + 1, titles[c]);
    for (int i = 0; i < rosterRows; ++i) {
        const int r = i + 2;
        sheet.setCell(r, 1, CellValue::fromNumber(i % 300 + 1));
        sheet.setCell(r, 2, QStringLiteral("K%1").arg(i % 900, 6, 10, QChar('0')));
        sheet.setCell(r, 3, CellValue::fromNumber(2020000000.0 + i));  // student numbers typed as numbers
        sheet.setCell(r, 4, QStringLiteral("学生%1").arg(i));
        sheet.setCell(r, 5, QStringLiteral("0%1").arg(10000 + i % 900));
        sheet.setCell(r, 6, courses[i % courses.size()]);
        sheet.setCell(r, 7, QStringLiteral("教师%1").arg(i % 120));
        sheet.setCell(r, 8, QStringLiteral("第%1学院").arg(i % 17));
        sheet.setCell(r, 9, i % 10 == 0 ? QStringLiteral("重修") : QString());
        sheet.setCell(r, 10, i % 3 ? QStringLiteral("补考") : QStringLiteral("缓考"));
    }
    return book;
}

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
    roster().saveAs(path);
    readRoster(state, path);
}
BENCHMARK(BM_ReadRosterXlsx)->Unit(benchmark::kMillisecond);

// The same roster saved as .xls by LibreOffice Calc, kept gzipped (3.6 MB
// unpacked) and unpacked once before timing.
void BM_ReadRosterXls(benchmark::State& state)
{
    gzFile packed = gzopen(PAIKAO_BENCH_FIXTURES "/roster-20000.xls.gz", "rb");
    if (!packed) {
        state.SkipWithError("bench/fixtures/roster-20000.xls.gz is missing");
        return;
    }
    QByteArray bytes;
    char chunk[65536];
    int n;
    while ((n = gzread(packed, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, n);
    gzclose(packed);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("roster.xls"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    file.close();
    readRoster(state, path);
}
BENCHMARK(BM_ReadRosterXls)->Unit(benchmark::kMillisecond);

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
        roster().saveAs(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

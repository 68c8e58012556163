#include "RosterBook.h"

#include <QStringList>
#include <zlib.h>

Workbook rosterBook(int rows)
{
    const QStringList courses{QStringLiteral("高等数学"), QStringLiteral("大学英语"), QStringLiteral("线性代数"),
                              QStringLiteral("大学物理"), QStringLiteral("程序设计基础")};
    Workbook book;
    Worksheet& sheet = book.firstSheet();
    const QStringList titles{"sjxh", "kcxh", "xh", "xm", "kcdm", "kcmc", "skjs", "kkyx", "bz", "hbk"};
    for (int c = 0; c < titles.size(); ++c)
        sheet.setCell(1, c + 1, titles[c]);
    for (int i = 0; i < rows; ++i) {
        const int r = i + 2;
        sheet.setCell(r, 1, CellValue::fromNumber(i % 300 + 1));
        sheet.setCell(r, 2, QStringLiteral("K%1").arg(i % 900, 6, 10, QChar('0')));
        sheet.setCell(r, 3, CellValue::fromNumber(2020000000.0 + i));
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

QByteArray rosterXlsFixture()
{
    gzFile packed = gzopen(PAIKAO_BENCH_FIXTURES "/roster-20000.xls.gz", "rb");
    if (!packed)
        return {};
    QByteArray bytes;
    char chunk[65536];
    int n;
    while ((n = gzread(packed, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, n);
    gzclose(packed);
    return bytes;
}

#include "ConflictListSheet.h"

#include "Workbook.h"
#include "overview/ConflictList.h"

#include <QStringList>

Workbook conflictListWorkbook(const ConflictList& list)
{
    Workbook book;
    Worksheet& sheet = book.worksheets().first();
    sheet = Worksheet(QStringLiteral("考试冲突名单"));
    const QStringList titles{QStringLiteral("学号"),         QStringLiteral("姓名"),           QStringLiteral("试卷数"),
                             QStringLiteral("一天最多场数"), QStringLiteral("同日连考两场"),   QStringLiteral("同日考两场以上"),
                             QStringLiteral("超过每天场数"), QStringLiteral("考试安排")};
    for (int c = 0; c < titles.size(); ++c)
        sheet.setCell(1, c + 1, titles[c]);
    for (const int c : {1, 2, 8})
        sheet.setColumnNumberFormat(c, QStringLiteral("@"));
    const auto flag = [](bool on) { return on ? CellValue::fromText(QStringLiteral("是")) : CellValue(); };
    int row = 2;
    for (const ConflictStudent& s : list.students) {
        QStringList exams;
        for (const StudentPaper& p : s.papers)
            exams.append(QStringLiteral("%1 %2 %3").arg(p.time, p.paper, p.course));
        sheet.setCell(row, 1, CellValue::fromText(s.load.xh));
        sheet.setCell(row, 2, CellValue::fromText(s.load.xm));
        sheet.setCell(row, 3, CellValue::fromNumber(s.load.papers));
        sheet.setCell(row, 4, CellValue::fromNumber(s.load.mostOnOneDay));
        sheet.setCell(row, 5, flag(s.load.twoInARow));
        sheet.setCell(row, 6, flag(s.load.twoOnOneDay));
        sheet.setCell(row, 7, s.overLimit > 0 ? CellValue::fromNumber(s.overLimit) : CellValue());
        sheet.setCell(row, 8, CellValue::fromText(exams.join(QStringLiteral("；"))));
        ++row;
    }
    sheet.fitColumnWidths();
    return book;
}

#include "StudentTimetableSheet.h"

#include "overview/StudentTimetable.h"
#include "Workbook.h"

#include <QStringList>

namespace {

// Titles in row 1 and every column formatted as text, so that student and
// paper numbers stay as written when the clerk edits a cell.
void writeTitles(Worksheet& sheet, const QStringList& titles, int textColumns)
{
    for (int c = 0; c < titles.size(); ++c)
        sheet.setCell(1, c + 1, titles[c]);
    for (int c = 1; c <= textColumns; ++c)
        sheet.setColumnNumberFormat(c, QStringLiteral("@"));
}

CellValue textCell(const QString& text)
{
    return text.isEmpty() ? CellValue() : CellValue::fromText(text);
}

CellValue flag(bool on)
{
    return on ? CellValue::fromText(QStringLiteral("是")) : CellValue();
}

} // namespace

Workbook studentTimetableWorkbook(const StudentTimetable& timetable)
{
    Workbook book;
    QList<Worksheet>& sheets = book.worksheets();
    sheets.first() = Worksheet(QStringLiteral("学生考试安排"));
    sheets.append(Worksheet(QStringLiteral("每人考试统计")));

    Worksheet& papers = sheets[0];
    const QStringList paperTitles{QStringLiteral("学号"),     QStringLiteral("姓名"),     QStringLiteral("院系"),
                                  QStringLiteral("课程名称"), QStringLiteral("试卷序号"), QStringLiteral("考试时间"),
                                  QStringLiteral("教室")};
    writeTitles(papers, paperTitles, int(paperTitles.size()));
    int row = 2;
    for (const StudentPaper& p : timetable.papers) {
        const QStringList values{p.xh, p.xm, p.department, p.course, p.paper, p.time, p.room};
        for (int c = 0; c < values.size(); ++c)
            papers.setCell(row, c + 1, textCell(values[c]));
        ++row;
    }
    papers.fitColumnWidths();

    // The counts are numbers, so that the clerk can sort and sum them.
    Worksheet& students = sheets[1];
    writeTitles(students,
                {QStringLiteral("学号"), QStringLiteral("姓名"), QStringLiteral("试卷数"), QStringLiteral("考试天数"),
                 QStringLiteral("同日连考两场"), QStringLiteral("同日考两场以上"), QStringLiteral("同日考三场以上")},
                2);
    row = 2;
    for (const StudentLoad& s : timetable.students) {
        students.setCell(row, 1, textCell(s.xh));
        students.setCell(row, 2, textCell(s.xm));
        students.setCell(row, 3, CellValue::fromNumber(s.papers));
        students.setCell(row, 4, CellValue::fromNumber(s.days));
        students.setCell(row, 5, flag(s.twoInARow));
        students.setCell(row, 6, flag(s.twoOnOneDay));
        students.setCell(row, 7, flag(s.threeOnOneDay));
        ++row;
    }
    students.fitColumnWidths();
    return book;
}

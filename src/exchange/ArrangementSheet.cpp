#include "ArrangementSheet.h"

#include "QuerySlot.h"
#include "Workbook.h"

const char* const arrangementStatement = "select * from hbkap";

const std::array<ExportColumn, 13> exportColumns{{
    {"学号", "xh", true},
    {"试卷序号", "sjxh", true},
    {"课程序号", "kcxh", true},
    {"课程代码", "kcdm", true},
    {"姓名", "xm", false},
    {"课程名称", "kcmc", false},
    {"授课教师", "skjs", true},
    {"开课院系", "kkyx", false},
    {"备注", "bz", true},
    {"缓补考", "hbk", false},
    {"考试时间", "kssj", true},
    {"场次", "cc", true},
    {"教室", "jsm", true},
}};

int writeArrangement(QuerySlot& result, Worksheet& sheet)
{
    const int n = result.RecordCount();
    int column = 1;
    for (const ExportColumn& c : exportColumns)
        sheet.setCell(1, column++, QString::fromUtf8(c.title));

    int row = 2;
    result.First();
    while (!result.Eof()) {
        column = 1;
        for (const ExportColumn& c : exportColumns) {
            if (c.asText)
                sheet.setNumberFormat(row, column, QStringLiteral("@ "));
            // An empty text empties the cell, as a spreadsheet does.
            const QString text = result.FieldByName(QString::fromLatin1(c.field)).AsString();
            sheet.setCell(row, column, text.isEmpty() ? CellValue() : CellValue::fromText(text));
            ++column;
        }
        ++row;
        result.Next();
    }

    // One row below the last data row is framed too, as the clerks' sheets
    // have always been.
    Range block = sheet.range(QStringLiteral("A2:f") + QString::number(n + 2));
    block.setFontName(QStringLiteral("宋体"));
    block.setBorderLineStyle(BorderLine::Continuous);
    return n;
}

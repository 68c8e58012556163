#include "ArrangementSheet.h"

#include "QuerySlot.h"
#include "Workbook.h"

#include <vector>

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
    for (size_t c = 0; c < exportColumns.size(); ++c)
        sheet.setCell(1, int(c) + 1, QString::fromUtf8(exportColumns[c].title));

    // Each column is looked up by name once, where the first row needs it;
    // a missing one fails there, with that row's cells before it written.
    std::vector<Field> fields;
    fields.reserve(exportColumns.size());
    const QString textFormat = QStringLiteral("@ ");
    int row = 2;
    result.First();
    while (!result.Eof()) {
        for (size_t c = 0; c < exportColumns.size(); ++c) {
            const int column = int(c) + 1;
            if (exportColumns[c].asText)
                sheet.setNumberFormat(row, column, textFormat);
            if (fields.size() == c)
                fields.push_back(result.FieldByName(QString::fromLatin1(exportColumns[c].field)));
            // An empty text empties the cell, as a spreadsheet does.
            const QString text = fields[c].AsString();
            sheet.setCell(row, column, text.isEmpty() ? CellValue() : CellValue::fromText(text));
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

#include "RosterSheet.h"

#include "CellText.h"
#include "KeyedRows.h"
#include "SlotSteps.h"
#include "Workbook.h"

#include <vector>

const std::array<RosterColumn, 10> rosterColumns{{
    {"sjxh", "试卷序号(可以不导入)"},
    {"kcxh", "课程序号"},
    {"xh", "学号"},
    {"xm", "姓名"},
    {"kcdm", "课程代码"},
    {"kcmc", "课程名称"},
    {"skjs", "任课教师"},
    {"kkyx", "院系"},
    {"bz", "备注"},
    {"hbk", "补考或者缓考"},
}};

const ReadBounds rosterBounds{int(rosterColumns.size()), 2, 2, 100000};

const char* const rosterStatement = "select sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk from t_bjgmd";

int countRosterRows(const Worksheet& sheet)
{
    int count = 0;
    while (!trimmedCell(sheet, count + 2, 2).isEmpty())
        ++count;
    return count;
}

int rowsLeftBelow(const Worksheet& sheet, int count)
{
    const int stop = count + 2;
    int rows = sheet.rowsPastKeyedEnd();
    int lastRow = 0;
    const CellValues values = sheet.values();
    for (auto cell = values.lower_bound({stop, 1}); cell != values.end(); ++cell) {
        const auto [pos, value] = *cell;
        if (pos.row != lastRow && pos.column <= int(rosterColumns.size()) && !trimBlanks(cellText(value)).isEmpty()) {
            lastRow = pos.row;
            ++rows;
        }
    }
    return rows;
}

int storeRosterRows(const Worksheet& sheet, int count, QuerySlot& roster, const RowProgress& progress)
{
    // After an export the slot shows hbkap, whose columns are in another
    // order; the roster statement makes the columns land where they belong.
    openOn(roster, rosterStatement);
    try {
        // Each roster column is looked up by name once.
        std::vector<Field> fields;
        for (const RosterColumn& c : rosterColumns)
            fields.push_back(roster.FieldByName(QString::fromLatin1(c.field)));
        for (int row = 2; row <= count + 1; ++row) {
            roster.Append();
            for (int c = 0; c < int(fields.size()); ++c)
                fields[size_t(c)].setAsString(trimmedCell(sheet, row, c + 1));
            roster.Post();
            if (!progress(row))
                return row - 1;
        }
    } catch (...) {
        // The failing row was appended to the result but never stored.
        openOn(roster, rosterStatement);
        throw;
    }
    return count;
}

void writeRosterTemplate(Worksheet& sheet)
{
    for (int c = 0; c < int(rosterColumns.size()); ++c)
        sheet.setCell(1, c + 1, QString::fromLatin1(rosterColumns[c].field));
    for (int c = 0; c < int(rosterColumns.size()); ++c)
        sheet.setCell(2, c + 1, QString::fromUtf8(rosterColumns[c].title));
}

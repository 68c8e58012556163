#include "ArrangementSheet.h"

#include "DbError.h"
#include "QuerySlot.h"
#include "StreamedWorkbook.h"

#include <optional>

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

namespace {

// One row below the last data row is framed too, as the clerks' sheets have
// always been.
constexpr int framedColumns = 6;

// Writes the rows as they come, with each cell's format chosen once per
// column: every data row lies within the framed block A2:F(n + 2).
class ArrangementWriter {
public:
    ArrangementWriter(QuerySlot& result, StreamedWorkbook& book) : result(result), book(book)
    {
        const CellStyle frame{{}, QStringLiteral("宋体"), BorderLine::Continuous};
        framed = book.format(frame);
        for (size_t c = 0; c < exportColumns.size(); ++c) {
            const QString number = exportColumns[c].asText ? QStringLiteral("@ ") : QString();
            const CellStyle own{number, {}, {}};
            cellFormat[c] = book.format(c < framedColumns ? CellStyle{number, frame.fontName, frame.border} : own);
            unframedFormat[c] = book.format(own);
        }
        for (size_t c = 0; c < exportColumns.size(); ++c)
            book.write(1, int(c) + 1, QString::fromUtf8(exportColumns[c].title), nullptr);
    }

    void add(const QStringList& fields, const QVariantList& values)
    {
        if (missing == notLookedUp)
            lookUp(fields);
        if (failed)
            return;
        ++row;
        for (size_t c = 0; c < exportColumns.size(); ++c) {
            // The block's font and borders come last, so a row that stops
            // short has none.
            if (int(c) == missing) {
                book.write(row, int(c) + 1, QString(), unframedFormat[c]);
                failed = true;
                return;
            }
            const QVariant& value = values[source[c]];
            book.write(row, int(c) + 1, value.isNull() ? QString() : value.toString(),
                       missing == none ? cellFormat[c] : unframedFormat[c]);
        }
    }

    // Frames the row below the last one, or throws for a missing column.
    int finish()
    {
        if (failed)
            throw DbError(QStringLiteral("%1: Field '%2' not found").arg(result.name(), QString::fromLatin1(exportColumns[missing].field)));
        for (int c = 1; c <= framedColumns; ++c)
            book.write(row + 1, c, QString(), framed);
        return row - 1;
    }

private:
    static constexpr int notLookedUp = -2;
    static constexpr int none = -1;

    void lookUp(const QStringList& fields)
    {
        missing = none;
        for (size_t c = 0; c < exportColumns.size(); ++c) {
            const QString name = QString::fromLatin1(exportColumns[c].field);
            source[c] = -1;
            for (int i = 0; i < fields.size() && source[c] < 0; ++i)
                if (fields[i].compare(name, Qt::CaseInsensitive) == 0)
                    source[c] = i;
            if (source[c] < 0 && missing == none)
                missing = int(c);
        }
    }

    QuerySlot& result;
    StreamedWorkbook& book;
    lxw_format* framed;
    std::array<lxw_format*, exportColumns.size()> cellFormat{};
    std::array<lxw_format*, exportColumns.size()> unframedFormat{};
    std::array<int, exportColumns.size()> source{};
    int missing = notLookedUp; // the first export column the result lacks
    bool failed = false;
    int row = 1;
};

}  // namespace

int writeArrangement(QuerySlot& result, const std::function<StreamedWorkbook&()>& addWorkbook)
{
    std::optional<ArrangementWriter> writer;
    result.Close();
    result.SQL.Clear();
    result.SQL.Add(arrangementStatement);
    result.Open([&](const QStringList& fields, const QVariantList& values) {
        if (!writer)
            writer.emplace(result, addWorkbook());
        writer->add(fields, values);
    });
    if (!writer)
        writer.emplace(result, addWorkbook());
    const int n = writer->finish();
    result.Last();
    return n;
}

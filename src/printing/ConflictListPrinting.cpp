#include "ConflictListPrinting.h"

#include "PageWriter.h"

#include <algorithm>

namespace {

const QString family = QStringLiteral("WenQuanYi Micro Hei");
const ReportFont titleFont{family, 14, true};
const ReportFont headFont{family, 9, true};
const ReportFont cellFont{family, 8, false};
const ReportFont smallFont{family, 7, false};

constexpr double pageWidth = 297, pageHeight = 210, margin = 12, padding = 0.8;
const QList<double> widths{30, 28, 16, 50, 149};

// Starts a page with the title, the summary and the column titles; returns
// where the first row goes.
double startPage(LaidOutReport& report, const QString& summary)
{
    PageWriter w(report.pages.emplaceBack());
    w.text(QRectF(margin, margin, pageWidth - 2 * margin, 9), QStringLiteral("考试冲突名单"), titleFont,
           Qt::AlignHCenter | Qt::AlignVCenter);
    w.text(QRectF(margin, margin + 10, pageWidth - 2 * margin, 6), summary, cellFont);
    const double top = margin + 17, height = 7;
    double x = margin;
    const QStringList titles = conflictColumns();
    for (int c = 0; c < titles.size(); ++c) {
        w.text(QRectF(x + 1, top, widths[c] - 2, height), titles[c], headFont);
        x += widths[c];
    }
    w.rule(margin, top, x, top, 0.4);
    w.rule(margin, top + height, x, top + height, 0.4);
    return top + height;
}

} // namespace

LaidOutReport layOutConflictList(const ConflictList& list)
{
    LaidOutReport report;
    report.pageLayout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF());
    const QString summary = conflictSummary(list);
    const double bottom = pageHeight - margin - 7;
    const double firstRow = startPage(report, summary);
    double y = firstRow;
    const double lineHeight = TextMeasure().lineHeight(cellFont);
    for (const ConflictStudent& student : list.students) {
        const ConflictRow row = conflictRow(student);
        const double wanted = double(std::max<qsizetype>(1, row.exams.size())) * lineHeight + 2 * padding;
        if (y + wanted > bottom + 0.01 && y > firstRow)
            y = startPage(report, summary);
        // A row longer than a page shows the exams that fit.
        const double height = std::min(bottom - y, wanted);
        PageWriter w(report.pages.last());
        double x = margin;
        for (int c = 0; c < row.cells.size(); ++c) {
            w.text(QRectF(x + 1, y + padding, widths[c] - 2, lineHeight), row.cells[c], cellFont);
            x += widths[c];
        }
        w.lines(QRectF(x + 1, y + padding, widths.last() - 2, height - 2 * padding), row.exams, cellFont);
        y += height;
        w.rule(margin, y, x + widths.last(), y, 0.1);
    }
    numberPages(report, QRectF(margin, pageHeight - margin - 5, pageWidth - 2 * margin, 5), smallFont);
    return report;
}

void printConflictList(const PrintSetup& setup, const ConflictList& list)
{
    printLaidOut(setup, [&] { return layOutConflictList(list); });
}

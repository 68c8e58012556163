#pragma once

#include "ReportLayout.h"
#include "TextMeasure.h"

#include <algorithm>

// Places text, rules and shades on a laid-out page, in millimetres; text is
// cut short with "…" where it would not fit its box.
class PageWriter {
public:
    explicit PageWriter(LaidOutPage& page) : page(page) { }

    void text(const QRectF& rect, const QString& s, const ReportFont& font, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
    {
        page.texts.append(PlacedText{rect, measure.elide(font, s, rect.width()), font, align});
    }
    void rule(double x1, double y1, double x2, double y2, double width = 0.2)
    {
        page.rules.append(PlacedRule{QLineF(x1, y1, x2, y2), width});
    }
    // A table cell: on one line where the text fits, else on two lines in
    // smaller type (a long course name), cut short only where even those
    // cannot take it.
    void cell(const QRectF& rect, const QString& s, const ReportFont& font, Qt::Alignment align)
    {
        if (measure.width(font, s) <= rect.width()) {
            page.texts.append(PlacedText{rect, s, font, align});
            return;
        }
        ReportFont smaller = font;
        smaller.pointSize = std::min(font.pointSize * 0.8, font.pointSize * rect.height() / (2 * measure.lineHeight(font)));
        QStringList two = measure.wrap(smaller, s, rect.width());
        if (two.size() > 2)
            two = {two[0], two.mid(1).join(QString())};
        const double h = measure.lineHeight(smaller);
        const Qt::Alignment across = align & Qt::AlignHorizontal_Mask;
        double y = rect.top() + (rect.height() - h * double(two.size())) / 2;
        for (const QString& line : two) {
            text(QRectF(rect.left(), y, rect.width(), h), line, smaller, across | Qt::AlignVCenter);
            y += h;
        }
    }
    // A line of dashes, to cut along.
    void cutRule(double x1, double y1, double x2, double y2, double width = 0.2)
    {
        page.dashedRules.append(PlacedRule{QLineF(x1, y1, x2, y2), width});
    }
    void box(const QRectF& rect, double width = 0.2)
    {
        rule(rect.left(), rect.top(), rect.right(), rect.top(), width);
        rule(rect.left(), rect.bottom(), rect.right(), rect.bottom(), width);
        rule(rect.left(), rect.top(), rect.left(), rect.bottom(), width);
        rule(rect.right(), rect.top(), rect.right(), rect.bottom(), width);
    }
    // Lines of text from the top of the rect, as many as fit.
    void lines(const QRectF& rect, const QStringList& list, const ReportFont& font)
    {
        const double h = measure.lineHeight(font);
        double y = rect.top();
        for (const QString& s : list) {
            if (y + h > rect.bottom() + 0.01)
                break;
            text(QRectF(rect.left(), y, rect.width(), h), s, font);
            y += h;
        }
    }

    LaidOutPage& page;
    TextMeasure measure;
};

// "第 i 页　共 n 页" at the right of `foot` on every page of the report.
inline void numberPages(LaidOutReport& report, const QRectF& foot, const ReportFont& font)
{
    for (int i = 0; i < report.pages.size(); ++i)
        PageWriter(report.pages[i]).text(foot, QStringLiteral("第 %1 页　共 %2 页").arg(i + 1).arg(report.pages.size()), font,
                                         Qt::AlignRight | Qt::AlignVCenter);
}

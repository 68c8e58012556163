#include "ReportLayout.h"

#include "Fonts.h"
#include "Placeholders.h"
#include "TextMeasure.h"

#include <QDate>
#include <algorithm>

namespace {

const QStringList builtInNames = {"page", "pages", "count", "date"};

// Spacing of the page, millimetres.
constexpr double cellPadX = 1.5;
constexpr double cellPadY = 1.0;
constexpr double gapAfterTitle = 2.0;
constexpr double gapBeforeTable = 2.0;
constexpr double gapBeforeSignatures = 4.0;
constexpr double gapBeforeFooter = 3.0;
constexpr double gapBetweenSegments = 4.0;
constexpr double outerRule = 0.4;
constexpr double innerRule = 0.15;
// A signature's label, then this gap, then the blank to write on: a rule
// this far above the line's foot, ending this far short of the segment.
constexpr double gapAfterLabel = 1.0;
constexpr double signatureRuleRaise = 0.8;
constexpr double signatureRuleShort = 6.0;
// Room either side of a segment's text, so rounding never clips a glyph.
constexpr double glyphRoom = 0.5;

// Line heights of header and signature lines, in lines of their type.
constexpr double headerLineSpacing = 1.5;
constexpr double signatureLineSpacing = 2.2;

// A value may be set up to this much smaller to stay whole on one line.
constexpr double leastScale = 0.8;

// A cell's lines and the type they are set in.
struct Cell {
    QStringList lines;
    ReportFont font;
};

// A text line of the report as set on the page: one row of segments side by
// side, or rows of one piece each.
using SetLine = QList<QStringList>;

QString cellText(const ReportColumn& column, const DataSet& data, int row)
{
    switch (column.source) {
    case ReportColumn::Source::RowNumber:
        return QString::number(row + 1);
    case ReportColumn::Source::Blank:
        return {};
    case ReportColumn::Source::Field:
        break;
    }
    return data.value(row, data.fieldIndex(column.field)).simplified();
}

class PageBuilder {
public:
    // sample gives the placeholders' values as wide as any page's, so the
    // lines the title, headers and footers take are settled for every page.
    PageBuilder(const Report& r, const std::function<QString(const QString&)>& sample) : report(r)
    {
        QSizeF paper = QPageSize(r.pageSize).size(QPageSize::Millimeter);
        if (r.orientation == QPageLayout::Landscape)
            paper.transpose();
        content = QRectF(QPointF(0, 0), paper).marginsRemoved(r.marginsMm);
        double total = 0;
        for (const ReportColumn& c : r.columns)
            total += c.widthMm;
        double x = content.left();
        edges << x;
        for (const ReportColumn& c : r.columns)
            edges << (x += c.widthMm * content.width() / total);
        if (!r.title.segments.isEmpty())
            titleRows = int(setLine(r.title, r.titleFont, sample).size());
        for (const TextLine& line : r.headers)
            headerRows += int(setLine(line, r.headerFont, sample).size());
        for (const TextLine& line : r.footers)
            footerRows += int(setLine(line, r.footerFont, sample).size());
    }

    double pageTop() const
    {
        double y = content.top();
        if (titleRows > 0)
            y += titleRows * measure.lineHeight(report.titleFont) + gapAfterTitle;
        return y + headerRows * headerLineHeight() + gapBeforeTable;
    }

    double pageBottom() const
    {
        return content.bottom() - signaturesHeight() - footersHeight();
    }

    QList<Cell> cells(const ReportFont& font, const QStringList& texts, const QList<bool>& wrap) const
    {
        QList<Cell> out;
        for (int i = 0; i < texts.size(); ++i)
            out << fit(font, texts[i], edges[i + 1] - edges[i] - 2 * cellPadX, wrap[i]);
        return out;
    }

    double height(const QList<Cell>& row) const
    {
        double text = 0;
        for (const Cell& c : row)
            text = std::max(text, c.lines.size() * measure.lineHeight(c.font));
        return std::max(report.rowHeightMm, text + 2 * cellPadY);
    }

    // Draws one row of cells from y down; returns the y below it.
    double drawRow(LaidOutPage& page, const QList<Cell>& row, double y, double h, bool heading) const
    {
        if (heading)
            page.shades << QRectF(edges.first(), y, edges.last() - edges.first(), h);
        for (int i = 0; i < row.size(); ++i) {
            const double lh = measure.lineHeight(row[i].font);
            // A row cut to the page's height keeps the lines that fit.
            const auto fitting = std::max<qsizetype>(1, qsizetype((h - 2 * cellPadY) / lh + 1e-6));
            const QStringList lines = row[i].lines.mid(0, fitting);
            const Qt::Alignment align = heading ? Qt::AlignHCenter : report.columns[i].alignment;
            double ly = y + (h - lines.size() * lh) / 2;
            for (const QString& text : lines) {
                page.texts << PlacedText{QRectF(edges[i] + cellPadX, ly, edges[i + 1] - edges[i] - 2 * cellPadX, lh),
                                         text, row[i].font, align | Qt::AlignVCenter};
                ly += lh;
            }
        }
        page.rules << PlacedRule{QLineF(edges.first(), y + h, edges.last(), y + h), heading ? outerRule : innerRule};
        return y + h;
    }

    void drawGrid(LaidOutPage& page, double top, double bottom) const
    {
        page.rules << PlacedRule{QLineF(edges.first(), top, edges.last(), top), outerRule};
        page.rules << PlacedRule{QLineF(edges.first(), bottom, edges.last(), bottom), outerRule};
        for (int i = 0; i < edges.size(); ++i) {
            const bool outer = i == 0 || i == edges.size() - 1;
            page.rules << PlacedRule{QLineF(edges[i], top, edges[i], bottom), outer ? outerRule : innerRule};
        }
    }

    void drawTitleAndHeaders(LaidOutPage& page, const std::function<QString(const QString&)>& value) const
    {
        double y = content.top();
        if (titleRows > 0) {
            const double lh = measure.lineHeight(report.titleFont);
            drawLine(page, setLine(report.title, report.titleFont, value), report.titleFont, Qt::AlignHCenter, y, lh);
            y += titleRows * lh + gapAfterTitle;
        }
        for (const TextLine& line : report.headers)
            y = drawLine(page, setLine(line, report.headerFont, value), report.headerFont, Qt::AlignLeft, y,
                         headerLineHeight());
    }

    // Each signature segment is its label followed by a ruled blank to write on.
    void drawSignatures(LaidOutPage& page, double y, const std::function<QString(const QString&)>& value) const
    {
        y += gapBeforeSignatures;
        const double h = signatureLineHeight();
        for (const TextLine& line : report.signatures) {
            const double w = content.width() / line.segments.size();
            for (int i = 0; i < line.segments.size(); ++i) {
                const QString label = expandPlaceholders(line.segments[i], value);
                const double x = content.left() + i * w;
                const double labelWidth = std::min(measure.width(report.headerFont, label), w);
                page.texts << PlacedText{QRectF(x, y, labelWidth + gapAfterLabel, h), label, report.headerFont,
                                         Qt::AlignLeft | Qt::AlignBottom};
                const double ruleY = y + h - signatureRuleRaise;
                page.rules << PlacedRule{
                    QLineF(x + labelWidth + gapAfterLabel, ruleY, x + w - signatureRuleShort, ruleY), innerRule};
            }
            y += h;
        }
    }

    void drawFooters(LaidOutPage& page, const std::function<QString(const QString&)>& value) const
    {
        const double lh = measure.lineHeight(report.footerFont);
        double y = content.bottom() - footerRows * lh;
        for (const TextLine& line : report.footers)
            y = drawLine(page, setLine(line, report.footerFont, value), report.footerFont, Qt::AlignLeft, y, lh);
    }

private:
    double headerLineHeight() const { return measure.lineHeight(report.headerFont) * headerLineSpacing; }
    double signatureLineHeight() const { return measure.lineHeight(report.headerFont) * signatureLineSpacing; }

    double signaturesHeight() const
    {
        return report.signatures.isEmpty() ? 0 : gapBeforeSignatures + report.signatures.size() * signatureLineHeight();
    }

    double footersHeight() const
    {
        return footerRows == 0 ? 0 : gapBeforeFooter + footerRows * measure.lineHeight(report.footerFont);
    }

    // The value set whole: on one line, a little smaller if it must be;
    // otherwise wrapped onto more lines (or, where the column asks for one
    // line, cut short with an ellipsis).
    Cell fit(const ReportFont& font, const QString& text, double width, bool wrap) const
    {
        const double full = measure.width(font, text);
        if (full <= width)
            return {{text}, font};
        ReportFont smaller = font;
        for (double scale = 0.99 * width / full; scale >= leastScale; scale -= 0.02) {
            smaller.pointSize = font.pointSize * scale;
            if (measure.width(smaller, text) <= width)
                return {{text}, smaller};
        }
        if (!wrap) {
            smaller.pointSize = font.pointSize * leastScale;
            return {{measure.elide(smaller, text, width)}, smaller};
        }
        return {measure.wrap(font, text, width), font};
    }

    // Where the segments of a row stand: the first from the left margin, the
    // last up to the right one, the others centred in equal shares of the
    // width. A single segment stands across the whole width.
    QList<QRectF> spans(const QStringList& texts, const ReportFont& font, double y, double h) const
    {
        const qsizetype n = texts.size();
        if (n == 1)
            return {QRectF(content.left(), y, content.width(), h)};
        const double share = content.width() / n;
        QList<QRectF> out;
        for (qsizetype i = 0; i < n; ++i) {
            const double w = measure.width(font, texts[i]);
            const double left = i == 0       ? content.left()
                                : i == n - 1 ? content.right() - w
                                             : content.left() + (i + 0.5) * share - w / 2;
            out << QRectF(left, y, w, h);
        }
        return out;
    }

    // Segments stand side by side when they keep clear of each other and of
    // the margins. When they do not, every segment that has text goes onto
    // lines of its own across the width.
    SetLine setLine(const TextLine& line, const ReportFont& font,
                    const std::function<QString(const QString&)>& value) const
    {
        QStringList texts;
        for (const QString& segment : line.segments)
            texts << expandPlaceholders(segment, value);
        const QList<QRectF> at = spans(texts, font, 0, 0);
        bool fits = true;
        double end = content.left() - gapBetweenSegments;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            if (texts[i].isEmpty())
                continue;
            const double width = texts.size() == 1 ? measure.width(font, texts[i]) : at[i].width();
            fits = fits && at[i].left() >= end + gapBetweenSegments && at[i].left() + width <= content.right() + 1e-6;
            end = at[i].left() + width;
        }
        if (fits)
            return {texts};
        SetLine rows;
        for (const QString& text : texts)
            if (!text.trimmed().isEmpty())
                for (const QString& piece : measure.wrap(font, text.trimmed(), content.width()))
                    rows << QStringList{piece};
        return rows;
    }

    // Draws the rows of a set line from y down, each h high; a row of one
    // piece takes the given alignment. Returns the y below it.
    double drawLine(LaidOutPage& page, const SetLine& rows, const ReportFont& font, Qt::Alignment single, double y,
                    double h) const
    {
        for (const QStringList& row : rows) {
            const qsizetype n = row.size();
            const QList<QRectF> at = spans(row, font, y, h);
            for (qsizetype i = 0; i < n; ++i) {
                const Qt::Alignment align = n == 1 ? single
                                            : i == 0 ? Qt::AlignLeft
                                            : i == n - 1 ? Qt::AlignRight
                                                         : Qt::AlignHCenter;
                page.texts << PlacedText{n == 1 ? at[i] : at[i].adjusted(-glyphRoom, 0, glyphRoom, 0), row[i], font,
                                         align | Qt::AlignVCenter};
            }
            y += h;
        }
        return y;
    }

    const Report& report;
    TextMeasure measure;
    QRectF content;
    QList<double> edges;
    int titleRows = 0;
    int headerRows = 0;
    int footerRows = 0;
};

struct PageRows {
    int first = 0;
    int count = 0;
};

} // namespace

QFont makeFont(const ReportFont& font)
{
    QFont qfont = fontWithFallback(font.family, font.pointSize);
    qfont.setBold(font.bold);
    // Unhinted outlines measure the same at every resolution.
    qfont.setHintingPreference(QFont::PreferNoHinting);
    return qfont;
}

QString checkFields(const Report& report, const DataSet& data)
{
    const auto missing = [&](const QString& name, int line) {
        return QStringLiteral("Report \"%1\", line %2: the field \"%3\" is not in the data set (its fields: %4)")
            .arg(report.name).arg(line).arg(name, data.fields.join(", "));
    };
    const auto known = [&](const QString& name) {
        return builtInNames.contains(name, Qt::CaseInsensitive) || data.fieldIndex(name) >= 0;
    };
    for (const ReportColumn& c : report.columns)
        if (c.source == ReportColumn::Source::Field && data.fieldIndex(c.field) < 0)
            return missing(c.field, c.line);
    QList<TextLine> texts = report.headers + report.signatures + report.footers;
    texts << report.title;
    for (const TextLine& t : texts)
        for (const QString& segment : t.segments) {
            QString ignored;
            for (const QString& name : placeholderNames(segment, &ignored))
                if (!known(name))
                    return missing(name, t.line);
        }
    return {};
}

std::optional<LaidOutReport> layOutReport(const Report& report, const DataSet& data,
                                          const ReportProgress& progress, QString* error)
{
    *error = checkFields(report, data);
    if (!error->isEmpty())
        return std::nullopt;

    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    // The placeholders' values on page `page` of `pages`.
    const auto values = [&](const QString& page, const QString& pages) {
        return [&, page, pages](const QString& name) -> QString {
            const QString key = name.toLower();
            if (key == "page")
                return page;
            if (key == "pages")
                return pages;
            if (key == "count")
                return QString::number(data.rows.size());
            if (key == "date")
                return today;
            return data.rows.isEmpty() ? QString() : data.value(0, data.fieldIndex(name));
        };
    };
    // There are never more pages than rows and one, so that number is as wide as any page number.
    const QString widest = QString::number(data.rows.size() + 1);
    const PageBuilder builder(report, values(widest, widest));
    QStringList titles;
    QList<bool> wrapTitles, wrap;
    for (const ReportColumn& c : report.columns) {
        titles << c.title;
        wrapTitles << true;
        wrap << c.wrap;
    }
    const QList<Cell> heading = builder.cells(report.headingFont, titles, wrapTitles);
    const double headingHeight = builder.height(heading);
    const double tableTop = builder.pageTop();
    const double room = builder.pageBottom() - tableTop - headingHeight;

    QList<QList<Cell>> rows;
    QList<double> heights;
    for (int r = 0; r < data.rows.size(); ++r) {
        QStringList texts;
        for (const ReportColumn& c : report.columns)
            texts << cellText(c, data, r);
        rows << builder.cells(report.bodyFont, texts, wrap);
        heights << std::min(builder.height(rows.last()), room);
    }

    QList<PageRows> split{PageRows{}};
    double used = 0;
    for (int r = 0; r < rows.size(); ++r) {
        if (used + heights[r] > room + 1e-6 && split.last().count > 0) {
            if (progress && !progress(ReportPhase::Generating, int(split.size())))
                return std::nullopt;
            split << PageRows{r, 0};
            used = 0;
        }
        used += heights[r];
        ++split.last().count;
    }
    if (progress && !progress(ReportPhase::Generating, int(split.size())))
        return std::nullopt;

    LaidOutReport out;
    out.pageLayout = QPageLayout(QPageSize(report.pageSize), report.orientation, report.marginsMm,
                                 QPageLayout::Millimeter);
    const QString pages = QString::number(split.size());
    for (int p = 0; p < split.size(); ++p) {
        const auto value = values(QString::number(p + 1), pages);
        LaidOutPage page;
        builder.drawTitleAndHeaders(page, value);
        double y = builder.drawRow(page, heading, tableTop, headingHeight, true);
        for (int r = split[p].first; r < split[p].first + split[p].count; ++r)
            y = builder.drawRow(page, rows[r], y, heights[r], false);
        builder.drawGrid(page, tableTop, y);
        builder.drawSignatures(page, y, value);
        builder.drawFooters(page, value);
        out.pages << page;
    }
    return out;
}

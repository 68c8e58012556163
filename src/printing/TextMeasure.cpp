#include "TextMeasure.h"

#include "ReportLayout.h"

#include <QFontMetricsF>
#include <QRegularExpression>
#include <QTextLayout>

namespace {

constexpr double dotsPerMeter = 1200 / 0.0254;
constexpr double mmPerDot = 25.4 / 1200;

} // namespace

TextMeasure::TextMeasure() : device(4, 4, QImage::Format_RGB32)
{
    device.setDotsPerMeterX(int(dotsPerMeter));
    device.setDotsPerMeterY(int(dotsPerMeter));
}

const QFontMetricsF& TextMeasure::metrics(const ReportFont& font) const
{
    for (const auto& [knownFont, metrics] : known)
        if (knownFont == font)
            return metrics;
    return known.emplace_back(font, QFontMetricsF(makeFont(font), &device)).second;
}

double TextMeasure::lineHeight(const ReportFont& font) const
{
    return metrics(font).lineSpacing() * mmPerDot;
}

double TextMeasure::width(const ReportFont& font, const QString& text) const
{
    return metrics(font).horizontalAdvance(text) * mmPerDot;
}

QStringList TextMeasure::wrap(const ReportFont& font, const QString& text, double widthMm) const
{
    // A list (two teachers, "武桂,袁涛辉") breaks after its separators before
    // it breaks inside a name.
    static const QRegularExpression afterSeparator(QStringLiteral("(?<=[,，、;；/])"));
    QStringList lines;
    QString line;
    for (const QString& part : text.split(afterSeparator, Qt::SkipEmptyParts)) {
        if (width(font, line + part) <= widthMm) {
            line += part;
            continue;
        }
        if (!line.isEmpty())
            lines << line.trimmed();
        QStringList pieces = wrapAnywhere(font, part, widthMm);
        line = pieces.takeLast();
        lines += pieces;
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line.trimmed();
    return lines;
}

QStringList TextMeasure::wrapAnywhere(const ReportFont& font, const QString& text, double widthMm) const
{
    QTextLayout layout(text, makeFont(font), &device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(widthMm / mmPerDot);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines.isEmpty() ? QStringList{QString()} : lines;
}

QString TextMeasure::elide(const ReportFont& font, const QString& text, double widthMm) const
{
    return metrics(font).elidedText(text, Qt::ElideRight, widthMm / mmPerDot);
}

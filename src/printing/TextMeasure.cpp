#include "TextMeasure.h"

#include "ReportLayout.h"

#include <QFontMetricsF>
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

double TextMeasure::lineHeight(const ReportFont& font) const
{
    return QFontMetricsF(makeFont(font), &device).lineSpacing() * mmPerDot;
}

double TextMeasure::width(const ReportFont& font, const QString& text) const
{
    return QFontMetricsF(makeFont(font), &device).horizontalAdvance(text) * mmPerDot;
}

QStringList TextMeasure::wrap(const ReportFont& font, const QString& text, double widthMm) const
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
    return QFontMetricsF(makeFont(font), &device).elidedText(text, Qt::ElideRight, widthMm / mmPerDot);
}

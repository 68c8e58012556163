#pragma once

#include "Report.h"

#include <QFontMetricsF>
#include <QImage>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// Measures text in millimetres at a fixed 1200 dpi, whatever the output
// device, so a report breaks into the same pages on screen, paper and PDF.
class TextMeasure {
public:
    TextMeasure();

    double lineHeight(const ReportFont& font) const;
    double width(const ReportFont& font, const QString& text) const;
    // The text broken into lines no wider than widthMm: after list separators
    // (",", "，", "、", ";", "；", "/") first, then at word boundaries where
    // there are any (Chinese breaks between any two characters).
    QStringList wrap(const ReportFont& font, const QString& text, double widthMm) const;
    // The text on one line, ending in "…" when it had to be cut short.
    QString elide(const ReportFont& font, const QString& text, double widthMm) const;

private:
    QStringList wrapAnywhere(const ReportFont& font, const QString& text, double widthMm) const;
    // The metrics of the font, made once: a page measures hundreds of texts in a few fonts.
    const QFontMetricsF& metrics(const ReportFont& font) const;

    QImage device;
    mutable std::vector<std::pair<ReportFont, QFontMetricsF>> known;
};

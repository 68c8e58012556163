#pragma once

#include "Report.h"

#include <QImage>
#include <QString>
#include <QStringList>

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

    QImage device;
};

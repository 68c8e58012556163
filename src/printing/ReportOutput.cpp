#include "ReportOutput.h"

#include <QFile>
#include <QPainter>
#include <optional>

namespace {

// Dashes and gaps of a cut line, in millimetres.
constexpr double dashMm = 2;

void paintRules(QPainter& painter, const QList<PlacedRule>& rules, double dotsPerMm, bool dashed)
{
    double penWidth = -1;
    for (const PlacedRule& rule : rules) {
        // A pen is set only where the width changes: a page holds hundreds of rules.
        if (rule.width != penWidth) {
            penWidth = rule.width;
            QPen pen(Qt::black, rule.width * dotsPerMm, Qt::SolidLine, dashed ? Qt::FlatCap : Qt::SquareCap);
            if (dashed)
                pen.setDashPattern({dashMm / rule.width, dashMm / rule.width});
            painter.setPen(pen);
        }
        painter.drawLine(QLineF(rule.line.p1() * dotsPerMm, rule.line.p2() * dotsPerMm));
    }
}

void paintContent(QPainter& painter, const LaidOutPage& page, double dotsPerMm)
{
    const auto toDevice = [&](const QRectF& r) {
        return QRectF(r.x() * dotsPerMm, r.y() * dotsPerMm, r.width() * dotsPerMm, r.height() * dotsPerMm);
    };
    for (const QRectF& shade : page.shades)
        painter.fillRect(toDevice(shade), QColor(232, 232, 232));
    paintRules(painter, page.rules, dotsPerMm, false);
    paintRules(painter, page.dashedRules, dotsPerMm, true);
    painter.setPen(Qt::black);
    std::optional<ReportFont> font;
    for (const PlacedText& text : page.texts) {
        if (!font || !(*font == text.font)) {
            font = text.font;
            painter.setFont(makeFont(text.font));
        }
        painter.drawText(toDevice(text.rect), int(text.alignment) | Qt::TextSingleLine, text.text);
    }
}

void paintPage(QPainter& painter, const LaidOutPage& page, double dotsPerMm)
{
    paintContent(painter, page, dotsPerMm);
    if (page.drawLater) {
        LaidOutPage drawn;
        page.drawLater(drawn);
        paintContent(painter, drawn, dotsPerMm);
    }
}

} // namespace

void configurePrinter(QPrinter& printer, const LaidOutReport& report, const OutputOptions& options,
                      const QString& jobTitle)
{
    if (options.destination == OutputOptions::Destination::PdfFile) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(options.pdfPath);
    } else if (!options.printerName.isEmpty()) {
        printer.setPrinterName(options.printerName);
    }
    printer.setPageLayout(report.pageLayout);
    // The layout places everything from the paper's corner itself (after the
    // page layout, which would bring the margins back).
    printer.setFullPage(true);
    printer.setDocName(jobTitle);
    printer.setCreator(QStringLiteral("paikao"));
    printer.setCopyCount(options.copies);
    printer.setCollateCopies(options.collate);
    printer.setDuplex(options.duplex);
}

PaintResult paintReport(const LaidOutReport& report, QPrinter& printer, const ReportProgress& progress)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return PaintResult::CannotOpen;
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    const qsizetype pages = report.pages.size();
    const bool collate = printer.collateCopies();
    const double dotsPerMm = printer.resolution() / 25.4;
    for (qsizetype i = 0; i < copies * pages; ++i) {
        // Collated: 1 2 3 1 2 3; not collated: 1 1 2 2 3 3.
        const qsizetype page = collate ? i % pages : i / copies;
        if (i > 0)
            printer.newPage();
        if (progress && !progress(ReportPhase::Printing, int(page + 1))) {
            printer.abort();
            painter.end();
            if (printer.outputFormat() == QPrinter::PdfFormat)
                QFile::remove(printer.outputFileName());
            progress(ReportPhase::Finished, int(page));
            return PaintResult::Cancelled;
        }
        paintPage(painter, report.pages[page], dotsPerMm);
    }
    painter.end();
    if (progress)
        progress(ReportPhase::Finished, int(pages));
    return PaintResult::Painted;
}

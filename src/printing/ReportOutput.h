#pragma once

#include "ReportLayout.h"

#include <QPrinter>
#include <QString>

// Where a report goes and how, as the setup dialog or a caller chooses it.
struct OutputOptions {
    enum class Destination { Preview, Printer, PdfFile };

    Destination destination = Destination::Preview;
    QString pdfPath;      // for PdfFile
    QString printerName;  // empty: the system's default printer
    int copies = 1;
    bool collate = true;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    // How the preview opens: zoom in percent and the page shown first.
    int previewZoomPercent = 100;
    int previewFirstPage = 1;
};

// Sets page, copies, duplex, printer or file, and the job title on a printer.
void configurePrinter(QPrinter& printer, const LaidOutReport& report, const OutputOptions& options,
                      const QString& jobTitle);

enum class PaintResult { Painted, Cancelled, CannotOpen };

// Paints every page on the printer, repeating the pages for the copies the
// device cannot make itself (a PDF file), collated or not as the printer is
// set. Stops when progress answers false: a printer's job is aborted, a PDF
// file removed.
PaintResult paintReport(const LaidOutReport& report, QPrinter& printer, const ReportProgress& progress);

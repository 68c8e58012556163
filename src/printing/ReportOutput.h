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
};

// Sets page, copies, duplex, printer or file, and the job title on a printer.
void configurePrinter(QPrinter& printer, const LaidOutReport& report, const OutputOptions& options,
                      const QString& jobTitle);

// Paints every page on the printer, repeating the pages for the copies the
// device cannot make itself (a PDF file), collated or not as the printer is
// set. Returns false when the device cannot be opened (an unwritable file).
bool paintReport(const LaidOutReport& report, QPrinter& printer, const ReportProgress& progress);

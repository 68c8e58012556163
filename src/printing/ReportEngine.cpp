#include "ReportEngine.h"

#include "ReportDialogs.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>

ReportEngine::ReportEngine(ReportSettings settings) : config(std::move(settings)) {}

QString ReportEngine::execute(const Report& report, const DataSet& data, QWidget* parent) const
{
    OutputOptions options;
    options.destination = config.defaultDestination;
    if (config.showSetupDialog) {
        OutputOptionsDialog dialog(options, config.setupTitle, parent);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        options = dialog.options();
    }
    if (!config.showStatus)
        return run(report, data, options, {}, parent);
    ReportStatusWindow status(config.statusTitle, parent);
    return run(report, data, options,
               [&](ReportPhase phase, int page) { status.showLine(statusText(config, phase, page)); }, parent);
}

QString ReportEngine::run(const Report& report, const DataSet& data, const OutputOptions& options,
                          const ReportProgress& progress, QWidget* parent) const
{
    QString error;
    const auto pages = layOutReport(report, data, progress, &error);
    if (!pages)
        return error;
    if (options.destination == OutputOptions::Destination::Preview)
        return preview(*pages, options, progress, parent);

    const bool toFile = options.destination == OutputOptions::Destination::PdfFile;
    if (toFile && options.pdfPath.trimmed().isEmpty())
        return QStringLiteral("No file name was given for the PDF file.");
    QPrinter printer(QPrinter::HighResolution);
    configurePrinter(printer, *pages, options, config.jobTitle);
    if (!toFile && (printer.outputFormat() != QPrinter::NativeFormat || !printer.isValid()))
        return QStringLiteral("There is no printer to print on.");
    if (!paintReport(*pages, printer, progress))
        return toFile ? QStringLiteral("The PDF file cannot be written:\n\"%1\"").arg(options.pdfPath)
                      : QStringLiteral("The printer \"%1\" cannot be opened.").arg(printer.printerName());
    return {};
}

QString ReportEngine::preview(const LaidOutReport& pages, const OutputOptions& options,
                              const ReportProgress& progress, QWidget* parent) const
{
    QPrinter printer(QPrinter::HighResolution);
    configurePrinter(printer, pages, options, config.jobTitle);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(config.previewTitle);
    bool painted = true;
    // The same handler draws the preview and, when the user prints from it, the paper.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { painted = paintReport(pages, *target, progress) && painted; });
    if (auto* view = dialog.findChild<QPrintPreviewWidget*>()) {
        view->setZoomMode(QPrintPreviewWidget::CustomZoom);
        view->setZoomFactor(config.previewZoomPercent / 100.0);
    }
    if (config.previewMaximized)
        dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.exec();
    return painted ? QString() : QStringLiteral("The report could not be printed from the preview.");
}

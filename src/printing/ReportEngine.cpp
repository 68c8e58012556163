#include "ReportEngine.h"

#include "ReportDialogs.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>

namespace {

PageMaker oneReport(const Report& report, const DataSet& data)
{
    return [&report, &data](const ReportProgress& progress, QString* error) {
        return layOutReport(report, data, progress, error);
    };
}

} // namespace

ReportEngine::ReportEngine(ReportSettings settings) : config(std::move(settings)) {}

QString ReportEngine::execute(const Report& report, const DataSet& data, QWidget* parent) const
{
    return execute(oneReport(report, data), parent);
}

QString ReportEngine::execute(const PageMaker& pages, QWidget* parent, OutputOptions* chosen) const
{
    OutputOptions options;
    options.destination = config.defaultDestination;
    options.previewZoomPercent = config.previewZoomPercent;
    if (config.showSetupDialog) {
        OutputOptionsDialog dialog(options, config.setupTitle, parent);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        options = dialog.options();
    }
    if (chosen)
        *chosen = options;
    if (!config.showStatus)
        return run(pages, options, {}, parent);
    ReportStatusWindow status(config.statusTitle, parent);
    return run(pages, options,
               [&](ReportPhase phase, int page) { return status.showLine(statusText(config, phase, page)); },
               parent);
}

QString ReportEngine::run(const Report& report, const DataSet& data, const OutputOptions& options,
                          const ReportProgress& progress, QWidget* parent) const
{
    return run(oneReport(report, data), options, progress, parent);
}

QString ReportEngine::run(const PageMaker& make, const OutputOptions& options, const ReportProgress& progress,
                          QWidget* parent) const
{
    const bool toFile = options.destination == OutputOptions::Destination::PdfFile;
    if (toFile && options.pdfPath.trimmed().isEmpty())
        return QStringLiteral("No file name was given for the PDF file.");
    QString error;
    const auto pages = make(progress, &error);
    if (!pages) {
        // Stopped while generating: the status display can go.
        if (error.isEmpty() && progress)
            progress(ReportPhase::Finished, 0);
        return error;
    }
    if (options.destination == OutputOptions::Destination::Preview)
        return preview(*pages, options, progress, parent);

    QPrinter printer(QPrinter::HighResolution);
    configurePrinter(printer, *pages, options, config.jobTitle);
    if (!toFile && (printer.outputFormat() != QPrinter::NativeFormat || !printer.isValid()))
        return QStringLiteral("There is no printer to print on.");
    if (paintReport(*pages, printer, progress) == PaintResult::CannotOpen)
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
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        painted = paintReport(pages, *target, progress) != PaintResult::CannotOpen && painted;
    });
    // The pages exist only once the preview has drawn them; the flag lives as
    // long as the dialog that is told of each drawing.
    bool turned = false;
    if (auto* view = dialog.findChild<QPrintPreviewWidget*>()) {
        view->setZoomMode(QPrintPreviewWidget::CustomZoom);
        view->setZoomFactor(options.previewZoomPercent / 100.0);
        QObject::connect(view, &QPrintPreviewWidget::previewChanged, &dialog, [view, &options, &turned] {
            if (!turned && view->pageCount() > 0) {
                turned = true;
                view->setCurrentPage(std::clamp(options.previewFirstPage, 1, view->pageCount()));
            }
        });
    }
    if (config.previewMaximized)
        dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.exec();
    return painted ? QString() : QStringLiteral("The report could not be printed from the preview.");
}

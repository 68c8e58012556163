#pragma once

#include "DataSet.h"
#include "Report.h"
#include "ReportLayout.h"
#include "ReportOutput.h"
#include "ReportSettings.h"

#include <QString>

class QWidget;

// Makes the pages of a job, telling progress of each page it lays out:
// nullopt with *error set on a problem, with *error empty when progress
// stopped it (cancelled).
using PageMaker = std::function<std::optional<LaidOutReport>(const ReportProgress& progress, QString* error)>;

// Runs a report over a data set to the preview, a printer or a PDF file.
// Errors come back as text (empty when the report ran or the user cancelled);
// nothing is thrown.
class ReportEngine {
public:
    explicit ReportEngine(ReportSettings settings = {});

    const ReportSettings& settings() const { return config; }

    // What the print button does: the setup dialog (when the settings ask for
    // it), the status window with its cancel button, then the chosen output.
    // `chosen` (may be null) receives the output the job went to.
    QString execute(const Report& report, const DataSet& data, QWidget* parent = nullptr) const;
    QString execute(const PageMaker& pages, QWidget* parent = nullptr, OutputOptions* chosen = nullptr) const;

    // Output with the options already chosen, no setup dialog. A preview is
    // the modal preview window, from which the user may print; PDF file and
    // printer need no interaction. progress (may be empty) hears each page.
    QString run(const Report& report, const DataSet& data, const OutputOptions& options,
                const ReportProgress& progress = {}, QWidget* parent = nullptr) const;
    QString run(const PageMaker& pages, const OutputOptions& options, const ReportProgress& progress = {},
                QWidget* parent = nullptr) const;

private:
    QString preview(const LaidOutReport& pages, const OutputOptions& options,
                    const ReportProgress& progress, QWidget* parent) const;

    ReportSettings config;
};

#pragma once

#include "ReportLayout.h"
#include "ReportOutput.h"

#include <QString>

// How the report system behaves around a report: which dialogs it shows and
// their texts. The defaults are the ones the printing window runs with.
struct ReportSettings {
    OutputOptions::Destination defaultDestination = OutputOptions::Destination::Preview;
    bool showSetupDialog = true;
    bool showStatus = true;
    QString setupTitle = QStringLiteral("Output Options");
    QString statusTitle = QStringLiteral("Report Status");
    QString generatingText = QStringLiteral("Generating page %p");
    QString printingText = QStringLiteral("Printing page %p");
    QString previewTitle = QStringLiteral("Report Preview");
    bool previewMaximized = true;
    int previewZoomPercent = 100;
    QString jobTitle = QStringLiteral("ReportPrinter Report");
};

// The status line for a phase, %p replaced by the page number; empty for Finished.
QString statusText(const ReportSettings& settings, ReportPhase phase, int page);

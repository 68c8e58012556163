#include "ReportSettings.h"

QString statusText(const ReportSettings& settings, ReportPhase phase, int page)
{
    switch (phase) {
    case ReportPhase::Generating:
        return QString(settings.generatingText).replace("%p", QString::number(page));
    case ReportPhase::Printing:
        return QString(settings.printingText).replace("%p", QString::number(page));
    case ReportPhase::Finished:
        break;
    }
    return {};
}

#pragma once

#include "DataSet.h"
#include "Report.h"

#include <QFont>
#include <QLineF>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <functional>
#include <optional>

// A report laid out into pages of text boxes, rules and shaded boxes, all in
// millimetres from the paper's top-left corner, ready to paint on any device.

struct PlacedText {
    QRectF rect;
    QString text;  // one line; the layout has already wrapped or shortened it
    ReportFont font;
    Qt::Alignment alignment;
};

struct PlacedRule {
    QLineF line;
    double width;
};

struct LaidOutPage {
    QList<QRectF> shades;
    QList<PlacedRule> rules;
    QList<PlacedRule> dashedRules; // cut lines
    QList<PlacedText> texts;
    // What is drawn on the page only as it is painted, over what it holds:
    // a job of thousands of pages keeps what makes each, not its content.
    std::function<void(LaidOutPage& page)> drawLater;
};

struct LaidOutReport {
    QPageLayout pageLayout;
    QList<LaidOutPage> pages;
};

// Generating: page N has been laid out. Printing: page N is being painted.
// Finished: a pass of painting N pages is over (a status display can go).
// The listener answers false to stop the job (the user cancelled).
enum class ReportPhase { Generating, Printing, Finished };
using ReportProgress = std::function<bool(ReportPhase phase, int page)>;

// The QFont for a report font, the same on screen, paper and PDF.
QFont makeFont(const ReportFont& font);

// An empty text when every field the report names (columns and {placeholders})
// is in the data set or is one of page, pages, count, date; otherwise the
// problem, naming the report, the line of the project and the field.
QString checkFields(const Report& report, const DataSet& data);

// Lays the rows out in pages: title, header lines and column headings on
// every page, rows in a ruled table, signature lines under the table and the
// footer at the foot of every page. Every value is set whole: a cell's text
// stays on one line in slightly smaller type or wraps; header and footer
// segments that do not fit side by side take lines of their own. Fails with
// checkFields' message, or with no message when progress stopped it.
std::optional<LaidOutReport> layOutReport(const Report& report, const DataSet& data,
                                          const ReportProgress& progress, QString* error);

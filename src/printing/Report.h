#pragma once

#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>

// The layout of one report as the project file describes it. Sizes are millimetres.

struct ReportFont {
    QString family;
    double pointSize = 10;
    bool bold = false;

    bool operator==(const ReportFont&) const = default;
};

// A line of text in segments spread across the width: the first is aligned
// left, the last right, the ones between centred. Segments may hold
// placeholders such as {kssj} or {page}.
struct TextLine {
    QStringList segments;
    int line = 0;  // where the project file defines it, for messages
};

struct ReportColumn {
    enum class Source { Field, RowNumber, Blank };

    QString title;
    double widthMm = 0;
    Source source = Source::Field;
    QString field;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool wrap = true;  // otherwise the text is cut short with an ellipsis
    int line = 0;
};

struct Report {
    QString name;
    int line = 0;
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm{15, 15, 15, 15};
    ReportFont bodyFont, titleFont, headerFont, headingFont, footerFont;
    double rowHeightMm = 7;
    TextLine title;
    QList<TextLine> headers;
    QList<ReportColumn> columns;
    QList<TextLine> signatures;
    QList<TextLine> footers;
};

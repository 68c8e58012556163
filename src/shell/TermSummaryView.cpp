#include "TermSummaryView.h"

#include "overview/TermSummary.h"

TermSummaryView::TermSummaryView(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("termSummary"));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMargin(24);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont larger = font();
    larger.setPointSizeF(larger.pointSizeF() * 1.3);
    setFont(larger);
}

void TermSummaryView::refresh(DataModule& dm)
{
    setText(readTermSummary(dm).text());
}

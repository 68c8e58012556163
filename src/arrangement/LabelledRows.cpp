#include "LabelledRows.h"

#include <QGridLayout>
#include <QWidget>

void labelledRows(QWidget* group, const QList<QPair<QWidget*, QWidget*>>& rows, QWidget* button)
{
    auto* grid = new QGridLayout(group);
    for (int row = 0; row < rows.size(); ++row) {
        grid->addWidget(rows[row].first, row, 0);
        grid->addWidget(rows[row].second, row, 1);
    }
    grid->addWidget(button, int(rows.size()), 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
}

#pragma once

#include <QAbstractItemView>
#include <QLabel>
#include <QList>
#include <QStringList>

// What a grid shows, one string per row, the cells joined with '|': the
// given columns (by position, in that order), or every column when none.
inline QStringList gridRows(const QAbstractItemView* grid, const QList<int>& columns = {})
{
    const QAbstractItemModel* model = grid->model();
    QList<int> shown = columns;
    if (shown.isEmpty())
        for (int column = 0; column < model->columnCount(); ++column)
            shown.append(column);
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column : shown)
            cells.append(model->index(row, column).data().toString());
        rows.append(cells.join(u'|'));
    }
    return rows;
}

// The text an empty list shows in its middle, empty while none is shown.
inline QString shownEmptyText(const QAbstractItemView* grid)
{
    const auto* label = grid->viewport()->findChild<QLabel*>(QStringLiteral("emptyListText"));
    return label && label->isVisibleTo(grid) ? label->text() : QString();
}

#include "DBGrid.h"

#include "DataModule.h"

#include <QHeaderView>

class DBGrid::Model : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    QuerySlot* slot = nullptr;
    QList<Column> columns;

    void attach(QuerySlot* s)
    {
        if (slot)
            QObject::disconnect(slot, nullptr, this, nullptr);
        slot = s;
        connect(slot, &QuerySlot::resultChanged, this, [this] { reset(); });
        connect(slot, &QuerySlot::rowChanged, this, [this](int row) {
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
        });
        reset();
    }

    void reset()
    {
        beginResetModel();
        endResetModel();
    }

    QString fieldAt(int column) const
    {
        if (!columns.isEmpty())
            return columns.value(column).fieldName;
        return slot ? slot->fieldNames().value(column) : QString();
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || !slot ? 0 : slot->RecordCount();
    }

    int columnCount(const QModelIndex& parent = {}) const override
    {
        if (parent.isValid())
            return 0;
        if (!columns.isEmpty())
            return int(columns.size());
        return slot ? int(slot->fieldNames().size()) : 0;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !slot)
            return {};
        const QVariant v = slot->value(index.row(), slot->fieldIndex(fieldAt(index.column())));
        return v.isNull() ? QVariant() : QVariant(v.toString());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        if (!columns.isEmpty() && !columns.value(section).title.isEmpty())
            return columns.value(section).title;
        return fieldAt(section);
    }
};

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent), gridModel(new Model(this))
{
    setModel(gridModel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
    // Whole values (12-digit student numbers, long section numbers) after
    // every reading; the columns stay Interactive, so the clerk can still
    // drag one narrower.
    connect(gridModel, &QAbstractItemModel::modelReset, this, [this] { fitColumns(); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (current.isValid() && gridModel->slot && gridModel->slot->currentRow() != current.row())
            gridModel->slot->moveTo(current.row());
    });
    connect(this, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (!gridModel->slot)
            return;
        gridModel->slot->moveTo(index.row());
        Q_EMIT CellClick(gridModel->fieldAt(index.column()));
    });
}

void DBGrid::setDataSource(DataSource& source)
{
    gridModel->attach(&source.DataSet);
    connect(&source.DataSet, &QuerySlot::cursorMoved, this, [this](int row) {
        if (currentIndex().row() != row)
            setCurrentIndex(gridModel->index(row, qMax(0, currentIndex().column())));
    });
}

void DBGrid::setColumns(const QList<Column>& columns)
{
    gridModel->columns = columns;
    gridModel->reset();
}

void DBGrid::fitColumns()
{
    // No column wider than most of the grid, so that a long text does not
    // push the others out of the window.
    const int widest = qMax(240, width() * 3 / 4);
    QHeaderView* header = horizontalHeader();
    for (int column = 0; column < gridModel->columnCount(); ++column) {
        if (header->sectionResizeMode(column) != QHeaderView::Interactive)
            continue;
        const int wanted = qMax(sizeHintForColumn(column), header->sectionSizeHint(column));
        header->resizeSection(column, qMin(wanted, widest));
    }
}

QString DBGrid::cellText(int column) const
{
    if (!gridModel->slot)
        return {};
    return gridModel->data(gridModel->index(gridModel->slot->currentRow(), column), Qt::DisplayRole).toString();
}

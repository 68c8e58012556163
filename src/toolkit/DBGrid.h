#pragma once

#include <QAbstractTableModel>
#include <QTableView>

struct DataSource;

// A read-only, whole-row grid that shows a query slot through its data
// source. Columns are bound by field name; a name the result lacks stays
// blank. Selecting a row moves the slot's cursor to it.
class DBGrid : public QTableView {
    Q_OBJECT

public:
    struct Column {
        QString fieldName;
        QString title; // the field name when empty
    };

    explicit DBGrid(QWidget* parent = nullptr);

    void setDataSource(DataSource& source);
    // No columns: every field of the result, titled with its name.
    void setColumns(const QList<Column>& columns);

    // The text shown in a column (by position) of the slot's current row;
    // empty for a column whose field the result lacks.
    QString cellText(int column) const;

Q_SIGNALS:
    // A cell was clicked; the slot's cursor already stands on its row.
    void CellClick(const QString& fieldName);

private:
    // Each column as wide as its widest text, within the grid.
    void fitColumns();

    class Model;
    Model* gridModel;
};

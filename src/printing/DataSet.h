#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The rows a report runs over, handed in by the caller (the printing window
// reads them from the print table); every value is text.
struct DataSet {
    QStringList fields;
    QList<QStringList> rows;

    // Position of a field, found regardless of case as the database does; -1 when absent.
    int fieldIndex(const QString& name) const;
    // The value of a field in a row; empty when the row is short.
    QString value(int row, int field) const;
};

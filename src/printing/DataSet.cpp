#include "DataSet.h"

int DataSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString DataSet::value(int row, int field) const
{
    const QStringList& cells = rows.at(row);
    return field >= 0 && field < cells.size() ? cells[field] : QString();
}

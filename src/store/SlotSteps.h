#pragma once

#include "QuerySlot.h"

#include <QStringList>

// The two ways the windows use a shared slot: open a statement on it (its
// rows become the slot's result) or execute one that returns no rows.
inline void openOn(QuerySlot& slot, const SqlText& statement)
{
    slot.Close();
    slot.SQL.Clear();
    slot.SQL.Add(statement);
    slot.Open();
}

inline void executeOn(QuerySlot& slot, const SqlText& statement)
{
    slot.Close();
    slot.SQL.Clear();
    slot.SQL.Add(statement);
    slot.ExecSQL();
}

// The values of one field of an open result, each with its blanks around
// removed, in result order.
inline QStringList trimmedValues(QuerySlot& slot, const QString& field)
{
    QStringList values;
    for (slot.First(); !slot.Eof(); slot.Next())
        values.append(slot.FieldByName(field).AsString().trimmed());
    return values;
}

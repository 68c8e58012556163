#pragma once

#include "QuerySlot.h"

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

#pragma once

#include <QByteArray>
#include <QString>
#include <initializer_list>

class Connection;

// A digest of every row of the tables, row ids and value types included:
// equal digests mean the tables hold the same rows. A plan remembers the
// stamp of what it was made from, and its adoption compares it inside the
// write transaction, so that a change made meanwhile by another program is
// never written over.
QByteArray tableStamp(Connection& connection, std::initializer_list<const char*> tables);

// What the clerk hears when a plan's tables changed before it was adopted.
inline QString planOutdated()
{
    return QStringLiteral("数据已被修改，请重新安排");
}

#include "TableStamp.h"

#include "Connection.h"
#include "DbError.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QSqlRecord>

QByteArray tableStamp(Connection& connection, std::initializer_list<const char*> tables)
{
    QSqlDatabase db = connection.database();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char* table : tables) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("select rowid,* from %1 order by rowid").arg(QLatin1String(table))))
            throw DbError(q.lastError());
        hash.addData(table);
        const int columns = q.record().count();
        while (q.next()) {
            for (int c = 0; c < columns; ++c) {
                const QVariant value = q.value(c);
                // The type tells 0 from '0' and NULL from ''.
                hash.addData(value.isNull() ? "n" : value.typeId() == QMetaType::QString ? "t" : "v");
                const QByteArray text = value.toString().toUtf8();
                hash.addData(QByteArray::number(text.size()) + ':');
                hash.addData(text);
            }
        }
    }
    return hash.result();
}

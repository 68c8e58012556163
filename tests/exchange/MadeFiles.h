#pragma once

// Workbook files made by the tests themselves: BIFF records in an OLE2
// container (written with libgsf) and zip packages (written with minizip).

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

QByteArray le16(int v);
QByteArray le32(quint32 v);
QByteArray le64(double v);

// A BIFF record: id, length, body.
QByteArray record(quint16 id, const QByteArray& body);

struct BiffSheet {
    QString name;
    QByteArray records;  // between the sheet's BOF and EOF
    quint8 type = 0;     // 0 worksheet, 2 chart
};

// A workbook stream: BOF, the given global records, one BOUNDSHEET per sheet
// pointing at it, EOF, then each sheet.
QByteArray biffStream(const QByteArray& globals, const QList<BiffSheet>& sheets, bool biff8 = true);

// A cell record body start: row and column (0-based) and the XF index.
QByteArray cellHead(int row, int column, int xf = 0);

void writeOle(const QString& path, const QString& streamName, const QByteArray& stream);
void writeZip(const QString& path, const QMap<QString, QByteArray>& parts);
QByteArray readZipPart(const QString& path, const QString& part);
// The names of a zip package's parts, in the package's order.
QStringList zipPartNames(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// The parts of a one-sheet .xlsx around the given sheet and shared strings.
QMap<QString, QByteArray> xlsxParts(const QByteArray& sheetXml, const QByteArray& sharedStringsXml = {});

#include "MadeFiles.h"

#include <QFile>
#include <cstring>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <unzip.h>
#include <zip.h>
#include <stdexcept>

QByteArray le16(int v)
{
    const char b[2] = {char(v & 0xFF), char((v >> 8) & 0xFF)};
    return QByteArray(b, 2);
}

QByteArray le32(quint32 v)
{
    return le16(int(v & 0xFFFF)) + le16(int(v >> 16));
}

QByteArray le64(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof v);
    return le32(quint32(bits)) + le32(quint32(bits >> 32));
}

QByteArray record(quint16 id, const QByteArray& body)
{
    return le16(id) + le16(int(body.size())) + body;
}

QByteArray cellHead(int row, int column, int xf)
{
    return le16(row) + le16(column) + le16(xf);
}

QByteArray biffStream(const QByteArray& globals, const QList<BiffSheet>& sheets, bool biff8)
{
    const QByteArray bof = record(0x0809, le16(biff8 ? 0x0600 : 0x0500) + le16(0x0005) + QByteArray(biff8 ? 12 : 4, 0));
    const QByteArray eof = record(0x000A, {});
    auto boundsheet = [&](quint32 offset, const BiffSheet& s) {
        const QByteArray name = s.name.toLatin1();
        QByteArray body = le32(offset) + char(0) + char(s.type) + char(name.size());
        if (biff8)
            body += char(0);  // compressed characters
        return record(0x0085, body + name);
    };
    qsizetype offset = bof.size() + globals.size() + eof.size();
    for (const BiffSheet& s : sheets)
        offset += boundsheet(0, s).size();
    QByteArray stream = bof + globals;
    QByteArray bodies;
    for (const BiffSheet& s : sheets) {
        stream += boundsheet(quint32(offset + bodies.size()), s);
        const QByteArray sheetBof =
            record(0x0809, le16(biff8 ? 0x0600 : 0x0500) + le16(s.type == 2 ? 0x0020 : 0x0010) + QByteArray(biff8 ? 12 : 4, 0));
        bodies += sheetBof + s.records + eof;
    }
    return stream + eof + bodies;
}

void writeOle(const QString& path, const QString& streamName, const QByteArray& stream)
{
    GError* error = nullptr;
    GsfOutput* out = gsf_output_stdio_new(QFile::encodeName(path).constData(), &error);
    if (!out)
        throw std::runtime_error("cannot write " + path.toStdString());
    GsfOutfile* ole = gsf_outfile_msole_new(out);
    GsfOutput* child = gsf_outfile_new_child(ole, streamName.toUtf8().constData(), FALSE);
    gsf_output_write(child, stream.size(), reinterpret_cast<const guint8*>(stream.constData()));
    gsf_output_close(child);
    g_object_unref(child);
    gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
    g_object_unref(out);
}

void writeZip(const QString& path, const QMap<QString, QByteArray>& parts)
{
    zipFile zip = zipOpen(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        throw std::runtime_error("cannot write " + path.toStdString());
    for (auto it = parts.begin(); it != parts.end(); ++it) {
        zipOpenNewFileInZip(zip, it.key().toUtf8().constData(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            Z_DEFAULT_COMPRESSION);
        zipWriteInFileInZip(zip, it.value().constData(), unsigned(it.value().size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

QByteArray readZipPart(const QString& path, const QString& part)
{
    unzFile zip = unzOpen(QFile::encodeName(path).constData());
    QByteArray data;
    if (zip && unzLocateFile(zip, part.toUtf8().constData(), 1) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
        char chunk[4096];
        int n;
        while ((n = unzReadCurrentFile(zip, chunk, sizeof chunk)) > 0)
            data.append(chunk, n);
        unzCloseCurrentFile(zip);
    }
    if (zip)
        unzClose(zip);
    return data;
}

QStringList zipPartNames(const QString& path)
{
    QStringList names;
    unzFile zip = unzOpen(QFile::encodeName(path).constData());
    if (!zip)
        return names;
    for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip)) {
        unz_file_info info;
        char name[512];
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK)
            names.append(QString::fromUtf8(name));
    }
    unzClose(zip);
    return names;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QMap<QString, QByteArray> xlsxParts(const QByteArray& sheetXml, const QByteArray& sharedStringsXml)
{
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray relsHead =
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    QByteArray bookRels = relsHead + "<Relationship Id=\"rId1\" Type=\"" + rel
                          + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    QMap<QString, QByteArray> parts{
        {QStringLiteral("_rels/.rels"), relsHead + "<Relationship Id=\"rId1\" Type=\"" + rel
                                            + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {QStringLiteral("xl/workbook.xml"),
         "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"" + rel + "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {QStringLiteral("xl/worksheets/sheet1.xml"), sheetXml},
    };
    if (!sharedStringsXml.isEmpty()) {
        parts[QStringLiteral("xl/sharedStrings.xml")] = sharedStringsXml;
        bookRels += "<Relationship Id=\"rId2\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
    }
    parts[QStringLiteral("xl/_rels/workbook.xml.rels")] = bookRels + "</Relationships>";
    return parts;
}

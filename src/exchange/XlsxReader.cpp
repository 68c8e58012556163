// .xlsx: the zip package is read with minizip, the parts with
// QXmlStreamReader. Elements are matched by local name, so prefixed
// (x:worksheet) and Strict (purl.oclc.org) namespaces read alike.
//
// A DTD is refused outright: QXmlStreamReader would expand the internal
// entities it declares, which is how an entity bomb fills the memory.

#include "ReaderParts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstring>
#include <optional>
#include <unzip.h>

namespace {

// No part of a real workbook comes near this; a zip bomb does.
constexpr qint64 maxPartSize = 200 * 1024 * 1024;
// The text of one element: far above a cell's 32,767 characters, so that the
// import can still name the cell that is too long.
constexpr qsizetype maxTextChars = 32 * 1024 * 1024;

// The zip is read through minizip, the library libxlsxwriter writes with.
// (QuaZip carries its own copy of minizip under the same symbol names; with
// both in one program, libxlsxwriter's calls land in QuaZip's copy and crash.)
struct MemoryFile {
    const QByteArray& data;
    ZPOS64_T pos = 0;
};

voidpf ZCALLBACK openMemory(voidpf opaque, const void*, int) { return opaque; }
uLong ZCALLBACK readMemory(voidpf, voidpf stream, void* buf, uLong size)
{
    auto* f = static_cast<MemoryFile*>(stream);
    const uLong n = uLong(std::min<ZPOS64_T>(size, ZPOS64_T(f->data.size()) - f->pos));
    std::memcpy(buf, f->data.constData() + f->pos, n);
    f->pos += n;
    return n;
}
uLong ZCALLBACK writeMemory(voidpf, voidpf, const void*, uLong) { return 0; }
ZPOS64_T ZCALLBACK tellMemory(voidpf, voidpf stream) { return static_cast<MemoryFile*>(stream)->pos; }
long ZCALLBACK seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* f = static_cast<MemoryFile*>(stream);
    const ZPOS64_T size = ZPOS64_T(f->data.size());
    const ZPOS64_T base = origin == ZLIB_FILEFUNC_SEEK_SET ? 0 : origin == ZLIB_FILEFUNC_SEEK_CUR ? f->pos : size;
    if (offset > size || base > size - offset)
        return -1;
    f->pos = base + offset;
    return 0;
}
int ZCALLBACK closeMemory(voidpf, voidpf) { return 0; }
int ZCALLBACK errorMemory(voidpf, voidpf) { return 0; }

class Package {
public:
    Package(const QByteArray& data, const QString& path) : path(path), memory{data}
    {
        zlib_filefunc64_def io{};
        io.zopen64_file = openMemory;
        io.zread_file = readMemory;
        io.zwrite_file = writeMemory;
        io.ztell64_file = tellMemory;
        io.zseek64_file = seekMemory;
        io.zclose_file = closeMemory;
        io.zerror_file = errorMemory;
        io.opaque = &memory;
        zip = unzOpen2_64("", &io);
        if (!zip)
            throw WorkbookError::invalidFile(path, QStringLiteral("压缩包损坏"));
    }
    ~Package() { unzClose(zip); }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // Part names are case-insensitive in a package.
    bool has(const QString& name) const
    {
        constexpr int caseInsensitive = 2;
        return unzLocateFile(zip, name.toUtf8().constData(), caseInsensitive) == UNZ_OK;
    }

    unzFile handle() const { return zip; }
    const QString& fileName() const { return path; }

private:
    const QString& path;
    MemoryFile memory;
    unzFile zip = nullptr;
};

// One part of the package, decompressed a piece at a time, so that a reader
// that stops early never holds (or even unpacks) the rest.
class PartStream {
public:
    PartStream(Package& package, const QString& name) : package(package), name(name)
    {
        if (!package.has(name))
            throw WorkbookError::invalidFile(package.fileName(), QStringLiteral("缺少%1").arg(name));
        if (unzOpenCurrentFile(package.handle()) != UNZ_OK)
            throw WorkbookError::invalidFile(package.fileName(), QStringLiteral("无法解压%1").arg(name));
    }
    ~PartStream()
    {
        if (open)
            unzCloseCurrentFile(package.handle());
    }
    PartStream(const PartStream&) = delete;
    PartStream& operator=(const PartStream&) = delete;

    // The next piece; empty at the end of the part.
    QByteArray next()
    {
        if (!open)
            return {};
        QByteArray chunk(65536, Qt::Uninitialized);
        const int n = unzReadCurrentFile(package.handle(), chunk.data(), int(chunk.size()));
        if (n > 0) {
            total += n;
            if (total > maxPartSize)
                throw WorkbookError::invalidFile(package.fileName(), QStringLiteral("%1解压后过大").arg(name));
            chunk.truncate(n);
            return chunk;
        }
        open = false;
        // The checksum is verified on close, once everything was read.
        if (unzCloseCurrentFile(package.handle()) != UNZ_OK || n < 0)
            throw WorkbookError::invalidFile(package.fileName(), QStringLiteral("%1校验失败，文件已损坏").arg(name));
        return {};
    }

private:
    Package& package;
    QString name;
    bool open = true;
    qint64 total = 0;
};

// A forward reader over one part that refuses DTDs and broken XML. The part
// is fed to the parser piece by piece as the parser asks for more.
class Xml {
public:
    Xml(Package& package, const QString& part) : stream(package, part), part(part), path(package.fileName()) {}

    // The next start element, anywhere below the current position; false at the end.
    bool nextStart()
    {
        while (advance())
            if (reader.isStartElement())
                return true;
        return false;
    }

    // Steps one token; false at the end of the document.
    bool advance()
    {
        auto token = reader.readNext();
        while (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
            const QByteArray chunk = stream.next();
            if (chunk.isEmpty())
                break;
            reader.addData(chunk);
            token = reader.readNext();
        }
        if (token == QXmlStreamReader::DTD)
            throw WorkbookError::invalidFile(path, QStringLiteral("%1含有不允许的文档类型定义（DTD）").arg(part));
        if (reader.hasError()) {
            // Damaged data is the likelier cause: the checksum, known once
            // the whole part is read, names it.
            while (!stream.next().isEmpty()) {
            }
            throw WorkbookError::invalidFile(
                path, QStringLiteral("%1不是有效的XML：%2").arg(part, reader.errorString()));
        }
        if (token == QXmlStreamReader::StartElement)
            attributes = reader.attributes();
        return token != QXmlStreamReader::EndDocument;
    }

    bool isStart() const { return reader.isStartElement(); }
    bool is(QStringView localName) const { return reader.name() == localName; }
    bool isEnd(QStringView localName) const { return reader.isEndElement() && is(localName); }
    // An attribute of the current start element, looked up in place.
    QStringView attribute(QStringView localName) const
    {
        for (const auto& a : attributes)
            if (a.name() == localName)
                return a.value();
        return {};
    }
    // The text of the current element and the elements inside it.
    QString elementText()
    {
        QString text;
        for (int depth = 1; depth > 0 && advance();) {
            if (reader.isStartElement())
                ++depth;
            else if (reader.isEndElement())
                --depth;
            else if (reader.isCharacters())
                text += reader.text();
            if (text.size() > maxTextChars)
                throw WorkbookError::invalidFile(path, QStringLiteral("%1中的文字过长").arg(part));
        }
        return text;
    }
    void skipElement()
    {
        for (int depth = 1; depth > 0 && advance();)
            depth += reader.isStartElement() ? 1 : reader.isEndElement() ? -1 : 0;
    }

    // The text of a shared or inline string: plain <t>, or the runs' <t>s
    // joined. Phonetic guides (<rPh>) are not part of the text.
    QString richText(QStringView element)
    {
        QString text;
        while (advance() && !isEnd(element)) {
            if (!reader.isStartElement())
                continue;
            if (is(u"rPh"))
                skipElement();
            else if (is(u"t"))
                text += elementText();
        }
        return decodeEscapes(text);
    }

private:
    // _xHHHH_ stands for a character XML cannot carry (a control character).
    static QString decodeEscapes(const QString& text)
    {
        if (!text.contains(QLatin1String("_x")))
            return text;
        static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
        QString out;
        qsizetype last = 0;
        for (auto it = escape.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            out += QStringView(text).mid(last, m.capturedStart() - last);
            out += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
            last = m.capturedEnd();
        }
        return out + text.mid(last);
    }

    PartStream stream;
    QXmlStreamReader reader;
    QXmlStreamAttributes attributes;
    QString part;
    const QString& path;
};

struct Relationship {
    QString type;
    QString target;  // the part name, resolved
};

QString relsPartOf(const QString& partName)
{
    const qsizetype slash = partName.lastIndexOf('/');
    return partName.left(slash + 1) + QStringLiteral("_rels/") + partName.mid(slash + 1) + QStringLiteral(".rels");
}

QString resolveTarget(const QString& sourcePart, const QString& target)
{
    if (target.startsWith('/'))
        return QDir::cleanPath(target).mid(1);
    const qsizetype slash = sourcePart.lastIndexOf('/');
    QString resolved = QDir::cleanPath(sourcePart.left(slash + 1) + target);
    while (resolved.startsWith(QLatin1String("../")))
        resolved.remove(0, 3);
    return resolved;
}

// The relationships of a part (source "" is the package itself), by id.
QMap<QString, Relationship> readRelationships(Package& package, const QString& sourcePart)
{
    const QString relsName = relsPartOf(sourcePart);
    Xml xml(package, relsName);
    QMap<QString, Relationship> rels;
    while (xml.nextStart())
        if (xml.is(u"Relationship") && xml.attribute(u"TargetMode") != QLatin1String("External"))
            rels[xml.attribute(u"Id").toString()] = {xml.attribute(u"Type").toString(),
                                                      resolveTarget(sourcePart, xml.attribute(u"Target").toString())};
    return rels;
}

QString targetOfType(const QMap<QString, Relationship>& rels, QStringView typeSuffix)
{
    for (const auto& r : rels)
        if (r.type.endsWith(typeSuffix))
            return r.target;
    return {};
}

// Which cell style indexes (the s attribute) show dates.
QList<bool> readDateStyles(Package& package, const QString& part)
{
    Xml xml(package, part);
    QMap<int, QString> formatCodes;
    QList<int> xfFormats;
    bool inCellXfs = false;
    while (xml.advance()) {
        if (xml.isEnd(u"cellXfs"))
            inCellXfs = false;
        if (!xml.isStart())
            continue;
        if (xml.is(u"cellXfs"))
            inCellXfs = true;
        else if (xml.is(u"numFmt"))
            formatCodes[xml.attribute(u"numFmtId").toInt()] = xml.attribute(u"formatCode").toString();
        else if (inCellXfs && xml.is(u"xf"))
            xfFormats.append(xml.attribute(u"numFmtId").toInt());
    }
    QList<bool> dateStyles;
    for (int id : xfFormats)
        dateStyles.append(isDateFormat(id, formatCodes.value(id)));
    return dateStyles;
}

void readSharedStrings(Package& package, const QString& part, StringTable& strings)
{
    Xml xml(package, part);
    while (xml.nextStart())
        if (xml.is(u"si"))
            strings.append(xml.richText(u"si"));
}

// "B12" to row 12, column 2; false when it is no cell reference.
bool parseReference(QStringView ref, CellPos& pos)
{
    qsizetype i = 0;
    int column = 0;
    while (i < ref.size() && ref[i].isLetter() && ref[i].unicode() < 128 && column <= Worksheet::maxColumns)
        column = column * 26 + (ref[i++].toUpper().unicode() - 'A' + 1);
    if (i == 0 || i >= ref.size() || !ref[i].isDigit())
        return false;
    bool ok = false;
    const int row = ref.mid(i).toInt(&ok);
    if (!ok)
        return false;
    pos = {row, column};
    return true;
}

// An ISO 8601 date, date and time, or time of day (t="d") to a day serial.
std::optional<double> isoSerial(const QString& text)
{
    QDate date;
    QTime time;
    if (text.contains('-')) {
        const QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
        date = dt.isValid() ? dt.date() : QDate::fromString(text, Qt::ISODate);
        time = dt.isValid() ? dt.time() : QTime(0, 0);
    } else {
        time = QTime::fromString(text, Qt::ISODateWithMs);
    }
    if ((!date.isValid() && text.contains('-')) || !time.isValid())
        return std::nullopt;
    qint64 days = date.isValid() ? QDate(1899, 12, 30).daysTo(date) : 0;
    if (date.isValid() && days < 61)
        --days;  // the 1900 system's 29 February 1900
    return double(days) + time.msecsSinceStartOfDay() / 86400000.0;
}

class SheetReader {
public:
    SheetReader(const StringTable& strings, const QList<bool>& dateStyles, bool date1904, const QString& path)
        : strings(strings), dateStyles(dateStyles), date1904(date1904), path(path)
    {
    }

    void read(Xml& xml, CellSink& sheet)
    {
        // Rows and cells may leave out their reference: each then follows the previous one.
        int row = 0;
        int column = 0;
        while (xml.nextStart()) {
            if (xml.is(u"row")) {
                const QStringView r = xml.attribute(u"r");
                row = r.isEmpty() ? row + 1 : r.toInt();
                column = 0;
                checkPosition(row, 1);
            } else if (xml.is(u"c")) {
                CellPos pos{row, column + 1};
                const QStringView ref = xml.attribute(u"r");
                if (!ref.isEmpty() && !parseReference(ref, pos))
                    throw WorkbookError::invalidFile(path, QStringLiteral("单元格引用无效：%1").arg(ref));
                checkPosition(pos.row, pos.column);
                row = pos.row;
                column = pos.column;
                // A cell outside the kept columns is not decoded, but still
                // tells where the data end.
                const bool wanted = sheet.wants(column);
                if (!wanted)
                    xml.skipElement();
                sheet.put(pos.row, pos.column, wanted ? readCell(xml) : CellValue{});
            }
        }
    }

private:
    void checkPosition(int row, int column) const
    {
        if (row < 1 || row > Worksheet::maxRows || column < 1 || column > Worksheet::maxColumns)
            throw WorkbookError::invalidFile(path, QStringLiteral("单元格位置超出范围"));
    }

    CellValue readCell(Xml& xml) const
    {
        const QString type = xml.attribute(u"t").toString();
        const int style = xml.attribute(u"s").toInt();
        QString v;
        QString inlineText;
        while (xml.advance() && !xml.isEnd(u"c")) {
            if (!xml.isStart())
                continue;
            if (xml.is(u"v"))
                v = xml.elementText();
            else if (xml.is(u"is"))
                inlineText = xml.richText(u"is");
            else
                xml.skipElement();  // the formula and anything else
        }
        if (type == QLatin1String("inlineStr"))
            return CellValue::fromText(inlineText);
        if (v.isEmpty())
            return {};
        if (type == QLatin1String("s")) {
            bool ok = false;
            const int index = v.toInt(&ok);
            if (!ok || index < 0 || index >= strings.size())
                throw WorkbookError::invalidFile(path, QStringLiteral("共享字符串缺失"));
            return CellValue::fromText(strings.at(index));
        }
        if (type == QLatin1String("str"))
            return CellValue::fromText(v);
        if (type == QLatin1String("b"))
            return CellValue::fromBoolean(v == QLatin1String("1") || v == QLatin1String("true"));
        if (type == QLatin1String("e"))
            return CellValue::fromError(v);
        if (type == QLatin1String("d")) {
            const auto serial = isoSerial(v);
            return serial ? CellValue::fromDateSerial(*serial) : CellValue::fromText(v);
        }
        bool ok = false;
        const double number = v.toDouble(&ok);
        if (!ok)
            return CellValue::fromText(v);
        if (style >= 0 && style < dateStyles.size() && dateStyles[style])
            return CellValue::fromDateSerial(date1904 ? number + days1904To1900 : number);
        return CellValue::fromNumber(number);
    }

    const StringTable& strings;
    const QList<bool>& dateStyles;
    bool date1904;
    const QString& path;
};

}  // namespace

void checkWrittenXlsx(const QString& file, const QString& path)
{
    QFile written(file);
    if (!written.open(QIODevice::ReadOnly))
        throw WorkbookError::cannotSave(path, written.errorString());
    const QByteArray data = written.readAll();
    QString reading = QStringLiteral("压缩包");
    try {
        Package package(data, path);
        QStringList parts;
        for (int at = unzGoToFirstFile(package.handle()); at == UNZ_OK; at = unzGoToNextFile(package.handle())) {
            char name[256];
            if (unzGetCurrentFileInfo64(package.handle(), nullptr, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
                throw WorkbookError(reading);
            parts << QString::fromUtf8(name);
        }
        for (const QString& part : std::as_const(parts)) {
            reading = part;
            Xml xml(package, part);
            while (xml.advance()) {
                if (!xml.isStart() || !xml.is(u"Override"))
                    continue;
                const QString listed = xml.attribute(u"PartName").mid(1).toString();
                if (!package.has(listed)) {
                    reading = listed;
                    throw WorkbookError(reading);
                }
            }
        }
        if (parts.isEmpty())
            throw WorkbookError(reading);
    } catch (const WorkbookError&) {
        throw WorkbookError::cannotSave(path, QStringLiteral("写出的文件不完整（%1），磁盘可能已满").arg(reading));
    }
}

Worksheet readXlsx(const QByteArray& data, const QString& path, const ReadBounds& bounds)
{
    Package package(data, path);

    const QString bookPart = targetOfType(readRelationships(package, QString()), u"/officeDocument");
    if (bookPart.isEmpty())
        throw WorkbookError::invalidFile(path, QStringLiteral("找不到工作簿"));

    // The first worksheet by position, whichever tab is active; chart sheets
    // (also listed as <sheet>) are passed over.
    const auto rels = readRelationships(package, bookPart);
    QString sheetId;
    QString sheetName;
    bool date1904 = false;
    {
        Xml xml(package, bookPart);
        while (sheetId.isEmpty() && xml.nextStart()) {
            if (xml.is(u"workbookPr")) {
                const QStringView d = xml.attribute(u"date1904");
                date1904 = d == QLatin1String("1") || d == QLatin1String("true");
            } else if (xml.is(u"sheet") && rels.value(xml.attribute(u"id").toString()).type.endsWith(u"/worksheet")) {
                sheetId = xml.attribute(u"id").toString();
                sheetName = xml.attribute(u"name").toString();
            }
        }
    }
    const QString sheetPart = rels.value(sheetId).target;
    if (sheetId.isEmpty() || sheetPart.isEmpty())
        throw WorkbookError::invalidFile(path, QStringLiteral("找不到第一张工作表"));

    StringTable strings(path);
    const QString stringsPart = targetOfType(rels, u"/sharedStrings");
    if (!stringsPart.isEmpty())
        readSharedStrings(package, stringsPart, strings);
    QList<bool> dateStyles;
    const QString stylesPart = targetOfType(rels, u"/styles");
    if (!stylesPart.isEmpty())
        dateStyles = readDateStyles(package, stylesPart);

    Worksheet sheet(sheetName);
    Xml xml(package, sheetPart);
    CellSink sink(sheet, bounds, path);
    SheetReader(strings, dateStyles, date1904, path).read(xml, sink);
    return sheet;
}

// .xls: the OLE2 container is read with libgsf; the BIFF5/BIFF8 records of
// the workbook stream are read here. Only the records that carry the first
// worksheet's cell values (and the formats that make a number a date) are
// decoded; everything else is skipped by its length.
//
// Every read is bounds-checked: a record or string that runs past its end
// makes the file invalid, never a read outside the data.

#include "ReaderParts.h"

#include <QList>
#include <QMap>
#include <QStringDecoder>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>
#include <cstring>
#include <memory>

namespace {

struct Truncated {};

// A bounds-checked little-endian view of bytes.
struct Bytes {
    const uchar* data = nullptr;
    qsizetype size = 0;

    void need(qsizetype pos, qsizetype count) const
    {
        if (pos < 0 || count < 0 || pos > size || count > size - pos)
            throw Truncated{};
    }
    quint8 u8(qsizetype pos) const { need(pos, 1); return data[pos]; }
    quint16 u16(qsizetype pos) const { need(pos, 2); return quint16(data[pos] | data[pos + 1] << 8); }
    quint32 u32(qsizetype pos) const { need(pos, 4); return quint32(u16(pos)) | quint32(u16(pos + 2)) << 16; }
    double f64(qsizetype pos) const
    {
        need(pos, 8);
        const quint64 bits = quint64(u32(pos)) | quint64(u32(pos + 4)) << 32;
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    Bytes sub(qsizetype pos, qsizetype count) const { need(pos, count); return {data + pos, count}; }
};

struct Record {
    quint16 id = 0;
    Bytes body;
};

namespace rec {
constexpr quint16 formula = 0x0006, eof = 0x000A, datemode = 0x0022, filepass = 0x002F, continued = 0x003C,
                  codepage = 0x0042, boundsheet = 0x0085, mulrk = 0x00BD, rstring = 0x00D6, xf = 0x00E0,
                  sst = 0x00FC, labelsst = 0x00FD, number = 0x0203, label = 0x0204, boolerr = 0x0205,
                  string = 0x0207, rk = 0x027E, format = 0x041E, bof = 0x0809;
// BOF ids of BIFF2, BIFF3 and BIFF4, which this reader does not take.
constexpr quint16 oldBofs[] = {0x0009, 0x0209, 0x0409};
}  // namespace rec

class RecordStream {
public:
    explicit RecordStream(Bytes stream, qsizetype start = 0) : stream(stream), pos(start) {}

    // False at the end of the stream; throws Truncated on a partial record.
    bool next(Record& r)
    {
        if (pos == stream.size)
            return false;
        r.id = stream.u16(pos);
        const quint16 length = stream.u16(pos + 2);
        r.body = stream.sub(pos + 4, length);
        pos += 4 + length;
        return true;
    }

private:
    Bytes stream;
    qsizetype pos;
};

QString errorCodeText(quint8 code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    case 0x2B: return QStringLiteral("#GETTING_DATA");
    default: return QStringLiteral("#N/A");
    }
}

double rkValue(quint32 rk)
{
    double v;
    if (rk & 2) {
        v = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 1) ? v / 100 : v;
}

QString latin1(const uchar* p, qsizetype n)
{
    return QString::fromLatin1(reinterpret_cast<const char*>(p), n);
}

QString utf16(const uchar* p, qsizetype chars)
{
    QString s(chars, Qt::Uninitialized);
    for (qsizetype i = 0; i < chars; ++i)
        s[i] = QChar(char16_t(p[2 * i] | p[2 * i + 1] << 8));
    return s;
}

const char* codecName(int codepage)
{
    switch (codepage) {
    case 367: return "US-ASCII";
    case 437: return "IBM437";
    case 850: return "cp850";
    case 874: return "windows-874";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 10000:
    case 32768: return "macintosh";
    default: return "windows-1252";
    }
}

// The workbook stream's records, as far as the first worksheet needs them.
class BiffReader {
public:
    BiffReader(Bytes stream, const QString& path) : stream(stream), path(path), sst(path) {}

    Worksheet read(const ReadBounds& bounds)
    {
        const qsizetype sheetStart = readGlobals();
        Worksheet sheet(sheetName);
        CellSink sink(sheet, bounds, path);
        readSheet(sheetStart, sink);
        return sheet;
    }

private:
    // BIFF5 byte string: the length (1 or 2 bytes) and the bytes in the
    // workbook's code page.
    QString byteString(Bytes b, qsizetype pos, int lengthSize, qsizetype* end = nullptr)
    {
        const qsizetype n = lengthSize == 1 ? b.u8(pos) : b.u16(pos);
        const Bytes chars = b.sub(pos + lengthSize, n);
        if (end)
            *end = pos + lengthSize + n;
        decoder.resetState();
        return decoder.decode(QByteArrayView(chars.data, n));
    }

    // BIFF8 unicode string: count, flags, optional run count and phonetic
    // size, then the characters (one byte each when compressed).
    static QString unicodeString(Bytes b, qsizetype pos, int countSize)
    {
        const qsizetype count = countSize == 1 ? b.u8(pos) : b.u16(pos);
        const quint8 flags = b.u8(pos + countSize);
        qsizetype p = pos + countSize + 1;
        if (flags & 0x08)
            p += 2;
        if (flags & 0x04)
            p += 4;
        const bool wide = flags & 0x01;
        const Bytes chars = b.sub(p, wide ? count * 2 : count);
        return wide ? utf16(chars.data, count) : latin1(chars.data, count);
    }

    QString cellString(Bytes b, qsizetype pos) { return biff8 ? unicodeString(b, pos, 2) : byteString(b, pos, 2); }

    qsizetype readGlobals();
    void readSheet(qsizetype start, CellSink& sheet);
    void readSst(const QList<Bytes>& segments);
    CellValue numberValue(int xf, double value) const;
    bool isDateXf(int xf) const { return xf >= 0 && xf < dateXfs.size() && dateXfs[xf]; }

    Bytes stream;
    const QString& path;
    bool biff8 = true;
    bool date1904 = false;
    QStringDecoder decoder{"windows-1252"};
    QString sheetName;
    StringTable sst;
    QList<bool> dateXfs;
};

qsizetype BiffReader::readGlobals()
{
    RecordStream records(stream);
    Record r;
    if (!records.next(r))
        throw WorkbookError::invalidFile(path, QStringLiteral("工作簿为空"));
    for (quint16 old : rec::oldBofs)
        if (r.id == old)
            throw WorkbookError::invalidFile(path, QStringLiteral("不支持Excel 4.0及更早的格式"));
    if (r.id != rec::bof)
        throw WorkbookError::invalidFile(path, QStringLiteral("缺少工作簿开头记录"));
    biff8 = r.body.u16(0) >= 0x0600;

    QMap<int, QString> formats;
    QList<int> xfFormats;
    QList<Bytes> sstSegments;
    bool inSst = false;
    qsizetype sheetStart = -1;
    bool ended = false;
    while (!ended && records.next(r)) {
        const bool continuesSst = inSst && r.id == rec::continued;
        inSst = continuesSst;
        switch (r.id) {
        case rec::filepass:
            throw WorkbookError::encrypted(path);
        case rec::codepage:
            decoder = QStringDecoder(codecName(r.body.u16(0)));
            break;
        case rec::datemode:
            date1904 = r.body.u16(0) == 1;
            break;
        case rec::format:
            formats[r.body.u16(0)] = biff8 ? unicodeString(r.body, 2, 2) : byteString(r.body, 2, 1);
            break;
        case rec::xf:
            xfFormats.append(r.body.u16(2));
            break;
        case rec::boundsheet:
            // The first worksheet by position; chart and macro sheets are not worksheets.
            if (sheetStart < 0 && r.body.u8(5) == 0) {
                sheetStart = r.body.u32(0);
                sheetName = biff8 ? unicodeString(r.body, 6, 1) : byteString(r.body, 6, 1);
            }
            break;
        case rec::sst:
            sstSegments = {r.body};
            inSst = true;
            break;
        case rec::continued:
            if (continuesSst)
                sstSegments.append(r.body);
            break;
        case rec::eof:
            ended = true;
            break;
        default:
            break;
        }
    }
    if (!ended)
        throw Truncated{};
    if (sheetStart < 0)
        throw WorkbookError::invalidFile(path, QStringLiteral("没有工作表"));
    if (sheetStart >= stream.size)
        throw Truncated{};

    for (int formatId : xfFormats)
        dateXfs.append(isDateFormat(formatId, formats.value(formatId)));
    readSst(sstSegments);
    return sheetStart;
}

// The shared strings, which may run over CONTINUE records. Where a string's
// characters cross into the next record, that record starts with a fresh
// flags byte telling whether the rest is compressed.
void BiffReader::readSst(const QList<Bytes>& segments)
{
    if (segments.isEmpty())
        return;
    int seg = 0;
    qsizetype pos = 8;  // after the total and unique counts
    const quint32 unique = segments[0].u32(4);

    auto atEnd = [&] { return seg == segments.size() - 1 && pos >= segments[seg].size; };
    auto advance = [&] {  // to the next segment when this one is used up
        while (pos >= segments[seg].size) {
            if (seg + 1 >= segments.size())
                throw Truncated{};
            ++seg;
            pos = 0;
        }
    };
    auto byte = [&] {
        advance();
        return segments[seg].u8(pos++);
    };
    auto u16 = [&] { const quint16 lo = byte(); return quint16(lo | byte() << 8); };
    auto skip = [&](qsizetype n) {
        while (n > 0) {
            advance();
            const qsizetype step = std::min(n, segments[seg].size - pos);
            pos += step;
            n -= step;
        }
    };

    try {
        while (quint32(sst.size()) < unique && !atEnd()) {
            qsizetype count = u16();
            quint8 flags = byte();
            const qsizetype runs = (flags & 0x08) ? u16() : 0;
            qsizetype phonetic = 0;
            if (flags & 0x04)
                phonetic = qsizetype(u16()) | qsizetype(u16()) << 16;
            QString text;
            while (count > 0) {
                if (pos >= segments[seg].size) {
                    advance();
                    flags = segments[seg].u8(pos++);
                }
                const Bytes& s = segments[seg];
                const int width = (flags & 0x01) ? 2 : 1;
                const qsizetype here = std::min(count, (s.size - pos) / width);
                if (here == 0)
                    throw Truncated{};  // half a wide character at a record's end
                text += width == 2 ? utf16(s.data + pos, here) : latin1(s.data + pos, here);
                pos += here * width;
                count -= here;
            }
            skip(runs * 4 + phonetic);
            sst.append(text);
        }
    } catch (const Truncated&) {
        // A table cut short keeps the strings read so far; a cell that
        // points past them is refused in readSheet.
    }
}

CellValue BiffReader::numberValue(int xf, double value) const
{
    return isDateXf(xf) ? CellValue::fromDateSerial(date1904 ? value + days1904To1900 : value)
                        : CellValue::fromNumber(value);
}

void BiffReader::readSheet(qsizetype start, CellSink& sheet)
{
    RecordStream records(stream, start);
    Record r;
    if (!records.next(r) || r.id != rec::bof)
        throw WorkbookError::invalidFile(path, QStringLiteral("工作表位置错误"));
    // Embedded charts and objects bring their own BOF ... EOF inside the sheet.
    int depth = 1;
    CellPos pendingString{0, 0};  // a formula whose text follows in a STRING record
    while (depth > 0 && records.next(r)) {
        const Bytes& b = r.body;
        if (r.id == rec::bof) {
            ++depth;
            continue;
        }
        if (r.id == rec::eof) {
            --depth;
            continue;
        }
        if (depth > 1)
            continue;
        const int row = b.size >= 4 ? b.u16(0) + 1 : 0;
        const int column = b.size >= 4 ? b.u16(2) + 1 : 0;
        const int xf = b.size >= 6 ? b.u16(4) : 0;
        // Cells past the kept columns are not even decoded.
        const bool wanted = sheet.wants(column);
        switch (r.id) {
        case rec::labelsst: {
            const quint32 index = b.u32(6);
            if (index >= quint32(sst.size()))
                throw WorkbookError::invalidFile(path, QStringLiteral("共享字符串缺失"));
            sheet.put(row, column, wanted ? CellValue::fromText(sst.at(index)) : CellValue{});
            break;
        }
        case rec::label:
        case rec::rstring:
            sheet.put(row, column, wanted ? CellValue::fromText(cellString(b, 6)) : CellValue{});
            break;
        case rec::number:
            sheet.put(row, column, numberValue(xf, b.f64(6)));
            break;
        case rec::rk:
            sheet.put(row, column, numberValue(xf, rkValue(b.u32(6))));
            break;
        case rec::mulrk: {
            const qsizetype count = (b.size - 6) / 6;
            for (qsizetype i = 0; i < count && sheet.wants(column + int(i)); ++i)
                sheet.put(row, column + int(i), numberValue(b.u16(4 + 6 * i), rkValue(b.u32(6 + 6 * i))));
            break;
        }
        case rec::formula:
            b.need(6, 8);
            if (b.u16(12) != 0xFFFF) {
                sheet.put(row, column, numberValue(xf, b.f64(6)));
            } else if (b.u8(6) == 0) {
                pendingString = {row, column};
            } else if (b.u8(6) == 1) {
                sheet.put(row, column, CellValue::fromBoolean(b.u8(8) != 0));
            } else if (b.u8(6) == 2) {
                sheet.put(row, column, CellValue::fromError(errorCodeText(b.u8(8))));
            }
            break;
        case rec::string:
            if (pendingString.row > 0) {
                sheet.put(pendingString.row, pendingString.column,
                          sheet.wants(pendingString.column) ? CellValue::fromText(cellString(b, 0)) : CellValue{});
                pendingString = {0, 0};
            }
            break;
        case rec::boolerr:
            sheet.put(row, column, b.u8(7) ? CellValue::fromError(errorCodeText(b.u8(6)))
                                           : CellValue::fromBoolean(b.u8(6) != 0));
            break;
        default:
            break;
        }
    }
    if (depth > 0)
        throw Truncated{};
}

struct GObjectUnref {
    void operator()(void* p) const { g_object_unref(p); }
};
template <typename T> using GsfPtr = std::unique_ptr<T, GObjectUnref>;

}  // namespace

Worksheet readXls(const QByteArray& data, const QString& path, const ReadBounds& bounds)
{
    GsfPtr<GsfInput> input(
        gsf_input_memory_new(reinterpret_cast<const guint8*>(data.constData()), data.size(), FALSE));
    GError* error = nullptr;
    GsfPtr<GsfInfile> ole(gsf_infile_msole_new(input.get(), &error));
    if (!ole) {
        g_clear_error(&error);
        throw WorkbookError::invalidFile(path, QStringLiteral("复合文档结构损坏"));
    }

    // BIFF8 keeps the workbook in "Workbook", BIFF5 in "Book"; an encrypted
    // .xlsx is an OLE2 file with an "EncryptedPackage" instead.
    int book = -1;
    for (int i = 0; i < gsf_infile_num_children(ole.get()); ++i) {
        const QString name = QString::fromUtf8(gsf_infile_name_by_index(ole.get(), i));
        if (name.compare(QLatin1String("EncryptedPackage"), Qt::CaseInsensitive) == 0)
            throw WorkbookError::encrypted(path);
        if (name.compare(QLatin1String("Workbook"), Qt::CaseInsensitive) == 0
            || (book < 0 && name.compare(QLatin1String("Book"), Qt::CaseInsensitive) == 0))
            book = i;
    }
    if (book < 0)
        throw WorkbookError::invalidFile(path, QStringLiteral("没有工作簿数据"));

    GsfPtr<GsfInput> stream(gsf_infile_child_by_index(ole.get(), book));
    const gsf_off_t size = stream ? gsf_input_size(stream.get()) : -1;
    // The stream cannot be larger than the file that holds it.
    if (size < 0 || size > data.size())
        throw WorkbookError::invalidFile(path, QStringLiteral("工作簿数据损坏"));
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0 && !gsf_input_read(stream.get(), size, reinterpret_cast<guint8*>(bytes.data())))
        throw WorkbookError::invalidFile(path, QStringLiteral("工作簿数据不完整"));

    try {
        return BiffReader({reinterpret_cast<const uchar*>(bytes.constData()), bytes.size()}, path).read(bounds);
    } catch (const Truncated&) {
        throw WorkbookError::invalidFile(path, QStringLiteral("工作簿数据不完整"));
    }
}

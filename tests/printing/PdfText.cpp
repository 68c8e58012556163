#include "PdfText.h"

#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("%s failed", qPrintable(program));
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

QStringList pdfPages(const QString& path)
{
    QStringList pages = run("pdftotext", {"-layout", "-enc", "UTF-8", path, "-"}).split(u'\f');
    pages.removeLast();  // pdftotext ends every page with a form feed
    return pages;
}

QString pdfInfo(const QString& path, const QString& key)
{
    const QRegularExpression line("^" + key + ":\\s*(.*)$", QRegularExpression::MultilineOption);
    return line.match(run("pdfinfo", {path})).captured(1).trimmed();
}

QList<QList<PdfWord>> pdfWords(const QString& path)
{
    const QString html = run("pdftotext", {"-bbox", "-enc", "UTF-8", path, "-"});
    const QRegularExpression word(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>");
    QList<QList<PdfWord>> pages;
    for (const QString& page : html.split("<page ").mid(1)) {
        pages << QList<PdfWord>{};
        for (const auto& m : word.globalMatch(page)) {
            QString text = m.captured(5);
            text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
            const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
            const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
            pages.last() << PdfWord{QRectF(topLeft, bottomRight), text};
        }
    }
    return pages;
}

QList<QList<PdfWord>> pdfLines(const QList<PdfWord>& words)
{
    QList<PdfWord> sorted = words;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const PdfWord& a, const PdfWord& b) { return a.box.center().y() < b.box.center().y(); });
    QList<QList<PdfWord>> lines;
    double top = 0, bottom = 0;
    for (const PdfWord& w : sorted) {
        const double overlap = std::min(bottom, w.box.bottom()) - std::max(top, w.box.top());
        if (lines.isEmpty() || overlap < w.box.height() / 2) {
            lines << QList<PdfWord>{};
            top = w.box.top();
            bottom = w.box.bottom();
        }
        lines.last() << w;
        top = std::min(top, w.box.top());
        bottom = std::max(bottom, w.box.bottom());
    }
    for (QList<PdfWord>& line : lines)
        std::sort(line.begin(), line.end(),
                  [](const PdfWord& a, const PdfWord& b) { return a.box.left() < b.box.left(); });
    return lines;
}

QString pdfFonts(const QString& path)
{
    return run("pdffonts", {path});
}

QString compact(QString text)
{
    return text.remove(QRegularExpression("\\s"));
}

OutputOptions toPdf(const QString& path)
{
    OutputOptions o;
    o.destination = OutputOptions::Destination::PdfFile;
    o.pdfPath = path;
    return o;
}

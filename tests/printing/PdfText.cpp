#include "PdfText.h"

#include <QProcess>
#include <QRegularExpression>

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

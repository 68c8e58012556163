#include "ReportProject.h"

#include "Placeholders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString defaultFamily = QStringLiteral("WenQuanYi Micro Hei");

struct Problem {
    QString text;
};

double positiveNumber(const QString& text, const QString& what)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || v <= 0)
        throw Problem{QStringLiteral("%1 must be a positive number, not \"%2\"").arg(what, text.trimmed())};
    return v;
}

QPageSize::PageSizeId pageSizeNamed(const QString& name)
{
    static const QList<std::pair<QString, QPageSize::PageSizeId>> sizes = {
        {"A3", QPageSize::A3}, {"A4", QPageSize::A4},         {"A5", QPageSize::A5},
        {"B5", QPageSize::B5}, {"Letter", QPageSize::Letter}, {"Legal", QPageSize::Legal}};
    for (const auto& [n, id] : sizes)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return id;
    throw Problem{QStringLiteral("unknown page size \"%1\"; use A3, A4, A5, B5, Letter or Legal").arg(name)};
}

QStringList splitSegments(const QString& value)
{
    QStringList parts = value.split(u'|');
    for (QString& p : parts)
        p = p.trimmed();
    return parts;
}

void checkPlaceholders(const QStringList& texts)
{
    for (const QString& t : texts) {
        QString error;
        placeholderNames(t, &error);
        if (!error.isEmpty())
            throw Problem{error};
    }
}

ReportFont parseFont(const QString& value)
{
    const QStringList parts = value.split(u',');
    if (parts.size() < 2 || parts.size() > 3 || parts[0].trimmed().isEmpty())
        throw Problem{QStringLiteral("a font is \"family, size\" or \"family, size, bold\", not \"%1\"").arg(value)};
    ReportFont f{parts[0].trimmed(), positiveNumber(parts[1], "the font size"), false};
    if (parts.size() == 3) {
        if (parts[2].trimmed().compare("bold", Qt::CaseInsensitive) != 0)
            throw Problem{QStringLiteral("the third part of a font can only be \"bold\", not \"%1\"").arg(parts[2].trimmed())};
        f.bold = true;
    }
    return f;
}

Qt::Alignment alignmentNamed(const QString& name)
{
    if (name.compare("left", Qt::CaseInsensitive) == 0)
        return Qt::AlignLeft;
    if (name.compare("center", Qt::CaseInsensitive) == 0)
        return Qt::AlignHCenter;
    if (name.compare("right", Qt::CaseInsensitive) == 0)
        return Qt::AlignRight;
    throw Problem{QStringLiteral("alignment must be left, center or right, not \"%1\"").arg(name)};
}

ReportColumn parseColumn(const QString& value, int line)
{
    const QStringList parts = splitSegments(value);
    if (parts.size() < 4 || parts.size() > 5)
        throw Problem{QStringLiteral("a column is \"title | width | source | alignment\" with an optional "
                                     "\"| wrap\" or \"| elide\", not \"%1\"").arg(value)};
    ReportColumn c;
    c.title = parts[0];
    c.widthMm = positiveNumber(parts[1], "the column width");
    const QString& source = parts[2];
    if (source == "#") {
        c.source = ReportColumn::Source::RowNumber;
    } else if (source == "-") {
        c.source = ReportColumn::Source::Blank;
    } else if (source.isEmpty() || source.contains(QRegularExpression("[\\s{}]"))) {
        throw Problem{QStringLiteral("the column source must be a field name, \"#\" or \"-\", not \"%1\"").arg(source)};
    } else {
        c.field = source;
    }
    c.alignment = alignmentNamed(parts[3]);
    if (parts.size() == 5) {
        if (parts[4].compare("elide", Qt::CaseInsensitive) == 0)
            c.wrap = false;
        else if (parts[4].compare("wrap", Qt::CaseInsensitive) != 0)
            throw Problem{QStringLiteral("the last part of a column can be \"wrap\" or \"elide\", not \"%1\"").arg(parts[4])};
    }
    c.line = line;
    return c;
}

// Reads the project line by line; a Problem thrown for a line is turned into
// the message naming that line.
class Parser {
public:
    QList<Report> run(const QString& text)
    {
        const QStringList lines = text.split(u'\n');
        for (int i = 0; i < lines.size(); ++i) {
            lineNo = i + 1;
            readLine(lines[i].trimmed());
        }
        finishReport();
        return reports;
    }

    int lineNo = 0;

private:
    void readLine(const QString& line)
    {
        if (line.isEmpty() || line.startsWith(u'#'))
            return;
        if (line.startsWith(u'[')) {
            startReport(line);
            return;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            throw Problem{QStringLiteral("expected \"key = value\", \"[report NAME]\" or a # comment, not \"%1\"").arg(line)};
        if (!current)
            throw Problem{QStringLiteral("\"%1\" comes before any [report NAME] line").arg(line)};
        setKey(line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed());
    }

    void startReport(const QString& line)
    {
        static const QRegularExpression header(R"(^\[\s*report\s+(.+?)\s*\]$)",
                                               QRegularExpression::CaseInsensitiveOption);
        const auto m = header.match(line);
        if (!m.hasMatch())
            throw Problem{QStringLiteral("a section starts with \"[report NAME]\", not \"%1\"").arg(line)};
        finishReport();
        const QString name = m.captured(1);
        for (const Report& r : reports)
            if (r.name.compare(name, Qt::CaseInsensitive) == 0)
                throw Problem{QStringLiteral("the report \"%1\" is defined twice (first on line %2)").arg(name).arg(r.line)};
        reports.append(Report{});
        current = &reports.last();
        current->name = name;
        current->line = lineNo;
        current->bodyFont = {defaultFamily, 10, false};
        seen.clear();
    }

    void setKey(const QString& key, const QString& value)
    {
        static const QSet<QString> repeatable = {"header", "column", "signature", "footer"};
        if (!repeatable.contains(key) && seen.contains(key))
            throw Problem{QStringLiteral("\"%1\" is given twice in the report \"%2\"").arg(key, current->name)};
        seen.insert(key);
        Report& r = *current;
        if (key == "page")
            setPage(value);
        else if (key == "margins")
            setMargins(value);
        else if (key == "row.height")
            r.rowHeightMm = positiveNumber(value, "row.height");
        else if (key == "font")
            r.bodyFont = parseFont(value);
        else if (key == "font.title")
            r.titleFont = parseFont(value);
        else if (key == "font.header")
            r.headerFont = parseFont(value);
        else if (key == "font.heading")
            r.headingFont = parseFont(value);
        else if (key == "font.footer")
            r.footerFont = parseFont(value);
        else if (key == "title")
            r.title = textLine({value});
        else if (key == "header")
            r.headers << textLine(splitSegments(value));
        else if (key == "signature")
            r.signatures << textLine(splitSegments(value));
        else if (key == "footer")
            r.footers << textLine(splitSegments(value));
        else if (key == "column")
            r.columns << parseColumn(value, lineNo);
        else
            throw Problem{QStringLiteral("unknown key \"%1\"").arg(key)};
    }

    TextLine textLine(const QStringList& segments) const
    {
        checkPlaceholders(segments);
        return {segments, lineNo};
    }

    void setPage(const QString& value)
    {
        const QStringList parts = value.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        if (parts.size() != 2)
            throw Problem{QStringLiteral("page is \"SIZE portrait\" or \"SIZE landscape\", not \"%1\"").arg(value)};
        current->pageSize = pageSizeNamed(parts[0]);
        if (parts[1].compare("portrait", Qt::CaseInsensitive) == 0)
            current->orientation = QPageLayout::Portrait;
        else if (parts[1].compare("landscape", Qt::CaseInsensitive) == 0)
            current->orientation = QPageLayout::Landscape;
        else
            throw Problem{QStringLiteral("the orientation must be portrait or landscape, not \"%1\"").arg(parts[1])};
    }

    void setMargins(const QString& value)
    {
        const QStringList parts = value.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        if (parts.size() != 4)
            throw Problem{QStringLiteral("margins are four millimetre values: left top right bottom, not \"%1\"").arg(value)};
        current->marginsMm = {positiveNumber(parts[0], "the left margin"), positiveNumber(parts[1], "the top margin"),
                              positiveNumber(parts[2], "the right margin"), positiveNumber(parts[3], "the bottom margin")};
    }

    // Fonts not given follow the body font's family in the sizes a list needs.
    void finishReport()
    {
        if (!current)
            return;
        Report& r = *current;
        if (r.columns.isEmpty()) {
            lineNo = r.line;
            throw Problem{QStringLiteral("the report \"%1\" has no column").arg(r.name)};
        }
        const QString& family = r.bodyFont.family;
        if (!seen.contains("font.title"))
            r.titleFont = {family, r.bodyFont.pointSize * 1.6, true};
        if (!seen.contains("font.header"))
            r.headerFont = r.bodyFont;
        if (!seen.contains("font.heading"))
            r.headingFont = {family, r.bodyFont.pointSize, true};
        if (!seen.contains("font.footer"))
            r.footerFont = {family, r.bodyFont.pointSize * 0.9, false};
        current = nullptr;
    }

    QList<Report> reports;
    Report* current = nullptr;
    QSet<QString> seen;
};

} // namespace

QString ReportProject::resolvePath(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return QDir::cleanPath(QDir::current().absoluteFilePath(p));
}

std::optional<ReportProject> ReportProject::load(const QString& path, QString* error)
{
    const QString full = resolvePath(path);
    if (!QFileInfo(full).isFile()) {
        *error = QStringLiteral("The following reporting project does not exist:\n\"%1\"").arg(full);
        return std::nullopt;
    }
    QFile file(full);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The reporting project cannot be read:\n\"%1\"\n%2").arg(full, file.errorString());
        return std::nullopt;
    }
    return parse(QString::fromUtf8(file.readAll()), full, error);
}

std::optional<ReportProject> ReportProject::parse(const QString& text, const QString& origin,
                                                  QString* error)
{
    Parser parser;
    try {
        ReportProject project;
        project.source = origin;
        project.list = parser.run(text);
        return project;
    } catch (const Problem& p) {
        *error = QStringLiteral("%1, line %2: %3").arg(origin).arg(parser.lineNo).arg(p.text);
        return std::nullopt;
    }
}

const Report* ReportProject::find(const QString& name, QString* error) const
{
    for (const Report& r : list)
        if (r.name.compare(name, Qt::CaseInsensitive) == 0)
            return &r;
    if (error) {
        QStringList names;
        for (const Report& r : list)
            names << r.name;
        *error = QStringLiteral("%1: there is no report named \"%2\"; the project has: %3")
                     .arg(source, name, names.isEmpty() ? QStringLiteral("no report") : names.join(", "));
    }
    return nullptr;
}

#include "Placeholders.h"

namespace {

// Walks the text once, handing each literal run and each placeholder name to
// the callbacks; returns an error text for a malformed brace.
QString scan(const QString& text, const std::function<void(const QString&)>& literal,
             const std::function<void(const QString&)>& name)
{
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(u'{', pos);
        const qsizetype close = text.indexOf(u'}', pos);
        if (open < 0 && close < 0) {
            literal(text.mid(pos));
            return {};
        }
        if (open < 0 || (close >= 0 && close < open))
            return QStringLiteral("a \"}\" without its \"{\" in \"%1\"").arg(text);
        const qsizetype end = text.indexOf(u'}', open);
        const qsizetype nested = text.indexOf(u'{', open + 1);
        if (end < 0 || (nested >= 0 && nested < end))
            return QStringLiteral("a \"{\" without its \"}\" in \"%1\"").arg(text);
        const QString key = text.mid(open + 1, end - open - 1).trimmed();
        if (key.isEmpty())
            return QStringLiteral("an empty placeholder \"{}\" in \"%1\"").arg(text);
        literal(text.mid(pos, open - pos));
        name(key);
        pos = end + 1;
    }
    return {};
}

} // namespace

QStringList placeholderNames(const QString& text, QString* error)
{
    QStringList names;
    const QString problem =
        scan(text, [](const QString&) {}, [&](const QString& n) { names << n; });
    if (!problem.isEmpty()) {
        *error = problem;
        return {};
    }
    return names;
}

QString expandPlaceholders(const QString& text,
                           const std::function<QString(const QString&)>& value)
{
    QString out;
    scan(text, [&](const QString& s) { out += s; }, [&](const QString& n) { out += value(n); });
    return out;
}

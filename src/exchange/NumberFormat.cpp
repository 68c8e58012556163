#include "ReaderParts.h"

namespace {

// Built-in format ids that show dates or times, including those that
// Chinese, Japanese and Korean installations use for their date formats.
bool isBuiltInDate(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

}  // namespace

bool isDateFormat(int formatId, const QString& formatCode)
{
    if (formatCode.isEmpty())
        return isBuiltInDate(formatId);
    // The general format, under the name some writers give it in their language.
    if (formatCode.compare(QStringLiteral("General"), Qt::CaseInsensitive) == 0
        || formatCode.compare(QStringLiteral("Standard"), Qt::CaseInsensitive) == 0)
        return false;
    for (qsizetype i = 0; i < formatCode.size(); ++i) {
        const QChar ch = formatCode[i].toLower();
        if (ch == '"') {  // quoted literal text
            const qsizetype close = formatCode.indexOf('"', i + 1);
            if (close < 0)
                return false;
            i = close;
        } else if (ch == '\\' || ch == '_' || ch == '*') {  // the next character is literal
            ++i;
        } else if (ch == '[') {  // colour, condition or locale, except elapsed [h], [mm], [ss]
            const qsizetype close = formatCode.indexOf(']', i + 1);
            if (close < 0)
                return false;
            const QString inside = formatCode.mid(i + 1, close - i - 1).toLower();
            if (!inside.isEmpty() && inside.count(inside[0]) == inside.size() && QStringLiteral("hms").contains(inside[0]))
                return true;
            i = close;
        } else if (QStringLiteral("ymdhs").contains(ch)) {
            return true;
        }
    }
    return false;
}

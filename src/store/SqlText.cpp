#include "SqlText.h"

#include <QStringList>
#include <stdexcept>

namespace {

bool isPlainName(const QString& name)
{
    for (const QString& part : name.split(u'.')) {
        if (part.isEmpty() || part.front().isDigit())
            return false;
        for (const QChar c : part)
            if (!c.isLetterOrNumber() && c != u'_')
                return false;
    }
    return true;
}

} // namespace

SqlText& SqlText::append(const char* literal)
{
    parts.push_back({false, QString::fromUtf8(literal)});
    return *this;
}

SqlText& SqlText::append(const QString& value)
{
    parts.push_back({true, value});
    return *this;
}

SqlText& SqlText::append(const SqlText& more)
{
    parts.insert(parts.end(), more.parts.begin(), more.parts.end());
    return *this;
}

SqlText& SqlText::appendName(const QString& name)
{
    if (!isPlainName(name))
        throw std::logic_error("not a plain table or column name: " + name.toStdString());
    parts.push_back({false, name});
    return *this;
}

QString SqlText::display() const
{
    QString text;
    for (const Piece& p : parts)
        text += p.text;
    return text;
}

#include "SqlText.h"

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

QString SqlText::display() const
{
    QString text;
    for (const Piece& p : parts)
        text += p.text;
    return text;
}

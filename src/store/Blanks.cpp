#include "Blanks.h"

namespace {

bool isBlank(QChar ch)
{
    return ch.isSpace() || ch.category() == QChar::Other_Control || ch == QChar(0xFEFF);
}

} // namespace

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

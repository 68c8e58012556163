#include "CsvText.h"

QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (quoted) {
            if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (ch == '"')
                quoted = false;
            else
                field += ch;
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            row << field;
            field.clear();
        } else if (ch == '\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
        } else {
            field += ch;
        }
    }
    if (!field.isEmpty() || !row.isEmpty())
        rows << (row << field);
    return rows;
}

#include "Dialect.h"

#include <QRegularExpression>
#include <QSet>
#include <stdexcept>

namespace {

bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c.unicode() > 127;
}

// The word just before position `end` in `text`, skipping blanks.
QString wordBefore(const QString& text, qsizetype end)
{
    qsizetype i = end;
    while (i > 0 && text[i - 1].isSpace())
        --i;
    const qsizetype stop = i;
    while (i > 0 && isIdentChar(text[i - 1]))
        --i;
    return text.mid(i, stop - i);
}

QString escapeLikeValue(QString v)
{
    v.replace(u'\\', QStringLiteral("\\\\"));
    v.replace(u'%', QStringLiteral("\\%"));
    v.replace(u'_', QStringLiteral("\\_"));
    return v;
}

struct Token {
    qsizetype start;
    qsizetype length;
};

QList<Token> identifiers(const QString& sql)
{
    QList<Token> tokens;
    for (qsizetype i = 0; i < sql.size();) {
        if (!isIdentChar(sql[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < sql.size() && isIdentChar(sql[i]))
            ++i;
        tokens.append({start, i - start});
    }
    return tokens;
}

// Drops the qualifier of table.column where the statement cannot resolve it.
QString mendQualifiedNames(const QString& sql)
{
    const QList<Token> tokens = identifiers(sql);
    auto word = [&](int k) { return sql.mid(tokens[k].start, tokens[k].length).toLower(); };

    QSet<QString> sources;
    qsizetype setStart = -1, setEnd = -1;
    for (int k = 0; k + 1 < tokens.size(); ++k) {
        const QString w = word(k);
        if (w == u"from" || w == u"join" || w == u"update" || w == u"into")
            sources.insert(word(k + 1));
    }
    if (!tokens.isEmpty() && word(0) == u"update") {
        for (int k = 1; k < tokens.size(); ++k) {
            const QString w = word(k);
            if (setStart < 0 && w == u"set")
                setStart = tokens[k].start;
            else if (setStart >= 0 && w == u"where") {
                setEnd = tokens[k].start;
                break;
            }
        }
        if (setStart >= 0 && setEnd < 0)
            setEnd = sql.size();
    }

    QString out;
    qsizetype copied = 0;
    for (int k = 0; k + 1 < tokens.size(); ++k) {
        const Token& q = tokens[k];
        const qsizetype dot = q.start + q.length;
        const bool qualified = dot < sql.size() && sql[dot] == u'.' && tokens[k + 1].start == dot + 1;
        if (!qualified || sql[q.start].isDigit())
            continue;
        const bool inSetList = q.start >= setStart && q.start < setEnd;
        if (inSetList || !sources.contains(word(k))) {
            out += sql.mid(copied, q.start - copied);
            copied = dot + 1;
        }
    }
    out += sql.mid(copied);
    return out;
}

} // namespace

// Replaces every quoted literal by a placeholder and notes how its value is
// made: from the literal's own text and the statement's values.
TranslatedStatement::TranslatedStatement(const SqlText& text)
{
    QChar quote; // null while outside a literal
    std::vector<Part> literal;
    qsizetype literalStart = 0;
    int valueCount = 0;

    auto addChar = [&](QChar c) {
        if (literal.back().value >= 0)
            literal.push_back({QString()});
        literal.back().literal += c;
    };
    auto closeLiteral = [&] {
        const bool afterLike = wordBefore(sqlText, literalStart).compare(u"like", Qt::CaseInsensitive) == 0;
        bool hasValue = false;
        for (Part& p : literal) {
            hasValue = hasValue || p.value >= 0;
            p.likeEscaped = afterLike && p.value >= 0;
        }
        parameters.push_back(std::move(literal));
        if (afterLike && hasValue) {
            sqlText += QStringLiteral(" ? escape ? ");
            parameters.push_back({Part{QStringLiteral("\\")}});
        } else {
            sqlText += QStringLiteral(" ? ");
        }
        quote = QChar();
        literal.clear();
    };

    for (const SqlText::Piece& piece : text.pieces()) {
        if (piece.isValue) {
            if (quote.isNull())
                throw std::logic_error("a value stands outside quotes in: " + text.display().toStdString());
            literal.push_back({QString(), valueCount++});
            continue;
        }
        const QString& s = piece.text;
        for (qsizetype i = 0; i < s.size(); ++i) {
            const QChar c = s[i];
            if (quote.isNull()) {
                if (c == u'\'' || c == u'"') {
                    quote = c;
                    literalStart = sqlText.size();
                    literal.push_back({QString()});
                } else {
                    sqlText += c;
                }
            } else if (c == quote) {
                if (i + 1 < s.size() && s[i + 1] == quote) { // doubled quote inside a literal
                    addChar(c);
                    ++i;
                } else {
                    closeLiteral();
                }
            } else {
                addChar(c);
            }
        }
    }
    if (!quote.isNull())
        throw std::logic_error("an unterminated quote in: " + text.display().toStdString());

    static const QRegularExpression deleteStar(QStringLiteral("\\bdelete\\s+\\*\\s+from\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    sqlText.replace(deleteStar, QStringLiteral("delete from"));
    sqlText = mendQualifiedNames(sqlText);
}

QVariantList TranslatedStatement::values(const SqlText& text) const
{
    std::vector<const QString*> given;
    for (const SqlText::Piece& piece : text.pieces())
        if (piece.isValue)
            given.push_back(&piece.text);
    QVariantList out;
    out.reserve(qsizetype(parameters.size()));
    for (const std::vector<Part>& parameter : parameters) {
        QString value;
        for (const Part& p : parameter)
            value += p.value < 0 ? p.literal : p.likeEscaped ? escapeLikeValue(*given[size_t(p.value)]) : *given[size_t(p.value)];
        // A quoted literal is text: empty, it is the empty text, never NULL
        // (a null QString would be bound as NULL).
        out.append(value.isNull() ? QString(QLatin1StringView("")) : value);
    }
    return out;
}

QString TranslatedStatement::shapeOf(const SqlText& text)
{
    // A literal cannot hold a NUL character, so 'L' text NUL and 'V' NUL
    // spell every sequence of pieces in only one way.
    QString shape;
    for (const SqlText::Piece& piece : text.pieces()) {
        if (piece.isValue) {
            shape += u'V';
        } else {
            shape += u'L';
            shape += piece.text;
        }
        shape += QChar(0);
    }
    return shape;
}

BoundStatement translateStatement(const SqlText& text)
{
    const TranslatedStatement translated(text);
    return {translated.sql(), translated.values(text)};
}

SqlText joinLines(const std::vector<SqlText>& lines)
{
    SqlText joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            joined.append("\n");
        joined.append(lines[i]);
    }
    return joined;
}

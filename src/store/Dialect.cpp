#include "Dialect.h"

#include <QRegularExpression>
#include <QSet>
#include <map>
#include <set>
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

// A statement cut into names and single characters, each knowing the
// parenthesis it stands in (0: none), so that a subquery sees its own
// sources and those of the statements around it.
class Tokens {
public:
    explicit Tokens(const QString& sql) : sql(sql)
    {
        std::vector<int> open{0};
        std::vector<int> opening;
        for (qsizetype i = 0; i < sql.size();) {
            if (sql[i].isSpace()) {
                ++i;
                continue;
            }
            qsizetype end = i + 1;
            if (isIdentChar(sql[i]))
                while (end < sql.size() && isIdentChar(sql[end]))
                    ++end;
            const int k = size();
            if (sql[i] == u')' && !opening.empty()) {
                open.pop_back();
                closing[opening.back()] = k;
                opening.pop_back();
            }
            tokens.push_back({i, end - i, open.back()});
            if (sql[i] == u'(') {
                parents.push_back(open.back());
                open.push_back(int(parents.size()));
                opening.push_back(k);
            }
            i = end;
        }
    }

    int size() const { return int(tokens.size()); }
    qsizetype start(int k) const { return tokens[size_t(k)].start; }
    qsizetype end(int k) const { return start(k) + tokens[size_t(k)].length; }
    int scope(int k) const { return tokens[size_t(k)].scope; }
    // The parenthesis around `scope`, -1 around the statement.
    int parent(int scope) const { return scope == 0 ? -1 : parents[size_t(scope - 1)]; }
    bool is(int k, QChar c) const { return k < size() && sql[start(k)] == c && tokens[size_t(k)].length == 1; }
    // A name: letters, digits and underscores, not a number.
    bool isName(int k) const { return k < size() && isIdentChar(sql[start(k)]) && !sql[start(k)].isDigit(); }
    QString word(int k) const { return k < size() ? sql.mid(start(k), tokens[size_t(k)].length).toLower() : QString(); }
    // The token after the parenthesis that `k` opens.
    int after(int k) const
    {
        const auto found = closing.find(k);
        return found == closing.end() ? size() : found->second + 1;
    }

private:
    struct Token {
        qsizetype start;
        qsizetype length;
        int scope;
    };
    const QString& sql;
    std::vector<Token> tokens;
    std::vector<int> parents;        // of parenthesis 1, 2, ...
    std::map<int, int> closing;      // '(' token -> its ')' token
};

// Words that follow a source rather than name its alias.
bool endsSource(const QString& word)
{
    static const QSet<QString> keywords{
        QStringLiteral("where"),  QStringLiteral("join"),      QStringLiteral("inner"),   QStringLiteral("left"),
        QStringLiteral("right"),  QStringLiteral("full"),      QStringLiteral("cross"),   QStringLiteral("natural"),
        QStringLiteral("outer"),  QStringLiteral("on"),        QStringLiteral("using"),   QStringLiteral("group"),
        QStringLiteral("order"),  QStringLiteral("having"),    QStringLiteral("union"),   QStringLiteral("except"),
        QStringLiteral("intersect"), QStringLiteral("limit"),  QStringLiteral("set"),     QStringLiteral("values"),
        QStringLiteral("select"), QStringLiteral("window"),    QStringLiteral("returning")};
    return keywords.contains(word);
}

using Sources = std::set<std::pair<int, QString>>; // (parenthesis, table or alias)

// Notes the source that starts at token `k` (a table, or a subquery in
// parentheses) and its alias; returns the token after them.
int noteSource(const Tokens& t, int k, int scope, Sources& sources)
{
    if (t.is(k, u'('))
        k = t.after(k);
    else if (t.isName(k))
        sources.insert({scope, t.word(k++)});
    if (t.word(k) == u"as")
        ++k;
    if (t.isName(k) && !endsSource(t.word(k)))
        sources.insert({scope, t.word(k++)});
    return k;
}

// The tables and aliases that each parenthesis reads from: the sources after
// from, join, update and into, and the further ones of a from list.
Sources sourcesOf(const Tokens& t)
{
    Sources sources;
    for (int k = 0; k < t.size(); ++k) {
        const QString w = t.word(k);
        if (w != u"from" && w != u"join" && w != u"update" && w != u"into")
            continue;
        int next = noteSource(t, k + 1, t.scope(k), sources);
        while (w == u"from" && t.is(next, u','))
            next = noteSource(t, next + 1, t.scope(k), sources);
    }
    return sources;
}

// Where an update's SET list lies, as token numbers [first, last).
std::pair<int, int> setListOf(const Tokens& t)
{
    if (t.word(0) != u"update")
        return {0, 0};
    int first = 1;
    while (first < t.size() && t.word(first) != u"set")
        ++first;
    int last = first;
    while (last < t.size() && t.word(last) != u"where")
        ++last;
    return {first, last};
}

// Drops the qualifier of table.column where the statement names no such
// source (a column of a saved query read by the name of its table), and in
// an update's SET list, where the engine takes no qualifier. Qualifiers of
// tables, aliases and subqueries the statement reads from stay, in the
// subquery that names them and in those within it.
QString mendQualifiedNames(const QString& sql)
{
    const Tokens t(sql);
    const Sources sources = sourcesOf(t);
    const auto [setFirst, setLast] = setListOf(t);
    auto resolves = [&](int k) {
        for (int scope = t.scope(k); scope >= 0; scope = t.parent(scope))
            if (sources.count({scope, t.word(k)}) > 0)
                return true;
        return false;
    };

    QString out;
    qsizetype copied = 0;
    for (int k = 0; k + 2 < t.size(); ++k) {
        const bool qualifier = t.isName(k) && t.is(k + 1, u'.') && t.end(k) == t.start(k + 1)
                               && t.isName(k + 2) && t.end(k + 1) == t.start(k + 2);
        if (!qualifier)
            continue;
        const bool inSetList = k >= setFirst && k < setLast;
        if (inSetList || !resolves(k)) {
            out += sql.mid(copied, t.start(k) - copied);
            copied = t.start(k + 2);
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

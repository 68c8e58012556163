#pragma once

#include "SqlText.h"

#include <QStringList>
#include <QVariantList>

// A statement ready for the engine: SQLite text with '?' placeholders and the
// values to bind to them, in order.
struct BoundStatement {
    QString sql;
    QVariantList values;
};

// A statement in the original engine's dialect turned into SQLite.
//
// Every quoted literal becomes one bound parameter, with the values that
// stand inside it joined into its text ('...' + v + '...' binds the whole
// literal; "%" + v + "%" after LIKE binds %v% with v's own wildcards
// escaped). A value outside quotes is a programming error: std::logic_error.
//
// Then the dialect is mended: "delete * from" loses its star, qualified
// names in an update's SET list lose their qualifier, and a column qualified
// by a name that is not a source of the statement (t_kscs.cc read from the
// saved query ksap) is read by its bare name. A qualifier that names a
// source (a table, an alias, a subquery's alias, in a from list, a join or
// around a subquery) stays, so that the column is the one it names.
//
// The SQLite text depends only on the statement's shape (its literal pieces
// and where the values stand), so one translation serves every statement of
// that shape: values() gives each one's parameters.
class TranslatedStatement {
public:
    explicit TranslatedStatement(const SqlText& text);

    const QString& sql() const { return sqlText; }
    // The parameters for `text`, a statement of the shape this was made from.
    QVariantList values(const SqlText& text) const;

    // A key that two statements share only when they have the same shape.
    static QString shapeOf(const SqlText& text);

private:
    // A piece of one parameter: literal text, or the statement's value
    // number `value`.
    struct Part {
        QString literal;
        int value = -1;
        bool likeEscaped = false;
    };

    QString sqlText;
    std::vector<std::vector<Part>> parameters;
};

BoundStatement translateStatement(const SqlText& text);

// The lines of a slot joined by line breaks, as one statement.
SqlText joinLines(const std::vector<SqlText>& lines);

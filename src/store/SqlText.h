#pragma once

#include <QString>
#include <vector>

// A statement as the code writes it: literal pieces joined with values.
//
//     SqlText("select * from t_js where jsm='") + Edit3->text() + "'"
//
// A literal is a const char* (UTF-8) and belongs to the statement's
// structure; a value is a QString and only ever becomes a bound parameter.
class SqlText {
public:
    struct Piece {
        bool isValue;
        QString text;
    };

    SqlText() = default;
    SqlText(const char* literal) { append(literal); } // NOLINT: pieces read like the statements

    SqlText& append(const char* literal);
    SqlText& append(const QString& value);
    SqlText& append(const SqlText& more);
    // A table or column name learnt at run time (a result's field, the table
    // a statement reads), taken into the statement's structure. Only a plain
    // name is taken: parts of letters, digits and '_' joined by '.', none
    // starting with a digit. Anything else is a programming error
    // (std::logic_error), so no name can change a statement's structure.
    SqlText& appendName(const QString& name);

    const std::vector<Piece>& pieces() const { return parts; }
    bool isEmpty() const { return parts.empty(); }

    // The statement as text with the values pasted in, for display only.
    QString display() const;

private:
    std::vector<Piece> parts;
};

inline SqlText operator+(SqlText s, const char* literal) { return std::move(s.append(literal)); }
inline SqlText operator+(SqlText s, const QString& value) { return std::move(s.append(value)); }

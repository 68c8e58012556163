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

    const std::vector<Piece>& pieces() const { return parts; }
    bool isEmpty() const { return parts.empty(); }

    // The statement as text with the values pasted in, for display only.
    QString display() const;

private:
    std::vector<Piece> parts;
};

inline SqlText operator+(SqlText s, const char* literal) { return std::move(s.append(literal)); }
inline SqlText operator+(SqlText s, const QString& value) { return std::move(s.append(value)); }

#pragma once

#include <QString>
#include <stdexcept>

class QSqlError;

// A database failure. Carries the engine's own text; what() adds a short
// Chinese explanation in front of it for the clerk.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& engineText, int engineCode = 0);
    // The driver's error: the engine's text, or the driver's whole text
    // when the engine gave none.
    explicit DbError(const QSqlError& error);

    // The engine's primary result code (0 when unknown).
    int engineCode() const { return code; }

    const QString& engineText() const { return engine; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    QString engine;
    int code = 0;
};

// The clerk-facing explanation of an engine text, or an empty text when the
// engine text is all there is to say.
QString explainEngineText(const QString& engineText);

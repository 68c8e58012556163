#pragma once

#include <QString>
#include <stdexcept>

// A database failure. Carries the engine's own text; what() adds a short
// Chinese explanation in front of it for the clerk.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& engineText);

    const QString& engineText() const { return engine; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    QString engine;
};

// The clerk-facing explanation of an engine text, or an empty text when the
// engine text is all there is to say.
QString explainEngineText(const QString& engineText);

#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Placeholders are names in braces inside report texts, e.g. "考场：{js}".

// The names used in a text, in order. A stray or unclosed brace, or an empty
// name, makes it return nothing and set *error.
QStringList placeholderNames(const QString& text, QString* error);

// The text with each {name} replaced by value(name).
QString expandPlaceholders(const QString& text,
                           const std::function<QString(const QString&)>& value);

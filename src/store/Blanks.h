#pragma once

#include <QString>

// Removes leading and trailing blanks (including the ideographic space
// U+3000) and control characters: how the import trims a cell and how an
// older database's stored text is trimmed, so both give the same value.
QString trimBlanks(const QString& text);

#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// Rare characters of real names (䶮 U+4DAE in CJK Extension A, 𪚥 U+2A6A5 in
// Extension B) are missing from the main Chinese font. BabelStone Han
// (Debian package fonts-babelstone-han) has them; every font of the program,
// on screen and in reports, names it second so that it draws exactly the
// characters the main font lacks.
inline const QString rareCharacterFamily = QStringLiteral("BabelStone Han");

// A font of the family and size that falls back to the rare-character font.
QFont fontWithFallback(const QString& family, double pointSize);

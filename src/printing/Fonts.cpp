#include "Fonts.h"

QFont fontWithFallback(const QString& family, double pointSize)
{
    QFont font;
    font.setFamilies(QStringList{family, rareCharacterFamily});
    font.setPointSizeF(pointSize);
    return font;
}

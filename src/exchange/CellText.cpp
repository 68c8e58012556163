#include "CellText.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <cmath>

QString numberText(double value)
{
    if (value == 0)
        return QStringLiteral("0");  // also -0
    // Plain digits across the range a cell holds in practice; exponent form
    // only where plain digits would run to dozens of zeros.
    const double magnitude = std::fabs(value);
    const char form = magnitude >= 1e-6 && magnitude < 1e21 ? 'f' : 'g';
    return QString::number(value, form, QLocale::FloatingPointShortest);
}

QString dateSerialText(double serial)
{
    constexpr double lastSerial = 2958466;  // 10000-01-01
    if (!(serial >= 0 && serial < lastSerial))
        return numberText(serial);
    const qint64 seconds = std::llround(serial * 86400);
    const qint64 days = seconds / 86400;
    const QTime time = QTime(0, 0).addSecs(int(seconds % 86400));
    if (days == 0)
        return time.toString(QStringLiteral("HH:mm:ss"));
    // The 1900 system counts a 29 February 1900 that never was; serials
    // before it are one day later than a plain count from 1899-12-30.
    const QDate date = QDate(1899, 12, 30).addDays(days < 61 ? days + 1 : days);
    const QString dateText = date.toString(QStringLiteral("yyyy-MM-dd"));
    return time == QTime(0, 0) ? dateText : dateText + time.toString(QStringLiteral(" HH:mm:ss"));
}

QString cellText(const CellValue& value)
{
    switch (value.kind) {
    case CellValue::Kind::Empty:
        return {};
    case CellValue::Kind::Text:
    case CellValue::Kind::Error:
        return value.text;
    case CellValue::Kind::Number:
        return numberText(value.number);
    case CellValue::Kind::Boolean:
        return value.number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case CellValue::Kind::DateTime:
        return dateSerialText(value.number);
    }
    return {};
}


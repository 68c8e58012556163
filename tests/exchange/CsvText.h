#pragma once

// The fixtures' CSV files: comma-separated, double-quoted fields with ""
// for a quote, quoted fields may hold line breaks.

#include <QList>
#include <QString>

QList<QStringList> parseCsv(const QString& text);

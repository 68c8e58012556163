#pragma once

#include "ReportOutput.h"

#include <QString>
#include <QStringList>

// Reading PDFs back with pdftotext and pdfinfo (poppler-utils).

// The text of each page of a PDF, laid out in columns.
QStringList pdfPages(const QString& path);

// A value of pdfinfo's report ("Pages", "Title").
QString pdfInfo(const QString& path, const QString& key);

// Text without white space: pdftotext keeps or drops the spaces between
// Chinese characters depending on their spacing.
QString compact(QString text);

// Output straight to a PDF file, no dialog.
OutputOptions toPdf(const QString& path);

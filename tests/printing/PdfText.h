#pragma once

#include "ReportOutput.h"

#include <QList>
#include <QRectF>
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

// A word of a PDF page as pdftotext -bbox finds it, in points from the page's top-left corner.
struct PdfWord {
    QRectF box;
    QString text;
};

// The words of each page.
QList<QList<PdfWord>> pdfWords(const QString& path);

// The words of a page gathered into lines, top to bottom, each line's words
// left to right; a word belongs to a line it overlaps by half its height.
QList<QList<PdfWord>> pdfLines(const QList<PdfWord>& words);

// The report of pdffonts: one line per font with its name, type, and whether it is embedded.
QString pdfFonts(const QString& path);

// Output straight to a PDF file, no dialog.
OutputOptions toPdf(const QString& path);

#pragma once

#include "ReportOutput.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The setup dialog shown before output: destination (preview, printer, PDF
// file), copies, collation, duplex, a button for the printer's own dialog,
// and the preview's zoom and first page. Its labels speak to the clerk in
// Chinese; child widgets carry object names so tests can find them.
class OutputOptionsDialog : public QDialog {
    Q_OBJECT
public:
    OutputOptionsDialog(const OutputOptions& initial, const QString& title, QWidget* parent = nullptr);

    OutputOptions options() const;

private:
    void printerSetup();
    void browse();
    void updateEnabled();

    QRadioButton* toPreview;
    QRadioButton* toPrinter;
    QRadioButton* toFile;
    QLineEdit* fileName;
    QPushButton* browseButton;
    QSpinBox* copies;
    QCheckBox* collate;
    QComboBox* duplex;
    QSpinBox* zoom;
    QSpinBox* firstPage;
    QString printerName;
};

// The window that tells which page is being generated or printed, with a
// button that cancels the job. While it shows, it alone takes the user's
// input, so nothing else starts meanwhile.
class ReportStatusWindow : public QDialog {
    Q_OBJECT
public:
    ReportStatusWindow(const QString& title, QWidget* parent = nullptr);

    // Shows the line at once (the report runs without returning to the event
    // loop) and lets a click on the cancel button through; an empty line
    // hides the window. False once the user has cancelled.
    bool showLine(const QString& line);

private:
    QLabel* label;
    bool cancelled = false;
};

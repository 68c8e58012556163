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
// file), copies, collation, duplex and a button for the printer's own dialog.
// Child widgets carry object names so tests can find them.
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
    QString printerName;
};

// The modeless window that tells which page is being generated or printed.
class ReportStatusWindow : public QDialog {
    Q_OBJECT
public:
    ReportStatusWindow(const QString& title, QWidget* parent = nullptr);

    // Shows the line at once (the report runs without returning to the event
    // loop); an empty line hides the window.
    void showLine(const QString& line);

private:
    QLabel* label;
};

#include "ReportDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

template <class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

OutputOptionsDialog::OutputOptionsDialog(const OutputOptions& initial, const QString& title, QWidget* parent)
    : QDialog(parent),
      toPreview(named(new QRadioButton(tr("Preview")), "toPreview")),
      toPrinter(named(new QRadioButton(tr("Printer")), "toPrinter")),
      toFile(named(new QRadioButton(tr("PDF file")), "toFile")),
      fileName(named(new QLineEdit(initial.pdfPath), "fileName")),
      browseButton(named(new QPushButton(tr("Browse...")), "browse")),
      copies(named(new QSpinBox, "copies")),
      collate(named(new QCheckBox(tr("Collate")), "collate")),
      duplex(named(new QComboBox, "duplex")),
      printerName(initial.printerName)
{
    setWindowTitle(title);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileName);
    fileRow->addWidget(browseButton);
    auto* destination = new QGroupBox(tr("Destination"));
    auto* destinationLayout = new QVBoxLayout(destination);
    destinationLayout->addWidget(toPreview);
    destinationLayout->addWidget(toPrinter);
    destinationLayout->addWidget(toFile);
    destinationLayout->addLayout(fileRow);

    copies->setRange(1, 999);
    copies->setValue(initial.copies);
    collate->setChecked(initial.collate);
    duplex->addItem(tr("One-sided"), QPrinter::DuplexNone);
    duplex->addItem(tr("Two-sided, long edge"), QPrinter::DuplexLongSide);
    duplex->addItem(tr("Two-sided, short edge"), QPrinter::DuplexShortSide);
    duplex->setCurrentIndex(std::max(0, duplex->findData(initial.duplex)));
    auto* settings = new QGroupBox(tr("Printer settings"));
    auto* form = new QFormLayout(settings);
    form->addRow(tr("Copies:"), copies);
    form->addRow(QString(), collate);
    form->addRow(tr("Duplex:"), duplex);

    auto* setupButton = named(new QPushButton(tr("Printer Setup...")), "printerSetup");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->addButton(setupButton, QDialogButtonBox::ActionRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(destination);
    layout->addWidget(settings);
    layout->addWidget(buttons);

    using D = OutputOptions::Destination;
    (initial.destination == D::Printer ? toPrinter : initial.destination == D::PdfFile ? toFile : toPreview)
        ->setChecked(true);
    updateEnabled();

    connect(toFile, &QRadioButton::toggled, this, &OutputOptionsDialog::updateEnabled);
    connect(browseButton, &QPushButton::clicked, this, &OutputOptionsDialog::browse);
    connect(setupButton, &QPushButton::clicked, this, &OutputOptionsDialog::printerSetup);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

OutputOptions OutputOptionsDialog::options() const
{
    OutputOptions o;
    using D = OutputOptions::Destination;
    o.destination = toFile->isChecked() ? D::PdfFile : toPrinter->isChecked() ? D::Printer : D::Preview;
    o.pdfPath = fileName->text().trimmed();
    o.printerName = printerName;
    o.copies = copies->value();
    o.collate = collate->isChecked();
    o.duplex = QPrinter::DuplexMode(duplex->currentData().toInt());
    return o;
}

void OutputOptionsDialog::updateEnabled()
{
    fileName->setEnabled(toFile->isChecked());
    browseButton->setEnabled(toFile->isChecked());
}

void OutputOptionsDialog::browse()
{
    const QString chosen =
        QFileDialog::getSaveFileName(this, tr("Save report as"), fileName->text(), tr("PDF files (*.pdf)"));
    if (!chosen.isEmpty())
        fileName->setText(chosen);
}

// The printer's own dialog picks the printer; what it sets for copies,
// collation and duplex comes back into this dialog.
void OutputOptionsDialog::printerSetup()
{
    QPrinter printer;
    if (!printerName.isEmpty())
        printer.setPrinterName(printerName);
    printer.setCopyCount(copies->value());
    printer.setCollateCopies(collate->isChecked());
    printer.setDuplex(QPrinter::DuplexMode(duplex->currentData().toInt()));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printerName = printer.printerName();
    copies->setValue(printer.copyCount());
    collate->setChecked(printer.collateCopies());
    duplex->setCurrentIndex(std::max(0, duplex->findData(printer.duplex())));
    if (!toFile->isChecked())
        toPrinter->setChecked(true);
}

ReportStatusWindow::ReportStatusWindow(const QString& title, QWidget* parent)
    : QDialog(parent), label(named(new QLabel, "statusLine"))
{
    setWindowTitle(title);
    setModal(false);
    label->setMinimumWidth(260);
    label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
}

void ReportStatusWindow::showLine(const QString& line)
{
    if (line.isEmpty()) {
        hide();
        return;
    }
    label->setText(line);
    show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

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
      toPreview(named(new QRadioButton(QStringLiteral("屏幕预览")), "toPreview")),
      toPrinter(named(new QRadioButton(QStringLiteral("打印机")), "toPrinter")),
      toFile(named(new QRadioButton(QStringLiteral("PDF 文件")), "toFile")),
      fileName(named(new QLineEdit(initial.pdfPath), "fileName")),
      browseButton(named(new QPushButton(QStringLiteral("浏览...")), "browse")),
      copies(named(new QSpinBox, "copies")),
      collate(named(new QCheckBox(QStringLiteral("逐份打印")), "collate")),
      duplex(named(new QComboBox, "duplex")),
      zoom(named(new QSpinBox, "zoom")),
      firstPage(named(new QSpinBox, "firstPage")),
      printerName(initial.printerName)
{
    setWindowTitle(title);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileName);
    fileRow->addWidget(browseButton);
    auto* destination = new QGroupBox(QStringLiteral("输出到"));
    auto* destinationLayout = new QVBoxLayout(destination);
    destinationLayout->addWidget(toPreview);
    destinationLayout->addWidget(toPrinter);
    destinationLayout->addWidget(toFile);
    destinationLayout->addLayout(fileRow);

    copies->setRange(1, 999);
    copies->setValue(initial.copies);
    collate->setChecked(initial.collate);
    duplex->addItem(QStringLiteral("单面"), QPrinter::DuplexNone);
    duplex->addItem(QStringLiteral("双面，长边翻页"), QPrinter::DuplexLongSide);
    duplex->addItem(QStringLiteral("双面，短边翻页"), QPrinter::DuplexShortSide);
    duplex->setCurrentIndex(std::max(0, duplex->findData(initial.duplex)));
    auto* settings = new QGroupBox(QStringLiteral("打印设置"));
    auto* form = new QFormLayout(settings);
    form->addRow(QStringLiteral("份数："), copies);
    form->addRow(QString(), collate);
    form->addRow(QStringLiteral("双面打印："), duplex);

    zoom->setRange(10, 400);
    zoom->setSingleStep(10);
    zoom->setSuffix(QStringLiteral(" %"));
    zoom->setValue(initial.previewZoomPercent);
    firstPage->setRange(1, 9999);
    firstPage->setValue(initial.previewFirstPage);
    auto* previewSetup = new QGroupBox(QStringLiteral("预览设置"));
    auto* previewForm = new QFormLayout(previewSetup);
    previewForm->addRow(QStringLiteral("显示比例："), zoom);
    previewForm->addRow(QStringLiteral("先显示第几页："), firstPage);

    auto* setupButton = named(new QPushButton(QStringLiteral("打印机设置...")), "printerSetup");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    buttons->addButton(setupButton, QDialogButtonBox::ActionRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(destination);
    layout->addWidget(settings);
    layout->addWidget(previewSetup);
    layout->addWidget(buttons);

    using D = OutputOptions::Destination;
    (initial.destination == D::Printer ? toPrinter : initial.destination == D::PdfFile ? toFile : toPreview)
        ->setChecked(true);
    updateEnabled();

    connect(toFile, &QRadioButton::toggled, this, &OutputOptionsDialog::updateEnabled);
    connect(toPreview, &QRadioButton::toggled, this, &OutputOptionsDialog::updateEnabled);
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
    o.previewZoomPercent = zoom->value();
    o.previewFirstPage = firstPage->value();
    return o;
}

void OutputOptionsDialog::updateEnabled()
{
    fileName->setEnabled(toFile->isChecked());
    browseButton->setEnabled(toFile->isChecked());
    zoom->setEnabled(toPreview->isChecked());
    firstPage->setEnabled(toPreview->isChecked());
}

void OutputOptionsDialog::browse()
{
    const QString chosen =
        QFileDialog::getSaveFileName(this, QStringLiteral("报表另存为"), fileName->text(),
                                     QStringLiteral("PDF 文件 (*.pdf)"));
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
    setWindowModality(Qt::ApplicationModal);
    label->setMinimumWidth(260);
    label->setAlignment(Qt::AlignCenter);
    auto* cancel = named(new QPushButton(QStringLiteral("取消")), "cancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    // The button, Esc and the window's close box all cancel.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] { cancelled = true; });
}

bool ReportStatusWindow::showLine(const QString& line)
{
    if (line.isEmpty()) {
        hide();
        return !cancelled;
    }
    label->setText(line);
    show();
    QCoreApplication::processEvents();
    return !cancelled;
}

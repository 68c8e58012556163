#include "GuideWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

GuideWindow::GuideWindow(Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("GuideWindow"), QStringLiteral("使用说明"), parent)
{
    // Wide enough for the pictures of the widest windows.
    resize(1200, 800);
    guideBrowser = named(new QTextBrowser(this), "guideBrowser");
    // Links within the guide are followed here; a web address is not opened.
    guideBrowser->setOpenExternalLinks(false);
    auto* exitButton = named(new QPushButton(QStringLiteral("关闭"), this), "closeButton");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(guideBrowser);
    layout->addWidget(exitButton, 0, Qt::AlignRight);
    setExitButton(exitButton);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::accept);
}

void GuideWindow::showGuide(const QString& file)
{
    guideBrowser->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    guideBrowser->moveCursor(QTextCursor::Start);
    exec();
}

QString findGuide(const QString& programFolder)
{
    const QDir folder(programFolder);
    for (const QString& candidate : {QStringLiteral("guide/index.html"), QStringLiteral("../share/doc/paikao/guide/index.html")}) {
        const QFileInfo file(folder.filePath(candidate));
        if (file.isFile())
            return file.canonicalFilePath();
    }
    return {};
}

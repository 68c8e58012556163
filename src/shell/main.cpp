#include "Dialogs.h"
#include "Fonts.h"
#include "Startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("缓补考排考系统"));
    // Ties the windows to the menu entry paikao.desktop and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("paikao"));
    QApplication::setFont(fontWithFallback(QStringLiteral("WenQuanYi Micro Hei"), 10));

    // Qt's own dialogs (file, print) speak Chinese like the rest.
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);

    QtDialogs dialogs;
    const std::unique_ptr<Windows> windows = startUp(dialogs, QCoreApplication::applicationDirPath());
    if (!windows)
        return 1;
    return QApplication::exec();
}

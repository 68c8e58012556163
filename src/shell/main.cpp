#include "Dialogs.h"
#include "Fonts.h"
#include "Unit13.h"
#include "Windows.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("缓补考排考系统"));
    QApplication::setFont(fontWithFallback(QStringLiteral("WenQuanYi Micro Hei"), 10));

    // Qt's own dialogs (file, print) speak Chinese like the rest.
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);

    QtDialogs dialogs;
    Windows windows(dialogs);
    windows.Form13->show();
    return QApplication::exec();
}

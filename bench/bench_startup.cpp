// Start-up to the login window, as one process: `bench_startup program`
// starts as the program does and exits once the login window has been
// painted; `bench_startup dialog` shows one dialog with the same font and
// exits once it has been painted, the yardstick. Time the two with
// farm-bench (README, Benchmarks).
#include "Dialogs.h"
#include "Fonts.h"
#include "Startup.h"
#include "Unit13.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <cstdlib>
#include <cstring>

namespace {

// Ends the process as soon as the watched window has painted itself: what
// the program does after that (the deferred windows) is not start-up.
class QuitAfterPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, [] { std::_Exit(0); }, Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv)
{
    const bool program = argc > 1 && std::strcmp(argv[1], "program") == 0;
    QApplication app(argc, argv);
    QApplication::setFont(fontWithFallback(QStringLiteral("WenQuanYi Micro Hei"), 10));
    QuitAfterPaint quit;
    if (program) {
        QtDialogs dialogs;
        const std::unique_ptr<Windows> windows = startUp(dialogs, QCoreApplication::applicationDirPath());
        if (!windows)
            return 1;
        windows->Form13->installEventFilter(&quit);
        return QApplication::exec();
    }
    QDialog dialog;
    QLabel label(QStringLiteral("用户名：admin"), &dialog);
    dialog.installEventFilter(&quit);
    dialog.show();
    return QApplication::exec();
}

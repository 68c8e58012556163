#include "Startup.h"

#include "Dialogs.h"
#include "Unit13.h"
#include "WorkFolder.h"

std::unique_ptr<Windows> startUp(Dialogs& dialogs, const QString& programFolder)
{
    const QString problem = enterWorkFolder(programFolder);
    if (!problem.isEmpty()) {
        dialogs.error(problem);
        return nullptr;
    }
    // The login window shows first; it has the other windows made once it
    // has been painted, while the clerk types the password.
    auto windows = Windows::loginFirst(dialogs);
    windows->Form13->show();
    return windows;
}

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
    auto windows = std::make_unique<Windows>(dialogs);
    windows->Form13->show();
    return windows;
}

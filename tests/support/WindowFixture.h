#pragma once

#include "DataModule.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"

// A window over a fresh database as the program makes it: the boxes
// recorded, the shared slots connected to the database of the test's
// folder. The test adds its rows and shows the window.
template <typename Window>
struct WindowFixture {
    WindowFixture() { dm.reconfigure(); }

    // Hides and shows the window again, as the menu's next opening does.
    void reopen()
    {
        w.hide();
        w.show();
    }

    TestDatabase db;
    RecordingDialogs dialogs;
    DataModule dm;
    Window w{dm, dialogs};
};

#pragma once

#include "Windows.h"

#include <QString>
#include <memory>

class Dialogs;

// Start-up as the program runs it: makes the folder the program works in
// ready (WorkFolder.h), creates every window and shows the login window.
// When the folder cannot be made ready it reports why and returns null.
std::unique_ptr<Windows> startUp(Dialogs& dialogs, const QString& programFolder);

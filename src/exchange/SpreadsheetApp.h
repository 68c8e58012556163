#pragma once

#include "StreamedWorkbook.h"
#include "Workbook.h"

#include <functional>
#include <memory>
#include <optional>

class Dialogs;

// The name a workbook is saved under: the chosen one ending in .xlsx (a name
// ending in .xls would make the file look like the older format, which it
// is not).
QString xlsxFileName(QString chosen);

// What the window does with a spreadsheet, in the order it does it: create
// the application, make it visible or not, open or add a workbook, work on
// its first worksheet and quit. Backed by the in-process workbook, so the
// user is handed a visible workbook by saving it where they choose and
// opening it with the desktop's spreadsheet program.
//
// Every failure is a WorkbookError.
class SpreadsheetApp {
public:
    // Makes an application, or none when it cannot be created.
    using Factory = std::function<std::unique_ptr<SpreadsheetApp>(Dialogs&)>;
    static std::unique_ptr<SpreadsheetApp> create(Dialogs& dialogs);

    explicit SpreadsheetApp(Dialogs& dialogs) : dialogs(dialogs) {}

    void setVisible(bool on) { visible = on; }

    // Workbooks.Open: reads the file (what of it `bounds` keeps); it counts
    // as saved.
    void open(const QString& path, const ReadBounds& bounds = {});
    // Workbooks.Add: a new, unsaved workbook.
    void add();
    // Workbooks.Add for a workbook that is written as it is filled, cell by
    // cell, and cannot be read back.
    StreamedWorkbook& addStreamed();

    // WorkSheets(1) of the active workbook.
    Worksheet& firstSheet();

    // Ends the application. A visible workbook that was never saved is
    // offered for saving first, as a spreadsheet program asks on quitting.
    // Throws WorkbookError when a streamed workbook could not be completed
    // (it is dropped unoffered).
    void Quit();
    // The handler is done with a visible application that the user keeps:
    // the user gets the workbook the same way (and Quit's failure).
    void leaveToUser() { Quit(); }

private:
    void offerToSave();

    Dialogs& dialogs;
    bool visible = false;
    std::optional<Workbook> book;
    std::unique_ptr<StreamedWorkbook> streamed;
    bool saved = true;
};

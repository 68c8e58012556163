#pragma once

#include "DataModule.h"
#include "Dialogs.h"
#include "ReportEngine.h"
#include "ReportOutput.h"
#include "ReportSettings.h"

#include <QList>
#include <QString>
#include <optional>

class QWidget;

// The exam-room lists without a window: a room's candidates copied into the
// print table t_print1, and the report "Report2" printed over it, for the
// last room chosen or for every room of an exam time in one job. The
// printing window calls these; so do the tests.

// Opens on `list` the candidates of the room at the exam time, ordered by
// paper, course and student number.
void listRoom(QuerySlot& list, const QString& time, const QString& room);

// Replaces t_print1 with the rows open on `list` (each value trimmed), one
// statement per row on `write`, all in one transaction on `connection`.
void copyToPrintTable(Connection& connection, QuerySlot& list, QuerySlot& write);

// Where to print and what may be asked on the way.
struct PrintSetup {
    DataModule& dm;
    Dialogs& dialogs;
    // The report system's dialogs and texts.
    const ReportSettings& settings;
    // Unset, the clerk chooses the output in the setup dialog; set, the
    // report goes straight to these options (how the tests print a PDF).
    const std::optional<OutputOptions>& preset;
    QWidget* parent = nullptr;
};

// Runs a job through the report engine: the setup dialog (or the preset
// output), the status window, the output; a problem is shown to the clerk,
// and a PDF file the clerk chose is named.
void printPages(const PrintSetup& setup, const PageMaker& pages);

// printPages for pages laid out in one go: the progress counts them off and
// may stop the job.
void printLaidOut(const PrintSetup& setup, const std::function<LaidOutReport()>& layOut);

// Prints what t_print1 holds, read through `dataSet` while the report runs.
void printLastList(const PrintSetup& setup, QuerySlot& dataSet);

// Prints every room that has candidates at the exam time (every time when
// the time is blank; the rooms are found on the rooms slot ADOQuery24), in
// order of time then room name, as one job: each room
// is copied into t_print1 in turn (the list on `list`, the copy on `write`)
// and starts on a new page under its own header and page count, all in one
// transaction. t_print1 ends holding the last room's list. Returns how many rooms went into the job.
int printEveryRoom(const PrintSetup& setup, const QString& time, QuerySlot& list, QuerySlot& write,
                   QuerySlot& dataSet);

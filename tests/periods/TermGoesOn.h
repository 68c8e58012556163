#pragma once

// What every step that renumbers the periods must leave working: rooms given
// by hand on the new periods, the room list of one time printed, the export.

class DataModule;
class RecordingDialogs;
class TestDatabase;

// Gives every paper without a room one in TForm4, period by period: papers
// C… go to C303, the others to A101. The boxes the window shows are dropped.
void giveRoomsByHand(TestDatabase& db, DataModule& dm, RecordingDialogs& dialogs);

// Prints the room of paper A1 at its time and finds the time and every
// candidate of that room on the page (F0 among them), then exports the
// arrangement and finds each candidate's time and period in the workbook.
// Needs data/Project2.rav in the test's folder and a time for every period.
void printAndExportOnTheNewPeriods(TestDatabase& db, DataModule& dm, RecordingDialogs& dialogs);

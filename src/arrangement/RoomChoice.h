#pragma once

#include <QString>

class ComboBox;
class DataModule;
class Dialogs;

// The room choice that both room windows share: the list of room names and
// giving a paper the room the clerk chose.

// Opens the room list; when there is at least one room, the choice is
// emptied and filled with the room names. With no room it stays as it was.
void openRoomList(DataModule& dm, ComboBox& choice);

// Gives every placement of the paper the room named by the choice's text and
// reports "指定成功". Refuses with a message, changing nothing, when no room
// is chosen, no paper is chosen, or no room has that name. Asks first when
// the room would hold more than its seats in the paper's period; No changes
// nothing. True on success.
bool assignRoom(DataModule& dm, Dialogs& dialogs, const QString& room, const QString& paper);

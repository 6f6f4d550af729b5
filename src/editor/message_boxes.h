#pragma once

// Storage code reports to the user through a message sink (storage/messages.h);
// the windows show those messages in message boxes.
namespace korvalo::editor {

// Installs the sink that shows every storage message in a message box: OK
// button, the message's icon, and its title (the program's title when it has
// none).
void ShowStorageMessagesInMessageBoxes();

}  // namespace korvalo::editor

#pragma once

// Modal prompts: message boxes, file names, the folder picker, text input,
// pop-up menus and modal windows all go through one hook. In the program the
// hook shows the real dialog; tests install a script (platform/forms/testing.h)
// that answers each prompt and checks what it shows.

#include <functional>
#include <optional>
#include <string>

#include "platform/forms/print_dialog.h"

namespace korvalo::forms {

class Form;
class Menu;

// Buttons of a message box (the low three bits of the buttons argument).
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
// Icons (added to the buttons).
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
// Default button (added to the buttons).
inline constexpr int vbDefaultButton1 = 0;
inline constexpr int vbDefaultButton2 = 256;
inline constexpr int vbDefaultButton3 = 512;
// Answers.
inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

// The program's title: message boxes without a title of their own show it.
// "Korvalo" unless the program sets another.
const std::string& AppTitle();
void SetAppTitle(const std::string& title);

// A message box; returns the answer (vbOK, vbYes, ...). An empty title shows
// the program's title. Closing the box without a button answers vbCancel
// where there is a Cancel button, else the only or first button.
int MsgBox(const std::string& text, int buttons = vbOKOnly, const std::string& title = {});

// File dialogs. The filter is a "|"-separated list of description and
// pattern pairs: "Korvalo project (*.kvx)|*.kvx|All files (*.*)|*.*". The
// dialog shows each description as written when it ends in its patterns in
// brackets, and with " (patterns)" added when it does not ("All|*.*").
struct FileDialogOptions {
  std::string title;
  std::string filter;
  std::string initialDir;
  std::string fileName;    // proposed file name
  std::string defaultExt;  // without the point, added when the user types none
  int flags = 0;           // 2: ask before replacing a file (the real save dialog
                           // always asks); 4: hide read-only; 4096: the file must exist
};

// The chosen full path, or nothing when the user cancelled.
std::optional<std::string> OpenFileName(const FileDialogOptions& options);
std::optional<std::string> SaveFileName(const FileDialogOptions& options);

// The chosen folder, or nothing when the user cancelled.
std::optional<std::string> PickFolder(const std::string& title, const std::string& startFolder = {});

// A line of text, or nothing when the user cancelled.
std::optional<std::string> InputBox(const std::string& prompt, const std::string& title = {},
                                    const std::string& defaultText = {});

// What a prompt shows.
enum class PromptKind { Message, OpenFile, SaveFile, Folder, Input, PopupMenu, ModalForm, Print };

struct Prompt {
  PromptKind kind = PromptKind::Message;
  std::string title;  // after the default title was applied
  std::string text;   // message, input prompt; for a modal form its caption
  int buttons = 0;    // message box: buttons + icon + default button
  int ButtonSet() const { return buttons & 7; }
  int Icon() const { return buttons & 0x70; }
  FileDialogOptions file;   // file dialogs; Folder uses initialDir
  std::string defaultText;  // input
  Menu* menu = nullptr;     // pop-up menu: the menu whose items are offered
  Form* form = nullptr;     // modal form: the form being shown
  PrintDialogOptions print;  // print dialog
};

struct PromptAnswer {
  int button = 0;                   // message box answer
  std::optional<std::string> text;  // file, folder or input; nothing = cancelled
  Menu* item = nullptr;             // pop-up menu: the chosen item, null = none
  std::optional<PrintChoice> print = std::nullopt;  // print dialog; nothing = cancelled
};

// The hook. An empty handler (the default) shows the real dialogs. Returns
// the previous handler.
using PromptHandler = std::function<PromptAnswer(const Prompt&)>;
PromptHandler SetPromptHandler(PromptHandler handler);

// Runs a prompt through the hook (the functions above use it).
PromptAnswer Ask(const Prompt& prompt);

// The most cautious answer to a prompt, for handlers that answer prompts
// nobody expected: Cancel where it is offered, else No, Abort or OK; a
// modal form is hidden unanswered.
PromptAnswer CautiousAnswer(const Prompt& prompt);

}  // namespace korvalo::forms

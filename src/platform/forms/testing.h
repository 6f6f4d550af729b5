#pragma once

// Test support for windows built on the forms layer (link korvalo_forms_testing;
// uses GoogleTest to report failures).
//
// - PromptScript answers the prompts of the code under test in order and
//   checks each one; a prompt it does not expect fails the test.
// - The user actions send real input events to the controls, so they take
//   the same path as a user's mouse and keyboard (focus, key rules, Click,
//   Change, MouseUp order).
// - RecordingCanvas records what is drawn on a picture box.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/forms.h"

namespace korvalo::forms::testing {

// Installs itself as the prompt hook for its lifetime. Each Expect... adds
// the next prompt the code is expected to show and how to answer it. On
// destruction it fails the test when expected prompts were not shown.
class PromptScript {
 public:
  PromptScript();
  ~PromptScript();
  PromptScript(const PromptScript&) = delete;
  PromptScript& operator=(const PromptScript&) = delete;

  // A message box with exactly this text, buttons (buttons + icon + default
  // button) and title ("" means the program's title), answered with answer.
  PromptScript& ExpectMsgBox(const std::string& text, int buttons, int answer = vbOK,
                             const std::string& title = {});
  // The unknown-error box for the number.
  PromptScript& ExpectUnknownError(int number);
  // File and folder dialogs; nothing as the answer cancels.
  PromptScript& ExpectOpenFile(std::optional<std::string> answer);
  PromptScript& ExpectSaveFile(std::optional<std::string> answer);
  PromptScript& ExpectFolder(std::optional<std::string> answer);
  PromptScript& ExpectInput(const std::string& prompt, std::optional<std::string> answer);
  // A pop-up menu of the named menu; the item chosen by name ("" chooses
  // nothing). The chosen item must be visible and enabled.
  PromptScript& ExpectPopup(const std::string& menuName, const std::string& chooseItem);
  // The print dialog, answered with the choice (nothing cancels). When
  // `selection` is given, the dialog must offer (and open with) the
  // selection range exactly then; a printer not offered fails the test.
  PromptScript& ExpectPrintDialog(std::optional<PrintChoice> answer,
                                  std::optional<bool> selection = std::nullopt);
  // A modal form with this name; act does what the user does in it and
  // should hide or unload it.
  PromptScript& ExpectModal(const std::string& formName, std::function<void(Form&)> act);

  // Prompts expected and not yet shown.
  int Pending() const;
  // Every prompt shown so far, in order.
  const std::vector<Prompt>& Seen() const { return seen_; }

  struct Step;

 private:
  PromptAnswer Answer(const Prompt& prompt);
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  std::vector<Prompt> seen_;
  PromptHandler previous_;
};

// --- user actions --------------------------------------------------------

// A click with the left button in the middle of the control (press and
// release): focus as a click gives it, MouseDown, the control's own reaction
// (a check box toggles, a button clicks), Click, MouseUp.
void UserClick(Control& control);
// A press and release with the given button (vbLeftButton, vbRightButton,
// vbMiddleButton) at x, y twips inside the control (the middle when
// negative).
void UserMouseClick(Control& control, int button, double x = -1, double y = -1);
void UserDoubleClick(Control& control);
// The pointer moved, no button held, to x, y twips inside the control (the
// middle when negative), or inside the form's own area.
void UserMouseMove(Control& control, double x = -1, double y = -1);
void UserMouseMove(Form& form, double x, double y);
// Moves the focus to the control as a click or the Tab key would.
void UserFocus(Control& control);
// The Tab key (Shift+Tab when backward) pressed in the control.
void UserTab(Control& control, bool forward = true);
// Types the text (UTF-8) into the control that has the focus after the
// control is given the focus: one key per character, each through KeyDown,
// KeyPress and the control's own handling.
void UserType(Control& control, const std::string& text);
// One key by its character code ("\b" = 8, Ctrl+V = 22, ...).
void UserKey(Control& control, int keyAscii);
// A key that types no character (vbKeyDown, vbKeyDelete, vbKeyF1...), with
// the shift state (vbShiftMask, vbCtrlMask, vbAltMask), pressed in the
// control after it is given the focus.
void UserPressKey(Control& control, int keyCode, int shift = 0);
// The Paste item of the text box's context menu.
void UserContextPaste(TextBox& box);
// Text (UTF-8) that an input method commits into the focused text box, as a
// dead key or a compose sequence delivers it.
void UserComposeText(TextBox& box, const std::string& text);
// Puts text on the clipboard.
void SetClipboardText(const std::string& text);
// Picks item index from the combo box's list.
void UserSelect(ComboBox& combo, int index);
// Scroll bar: an arrow (down = towards Max), the page area, the thumb dragged
// through the values given and released at the last one.
void UserScrollArrow(VScrollBar& bar, bool down);
void UserScrollPage(VScrollBar& bar, bool down);
void UserDragThumb(VScrollBar& bar, const std::vector<int>& values);
// Chooses a menu item (or opens a menu that has items).
void UserChooseMenu(Menu& menu);
// Resizes the form's window as the user's dragging does (outer size, twips).
void UserResize(Form& form, int width, int height);
// Makes the form the active window as the user's click on it does.
void UserActivate(Form& form);
// Closes the form's window with its close button.
void UserClose(Form& form);

// --- the look of a window -------------------------------------------------

// Every control of the form, each container before the controls inside it.
std::vector<Control*> ControlsOf(Form& form);

// A caption measured in the font its control shows it in: the text's width
// (access-key marks not counted) and the room the control gives it (the
// whole width of a label, a button's inside less its border, the room beside
// the box of a check or option button), in pixels.
struct CaptionFit {
  std::string text;
  int textPx = 0;
  int roomPx = 0;
};
// Nothing for controls without a caption (text boxes, lists, frames without
// a caption...) or with an empty one.
std::optional<CaptionFit> MeasureCaption(Control& control);

// --- drawing -------------------------------------------------------------

struct DrawCall {
  enum class Kind { Clear, Line, Rectangle, Arc } kind = Kind::Clear;
  double a = 0, b = 0, c = 0, d = 0;  // Line/Rectangle: x1 y1 x2 y2; Arc: cx cy radius start
  double e = 0;                       // Arc: end angle
  Colour colour = 0;
  std::string ToString() const;  // e.g. "Line 0 0 100 200 &H0"
};

// Records every call. Attach(picture) taps a picture box's drawing until
// the recorder is destroyed.
class RecordingCanvas : public Canvas {
 public:
  RecordingCanvas() = default;
  explicit RecordingCanvas(PictureBox& picture);
  ~RecordingCanvas() override;

  void Clear() override;
  void Line(double x1, double y1, double x2, double y2, Colour colour) override;
  void Rectangle(double x1, double y1, double x2, double y2, Colour colour) override;
  void Arc(double cx, double cy, double radius, double startAngle, double endAngle,
           Colour colour) override;

  const std::vector<DrawCall>& Calls() const { return calls_; }
  // The calls since the last Clear.
  std::vector<DrawCall> SinceClear() const;
  void Reset() { calls_.clear(); }

 private:
  std::vector<DrawCall> calls_;
  PictureBox* picture_ = nullptr;
};

}  // namespace korvalo::forms::testing

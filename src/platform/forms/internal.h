#pragma once

// Inside the forms layer only: the Qt side of the controls.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/forms/form.h"
#include "platform/forms/prompts.h"

class QLineEdit;
class QKeyEvent;
class QMouseEvent;
class QMenu;

namespace korvalo::forms::detail {

// --- the event guard -------------------------------------------------------
// Depth of handlers running now. An exception escaping a handler at depth 0
// (started by the user, a timer, or code outside any handler) is reported
// with the unknown-error box; deeper ones travel back to the statement that
// raised the event.
void RunHandler(const std::function<void()>& body);
// Runs body with the depth raised but reports nothing: errors travel to the
// caller (Form::Load).
void RunPropagating(const std::function<void()>& body);
// While a nested event loop runs (a modal dialog, DoEvents), events inside it
// start at depth 0 again.
class NestedLoop {
 public:
  NestedLoop();
  ~NestedLoop();
  NestedLoop(const NestedLoop&) = delete;
  NestedLoop& operator=(const NestedLoop&) = delete;

 private:
  int saved_;
};

// Where Qt calls into the layer (widget events, signals): errors of the
// handlers raised there are reported there and never travel through Qt's
// own frames.
using QtBoundary = NestedLoop;

inline void Raise(const IndexHandler& h, int index) {
  if (h) RunHandler([&] { h(index); });
}

// --- conversions -----------------------------------------------------------
// Whole pixels of twips.
inline int Px(double twips) { return PixelsFromTwips(twips); }
inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string S(const QString& s) { return s.toUtf8().toStdString(); }
QColor ToQColor(Colour c);
// A layer image as Qt holds one (null for an empty image).
QImage ToQImage(const Image& image);
QFont ToQFont(const Font& f);
// Caption with "&" access keys for widgets that show them (buttons): as is.
// For widgets that do not (labels): "&" removed, "&&" shown as "&".
QString PlainCaption(const std::string& caption);
// The character code of KeyPress for a code point, and back.
int KeyAsciiOf(char32_t cp);
QString TextOfKeyAscii(int code);
// VB key code and shift state of a Qt key event.
int KeyCodeOf(const QKeyEvent* e);
int ShiftOf(Qt::KeyboardModifiers m);
int ButtonOf(Qt::MouseButton b);

// --- the look of the forms (style.cpp) ---------------------------------------
// Puts in the program's style once per application: access-key underlines
// shown only while Alt is held, and never for a key that is not a letter or
// a digit.
void InstallDesktopStyle();
// Whether the caption's access key would be underlined while Alt is held.
bool AccessKeyUnderlined(const QString& caption);
bool AltHeld();

// --- MDI (mdi.cpp) -----------------------------------------------------------
// The sub-window that holds an MDI child form's window; null for any other
// form.
QWidget* MdiSubWindow(const Form& form);
// For an MDI child: the inner size of its frame in twips (true); false for
// any other form.
bool MdiClientSize(const Form& form, int& width, int& height);
// The caption of a frame or of a child changed: the frame's title shows it.
void MdiCaptionChanged(const Form& form);

// --- access to the controls' insides --------------------------------------
struct Access {
  // Geometry of a control's widget from its twips.
  static void PlaceWidget(Control& c);
  // Focus moves inside the form (user or program): LostFocus then GotFocus.
  static void FocusTo(Control& c);
  // A Qt focus-in on a control's widget.
  static void QtFocusIn(Control& c, Qt::FocusReason reason);
  // Tab and Shift+Tab on a form.
  static bool TabNext(Form& f, bool forward);
  // Runs change (the program disabling or hiding c's widget) without letting
  // Qt hand the focus on to another control: a control the user did not
  // pick never receives the keys typed next. The focus goes to no control.
  static void WithoutFocusMove(Control& c, const std::function<void()>& change);
  static bool FocusMoveHeld(const Form& f) { return f.focusMoveHeld_; }
  static void RemoveFromForm(Control& c);
  // The form's menu-bar menus and pop-up menus, in order (menu_icons.cpp).
  static std::vector<Menu*> TopMenus(const Form& f);
  // Mouse and key events of a control's widget.
  static void MouseDown(Control& c, QMouseEvent* e);
  static void MouseUp(Control& c, QMouseEvent* e);
  static void MouseMove(Control& c, QMouseEvent* e);
  // The pointer moved over the form's own area, outside its controls.
  static void FormMouseMove(Form& f, QMouseEvent* e);
  static void Click(Control& c);
  // The Click a release over the control makes: none for a combo box, whose
  // Click means that an entry of its list was chosen (ComboActivated), not a
  // click in its text or on its button.
  static void ReleaseClick(Control& c);
  // A press that fell on a locked (disabled) control inside `c`: the focus
  // leaves the control that had it, so that keys typed next reach no box
  // the user did not pick.
  static void PressOnLocked(Control& c);
  static void DblClick(Control& c);
  // Returns true when the key was consumed (swallowed or replaced).
  static bool KeyDown(Control& c, QKeyEvent* e);
  static void KeyUp(Control& c, QKeyEvent* e);
  // KeyDown and KeyPress for controls without text (buttons, check boxes):
  // true when the key was swallowed.
  static bool PlainKey(Control& c, QKeyEvent* e);
  static const ControlEvents& HandlersOf(const Control& c) { return c.CommonHandlers(); }
  // KeyPress for a line edit (text box or editable combo): runs the handler,
  // then lets the edit take the key, swallows it, or puts the replacement
  // in. Returns true when the event was handled here.
  static bool LineEditKey(Control& c, QLineEdit* edit, QKeyEvent* e);
  // Clipboard commands of the context menu, through KeyPress.
  static void ClipboardCommand(Control& c, QLineEdit* edit, int keyAscii);
  // Text committed by an input method: KeyPress for each character, then
  // as with a typed key.
  static void ComposedText(Control& c, QLineEdit* edit, const QString& text);
  // The X11 selection pasted by the middle button, through KeyPress (22).
  static void SelectionPaste(Control& c, QLineEdit* edit);
  static QMenu* BuildContextMenu(Control& c, QLineEdit* edit);
  // Text edits of a line edit (typed, pasted, cut).
  static void LineEditTextChanged(Control& c, const QString& text);
  static void CheckStateChanged(CheckBox& c, int qtState);
  static void OptionToggled(OptionButton& c, bool on);
  static void ComboActivated(ComboBox& c, int index);
  static void ScrollValueChanged(VScrollBar& c, int value, bool dragging);
  static void ScrollReleased(VScrollBar& c);
  // Takes a new Min or Max into the widget and pulls Value inside.
  static void ScrollRangeChanged(VScrollBar& c);
  // Forms.
  static void FormActivated(Form& f);
  static void FormResizedByUser(Form& f, int clientWidthPx, int clientHeightPx);
  static void FormStateChangedByUser(Form& f, int state);
  // The window's size changed while it is maximised: Resize is raised.
  static void FormResizedOutsideNormal(Form& f);
  static void FormMovedByUser(Form& f, int xPx, int yPx);
  // An MDI child's sub-window took this outer size (pixels) by the user's
  // hand or the frame's (maximised in a resized frame).
  static void MdiChildResized(Form& f, int widthPx, int heightPx);
  static bool FormCloseRequested(Form& f);
  static void LayoutForm(Form& f);
  // The inner size and the window's place (pixels) that the form's Left,
  // Top, Width and Height ask for.
  static QSize WantedClientSize(const Form& f);
  static QPoint WantedPosition(const Form& f);
  static const std::vector<Control*>& TabOrder(const Form& f) { return f.tabOrder_; }
  static const std::vector<Control*>& Children(const Container& c) { return c.children_; }
  static void MenuTriggered(Menu& m);
  static void MenuAboutToShow(Menu& m);
  static QMenu* MenuWidget(Menu& m);
  static Menu* MenuOfAction(QAction* a);
  static void WidgetGone(Control& c);
  // Widgets made when needed: the control's own (and its containers') now.
  static QWidget* Realise(Control& c) { return c.Realised(); }
  // Queues a pass that makes the widgets now wanted on screen (after the
  // program's statements of this turn, before the window paints).
  static void ScheduleRealise(Form& f);
  // Runs a queued pass now.
  static void RealisePending(Form& f);
  // Makes the wanted widgets among the container's children, and further
  // inside the containers that have widgets.
  static void RealiseChildren(Container& container);
  static bool Wanted(const Control& c);
  static void Stack(Control& c);
  static void OptionSetValue(OptionButton& c, bool on);
};

// --- played input (playback.cpp) -------------------------------------------
// The widget that takes the user's mouse over the control, made now if it
// has none.
QWidget* MouseTarget(Control& c);
// A mouse event (QEvent::Type, Qt::MouseButton) at x, y pixels in w.
void SendMouse(QWidget* w, int type, int button, double x, double y);
// The Qt::MouseButton of a button code (vbLeftButton...).
int QtButton(int button);

// Nominal frame of every form window, pixels.
inline constexpr int kFrameSidePx = 4;
inline constexpr int kTitleBarPx = 23;

// The prompt handler that shows the real dialogs.
PromptAnswer ShowRealPrompt(const Prompt& prompt);
// The real print dialog (print_dialog.cpp).
std::optional<PrintChoice> ShowRealPrintDialog(const PrintDialogOptions& options);
// The real dialogs of a modal form and of a pop-up menu.
void RunModalForm(Form& form);
Menu* RunPopup(Menu& menu);

// Whether a pop-up menu runs now (its items' Click is raised by PopupMenu).
extern bool g_popupRunning;

}  // namespace korvalo::forms::detail

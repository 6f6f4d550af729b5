#include "platform/forms/form.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <deque>
#include <map>

#include "platform/forms/application.h"
#include "platform/forms/widgets.h"

#ifdef KORVALO_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace korvalo::forms {

using detail::Access;
using detail::Px;
using detail::Q;
using detail::Raise;
using detail::RunHandler;
using detail::S;

namespace {

// Activation history of the program's forms, most recent last.
Form* g_active = nullptr;
std::vector<Form*> g_history;
// Every form that exists, in creation order.
std::vector<Form*> g_forms;
std::map<Form*, QEventLoop*> g_modalLoops;
// Forms whose unload is under way: two windows may unload each other, and
// the second request for the same form does nothing.
std::vector<const Form*> g_unloading;

class UnloadUnderWay {
 public:
  explicit UnloadUnderWay(const Form& f) : f_(f) { g_unloading.push_back(&f); }
  ~UnloadUnderWay() { g_unloading.erase(std::find(g_unloading.begin(), g_unloading.end(), &f_)); }
  UnloadUnderWay(const UnloadUnderWay&) = delete;
  UnloadUnderWay& operator=(const UnloadUnderWay&) = delete;
  static bool Running(const Form& f) {
    return std::find(g_unloading.begin(), g_unloading.end(), &f) != g_unloading.end();
  }

 private:
  const Form& f_;
};

void RaiseForm(const std::function<void()>& h) {
  if (h) RunHandler(h);
}

// The widget the window system places: an MDI child's sub-window, else the
// form's own window.
QWidget* Outer(const Form& f) {
  QWidget* sub = detail::MdiSubWindow(f);
  return sub ? sub : f.Window();
}

// Width and height (twips) of a maximised form: the screen's, or for an MDI
// child the inner size of its frame.
void MaximisedSize(const Form& f, int& width, int& height) {
  if (detail::MdiClientSize(f, width, height)) return;
  width = ScreenWidth();
  height = ScreenHeight();
}

double TwipsX(const QMouseEvent* e) { return e->position().x() * kTwipsPerPixel; }
double TwipsY(const QMouseEvent* e) { return e->position().y() * kTwipsPerPixel; }

}  // namespace

bool detail::g_popupRunning = false;
namespace {
Menu* g_popupChosen = nullptr;
}

// The form's inner area, which holds its controls: reports the pointer
// moving over the form itself.
class FormContent : public QWidget {
 public:
  FormContent(Form& form, QWidget* parent) : QWidget(parent), form_(form) { setMouseTracking(true); }

 protected:
  void mouseMoveEvent(QMouseEvent* e) override {
    detail::QtBoundary boundary;
    Access::FormMouseMove(form_, e);
    QWidget::mouseMoveEvent(e);
  }

 private:
  Form& form_;
};

// The top-level window of a form: reports closing, resizing, state and
// activation, and moves the focus by our tab order.
class FormWindow : public QWidget {
 public:
  explicit FormWindow(Form& form) : form_(form) {}
  Form& form_;
  // Client sizes and places the program asked the window system for and
  // that it has not reported back yet, oldest first. A report of one of
  // them settles it and every older one; any other report is the user's or
  // the window manager's, even a size the program once asked for.
  std::deque<QSize> requested;
  std::deque<QPoint> requestedPos;
  bool closingByCode = false;

  template <class T>
  static bool Settles(std::deque<T>& pending, const T& reported) {
    const auto it = std::find(pending.begin(), pending.end(), reported);
    if (it == pending.end()) return false;
    pending.erase(pending.begin(), it + 1);
    return true;
  }
  template <class T>
  static void Ask(std::deque<T>& pending, const T& value) {
    pending.push_back(value);
    if (pending.size() > 16) pending.pop_front();
  }

 protected:
  void closeEvent(QCloseEvent* e) override {
    detail::QtBoundary boundary;
    if (closingByCode || Access::FormCloseRequested(form_)) {
      e->accept();
    } else {
      e->ignore();
    }
  }
  void resizeEvent(QResizeEvent* e) override {
    detail::QtBoundary boundary;
    QWidget::resizeEvent(e);
    if (detail::MdiSubWindow(form_)) {
      // Inside an MDI frame the sub-window reports the places and sizes.
      Access::LayoutForm(form_);
      return;
    }
    const QSize s = e->size();
    const bool ours = Settles(requested, s) || s == Access::WantedClientSize(form_);
    if (!ours && form_.Visible() && form_.WindowState() == vbNormal) {
      Access::FormResizedByUser(form_, s.width(), s.height());
    }
    Access::LayoutForm(form_);
    // Maximised, the window takes the screen's size some time after the
    // state changed: the form lays out its controls again at that size.
    if (form_.Visible() && form_.WindowState() == vbMaximized && e->oldSize() != s) {
      Access::FormResizedOutsideNormal(form_);
    }
  }
  void changeEvent(QEvent* e) override {
    detail::QtBoundary boundary;
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) {
      const Qt::WindowStates st = windowState();
      const int state = (st & Qt::WindowMinimized) ? vbMinimized : (st & Qt::WindowMaximized) ? vbMaximized : vbNormal;
      Access::FormStateChangedByUser(form_, state);
    } else if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
      Access::FormActivated(form_);
    }
  }
  void moveEvent(QMoveEvent* e) override {
    detail::QtBoundary boundary;
    QWidget::moveEvent(e);
    if (detail::MdiSubWindow(form_)) return;
    // The window system may report the frame's corner or the inner corner
    // for the place the program asked for; either is no move of the user's.
    const QPoint p = pos();
    const QPoint inner = geometry().topLeft();
    const QPoint wanted = Access::WantedPosition(form_);
    const bool ours = Settles(requestedPos, p) || Settles(requestedPos, inner) || p == wanted;
    if (!ours && form_.Visible() && form_.WindowState() == vbNormal) {
      Access::FormMovedByUser(form_, p.x(), p.y());
    }
  }
  bool event(QEvent* e) override {
    // Widgets wanted on screen are made before the window paints.
    if (e->type() == QEvent::UpdateRequest) {
      detail::QtBoundary boundary;
      Access::RealisePending(form_);
    }
    return QWidget::event(e);
  }
  bool focusNextPrevChild(bool next) override {
    detail::QtBoundary boundary;
    // Qt moves the focus on from a control the program disables or hides;
    // that is no Tab of the user's.
    if (Access::FocusMoveHeld(form_)) return false;
    return Access::TabNext(form_, next);
  }
  void keyPressEvent(QKeyEvent* e) override {
    detail::QtBoundary boundary;
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
      const bool enter = e->key() != Qt::Key_Escape;
      for (Control* c : Access::TabOrder(form_)) {
        auto* b = dynamic_cast<CommandButton*>(c);
        if (b && (enter ? b->Default() : b->Cancel()) && b->IsEffectivelyEnabled() && b->IsEffectivelyVisible()) {
          b->PerformClick();
          return;
        }
      }
    }
    QWidget::keyPressEvent(e);
  }

 private:
  friend class Form;
};

// --- focus -----------------------------------------------------------------------

namespace {
// The control a press has just given the focus through Qt (before the press
// itself reaches it): the press does not move the focus a second time, which
// would leave the control that took the focus back meanwhile (a direction box
// whose check asked its question) and ask again.
Control* g_pressFocused = nullptr;
}  // namespace


void Access::FocusTo(Control& c) {
  Form& f = c.ParentForm();
  if (f.focused_ == &c) return;
  f.focused_ = &c;
  if (f.window_ && f.window_->isVisible()) {
    if (QWidget* w = c.Realised()) w->setFocus(Qt::OtherFocusReason);
  }
  Control* old = f.eventFocus_;
  if (old && old != &c) {
    f.eventFocus_ = nullptr;
    Raise(old->CommonHandlers().OnLostFocus, old->Index());
  }
  if (f.focused_ != &c) return;  // a handler moved the focus on
  if (f.eventFocus_ == &c) return;
  f.eventFocus_ = &c;
  Raise(c.CommonHandlers().OnGotFocus, c.Index());
}

void Access::QtFocusIn(Control& c, Qt::FocusReason reason) {
  Form& f = c.ParentForm();
  if (f.focused_ == &c) return;
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
    // The window got the activation back: the focus stays where the program
    // had it.
    if (f.focused_ && f.focused_->CanFocus() && f.focused_->Realised()) {
      f.focused_->widget_->setFocus(Qt::OtherFocusReason);
      return;
    }
    // Qt's own choice is the first widget it finds; ours is the first
    // enabled stop of the tab order, and none when the focused control went
    // (disabled or hidden) or no stop is enabled: the keys typed then reach
    // no control the user did not pick.
    if (!f.focused_ && TabNext(f, true)) return;
    if (QWidget* w = c.Widget()) w->clearFocus();
    return;
  }
  g_pressFocused = reason == Qt::MouseFocusReason ? &c : nullptr;
  FocusTo(c);
}

void Access::WithoutFocusMove(Control& c, const std::function<void()>& change) {
  Form& f = c.ParentForm();
  const bool held = f.focusMoveHeld_;
  f.focusMoveHeld_ = true;
  try {
    change();
  } catch (...) {
    f.focusMoveHeld_ = held;
    throw;
  }
  f.focusMoveHeld_ = held;
  // Qt may have left the focus on the widget or a child of it (the window's
  // focus, active or not).
  QWidget* w = c.Widget();
  QWidget* focus = w ? w->window()->focusWidget() : nullptr;
  if (focus && w && (focus == w || w->isAncestorOf(focus)) && !(focus->isEnabled() && focus->isVisible())) {
    focus->clearFocus();
  }
}

bool Access::TabNext(Form& f, bool forward) {
  auto& order = f.tabOrder_;
  if (order.empty()) return false;
  const int n = static_cast<int>(order.size());
  int at = -1;
  if (f.focused_) {
    const auto it = std::find(order.begin(), order.end(), f.focused_);
    if (it != order.end()) at = static_cast<int>(it - order.begin());
  }
  for (int step = 1; step <= n; ++step) {
    int i = at < 0 ? (forward ? step - 1 : n - step) : (at + (forward ? step : -step)) % n;
    if (i < 0) i += n;
    Control* c = order[static_cast<std::size_t>(i)];
    if (c->TabStop() && c->CanFocus()) {
      FocusTo(*c);
      return true;
    }
  }
  return false;
}

void Access::RemoveFromForm(Control& c) {
  auto& order = c.ParentForm().tabOrder_;
  const auto it = std::find(order.begin(), order.end(), &c);
  if (it != order.end()) order.erase(it);
}

// --- mouse and keys ---------------------------------------------------------------

void Access::MouseDown(Control& c, QMouseEvent* e) {
  const bool focusedByPress = g_pressFocused == &c;
  g_pressFocused = nullptr;
  if (!focusedByPress && c.CanFocus()) FocusTo(c);
  const auto& h = c.CommonHandlers().OnMouseDown;
  const int button = ButtonOf(e->button());
  if (h && button) {
    const int shift = ShiftOf(e->modifiers());
    const double x = TwipsX(e), y = TwipsY(e);
    RunHandler([&] { h(c.Index(), button, shift, x, y); });
  }
}

void Access::MouseUp(Control& c, QMouseEvent* e) {
  const auto& h = c.CommonHandlers().OnMouseUp;
  const int button = ButtonOf(e->button());
  if (h && button) {
    const int shift = ShiftOf(e->modifiers());
    const double x = TwipsX(e), y = TwipsY(e);
    RunHandler([&] { h(c.Index(), button, shift, x, y); });
  }
}

namespace {

// The buttons held during a move, as MouseMove reports them.
int HeldButtons(const QMouseEvent* e) {
  int buttons = 0;
  if (e->buttons() & Qt::LeftButton) buttons |= vbLeftButton;
  if (e->buttons() & Qt::RightButton) buttons |= vbRightButton;
  if (e->buttons() & Qt::MiddleButton) buttons |= vbMiddleButton;
  return buttons;
}

}  // namespace

void Access::MouseMove(Control& c, QMouseEvent* e) {
  const auto& h = c.CommonHandlers().OnMouseMove;
  if (!h) return;
  const int buttons = HeldButtons(e), shift = ShiftOf(e->modifiers());
  const double x = TwipsX(e), y = TwipsY(e);
  RunHandler([&] { h(c.Index(), buttons, shift, x, y); });
}

void Access::FormMouseMove(Form& f, QMouseEvent* e) {
  const auto& h = f.OnMouseMove;
  if (!h) return;
  const int buttons = HeldButtons(e), shift = ShiftOf(e->modifiers());
  const double x = TwipsX(e), y = TwipsY(e);
  RunHandler([&] { h(buttons, shift, x, y); });
}

void Access::Click(Control& c) { Raise(c.CommonHandlers().OnClick, c.Index()); }
void Access::ReleaseClick(Control& c) {
  if (dynamic_cast<ComboBox*>(&c)) return;
  Click(c);
}

void Access::PressOnLocked(Control& c) {
  Form& f = c.ParentForm();
  if (!f.focused_) return;
  f.focused_ = nullptr;
  if (f.window_) {
    if (QWidget* focus = f.window_->focusWidget()) focus->clearFocus();
  }
  Control* old = f.eventFocus_;
  f.eventFocus_ = nullptr;
  if (old) Raise(old->CommonHandlers().OnLostFocus, old->Index());
}

void Access::DblClick(Control& c) { Raise(c.CommonHandlers().OnDblClick, c.Index()); }

bool Access::KeyDown(Control& c, QKeyEvent* e) {
  const auto& h = c.CommonHandlers().OnKeyDown;
  int code = KeyCodeOf(e);
  if (!h || code == 0) return false;
  const int shift = ShiftOf(e->modifiers());
  RunHandler([&] { h(c.Index(), code, shift); });
  // A swallowed key that types no character ends here; characters still go
  // to KeyPress.
  return code == 0 && e->text().isEmpty();
}

void Access::KeyUp(Control& c, QKeyEvent* e) {
  const auto& h = c.CommonHandlers().OnKeyUp;
  int code = KeyCodeOf(e);
  if (!h || code == 0) return;
  const int shift = ShiftOf(e->modifiers());
  RunHandler([&] { h(c.Index(), code, shift); });
}

namespace {

// The KeyPress code of a key event, 0 for keys that type nothing.
int KeyAsciiOfEvent(const QKeyEvent* e) {
  if (e->matches(QKeySequence::Paste)) return kCtrlV;
  if (e->matches(QKeySequence::Copy)) return kCtrlC;
  if (e->matches(QKeySequence::Cut)) return kCtrlX;
  if (e->matches(QKeySequence::Undo)) return kCtrlZ;
  const int key = e->key();
  const Qt::KeyboardModifiers mods = e->modifiers();
  if (key == Qt::Key_Backspace) return vbKeyBack;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return vbKeyReturn;
  if (key == Qt::Key_Escape) return vbKeyEscape;
  if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
    return key - Qt::Key_A + 1;
  if (mods & Qt::ControlModifier) return 0;
  const QString t = e->text();
  if (t.isEmpty()) return 0;
  const char32_t cp = t.toUcs4().value(0);
  if (cp < 32 || cp == 127) return 0;
  return detail::KeyAsciiOf(cp);
}

int RunKeyPress(Control& c, int code) {
  const auto& h = Access::HandlersOf(c).OnKeyPress;
  if (h) RunHandler([&] { h(c.Index(), code); });
  return code;
}

// What a character code does in a line edit.
void ApplyKeyAscii(QLineEdit* edit, int code) {
  switch (code) {
    case vbKeyBack:
      if (!edit->isReadOnly()) edit->backspace();
      return;
    case kCtrlC: edit->copy(); return;
    case kCtrlV:
      if (!edit->isReadOnly()) edit->paste();
      return;
    case kCtrlX:
      if (!edit->isReadOnly()) edit->cut();
      return;
    case kCtrlZ:
      if (!edit->isReadOnly()) edit->undo();
      return;
    default:
      if (code >= 32 && !edit->isReadOnly()) edit->insert(detail::TextOfKeyAscii(code));
      return;
  }
}

}  // namespace

bool Access::PlainKey(Control& c, QKeyEvent* e) {
  if (KeyDown(c, e)) return true;
  const int ascii = KeyAsciiOfEvent(e);
  if (ascii == 0) return false;
  return RunKeyPress(c, ascii) == 0;
}

bool Access::LineEditKey(Control& c, QLineEdit* edit, QKeyEvent* e) {
  if (KeyDown(c, e)) return true;
  const int ascii = KeyAsciiOfEvent(e);
  if (ascii == 0) return false;
  const int code = RunKeyPress(c, ascii);
  if (code == 0) return true;
  if (code == ascii && ascii != vbKeyReturn && ascii != vbKeyEscape) {
    // The edit's own handling: the key as typed.
    ApplyKeyAscii(edit, code);
    return true;
  }
  // Return and Escape as typed go on to the edit and the form (default and
  // cancel buttons); put in place of another key they type nothing.
  if (code == ascii) return false;
  ApplyKeyAscii(edit, code);
  return true;
}

void Access::ClipboardCommand(Control& c, QLineEdit* edit, int keyAscii) {
  const int code = RunKeyPress(c, keyAscii);
  if (code != 0) ApplyKeyAscii(edit, code);
}

void Access::ComposedText(Control& c, QLineEdit* edit, const QString& text) {
  for (const char32_t cp : text.toUcs4()) {
    if (cp < 32 || cp == 127) continue;
    const int code = RunKeyPress(c, detail::KeyAsciiOf(cp));
    if (code != 0) ApplyKeyAscii(edit, code);
  }
}

void Access::SelectionPaste(Control& c, QLineEdit* edit) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard->supportsSelection() || edit->isReadOnly()) return;
  const QString text = clipboard->text(QClipboard::Selection);
  if (text.isEmpty()) return;
  if (RunKeyPress(c, kCtrlV) == 0) return;
  edit->deselect();
  edit->insert(text);
}

QMenu* Access::BuildContextMenu(Control& c, QLineEdit* edit) {
  // Our own menu: its clipboard commands go through KeyPress like the keys.
  auto* menu = new QMenu(edit);
  const bool writable = !edit->isReadOnly();
  const bool selected = edit->hasSelectedText();
  const bool clipboardText = !QGuiApplication::clipboard()->text().isEmpty();
  auto add = [&](const char* name, const QString& text, bool enabled, std::function<void()> run) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    a->setEnabled(enabled);
    QObject::connect(a, &QAction::triggered, edit, std::move(run));
  };
  add("edit-undo", QStringLiteral("&Undo"), writable && edit->isUndoAvailable(),
      [&c, edit] { ClipboardCommand(c, edit, kCtrlZ); });
  menu->addSeparator();
  add("edit-cut", QStringLiteral("Cu&t"), writable && selected, [&c, edit] { ClipboardCommand(c, edit, kCtrlX); });
  add("edit-copy", QStringLiteral("&Copy"), selected, [&c, edit] { ClipboardCommand(c, edit, kCtrlC); });
  add("edit-paste", QStringLiteral("&Paste"), writable && clipboardText,
      [&c, edit] { ClipboardCommand(c, edit, kCtrlV); });
  add("edit-delete", QStringLiteral("&Delete"), writable && selected, [edit] { edit->del(); });
  menu->addSeparator();
  add("select-all", QStringLiteral("Select &All"), !edit->text().isEmpty(), [edit] { edit->selectAll(); });
  return menu;
}

void Access::LineEditTextChanged(Control& c, const QString& text) {
  const std::string now = S(text);
  if (auto* box = dynamic_cast<TextBox*>(&c)) {
    if (now == box->text_) return;
    box->text_ = now;
    Raise(box->Own().OnChange, box->Index());
  } else if (auto* combo = dynamic_cast<ComboBox*>(&c)) {
    if (now == combo->text_) return;
    combo->text_ = now;
    combo->listIndex_ = -1;
    Raise(combo->Own().OnChange, combo->Index());
  }
}

void Access::CheckStateChanged(CheckBox& c, int qtState) {
  const int value = qtState == Qt::Checked ? vbChecked : qtState == Qt::PartiallyChecked ? vbGrayed : vbUnchecked;
  if (value == c.value_) return;
  c.value_ = value;
  Raise(c.CommonHandlers().OnClick, c.Index());
}

void Access::OptionToggled(OptionButton& c, bool on) {
  if (on == c.value_) return;
  c.value_ = on;
  if (on) Raise(c.CommonHandlers().OnClick, c.Index());
}

void Access::OptionSetValue(OptionButton& c, bool on) {
  if (on == c.value_) return;
  auto* w = static_cast<QRadioButton*>(c.widget_);
  if (on) {
    {
      // The others of the group go off through their own signals.
      QSignalBlocker block(w);
      w->setChecked(true);
    }
    c.value_ = true;
    Raise(c.CommonHandlers().OnClick, c.Index());
    return;
  }
  c.value_ = false;
  QSignalBlocker block(w);
  // An exclusive group keeps one button on: let go of it for the moment.
  QButtonGroup* group = w->group();
  if (group) group->setExclusive(false);
  w->setChecked(false);
  if (group) group->setExclusive(true);
}

void Access::ComboActivated(ComboBox& c, int index) {
  if (index < 0 || index >= c.ListCount()) return;
  c.listIndex_ = index;
  c.text_ = c.items_[static_cast<std::size_t>(index)].text;
  Raise(c.CommonHandlers().OnClick, c.Index());
}

void Access::ScrollValueChanged(VScrollBar& c, int value, bool dragging) {
  if (value == c.value_) return;
  c.value_ = value;
  if (dragging) {
    Raise(c.Own().OnScroll, c.Index());
  } else {
    Raise(c.Own().OnChange, c.Index());
  }
}

void Access::ScrollReleased(VScrollBar& c) {
  auto* w = static_cast<detail::ScrollWidget*>(c.widget_);
  if (c.value_ != w->dragStart) Raise(c.Own().OnChange, c.Index());
}

// --- Form -------------------------------------------------------------------------

Form::Form(const std::string& name) : name_(name) {
  detail::InstallDesktopStyle();
  g_forms.push_back(this);
  auto* w = new FormWindow(*this);
  window_ = w;
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  w->setFont(detail::ToQFont(Font{}));
  auto* content = new FormContent(*this, w);
  content_ = content;
  content->setAutoFillBackground(true);
  sizeAsked_ = true;
  Access::LayoutForm(*this);
}

Form::~Form() {
  g_forms.erase(std::remove(g_forms.begin(), g_forms.end(), this), g_forms.end());
  for (auto& [form, loop] : g_modalLoops) {
    if (form == this) loop->quit();
  }
  g_modalLoops.erase(this);
  g_history.erase(std::remove(g_history.begin(), g_history.end(), this), g_history.end());
  if (g_active == this) g_active = nullptr;
  delete window_;
}

int Form::ScaleWidth() const { return std::max(0, TwipsFromPixels(content_->width())); }
int Form::ScaleHeight() const { return std::max(0, TwipsFromPixels(content_->height())); }

void Form::SetCaption(const std::string& caption) {
  caption_ = caption;
  window_->setWindowTitle(Q(caption));
  detail::MdiCaptionChanged(*this);
}

void Form::SetLeft(int twips) { Place(twips, top_, width_, height_, true); }
void Form::SetTop(int twips) { Place(left_, twips, width_, height_, true); }
void Form::SetWidth(int twips) { Place(left_, top_, twips, height_, false); }
void Form::SetHeight(int twips) { Place(left_, top_, width_, twips, false); }
void Form::Move(int left, int top) { Place(left, top, width_, height_, true); }
void Form::Move(int left, int top, int width, int height) { Place(left, top, width, height, true); }

void Form::Place(int left, int top, int width, int height, bool positioned) {
  if (windowState_ != vbNormal) throw RuntimeError(kErrMinimised, "Can't move or size a minimized or maximized form");
  if (width < 0 || height < 0) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  const bool sized = width != width_ || height != height_;
  const bool moved = positioned && (!positioned_ || left != left_ || top != top_);
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  positioned_ = positioned_ || positioned;
  sizeAsked_ = sizeAsked_ || sized;
  placeAsked_ = placeAsked_ || moved;
  Access::LayoutForm(*this);
  if (sized && visible_) RaiseForm(OnResize);
}

void Form::KeepNormalGeometry() {
  if (windowState_ != vbNormal) return;
  normal_ = {left_, top_, width_, height_, true};
}

void Form::RestoreNormalGeometry() {
  if (!normal_.kept) return;
  left_ = normal_.left;
  top_ = normal_.top;
  width_ = normal_.width;
  height_ = normal_.height;
  normal_.kept = false;
}

void Form::SetWindowState(int state) {
  if (state < vbNormal || state > vbMaximized) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  if (state == windowState_) return;
  KeepNormalGeometry();
  windowState_ = state;
  if (state == vbMaximized) {
    MaximisedSize(*this, width_, height_);
  } else if (state == vbNormal) {
    RestoreNormalGeometry();
  }
  if (!visible_) return;
  QWidget* w = Outer(*this);
  if (state == vbMinimized) {
    w->showMinimized();
  } else if (state == vbMaximized) {
    w->showMaximized();
  } else {
    w->showNormal();
  }
  Access::LayoutForm(*this);
  RaiseForm(OnResize);
}

void Form::SetBorderStyle(int style) {
  borderStyle_ = style;
  Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (style == vbSizable) flags |= Qt::WindowMinMaxButtonsHint;
  if (style == vbFixedSingle) flags |= Qt::WindowMinimizeButtonHint;
  if (style == vbBSNone) flags = Qt::Window | Qt::FramelessWindowHint;
  if (topMost_) flags |= Qt::WindowStaysOnTopHint;
  window_->setWindowFlags(flags);
}

void Form::SetBackColor(Colour colour) {
  backColor_ = colour;
  QPalette pal = content_->palette();
  pal.setColor(QPalette::Window, detail::ToQColor(colour));
  content_->setPalette(pal);
}

void Form::SetEnabled(bool enabled) {
  enabled_ = enabled;
  window_->setEnabled(enabled);
}

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  if (OnLoad) detail::RunPropagating(OnLoad);
}

void Form::Show(int modal) {
  Load();
  auto* w = static_cast<FormWindow*>(window_);
  const bool wasVisible = visible_;
  // A modal window opened while another window of the program stays on top
  // stays on top too while it is shown, or it would open under that window.
  bool aboveTopMost = false;
  if (modal == vbModal && !wasVisible && !topMost_) {
    for (Form* other : LoadedForms()) {
      if (other != this && other->Visible() && other->TopMost()) aboveTopMost = true;
    }
    if (aboveTopMost) SetTopMost(true);
  }
  visible_ = true;
  if (!wasVisible) {
    if (modal == vbModal) w->setWindowModality(Qt::ApplicationModal);
    Access::LayoutForm(*this);
    // The controls' widgets are made once this turn's statements are done:
    // a window's load may still place its controls after showing it.
    Access::ScheduleRealise(*this);
    QWidget* outer = Outer(*this);
    if (outer != w) w->show();
    if (windowState_ == vbMinimized) {
      outer->showMinimized();
    } else if (windowState_ == vbMaximized) {
      outer->showMaximized();
    } else {
      outer->show();
    }
    if (topMost_) {
      const bool on = topMost_;
      topMost_ = !on;
      SetTopMost(on);
    }
    shownOnce_ = true;
    RaiseForm(OnResize);
  }
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    w->raise();
    w->activateWindow();
  }
  Access::FormActivated(*this);
  if (!focused_) Access::TabNext(*this, true);
  if (modal == vbModal && visible_) {
    Prompt p;
    p.kind = PromptKind::ModalForm;
    p.title = caption_;
    p.text = caption_;
    p.form = this;
    Ask(p);
    w->setWindowModality(Qt::NonModal);
    if (aboveTopMost && topMost_) SetTopMost(false);
  }
}

namespace {
void PassActivationOn(Form& f) {
  g_history.erase(std::remove(g_history.begin(), g_history.end(), &f), g_history.end());
  if (g_active != &f) return;
  g_active = nullptr;
  for (auto it = g_history.rbegin(); it != g_history.rend(); ++it) {
    if ((*it)->Visible()) {
      Form* next = *it;
      next->Window()->activateWindow();
      Access::FormActivated(*next);
      return;
    }
  }
}
}  // namespace

void Form::Hide() {
  if (!visible_) return;
  visible_ = false;
  Outer(*this)->hide();
  if (auto it = g_modalLoops.find(this); it != g_modalLoops.end()) it->second->quit();
  PassActivationOn(*this);
}

void detail::AttachArray(Form& form, ArrayBase* array) { form.arrays_.push_back(array); }
void detail::DetachArray(Form& form, ArrayBase* array) {
  form.arrays_.erase(std::remove(form.arrays_.begin(), form.arrays_.end(), array), form.arrays_.end());
}
bool detail::FormLoaded(const Form& form) { return form.Loaded(); }

namespace {
// Later arrays first: their elements may sit in elements of earlier ones.
void UnloadRunTimeElements(std::vector<detail::ArrayBase*> arrays) {
  for (auto it = arrays.rbegin(); it != arrays.rend(); ++it) (*it)->UnloadRunTimeElements();
}
}  // namespace

bool Form::Unload() {
  if (!loaded_ && !visible_) return true;
  if (UnloadUnderWay::Running(*this)) return true;
  UnloadUnderWay underWay(*this);
  int cancel = 0;
  if (OnQueryUnload) RunHandler([&] { OnQueryUnload(cancel, vbFormCode); });
  if (cancel) return false;
  if (OnUnload) RunHandler([&] { OnUnload(cancel); });
  if (cancel) return false;
  loaded_ = false;
  auto* w = static_cast<FormWindow*>(window_);
  if (visible_) {
    visible_ = false;
    w->closingByCode = true;
    w->close();
    w->closingByCode = false;
    if (QWidget* sub = detail::MdiSubWindow(*this)) sub->hide();
    if (auto it = g_modalLoops.find(this); it != g_modalLoops.end()) it->second->quit();
    PassActivationOn(*this);
  }
  UnloadRunTimeElements(arrays_);
  return true;
}

void Form::SetTopMost(bool on) {
  if (on == topMost_) return;
  topMost_ = on;
  if (!shownOnce_ && !window_->testAttribute(Qt::WA_WState_Created)) {
    // Not made yet: the flag goes in with the window.
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    return;
  }
#ifdef KORVALO_HAVE_XCB
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* conn = x11->connection();
    auto atom = [conn](const char* name) {
      xcb_intern_atom_reply_t* r =
          xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
      xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
      free(r);
      return a;
    };
    const xcb_atom_t state = atom("_NET_WM_STATE");
    const xcb_atom_t above = atom("_NET_WM_STATE_ABOVE");
    const xcb_window_t win = static_cast<xcb_window_t>(window_->winId());
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = win;
    ev.type = state;
    ev.data.data32[0] = on ? 1 : 0;  // add or remove
    ev.data.data32[1] = above;
    ev.data.data32[2] = 0;
    ev.data.data32[3] = 1;  // from an application
    xcb_send_event(conn, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(conn);
  }
#endif
  // Other platforms (offscreen) only keep the flag.
}

void Form::PopupMenu(Menu& menu) {
  Raise(menu.Handlers().OnClick, menu.Index());
  Prompt p;
  p.kind = PromptKind::PopupMenu;
  p.menu = &menu;
  p.text = menu.Name();
  const PromptAnswer a = Ask(p);
  if (a.item && a.item->Enabled() && a.item->Visible()) a.item->PerformClick();
}

// --- form events ------------------------------------------------------------------

void Access::LayoutForm(Form& f) {
  auto* w = static_cast<FormWindow*>(f.window_);
  const QSize client = WantedClientSize(f);
  const int cw = client.width(), ch = client.height();
  int menuH = 0;
  auto* bar = static_cast<QMenuBar*>(f.menuBar_);
  if (bar) {
    bool any = false;
    for (Menu* m : f.topMenus_) any = any || m->Visible();
    bar->setVisible(any);
    if (any) {
      menuH = bar->sizeHint().height();
      bar->setGeometry(0, 0, cw, menuH);
    }
  }
  if (QWidget* sub = detail::MdiSubWindow(f)) {
    // An MDI child: the sub-window takes the outer place and size inside
    // the frame's client area.
    if (f.windowState_ == vbNormal && (f.sizeAsked_ || f.placeAsked_)) {
      f.sizeAsked_ = false;
      f.placeAsked_ = false;
      sub->setGeometry(Px(f.left_), Px(f.top_), Px(f.width_), Px(f.height_));
    }
    const QRect inner(0, menuH, w->width(), std::max(0, w->height() - menuH));
    if (f.content_->geometry() != inner) {
      f.content_->setGeometry(inner);
      ScheduleRealise(f);
    }
    return;
  }
  if (f.windowState_ == vbNormal && f.sizeAsked_) {
    f.sizeAsked_ = false;
    const QSize want(cw, ch);
    if (w->size() != want) {
      FormWindow::Ask(w->requested, want);
      w->resize(want);
    }
  }
  if (f.windowState_ == vbNormal && f.placeAsked_) {
    f.placeAsked_ = false;
    // Asked for even where the window already is (a new window at 0, 0):
    // unasked, a window manager chooses the place.
    const QPoint at = WantedPosition(f);
    FormWindow::Ask(w->requestedPos, at);
    w->move(at);
  }
  const QSize now = f.windowState_ == vbNormal ? QSize(cw, ch) : w->size();
  const QRect content(0, menuH, now.width(), std::max(0, now.height() - menuH));
  if (f.content_->geometry() != content) {
    f.content_->setGeometry(content);
    ScheduleRealise(f);
  }
}

QSize Access::WantedClientSize(const Form& f) {
  return QSize(std::max(1, Px(f.width_) - 2 * detail::kFrameSidePx),
               std::max(1, Px(f.height_) - 2 * detail::kFrameSidePx - detail::kTitleBarPx));
}

QPoint Access::WantedPosition(const Form& f) { return QPoint(Px(f.left_), Px(f.top_)); }

void Access::FormResizedByUser(Form& f, int clientWidthPx, int clientHeightPx) {
  f.width_ = TwipsFromPixels(clientWidthPx + 2 * detail::kFrameSidePx);
  f.height_ = TwipsFromPixels(clientHeightPx + 2 * detail::kFrameSidePx + detail::kTitleBarPx);
  f.sizeAsked_ = true;  // the window has that size already: asks nothing
  RaiseForm(f.OnResize);
  LayoutForm(f);
}

void Access::MdiChildResized(Form& f, int widthPx, int heightPx) {
  const int width = TwipsFromPixels(widthPx);
  const int height = TwipsFromPixels(heightPx);
  if (width == f.width_ && height == f.height_) return;
  f.width_ = width;
  f.height_ = height;
  if (f.visible_) RaiseForm(f.OnResize);
}

void Access::FormResizedOutsideNormal(Form& f) { RaiseForm(f.OnResize); }

void Access::FormMovedByUser(Form& f, int xPx, int yPx) {
  f.left_ = TwipsFromPixels(xPx);
  f.top_ = TwipsFromPixels(yPx);
}

void Access::FormStateChangedByUser(Form& f, int state) {
  if (state == f.windowState_ || !f.visible_) return;
  f.KeepNormalGeometry();
  f.windowState_ = state;
  if (state == vbMaximized) {
    MaximisedSize(f, f.width_, f.height_);
  } else if (state == vbNormal) {
    // The manager gives the window back its normal place and size; the
    // form asks for the same, whatever it was told while maximised.
    f.RestoreNormalGeometry();
  }
  // The inner area follows the state at once: a manager that reports a
  // passing normal state while it brings a maximised window back from the
  // task bar sends no resize when the window keeps its size.
  LayoutForm(f);
  RaiseForm(f.OnResize);
}

bool Access::FormCloseRequested(Form& f) {
  if (UnloadUnderWay::Running(f)) return false;
  UnloadUnderWay underWay(f);
  int cancel = 0;
  if (f.OnQueryUnload) RunHandler([&] { f.OnQueryUnload(cancel, vbFormControlMenu); });
  if (cancel) return false;
  if (f.OnUnload) RunHandler([&] { f.OnUnload(cancel); });
  if (cancel) return false;
  f.loaded_ = false;
  f.visible_ = false;
  if (auto it = g_modalLoops.find(&f); it != g_modalLoops.end()) it->second->quit();
  PassActivationOn(f);
  UnloadRunTimeElements(f.arrays_);
  return true;
}

void Access::FormActivated(Form& f) {
  if (g_active == &f || !f.visible_) return;
  Form* old = g_active;
  g_active = &f;
  g_history.erase(std::remove(g_history.begin(), g_history.end(), &f), g_history.end());
  g_history.push_back(&f);
  if (old) RaiseForm(old->OnDeactivate);
  if (g_active == &f) RaiseForm(f.OnActivate);
}

Form* ActiveForm() { return g_active; }

// The real modal loop of a form shown modally.
void detail::RunModalForm(Form& form) {
  QEventLoop loop;
  g_modalLoops[&form] = &loop;
  {
    NestedLoop nested;
    if (form.Visible()) loop.exec();
  }
  g_modalLoops.erase(&form);
}

// --- Menu -------------------------------------------------------------------------

Menu::Menu(Form& form, const std::string& name, const std::string& caption)
    : Menu(nullptr, form, name, caption, nullptr) {}

Menu::Menu(Menu& parent, const std::string& name, const std::string& caption)
    : Menu(&parent, *parent.form_, name, caption, nullptr) {}

Menu::Menu(Menu* parent, Form& form, const std::string& name, const std::string& caption, Menu* after)
    : name_(name), form_(&form), parent_(parent), caption_(caption) {
  QWidget* window = form.window_;
  if (!parent) {
    if (!form.menuBar_) form.menuBar_ = new QMenuBar(window);
    auto* qmenu = new QMenu(Q(caption), window);
    qmenu->setFont(window->font());  // a window of its own: it takes the form's font
    subMenu_ = qmenu;
    action_ = qmenu->menuAction();
    QObject::connect(qmenu, &QMenu::aboutToShow, qmenu, [this] {
      detail::QtBoundary boundary;
      Access::MenuAboutToShow(*this);
    });
    auto* bar = static_cast<QMenuBar*>(form.menuBar_);
    QAction* before = nullptr;
    if (after) {
      auto& tops = form.topMenus_;
      auto it = std::find(tops.begin(), tops.end(), after);
      if (it != tops.end() && it + 1 != tops.end()) before = (*(it + 1))->action_;
      tops.insert(it == tops.end() ? tops.end() : it + 1, this);
    } else {
      form.topMenus_.push_back(this);
    }
    bar->insertAction(before, action_);
    Access::LayoutForm(form);
  } else {
    auto* parentMenu = static_cast<QMenu*>(parent->SubMenu());
    // A separator is a line alone: its "-" is not shown as text.
    action_ = new QAction(caption == "-" ? QString() : Q(caption), window);
    if (caption == "-") action_->setSeparator(true);
    QAction* before = nullptr;
    auto& items = parent->items_;
    auto it = after ? std::find(items.begin(), items.end(), after) : items.end();
    if (it != items.end()) {
      if (it + 1 != items.end()) before = (*(it + 1))->action_;
      items.insert(it + 1, this);
    } else {
      items.push_back(this);
    }
    parentMenu->insertAction(before, action_);
  }
  action_->setData(QVariant::fromValue(static_cast<void*>(this)));
  QObject::connect(action_, &QAction::triggered, action_, [this] {
    detail::QtBoundary boundary;
    Access::MenuTriggered(*this);
  });
}

Menu::~Menu() {
  if (parent_) {
    auto& items = parent_->items_;
    items.erase(std::remove(items.begin(), items.end(), this), items.end());
  } else {
    auto& tops = form_->topMenus_;
    tops.erase(std::remove(tops.begin(), tops.end(), this), tops.end());
  }
  auto* sub = static_cast<QMenu*>(subMenu_);
  if (parent_ || !sub) delete action_;
  delete sub;
}

void* Menu::SubMenu() {
  if (!subMenu_) {
    auto* qmenu = new QMenu(Q(caption_), form_->window_);
    qmenu->setFont(form_->window_->font());
    subMenu_ = qmenu;
    action_->setMenu(qmenu);
    QObject::connect(qmenu, &QMenu::aboutToShow, qmenu, [this] {
      detail::QtBoundary boundary;
      Access::MenuAboutToShow(*this);
    });
  }
  return subMenu_;
}

void Menu::SetCaption(const std::string& caption) {
  caption_ = caption;
  action_->setSeparator(caption == "-");
  action_->setText(caption == "-" ? QString() : Q(caption));
  if (subMenu_) static_cast<QMenu*>(subMenu_)->setTitle(Q(caption));
}

void Menu::SetEnabled(bool enabled) {
  enabled_ = enabled;
  action_->setEnabled(enabled);
}

void Menu::SetVisible(bool visible) {
  visible_ = visible;
  action_->setVisible(visible);
  if (!parent_) Access::LayoutForm(*form_);
}

void Menu::SetChecked(bool checked) {
  checked_ = checked;
  action_->setCheckable(checked || action_->isCheckable());
  action_->setChecked(checked);
}

void Menu::PerformClick() { Raise(Handlers().OnClick, index_); }

void Menu::JoinArray(const MenuEvents* handlers, int index) {
  arrayHandlers_ = handlers;
  index_ = index;
}

std::unique_ptr<Menu> Menu::CloneElement(int) const {
  // The new element goes after the last element of the array.
  Menu* after = nullptr;
  const auto& siblings = parent_ ? parent_->items_ : form_->topMenus_;
  for (Menu* m : siblings) {
    if (m->arrayHandlers_ == arrayHandlers_) after = m;
  }
  std::unique_ptr<Menu> c(new Menu(parent_, *form_, name_, caption_, after));
  c->SetEnabled(enabled_);
  if (checked_) c->SetChecked(true);
  c->SetVisible(false);
  return c;
}

void Access::MenuTriggered(Menu& m) {
  if (detail::g_popupRunning) {
    g_popupChosen = &m;
    return;
  }
  m.PerformClick();
}

void Access::MenuAboutToShow(Menu& m) {
  if (detail::g_popupRunning) return;  // PopupMenu raised it already
  Raise(m.Handlers().OnClick, m.Index());
}

QMenu* Access::MenuWidget(Menu& m) { return static_cast<QMenu*>(m.SubMenu()); }

Menu* Access::MenuOfAction(QAction* a) { return a ? static_cast<Menu*>(a->data().value<void*>()) : nullptr; }

Menu* detail::RunPopup(Menu& menu) {
  QMenu* q = Access::MenuWidget(menu);
  g_popupRunning = true;
  g_popupChosen = nullptr;
  QAction* a = nullptr;
  {
    NestedLoop nested;
    a = q->exec(QCursor::pos());
  }
  g_popupRunning = false;
  Menu* chosen = g_popupChosen ? g_popupChosen : Access::MenuOfAction(a);
  g_popupChosen = nullptr;
  return chosen;
}

// --- Timer ------------------------------------------------------------------------

Timer::Timer(Form& form, const std::string& name) : name_(name), form_(&form) {
  auto* t = new QTimer(form.Window());
  timer_ = t;
  QObject::connect(t, &QTimer::timeout, t, [this] {
    detail::QtBoundary boundary;
    Fire();
  });
}

Timer::~Timer() { delete static_cast<QTimer*>(timer_); }

void Timer::SetInterval(int milliseconds) {
  if (milliseconds < 0) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  interval_ = milliseconds;
  Update();
}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

void Timer::Update() {
  auto* t = static_cast<QTimer*>(timer_);
  if (enabled_ && interval_ > 0) {
    t->start(interval_);
  } else {
    t->stop();
  }
}

void Timer::Fire() { Raise(OnTimer, 0); }

// --- enumeration ------------------------------------------------------------------

std::vector<Form*> LoadedForms() {
  std::vector<Form*> loaded;
  for (Form* f : g_forms) {
    if (f->Loaded()) loaded.push_back(f);
  }
  return loaded;
}

namespace {
void CollectControls(const Container& container, std::vector<Control*>& out) {
  for (Control* c : Access::Children(container)) {
    out.push_back(c);
    if (const auto* inner = dynamic_cast<const Container*>(c)) CollectControls(*inner, out);
  }
}
}  // namespace

std::vector<Control*> FormControls(const Form& form) {
  std::vector<Control*> controls;
  CollectControls(form, controls);
  return controls;
}

}  // namespace korvalo::forms

#include "platform/forms/testing.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>
#include <sstream>

#include "common/utf8.h"
#include "platform/forms/internal.h"

namespace korvalo::forms::testing {

using detail::Access;
using detail::Q;

namespace {

const char* KindName(PromptKind k) {
  switch (k) {
    case PromptKind::Message: return "message box";
    case PromptKind::OpenFile: return "open-file dialog";
    case PromptKind::SaveFile: return "save-file dialog";
    case PromptKind::Folder: return "folder picker";
    case PromptKind::Input: return "input box";
    case PromptKind::PopupMenu: return "pop-up menu";
    case PromptKind::ModalForm: return "modal form";
    case PromptKind::Print: return "print dialog";
  }
  return "prompt";
}

std::string Describe(const Prompt& p) {
  std::ostringstream s;
  s << KindName(p.kind) << " \"" << p.text << "\" (buttons " << p.buttons << ", title \"" << p.title << "\")";
  return s.str();
}

using detail::MouseTarget;

QWidget* KeyTarget(Control& c) {
  QWidget* w = Access::Realise(c);
  if (dynamic_cast<ComboBox*>(&c)) {
    if (auto* edit = static_cast<QComboBox*>(w)->lineEdit()) return edit;
  }
  return w;
}

bool UserCanReach(Control& c, const char* action) {
  if (!c.IsEffectivelyVisible()) {
    ADD_FAILURE() << action << ": " << c.Name() << "(" << c.Index() << ") is not visible to the user";
    return false;
  }
  return true;
}

void SendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPointF pos) {
  detail::SendMouse(w, type, button, pos.x(), pos.y());
}

void SendKey(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

void SendKeyAscii(QWidget* w, int code) {
  if (code == vbKeyBack) return SendKey(w, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  if (code == vbKeyReturn) return SendKey(w, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  if (code == vbKeyEscape) return SendKey(w, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
  if (code >= 1 && code <= 26)
    return SendKey(w, Qt::Key_A + (code - 1), Qt::ControlModifier, QString(QChar(code)));
  const QString text = detail::TextOfKeyAscii(code);
  int key = Qt::Key_unknown;
  if (code >= 'a' && code <= 'z') key = Qt::Key_A + (code - 'a');
  if (code >= 'A' && code <= 'Z') key = Qt::Key_A + (code - 'A');
  if (code >= '0' && code <= '9') key = Qt::Key_0 + (code - '0');
  if (code == ' ') key = Qt::Key_Space;
  if (code == '.') key = Qt::Key_Period;
  const Qt::KeyboardModifiers mods = (code >= 'A' && code <= 'Z') ? Qt::ShiftModifier : Qt::NoModifier;
  SendKey(w, key, mods, text);
}

std::string ColourText(Colour c) {
  std::ostringstream s;
  s << "&H" << std::uppercase << std::hex << c;
  return s.str();
}

std::string Num(double v) {
  std::ostringstream s;
  s.precision(10);
  s << v;
  return s.str();
}

}  // namespace

// --- PromptScript --------------------------------------------------------------

struct PromptScript::Step {
  PromptKind kind = PromptKind::Message;
  std::string text;
  bool checkText = false;
  int buttons = 0;
  std::string title;
  bool checkTitle = false;
  PromptAnswer answer;
  std::string chooseItem;
  std::function<void(Form&)> act;
  std::optional<bool> selection;  // print dialog: the range it must offer
};

PromptScript::PromptScript() {
  previous_ = SetPromptHandler([this](const Prompt& p) { return Answer(p); });
}

PromptScript::~PromptScript() {
  SetPromptHandler(std::move(previous_));
  for (std::size_t i = next_; i < steps_.size(); ++i) {
    ADD_FAILURE() << "expected " << KindName(steps_[i].kind) << " \"" << steps_[i].text << "\" was not shown";
  }
}

PromptScript& PromptScript::ExpectMsgBox(const std::string& text, int buttons, int answer, const std::string& title) {
  Step s;
  s.kind = PromptKind::Message;
  s.text = text;
  s.checkText = true;
  s.buttons = buttons;
  s.title = title.empty() ? AppTitle() : title;
  s.checkTitle = true;
  s.answer.button = answer;
  steps_.push_back(std::move(s));
  return *this;
}

PromptScript& PromptScript::ExpectUnknownError(int number) {
  return ExpectMsgBox(UnknownErrorText(number), vbOKOnly, vbOK);
}

namespace {
PromptScript::Step AnswerStep(PromptKind kind, std::optional<std::string> answer, const std::string& text = {}) {
  PromptScript::Step s;
  s.kind = kind;
  s.text = text;
  s.checkText = !text.empty();
  s.answer.text = std::move(answer);
  return s;
}
}  // namespace

PromptScript& PromptScript::ExpectOpenFile(std::optional<std::string> answer) {
  steps_.push_back(AnswerStep(PromptKind::OpenFile, std::move(answer)));
  return *this;
}

PromptScript& PromptScript::ExpectSaveFile(std::optional<std::string> answer) {
  steps_.push_back(AnswerStep(PromptKind::SaveFile, std::move(answer)));
  return *this;
}

PromptScript& PromptScript::ExpectFolder(std::optional<std::string> answer) {
  steps_.push_back(AnswerStep(PromptKind::Folder, std::move(answer)));
  return *this;
}

PromptScript& PromptScript::ExpectInput(const std::string& prompt, std::optional<std::string> answer) {
  steps_.push_back(AnswerStep(PromptKind::Input, std::move(answer), prompt));
  return *this;
}

PromptScript& PromptScript::ExpectPopup(const std::string& menuName, const std::string& chooseItem) {
  Step s;
  s.kind = PromptKind::PopupMenu;
  s.text = menuName;
  s.checkText = true;
  s.chooseItem = chooseItem;
  steps_.push_back(std::move(s));
  return *this;
}

PromptScript& PromptScript::ExpectPrintDialog(std::optional<PrintChoice> answer, std::optional<bool> selection) {
  Step s;
  s.kind = PromptKind::Print;
  s.answer.print = std::move(answer);
  s.selection = selection;
  steps_.push_back(std::move(s));
  return *this;
}

PromptScript& PromptScript::ExpectModal(const std::string& formName, std::function<void(Form&)> act) {
  Step s;
  s.kind = PromptKind::ModalForm;
  s.text = formName;
  s.act = std::move(act);
  steps_.push_back(std::move(s));
  return *this;
}

int PromptScript::Pending() const { return static_cast<int>(steps_.size() - next_); }

PromptAnswer PromptScript::Answer(const Prompt& p) {
  seen_.push_back(p);
  if (next_ >= steps_.size()) {
    ADD_FAILURE() << "unexpected " << Describe(p);
    return CautiousAnswer(p);
  }
  const Step& s = steps_[next_++];
  if (s.kind != p.kind) {
    ADD_FAILURE() << "expected " << KindName(s.kind) << " \"" << s.text << "\", got " << Describe(p);
    return CautiousAnswer(p);
  }
  if (s.kind == PromptKind::ModalForm) {
    EXPECT_EQ(s.text, p.form ? p.form->Name() : std::string()) << "modal form";
    if (p.form) {
      if (s.act) s.act(*p.form);
      if (p.form->Visible()) {
        ADD_FAILURE() << "modal form " << p.form->Name() << " still shown after the script's actions";
        p.form->Hide();
      }
    }
    return s.answer;
  }
  if (s.checkText) {
    EXPECT_EQ(s.text, p.text) << KindName(p.kind);
  }
  if (s.kind == PromptKind::Message) {
    EXPECT_EQ(s.buttons, p.buttons) << "buttons of \"" << p.text << "\"";
    if (s.checkTitle) {
      EXPECT_EQ(s.title, p.title) << "title of \"" << p.text << "\"";
    }
  }
  PromptAnswer a = s.answer;
  if (s.kind == PromptKind::Print) {
    if (s.selection) {
      EXPECT_EQ(*s.selection, p.print.selection) << "print dialog's selection range";
    }
    if (a.print && std::find(p.print.printers.begin(), p.print.printers.end(), a.print->printer) ==
                       p.print.printers.end()) {
      ADD_FAILURE() << "print dialog does not offer \"" << a.print->printer << "\"";
      a.print.reset();
    }
  }
  if (s.kind == PromptKind::PopupMenu && !s.chooseItem.empty() && p.menu) {
    for (Menu* item : p.menu->Items()) {
      if (item->Name() == s.chooseItem) a.item = item;
    }
    if (!a.item) {
      ADD_FAILURE() << "pop-up menu " << p.menu->Name() << " has no item " << s.chooseItem;
    } else if (!a.item->Visible() || !a.item->Enabled()) {
      ADD_FAILURE() << "pop-up item " << s.chooseItem << " cannot be chosen (hidden or disabled)";
      a.item = nullptr;
    }
  }
  return a;
}

// --- user actions ---------------------------------------------------------------

void UserMouseClick(Control& control, int button, double x, double y) {
  if (!UserCanReach(control, "click")) return;
  PlayMouseClick(control, button, x, y);
}

void UserClick(Control& control) { UserMouseClick(control, vbLeftButton); }

void UserMouseMove(Control& control, double x, double y) {
  if (!UserCanReach(control, "move over")) return;
  QWidget* w = MouseTarget(control);
  const QPointF pos = (x < 0 || y < 0) ? QPointF(w->width() / 2.0, w->height() / 2.0)
                                       : QPointF(x / kTwipsPerPixel, y / kTwipsPerPixel);
  SendMouse(w, QEvent::MouseMove, Qt::NoButton, pos);
}

void UserMouseMove(Form& form, double x, double y) {
  QWidget* w = form.ContentWidget();
  if (!w) return;
  SendMouse(w, QEvent::MouseMove, Qt::NoButton, QPointF(x / kTwipsPerPixel, y / kTwipsPerPixel));
}

void UserDoubleClick(Control& control) {
  if (!UserCanReach(control, "double-click")) return;
  QWidget* w = MouseTarget(control);
  const QPointF pos(w->width() / 2.0, w->height() / 2.0);
  SendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, pos);
  SendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, pos);
  SendMouse(w, QEvent::MouseButtonDblClick, Qt::LeftButton, pos);
  SendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, pos);
}

void UserFocus(Control& control) {
  if (!UserCanReach(control, "focus")) return;
  if (!control.CanFocus()) {
    ADD_FAILURE() << "focus: " << control.Name() << "(" << control.Index() << ") cannot take the focus";
    return;
  }
  Access::FocusTo(control);
}

void UserType(Control& control, const std::string& text) {
  if (!control.HasFocus()) UserFocus(control);
  if (!control.HasFocus()) return;
  QWidget* w = KeyTarget(control);
  for (char32_t cp : utf8::Decode(text)) SendKeyAscii(w, detail::KeyAsciiOf(cp));
}

void UserTab(Control& control, bool forward) {
  if (!control.HasFocus()) UserFocus(control);
  if (!control.HasFocus()) return;
  if (forward) {
    SendKey(KeyTarget(control), Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
  } else {
    SendKey(KeyTarget(control), Qt::Key_Backtab, Qt::ShiftModifier, QString());
  }
}

void UserKey(Control& control, int keyAscii) {
  if (!control.HasFocus()) UserFocus(control);
  if (!control.HasFocus()) return;
  SendKeyAscii(KeyTarget(control), keyAscii);
}

void UserPressKey(Control& control, int keyCode, int shift) {
  if (!control.HasFocus()) UserFocus(control);
  if (!control.HasFocus()) return;
  int key = Qt::Key_unknown;
  switch (keyCode) {
    case vbKeyLeft: key = Qt::Key_Left; break;
    case vbKeyUp: key = Qt::Key_Up; break;
    case vbKeyRight: key = Qt::Key_Right; break;
    case vbKeyDown: key = Qt::Key_Down; break;
    case vbKeyPageUp: key = Qt::Key_PageUp; break;
    case vbKeyPageDown: key = Qt::Key_PageDown; break;
    case vbKeyHome: key = Qt::Key_Home; break;
    case vbKeyEnd: key = Qt::Key_End; break;
    case vbKeyDelete: key = Qt::Key_Delete; break;
    default:
      if (keyCode >= vbKeyF1 && keyCode < vbKeyF1 + 12) key = Qt::Key_F1 + (keyCode - vbKeyF1);
      break;
  }
  Qt::KeyboardModifiers mods;
  if (shift & vbShiftMask) mods |= Qt::ShiftModifier;
  if (shift & vbCtrlMask) mods |= Qt::ControlModifier;
  if (shift & vbAltMask) mods |= Qt::AltModifier;
  SendKey(KeyTarget(control), key, mods, QString());
}

void UserContextPaste(TextBox& box) {
  if (!UserCanReach(box, "context paste")) return;
  if (!box.HasFocus()) UserFocus(box);
  auto* edit = static_cast<QLineEdit*>(Access::Realise(box));
  QMenu* menu = Access::BuildContextMenu(box, edit);
  for (QAction* a : menu->actions()) {
    if (a->objectName() == QLatin1String("edit-paste")) {
      if (a->isEnabled()) a->trigger();
    }
  }
  delete menu;
}

void UserComposeText(TextBox& box, const std::string& text) {
  if (!UserCanReach(box, "compose")) return;
  if (!box.HasFocus()) UserFocus(box);
  QInputMethodEvent e;
  e.setCommitString(Q(text));
  QApplication::sendEvent(KeyTarget(box), &e);
}

void SetClipboardText(const std::string& text) { QApplication::clipboard()->setText(Q(text)); }

void UserSelect(ComboBox& combo, int index) {
  if (!UserCanReach(combo, "select")) return;
  if (!combo.IsEffectivelyEnabled()) return;
  if (combo.CanFocus() && !combo.HasFocus()) Access::FocusTo(combo);
  auto* w = static_cast<QComboBox*>(Access::Realise(combo));
  w->setCurrentIndex(index);
  emit w->activated(index);
}

namespace {
QScrollBar* ScrollTarget(VScrollBar& bar) {
  if (!UserCanReach(bar, "scroll") || !bar.IsEffectivelyEnabled()) return nullptr;
  if (bar.CanFocus() && !bar.HasFocus()) Access::FocusTo(bar);  // a click on the bar takes the focus
  return static_cast<QScrollBar*>(Access::Realise(bar));
}
}  // namespace

void UserScrollArrow(VScrollBar& bar, bool down) {
  if (QScrollBar* w = ScrollTarget(bar))
    w->triggerAction(down ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
}

void UserScrollPage(VScrollBar& bar, bool down) {
  if (QScrollBar* w = ScrollTarget(bar))
    w->triggerAction(down ? QAbstractSlider::SliderPageStepAdd : QAbstractSlider::SliderPageStepSub);
}

void UserDragThumb(VScrollBar& bar, const std::vector<int>& values) {
  QScrollBar* w = ScrollTarget(bar);
  if (!w) return;
  w->setSliderDown(true);
  for (int v : values) w->setSliderPosition(v);
  w->setSliderDown(false);
}

void UserChooseMenu(Menu& menu) {
  if (PlayMenuChoice(menu)) return;
  for (Menu* m = &menu; m; m = m->ParentMenu()) {
    if (!m->Visible() || !m->Enabled()) {
      ADD_FAILURE() << "menu " << m->Name() << " cannot be chosen (hidden or disabled)";
      return;
    }
  }
}

void UserResize(Form& form, int width, int height) {
  const int cw = std::max(1, static_cast<int>(std::lround(width / double(kTwipsPerPixel))) - 2 * detail::kFrameSidePx);
  const int ch = std::max(1, static_cast<int>(std::lround(height / double(kTwipsPerPixel))) - 2 * detail::kFrameSidePx -
                                 detail::kTitleBarPx);
  Access::FormResizedByUser(form, cw, ch);
}

void UserActivate(Form& form) {
  form.Window()->activateWindow();
  Access::FormActivated(form);
}

void UserClose(Form& form) { form.Window()->close(); }

// --- the look of a window -----------------------------------------------------------

std::vector<Control*> ControlsOf(Form& form) { return FormControls(form); }

std::optional<CaptionFit> MeasureCaption(Control& control) {
  std::string caption;
  QStyle::SubElement contents = QStyle::SE_PushButtonContents;
  bool whole = false;
  if (auto* l = dynamic_cast<Label*>(&control)) {
    caption = l->Caption();
    whole = true;
  } else if (auto* b = dynamic_cast<CommandButton*>(&control)) {
    caption = b->Caption();
  } else if (auto* o = dynamic_cast<OptionButton*>(&control)) {
    caption = o->Caption();
    contents = QStyle::SE_RadioButtonContents;
  } else if (auto* k = dynamic_cast<CheckBox*>(&control)) {
    caption = k->Caption();
    contents = QStyle::SE_CheckBoxContents;
  } else if (auto* f = dynamic_cast<Frame*>(&control)) {
    caption = f->Caption();
    whole = true;
  }
  const QString text = detail::PlainCaption(caption);
  if (text.trimmed().isEmpty()) return std::nullopt;
  QWidget* w = Access::Realise(control);
  if (!w) return std::nullopt;
  CaptionFit fit;
  fit.text = caption;
  fit.textPx = QFontMetrics(w->font()).horizontalAdvance(text);
  const int width = detail::Px(control.Width());
  if (dynamic_cast<Frame*>(&control)) {
    // A frame's caption shows as wide as its caption label is, within the
    // frame.
    const auto* label = w->findChild<QLabel*>(QStringLiteral("korvalo_frame_caption"), Qt::FindDirectChildrenOnly);
    fit.textPx = label ? QFontMetrics(label->font()).horizontalAdvance(text) : fit.textPx;
    fit.roomPx = label ? std::min(label->contentsRect().width(), width - label->x()) : 0;
  } else if (whole) {
    fit.roomPx = width;
  } else {
    QStyleOptionButton option;
    option.initFrom(w);
    option.rect = QRect(0, 0, width, detail::Px(control.Height()));
    option.text = text;
    fit.roomPx = w->style()->subElementRect(contents, &option, w).width();
  }
  return fit;
}

// --- RecordingCanvas --------------------------------------------------------------

std::string DrawCall::ToString() const {
  switch (kind) {
    case Kind::Clear: return "Clear";
    case Kind::Line: return "Line " + Num(a) + " " + Num(b) + " " + Num(c) + " " + Num(d) + " " + ColourText(colour);
    case Kind::Rectangle:
      return "Rectangle " + Num(a) + " " + Num(b) + " " + Num(c) + " " + Num(d) + " " + ColourText(colour);
    case Kind::Arc:
      return "Arc " + Num(a) + " " + Num(b) + " " + Num(c) + " " + Num(d) + " " + Num(e) + " " + ColourText(colour);
  }
  return {};
}

RecordingCanvas::RecordingCanvas(PictureBox& picture) : picture_(&picture) { picture.SetCanvasTap(this); }

RecordingCanvas::~RecordingCanvas() {
  if (picture_) picture_->SetCanvasTap(nullptr);
}

void RecordingCanvas::Clear() { calls_.push_back(DrawCall{DrawCall::Kind::Clear}); }

void RecordingCanvas::Line(double x1, double y1, double x2, double y2, Colour colour) {
  calls_.push_back(DrawCall{DrawCall::Kind::Line, x1, y1, x2, y2, 0, colour});
}

void RecordingCanvas::Rectangle(double x1, double y1, double x2, double y2, Colour colour) {
  calls_.push_back(DrawCall{DrawCall::Kind::Rectangle, x1, y1, x2, y2, 0, colour});
}

void RecordingCanvas::Arc(double cx, double cy, double radius, double startAngle, double endAngle, Colour colour) {
  calls_.push_back(DrawCall{DrawCall::Kind::Arc, cx, cy, radius, startAngle, endAngle, colour});
}

std::vector<DrawCall> RecordingCanvas::SinceClear() const {
  std::vector<DrawCall> out;
  for (const DrawCall& c : calls_) {
    if (c.kind == DrawCall::Kind::Clear) {
      out.clear();
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace korvalo::forms::testing

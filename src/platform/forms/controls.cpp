#include "platform/forms/controls.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "common/utf8.h"
#include "platform/forms/widgets.h"

namespace korvalo::forms {

using detail::Access;
using detail::Px;
using detail::Q;
using detail::Raise;
using detail::RunHandler;
using detail::S;

namespace {

Control* AsControl(Container* c) { return dynamic_cast<Control*>(c); }

// Code points of a QString prefix, and the QString index of a code point.
int CodePoints(const QString& s, qsizetype upTo) {
  return static_cast<int>(s.left(upTo).toUcs4().size());
}
qsizetype QIndexOf(const QString& s, int codePoint) {
  qsizetype i = 0;
  int n = 0;
  while (i < s.size() && n < codePoint) {
    i += (s[i].isHighSurrogate() && i + 1 < s.size()) ? 2 : 1;
    ++n;
  }
  return i;
}

}  // namespace

// --- Container, Control -------------------------------------------------------

Container::~Container() = default;

Control::Control(Container& container, const std::string& name)
    : name_(name), container_(&container), form_(&container.ContainerForm()), backColor_(vbButtonFace) {}

Control::~Control() {
  Form& form = ParentForm();
  if (form.focused_ == this) form.focused_ = nullptr;
  if (form.eventFocus_ == this) form.eventFocus_ = nullptr;
  Access::RemoveFromForm(*this);
  if (widget_) {
    QWidget* w = widget_;
    widget_ = nullptr;
    delete w;  // its hook clears widget_ again; nothing else of this control is touched
  }
}

void Control::Attach(QWidget* widget) {
  widget_ = widget;
  widget_->setAutoFillBackground(false);
  ParentForm().tabOrder_.push_back(this);
}

void Control::SetContainer(Container& container) {
  if (&container == container_) return;
  if (&container.ContainerForm() != form_) throw RuntimeError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
  container_ = &container;
  if (widget_) {
    widget_->setParent(container.ContentWidget());
    Access::PlaceWidget(*this);
    widget_->setVisible(visible_);
  }
}

void Control::SetLeft(int twips) { Move(twips, top_, width_, height_); }
void Control::SetTop(int twips) { Move(left_, twips, width_, height_); }
void Control::SetWidth(int twips) { Move(left_, top_, twips, height_); }
void Control::SetHeight(int twips) { Move(left_, top_, width_, twips); }
void Control::Move(int left, int top) { Move(left, top, width_, height_); }
void Control::Move(int left, int top, int width, int height) {
  if (width < 0 || height < 0) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Access::PlaceWidget(*this);
}

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (widget_) widget_->setEnabled(enabled);
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  if (widget_) widget_->setVisible(visible);
}

bool Control::IsEffectivelyEnabled() const {
  if (!enabled_) return false;
  if (const Control* parent = AsControl(container_)) return parent->IsEffectivelyEnabled();
  return ParentForm().Enabled();
}

bool Control::IsEffectivelyVisible() const {
  if (!visible_) return false;
  if (const Control* parent = AsControl(container_)) return parent->IsEffectivelyVisible();
  return ParentForm().Visible();
}

void Control::SetBackColor(Colour colour) {
  backColor_ = colour;
  ApplyColours();
}
void Control::SetForeColor(Colour colour) {
  foreColor_ = colour;
  ApplyColours();
}

void Control::ApplyColours() {
  if (!widget_) return;
  QPalette pal = widget_->palette();
  pal.setColor(QPalette::Window, detail::ToQColor(backColor_));
  pal.setColor(QPalette::WindowText, detail::ToQColor(foreColor_));
  widget_->setPalette(pal);
}

void Control::SetFont(const Font& font) {
  font_ = font;
  if (widget_) widget_->setFont(detail::ToQFont(font));
}

void Control::SetToolTipText(const std::string& text) {
  toolTip_ = text;
  if (widget_) widget_->setToolTip(Q(text));
}

int Control::TabIndex() const {
  const auto& order = ParentForm().tabOrder_;
  const auto it = std::find(order.begin(), order.end(), this);
  return it == order.end() ? 0 : static_cast<int>(it - order.begin());
}

void Control::SetTabIndex(int position) {
  auto& order = ParentForm().tabOrder_;
  const auto it = std::find(order.begin(), order.end(), this);
  if (it != order.end()) order.erase(it);
  position = std::clamp(position, 0, static_cast<int>(order.size()));
  order.insert(order.begin() + position, this);
}

void Control::SetTabStop(bool stop) { tabStop_ = stop; }

bool Control::CanFocus() const {
  if (!widget_ || widget_->focusPolicy() == Qt::NoFocus) return false;
  return IsEffectivelyEnabled() && IsEffectivelyVisible();
}

void Control::SetFocus() {
  if (!CanFocus()) throw RuntimeError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
  Access::FocusTo(*this);
}

bool Control::HasFocus() const { return ParentForm().focused_ == this; }

void Control::ZOrder(int position) {
  if (!widget_) return;
  if (position == 0)
    widget_->raise();
  else
    widget_->lower();
}

void Control::Refresh() {
  if (widget_) widget_->repaint();
}

void Control::CopyCommon(const Control& from) {
  left_ = from.left_;
  top_ = from.top_;
  width_ = from.width_;
  height_ = from.height_;
  enabled_ = from.enabled_;
  visible_ = false;
  tabStop_ = from.tabStop_;
  backColor_ = from.backColor_;
  foreColor_ = from.foreColor_;
  font_ = from.font_;
  toolTip_ = from.toolTip_;
  tag_ = from.tag_;
  if (!widget_) return;
  widget_->setVisible(false);
  widget_->setEnabled(enabled_);
  if (from.widget_) {
    if (from.widget_->testAttribute(Qt::WA_SetPalette)) widget_->setPalette(from.widget_->palette());
    if (from.widget_->testAttribute(Qt::WA_SetFont)) widget_->setFont(from.widget_->font());
    widget_->setAutoFillBackground(from.widget_->autoFillBackground());
  }
  if (!toolTip_.empty()) widget_->setToolTip(Q(toolTip_));
  Access::PlaceWidget(*this);
}

void Control::JoinArray(const ControlEvents* handlers, int index) {
  arrayHandlers_ = handlers;
  index_ = index;
  inArray_ = true;
}

// --- Label ---------------------------------------------------------------------

Label::Label(Container& container, const std::string& name, const std::string& caption)
    : Control(container, name) {
  auto* w = new detail::LabelWidget(this, container.ContentWidget());
  Attach(w);
  w->setAutoFillBackground(true);
  w->setTextFormat(Qt::PlainText);
  w->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  SetCaption(caption);
}

void Label::SetCaption(const std::string& caption) {
  caption_ = caption;
  auto* w = static_cast<QLabel*>(Widget());
  w->setText(detail::PlainCaption(caption));
  if (autoSize_) SetAutoSize(true);
}

void Label::SetAlignment(int alignment) {
  alignment_ = alignment;
  Qt::Alignment a = Qt::AlignLeft;
  if (alignment == vbRightJustify) a = Qt::AlignRight;
  if (alignment == vbCenter) a = Qt::AlignHCenter;
  static_cast<QLabel*>(Widget())->setAlignment(a | Qt::AlignTop);
}

void Label::SetBackStyle(int style) {
  backStyle_ = style;
  Widget()->setAutoFillBackground(style != 0);
}

void Label::SetBorderStyle(int style) {
  borderStyle_ = style;
  auto* w = static_cast<QLabel*>(Widget());
  w->setFrameStyle(style == 0 ? QFrame::NoFrame : (QFrame::Panel | QFrame::Sunken));
}

void Label::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  if (!autoSize) return;
  const QSize hint = Widget()->sizeHint();
  Move(Left(), Top(), TwipsFromPixels(hint.width()), TwipsFromPixels(hint.height()));
}

void Label::SetWordWrap(bool wrap) {
  wordWrap_ = wrap;
  static_cast<QLabel*>(Widget())->setWordWrap(wrap);
}

void Label::ApplyColours() {
  Control::ApplyColours();
}

std::unique_ptr<Label> Label::CloneElement(int) const {
  auto c = std::make_unique<Label>(Parent(), Name(), caption_);
  c->CopyCommon(*this);
  if (alignment_ != vbLeftJustify) c->SetAlignment(alignment_);
  if (backStyle_ != 1) c->SetBackStyle(backStyle_);
  if (borderStyle_ != 0) c->SetBorderStyle(borderStyle_);
  c->autoSize_ = autoSize_;
  if (wordWrap_) c->SetWordWrap(true);
  return c;
}

// --- TextBox -------------------------------------------------------------------

TextBox::TextBox(Container& container, const std::string& name) : Control(container, name) {
  auto* w = new detail::LineEditWidget(this, container.ContentWidget(), true);
  Attach(w);
  w->setFrame(true);
  w->setAcceptDrops(false);
  w->setContextMenuPolicy(Qt::DefaultContextMenu);
  SetDefaultColours(vbWindowBackground, vbWindowText);
  QObject::connect(w, &QLineEdit::textChanged, w, [this](const QString& t) {
    detail::QtBoundary boundary;
    Access::LineEditTextChanged(*this, t);
  });
}

void TextBox::SetText(const std::string& text) {
  if (text == text_) return;
  auto* w = static_cast<QLineEdit*>(Widget());
  {
    QSignalBlocker block(w);
    w->setText(Q(text));
  }
  text_ = S(w->text());
  Raise(Own().OnChange, Index());
}

int TextBox::SelStart() const {
  auto* w = static_cast<QLineEdit*>(Widget());
  const qsizetype start = w->hasSelectedText() ? w->selectionStart() : w->cursorPosition();
  return CodePoints(w->text(), start);
}

void TextBox::SetSelStart(int start) {
  if (start < 0) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  auto* w = static_cast<QLineEdit*>(Widget());
  w->setCursorPosition(static_cast<int>(QIndexOf(w->text(), start)));
}

int TextBox::SelLength() const {
  auto* w = static_cast<QLineEdit*>(Widget());
  if (!w->hasSelectedText()) return 0;
  return static_cast<int>(w->selectedText().toUcs4().size());
}

void TextBox::SetSelLength(int length) {
  if (length < 0) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  auto* w = static_cast<QLineEdit*>(Widget());
  const int start = SelStart();
  const qsizetype qs = QIndexOf(w->text(), start);
  const qsizetype qe = QIndexOf(w->text(), start + length);
  w->setSelection(static_cast<int>(qs), static_cast<int>(qe - qs));
}

std::string TextBox::SelText() const { return S(static_cast<QLineEdit*>(Widget())->selectedText()); }

void TextBox::SetSelText(const std::string& text) {
  auto* w = static_cast<QLineEdit*>(Widget());
  {
    QSignalBlocker block(w);
    w->insert(Q(text));
  }
  const std::string now = S(w->text());
  if (now == text_) return;
  text_ = now;
  Raise(Own().OnChange, Index());
}

void TextBox::SetMaxLength(int length) {
  maxLength_ = length;
  static_cast<QLineEdit*>(Widget())->setMaxLength(length > 0 ? length : 32767);
}

void TextBox::SetLocked(bool locked) {
  locked_ = locked;
  static_cast<QLineEdit*>(Widget())->setReadOnly(locked);
}

void TextBox::SetAlignment(int alignment) {
  alignment_ = alignment;
  Qt::Alignment a = Qt::AlignLeft;
  if (alignment == vbRightJustify) a = Qt::AlignRight;
  if (alignment == vbCenter) a = Qt::AlignHCenter;
  static_cast<QLineEdit*>(Widget())->setAlignment(a | Qt::AlignVCenter);
}

void TextBox::ApplyColours() {
  QWidget* w = Widget();
  QPalette pal = w->palette();
  pal.setColor(QPalette::Base, detail::ToQColor(BackColor()));
  pal.setColor(QPalette::Text, detail::ToQColor(ForeColor()));
  w->setPalette(pal);
}

std::unique_ptr<TextBox> TextBox::CloneElement(int) const {
  auto c = std::make_unique<TextBox>(Parent(), Name());
  c->CopyCommon(*this);
  if (maxLength_) c->SetMaxLength(maxLength_);
  if (locked_) c->SetLocked(true);
  if (alignment_ != vbLeftJustify) c->SetAlignment(alignment_);
  if (!text_.empty()) {
    QSignalBlocker block(c->Widget());
    static_cast<QLineEdit*>(c->Widget())->setText(Q(text_));
    c->text_ = text_;
  }
  return c;
}

// --- CommandButton -------------------------------------------------------------

CommandButton::CommandButton(Container& container, const std::string& name, const std::string& caption)
    : Control(container, name) {
  auto* w = new detail::ButtonWidget(this, container.ContentWidget());
  Attach(w);
  w->setFocusPolicy(Qt::StrongFocus);
  w->setAutoDefault(false);
  SetCaption(caption);
  QObject::connect(w, &QPushButton::clicked, w, [this] {
    detail::QtBoundary boundary;
    Access::Click(*this);
  });
}

void CommandButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  static_cast<QPushButton*>(Widget())->setText(Q(caption));
}

void CommandButton::SetStyle(int style) {
  style_ = style;
  ApplyColours();
}

void CommandButton::SetDefault(bool isDefault) { default_ = isDefault; }
void CommandButton::SetCancel(bool isCancel) { cancel_ = isCancel; }

void CommandButton::PerformClick() { Access::Click(*this); }

void CommandButton::ApplyColours() {
  QWidget* w = Widget();
  QPalette pal = w->palette();
  const Colour back = style_ == vbButtonGraphical ? BackColor() : vbButtonFace;
  pal.setColor(QPalette::Button, detail::ToQColor(back));
  pal.setColor(QPalette::ButtonText, detail::ToQColor(ForeColor()));
  w->setPalette(pal);
}

std::unique_ptr<CommandButton> CommandButton::CloneElement(int) const {
  auto c = std::make_unique<CommandButton>(Parent(), Name(), caption_);
  c->CopyCommon(*this);
  c->style_ = style_;
  c->default_ = false;
  c->cancel_ = false;
  return c;
}

// --- CheckBox ------------------------------------------------------------------

CheckBox::CheckBox(Container& container, const std::string& name, const std::string& caption)
    : Control(container, name) {
  auto* w = new detail::CheckWidget(this, container.ContentWidget());
  Attach(w);
  w->setFocusPolicy(Qt::StrongFocus);
  SetCaption(caption);
  QObject::connect(w, &QCheckBox::stateChanged, w,
                   [this](int state) {
    detail::QtBoundary boundary;
    Access::CheckStateChanged(*this, state);
  });
}

void CheckBox::SetCaption(const std::string& caption) {
  caption_ = caption;
  static_cast<QCheckBox*>(Widget())->setText(Q(caption));
}

void CheckBox::SetValue(int value) {
  if (value < 0 || value > 2) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  if (value == value_) return;
  value_ = value;
  {
    QSignalBlocker block(Widget());
    static_cast<QCheckBox*>(Widget())->setCheckState(value == 0   ? Qt::Unchecked
                                                     : value == 1 ? Qt::Checked
                                                                  : Qt::PartiallyChecked);
  }
  Raise(CommonHandlers().OnClick, Index());
}

void CheckBox::SetAlignment(int alignment) {
  alignment_ = alignment;
  Widget()->setLayoutDirection(alignment == vbRightJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

std::unique_ptr<CheckBox> CheckBox::CloneElement(int) const {
  auto c = std::make_unique<CheckBox>(Parent(), Name(), caption_);
  c->CopyCommon(*this);
  if (alignment_ != vbLeftJustify) c->SetAlignment(alignment_);
  c->value_ = value_;
  QSignalBlocker block(c->Widget());
  static_cast<QCheckBox*>(c->Widget())->setCheckState(static_cast<QCheckBox*>(Widget())->checkState());
  return c;
}

// --- OptionButton --------------------------------------------------------------

OptionButton::OptionButton(Container& container, const std::string& name, const std::string& caption)
    : Control(container, name) {
  auto* w = new detail::OptionWidget(this, container.ContentWidget());
  Attach(w);
  w->setFocusPolicy(Qt::StrongFocus);
  SetCaption(caption);
  QObject::connect(w, &QRadioButton::toggled, w, [this](bool on) {
    detail::QtBoundary boundary;
    Access::OptionToggled(*this, on);
  });
}

void OptionButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  static_cast<QRadioButton*>(Widget())->setText(Q(caption));
}

void OptionButton::SetValue(bool selected) { Access::OptionSetValue(*this, selected); }

std::unique_ptr<OptionButton> OptionButton::CloneElement(int) const {
  auto c = std::make_unique<OptionButton>(Parent(), Name(), caption_);
  c->CopyCommon(*this);
  return c;
}

// --- ComboBox ------------------------------------------------------------------

ComboBox::ComboBox(Container& container, const std::string& name, int style)
    : Control(container, name), style_(style) {
  auto* w = new detail::ComboWidget(this, container.ContentWidget());
  Attach(w);
  w->setFocusPolicy(Qt::StrongFocus);
  w->setInsertPolicy(QComboBox::NoInsert);
  SetDefaultColours(vbWindowBackground, vbWindowText);
  if (style == vbComboDropdown) {
    w->setEditable(true);
    auto* edit = new detail::LineEditWidget(this, w, false);
    w->setLineEdit(edit);
    w->setCompleter(nullptr);
    QObject::connect(edit, &QLineEdit::textEdited, w,
                     [this](const QString& t) {
    detail::QtBoundary boundary;
    Access::LineEditTextChanged(*this, t);
  });
  }
  QObject::connect(w, &QComboBox::activated, w, [this](int i) {
    detail::QtBoundary boundary;
    Access::ComboActivated(*this, i);
  });
}

void ComboBox::CheckIndex(int index, int error) const {
  if (index < 0 || index >= ListCount()) throw RuntimeError(error, "Invalid argument");
}

void ComboBox::AddItem(const std::string& item, int index) {
  if (index < -1 || index > ListCount()) throw RuntimeError(kErrInvalidProcedureCall, "Invalid argument");
  const int at = index < 0 ? ListCount() : index;
  items_.insert(items_.begin() + at, Item{item, 0});
  newIndex_ = at;
  if (listIndex_ >= at) ++listIndex_;
  auto* w = static_cast<QComboBox*>(Widget());
  QSignalBlocker block(w);
  w->insertItem(at, Q(item));
  w->setCurrentIndex(listIndex_);
  if (style_ == vbComboDropdown) w->setEditText(Q(text_));
}

void ComboBox::RemoveItem(int index) {
  CheckIndex(index, kErrInvalidProcedureCall);
  items_.erase(items_.begin() + index);
  if (listIndex_ == index) {
    listIndex_ = -1;
  } else if (listIndex_ > index) {
    --listIndex_;
  }
  auto* w = static_cast<QComboBox*>(Widget());
  QSignalBlocker block(w);
  w->removeItem(index);
  w->setCurrentIndex(listIndex_);
  if (style_ == vbComboDropdown) w->setEditText(Q(text_));
}

void ComboBox::Clear() {
  items_.clear();
  listIndex_ = -1;
  newIndex_ = -1;
  text_.clear();
  auto* w = static_cast<QComboBox*>(Widget());
  QSignalBlocker block(w);
  w->clear();
  if (style_ == vbComboDropdown) w->setEditText(QString());
}

const std::string& ComboBox::List(int index) const {
  static const std::string empty;
  if (index < 0 || index >= ListCount()) return empty;
  return items_[static_cast<std::size_t>(index)].text;
}

void ComboBox::SetList(int index, const std::string& item) {
  CheckIndex(index, kErrInvalidProperty);
  items_[static_cast<std::size_t>(index)].text = item;
  auto* w = static_cast<QComboBox*>(Widget());
  QSignalBlocker block(w);
  w->setItemText(index, Q(item));
  if (style_ == vbComboDropdown) w->setEditText(Q(text_));
}

long ComboBox::ItemData(int index) const {
  CheckIndex(index, kErrInvalidProperty);
  return items_[static_cast<std::size_t>(index)].data;
}

void ComboBox::SetItemData(int index, long data) {
  CheckIndex(index, kErrInvalidProperty);
  items_[static_cast<std::size_t>(index)].data = data;
}

void ComboBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  if (index == listIndex_) return;
  listIndex_ = index;
  text_ = index < 0 ? std::string() : items_[static_cast<std::size_t>(index)].text;
  auto* w = static_cast<QComboBox*>(Widget());
  {
    QSignalBlocker block(w);
    w->setCurrentIndex(index);
    if (style_ == vbComboDropdown) w->setEditText(Q(text_));
  }
  if (index >= 0) Raise(CommonHandlers().OnClick, Index());
}

void ComboBox::SetText(const std::string& text) {
  if (style_ != vbComboDropdown) {
    for (int i = 0; i < ListCount(); ++i) {
      if (items_[static_cast<std::size_t>(i)].text == text) {
        listIndex_ = i;
        text_ = text;
        QSignalBlocker block(Widget());
        static_cast<QComboBox*>(Widget())->setCurrentIndex(i);
        return;
      }
    }
    throw RuntimeError(383, "'Text' property is read-only");
  }
  if (text == text_) return;
  text_ = text;
  listIndex_ = -1;
  for (int i = 0; i < ListCount(); ++i) {
    if (items_[static_cast<std::size_t>(i)].text == text) {
      listIndex_ = i;
      break;
    }
  }
  auto* w = static_cast<QComboBox*>(Widget());
  {
    QSignalBlocker block(w);
    w->setCurrentIndex(listIndex_);
    w->setEditText(Q(text_));
  }
  Raise(Own().OnChange, Index());
}

void ComboBox::ApplyColours() {
  QWidget* w = Widget();
  QPalette pal = w->palette();
  pal.setColor(QPalette::Base, detail::ToQColor(BackColor()));
  pal.setColor(QPalette::Text, detail::ToQColor(ForeColor()));
  w->setPalette(pal);
}

std::unique_ptr<ComboBox> ComboBox::CloneElement(int) const {
  auto c = std::make_unique<ComboBox>(Parent(), Name(), style_);
  c->CopyCommon(*this);
  return c;
}

// --- VScrollBar ----------------------------------------------------------------

VScrollBar::VScrollBar(Container& container, const std::string& name) : Control(container, name) {
  auto* w = new detail::ScrollWidget(this, container.ContentWidget());
  Attach(w);
  w->setFocusPolicy(Qt::StrongFocus);
  w->setRange(min_, max_);
  w->setSingleStep(smallChange_);
  w->setPageStep(largeChange_);
  QObject::connect(w, &QScrollBar::valueChanged, w, [this, w](int v) {
    detail::QtBoundary boundary;
    Access::ScrollValueChanged(*this, v, w->isSliderDown());
  });
  QObject::connect(w, &QScrollBar::sliderPressed, w, [this, w] { w->dragStart = value_; });
  QObject::connect(w, &QScrollBar::sliderReleased, w, [this] {
    detail::QtBoundary boundary;
    Access::ScrollReleased(*this);
  });
}

void VScrollBar::SetMin(int value) {
  min_ = value;
  Access::ScrollRangeChanged(*this);
}

void VScrollBar::SetMax(int value) {
  max_ = value;
  Access::ScrollRangeChanged(*this);
}

void VScrollBar::SetValue(int value) {
  if (value < std::min(min_, max_) || value > std::max(min_, max_))
    throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  if (value == value_) return;
  value_ = value;
  {
    QSignalBlocker block(Widget());
    static_cast<QScrollBar*>(Widget())->setValue(value);
  }
  Raise(Own().OnChange, Index());
}

void VScrollBar::SetSmallChange(int value) {
  smallChange_ = value;
  static_cast<QScrollBar*>(Widget())->setSingleStep(value);
}

void VScrollBar::SetLargeChange(int value) {
  largeChange_ = value;
  static_cast<QScrollBar*>(Widget())->setPageStep(value);
}

std::unique_ptr<VScrollBar> VScrollBar::CloneElement(int) const {
  auto c = std::make_unique<VScrollBar>(Parent(), Name());
  c->CopyCommon(*this);
  c->SetSmallChange(smallChange_);
  c->SetLargeChange(largeChange_);
  c->min_ = min_;
  c->max_ = max_;
  c->value_ = value_;
  auto* w = static_cast<QScrollBar*>(c->Widget());
  QSignalBlocker block(w);
  w->setRange(std::min(min_, max_), std::max(min_, max_));
  w->setValue(value_);
  return c;
}

// --- Frame ---------------------------------------------------------------------

Frame::Frame(Container& container, const std::string& name, const std::string& caption)
    : Control(container, name) {
  auto* w = new detail::FrameWidget(this, container.ContentWidget());
  w->reportKeys = false;
  Attach(w);
  content_ = w;
  // A frame paints its back colour: one lying over another hides the other's
  // children.
  w->setAutoFillBackground(true);
  w->setFrameStyle(QFrame::Box | QFrame::Sunken);
  SetCaption(caption);
}

void Frame::SetCaption(const std::string& caption) {
  caption_ = caption;
  QWidget* w = Widget();
  auto* label = w->findChild<QLabel*>(QStringLiteral("korvalo_frame_caption"), Qt::FindDirectChildrenOnly);
  if (caption.empty()) {
    delete label;
    return;
  }
  if (!label) {
    label = new QLabel(w);
    label->setObjectName(QStringLiteral("korvalo_frame_caption"));
    label->setAutoFillBackground(true);
    label->move(6, 0);
  }
  label->setText(detail::PlainCaption(caption));
  label->adjustSize();
  label->show();
  label->lower();
}

void Frame::SetBorderStyle(int style) {
  borderStyle_ = style;
  static_cast<QFrame*>(Widget())->setFrameStyle(style == 0 ? QFrame::NoFrame : (QFrame::Box | QFrame::Sunken));
}

std::unique_ptr<Frame> Frame::CloneElement(int) const {
  auto c = std::make_unique<Frame>(Parent(), Name(), caption_);
  c->CopyCommon(*this);
  if (borderStyle_ != 1) c->SetBorderStyle(borderStyle_);
  return c;
}

// --- PictureBox ----------------------------------------------------------------

// Draws into the kept image of the picture box and passes every call to the
// tap as well.
class PictureBox::Surface : public Canvas {
 public:
  explicit Surface(PictureBox& owner) : owner_(owner) {}
  void Clear() override {
    if (tap) tap->Clear();
    auto* c = Inner();
    c->background = detail::ToQColor(owner_.BackColor());
    c->image.fill(c->background);
    c->update();
  }
  void Line(double x1, double y1, double x2, double y2, Colour colour) override {
    if (tap) tap->Line(x1, y1, x2, y2, colour);
    Paint(colour, [&](QPainter& p) {
      p.drawLine(QPointF(x1 / kTwipsPerPixel, y1 / kTwipsPerPixel), QPointF(x2 / kTwipsPerPixel, y2 / kTwipsPerPixel));
    });
  }
  void Rectangle(double x1, double y1, double x2, double y2, Colour colour) override {
    if (tap) tap->Rectangle(x1, y1, x2, y2, colour);
    Paint(colour, [&](QPainter& p) {
      p.drawRect(QRectF(QPointF(x1 / kTwipsPerPixel, y1 / kTwipsPerPixel),
                        QPointF(x2 / kTwipsPerPixel, y2 / kTwipsPerPixel))
                     .normalized());
    });
  }
  void Arc(double cx, double cy, double radius, double startAngle, double endAngle, Colour colour) override {
    if (tap) tap->Arc(cx, cy, radius, startAngle, endAngle, colour);
    const double twoPi = 6.28318530717958;
    double span = endAngle - startAngle;
    while (span < 0) span += twoPi;
    while (span > twoPi) span -= twoPi;
    const double r = radius / kTwipsPerPixel;
    const QRectF box(cx / kTwipsPerPixel - r, cy / kTwipsPerPixel - r, 2 * r, 2 * r);
    const int start16 = static_cast<int>(std::lround(startAngle * 180.0 / 3.14159265358979 * 16.0));
    const int span16 = static_cast<int>(std::lround(span * 180.0 / 3.14159265358979 * 16.0));
    Paint(colour, [&](QPainter& p) {
      p.setRenderHint(QPainter::Antialiasing, true);
      p.drawArc(box, start16, span16);
    });
  }
  Canvas* tap = nullptr;

 private:
  detail::CanvasWidget* Inner() { return static_cast<detail::CanvasWidget*>(owner_.ContentWidget()); }
  template <class F>
  void Paint(Colour colour, F&& draw) {
    auto* c = Inner();
    if (c->image.isNull()) return;
    QPainter p(&c->image);
    // Lines and borders fall on whole pixels, as the windows expect.
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(detail::ToQColor(colour));
    pen.setWidth(std::max(1, owner_.DrawWidth()));
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    draw(p);
    c->update();
  }
  PictureBox& owner_;
};

PictureBox::PictureBox(Container& container, const std::string& name) : Control(container, name) {
  auto* outer = new detail::FrameWidget(this, container.ContentWidget());
  Attach(outer);
  outer->setFocusPolicy(Qt::StrongFocus);
  outer->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  outer->setLineWidth(2);
  auto* inner = new detail::CanvasWidget(this, outer);
  inner->reportKeys = false;
  inner->background = detail::ToQColor(vbButtonFace);
  content_ = inner;
  surface_ = std::make_unique<Surface>(*this);
}

PictureBox::~PictureBox() = default;

int PictureBox::ScaleWidth() const { return std::max(0, Width() - (borderStyle_ ? 4 * kTwipsPerPixel : 0)); }
int PictureBox::ScaleHeight() const { return std::max(0, Height() - (borderStyle_ ? 4 * kTwipsPerPixel : 0)); }

void PictureBox::SetBorderStyle(int style) {
  borderStyle_ = style;
  static_cast<QFrame*>(Widget())->setFrameStyle(style == 0 ? QFrame::NoFrame : (QFrame::Panel | QFrame::Sunken));
  Access::PlaceWidget(*this);
}

void PictureBox::SetDrawWidth(int pixels) { drawWidth_ = std::max(1, pixels); }

Canvas& PictureBox::Drawing() { return *surface_; }

void PictureBox::SetCanvasTap(Canvas* tap) { surface_->tap = tap; }

void PictureBox::ApplyColours() {
  auto* inner = static_cast<detail::CanvasWidget*>(ContentWidget());
  inner->background = detail::ToQColor(BackColor());
}

std::unique_ptr<PictureBox> PictureBox::CloneElement(int) const {
  auto c = std::make_unique<PictureBox>(Parent(), Name());
  c->CopyCommon(*this);
  if (borderStyle_ != 1) c->SetBorderStyle(borderStyle_);
  c->drawWidth_ = drawWidth_;
  c->ApplyColours();
  return c;
}

void detail::CanvasWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), background);
  if (!image.isNull()) p.drawImage(0, 0, image);
}

void detail::CanvasWidget::resizeEvent(QResizeEvent*) {
  if (size().isEmpty()) return;
  if (image.size() == size()) return;
  QImage next(size(), QImage::Format_RGB32);
  next.fill(background);
  if (!image.isNull()) {
    QPainter p(&next);
    p.drawImage(0, 0, image);
  }
  image = std::move(next);
}

// --- placing widgets -------------------------------------------------------------

void Access::PlaceWidget(Control& c) {
  if (!c.widget_) return;
  const int x = Px(c.left_);
  const int y = Px(c.top_);
  const int w = Px(static_cast<double>(c.left_) + c.width_) - x;
  const int h = Px(static_cast<double>(c.top_) + c.height_) - y;
  c.widget_->setGeometry(x, y, std::max(0, w), std::max(0, h));
  if (auto* picture = dynamic_cast<PictureBox*>(&c)) {
    const int border = picture->BorderStyle() ? 2 : 0;
    picture->ContentWidget()->setGeometry(border, border, std::max(0, w - 2 * border), std::max(0, h - 2 * border));
  }
}

void Access::WidgetGone(Control& c) { c.widget_ = nullptr; }

void Access::ScrollRangeChanged(VScrollBar& c) {
  const int low = std::min(c.min_, c.max_), high = std::max(c.min_, c.max_);
  auto* w = static_cast<QScrollBar*>(c.Widget());
  {
    QSignalBlocker block(w);
    w->setRange(low, high);
  }
  const int v = std::clamp(c.value_, low, high);
  if (v != c.value_) c.SetValue(v);
}

}  // namespace korvalo::forms

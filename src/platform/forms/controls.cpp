#include "platform/forms/controls.h"

#include <QButtonGroup>
#include <QApplication>
#include <QClipboard>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
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

Container::~Container() {
  // Controls still placed here lose their container with it.
  for (Control* child : children_) child->container_ = nullptr;
}

Control::Control(Container& container, const std::string& name)
    : name_(name), container_(&container), form_(&container.ContainerForm()), backColor_(vbButtonFace) {
  container.children_.push_back(this);
  form_->tabOrder_.push_back(this);
}

Control::~Control() {
  Form& form = ParentForm();
  if (form.focused_ == this) form.focused_ = nullptr;
  if (form.eventFocus_ == this) form.eventFocus_ = nullptr;
  Access::RemoveFromForm(*this);
  if (container_) {
    auto& siblings = container_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  if (widget_) {
    QWidget* w = widget_;
    widget_ = nullptr;
    delete w;  // its hook clears widget_ again; nothing else of this control is touched
  }
}

QWidget* Control::Realised() const {
  auto* self = const_cast<Control*>(this);
  if (widget_ || !container_) return widget_;
  if (Control* parent = AsControl(container_)) parent->Realised();
  QWidget* parentWidget = container_->ContentWidget();
  if (!parentWidget) return nullptr;
  self->widget_ = self->CreateWidget(parentWidget);
  QWidget* w = widget_;
  if (!enabled_) w->setEnabled(false);
  if (coloursSet_) self->ApplyColours();
  if (fontSet_) w->setFont(detail::ToQFont(font_));
  if (!toolTip_.empty()) w->setToolTip(Q(toolTip_));
  Access::PlaceWidget(*self);
  Access::Stack(*self);
  if (!visible_) w->setVisible(false);
  else if (parentWidget->isVisible()) w->show();
  // Its children may be wanted now.
  if (ownContent_) Access::ScheduleRealise(*form_);
  return widget_;
}

namespace detail {
void JoinContainerGroup(QAbstractButton* button);
}  // namespace detail

void Control::SetContainer(Container& container) {
  if (&container == container_) return;
  if (&container.ContainerForm() != form_) throw RuntimeError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
  if (container_) {
    auto& siblings = container_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  container_ = &container;
  container.children_.push_back(this);
  if (widget_) {
    // A control with a widget keeps it: its new container gets one too.
    if (Control* parent = AsControl(&container)) parent->Realised();
    if (QWidget* content = container.ContentWidget()) {
      widget_->setParent(content);
      if (auto* option = dynamic_cast<QRadioButton*>(widget_)) detail::JoinContainerGroup(option);
      Access::PlaceWidget(*this);
      widget_->setVisible(visible_);
    } else {
      delete widget_;  // a container that cannot have one: the state stays
    }
  }
  Access::ScheduleRealise(*form_);
}

void Control::SetLeft(int twips) { Move(twips, top_, width_, height_); }
void Control::SetTop(int twips) { Move(left_, twips, width_, height_); }
void Control::SetWidth(int twips) { Move(left_, top_, twips, height_); }
void Control::SetHeight(int twips) { Move(left_, top_, width_, twips); }
void Control::Move(int left, int top) { Move(left, top, width_, height_); }
void Control::Move(int left, int top, int width, int height) {
  if (width < 0 || height < 0) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool sized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Access::PlaceWidget(*this);
  if (!widget_ || ownContent_) Access::ScheduleRealise(*form_);
  if (sized) SizeChanged();
}

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!widget_) return;
  if (enabled) {
    widget_->setEnabled(true);
  } else {
    Access::WithoutFocusMove(*this, [this] { widget_->setEnabled(false); });
  }
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  if (widget_) {
    if (visible) {
      widget_->setVisible(true);
    } else {
      Access::WithoutFocusMove(*this, [this] { widget_->setVisible(false); });
    }
  }
  // A control shown may want its widget; a frame, shown or hidden, may
  // uncover others.
  if ((visible && !widget_) || ownContent_) Access::ScheduleRealise(*form_);
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
  coloursSet_ = true;
  ApplyColours();
}
void Control::SetForeColor(Colour colour) {
  foreColor_ = colour;
  coloursSet_ = true;
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
  fontSet_ = true;
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
  if (!container_ || !TakesFocus()) return false;
  return IsEffectivelyEnabled() && IsEffectivelyVisible();
}

void Control::SetFocus() {
  if (!CanFocus()) throw RuntimeError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
  Access::FocusTo(*this);
}

bool Control::HasFocus() const { return ParentForm().focused_ == this; }

void Control::ZOrder(int position) {
  if (container_) {
    auto& siblings = container_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    siblings.insert(position == 0 ? siblings.end() : siblings.begin(), this);
  }
  if (ownContent_) Access::ScheduleRealise(*form_);
  if (!widget_) return;
  if (position == 0)
    widget_->raise();
  else
    widget_->lower();
}

void Control::Refresh() {
  Access::RealisePending(*form_);
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
  coloursSet_ = from.coloursSet_;
  font_ = from.font_;
  fontSet_ = from.fontSet_;
  toolTip_ = from.toolTip_;
  tag_ = from.tag_;
  if (!widget_) return;
  // Kinds that make their widget at once: the copied state goes in.
  widget_->setVisible(false);
  widget_->setEnabled(enabled_);
  if (coloursSet_) ApplyColours();
  if (fontSet_) widget_->setFont(detail::ToQFont(font_));
  if (!toolTip_.empty()) widget_->setToolTip(Q(toolTip_));
  Access::PlaceWidget(*this);
}

void Control::JoinArray(const ControlEvents* handlers, int index) {
  arrayHandlers_ = handlers;
  index_ = index;
  inArray_ = true;
}

// --- Label ---------------------------------------------------------------------

namespace {
Qt::Alignment HorizontalAlignment(int alignment) {
  if (alignment == vbRightJustify) return Qt::AlignRight;
  if (alignment == vbCenter) return Qt::AlignHCenter;
  return Qt::AlignLeft;
}
}  // namespace

Label::Label(Container& container, const std::string& name, const std::string& caption)
    : Control(container, name), caption_(caption) {}

QWidget* Label::CreateWidget(QWidget* parent) {
  auto* w = new detail::LabelWidget(this, parent);
  w->setAutoFillBackground(backStyle_ != 0);
  w->setTextFormat(Qt::PlainText);
  w->setAlignment(HorizontalAlignment(alignment_) | Qt::AlignTop);
  if (borderStyle_ != 0) w->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  if (wordWrap_) w->setWordWrap(true);
  w->setText(detail::PlainCaption(caption_));
  return w;
}

void Label::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (auto* w = static_cast<QLabel*>(Widget())) w->setText(detail::PlainCaption(caption));
  if (autoSize_) SetAutoSize(true);
}

void Label::SetAlignment(int alignment) {
  alignment_ = alignment;
  if (auto* w = static_cast<QLabel*>(Widget())) w->setAlignment(HorizontalAlignment(alignment) | Qt::AlignTop);
}

void Label::SetBackStyle(int style) {
  backStyle_ = style;
  if (QWidget* w = Widget()) w->setAutoFillBackground(style != 0);
}

void Label::SetBorderStyle(int style) {
  borderStyle_ = style;
  if (auto* w = static_cast<QLabel*>(Widget()))
    w->setFrameStyle(style == 0 ? QFrame::NoFrame : (QFrame::Panel | QFrame::Sunken));
}

void Label::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  if (!autoSize) return;
  // The size the caption needs comes from the widget.
  QWidget* w = Realised();
  if (!w) return;
  const QSize hint = w->sizeHint();
  Move(Left(), Top(), TwipsFromPixels(hint.width()), TwipsFromPixels(hint.height()));
}

void detail::LabelWidget::changeEvent(QEvent* e) {
  QLabel::changeEvent(e);
  if (e->type() != QEvent::FontChange || !owner_) return;
  QtBoundary boundary;
  auto* label = static_cast<Label*>(owner_);
  if (label->AutoSize()) label->SetAutoSize(true);
}

int Label::CaptionHeight() {
  auto* w = static_cast<QLabel*>(Realised());
  if (!w) return Height();
  const int width = PixelsFromTwips(Width());
  const int pixels = w->wordWrap() ? w->heightForWidth(width) : w->sizeHint().height();
  return TwipsFromPixels(pixels);
}

void Label::SetWordWrap(bool wrap) {
  wordWrap_ = wrap;
  if (auto* w = static_cast<QLabel*>(Widget())) w->setWordWrap(wrap);
}

void Label::ApplyColours() {
  Control::ApplyColours();
}

std::unique_ptr<Label> Label::CloneElement(int) const {
  auto c = std::make_unique<Label>(Parent(), Name(), caption_);
  c->CopyCommon(*this);
  c->alignment_ = alignment_;
  c->backStyle_ = backStyle_;
  c->borderStyle_ = borderStyle_;
  c->autoSize_ = autoSize_;
  c->wordWrap_ = wordWrap_;
  return c;
}

// --- TextBox -------------------------------------------------------------------

TextBox::TextBox(Container& container, const std::string& name) : Control(container, name) {
  SetDefaultColours(vbWindowBackground, vbWindowText);
}

QWidget* TextBox::CreateWidget(QWidget* parent) {
  auto* w = new detail::LineEditWidget(this, parent, true);
  w->setAutoFillBackground(false);
  w->setFrame(true);
  w->setAcceptDrops(false);
  w->setContextMenuPolicy(Qt::DefaultContextMenu);
  if (maxLength_) w->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
  if (locked_) w->setReadOnly(true);
  if (alignment_ != vbLeftJustify) w->setAlignment(HorizontalAlignment(alignment_) | Qt::AlignVCenter);
  w->setText(Q(text_));
  QObject::connect(w, &QLineEdit::textChanged, w, [this](const QString& t) {
    detail::QtBoundary boundary;
    Access::LineEditTextChanged(*this, t);
  });
  return w;
}

namespace {
// Without a widget: the text as a line edit keeps it (cut to the longest
// text allowed).
std::string TextAsKept(const std::string& text, int maxLength) {
  QString q = Q(text);
  const int limit = maxLength > 0 ? maxLength : 32767;
  if (q.size() > limit) q.truncate(limit);
  return S(q);
}
}  // namespace

void TextBox::SetText(const std::string& text) {
  if (text == text_) return;
  if (auto* w = static_cast<QLineEdit*>(Widget())) {
    {
      QSignalBlocker block(w);
      w->setText(Q(text));
    }
    text_ = S(w->text());
  } else {
    text_ = TextAsKept(text, maxLength_);
  }
  Raise(Own().OnChange, Index());
}

// The selection lives in the widget: asking for it makes the widget.
int TextBox::SelStart() const {
  auto* w = static_cast<QLineEdit*>(Realised());
  if (!w) return 0;
  const qsizetype start = w->hasSelectedText() ? w->selectionStart() : w->cursorPosition();
  return CodePoints(w->text(), start);
}

void TextBox::SetSelStart(int start) {
  if (start < 0) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  auto* w = static_cast<QLineEdit*>(Realised());
  if (!w) return;
  w->setCursorPosition(static_cast<int>(QIndexOf(w->text(), start)));
}

int TextBox::SelLength() const {
  auto* w = static_cast<QLineEdit*>(Realised());
  if (!w || !w->hasSelectedText()) return 0;
  return static_cast<int>(w->selectedText().toUcs4().size());
}

void TextBox::SetSelLength(int length) {
  if (length < 0) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  auto* w = static_cast<QLineEdit*>(Realised());
  if (!w) return;
  const int start = SelStart();
  const qsizetype qs = QIndexOf(w->text(), start);
  const qsizetype qe = QIndexOf(w->text(), start + length);
  w->setSelection(static_cast<int>(qs), static_cast<int>(qe - qs));
}

std::string TextBox::SelText() const {
  auto* w = static_cast<QLineEdit*>(Realised());
  return w ? S(w->selectedText()) : std::string();
}

void TextBox::SetSelText(const std::string& text) {
  auto* w = static_cast<QLineEdit*>(Realised());
  if (!w) return;
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
  // A shorter limit cuts the text (raising Change) in the widget.
  auto* w = static_cast<QLineEdit*>(text_.empty() ? Widget() : Realised());
  if (w) w->setMaxLength(length > 0 ? length : 32767);
}

void TextBox::SetLocked(bool locked) {
  locked_ = locked;
  if (auto* w = static_cast<QLineEdit*>(Widget())) w->setReadOnly(locked);
}

void TextBox::SetAlignment(int alignment) {
  alignment_ = alignment;
  if (auto* w = static_cast<QLineEdit*>(Widget())) w->setAlignment(HorizontalAlignment(alignment) | Qt::AlignVCenter);
}

void TextBox::ApplyColours() {
  QWidget* w = Widget();
  if (!w) return;
  // The colours are those of an enabled box; a disabled box keeps the
  // disabled look whatever colour it was given, so it never looks typeable.
  const QPalette standard = QApplication::palette(w);
  QPalette pal = w->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    pal.setColor(group, QPalette::Base, detail::ToQColor(BackColor()));
    pal.setColor(group, QPalette::Text, detail::ToQColor(ForeColor()));
  }
  pal.setColor(QPalette::Disabled, QPalette::Base, standard.color(QPalette::Disabled, QPalette::Base));
  pal.setColor(QPalette::Disabled, QPalette::Text, standard.color(QPalette::Disabled, QPalette::Text));
  w->setPalette(pal);
}

std::unique_ptr<TextBox> TextBox::CloneElement(int) const {
  auto c = std::make_unique<TextBox>(Parent(), Name());
  c->CopyCommon(*this);
  c->maxLength_ = maxLength_;
  c->locked_ = locked_;
  c->alignment_ = alignment_;
  c->text_ = text_;
  return c;
}

// --- CommandButton -------------------------------------------------------------

namespace {
// "&Save" has an access key, "&&" alone does not.
bool HasAccessKey(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return true;
    ++i;
  }
  return false;
}
}  // namespace

// A button with an access key gets its widget at once: the key works while
// the button is visible, even scrolled out of view or covered.
CommandButton::CommandButton(Container& container, const std::string& name, const std::string& caption)
    : Control(container, name), caption_(caption) {
  if (HasAccessKey(caption)) Realised();
}

QWidget* CommandButton::CreateWidget(QWidget* parent) {
  auto* w = new detail::ButtonWidget(this, parent);
  w->setAutoFillBackground(false);
  w->setFocusPolicy(Qt::StrongFocus);
  w->setAutoDefault(false);
  w->setText(Q(caption_));
  ApplyPicture(w);
  QObject::connect(w, &QPushButton::clicked, w, [this] {
    detail::QtBoundary boundary;
    Access::Click(*this);
  });
  return w;
}

void CommandButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  auto* w = static_cast<QPushButton*>(HasAccessKey(caption) ? Realised() : Widget());
  if (w) w->setText(Q(caption));
}

void CommandButton::SetStyle(int style) {
  style_ = style;
  coloursSet_ = true;
  ApplyColours();
  ApplyPicture();
}

void CommandButton::SetPicture(const Image& picture) {
  if (picture.width > 0 && picture.height > 0 &&
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
    throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  picture_ = picture;
  ApplyPicture();
}

// The picture goes on the face at its own size; only the graphical style
// shows it.
void CommandButton::ApplyPicture() const {
  if (auto* w = static_cast<QPushButton*>(Widget())) ApplyPicture(w);
}

void CommandButton::ApplyPicture(QPushButton* w) const {
  const QImage image = style_ == vbButtonGraphical ? detail::ToQImage(picture_) : QImage();
  if (image.isNull()) {
    w->setIcon(QIcon());
    return;
  }
  w->setIcon(QIcon(QPixmap::fromImage(image)));
  w->setIconSize(image.size());
}

void CommandButton::SetDefault(bool isDefault) { default_ = isDefault; }
void CommandButton::SetCancel(bool isCancel) { cancel_ = isCancel; }

void CommandButton::PerformClick() { Access::Click(*this); }

void CommandButton::ApplyColours() {
  QWidget* w = Widget();
  if (!w) return;
  QPalette pal = w->palette();
  const Colour back = style_ == vbButtonGraphical ? BackColor() : vbButtonFace;
  pal.setColor(QPalette::Button, detail::ToQColor(back));
  pal.setColor(QPalette::ButtonText, detail::ToQColor(ForeColor()));
  w->setPalette(pal);
}

std::unique_ptr<CommandButton> CommandButton::CloneElement(int) const {
  auto c = std::make_unique<CommandButton>(Parent(), Name(), caption_);
  c->style_ = style_;  // before the colours go into a widget made at once
  c->picture_ = picture_;
  c->CopyCommon(*this);
  c->default_ = false;
  c->cancel_ = false;
  return c;
}

// --- CheckBox ------------------------------------------------------------------

namespace {
Qt::CheckState CheckStateOf(int value) {
  return value == vbUnchecked ? Qt::Unchecked : value == vbChecked ? Qt::Checked : Qt::PartiallyChecked;
}
}  // namespace

CheckBox::CheckBox(Container& container, const std::string& name, const std::string& caption)
    : Control(container, name), caption_(caption) {
  if (HasAccessKey(caption)) Realised();
}

QWidget* CheckBox::CreateWidget(QWidget* parent) {
  auto* w = new detail::CheckWidget(this, parent);
  w->setAutoFillBackground(false);
  w->setFocusPolicy(Qt::StrongFocus);
  w->setText(Q(caption_));
  if (alignment_ == vbRightJustify) w->setLayoutDirection(Qt::RightToLeft);
  w->setCheckState(CheckStateOf(value_));
  QObject::connect(w, &QCheckBox::stateChanged, w, [this](int state) {
    detail::QtBoundary boundary;
    Access::CheckStateChanged(*this, state);
  });
  return w;
}

void CheckBox::SetCaption(const std::string& caption) {
  caption_ = caption;
  auto* w = static_cast<QCheckBox*>(HasAccessKey(caption) ? Realised() : Widget());
  if (w) w->setText(Q(caption));
}

void CheckBox::SetValue(int value) {
  if (value < 0 || value > 2) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  if (value == value_) return;
  value_ = value;
  if (auto* w = static_cast<QCheckBox*>(Widget())) {
    QSignalBlocker block(w);
    w->setCheckState(CheckStateOf(value));
  }
  Raise(CommonHandlers().OnClick, Index());
}

void CheckBox::SetAlignment(int alignment) {
  alignment_ = alignment;
  if (QWidget* w = Widget()) w->setLayoutDirection(alignment == vbRightJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

std::unique_ptr<CheckBox> CheckBox::CloneElement(int) const {
  auto c = std::make_unique<CheckBox>(Parent(), Name(), caption_);
  c->CopyCommon(*this);
  c->alignment_ = alignment_;
  c->value_ = value_;
  if (auto* w = static_cast<QCheckBox*>(c->Widget())) {
    if (alignment_ == vbRightJustify) w->setLayoutDirection(Qt::RightToLeft);
    QSignalBlocker block(w);
    w->setCheckState(CheckStateOf(value_));
  }
  return c;
}

// --- OptionButton --------------------------------------------------------------
// Option buttons make their widget at once. The option buttons of one
// container form one group, as frames group them on Windows: each container
// widget holds one exclusive button group. Qt's automatic grouping is not
// used, because it would also take in the buttons of frames inside it.

namespace detail {

void JoinContainerGroup(QAbstractButton* button) {
  if (QButtonGroup* old = button->group()) old->removeButton(button);
  QWidget* parent = button->parentWidget();
  if (!parent) return;
  static const QString kGroupName = QStringLiteral("korvalo_option_group");
  auto* group = parent->findChild<QButtonGroup*>(kGroupName, Qt::FindDirectChildrenOnly);
  if (!group) {
    group = new QButtonGroup(parent);
    group->setObjectName(kGroupName);
    group->setExclusive(true);
  }
  button->setAutoExclusive(false);
  group->addButton(button);
}

}  // namespace detail

OptionButton::OptionButton(Container& container, const std::string& name, const std::string& caption)
    : Control(container, name), caption_(caption) {
  Realised();
}

QWidget* OptionButton::CreateWidget(QWidget* parent) {
  auto* w = new detail::OptionWidget(this, parent);
  w->setAutoFillBackground(false);
  w->setFocusPolicy(Qt::StrongFocus);
  w->setText(Q(caption_));
  detail::JoinContainerGroup(w);
  QObject::connect(w, &QRadioButton::toggled, w, [this](bool on) {
    detail::QtBoundary boundary;
    Access::OptionToggled(*this, on);
  });
  return w;
}

void OptionButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (auto* w = static_cast<QRadioButton*>(Widget())) w->setText(Q(caption));
  if (coloursSet_) ApplyColours();
}

void OptionButton::ApplyColours() {
  Control::ApplyColours();
  QWidget* w = Widget();
  if (!w) return;
  // A back colour given fills the button's area; a button without a caption
  // is a colour swatch, its circle filled with the colour too and the dot
  // drawn in black or white, whichever stands out.
  w->setAutoFillBackground(true);
  if (!caption_.empty()) return;
  const QColor back = detail::ToQColor(BackColor());
  QPalette pal = w->palette();
  pal.setColor(QPalette::Base, back);
  pal.setColor(QPalette::Button, back);
  pal.setColor(QPalette::Text, qGray(back.rgb()) < 128 ? Qt::white : Qt::black);
  w->setPalette(pal);
}

void OptionButton::SetValue(bool selected) { Access::OptionSetValue(*this, selected); }

std::unique_ptr<OptionButton> OptionButton::CloneElement(int) const {
  auto c = std::make_unique<OptionButton>(Parent(), Name(), caption_);
  c->CopyCommon(*this);
  return c;
}

// --- ComboBox ------------------------------------------------------------------

// Combo boxes make their widget at once (their list lives there as well).
ComboBox::ComboBox(Container& container, const std::string& name, int style)
    : Control(container, name), style_(style) {
  SetDefaultColours(vbWindowBackground, vbWindowText);
  Realised();
}

QWidget* ComboBox::CreateWidget(QWidget* parent) {
  auto* w = new detail::ComboWidget(this, parent);
  w->setAutoFillBackground(false);
  w->setFocusPolicy(Qt::StrongFocus);
  w->setInsertPolicy(QComboBox::NoInsert);
  if (style_ == vbComboDropdown) {
    w->setEditable(true);
    auto* edit = new detail::LineEditWidget(this, w, false);
    w->setLineEdit(edit);
    w->setCompleter(nullptr);
    QObject::connect(edit, &QLineEdit::textEdited, w, [this](const QString& t) {
      detail::QtBoundary boundary;
      Access::LineEditTextChanged(*this, t);
    });
  }
  for (const Item& item : items_) w->addItem(Q(item.text));
  w->setCurrentIndex(listIndex_);
  if (style_ == vbComboDropdown) w->setEditText(Q(text_));
  QObject::connect(w, &QComboBox::activated, w, [this](int i) {
    detail::QtBoundary boundary;
    Access::ComboActivated(*this, i);
  });
  return w;
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

void ComboBox::AddItems(std::vector<Item> items) {
  if (items.empty()) return;
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(items.size()));
  for (const Item& item : items) texts.push_back(Q(item.text));
  items_.insert(items_.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
  newIndex_ = ListCount() - 1;
  auto* w = static_cast<detail::ComboWidget*>(Widget());
  QSignalBlocker block(w);
  w->List().Append(texts);
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
  if (!w) return;
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

// Scroll bars make their widget at once.
VScrollBar::VScrollBar(Container& container, const std::string& name) : Control(container, name) {
  Realised();
}

QWidget* VScrollBar::CreateWidget(QWidget* parent) {
  auto* w = new detail::ScrollWidget(this, parent);
  w->setAutoFillBackground(false);
  w->setFocusPolicy(Qt::StrongFocus);
  w->setRange(std::min(min_, max_), std::max(min_, max_));
  w->setSingleStep(smallChange_);
  w->setPageStep(largeChange_);
  w->setValue(value_);
  QObject::connect(w, &QScrollBar::valueChanged, w, [this, w](int v) {
    detail::QtBoundary boundary;
    Access::ScrollValueChanged(*this, v, w->isSliderDown());
  });
  QObject::connect(w, &QScrollBar::sliderPressed, w, [this, w] { w->dragStart = value_; });
  QObject::connect(w, &QScrollBar::sliderReleased, w, [this] {
    detail::QtBoundary boundary;
    Access::ScrollReleased(*this);
  });
  return w;
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
    : Control(container, name), caption_(caption) {
  ownContent_ = this;
}

Frame::~Frame() {
  // The content goes with the widget; the control part ends after this one.
  ownContent_ = nullptr;
}

namespace {
void ShowFrameCaption(QWidget* w, const std::string& caption) {
  auto* label = w->findChild<QLabel*>(QStringLiteral("korvalo_frame_caption"), Qt::FindDirectChildrenOnly);
  if (caption.empty()) {
    delete label;
    return;
  }
  if (!label) {
    label = new detail::FrameCaptionWidget(w);
    label->setObjectName(QStringLiteral("korvalo_frame_caption"));
    label->setAutoFillBackground(true);
    label->move(6, 0);
  }
  label->setText(detail::PlainCaption(caption));
  label->adjustSize();
  label->show();
  label->lower();
}
}  // namespace

QWidget* Frame::CreateWidget(QWidget* parent) {
  auto* w = new detail::FrameWidget(this, parent);
  w->reportKeys = false;
  content_ = w;
  // A frame paints its back colour: one lying over another hides the other's
  // children.
  w->setAutoFillBackground(true);
  w->setFrameStyle(borderStyle_ == 0 ? QFrame::NoFrame : (QFrame::Box | QFrame::Sunken));
  if (!caption_.empty()) ShowFrameCaption(w, caption_);
  return w;
}

void Frame::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (QWidget* w = Widget()) ShowFrameCaption(w, caption);
}

void Frame::SetBorderStyle(int style) {
  borderStyle_ = style;
  if (auto* w = static_cast<QFrame*>(Widget()))
    w->setFrameStyle(style == 0 ? QFrame::NoFrame : (QFrame::Box | QFrame::Sunken));
}

std::unique_ptr<Frame> Frame::CloneElement(int) const {
  auto c = std::make_unique<Frame>(Parent(), Name(), caption_);
  c->CopyCommon(*this);
  c->borderStyle_ = borderStyle_;
  return c;
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
    if (QWidget* inner = picture->ContentWidget()) inner->setGeometry(border, border, std::max(0, w - 2 * border), std::max(0, h - 2 * border));
  }
}

// --- making widgets when they are needed ----------------------------------------

bool Access::Wanted(const Control& c) {
  if (c.widget_ || !c.visible_ || !c.container_ || !c.form_->visible_) return false;
  if (!c.container_->ContentWidget()) return false;
  // Inside the container's area (a row scrolled out of a frame is not).
  const int width = c.container_->ScaleWidth(), height = c.container_->ScaleHeight();
  return c.left_ < width && c.top_ < height && c.left_ + c.width_ > 0 && c.top_ + c.height_ > 0;
}

void Access::RealiseChildren(Container& container) {
  // Front to back: frames paint their whole area, so a child wholly behind
  // visible frames in front of it is not seen (the arc frames behind the
  // line frames of the grid).
  // Only the parts inside the container's area count.
  const auto& children = container.children_;
  const QRect inside(0, 0, container.ScaleWidth(), container.ScaleHeight());
  QRegion covered;
  std::vector<Control*> wanted;
  for (std::size_t i = children.size(); i-- > 0;) {
    Control* child = children[i];
    if (!child->visible_) continue;
    const QRect area = QRect(child->left_, child->top_, child->width_, child->height_).intersected(inside);
    if (area.isEmpty()) continue;
    if (Wanted(*child) && (covered.isEmpty() || !QRegion(area).subtracted(covered).isEmpty())) {
      wanted.push_back(child);
    }
    if (dynamic_cast<Frame*>(child)) covered += area;
  }
  for (Control* child : wanted) child->Realised();
  // Further in, where the containers have widgets. By index: making widgets
  // changes no list of children.
  for (std::size_t i = 0; i < children.size(); ++i) {
    Control* child = children[i];
    if (child->widget_ && child->ownContent_) RealiseChildren(*child->ownContent_);
  }
}

void Access::ScheduleRealise(Form& f) {
  if (f.realisePending_ || !f.visible_) return;
  f.realisePending_ = true;
  QMetaObject::invokeMethod(
      f.window_, [&f] { RealisePending(f); }, Qt::QueuedConnection);
}

void Access::RealisePending(Form& f) {
  if (!f.realisePending_) return;
  // The pass reaches the children of the containers it gives widgets: no
  // further pass is queued meanwhile.
  RealiseChildren(f);
  f.realisePending_ = false;
  // Each widget shown posts a request to paint its area later. Taken now,
  // it joins the paint the window is about to get; left in the queue, it
  // would come after that paint and paint the same widgets a second time.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
}

void Access::Stack(Control& c) {
  // Under the nearest sibling in front of it that has a widget; a new widget
  // is in front of all already.
  const auto& siblings = c.container_->children_;
  auto it = std::find(siblings.begin(), siblings.end(), &c);
  if (it == siblings.end()) return;
  for (++it; it != siblings.end(); ++it) {
    if ((*it)->widget_ && (*it)->widget_->parentWidget() == c.widget_->parentWidget()) {
      c.widget_->stackUnder((*it)->widget_);
      return;
    }
  }
}

void Access::WidgetGone(Control& c) {
  c.widget_ = nullptr;
  if (c.ownContent_) c.ownContent_->content_ = nullptr;
}

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

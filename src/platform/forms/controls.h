#pragma once

// Controls of the forms layer: the Windows-style controls the windows are
// written against, on Qt Widgets underneath.
//
// Rules every control follows:
// - Left, Top, Width and Height are twips relative to the container.
// - Enabled and Visible are the control's own flags: they read back what was
//   set even while a container is disabled or hidden, the form not yet shown
//   or minimised. A disabled container blocks its children without changing
//   their flags; IsEffectivelyEnabled/IsEffectivelyVisible tell the combined
//   state.
// - Events are raised synchronously, nested inside the call that caused
//   them, for program changes as for the user's actions (each control says
//   which). Every handler receives the control's index first: the element
//   index in a control array, 0 for a control outside an array.
// - The handlers of a control array are set on the array (txtArc.OnChange),
//   not on its elements; one handler serves every element.
// - Captions mark the access key with "&" ("&Save"); "&&" shows an "&".

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/canvas.h"
#include "platform/forms/errors.h"
#include "platform/forms/image.h"
#include "platform/forms/units.h"

class QWidget;
class QPushButton;

namespace korvalo::forms {

class Form;
class Container;
class Control;
template <class T>
class ControlArray;
namespace detail {
struct Access;
}

using IndexHandler = std::function<void(int index)>;
// keyAscii by reference: set 0 to swallow the key, another code to put that
// character in its place (176 puts "°").
using KeyPressHandler = std::function<void(int index, int& keyAscii)>;
// keyCode by reference (0 swallows it); shift is vbShiftMask/vbCtrlMask/vbAltMask.
using KeyHandler = std::function<void(int index, int& keyCode, int shift)>;
// button vbLeftButton/vbRightButton/vbMiddleButton; x, y in twips inside the control.
using MouseHandler = std::function<void(int index, int button, int shift, double x, double y)>;

// Events every control may raise.
struct ControlEvents {
  IndexHandler OnClick;
  IndexHandler OnDblClick;
  IndexHandler OnGotFocus;
  IndexHandler OnLostFocus;
  KeyPressHandler OnKeyPress;
  KeyHandler OnKeyDown;
  KeyHandler OnKeyUp;
  MouseHandler OnMouseDown;
  MouseHandler OnMouseUp;
  MouseHandler OnMouseMove;
};

// Text box and combo box: Change besides the common events.
struct ChangeEvents : ControlEvents {
  IndexHandler OnChange;
};

// Scroll bar: Change (arrows, page clicks, keys, thumb released, program
// changes of Value) and Scroll (while the thumb is dragged).
struct ScrollEvents : ControlEvents {
  IndexHandler OnChange;
  IndexHandler OnScroll;
};

struct Font {
  std::string name = "MS Sans Serif";
  double size = 8.25;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

// Alignment of labels, text boxes and check boxes.
inline constexpr int vbLeftJustify = 0;
inline constexpr int vbRightJustify = 1;
inline constexpr int vbCenter = 2;

// Something controls are placed in: a form, a frame or a picture box.
class Container {
 public:
  virtual ~Container();
  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;

  // The form the container is on (itself for a form).
  virtual Form& ContainerForm() = 0;
  // Size of the inner area the children are placed in, in twips.
  virtual int ScaleWidth() const = 0;
  virtual int ScaleHeight() const = 0;

  // For the layer's own use: the widget that holds the children (null while
  // a frame or picture box has no widget yet).
  QWidget* ContentWidget() const { return content_; }

 protected:
  Container() = default;
  QWidget* content_ = nullptr;

 private:
  friend class Control;
  friend struct detail::Access;
  // The controls placed here, back to front.
  std::vector<Control*> children_;
};

class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }
  // Element index in its control array; 0 for a control outside an array.
  int Index() const { return index_; }
  bool InArray() const { return inArray_; }

  Container& Parent() const { return *container_; }
  Form& ParentForm() const { return *form_; }
  // Moves the control into another container of the same form, keeping Left
  // and Top (now relative to the new container).
  void SetContainer(Container& container);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int twips);
  void SetTop(int twips);
  // A negative size raises RuntimeError 380 and changes nothing.
  void SetWidth(int twips);
  void SetHeight(int twips);
  void Move(int left, int top);
  void Move(int left, int top, int width, int height);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Own flag and those of every container up to the form (the form's
  // visibility included for IsEffectivelyVisible).
  bool IsEffectivelyEnabled() const;
  bool IsEffectivelyVisible() const;

  Colour BackColor() const { return backColor_; }
  void SetBackColor(Colour colour);
  Colour ForeColor() const { return foreColor_; }
  void SetForeColor(Colour colour);

  const Font& GetFont() const { return font_; }
  void SetFont(const Font& font);

  const std::string& ToolTipText() const { return toolTip_; }
  void SetToolTipText(const std::string& text);
  const std::string& Tag() const { return tag_; }
  void SetTag(const std::string& tag) { tag_ = tag; }

  // Position in the form's tab order (0 first). Setting it moves the control
  // there and shifts the others, as the design's tab order does.
  int TabIndex() const;
  void SetTabIndex(int position);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool stop);

  // Gives the control the focus: LostFocus of the control that had it, then
  // GotFocus of this one, before SetFocus returns. Raises RuntimeError 5 when
  // the control cannot take the focus (hidden or disabled, itself or a
  // container, or its form not visible). Nothing happens when it has it.
  void SetFocus();
  // Whether this is the focused control of its form.
  bool HasFocus() const;
  // Whether the control can take the focus now.
  bool CanFocus() const;

  // 0 brings the control in front of its siblings, 1 sends it behind them.
  void ZOrder(int position = 0);
  // Repaints at once.
  void Refresh();

  // For the layer's own use: the control's widget, null until it is
  // realised. Widgets are made when they are needed on screen (the control
  // and its containers visible in a shown form, inside its container's area)
  // or when something needs them (focus, the user's input, the selection);
  // until then the control lives on its own state.
  QWidget* Widget() const { return widget_; }

 protected:
  Control(Container& container, const std::string& name);
  // Makes the kind's widget in parent from the control's state; the common
  // properties (place, flags, colours, font, tip) are applied after.
  virtual QWidget* CreateWidget(QWidget* parent) = 0;
  // Whether the kind takes the focus (click, Tab, SetFocus).
  virtual bool TakesFocus() const { return true; }
  // Called after Width or Height changed.
  virtual void SizeChanged() {}
  // The widget, made now (with its containers') if it has none.
  QWidget* Realised() const;
  // Copies the common properties of another element of the same array (all
  // but Visible, Index and the tab position).
  void CopyCommon(const Control& from);
  void JoinArray(const ControlEvents* handlers, int index);
  // The handlers in force: the array's for an array element, else the
  // control's own.
  const ControlEvents& Handlers(const ControlEvents& own) const {
    return arrayHandlers_ ? *arrayHandlers_ : own;
  }
  const ControlEvents* ArrayHandlers() const { return arrayHandlers_; }
  virtual const ControlEvents& CommonHandlers() const = 0;
  // Sets the kind's design colours without applying them.
  void SetDefaultColours(Colour back, Colour fore) {
    backColor_ = back;
    foreColor_ = fore;
  }
  // Colour roles differ per kind (a text box's back colour is its base).
  virtual void ApplyColours();
  // Set by containers (frames, picture boxes): their content goes with the
  // widget.
  Container* ownContent_ = nullptr;
  // Whether colours were given (else the widget keeps Qt's palette).
  bool coloursSet_ = false;

 private:
  friend struct detail::Access;
  friend class Form;
  friend class Container;

  std::string name_;
  int index_ = 0;
  bool inArray_ = false;
  Container* container_;
  Form* form_;
  QWidget* widget_ = nullptr;
  const ControlEvents* arrayHandlers_ = nullptr;
  bool fontSet_ = false;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool enabled_ = true;
  bool visible_ = true;
  bool tabStop_ = true;
  Colour backColor_;
  Colour foreColor_ = vbButtonText;
  Font font_;
  std::string toolTip_;
  std::string tag_;
};

// ---------------------------------------------------------------------------

class Label : public Control, public ControlEvents {
 public:
  using Events = ControlEvents;
  Label(Container& container, const std::string& name, const std::string& caption = {});

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  int Alignment() const { return alignment_; }
  void SetAlignment(int alignment);
  // 0 transparent, 1 opaque (default).
  int BackStyle() const { return backStyle_; }
  void SetBackStyle(int style);
  // 0 none (default), 1 fixed single.
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wrap);
  // The height (twips) the whole caption takes at the label's width, its
  // border included: wrapped at words when WordWrap is on.
  int CaptionHeight();

 protected:
  const ControlEvents& CommonHandlers() const override { return Handlers(*this); }
  QWidget* CreateWidget(QWidget* parent) override;
  bool TakesFocus() const override { return false; }
  void ApplyColours() override;

 private:
  template <class T>
  friend class ControlArray;
  friend struct detail::Access;
  std::unique_ptr<Label> CloneElement(int index) const;
  std::string caption_;
  int alignment_ = vbLeftJustify;
  int backStyle_ = 1;
  int borderStyle_ = 0;
  bool autoSize_ = false;
  bool wordWrap_ = false;
};

// A single-line text box.
// Events: Change when the text changes (typed, pasted, cut, or set by the
// program to a different value; setting the same text raises nothing).
// KeyPress for every character typed, Backspace (8) and the clipboard keys
// Ctrl+C (3), Ctrl+V (22), Ctrl+X (24) included, whether they come from the
// keyboard or from the box's context menu: swallowing 22 stops the paste.
// Click on a mouse click, DblClick, GotFocus/LostFocus, Key/Mouse events.
class TextBox : public Control, public ChangeEvents {
 public:
  using Events = ChangeEvents;
  TextBox(Container& container, const std::string& name);

  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  // Selection, in characters (code points).
  int SelStart() const;
  void SetSelStart(int start);
  int SelLength() const;
  void SetSelLength(int length);
  std::string SelText() const;
  // Replaces the selection (raises Change when the text changes).
  void SetSelText(const std::string& text);
  int MaxLength() const { return maxLength_; }  // 0: no limit
  void SetMaxLength(int length);
  bool Locked() const { return locked_; }
  void SetLocked(bool locked);
  int Alignment() const { return alignment_; }
  void SetAlignment(int alignment);

 protected:
  const ControlEvents& CommonHandlers() const override { return Handlers(*this); }
  QWidget* CreateWidget(QWidget* parent) override;
  const ChangeEvents& Own() const {
    return ArrayHandlers() ? static_cast<const ChangeEvents&>(*ArrayHandlers()) : *this;
  }
  void ApplyColours() override;

 private:
  template <class T>
  friend class ControlArray;
  friend struct detail::Access;
  std::unique_ptr<TextBox> CloneElement(int index) const;
  std::string text_;
  int maxLength_ = 0;
  bool locked_ = false;
  int alignment_ = vbLeftJustify;
};

inline constexpr int vbButtonStandard = 0;
inline constexpr int vbButtonGraphical = 1;

// Click on a mouse click (press and release inside), Space, the access key,
// Enter for the Default button and Escape for the Cancel button.
class CommandButton : public Control, public ControlEvents {
 public:
  using Events = ControlEvents;
  CommandButton(Container& container, const std::string& name, const std::string& caption = {});

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // Graphical style shows the back colour; standard style draws the button
  // face. Default standard.
  int Style() const { return style_; }
  void SetStyle(int style);
  // Shown centred on the face of a graphical-style button (above the
  // caption when it has one); a standard-style button keeps it unseen. An
  // empty image removes it.
  const Image& Picture() const { return picture_; }
  void SetPicture(const Image& picture);
  bool Default() const { return default_; }
  void SetDefault(bool isDefault);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool isCancel);
  // Raises Click as the user's click does.
  void PerformClick();

 protected:
  const ControlEvents& CommonHandlers() const override { return Handlers(*this); }
  QWidget* CreateWidget(QWidget* parent) override;
  void ApplyColours() override;

 private:
  template <class T>
  friend class ControlArray;
  friend struct detail::Access;
  std::unique_ptr<CommandButton> CloneElement(int index) const;
  void ApplyPicture() const;
  void ApplyPicture(QPushButton* widget) const;
  std::string caption_;
  int style_ = vbButtonStandard;
  Image picture_;
  bool default_ = false;
  bool cancel_ = false;
};

inline constexpr int vbUnchecked = 0;
inline constexpr int vbChecked = 1;
inline constexpr int vbGrayed = 2;

// Value 0 unchecked, 1 checked, 2 greyed. Click whenever the value changes,
// by the user or by the program (to or from 2 included); setting the value
// it already has raises nothing. The user's click toggles between 0 and 1
// only (a greyed box becomes checked); the toggle and Click come before the
// click's MouseUp.
class CheckBox : public Control, public ControlEvents {
 public:
  using Events = ControlEvents;
  CheckBox(Container& container, const std::string& name, const std::string& caption = {});

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  int Value() const { return value_; }
  // A value other than 0, 1, 2 raises RuntimeError 380.
  void SetValue(int value);
  int Alignment() const { return alignment_; }
  void SetAlignment(int alignment);

 protected:
  const ControlEvents& CommonHandlers() const override { return Handlers(*this); }
  QWidget* CreateWidget(QWidget* parent) override;

 private:
  template <class T>
  friend class ControlArray;
  friend struct detail::Access;
  std::unique_ptr<CheckBox> CloneElement(int index) const;
  std::string caption_;
  int value_ = vbUnchecked;
  int alignment_ = vbLeftJustify;
};

// Option buttons form one group per container: selecting one deselects the
// others of its container. Selecting an unselected one raises its Click (by
// the user or by SetValue(true)); an already selected one raises nothing.
// The deselected buttons raise nothing.
class OptionButton : public Control, public ControlEvents {
 public:
  using Events = ControlEvents;
  OptionButton(Container& container, const std::string& name, const std::string& caption = {});

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Value() const { return value_; }
  void SetValue(bool selected);

 protected:
  const ControlEvents& CommonHandlers() const override { return Handlers(*this); }
  QWidget* CreateWidget(QWidget* parent) override;
  void ApplyColours() override;

 private:
  template <class T>
  friend class ControlArray;
  friend struct detail::Access;
  std::unique_ptr<OptionButton> CloneElement(int index) const;
  std::string caption_;
  bool value_ = false;
};

inline constexpr int vbComboDropdown = 0;      // editable text and a list
inline constexpr int vbComboDropdownList = 2;  // list only

// A combo box with item data.
// Click: the user picks an item from the list, or the program sets
// ListIndex to a different item (not -1). Setting Text raises Change (when
// different), never Click; typing in an editable combo raises Change.
class ComboBox : public Control, public ChangeEvents {
 public:
  using Events = ChangeEvents;
  ComboBox(Container& container, const std::string& name, int style = vbComboDropdown);

  struct Item {
    std::string text;
    long data = 0;
  };

  int Style() const { return style_; }
  // Adds an item at the end, or before position index.
  void AddItem(const std::string& item, int index = -1);
  // Adds items with their ItemData at the end, as AddItem and SetItemData one
  // by one would, in one change of the widget's list. NewIndex is the last
  // one's (unchanged when there are none).
  void AddItems(std::vector<Item> items);
  // Index outside the list raises RuntimeError 5.
  void RemoveItem(int index);
  void Clear();
  int ListCount() const { return static_cast<int>(items_.size()); }
  const std::string& List(int index) const;
  void SetList(int index, const std::string& item);
  long ItemData(int index) const;
  void SetItemData(int index, long data);
  // The index of the item added last.
  int NewIndex() const { return newIndex_; }
  // -1: no item selected.
  int ListIndex() const { return listIndex_; }
  // -1 clears the selection; an index outside the list raises RuntimeError 380.
  void SetListIndex(int index);
  // The edit text (the selected item's text for a list-only combo).
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);

 protected:
  const ControlEvents& CommonHandlers() const override { return Handlers(*this); }
  QWidget* CreateWidget(QWidget* parent) override;
  const ChangeEvents& Own() const {
    return ArrayHandlers() ? static_cast<const ChangeEvents&>(*ArrayHandlers()) : *this;
  }
  void ApplyColours() override;

 private:
  template <class T>
  friend class ControlArray;
  friend struct detail::Access;
  std::unique_ptr<ComboBox> CloneElement(int index) const;
  void CheckIndex(int index, int error) const;
  int style_;
  std::vector<Item> items_;
  int listIndex_ = -1;
  int newIndex_ = -1;
  std::string text_;
};

// A vertical scroll bar. Change on arrow and page clicks, keys, the thumb's
// release and program changes of Value (only when Value changes); Scroll
// while the thumb is dragged. A click on the bar gives it the focus.
// Setting Min or Max pulls Value inside the range (raising Change).
class VScrollBar : public Control, public ScrollEvents {
 public:
  using Events = ScrollEvents;
  VScrollBar(Container& container, const std::string& name);

  int Min() const { return min_; }
  void SetMin(int value);
  int Max() const { return max_; }
  void SetMax(int value);
  int Value() const { return value_; }
  // Outside Min..Max raises RuntimeError 380.
  void SetValue(int value);
  int SmallChange() const { return smallChange_; }
  void SetSmallChange(int value);
  int LargeChange() const { return largeChange_; }
  void SetLargeChange(int value);

 protected:
  const ControlEvents& CommonHandlers() const override { return Handlers(*this); }
  QWidget* CreateWidget(QWidget* parent) override;
  const ScrollEvents& Own() const {
    return ArrayHandlers() ? static_cast<const ScrollEvents&>(*ArrayHandlers()) : *this;
  }

 private:
  template <class T>
  friend class ControlArray;
  friend struct detail::Access;
  std::unique_ptr<VScrollBar> CloneElement(int index) const;
  int min_ = 0;
  int max_ = 32767;
  int value_ = 0;
  int smallChange_ = 1;
  int largeChange_ = 1;
};

// A frame: a container with a border and an optional caption.
class Frame : public Control, public Container, public ControlEvents {
 public:
  using Events = ControlEvents;
  Frame(Container& container, const std::string& name, const std::string& caption = {});
  ~Frame() override;

  Form& ContainerForm() override { return ParentForm(); }
  int ScaleWidth() const override { return Width(); }
  int ScaleHeight() const override { return Height(); }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // 0 none, 1 fixed single (default).
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);

 protected:
  const ControlEvents& CommonHandlers() const override { return Handlers(*this); }
  QWidget* CreateWidget(QWidget* parent) override;
  bool TakesFocus() const override { return false; }

 private:
  template <class T>
  friend class ControlArray;
  friend struct detail::Access;
  std::unique_ptr<Frame> CloneElement(int index) const;
  std::string caption_;
  int borderStyle_ = 1;
};

// A picture box: a container with a drawing surface that keeps what was
// drawn (redrawn from memory when the window repaints). Drawing is in twips
// from the top-left corner of the inner area, y downward.
class PictureBox : public Control, public Container, public ControlEvents {
 public:
  using Events = ControlEvents;
  PictureBox(Container& container, const std::string& name);
  ~PictureBox() override;

  Form& ContainerForm() override { return ParentForm(); }
  // Inner size: the outer size less the border (2 pixels each side).
  int ScaleWidth() const override;
  int ScaleHeight() const override;

  // 0 none, 1 fixed single (default).
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);
  int DrawWidth() const { return drawWidth_; }  // pixels
  void SetDrawWidth(int pixels);

  // Clear fills with BackColor.
  Canvas& Drawing();

  // The kept image (the persistent drawing): the inner area's pixels as
  // 0xAARRGGBB, row after row, at the box's present size, also while its
  // window is off the screen or hidden. Empty while the box has no size.
  using Image = forms::Image;
  Image KeptImage() const;

  // Every drawing call is also passed to the tap (null to stop): tests record
  // what is drawn. Not owned.
  void SetCanvasTap(Canvas* tap);

 protected:
  const ControlEvents& CommonHandlers() const override { return Handlers(*this); }
  QWidget* CreateWidget(QWidget* parent) override;
  void ApplyColours() override;

 private:
  template <class T>
  friend class ControlArray;
  friend struct detail::Access;
  class Surface;
  std::unique_ptr<PictureBox> CloneElement(int index) const;
  int borderStyle_ = 1;
  int drawWidth_ = 1;
  std::unique_ptr<Surface> surface_;
};

// ---------------------------------------------------------------------------

namespace detail {
// What a form knows of its control arrays: unloading the form unloads the
// elements loaded while it was loaded.
class ArrayBase {
 public:
  virtual void UnloadRunTimeElements() = 0;

 protected:
  ~ArrayBase() = default;
};
void AttachArray(Form& form, ArrayBase* array);
void DetachArray(Form& form, ArrayBase* array);
bool FormLoaded(const Form& form);
}  // namespace detail

// A control array: element 0 from the window's design, further elements
// loaded at run time. Load(k) copies the properties of element 0 (the lowest
// loaded element) except Visible, Index and the tab position: the new
// element starts invisible in element 0's container. T is a control kind or
// Menu.
//
// Elements loaded before the form is loaded (in the window's constructor)
// belong to the design; elements loaded from the form's Load on are unloaded
// again when the form is unloaded, so that the next Load can load them anew.
template <class T>
class ControlArray : public T::Events, private detail::ArrayBase {
 public:
  // Creates element 0 with the arguments of T's constructor.
  template <class... Args>
  explicit ControlArray(Args&&... args) {
    elements_.push_back(std::make_unique<T>(std::forward<Args>(args)...));
    runTime_.push_back(false);
    elements_[0]->JoinArray(this, 0);
    form_ = &elements_[0]->ParentForm();
    detail::AttachArray(*form_, this);
  }
  ControlArray(const ControlArray&) = delete;
  ControlArray& operator=(const ControlArray&) = delete;
  ~ControlArray() {
    detail::DetachArray(*form_, this);
    // Later elements go first: they may sit inside element 0's container.
    while (!elements_.empty()) elements_.pop_back();
  }

  // The element; RuntimeError 340 when it is not loaded.
  T& operator()(int k) const {
    if (!Exists(k)) throw RuntimeError(kErrElementMissing, "Control array element does not exist");
    return *elements_[static_cast<std::size_t>(k)];
  }
  T& operator[](int k) const { return (*this)(k); }

  bool Exists(int k) const {
    return k >= 0 && static_cast<std::size_t>(k) < elements_.size() &&
           elements_[static_cast<std::size_t>(k)] != nullptr;
  }

  // Loads element k; RuntimeError 360 when it is loaded already.
  T& Load(int k) {
    if (k < 0) throw RuntimeError(kErrSubscriptOutOfRange, "Subscript out of range");
    if (Exists(k)) throw RuntimeError(kErrAlreadyLoaded, "Object already loaded");
    const T& from = *elements_[static_cast<std::size_t>(LBound())];
    std::unique_ptr<T> element = from.CloneElement(k);
    element->JoinArray(this, k);
    if (static_cast<std::size_t>(k) >= elements_.size()) {
      elements_.resize(static_cast<std::size_t>(k) + 1);
      runTime_.resize(static_cast<std::size_t>(k) + 1, false);
    }
    elements_[static_cast<std::size_t>(k)] = std::move(element);
    runTime_[static_cast<std::size_t>(k)] = detail::FormLoaded(*form_);
    return *elements_[static_cast<std::size_t>(k)];
  }

  // Unloads element k; element 0 cannot be unloaded (RuntimeError 362).
  void Unload(int k) {
    if (!Exists(k)) throw RuntimeError(kErrElementMissing, "Control array element does not exist");
    if (k == 0) throw RuntimeError(kErrCannotUnload, "Can't unload controls created at design time");
    elements_[static_cast<std::size_t>(k)].reset();
    while (!elements_.empty() && !elements_.back()) {
      elements_.pop_back();
      runTime_.pop_back();
    }
  }

  int Count() const {
    int n = 0;
    for (const auto& e : elements_) n += e ? 1 : 0;
    return n;
  }
  int LBound() const {
    for (std::size_t i = 0; i < elements_.size(); ++i)
      if (elements_[i]) return static_cast<int>(i);
    return 0;
  }
  int UBound() const { return static_cast<int>(elements_.size()) - 1; }

 private:
  void UnloadRunTimeElements() override {
    for (int k = UBound(); k > 0; --k) {
      if (Exists(k) && runTime_[static_cast<std::size_t>(k)]) Unload(k);
    }
  }
  std::vector<std::unique_ptr<T>> elements_;
  std::vector<bool> runTime_;
  Form* form_ = nullptr;
};

}  // namespace korvalo::forms

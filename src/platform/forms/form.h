#pragma once

// Forms (top-level windows), their menus and timers.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/controls.h"

class QAction;

namespace korvalo::forms {

class Menu;
class Timer;

inline constexpr int vbNormal = 0;
inline constexpr int vbMinimized = 1;
inline constexpr int vbMaximized = 2;

inline constexpr int vbModeless = 0;
inline constexpr int vbModal = 1;

// Border styles of a form.
inline constexpr int vbBSNone = 0;
inline constexpr int vbFixedSingle = 1;
inline constexpr int vbSizable = 2;
inline constexpr int vbFixedDialog = 3;

// Why a form is being unloaded (QueryUnload).
inline constexpr int vbFormControlMenu = 0;  // the user closed the window
inline constexpr int vbFormCode = 1;         // Unload called by the program
inline constexpr int vbAppWindows = 2;       // the session ends

// A top-level window.
//
// Sizes: Width and Height are the outer size (frame and title bar included)
// in twips; ScaleWidth and ScaleHeight the inner area below the menu bar
// where the controls sit. The frame is taken as 4 pixels on each side and
// a 23-pixel title bar on every platform, so the arithmetic of the windows
// does not depend on the window manager.
//
// Events:
// - Load: once, from Load() (or the first Show()); its errors travel to the
//   caller of Load/Show.
// - Resize: when the form is first shown and on every size change, whether
//   the program or the user made it; also on minimise and restore.
// - Activate: when the form becomes the program's active form coming from
//   another form of the program, and when it is first shown; not when a
//   message box, a dialog, a menu or another application gives the
//   activation back. Deactivate on the form that loses it to another form.
// - QueryUnload / Unload: before unloading; setting cancel stops it.
class Form : public Container {
 public:
  explicit Form(const std::string& name);
  ~Form() override;

  Form& ContainerForm() override { return *this; }
  int ScaleWidth() const override;
  int ScaleHeight() const override;

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  // Left and Top are the outer corner on the screen. A form the program has
  // placed (Left, Top or Move with a position) asks the window manager for
  // that place and keeps it; a form never placed goes where the manager
  // puts it, and Left and Top read back that place.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Moving or sizing a minimised or maximised form raises RuntimeError 384;
  // a negative size raises 380. Size changes raise Resize.
  void SetLeft(int twips);
  void SetTop(int twips);
  void SetWidth(int twips);
  void SetHeight(int twips);
  void Move(int left, int top);
  void Move(int left, int top, int width, int height);

  // Maximised, Width and Height are the screen's; back to normal (by the
  // program or the user), the form gets back the place and size it had
  // before it was maximised or minimised.
  int WindowState() const { return windowState_; }
  void SetWindowState(int state);

  // Set before the form is first shown.
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);

  Colour BackColor() const { return backColor_; }
  void SetBackColor(Colour colour);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Shown and not hidden since (a minimised form is visible).
  bool Visible() const { return visible_; }
  bool Loaded() const { return loaded_; }

  // Runs Load once (until the next Unload); nothing when loaded.
  void Load();
  // Loads when needed, shows the form and activates it. vbModal waits until
  // the form is hidden or unloaded (through the prompt hook: tests script
  // what happens in a modal form).
  void Show(int modal = vbModeless);
  void Hide();
  // QueryUnload and Unload, then hides and unloads the array elements loaded
  // since Load. Returns false when a handler cancelled. The design controls
  // keep their state.
  bool Unload();

  // Top-most on or off without moving, sizing or activating the window.
  bool TopMost() const { return topMost_; }
  void SetTopMost(bool on);

  // The control that has the focus (or last had it while the form was not
  // active), null when none.
  Control* ActiveControl() const { return focused_; }

  // Opens the items of the menu as a pop-up menu at the mouse; the chosen
  // item's Click runs before PopupMenu returns.
  void PopupMenu(Menu& menu);

  std::function<void()> OnLoad;
  std::function<void()> OnActivate;
  std::function<void()> OnDeactivate;
  std::function<void()> OnResize;
  std::function<void(int& cancel, int unloadMode)> OnQueryUnload;
  std::function<void(int& cancel)> OnUnload;
  // The pointer moved over the form's own area (not over a control), with
  // or without a button held: buttons held, shift state, x and y in twips
  // inside the form's inner area.
  std::function<void(int button, int shift, double x, double y)> OnMouseMove;

  // For the layer's own use.
  QWidget* Window() const { return window_; }

 private:
  friend struct detail::Access;
  friend class Control;
  friend class Menu;
  friend void detail::AttachArray(Form&, detail::ArrayBase*);
  friend void detail::DetachArray(Form&, detail::ArrayBase*);

  std::string name_;
  std::string caption_;
  void Place(int left, int top, int width, int height, bool positioned);
  // Leaves the normal state: keeps the normal place and size.
  void KeepNormalGeometry();
  void RestoreNormalGeometry();

  int left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;
  bool positioned_ = false;  // the program has placed the form
  // The program changed the place or size since the window was last asked
  // for it. Only then is the window asked: a window manager's own moves
  // and sizes (restoring from maximised, a refused size) are not fought.
  bool sizeAsked_ = false;
  bool placeAsked_ = false;
  struct {
    int left = 0, top = 0, width = 0, height = 0;
    bool kept = false;
  } normal_;
  int windowState_ = vbNormal;
  int borderStyle_ = vbSizable;
  Colour backColor_ = vbButtonFace;
  bool enabled_ = true;
  bool visible_ = false;
  bool loaded_ = false;
  bool shownOnce_ = false;
  bool topMost_ = false;
  QWidget* window_ = nullptr;
  void* menuBar_ = nullptr;
  bool realisePending_ = false;  // widgets may be wanted: a pass is queued
  Control* focused_ = nullptr;
  Control* eventFocus_ = nullptr;  // the control whose GotFocus ran last
  // While the program disables or hides a control: Qt's own move of the
  // focus away from it is held (the focus goes to no control).
  bool focusMoveHeld_ = false;
  std::vector<Control*> tabOrder_;
  std::vector<Menu*> topMenus_;
  std::vector<detail::ArrayBase*> arrays_;
};

// Every form that is loaded, in the order the forms were created.
std::vector<Form*> LoadedForms();
// Every control on the form: each container's controls, and after a
// container that is itself a control, the controls inside it.
std::vector<Control*> FormControls(const Form& form);

struct MenuEvents {
  // A menu item: chosen. A menu with items: about to open.
  IndexHandler OnClick;
};

// A menu of a form's menu bar, an item of a menu, or a sub-menu (an item
// that has items). The caption "-" makes a separator. A top-level menu made
// invisible serves as a pop-up menu (Form::PopupMenu).
class Menu : public MenuEvents {
 public:
  using Events = MenuEvents;
  Menu(Form& form, const std::string& name, const std::string& caption);
  Menu(Menu& parent, const std::string& name, const std::string& caption);
  ~Menu();
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  const std::string& Name() const { return name_; }
  int Index() const { return index_; }
  Form& ParentForm() const { return *form_; }
  Menu* ParentMenu() const { return parent_; }
  // The items in menu order.
  const std::vector<Menu*>& Items() const { return items_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool IsSeparator() const { return caption_ == "-"; }

  // Raises Click (as choosing the item does).
  void PerformClick();

  // For the layer's own use.
  QAction* Action() const { return action_; }

 private:
  template <class T>
  friend class ControlArray;
  friend struct detail::Access;
  friend class Form;
  Menu(Menu* parent, Form& form, const std::string& name, const std::string& caption, Menu* after);
  std::unique_ptr<Menu> CloneElement(int index) const;
  void JoinArray(const MenuEvents* handlers, int index);
  const MenuEvents& Handlers() const { return arrayHandlers_ ? *arrayHandlers_ : *this; }
  void* SubMenu();  // the menu widget holding the items, made on first use

  std::string name_;
  int index_ = 0;
  Form* form_;
  Menu* parent_;
  std::vector<Menu*> items_;
  const MenuEvents* arrayHandlers_ = nullptr;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  bool checked_ = false;
  QAction* action_ = nullptr;
  void* subMenu_ = nullptr;
};

// A timer: Timer events every Interval milliseconds while Enabled and the
// interval is above 0.
class Timer {
 public:
  Timer(Form& form, const std::string& name);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  const std::string& Name() const { return name_; }
  int Interval() const { return interval_; }
  void SetInterval(int milliseconds);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  IndexHandler OnTimer;

  // Raises Timer now (tests).
  void Fire();

 private:
  void Update();
  std::string name_;
  Form* form_;
  int interval_ = 0;
  bool enabled_ = true;
  void* timer_ = nullptr;
};

}  // namespace korvalo::forms

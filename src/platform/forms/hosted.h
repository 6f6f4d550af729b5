#pragma once

// A control whose widget another platform layer supplies (the drawing
// viewer). It follows the rules of every control: Left, Top, Width and
// Height in twips, its own Enabled and Visible flags, a widget made only
// when the control comes into view or something needs it. The kind keeps
// its whole state itself, so every call works before the widget exists.

#include <functional>
#include <memory>
#include <string>

#include "platform/forms/controls.h"

namespace korvalo::forms {
namespace detail {
class NestedLoop;
}

class HostedControl : public Control {
 public:
  ~HostedControl() override;

  // The kind's widgets call into the control inside this guard, as the
  // layer's own widgets do: errors of the handlers they raise are reported
  // there.
  class QtEntry {
   public:
    QtEntry();
    ~QtEntry();
    QtEntry(const QtEntry&) = delete;
    QtEntry& operator=(const QtEntry&) = delete;

   private:
    std::unique_ptr<detail::NestedLoop> loop_;
  };

 protected:
  HostedControl(Container& container, const std::string& name);

  // Makes the kind's widget in parent. The widget belongs to the layer from
  // then on: it is deleted with the control or its container.
  virtual QWidget* MakeWidget(QWidget* parent) = 0;
  // Called after Width or Height changed, widget or not.
  virtual void Resized() {}

  // Runs an event handler by the layer's rules: an exception escaping an
  // outermost handler is reported, a nested one travels to its cause.
  static void RaiseEvent(const std::function<void()>& body);

 private:
  QWidget* CreateWidget(QWidget* parent) final;
  const ControlEvents& CommonHandlers() const final { return none_; }
  void SizeChanged() final { Resized(); }
  ControlEvents none_;
};

}  // namespace korvalo::forms

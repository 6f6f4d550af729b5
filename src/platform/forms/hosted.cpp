#include "platform/forms/hosted.h"

#include <QObject>
#include <QWidget>

#include "platform/forms/internal.h"

namespace korvalo::forms {

HostedControl::HostedControl(Container& container, const std::string& name) : Control(container, name) {}

HostedControl::~HostedControl() = default;

QWidget* HostedControl::CreateWidget(QWidget* parent) {
  QWidget* w = MakeWidget(parent);
  // The widget may go with its container before the control: the control
  // then lives on its state until it is wanted again.
  QObject::connect(w, &QObject::destroyed, w, [this, w] {
    if (Widget() == w) detail::Access::WidgetGone(*this);
  });
  return w;
}

void HostedControl::RaiseEvent(const std::function<void()>& body) { detail::RunHandler(body); }

HostedControl::QtEntry::QtEntry() : loop_(std::make_unique<detail::NestedLoop>()) {}
HostedControl::QtEntry::~QtEntry() = default;

}  // namespace korvalo::forms

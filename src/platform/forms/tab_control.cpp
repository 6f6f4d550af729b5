#include "platform/forms/tab_control.h"

#include <QEvent>
#include <QFrame>
#include <QSignalBlocker>
#include <QTabBar>

#include "platform/forms/internal.h"

namespace korvalo::forms {

// Keeps the tab row above the pages, which are made after it.
class TabControl::Keeper : public QObject {
 public:
  explicit Keeper(QWidget* bar) : bar_(bar) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::ChildAdded || e->type() == QEvent::ChildPolished) bar_->raise();
    return QObject::eventFilter(watched, e);
  }

 private:
  QWidget* bar_;
};

TabControl::TabControl(Container& container, const std::string& name, const std::vector<std::string>& captions)
    : Frame(container, name), captions_(captions) {
  SetBorderStyle(0);
  if (captions_.empty()) captions_.push_back({});
  for (std::size_t t = 0; t < captions_.size(); ++t) {
    auto page = std::make_unique<Frame>(*this, name + "Page" + std::to_string(t));
    page->SetBorderStyle(0);
    page->SetVisible(t == 0);
    pages_.push_back(std::move(page));
  }
}

TabControl::~TabControl() {
  if (bar_) QObject::disconnect(bar_, &QObject::destroyed, nullptr, nullptr);
  // The pages' widgets are children of this control's widget: they go first.
  while (!pages_.empty()) pages_.pop_back();
}

const std::string& TabControl::TabCaption(int tab) const {
  if (tab < 0 || tab >= Tabs()) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  return captions_[static_cast<std::size_t>(tab)];
}

Frame& TabControl::Page(int tab) const {
  if (tab < 0 || tab >= Tabs()) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  return *pages_[static_cast<std::size_t>(tab)];
}

void TabControl::SetTab(int tab) {
  if (tab < 0 || tab >= Tabs()) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  if (tab == tab_) return;
  tab_ = tab;
  for (int t = 0; t < Tabs(); ++t) pages_[static_cast<std::size_t>(t)]->SetVisible(t == tab_);
  if (auto* bar = static_cast<QTabBar*>(bar_)) {
    const QSignalBlocker quiet(bar);
    bar->setCurrentIndex(tab_);
    bar->raise();
  }
  detail::Raise(Handlers(*this).OnClick, Index());
}

QWidget* TabControl::CreateWidget(QWidget* parent) {
  QWidget* w = Frame::CreateWidget(parent);
  auto* bar = new QTabBar(w);
  for (const std::string& caption : captions_) bar->addTab(detail::Q(caption));
  bar->setCurrentIndex(tab_);
  bar->setExpanding(false);
  bar->setGeometry(0, 0, detail::Px(Width()), detail::Px(kTabHeight));
  bar_ = bar;
  keeper_ = new Keeper(bar);
  keeper_->setParent(bar);
  w->installEventFilter(keeper_);
  QObject::connect(bar, &QTabBar::currentChanged, bar, [this](int index) {
    detail::QtBoundary boundary;
    if (index >= 0 && index != tab_) detail::RunHandler([&] { SetTab(index); });
  });
  QObject::connect(bar, &QObject::destroyed, [this] {
    bar_ = nullptr;
    keeper_ = nullptr;
  });
  bar->raise();
  return w;
}

void TabControl::SizeChanged() {
  for (auto& page : pages_) page->Move(0, 0, Width(), Height());
  if (bar_) bar_->setGeometry(0, 0, detail::Px(Width()), detail::Px(kTabHeight));
}

}  // namespace korvalo::forms

#pragma once

// A tab control: a row of tabs along its top edge and one page per tab. The
// controls of a tab are placed on its page (Page(t) is their container);
// positions on a page are twips from the tab control's own top-left corner,
// so the tab row covers the first TabHeight twips of every page. Only the
// page of the current tab is shown; the controls keep their own Visible
// flags while their page is hidden.
//
// Click is raised whenever the current tab changes, by the user or by
// SetTab, after the pages have been switched.

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/controls.h"

namespace korvalo::forms {

class TabControl : public Frame {
 public:
  TabControl(Container& container, const std::string& name, const std::vector<std::string>& captions);
  ~TabControl() override;

  int Tabs() const { return static_cast<int>(captions_.size()); }
  const std::string& TabCaption(int tab) const;
  // The current tab, from 0.
  int Tab() const { return tab_; }
  // Makes another tab current; RuntimeError 380 outside 0 … Tabs() - 1.
  void SetTab(int tab);
  // The container of the controls of a tab.
  Frame& Page(int tab) const;
  // The height of the tab row in twips.
  static constexpr int kTabHeight = 300;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void SizeChanged() override;

 private:
  std::vector<std::string> captions_;
  std::vector<std::unique_ptr<Frame>> pages_;
  int tab_ = 0;
  QWidget* bar_ = nullptr;
  class Keeper;
  Keeper* keeper_ = nullptr;
};

}  // namespace korvalo::forms

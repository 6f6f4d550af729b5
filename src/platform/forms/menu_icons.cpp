#include "platform/forms/menu_icons.h"

#include <QAction>
#include <QIcon>
#include <QPixmap>
#include <QVariant>

#include "platform/forms/form.h"
#include "platform/forms/internal.h"

namespace korvalo::forms {

namespace {

// The index an item shows is kept on its action, so it goes with the item.
constexpr const char* kIconProperty = "korvaloIconIndex";

Menu* FindIn(const std::vector<Menu*>& items, const std::string& caption) {
  for (Menu* item : items) {
    if (item->Caption() == caption) return item;
    if (Menu* inner = FindIn(item->Items(), caption)) return inner;
  }
  return nullptr;
}

}  // namespace

Image SquareIcon(Colour rgb, bool hollow) {
  Image image{16, 16, {}};
  const std::uint32_t r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  const std::uint32_t colour = 0xFF000000u | (r << 16) | (g << 8) | b;
  image.pixels.resize(16 * 16, 0);
  for (int y = 2; y < 14; ++y) {
    for (int x = 2; x < 14; ++x) {
      const bool border = x == 2 || x == 13 || y == 2 || y == 13;
      if (!hollow || border) image.pixels[static_cast<std::size_t>(y * 16 + x)] = colour;
    }
  }
  return image;
}

Menu* MenuIconHelper::Find(const std::string& caption) const {
  if (!form_) return nullptr;
  std::vector<Menu*> top;
  for (Menu* m : detail::Access::TopMenus(*form_)) top.push_back(m);
  return FindIn(top, caption);
}

int MenuIconHelper::GetIconIndex(const std::string& caption) const {
  Menu* item = Find(caption);
  return item ? MenuItemIconIndex(*item) : -1;
}

bool MenuIconHelper::SetIconIndex(const std::string& caption, int index) {
  Menu* item = Find(caption);
  if (!item) return false;
  const bool valid = index >= 0 && static_cast<std::size_t>(index) < images_.images.size();
  if (QAction* action = item->Action()) {
    action->setProperty(kIconProperty, valid ? index : -1);
    if (valid) {
      const QImage q = detail::ToQImage(images_.images[static_cast<std::size_t>(index)]);
      action->setIcon(QIcon(QPixmap::fromImage(q)));
      action->setIconVisibleInMenu(true);
    } else {
      action->setIcon(QIcon());
    }
  }
  return true;
}

int MenuItemIconIndex(const Menu& item) {
  const QAction* action = item.Action();
  if (!action) return -1;
  const QVariant v = action->property(kIconProperty);
  return v.isValid() ? v.toInt() : -1;
}

namespace detail {
std::vector<Menu*> Access::TopMenus(const Form& f) { return f.topMenus_; }
}  // namespace detail

}  // namespace korvalo::forms

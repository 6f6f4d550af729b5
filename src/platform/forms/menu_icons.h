#pragma once

// Icons beside menu items, from an image list, found by the item's caption.
// A helper is attached to one form and looks through every menu of it
// (pop-up menus included); the first item whose caption equals the caption
// given is the one meant.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms/image.h"
#include "platform/forms/units.h"

namespace korvalo::forms {

class Form;
class Menu;

// A list of images of one size, by index from 0.
struct ImageList {
  std::vector<Image> images;
};

// A 16 × 16 square of one colour; `hollow` keeps only its border.
Image SquareIcon(Colour rgb, bool hollow);

class MenuIconHelper {
 public:
  // Attaches to the form's menus.
  void Attach(Form& form) { form_ = &form; }
  void SetImageList(const ImageList& images) { images_ = images; }
  // The icon index of the item with this caption; -1 when it has none or no
  // item has the caption.
  int GetIconIndex(const std::string& caption) const;
  // Shows image `index` beside the item with this caption; false when no
  // item has it. An index outside the list removes the icon.
  bool SetIconIndex(const std::string& caption, int index);

 private:
  Menu* Find(const std::string& caption) const;
  Form* form_ = nullptr;
  ImageList images_;
};

// The icon index a menu item shows (-1 none); for tests.
int MenuItemIconIndex(const Menu& item);

}  // namespace korvalo::forms

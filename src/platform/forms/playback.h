#pragma once

#include <string>
#include <vector>

// Input played into the program's own windows as the user's mouse gives
// it: the same events, in the same order, through the same controls. A
// program's test hook plays its script with it, and the tests' user actions
// (testing.h) are made of it.

namespace korvalo::forms {

class ComboBox;
class Control;
class Form;
class Menu;

// A press and release with the button (vbLeftButton, vbRightButton,
// vbMiddleButton) at x, y twips inside the control (its middle when
// negative).
void PlayMouseClick(Control& control, int button, double x = -1, double y = -1);
// Picks entry `index` from the combo box's list, as the user's pointer
// does (the box takes the focus, then Click).
void PlaySelect(ComboBox& combo, int index);
// Types the text (UTF-8), one key a character, into whatever widget of the
// program has the keyboard focus; nothing reaches a control when none has.
void PlayTyping(const std::string& text);
// Opens the menus above the item as the user's pointer does and chooses
// it (a menu with items is only opened). False, and nothing done, when the
// item or a menu above it is hidden or disabled.
bool PlayMenuChoice(Menu& item);
// The menus of the form's menu bar, in order, hidden ones included.
std::vector<Menu*> MenuBarMenus(const Form& form);

}  // namespace korvalo::forms

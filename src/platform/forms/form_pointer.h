#pragma once

// A form's own mouse pointer, shown while the mouse is over the form and its
// controls: the default, or the custom pointer (99) drawn from the form's
// mouse icon. Pointers of the whole program (Screen.MousePointer) are in
// application.h.

namespace korvalo::forms {

class Form;

inline constexpr int vbCustom = 99;

// The pictures a mouse icon can be.
enum class MouseIcon { None, Hand };

int FormMousePointer(const Form& form);
void SetFormMousePointer(Form& form, int pointer);
MouseIcon FormMouseIcon(const Form& form);
void SetFormMouseIcon(Form& form, MouseIcon icon);

}  // namespace korvalo::forms

#pragma once

// Frames with child windows: a frame form whose inner area is a workspace in
// the application-workspace colour, and child forms that live inside it.
// A child's Left and Top are inside the frame's inner area; maximised, it
// fills that area (Width and Height are then the frame's ScaleWidth and
// ScaleHeight) and follows the frame's size.

namespace korvalo::forms {

class Form;

// Makes the form a frame for child forms. Call before its first Show.
void MakeMdiFrame(Form& frame);
// Puts the child form into the frame (made by MakeMdiFrame). Call before
// the child's first Show; a form goes into one frame once.
void SetMdiParent(Form& child, Form& frame);
// The frame of a child form; null for any other form.
Form* MdiParent(const Form& child);

}  // namespace korvalo::forms

#pragma once

#include "platform/forms/forms.h"

namespace korvalo::editor {

// Moves the form to the middle of the screen: Left := (screen width - form
// width) / 2, Top := (screen height - form height) / 2, in twips. A
// minimised or maximised form stays where it is.
void CenterForm(forms::Form& form);

}  // namespace korvalo::editor

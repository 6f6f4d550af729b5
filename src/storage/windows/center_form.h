#pragma once

#include "platform/forms/forms.h"

namespace korvalo::windows {

// Centres the window on the screen: Left = (screen width - width) / 2 and
// Top = (screen height - height) / 2, in twips. A window wider or taller
// than the screen gets a negative Left or Top. A minimised or maximised
// form stays where it is.
void CenterForm(forms::Form& form);

}  // namespace korvalo::windows

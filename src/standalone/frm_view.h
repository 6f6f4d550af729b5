#pragma once

#include "platform/forms/forms.h"

// The drawing window: the frame's only child window, maximised inside it
// unless an arrangement of the Windows menu places it. The drawing viewers
// come later; for now it is empty, and its close box does nothing (the
// program's end unloads it).
namespace korvalo::standalone {

class FrmView : public forms::Form {
 public:
  FrmView();
};

}  // namespace korvalo::standalone

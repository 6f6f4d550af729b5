#include "storage/windows/center_form.h"

namespace korvalo::windows {

void CenterForm(forms::Form& form) {
  // A minimised or maximised form keeps its place (moving it is refused).
  if (form.WindowState() != forms::vbNormal) return;
  form.Move((forms::ScreenWidth() - form.Width()) / 2, (forms::ScreenHeight() - form.Height()) / 2);
}

}  // namespace korvalo::windows

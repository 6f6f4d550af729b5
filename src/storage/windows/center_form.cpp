#include "storage/windows/center_form.h"

namespace korvalo::windows {

void CenterForm(forms::Form& form) {
  form.Move((forms::ScreenWidth() - form.Width()) / 2, (forms::ScreenHeight() - form.Height()) / 2);
}

}  // namespace korvalo::windows

#include "standalone/frm_view.h"

namespace korvalo::standalone {

using namespace forms;

FrmView::FrmView() : Form("frmView") {
  SetCaption("Korvalo");
  SetBackColor(vbWindowBackground);
  Move(0, 0, 9000, 6000);
  // Only the program closes it.
  OnQueryUnload = [](int& cancel, int unloadMode) {
    if (unloadMode == vbFormControlMenu) cancel = 1;
  };
}

}  // namespace korvalo::standalone

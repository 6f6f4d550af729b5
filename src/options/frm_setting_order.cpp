#include "options/frm_setting.h"

// The project options dialog: the order cells of the arc inputs. Cell i
// stands for entry position i + 1; the first cell is fixed (the chord
// direction stays first), so the buttons order positions 2 to 4 only.
namespace korvalo::options {

using namespace forms;

std::array<std::string, 4> FrmSetting::Cells() const {
  std::array<std::string, 4> cells;
  for (int i = 0; i < 4; ++i) cells[static_cast<std::size_t>(i)] = lblOrder(i).Caption();
  return cells;
}

void FrmSetting::ShowCells(const std::array<std::string, 4>& cells) {
  // Colours and the selection stay as they are.
  for (int i = 0; i < 4; ++i) lblOrder(i).SetCaption(cells[static_cast<std::size_t>(i)]);
}

void FrmSetting::lblOrder_Click(int index) {
  // The fixed cell takes no click.
  if (!lblOrder(index).Enabled()) return;
  EnableApply();
  for (int i = 0; i < 4; ++i) lblOrder(i).SetBackColor(kCellNormal);
  SelectedOrderCell = index;
  lblOrder(index).SetBackColor(kCellSelected);
}

void FrmSetting::SwapCells(int from, int to) {
  const std::string held = lblOrder(from).Caption();
  lblOrder(from).SetCaption(lblOrder(to).Caption());
  lblOrder(to).SetCaption(held);
  lblOrder(from).SetBackColor(kCellNormal);
  lblOrder(to).SetBackColor(kCellSelected);
  SelectedOrderCell = to;
}

void FrmSetting::cmdBackward_Click() {
  const int s = SelectedOrderCell;
  if (s >= 1 && s <= 2) SwapCells(s, s + 1);
  EnableApply();
}

void FrmSetting::cmdForward_Click() {
  const int s = SelectedOrderCell;
  if (s >= 2 && s <= 3) SwapCells(s, s - 1);
  EnableApply();
}

}  // namespace korvalo::options

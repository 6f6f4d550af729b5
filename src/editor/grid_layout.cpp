#include "editor/grid_layout.h"

#include <cstddef>

#include "common/numbers.h"

namespace korvalo::editor {
namespace {

int Whole(double value) { return static_cast<int>(RoundHalfEven(value, 0)); }

int RowHeight(bool lineRow) { return lineRow ? kLineRowHeight : kArcRowHeight; }

}  // namespace

double ScrollScaleFor(int courseLimit) {
  return 800.0 / 32000.0 * static_cast<double>(courseLimit);
}

ScrollSteps ScrollStepsFor(int courseLimit) {
  const double step = static_cast<double>(kScrollFullMax) / courseLimit;
  return {Whole(step), Whole(step * 2)};
}

LoadRowTops LoadRowTopsFor(int row, double scrollScale, int value) {
  LoadRowTops tops;
  tops.arcTop = Whole((kArcRowHeight / scrollScale * row - value) * scrollScale);
  tops.lineTop = Whole((row * kLineRowHeight / scrollScale - value) * scrollScale);
  tops.buttonTop = tops.lineTop + kRowButtonDrop;
  return tops;
}

std::vector<int> ScrolledRowTops(const std::vector<bool>& lineRows, int value,
                                 double scrollScale) {
  std::vector<int> tops;
  tops.reserve(lineRows.size());
  long offset = 0;
  for (bool line : lineRows) {
    tops.push_back(Whole(scrollScale * (static_cast<double>(offset) / scrollScale - value)));
    offset += RowHeight(line);
  }
  return tops;
}

int NarrowedScrollMax(const std::vector<bool>& lineRows, const std::vector<bool>& enabledRows,
                      int courseLimit, bool standalone) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < enabledRows.size() && i < lineRows.size(); ++i) {
    if (!enabledRows[i]) break;
    last = i;
  }
  long used = 0;
  for (std::size_t i = 0; i <= last && i < lineRows.size(); ++i) used += RowHeight(lineRows[i]);

  const double k = static_cast<double>(used);
  if (!standalone) {
    if (k / 800.0 >= courseLimit - 1) return kScrollFullMax;
    return Whole((k + 800.0) * 40.0 / courseLimit);
  }
  if (k / 800.0 + 1.0 > courseLimit) return kScrollFullMax;
  if (k < 800.0) return courseLimit;
  return Whole((k - 800.0) * 40.0 / courseLimit);
}

EditorSize ConstrainedEditorSize(int requestedHeight) {
  return {kEditorWidth, requestedHeight < kEditorMinHeight ? kEditorMinHeight : requestedHeight};
}

int GridHeightFor(int windowHeight, int pictureHeight) {
  return windowHeight - pictureHeight - kGridHeightAllowance;
}

ArcSlot ArcSlotFor(int position) {
  constexpr int kFirstLineTop = 120;
  constexpr int kSecondLineTop = 460;
  constexpr int kFirstBoxLeft = 360;
  constexpr int kSlotPitch = 1800;
  constexpr int kLabelOffset = 240;
  ArcSlot slot;
  if (position == 4) {
    slot.boxTop = kSecondLineTop;
    slot.boxLeft = kFirstBoxLeft;
  } else {
    slot.boxTop = kFirstLineTop;
    slot.boxLeft = kFirstBoxLeft + (position - 1) * kSlotPitch;
  }
  slot.labelTop = slot.boxTop;
  slot.labelLeft = slot.boxLeft - kLabelOffset;
  return slot;
}

}  // namespace korvalo::editor

#pragma once

// A uniform grid over the drawing's extents: which entities may meet a
// rectangle, for drawing only what is visible and for finding entities at a
// point. Answers come in entity order.

#include <cstdint>
#include <vector>

#include "platform/viewer/drawing.h"

namespace korvalo::viewer {

class GridIndex {
 public:
  void Build(const Drawing& drawing);
  void Clear();
  // The entities whose boxes meet the rectangle, ascending.
  void Query(double xmin, double ymin, double xmax, double ymax, std::vector<std::uint32_t>& out) const;

 private:
  [[gnu::always_inline]] inline void CellRange(double xmin, double ymin, double xmax, double ymax, int& x0, int& y0,
                                               int& x1, int& y1) const;
  const Drawing* drawing_ = nullptr;
  Bounds extents_;
  int nx_ = 0, ny_ = 0;
  double cellW_ = 1, cellH_ = 1;
  double inverseW_ = 1, inverseH_ = 1;
  std::vector<std::uint32_t> cellStart_;  // nx*ny + 1 offsets into items_
  std::vector<std::uint32_t> items_;
  std::vector<std::uint32_t> large_;      // entities over too many cells
  mutable std::vector<std::uint32_t> seen_;
  mutable std::uint32_t tick_ = 0;
};

}  // namespace korvalo::viewer

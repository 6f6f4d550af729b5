#include "platform/viewer/grid_index.h"

#include <algorithm>
#include <cmath>

namespace korvalo::viewer {
namespace {
constexpr int kMaxCells = 512;
constexpr long kLargeCells = 64;
}  // namespace

void GridIndex::Clear() {
  drawing_ = nullptr;
  nx_ = ny_ = 0;
  cellStart_.clear();
  items_.clear();
  large_.clear();
  seen_.clear();
}

void GridIndex::CellRange(double xmin, double ymin, double xmax, double ymax, int& x0, int& y0, int& x1,
                          int& y1) const {
  // By the inverse of the cell size: a multiplication where a division
  // costs several. The cells of a box and of a query rectangle come from
  // this one rising function, so a box meets every query that meets it.
  auto cell = [](double v, double origin, double inverse, int n) {
    const double c = std::floor((v - origin) * inverse);
    if (!(c >= 0)) return 0;  // also not a number
    if (c >= n - 1) return n - 1;
    return static_cast<int>(c);
  };
  x0 = cell(xmin, extents_.xmin, inverseW_, nx_);
  x1 = cell(xmax, extents_.xmin, inverseW_, nx_);
  y0 = cell(ymin, extents_.ymin, inverseH_, ny_);
  y1 = cell(ymax, extents_.ymin, inverseH_, ny_);
}

void GridIndex::Build(const Drawing& drawing) {
  Clear();
  drawing_ = &drawing;
  extents_ = drawing.extents;
  const std::size_t n = drawing.entities.size();
  seen_.assign(n, 0);
  tick_ = 0;
  if (extents_.empty || n == 0) return;
  const double w = std::max(extents_.xmax - extents_.xmin, 1e-9);
  const double h = std::max(extents_.ymax - extents_.ymin, 1e-9);
  // About four entities a cell, cells about square. Extents too wide for
  // the arithmetic (an overflow to infinity) give one cell.
  const double cells = std::clamp(static_cast<double>(n) / 4.0, 1.0, double(kMaxCells) * kMaxCells);
  const double side = std::sqrt(w * h / cells);
  auto count = [](double v) {
    const double c = std::ceil(v);
    if (!(c >= 1)) return 1;  // also not a number
    return c >= kMaxCells ? kMaxCells : static_cast<int>(c);
  };
  const bool finite = std::isfinite(w) && std::isfinite(h) && std::isfinite(side) && side > 0;
  nx_ = finite ? count(w / side) : 1;
  ny_ = finite ? count(h / side) : 1;
  cellW_ = w / nx_;
  cellH_ = h / ny_;
  inverseW_ = 1 / cellW_;
  inverseH_ = 1 / cellH_;
  std::vector<std::uint32_t> counts(static_cast<std::size_t>(nx_) * ny_ + 1, 0);
  auto each = [&](auto&& visit) {
    for (std::size_t i = 0; i < n; ++i) {
      const Bounds& b = drawing.entities[i].box;
      if (b.empty) continue;
      int x0, y0, x1, y1;
      CellRange(b.xmin, b.ymin, b.xmax, b.ymax, x0, y0, x1, y1);
      if (static_cast<long>(x1 - x0 + 1) * (y1 - y0 + 1) > kLargeCells) {
        visit(i, -1);
        continue;
      }
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) visit(i, y * nx_ + x);
    }
  };
  each([&](std::size_t, int c) {
    if (c >= 0) ++counts[static_cast<std::size_t>(c)];
  });
  cellStart_.assign(counts.size(), 0);
  std::uint32_t sum = 0;
  for (std::size_t c = 0; c + 1 < counts.size(); ++c) {
    cellStart_[c] = sum;
    sum += counts[c];
  }
  cellStart_.back() = sum;
  items_.assign(sum, 0);
  std::vector<std::uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
  each([&](std::size_t i, int c) {
    if (c < 0)
      large_.push_back(static_cast<std::uint32_t>(i));
    else
      items_[fill[static_cast<std::size_t>(c)]++] = static_cast<std::uint32_t>(i);
  });
}

void GridIndex::Query(double xmin, double ymin, double xmax, double ymax, std::vector<std::uint32_t>& out) const {
  out.clear();
  if (!drawing_ || nx_ == 0) return;
  if (!(xmin <= xmax) || !(ymin <= ymax)) return;
  if (xmax < extents_.xmin || xmin > extents_.xmax || ymax < extents_.ymin || ymin > extents_.ymax) return;
  if (++tick_ == 0) {
    std::fill(seen_.begin(), seen_.end(), 0);
    tick_ = 1;
  }
  const auto& entities = drawing_->entities;
  auto take = [&](std::uint32_t i) {
    if (seen_[i] == tick_) return;
    seen_[i] = tick_;
    const Bounds& b = entities[i].box;
    if (b.xmax < xmin || b.xmin > xmax || b.ymax < ymin || b.ymin > ymax) return;
    out.push_back(i);
  };
  int x0, y0, x1, y1;
  CellRange(xmin, ymin, xmax, ymax, x0, y0, x1, y1);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const std::size_t c = static_cast<std::size_t>(y) * nx_ + x;
      for (std::uint32_t k = cellStart_[c]; k < cellStart_[c + 1]; ++k) take(items_[k]);
    }
  for (std::uint32_t i : large_) take(i);
  std::sort(out.begin(), out.end());
}

}  // namespace korvalo::viewer

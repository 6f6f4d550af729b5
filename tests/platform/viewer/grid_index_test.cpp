#include "platform/viewer/grid_index.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace korvalo::viewer {
namespace {

// A drawing of lines given by their end points, boxes and extents as the
// reader makes them.
Drawing Lines(const std::vector<std::vector<double>>& lines) {
  Drawing d;
  d.layers.push_back({"0", 7, kLayerShown});
  for (const auto& l : lines) {
    Entity e;
    e.kind = EntityKind::Line;
    e.firstPoint = static_cast<std::uint32_t>(d.xs.size());
    for (std::size_t k = 0; k + 1 < l.size(); k += 2) {
      d.xs.push_back(l[k]);
      d.ys.push_back(l[k + 1]);
      e.box.Add(l[k], l[k + 1]);
      ++e.pointCount;
    }
    d.extents.Add(e.box);
    d.entities.push_back(e);
  }
  return d;
}

// Extents too wide for the arithmetic (a line from -1e308 to 1e308 makes a
// width of infinity) or boxes that are not numbers: the index still answers
// every entity where it lies.
TEST(GridIndex, ExtentsPastTheArithmeticStillAnswer) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<std::vector<std::vector<double>>> drawings = {
      {{0, 0, 10, 10}, {-1e308, -1e308, 1e308, 1e308}, {20, 20, 30, 30}},
      {{0, 0, 10, 10}, {nan, nan, 1, 1}, {20, 20, 30, 30}},
      {{0, 0, 10, 10}, {5e307, 0, -5e307, 1}, {20, 20, 30, 30}},
  };
  for (const auto& lines : drawings) {
    const Drawing d = Lines(lines);
    GridIndex index;
    index.Build(d);
    std::vector<std::uint32_t> found;
    index.Query(19, 19, 31, 31, found);
    EXPECT_NE(std::find(found.begin(), found.end(), 2u), found.end());
    index.Query(-1, -1, 1, 1, found);
    EXPECT_NE(std::find(found.begin(), found.end(), 0u), found.end());
  }
}

}  // namespace
}  // namespace korvalo::viewer

#include "editor/grid_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvalo::editor {
namespace {

TEST(GridLayout, ScrollConstantsFor80And50Rows) {
  EXPECT_DOUBLE_EQ(ScrollScaleFor(80), 2.0);
  EXPECT_DOUBLE_EQ(ScrollScaleFor(50), 1.25);
  EXPECT_EQ(ScrollStepsFor(80).smallChange, 400);
  EXPECT_EQ(ScrollStepsFor(80).largeChange, 800);
  EXPECT_EQ(ScrollStepsFor(50).smallChange, 640);
  EXPECT_EQ(ScrollStepsFor(50).largeChange, 1280);
}

TEST(GridLayout, LoadPlacesArcFramesAt800AndLineFramesAt400) {
  for (int limit : {80, 50}) {
    const double scale = ScrollScaleFor(limit);
    for (int k : {0, 1, 9, limit - 1}) {
      const LoadRowTops tops = LoadRowTopsFor(k, scale, 0);
      EXPECT_EQ(tops.arcTop, 800 * k) << limit << " rows, row " << k;
      EXPECT_EQ(tops.lineTop, 400 * k) << limit << " rows, row " << k;
      EXPECT_EQ(tops.buttonTop, 400 * k + 100) << limit << " rows, row " << k;
    }
  }
}

TEST(GridLayout, ScrolledTopsStackMixedRowsAndShiftByValueTimesScale) {
  // All line rows, 80 rows, V = 100: row i at 400 i - 200.
  const std::vector<bool> lines(80, true);
  const std::vector<int> tops = ScrolledRowTops(lines, 100, 2.0);
  ASSERT_EQ(tops.size(), 80u);
  for (int i : {0, 1, 40, 79}) EXPECT_EQ(tops[static_cast<std::size_t>(i)], 400 * i - 200);

  // Line, arc, line: the row after an arc row starts 800 lower.
  const std::vector<int> mixed = ScrolledRowTops({true, false, true, true}, 0, 2.0);
  EXPECT_EQ(mixed, (std::vector<int>{0, 400, 1200, 1600}));

  // 50 rows: 1.25 twips per unit, a half goes to the even neighbour.
  const std::vector<int> small = ScrolledRowTops({true, true}, 1, 1.25);
  EXPECT_EQ(small, (std::vector<int>{-1, 399}));  // -1.25 -> -1, 398.75 -> 399
  EXPECT_EQ(ScrolledRowTops({true, true}, 2, 1.25), (std::vector<int>{-2, 398}));  // -2.5 -> -2
}

struct NarrowCase {
  const char* name;
  int limit;
  bool standalone;
  std::vector<bool> lines;
  std::vector<bool> enabled;
  int expectedMax;
};

TEST(GridLayout, FocusNarrowsTheRangeToTheRowsInUse) {
  const std::vector<NarrowCase> cases = {
      {"one enabled line row", 80, false, {true, true, true}, {true, false, false}, 600},
      {"three enabled line rows", 80, false, {true, true, true, true},
       {true, true, true, false}, 1000},
      {"row 0 disabled, line row", 80, false, {true, true}, {false, false}, 600},
      {"row 0 disabled, arc row", 80, false, {false, true}, {false, false}, 800},
      {"a gap ends the run", 80, false, {true, true, true}, {true, false, true}, 600},
      {"arc rows count 800", 80, false, {true, false, true}, {true, true, false}, 1000},
      // 50 rows: (400 + 800) x 40 / 50 = 960.
      {"50 rows, one line row", 50, false, {true, true}, {true, false}, 960},
      {"standalone, one line row", 50, true, {true, true}, {true, false}, 50},
      {"standalone, three line rows", 50, true, {true, true, true, true},
       {true, true, true, false}, 320},
  };
  for (const NarrowCase& c : cases) {
    EXPECT_EQ(NarrowedScrollMax(c.lines, c.enabled, c.limit, c.standalone), c.expectedMax)
        << c.name;
  }
}

TEST(GridLayout, AFullGridGetsTheWholeRange) {
  // 79 enabled arc rows and one line row: k = 63600, k / 800 >= 79.
  std::vector<bool> lines(80, false);
  lines[79] = true;
  const std::vector<bool> enabled(80, true);
  EXPECT_EQ(NarrowedScrollMax(lines, enabled, 80, false), 32000);
  // 80 enabled line rows fill only half the range: (32000 + 800) / 2.
  EXPECT_EQ(NarrowedScrollMax(std::vector<bool>(80, true), enabled, 80, false), 16400);

  std::vector<bool> saLines(50, false);
  const std::vector<bool> saEnabled(50, true);
  EXPECT_EQ(NarrowedScrollMax(saLines, saEnabled, 50, true), 32000);
}

TEST(GridLayout, WindowKeepsItsWidthAndMinimumHeight) {
  EXPECT_EQ(ConstrainedEditorSize(3000).width, 6855);
  EXPECT_EQ(ConstrainedEditorSize(3000).height, 4550);
  EXPECT_EQ(ConstrainedEditorSize(4550).height, 4550);
  EXPECT_EQ(ConstrainedEditorSize(9000).height, 9000);
  // 1000 twips more window, 1000 twips more grid.
  EXPECT_EQ(GridHeightFor(9000, 2655) - GridHeightFor(8000, 2655), 1000);
  EXPECT_EQ(GridHeightFor(4550, 2655), 1095);
  // A picture zoomed to the window height leaves no room.
  EXPECT_LT(GridHeightFor(4550, 4550), 0);
}

}  // namespace
}  // namespace korvalo::editor

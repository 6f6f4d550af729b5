#pragma once

#include <vector>

// The arithmetic of the course grid's layout: row heights, row tops for a
// scroll position, the scroll bar's constants and narrowed range, and the
// window's fixed width and minimum height. Pure functions, so that the window
// code only applies the numbers. All sizes are in twips.
namespace korvalo::editor {

inline constexpr int kLineRowHeight = 400;
inline constexpr int kArcRowHeight = 800;
// The row button sits this much lower than its row's frames.
inline constexpr int kRowButtonDrop = 100;

inline constexpr int kScrollFullMax = 32000;

inline constexpr int kEditorWidth = 6855;
inline constexpr int kEditorMinHeight = 4550;
// The grid takes the window height less the picture and this much.
inline constexpr int kGridHeightAllowance = 800;

// Twips of row offset per scroll unit: 800 / 32000 x CourseLimit, so that the
// whole scroll range covers a grid of nothing but arc rows (2 for 80 rows,
// 1.25 for 50).
double ScrollScaleFor(int courseLimit);

struct ScrollSteps {
  int smallChange = 0;  // one line row's worth: 32000 / CourseLimit
  int largeChange = 0;  // twice that
};
ScrollSteps ScrollStepsFor(int courseLimit);

// The tops the window's load gives row k with the scroll bar at `value`: the
// arc frame as if every row were an arc row, the line frame as if every row
// were a line row, and the row button 100 below the line frame.
struct LoadRowTops {
  int arcTop = 0;
  int lineTop = 0;
  int buttonTop = 0;
};
LoadRowTops LoadRowTopsFor(int row, double scrollScale, int value);

// The rows stacked in order, each 400 (line) or 800 (arc) high, shifted up by
// value x scrollScale. Both frames of a row get the same top; the row button
// sits 100 lower. `lineRows[i]` tells whether row i shows its line frame.
std::vector<int> ScrolledRowTops(const std::vector<bool>& lineRows, int value,
                                 double scrollScale);

// The scroll bar's maximum when it receives the focus. The rows in use are the
// unbroken run of enabled rows from row 0 (row 0 counts even when disabled);
// the range then lets the user scroll them up by their height plus one arc
// row. `enabledRows[i]` is true while either frame of row i is enabled.
// The standalone edition narrows differently (and gives the full range back
// when the focus leaves).
int NarrowedScrollMax(const std::vector<bool>& lineRows, const std::vector<bool>& enabledRows,
                      int courseLimit, bool standalone);

// Where an arc input and its caption label sit inside the arc frame for an
// entry position 1 to 4: positions 1 to 3 side by side on the first line,
// position 4 at the start of the second; the label 240 to the left of its
// box.
struct ArcSlot {
  int boxTop = 0;
  int boxLeft = 0;
  int labelTop = 0;
  int labelLeft = 0;
};
ArcSlot ArcSlotFor(int position);

// The size the window keeps after a resize: the width is fixed, the height has
// a floor.
struct EditorSize {
  int width = 0;
  int height = 0;
};
EditorSize ConstrainedEditorSize(int requestedHeight);

// Height of frameBase and its scroll bar for a window of `windowHeight`
// holding a picture of `pictureHeight`. May come out negative, which the
// window cannot take (it keeps the old grid height then).
int GridHeightFor(int windowHeight, int pictureHeight);

}  // namespace korvalo::editor

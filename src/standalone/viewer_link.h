#pragma once

#include "editor/link_services.h"

// What the standalone windows ask of the drawing viewer. The viewer window
// itself comes later; until then StandInViewer answers: no drawing is
// loaded, nothing is picked, and the overview windows have no height.
namespace korvalo::standalone {

// An overview window's place on the screen, in pixels.
class StandaloneEditor;

struct PixelRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// Where the second overview window goes, its top left corner in pixels:
// beside the first at the same height, to its left where the screen has room
// for it, else to its right. Only one of the two shows at a time, but each
// keeps its own place in sight.
inline PixelRect SecondOverviewPlace(const PixelRect& first) {
  constexpr int kGap = 4;
  const int width = first.Right - first.Left;
  const int left = first.Left - kGap - width >= 0 ? first.Left - kGap - width : first.Right + kGap;
  return {left, first.Top, left + width, first.Bottom};
}

class ViewerLink {
 public:
  virtual ~ViewerLink() = default;
  // Loads the project's drawing into both viewers (again when forced):
  // 0 when loaded, otherwise not 0 (the viewer has told the user why).
  virtual int LoadDrawing(bool force) = 0;
  // Ticks the colour menus for the drawings' colours.
  virtual void CheckForeColorMenu(int code) = 0;
  virtual void CheckBackColorMenu() = 0;
  // Takes the highlights off the picked texts and keeps the editor on top.
  virtual void ClearPickMarks() = 0;
  // A double-click on a course box or the name box: texts picked from now on
  // are collected until the grab ends.
  virtual void BeginViewerGrab(editor::GrabField field, int row) = 0;
  virtual void BeginViewerGrabName() = 0;
  // Places the collected texts into the editor.
  virtual void FinishViewerGrab() = 0;
  // Moves overview window `which` (1 or 2) to the pixel place and reads its
  // rectangle back; keeps the editor on top.
  virtual void PlaceOverview(int left, int top, int which) = 0;
  virtual PixelRect OverviewRect(int which) const = 0;
  // The project's settings as the standalone edition stores them; false
  // when they could not be read.
  virtual bool LoadProjectSettings() = 0;
  // Reverses picked courses so that the figure closes.
  virtual void AutoInverse() = 0;
  // The floating editor whose focused course box the picks fill and move
  // on: it names itself when it is made and null when it goes.
  virtual void FollowEditor(StandaloneEditor* editor) { (void)editor; }
  // The pointer passed over the editor: a pan of the drawing still running
  // ends there.
  virtual void EndViewerPan() {}
};

}  // namespace korvalo::standalone

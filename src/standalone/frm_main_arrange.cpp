#include <cmath>

#include "standalone/frm_main.h"
#include "standalone/standalone_state.h"

// The frame: the two window arrangements of the Windows menu. Lengths are
// twips, overview places pixels; both directions convert with the vertical
// pixels per twip.
namespace korvalo::standalone {

using namespace forms;

namespace {

// A length made whole: to the nearest, halves to the even neighbour.
int Whole(double x) { return static_cast<int>(std::nearbyint(x)); }

}  // namespace

void FrmMain::GrowFrameForEditorHeight() {
  // A maximised frame keeps the screen's size.
  if (WindowState() != vbNormal) return;
  const int least = Standalone().EditorMinHeight;
  if (ScaleHeight() < least) SetHeight(least + 985);
}

void FrmMain::GrowFrameForEditorWidth() {
  if (WindowState() != vbNormal) return;
  if (editor_.Width() + 2000 > ScaleWidth()) {
    SetWidth(editor_.Width() + 2000);
    DoEvents();
  }
}

void FrmMain::PlaceOverviews(int left, int top, int overviewHeight) {
  const double ppt = Standalone().PixelsPerTwip;
  // Below the screen's bottom the overview goes just above the editor, when
  // that is still on the screen.
  const int above = top - Whole(editor_.Height() * ppt) - overviewHeight;
  if (top + overviewHeight > ScreenHeightPixels() && above > 0) top = above;
  viewer_.PlaceOverview(left, top, 1);
  // The second beside the first: placed on it, its title bar would lie
  // under the first whenever both are shown.
  const PixelRect second = SecondOverviewPlace(viewer_.OverviewRect(1));
  viewer_.PlaceOverview(second.Left, second.Top, 2);
}

void FrmMain::ArrangeSplitView() {
  const double ppt = Standalone().PixelsPerTwip;
  editor_.SetWindowState(vbNormal);
  frmView.SetWindowState(vbNormal);
  editor_.Move(Left() + 80, Top() + 650);
  GrowFrameForEditorHeight();
  DoEvents();
  editor_.SetHeight(ScaleHeight());
  frmView.Move(editor_.Width(), 0, frmView.Width(), ScaleHeight());
  GrowFrameForEditorWidth();
  frmView.SetWidth(ScaleWidth() - editor_.Width());
  DoEvents();
  frmView.SetWidth(ScaleWidth() - editor_.Width());

  const PixelRect first = viewer_.OverviewRect(1);
  const int h = first.Bottom - first.Top;
  editor_.SetHeight(ScaleHeight() - Whole(h / ppt));
  frmView.SetHeight(ScaleHeight());
  // The editor starts below the frame's top edge but is as high as the
  // frame's inner area: the overview under it would pass the screen's
  // bottom. The editor gives up that much, down to its least height.
  const int past = Whole((editor_.Top() + editor_.Height()) * ppt) + h - ScreenHeightPixels();
  if (past > 0) {
    const int shorter = editor_.Height() - static_cast<int>(std::ceil(past / ppt));
    if (shorter >= Standalone().EditorMinHeight) editor_.SetHeight(shorter);
  }

  const int left = Whole((editor_.Left() + editor_.Width()) * ppt - (first.Right - first.Left));
  const int top = Whole((editor_.Top() + editor_.Height()) * ppt);
  PlaceOverviews(left, top, h);
}

void FrmMain::ArrangeNativeView() {
  const double ppt = Standalone().PixelsPerTwip;
  editor_.SetWindowState(vbNormal);
  const int editorLeft = Left() + 80;
  const int editorTop = Top() + 1400;
  editor_.Move(editorLeft, editorTop);
  GrowFrameForEditorHeight();
  DoEvents();
  // The editor goes straight to its least height: made as high as the frame
  // first, it would not fit below its place, and the window manager would
  // move it up over the drawing window's toolbar.
  GrowFrameForEditorWidth();
  DoEvents();
  editor_.SetHeight(Standalone().EditorMinHeight);
  // Back in its place, wherever a taller editor had been put before.
  editor_.Move(editorLeft, editorTop);
  frmView.SetWindowState(vbMaximized);

  const PixelRect first = viewer_.OverviewRect(1);
  const int h = first.Bottom - first.Top;
  const int left = Whole(editor_.Left() * ppt);
  const int top = Whole((editor_.Top() + editor_.Height()) * ppt);
  PlaceOverviews(left, top, h);
}

}  // namespace korvalo::standalone

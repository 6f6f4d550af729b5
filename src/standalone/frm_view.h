#pragma once

#include <array>
#include <functional>

#include "platform/forms/forms.h"
#include "platform/viewer/drawing_viewer.h"
#include "standalone/viewer_link.h"

// The drawing window: the frame's only child window, maximised inside it
// unless an arrangement of the Windows menu places it. It shows the
// project's drawing twice, on the tabs "First View" and "Second View", each
// in its own viewer with its own toolbar, layer menu, saved view and
// overview window. The user zooms and pans here; a press on a drawing text
// also picks it (the viewer link handles the press). Its close box does
// nothing (the program's end unloads it).
namespace korvalo::standalone {

// A point in drawing units; (0, 0) on either axis means no point.
struct DrawingPoint {
  double X = 0.0;
  double Y = 0.0;
};

class FrmView : public forms::Form {
 public:
  FrmView();
  ~FrmView() override;

  // What the window asks of the rest of the program; the viewer link sets
  // them. Unset hooks do nothing.
  struct Hooks {
    // The main window (the wheel zooms only while it is the active one) and
    // the editor window (kept on top, the overviews' default place).
    forms::Form* main = nullptr;
    forms::Form* editor = nullptr;
    // Done: ends a grab (and auto-inverts when the project asks for it).
    std::function<void()> done;
    // Layers (viewer 1 or 2): pops up that viewer's layer menu.
    std::function<void(int viewer)> layers;
    // A press in viewer 1 or 2, after the pan has started.
    std::function<void(int viewer, int button, double x, double y)> press;
    // The view of viewer 1 or 2 changed while a drawing is set.
    std::function<void(int viewer)> viewChanged;
    // Shows the saved view of viewer 1 or 2 (the tab switch).
    std::function<void(int viewer)> restoreView;
    // Whether the project has a drawing set.
    std::function<bool()> drawingSet;
  };
  void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

  // Viewer 1 or 2 (RuntimeError 9 otherwise).
  viewer::DrawingViewer& Viewer(int k);

  // Moves overview window `index` (1 or 2) to the screen pixel place, no
  // longer top-most, then keeps the editor on top and reads the overview's
  // rectangle back. Another index raises RuntimeError 9.
  void PlaceOverview(int x, int y, int index);
  // Reads the overview's rectangle, or, while it has no window yet, puts its
  // corner just below the editor's left edge.
  void CaptureOverviewRect(int index);
  // Shows the overview window of the current tab and hides the other.
  void ShowActiveOverview();

  // The wheel turned over a viewer or an overview window (only the sign of
  // the delta counts): the viewer of the current tab zooms about the last
  // mouse position over either viewer.
  void MouseWheel(int delta);
  // The editor's mouse moved: a pan still running ends.
  void EndPan();

  // --- controls --------------------------------------------------------------
  forms::TabControl SSTab1;
  viewer::DrawingViewer Dbcocx1;
  viewer::DrawingViewer Dbcocx2;
  // Index 0 on tab 0 acting on viewer 1, index 1 on tab 1 acting on viewer 2.
  forms::ControlArray<forms::CommandButton> cmdZoomIn;
  forms::ControlArray<forms::CommandButton> cmdZoomOut;
  forms::ControlArray<forms::CommandButton> cmdPartLarge;
  forms::ControlArray<forms::CommandButton> cmdUndo;
  forms::ControlArray<forms::CommandButton> cmd100;
  forms::ControlArray<forms::CommandButton> cmdRedraw;
  forms::ControlArray<forms::CommandButton> cmdDone;
  forms::CommandButton cmdLayer1;
  forms::CommandButton cmdLayer2;
  // Carries the hand pointer shown while a mouse button is down over a viewer.
  forms::CommandButton cmdHand;

  // The seven toolbar buttons of one tab (0 or 1).
  std::array<forms::CommandButton*, 7> Toolbar(int tab);

  // --- values ----------------------------------------------------------------
  bool ViewerLoaded = false;
  DrawingPoint PanAnchor;
  DrawingPoint LastViewerMouse;
  std::array<double, 18> ViewWindow{};
  // Index 0 overview 1, index 1 overview 2; null until a load shows them.
  std::array<viewer::OverviewWindow*, 2> OverviewHwnd{};
  std::array<PixelRect, 2> OverviewRect{};

 private:
  void Form_Load();
  void Form_Resize();
  void SSTab1_Click();
  void ViewerMouseDown(int k, int button, double x, double y);
  void ViewerMouseMove(int k, double x, double y);
  void ViewerMouseUp();
  void ViewerViewChanged(int k);
  void ToolbarClick(int index, const std::function<void(viewer::DrawingViewer&)>& act);
  Hooks hooks_;
};

}  // namespace korvalo::standalone

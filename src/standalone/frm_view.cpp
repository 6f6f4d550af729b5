#include "standalone/frm_view.h"

#include <cmath>

#include "standalone/standalone_state.h"
#include "standalone/toolbar_pictures.h"

namespace korvalo::standalone {

using namespace forms;

namespace {

constexpr int kButton = 420;

int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

FrmView::FrmView()
    : Form("frmView"),
      SSTab1(*this, "SSTab1", {"First View", "Second View"}),
      Dbcocx1(SSTab1.Page(0), "Dbcocx1"),
      Dbcocx2(SSTab1.Page(1), "Dbcocx2"),
      cmdZoomIn(SSTab1.Page(0), "cmdZoomIn"),
      cmdZoomOut(SSTab1.Page(0), "cmdZoomOut"),
      cmdPartLarge(SSTab1.Page(0), "cmdPartLarge"),
      cmdUndo(SSTab1.Page(0), "cmdUndo"),
      cmd100(SSTab1.Page(0), "cmd100"),
      cmdRedraw(SSTab1.Page(0), "cmdRedraw"),
      cmdDone(SSTab1.Page(0), "cmdDone", "Done"),
      cmdLayer1(SSTab1.Page(0), "cmdLayer1", "Layers"),
      cmdLayer2(SSTab1.Page(1), "cmdLayer2", "Layers"),
      cmdHand(*this, "cmdHand") {
  SetCaption("Korvalo");
  SetBackColor(vbWindowBackground);
  Move(0, 0, 10875 + 120, 8190 + 405);
  SSTab1.Move(0, 0, 10875, 8190);
  Dbcocx1.Move(0, 720, 10875, 8190 - 720);
  Dbcocx2.Move(0, 720, 10875, 8190 - 720);

  struct Face {
    ControlArray<CommandButton>* button;
    int left;
    const char* tip;
    Image (*picture)();
  };
  const Face faces[] = {
      {&cmdZoomIn, 50, "Zoom in", ZoomInPicture},
      {&cmdZoomOut, 472, "Zoom out", ZoomOutPicture},
      {&cmdPartLarge, 894, "Zoom a selected area of the drawing", ZoomAreaPicture},
      {&cmdUndo, 1316, "Undo the last zoom", UndoZoomPicture},
      {&cmd100, 1738, "Zoom to 100 percent actual size", ActualSizePicture},
      {&cmdRedraw, 2160, "Re-drawn according to the current zoom factor ", RedrawPicture},
  };
  // Picture faces without captions; the twin on tab 1 takes the same face.
  for (const Face& f : faces) {
    (*f.button)(0).Move(f.left, 330, kButton, kButton);
    (*f.button)(0).SetToolTipText(f.tip);
    (*f.button)(0).SetStyle(vbButtonGraphical);
    (*f.button)(0).SetPicture(f.picture());
    CommandButton& twin = f.button->Load(1);
    twin.SetContainer(SSTab1.Page(1));
    twin.SetVisible(true);
  }
  cmd100(1).SetToolTipText(
      "Zoom the drawing so that every pixel (dot) of the raster background corresponds to a screen "
      "pixel ");
  cmdDone(0).Move(2760, 360, 855, 330);
  cmdDone(0).SetToolTipText(
      "Click here to restore the data window after selecting multiple text entities with the data "
      "window minimized");
  CommandButton& done2 = cmdDone.Load(1);
  done2.SetContainer(SSTab1.Page(1));
  done2.SetVisible(true);
  cmdLayer1.Move(3720, 360, 855, 330);
  cmdLayer2.Move(3720, 360, 855, 330);
  cmdLayer1.SetEnabled(false);
  cmdLayer2.SetEnabled(false);
  cmdHand.SetVisible(false);

  OnLoad = [this] { Form_Load(); };
  OnResize = [this] { Form_Resize(); };
  // Only the program closes it.
  OnQueryUnload = [](int& cancel, int unloadMode) {
    if (unloadMode == vbFormControlMenu) cancel = 1;
  };
  SSTab1.OnClick = [this](int) { SSTab1_Click(); };

  cmdZoomIn.OnClick = [this](int i) { ToolbarClick(i, [](viewer::DrawingViewer& v) { v.ViewerZoom(1); }); };
  cmdZoomOut.OnClick = [this](int i) { ToolbarClick(i, [](viewer::DrawingViewer& v) { v.ViewerZoom(-1); }); };
  cmdPartLarge.OnClick = [this](int i) { ToolbarClick(i, [](viewer::DrawingViewer& v) { v.ViewerZoom(2); }); };
  cmdUndo.OnClick = [this](int i) { ToolbarClick(i, [](viewer::DrawingViewer& v) { v.ViewerZoom(-2); }); };
  cmd100.OnClick = [this](int i) { ToolbarClick(i, [](viewer::DrawingViewer& v) { v.ViewerZoom(100); }); };
  cmdRedraw.OnClick = [this](int i) { ToolbarClick(i, [](viewer::DrawingViewer& v) { v.ViewerRedraw(); }); };
  cmdDone.OnClick = [this](int) {
    if (hooks_.done) hooks_.done();
  };
  cmdLayer1.OnClick = [this](int) {
    if (hooks_.layers) hooks_.layers(1);
  };
  cmdLayer2.OnClick = [this](int) {
    if (hooks_.layers) hooks_.layers(2);
  };

  for (int k = 1; k <= 2; ++k) {
    viewer::DrawingViewer& v = Viewer(k);
    v.OnViewerMouseDown = [this, k](int button, double x, double y) { ViewerMouseDown(k, button, x, y); };
    v.OnViewerMouseMove = [this, k](double x, double y) { ViewerMouseMove(k, x, y); };
    v.OnViewerMouseUp = [this](int, double, double) { ViewerMouseUp(); };
    v.OnViewerWheel = [this](int delta) { MouseWheel(delta); };
    v.OnViewerViewChanged = [this, k] { ViewerViewChanged(k); };
  }
}

FrmView::~FrmView() = default;

viewer::DrawingViewer& FrmView::Viewer(int k) {
  if (k == 1) return Dbcocx1;
  if (k == 2) return Dbcocx2;
  throw RuntimeError(kErrSubscriptOutOfRange, "Subscript out of range");
}

std::array<CommandButton*, 7> FrmView::Toolbar(int tab) {
  return {&cmdZoomIn(tab), &cmdZoomOut(tab), &cmdPartLarge(tab), &cmdUndo(tab),
          &cmd100(tab),    &cmdRedraw(tab),  &cmdDone(tab)};
}

void FrmView::ToolbarClick(int index, const std::function<void(viewer::DrawingViewer&)>& act) {
  act(Viewer(index + 1));
}

void FrmView::Form_Load() {
  ViewerLoaded = true;
  for (int k = 1; k <= 2; ++k) {
    viewer::DrawingViewer& v = Viewer(k);
    try {
      v.SetHeight(ScaleHeight() - 360);
      v.SetWidth(ScaleWidth());
    } catch (const RuntimeError&) {
      // Too small a window: the next resize sizes them.
    }
  }
  Move(0, 0);
}

void FrmView::Form_Resize() {
  // A size the controls cannot take ends the resize quietly; the next one
  // tries again.
  try {
    SSTab1.SetHeight(ScaleHeight());
    SSTab1.SetWidth(ScaleWidth());
    Dbcocx1.SetHeight(SSTab1.Height() - 720);
    Dbcocx1.SetWidth(ScaleWidth());
    Dbcocx2.SetHeight(SSTab1.Height() - 720);
    Dbcocx2.SetWidth(ScaleWidth());
  } catch (const RuntimeError&) {
  }
}

void FrmView::ViewerMouseDown(int k, int button, double x, double y) {
  SetFormMouseIcon(*this, MouseIcon::Hand);
  SetFormMousePointer(*this, vbCustom);
  PanAnchor = {x, y};
  if (hooks_.press) hooks_.press(k, button, x, y);
}

void FrmView::ViewerMouseMove(int k, double x, double y) {
  if (PanAnchor.X == 0.0 || PanAnchor.Y == 0.0) {
    LastViewerMouse = {x, y};
    return;
  }
  const std::size_t at = static_cast<std::size_t>((k - 1) * 6);
  double* w = &ViewWindow[at];
  Viewer(k).ViewerGetView(w[0], w[1], w[2], w[3], w[4], w[5]);
  const double xmin = w[0], ymin = w[1], xmax = w[2], ymax = w[3];
  if (x != xmin && x != xmax && y != ymin && y != ymax) {
    // The anchored drawing point comes under the mouse.
    Viewer(k).ViewerSetCenter((xmin + xmax) / 2 - (x - PanAnchor.X), (ymin + ymax) / 2 - (y - PanAnchor.Y));
  } else {
    EndPan();
  }
}

void FrmView::ViewerMouseUp() { EndPan(); }

void FrmView::EndPan() {
  PanAnchor = {};
  SetFormMousePointer(*this, vbDefault);
}

void FrmView::ViewerViewChanged(int k) {
  if (hooks_.drawingSet && hooks_.drawingSet() && hooks_.viewChanged) hooks_.viewChanged(k);
}

void FrmView::MouseWheel(int delta) {
  if (!hooks_.drawingSet || !hooks_.drawingSet()) return;
  // Only while the frame (or this window inside it) or an overview window is
  // the active window: not while the editor is. An overview is no form, so
  // the last active form does not tell while one is active.
  bool overviewActive = false;
  for (viewer::OverviewWindow* o : OverviewHwnd) overviewActive = overviewActive || (o != nullptr && o->Active());
  Form* active = ActiveForm();
  if (!overviewActive) {
    if (active != nullptr && active != hooks_.main && active != this) return;
    if (active == nullptr && hooks_.main == nullptr) return;
  }
  viewer::DrawingViewer* v = nullptr;
  if (SSTab1.Tab() == 0) {
    v = &Dbcocx1;
  } else if (SSTab1.Tab() == 1) {
    v = &Dbcocx2;
  } else {
    return;
  }
  double* w = &ViewWindow[12];
  v->ViewerGetView(w[0], w[1], w[2], w[3], w[4], w[5]);
  const double cx = (w[0] + w[2]) / 2;
  const double cy = (w[1] + w[3]) / 2;
  const double mx = LastViewerMouse.X;
  const double my = LastViewerMouse.Y;
  if (delta > 0) {
    v->ViewerZoom(1);
    v->ViewerSetCenter(cx + (mx - cx) / 3, cy + (my - cy) / 3);
  } else if (delta < 0) {
    v->ViewerZoom(-1);
    v->ViewerSetCenter(cx - (mx - cx) / 3, cy - (my - cy) / 3);
  }
}

void FrmView::SSTab1_Click() {
  PanAnchor = {};
  if (!ViewerLoaded) return;
  ShowActiveOverview();
  if (hooks_.restoreView) hooks_.restoreView(SSTab1.Tab() != 0 ? 2 : 1);
}

void FrmView::ShowActiveOverview() {
  viewer::OverviewWindow* first = OverviewHwnd[0];
  viewer::OverviewWindow* second = OverviewHwnd[1];
  if (SSTab1.Tab() != 0) {
    if (first) first->Hide();
    if (second) second->Show();
  } else {
    if (first) first->Show();
    if (second) second->Hide();
  }
}

void FrmView::CaptureOverviewRect(int index) {
  if (index < 1 || index > 2) throw RuntimeError(kErrSubscriptOutOfRange, "Subscript out of range");
  PixelRect& rect = OverviewRect[static_cast<std::size_t>(index - 1)];
  if (viewer::OverviewWindow* w = OverviewHwnd[static_cast<std::size_t>(index - 1)]) {
    const auto r = w->ScreenRect();
    rect = {r.left, r.top, r.right, r.bottom};
    return;
  }
  if (!hooks_.editor) return;
  // Just below the editor's left edge.
  const double perTwip = Standalone().PixelsPerTwip;
  rect.Left = Round(hooks_.editor->Left() * perTwip);
  rect.Top = Round((hooks_.editor->Top() + hooks_.editor->Height()) * perTwip);
}

void FrmView::PlaceOverview(int x, int y, int index) {
  if (index < 1 || index > 2) throw RuntimeError(kErrSubscriptOutOfRange, "Subscript out of range");
  viewer::OverviewWindow* w = OverviewHwnd[static_cast<std::size_t>(index - 1)];
  if (w) w->Move(x, y);
  if (hooks_.editor) hooks_.editor->SetTopMost(true);
  if (w) {
    const auto r = w->ScreenRect();
    OverviewRect[static_cast<std::size_t>(index - 1)] = {r.left, r.top, r.right, r.bottom};
  }
}

}  // namespace korvalo::standalone

#include "platform/cad/draw/draw_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "platform/viewer/reader.h"

namespace korvalo::draw {
namespace {

constexpr int kStatusHeight = 300;  // twips
constexpr double kClickPixels = 3;  // a press and release closer than this is a click

bool ShiftHeld() { return (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) != 0; }

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  return std::filesystem::absolute(path, error).lexically_normal().string();
}

const char* NameOfKind(viewer::EntityKind kind) {
  switch (kind) {
    case viewer::EntityKind::Text: return "AcDbText";
    case viewer::EntityKind::MText: return "AcDbMText";
    case viewer::EntityKind::Line: return "AcDbLine";
    case viewer::EntityKind::Polyline: return "AcDbPolyline";
    case viewer::EntityKind::Arc: return "AcDbArc";
    case viewer::EntityKind::Circle: return "AcDbCircle";
    case viewer::EntityKind::Point: return "AcDbPoint";
    case viewer::EntityKind::Other: break;
  }
  return "AcDbEntity";
}

}  // namespace

DrawWindow::DrawWindow(int id, const std::string& untitledName, Events events)
    : id_(id),
      events_(std::move(events)),
      form_("frmDrawing"),
      viewer_(form_, "viewer"),
      status_(form_, "lblStatus"),
      title_(untitledName) {
  variables_ = {{"SDI", 0}, {"OSMODE", 4133}};
  form_.SetWidth(12000);
  form_.SetHeight(9000);
  status_.SetBorderStyle(1);
  form_.OnResize = [this] { Layout(); };
  form_.OnActivate = [this] {
    if (events_.activated) events_.activated(*this);
  };
  form_.OnUnload = [this](int&) {
    if (done_) EndSelection(true);
    if (events_.closed) events_.closed(*this);
  };
  viewer_.OnViewerMouseDown = [this](int button, double x, double y) { MouseDown(button, x, y, ShiftHeld()); };
  viewer_.OnViewerMouseMove = [this](double x, double y) { MouseMove(x, y); };
  viewer_.OnViewerMouseUp = [this](int button, double x, double y) { MouseUp(button, x, y, ShiftHeld()); };
  viewer_.OnViewerWheel = [this](int delta) { Wheel(delta); };
  Layout();
  Refresh();
}

DrawWindow::~DrawWindow() {
  // The form is gone already when the user closed it; unloading again
  // changes nothing then.
  form_.OnUnload = nullptr;
  form_.OnActivate = nullptr;
  form_.Unload();
}

void DrawWindow::Layout() {
  const int width = std::max(0, form_.ScaleWidth());
  const int height = std::max(0, form_.ScaleHeight() - kStatusHeight);
  viewer_.Move(0, 0, width, height);
  status_.Move(0, height, width, kStatusHeight);
}

void DrawWindow::Open(const std::string& path) {
  viewer::Drawing drawing;
  if (const auto error = viewer::ReadDrawing(path, drawing)) throw Failure{error->number, error->description};
  std::string loaded = path;
  try {
    viewer_.ViewerLoadFile(loaded);
  } catch (const forms::RuntimeError& e) {
    throw Failure{e.Number(), e.what()};
  }
  AbandonSelection();
  drawing_ = std::move(drawing);
  layers_ = std::max(0L, viewer_.ViewerEntityCount() - static_cast<long>(drawing_.entities.size()));
  fullName_ = AbsolutePath(path);
  title_ = std::filesystem::path(fullName_).filename().string();
  ++generation_;
  viewer_.ViewerZoom(100);
  Refresh();
}

void DrawWindow::Show() {
  // The first showing places the window itself: centred on the screen and
  // no larger than its free area, so that restored it is whole on the
  // screen, title bar and borders included.
  if (!placed_) {
    FitOnScreen();
    placed_ = true;
  }
  form_.Show();
  Layout();
}

void DrawWindow::FitOnScreen() {
  QScreen* screen = form_.Window() ? form_.Window()->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen || form_.WindowState() != forms::vbNormal) return;
  const QRect area = screen->availableGeometry();
  const int tpp = forms::kTwipsPerPixel;
  const int areaLeft = area.x() * tpp, areaTop = area.y() * tpp;
  const int areaWidth = area.width() * tpp, areaHeight = area.height() * tpp;
  const int width = std::min(form_.Width(), areaWidth);
  const int height = std::min(form_.Height(), areaHeight);
  form_.Move(areaLeft + (areaWidth - width) / 2, areaTop + (areaHeight - height) / 2, width, height);
}

void DrawWindow::SetVisible(bool visible) {
  if (visible) {
    Show();
  } else {
    form_.Hide();
  }
}

void DrawWindow::SetWindowState(int state) {
  if (state == 3) {
    form_.SetWindowState(forms::vbMaximized);
  } else if (state == 2) {
    form_.SetWindowState(forms::vbMinimized);
  } else if (state == 1) {
    form_.SetWindowState(forms::vbNormal);
  } else {
    throw Failure{5, "Invalid window state " + std::to_string(state)};
  }
}

bool DrawWindow::Maximized() const { return form_.WindowState() == forms::vbMaximized; }

std::uint64_t DrawWindow::Handle() const { return static_cast<std::uint64_t>(form_.Window()->winId()); }

void DrawWindow::Activate() {
  if (!form_.Visible()) Show();
  if (form_.WindowState() == forms::vbMinimized) form_.SetWindowState(forms::vbNormal);
  form_.Window()->raise();
  form_.Window()->activateWindow();
  if (events_.activated) events_.activated(*this);
}

std::string DrawWindow::EntityName(int index) const {
  return NameOfKind(drawing_.entities.at(static_cast<std::size_t>(index)).kind);
}

std::string DrawWindow::TextString(int index) const {
  const viewer::Entity& e = drawing_.entities.at(static_cast<std::size_t>(index));
  return e.IsText() ? drawing_.TextOf(e) : std::string();
}

void DrawWindow::Refresh() {
  form_.SetCaption("KorvaloDraw - [" + title_ + "]");
  if (done_) {
    status_.SetCaption("Select objects: click adds, Shift+click removes, drag a box around them; "
                       "Enter ends, Escape cancels. Selected: " +
                       std::to_string(selected_.size()));
  } else {
    status_.SetCaption("Ready");
  }
}

void DrawWindow::BeginSelection(SelectionDone done) {
  done_ = std::move(done);
  selected_.clear();
  pressed_ = false;
  Activate();
  Refresh();
}

void DrawWindow::AbandonSelection() {
  if (!done_) return;
  done_ = nullptr;
  selected_.clear();
  viewer_.ViewerSetColorAll("#", viewer::kColourByLayer);
  Refresh();
}

void DrawWindow::EndSelection(bool closed) {
  SelectionDone done = std::move(done_);
  done_ = nullptr;
  const std::vector<int> selected = closed ? std::vector<int>{} : selected_;
  selected_.clear();
  viewer_.ViewerSetColorAll("#", viewer::kColourByLayer);
  Refresh();
  if (done) done(closed, selected);
}

void DrawWindow::Add(int entity) {
  if (std::find(selected_.begin(), selected_.end(), entity) != selected_.end()) return;
  selected_.push_back(entity);
  viewer_.ViewerHighlightEntity("#" + std::to_string(layers_ + entity), viewer::kHighlightStandOut);
}

void DrawWindow::Remove(int entity) {
  const auto it = std::find(selected_.begin(), selected_.end(), entity);
  if (it == selected_.end()) return;
  selected_.erase(it);
  // Highlights are cleared all at once; the others are drawn again.
  viewer_.ViewerSetColorAll("#", viewer::kColourByLayer);
  for (const int e : selected_) {
    viewer_.ViewerHighlightEntity("#" + std::to_string(layers_ + e), viewer::kHighlightStandOut);
  }
}

int DrawWindow::EntityAt(double x, double y) const {
  auto& v = const_cast<viewer::DrawingViewer&>(viewer_);
  int first = -1;
  for (long start = 0;;) {
    v.ViewerFindEntityAt(x, y, start);
    if (!v.ViewerEntityFound()) break;
    const long listed = v.ViewerNextIndex() - 1;
    const int entity = static_cast<int>(listed - layers_);
    if (entity < 0 || entity >= EntityCount()) break;
    if (drawing_.entities[static_cast<std::size_t>(entity)].IsText()) return entity;
    if (first < 0) first = entity;
    start = listed + 1;
  }
  return first;
}

double DrawWindow::UnitsPerPixel() const {
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  ViewWindow(xmin, ymin, xmax, ymax);
  const double pixels = std::max(1, viewer_.Width() / 15);
  return (xmax - xmin) / pixels;
}

void DrawWindow::ViewWindow(double& xmin, double& ymin, double& xmax, double& ymax) const {
  double zoom = 0, sixth = 0;
  viewer_.ViewerGetView(xmin, ymin, xmax, ymax, zoom, sixth);
}

void DrawWindow::MouseDown(int button, double x, double y, bool) {
  if (button == 4) {
    panning_ = true;
    panX_ = x;
    panY_ = y;
  } else if (button == 1 && done_) {
    pressed_ = true;
    pressX_ = x;
    pressY_ = y;
  }
}

void DrawWindow::MouseMove(double x, double y) {
  hasCursor_ = true;
  cursorX_ = x;
  cursorY_ = y;
  if (!panning_) return;
  // The point grabbed stays under the cursor.
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  ViewWindow(xmin, ymin, xmax, ymax);
  viewer_.ViewerSetCenter((xmin + xmax) / 2 + (panX_ - x), (ymin + ymax) / 2 + (panY_ - y));
}

void DrawWindow::MouseUp(int button, double x, double y, bool shift) {
  if (button == 4) {
    panning_ = false;
    return;
  }
  if (button != 1 || !pressed_ || !done_) return;
  pressed_ = false;
  const double tolerance = kClickPixels * UnitsPerPixel();
  if (std::abs(x - pressX_) <= tolerance && std::abs(y - pressY_) <= tolerance) {
    const int entity = EntityAt(x, y);
    if (entity >= 0) {
      if (shift) {
        Remove(entity);
      } else {
        Add(entity);
      }
    }
  } else {
    const double x0 = std::min(x, pressX_), x1 = std::max(x, pressX_);
    const double y0 = std::min(y, pressY_), y1 = std::max(y, pressY_);
    for (int i = 0; i < EntityCount(); ++i) {
      const viewer::Entity& e = drawing_.entities[static_cast<std::size_t>(i)];
      const viewer::Layer& layer = drawing_.layers.at(static_cast<std::size_t>(e.layer));
      if (layer.state != viewer::kLayerShown || e.box.empty) continue;
      if (e.box.xmin >= x0 && e.box.xmax <= x1 && e.box.ymin >= y0 && e.box.ymax <= y1) Add(i);
    }
  }
  Refresh();
}

void DrawWindow::Wheel(int delta) {
  if (delta == 0) return;
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  ViewWindow(xmin, ymin, xmax, ymax);
  const double cx = hasCursor_ ? cursorX_ : (xmin + xmax) / 2;
  const double cy = hasCursor_ ? cursorY_ : (ymin + ymax) / 2;
  // One notch away from the user shows the window 0.8 times as large about
  // the cursor.
  const double f = std::pow(0.8, delta / 120.0);
  viewer_.ViewerZoomWindow(cx + (xmin - cx) * f, cy + (ymin - cy) * f, cx + (xmax - cx) * f,
                           cy + (ymax - cy) * f);
}

bool DrawWindow::KeyPressed(Key key) {
  if (!done_) return false;
  if (key == Key::Escape) selected_.clear();
  EndSelection(false);
  return true;
}

void DrawWindow::CloseByUser() { form_.Window()->close(); }

}  // namespace korvalo::draw

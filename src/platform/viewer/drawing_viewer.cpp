#include "platform/viewer/drawing_viewer.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QWheelEvent>
#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/forms/errors.h"
#include "platform/forms/units.h"
#include "platform/viewer/memory_backing.h"
#include "platform/viewer/reader.h"
#include "platform/viewer/viewer_state.h"

namespace korvalo::viewer {
namespace {

std::atomic<long> g_nextHwnd{0x1000};

int Button(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

}  // namespace

// Input from the widget, under the forms layer's guard.
struct ViewerInput {
  static void Arm(DrawingViewer& v, bool on);
  static void Press(DrawingViewer& v, QMouseEvent* e) {
    auto& s = *v.state_;
    const QPointF at = e->position();
    if (s.areaArmed && e->button() == Qt::LeftButton && s.open) {
      s.banding = true;
      s.bandStart = s.bandEnd = at;
      return;
    }
    if (s.banding) return;
    const int button = Button(e->button());
    if (button == 0 || !v.OnViewerMouseDown) return;
    const double x = s.view.DrawingX(at.x()), y = s.view.DrawingY(at.y());
    DrawingViewer::RaiseEvent([&] { v.OnViewerMouseDown(button, x, y); });
  }
  static void MoveTo(DrawingViewer& v, QMouseEvent* e) {
    auto& s = *v.state_;
    const QPointF at = e->position();
    if (s.banding) {
      s.bandEnd = at;
      if (QWidget* w = v.Widget()) w->update();
      return;
    }
    if (!v.OnViewerMouseMove) return;
    const double x = s.view.DrawingX(at.x()), y = s.view.DrawingY(at.y());
    DrawingViewer::RaiseEvent([&] { v.OnViewerMouseMove(x, y); });
  }
  static void Release(DrawingViewer& v, QMouseEvent* e) {
    auto& s = *v.state_;
    const QPointF at = e->position();
    if (s.banding) {
      if (e->button() != Qt::LeftButton) return;
      s.banding = false;
      Arm(v, false);
      const View& view = s.view;
      const double x1 = view.DrawingX(s.bandStart.x()), y1 = view.DrawingY(s.bandStart.y());
      const double x2 = view.DrawingX(at.x()), y2 = view.DrawingY(at.y());
      if (s.view.ZoomWindow(x1, y1, x2, y2)) {
        v.Invalidate();
        v.ViewChanged();
      } else if (QWidget* w = v.Widget()) {
        w->update();
      }
      return;
    }
    const int button = Button(e->button());
    if (button == 0 || !v.OnViewerMouseUp) return;
    const double x = s.view.DrawingX(at.x()), y = s.view.DrawingY(at.y());
    DrawingViewer::RaiseEvent([&] { v.OnViewerMouseUp(button, x, y); });
  }
  static void Wheel(DrawingViewer& v, QWheelEvent* e) {
    const int delta = e->angleDelta().y();
    if (delta == 0 || !v.OnViewerWheel) return;
    DrawingViewer::RaiseEvent([&] { v.OnViewerWheel(delta); });
  }
  static void Escape(DrawingViewer& v) {
    auto& s = *v.state_;
    if (!s.areaArmed && !s.banding) return;
    Arm(v, false);
    s.banding = false;
    if (QWidget* w = v.Widget()) w->update();
  }
  // The picture without highlights and band, made anew when out of date.
  static const QImage& Cache(DrawingViewer& v) {
    auto& s = *v.state_;
    v.SyncPixels();
    const View& view = s.view;
    const QSize size(view.PixelWidth(), view.PixelHeight());
    if (!s.cacheValid || s.cache.size() != size) {
      if (s.cache.size() != size) {
        s.cache = QImage(size, QImage::Format_ARGB32_Premultiplied);
        PrepareToFill(s.cache.bits(), static_cast<std::size_t>(s.cache.sizeInBytes()));
      }
      PaintDrawingInto(s.cache, s, view);
      s.cacheValid = true;
    }
    return s.cache;
  }
  static void Paint(DrawingViewer& v, QPainter& p) {
    auto& s = *v.state_;
    const View& view = s.view;
    if (s.open) {
      p.drawImage(0, 0, Cache(v));
    } else {
      // Without a drawing the back colour is all: no picture is made and kept.
      v.SyncPixels();
      PaintDrawing(p, s, view);
    }
    PaintHighlights(p, s, view);
    if (s.banding) {
      QPen pen(QColor::fromRgb(~s.colours.back & 0xFFFFFF));
      pen.setStyle(Qt::DashLine);
      p.setPen(pen);
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(s.bandStart, s.bandEnd).normalized());
    }
  }
};

namespace {

// Escape pressed anywhere in the program while an area zoom is armed.
class EscapeWatch : public QObject {
 public:
  explicit EscapeWatch(DrawingViewer& viewer) : viewer_(viewer) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
      forms::HostedControl::QtEntry entry;
      ViewerInput::Escape(viewer_);
      return true;
    }
    return QObject::eventFilter(watched, e);
  }

 private:
  DrawingViewer& viewer_;
};

}  // namespace

void ViewerInput::Arm(DrawingViewer& v, bool on) {
  auto& s = *v.state_;
  s.areaArmed = on;
  if (!on) {
    s.escapeWatch.reset();
  } else if (!s.escapeWatch && QCoreApplication::instance()) {
    s.escapeWatch = std::make_unique<EscapeWatch>(v);
    QCoreApplication::instance()->installEventFilter(s.escapeWatch.get());
  }
}

// --- the widget -------------------------------------------------------------------

ViewerWidget::ViewerWidget(DrawingViewer& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}
ViewerWidget::~ViewerWidget() = default;

void ViewerWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  ViewerInput::Paint(owner_, p);
}
void ViewerWidget::mousePressEvent(QMouseEvent* e) {
  forms::HostedControl::QtEntry entry;
  setFocus(Qt::MouseFocusReason);
  ViewerInput::Press(owner_, e);
  e->accept();
}
void ViewerWidget::mouseMoveEvent(QMouseEvent* e) {
  forms::HostedControl::QtEntry entry;
  ViewerInput::MoveTo(owner_, e);
  e->accept();
}
void ViewerWidget::mouseReleaseEvent(QMouseEvent* e) {
  forms::HostedControl::QtEntry entry;
  ViewerInput::Release(owner_, e);
  e->accept();
}
void ViewerWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  // The second press of a double click is a press of its own.
  mousePressEvent(e);
}
void ViewerWidget::wheelEvent(QWheelEvent* e) {
  forms::HostedControl::QtEntry entry;
  ViewerInput::Wheel(owner_, e);
  e->accept();
}
void ViewerWidget::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    forms::HostedControl::QtEntry entry;
    ViewerInput::Escape(owner_);
    e->accept();
    return;
  }
  QWidget::keyPressEvent(e);
}

// --- the control ----------------------------------------------------------------------

DrawingViewer::DrawingViewer(forms::Container& container, const std::string& name)
    : HostedControl(container, name), state_(std::make_unique<State>()), hwnd_(++g_nextHwnd) {
  SyncPixels();
}

DrawingViewer::~DrawingViewer() {
  overview_.reset();
  // The widget goes before the state it paints from.
  delete Widget();
}

QWidget* DrawingViewer::MakeWidget(QWidget* parent) { return new ViewerWidget(*this, parent); }

void DrawingViewer::SyncPixels() {
  const int w = forms::PixelsFromTwips(Width()), h = forms::PixelsFromTwips(Height());
  if (w != state_->view.PixelWidth() || h != state_->view.PixelHeight()) {
    state_->view.SetPixels(w, h);
    state_->cacheValid = false;
  }
}

void DrawingViewer::Resized() {
  const int w = state_->view.PixelWidth(), h = state_->view.PixelHeight();
  SyncPixels();
  if (w == state_->view.PixelWidth() && h == state_->view.PixelHeight()) return;
  Invalidate();
  if (state_->open) ViewChanged();
}

void DrawingViewer::Invalidate() {
  state_->cacheValid = false;
  if (QWidget* w = Widget()) w->update();
  if (overview_) overview_->Update();
}

void DrawingViewer::ViewChanged() {
  if (OnViewerViewChanged) RaiseEvent([this] { OnViewerViewChanged(); });
}

bool DrawingViewer::ViewerDrawingOpen() const { return state_->open; }

void DrawingViewer::ViewerCloseDrawing() {
  State& s = *state_;
  s.open = false;
  s.shared = NoDrawing();
  s.layerShown.clear();
  s.highlights.clear();
  s.view.Clear();
  ViewerInput::Arm(*this, false);
  s.banding = false;
  current_ = -1;
  found_ = false;
  nextIndex_ = 0;
  Invalidate();
}

void DrawingViewer::ViewerResetDrawing() { ViewerCloseDrawing(); }

void DrawingViewer::ViewerLoadFile(std::string& path, long, const std::string&) {
  // The file is read once for every viewer and layer table holding it.
  ReadError error;
  std::shared_ptr<const SharedDrawing> read = ReadSharedDrawing(path, error);
  lastErrorNumber_ = read ? 0 : error.number;
  lastErrorText_ = read ? std::string() : error.description;
  if (!read) throw forms::RuntimeError(error.number, error.description);
  ViewerCloseDrawing();
  State& s = *state_;
  s.shared = std::move(read);
  s.open = true;
  for (const Layer& layer : s.drawing().layers) s.layerShown.push_back(layer.state == kLayerShown ? 1 : 0);
  SyncPixels();
  s.view.SetDrawing(s.drawing().extents);
  Invalidate();
}

std::string DrawingViewer::ViewerLoadNotice() const {
  return state_->open ? LoadNotice(state_->drawing()) : std::string();
}

void DrawingViewer::ViewerDwgLoaded(std::string&) {}
void DrawingViewer::ViewerSetImportLibrary(const std::string&) {}
long DrawingViewer::ViewerImportHandle() { return hwnd_; }
void DrawingViewer::ViewerSetWorkFile(const std::string&, long) {}
void DrawingViewer::ViewerSetDisplayMode(long) {}

void DrawingViewer::ViewerSetup(int number, const std::vector<SetupArgument>&) {
  switch (number) {
    case 3: case 10: case 35: case 41: case 131: case 166: case 176:
      return;
    default:
      throw forms::RuntimeError(438, "Object doesn't support this property or method");
  }
}

long DgnImport(std::string&, long, const std::string&) { return 1; }

// --- layers and colours ---------------------------------------------------------------

void DrawingViewer::ViewerLayerOn(const std::string& layer) {
  State& s = *state_;
  const int i = s.drawing().FindLayer(layer);
  if (i < 0 || s.drawing().layers[static_cast<std::size_t>(i)].state == kLayerFrozen) return;
  s.layerShown[static_cast<std::size_t>(i)] = 1;
  Invalidate();
}

void DrawingViewer::ViewerLayerOff(const std::string& layer) {
  State& s = *state_;
  const int i = s.drawing().FindLayer(layer);
  if (i < 0) return;
  s.layerShown[static_cast<std::size_t>(i)] = 0;
  Invalidate();
}

void DrawingViewer::ViewerSetBackColor(long red, long green, long blue) {
  auto part = [](long v) { return static_cast<std::uint32_t>(std::clamp(v, 0L, 255L)); };
  state_->colours.back = (part(red) << 16) | (part(green) << 8) | part(blue);
  Invalidate();
}

void DrawingViewer::ViewerSetColorAll(const std::string&, long code) {
  state_->colours.code = code;
  state_->highlights.clear();
  Invalidate();
}

void DrawingViewer::ViewerRedraw() { Invalidate(); }
void DrawingViewer::ViewerRegen(long) { Invalidate(); }

// --- the view ---------------------------------------------------------------------------

void DrawingViewer::ViewerZoom(long code) {
  State& s = *state_;
  if (!s.open) return;
  SyncPixels();
  bool changed = true;
  switch (code) {
    case 1: s.view.ZoomAboutCentre(2.0); break;
    case -1: s.view.ZoomAboutCentre(0.5); break;
    case 2:
      ViewerInput::Arm(*this, true);
      s.banding = false;
      changed = false;
      break;
    case -2: changed = s.view.Previous(); break;
    case 100: s.view.Whole(); break;
    default: changed = false; break;
  }
  if (!changed) return;
  Invalidate();
  ViewChanged();
}

void DrawingViewer::ViewerZoomWindow(double xmin, double ymin, double xmax, double ymax) {
  SyncPixels();
  if (!state_->view.ZoomWindow(xmin, ymin, xmax, ymax)) return;
  Invalidate();
  ViewChanged();
}

void DrawingViewer::ViewerGetView(double& xmin, double& ymin, double& xmax, double& ymax, double& zoom,
                                  double& sixth) const {
  const_cast<DrawingViewer*>(this)->SyncPixels();
  const ViewRect r = state_->view.Visible();
  xmin = r.xmin;
  ymin = r.ymin;
  xmax = r.xmax;
  ymax = r.ymax;
  zoom = state_->view.ZoomFactor();
  sixth = 0;
}

void DrawingViewer::ViewerSetCenter(double x, double y) {
  SyncPixels();
  if (!state_->view.SetCentre(x, y)) return;
  Invalidate();
  ViewChanged();
}

// --- pictures -----------------------------------------------------------------------------

DrawingViewer::Picture DrawingViewer::ViewerPicture() const {
  auto* self = const_cast<DrawingViewer*>(this);
  const QImage& cache = ViewerInput::Cache(*self);
  QImage painted;
  const QImage* image = &cache;
  if (!state_->highlights.empty() || state_->banding) {
    painted = QImage(cache.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&painted);
    ViewerInput::Paint(*self, p);
    image = &painted;
  }
  // Every pixel is opaque: premultiplied and straight colours are the same.
  Picture picture;
  picture.width = image->width();
  picture.height = image->height();
  const std::size_t count = static_cast<std::size_t>(picture.width) * picture.height;
  picture.pixels.reserve(count);
  PrepareToFill(picture.pixels.data(), count * sizeof(std::uint32_t));
  for (int y = 0; y < picture.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(image->constScanLine(y));
    picture.pixels.insert(picture.pixels.end(), row, row + picture.width);
  }
  return picture;
}

}  // namespace korvalo::viewer

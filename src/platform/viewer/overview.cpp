// The viewer's overview window: the whole drawing and the view's rectangle;
// a press centres the view on the point pressed.

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QWheelEvent>

#include "platform/forms/form.h"
#include "platform/forms/hosted.h"
#include "platform/viewer/viewer_state.h"

namespace korvalo::viewer {
namespace {
constexpr int kOverviewWidth = 200;
constexpr int kOverviewHeight = 150;
}  // namespace

class OverviewWindow::Widget : public QWidget {
 public:
  explicit Widget(OverviewWindow& owner) : QWidget(nullptr, Qt::Window), owner_(owner) {
    resize(kOverviewWidth, kOverviewHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

  View WholeView() const {
    const DrawingViewer::State& s = *owner_.viewer_.state_;
    View view;
    view.SetPixels(width(), height());
    if (s.open) view.SetDrawing(s.drawing().extents);
    return view;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const DrawingViewer::State& s = *owner_.viewer_.state_;
    const View view = WholeView();
    QPainter p(this);
    p.drawImage(0, 0, Picture(s, view));
    if (!s.open) return;
    const ViewRect r = s.view.Visible();
    p.setPen(QPen(QColor::fromRgb(kStandOutRgb >> 16, 0, 0)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(QPointF(view.PixelX(r.xmin), view.PixelY(r.ymax)), QPointF(view.PixelX(r.xmax), view.PixelY(r.ymin))));
  }
  // The wheel over the overview is the viewer's: the program zooms with it.
  void wheelEvent(QWheelEvent* e) override {
    forms::HostedControl::QtEntry entry;
    e->accept();
    DrawingViewer& v = owner_.viewer_;
    const int delta = e->angleDelta().y();
    if (delta == 0 || !v.OnViewerWheel) return;
    DrawingViewer::RaiseEvent([&] { v.OnViewerWheel(delta); });
  }
  void mousePressEvent(QMouseEvent* e) override {
    forms::HostedControl::QtEntry entry;
    e->accept();
    if (e->button() != Qt::LeftButton) return;
    const View view = WholeView();
    owner_.viewer_.ViewerSetCenter(view.DrawingX(e->position().x()), view.DrawingY(e->position().y()));
  }

 private:
  // The whole drawing, painted again only when what it shows changes: a pan
  // or zoom of the viewer moves just the rectangle.
  const QImage& Picture(const DrawingViewer::State& s, const View& view) {
    const QSize size(view.PixelWidth(), view.PixelHeight());
    const bool same = picture_.size() == size && paintedOpen_ == s.open && !painted_.expired() &&
                      painted_.lock() == s.shared && paintedLayers_ == s.layerShown &&
                      paintedColours_.back == s.colours.back && paintedColours_.code == s.colours.code;
    if (same) return picture_;
    if (picture_.size() != size) picture_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    if (picture_.isNull()) return picture_;
    QPainter p(&picture_);
    PaintDrawing(p, s, view);
    painted_ = s.shared;
    paintedOpen_ = s.open;
    paintedLayers_ = s.layerShown;
    paintedColours_ = s.colours;
    return picture_;
  }

  OverviewWindow& owner_;
  QImage picture_;
  std::weak_ptr<const SharedDrawing> painted_;
  bool paintedOpen_ = false;
  std::vector<char> paintedLayers_;
  PaintColours paintedColours_;
};

OverviewWindow::OverviewWindow(DrawingViewer& viewer) : viewer_(viewer), widget_(new Widget(*this)) {
  widget_->setWindowTitle(QString::fromStdString(caption_));
  // The window it belongs to may go first and take it along.
  QObject::connect(widget_, &QObject::destroyed, [this] { widget_ = nullptr; });
}

OverviewWindow::~OverviewWindow() { delete widget_; }

namespace {

bool Framed(const QWidget& w) { return w.frameGeometry() != w.geometry(); }

QMargins Margins(const QWidget& w) {
  const QRect outer = w.frameGeometry();
  const QRect inner = w.geometry();
  return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                  outer.bottom() - inner.bottom());
}

// The frame the window manager puts round the window, as far as it is known.
// Until the manager has framed a window (just after it is first shown, or
// shown again in a new owner), Qt knows no frame: a move then places the
// inner area at the point, and the frame would end a title bar higher than
// asked. Such a window is taken to get the frame of another window of the
// program that the manager shows restored (a maximised one may lack its
// side borders).
QMargins FrameOf(const QWidget& w) {
  if (Framed(w)) return Margins(w);
  const QWidget* like = nullptr;
  for (const QWidget* other : QApplication::topLevelWidgets()) {
    if (other == &w || !other->isVisible() || !Framed(*other)) continue;
    if (!like || (like->isMaximized() && !other->isMaximized())) like = other;
  }
  return like ? Margins(*like) : QMargins();
}

}  // namespace

// The point is the frame's top left corner, framed or not yet.
void OverviewWindow::Move(int x, int y) {
  if (!widget_) return;
  if (Framed(*widget_)) {
    widget_->move(x, y);
    return;
  }
  const QMargins m = FrameOf(*widget_);
  widget_->setGeometry(x + m.left(), y + m.top(), widget_->width(), widget_->height());
}

OverviewWindow::Rect OverviewWindow::ScreenRect() const {
  if (!widget_) return {};
  const QRect r = widget_->geometry().marginsAdded(FrameOf(*widget_));
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void OverviewWindow::Show() {
  if (!widget_) return;
  // A window of the viewer's top-level window: it stays above it while open,
  // also when the user clicks that window, and showing it does not take the
  // focus.
  QWidget* owner = viewer_.ParentForm().Window()->window();
  if (widget_->parentWidget() != owner) {
    const QPoint at = widget_->pos();
    widget_->setParent(owner, Qt::Tool);
    widget_->setAttribute(Qt::WA_ShowWithoutActivating);
    Move(at.x(), at.y());
  }
  widget_->show();
  widget_->update();
}
void OverviewWindow::Hide() {
  if (widget_) widget_->hide();
}
bool OverviewWindow::Visible() const { return widget_ && widget_->isVisible(); }
bool OverviewWindow::Active() const { return widget_ && widget_->isActiveWindow(); }

void OverviewWindow::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (widget_) widget_->setWindowTitle(QString::fromStdString(caption));
}

void OverviewWindow::Update() {
  if (widget_) widget_->update();
}

OverviewWindow& DrawingViewer::ViewerShowOverview() {
  if (!overview_) overview_.reset(new OverviewWindow(*this));
  overview_->Show();
  return *overview_;
}

}  // namespace korvalo::viewer

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/forms/controls.h"
#include "platform/forms/widgets.h"

// The picture box: its drawing surface, its kept image and its widget.
namespace korvalo::forms {

using detail::Access;

namespace {

// Strokes wait in the widget until its image is painted or read; past this
// many they are drawn at once, so that a box drawn again and again without
// being cleared or shown does not keep them all.
constexpr std::size_t kMaxWaitingStrokes = 4096;

}  // namespace

// Turns every drawing call into a stroke on the kept image of the picture box
// and passes it to the tap as well.
class PictureBox::Surface : public Canvas {
 public:
  explicit Surface(PictureBox& owner) : owner_(owner) {}
  void Clear() override {
    if (tap) tap->Clear();
    auto* c = Inner();
    if (!c) return;
    c->background = detail::ToQColor(owner_.BackColor());
    c->Clear();
  }
  void Line(double x1, double y1, double x2, double y2, Colour colour) override {
    if (tap) tap->Line(x1, y1, x2, y2, colour);
    detail::Stroke s = NewStroke(detail::Stroke::Kind::Line, colour);
    s.p1 = QPointF(x1 / kTwipsPerPixel, y1 / kTwipsPerPixel);
    s.p2 = QPointF(x2 / kTwipsPerPixel, y2 / kTwipsPerPixel);
    Queue(s);
  }
  void Rectangle(double x1, double y1, double x2, double y2, Colour colour) override {
    if (tap) tap->Rectangle(x1, y1, x2, y2, colour);
    detail::Stroke s = NewStroke(detail::Stroke::Kind::Rectangle, colour);
    s.box = QRectF(QPointF(x1 / kTwipsPerPixel, y1 / kTwipsPerPixel), QPointF(x2 / kTwipsPerPixel, y2 / kTwipsPerPixel))
                .normalized();
    Queue(s);
  }
  void Arc(double cx, double cy, double radius, double startAngle, double endAngle, Colour colour) override {
    if (tap) tap->Arc(cx, cy, radius, startAngle, endAngle, colour);
    // An arc that has no finite place or size is not drawn.
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(radius) || !std::isfinite(startAngle) ||
        !std::isfinite(endAngle)) {
      return;
    }
    const double twoPi = 6.28318530717958;
    double span = endAngle - startAngle;
    if (span < 0 || span > twoPi) {
      // Whole turns taken off at once: many turns do not keep the loop busy.
      span = std::fmod(span, twoPi);
      if (span < 0) span += twoPi;
    }
    startAngle = std::fmod(startAngle, twoPi);
    const double r = radius / kTwipsPerPixel;
    detail::Stroke s = NewStroke(detail::Stroke::Kind::Arc, colour);
    s.box = QRectF(cx / kTwipsPerPixel - r, cy / kTwipsPerPixel - r, 2 * r, 2 * r);
    s.start16 = static_cast<int>(std::lround(startAngle * 180.0 / 3.14159265358979 * 16.0));
    s.span16 = static_cast<int>(std::lround(span * 180.0 / 3.14159265358979 * 16.0));
    Queue(s);
  }
  Canvas* tap = nullptr;

 private:
  detail::CanvasWidget* Inner() { return static_cast<detail::CanvasWidget*>(owner_.ContentWidget()); }
  detail::Stroke NewStroke(detail::Stroke::Kind kind, Colour colour) const {
    detail::Stroke s;
    s.kind = kind;
    s.colour = detail::ToQColor(colour);
    s.width = std::max(1, owner_.DrawWidth());
    return s;
  }
  // The stroke falls on the image at its size of this moment: the image is
  // fitted to the widget now, and strokes still waiting are drawn before it
  // changes size again.
  void Queue(const detail::Stroke& s) {
    auto* c = Inner();
    if (!c) return;
    c->FitImage();
    if (c->image.isNull()) return;
    if (c->waiting.empty()) c->update();
    c->waiting.push_back(s);
    if (c->waiting.size() >= kMaxWaitingStrokes) c->DrawWaiting();
  }
  PictureBox& owner_;
};

// Picture boxes make their widget at once: what is drawn is kept in it.
PictureBox::PictureBox(Container& container, const std::string& name) : Control(container, name) {
  ownContent_ = this;
  surface_ = std::make_unique<Surface>(*this);
  Realised();
}

QWidget* PictureBox::CreateWidget(QWidget* parent) {
  auto* outer = new detail::FrameWidget(this, parent);
  outer->setAutoFillBackground(false);
  outer->setFocusPolicy(Qt::StrongFocus);
  outer->setFrameStyle(borderStyle_ == 0 ? QFrame::NoFrame : (QFrame::Panel | QFrame::Sunken));
  outer->setLineWidth(2);
  auto* inner = new detail::CanvasWidget(this, outer);
  inner->reportKeys = false;
  inner->background = detail::ToQColor(vbButtonFace);
  content_ = inner;
  return outer;
}

PictureBox::~PictureBox() { ownContent_ = nullptr; }

int PictureBox::ScaleWidth() const { return std::max(0, Width() - (borderStyle_ ? 4 * kTwipsPerPixel : 0)); }
int PictureBox::ScaleHeight() const { return std::max(0, Height() - (borderStyle_ ? 4 * kTwipsPerPixel : 0)); }

void PictureBox::SetBorderStyle(int style) {
  borderStyle_ = style;
  if (auto* w = static_cast<QFrame*>(Widget()))
    w->setFrameStyle(style == 0 ? QFrame::NoFrame : (QFrame::Panel | QFrame::Sunken));
  Access::PlaceWidget(*this);
}

void PictureBox::SetDrawWidth(int pixels) { drawWidth_ = std::max(1, pixels); }

Canvas& PictureBox::Drawing() { return *surface_; }

void PictureBox::SetCanvasTap(Canvas* tap) { surface_->tap = tap; }

PictureBox::Image PictureBox::KeptImage() const {
  Image out;
  auto* inner = static_cast<detail::CanvasWidget*>(ContentWidget());
  if (!inner) return out;
  inner->FitImage();
  inner->DrawWaiting();
  if (inner->image.isNull()) return out;
  const QImage argb = inner->image.convertToFormat(QImage::Format_ARGB32);
  out.width = argb.width();
  out.height = argb.height();
  out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
  for (int y = 0; y < out.height; ++y) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y));
    std::copy(line, line + out.width, out.pixels.begin() + static_cast<std::ptrdiff_t>(y) * out.width);
  }
  return out;
}

void PictureBox::ApplyColours() {
  auto* inner = static_cast<detail::CanvasWidget*>(ContentWidget());
  if (!inner) return;
  inner->background = detail::ToQColor(BackColor());
}

std::unique_ptr<PictureBox> PictureBox::CloneElement(int) const {
  auto c = std::make_unique<PictureBox>(Parent(), Name());
  c->CopyCommon(*this);
  if (borderStyle_ != 1) c->SetBorderStyle(borderStyle_);
  c->drawWidth_ = drawWidth_;
  c->ApplyColours();
  return c;
}

// --- the inner widget ----------------------------------------------------------

void detail::CanvasWidget::paintEvent(QPaintEvent*) {
  DrawWaiting();
  QPainter p(this);
  p.fillRect(rect(), background);
  if (!image.isNull()) p.drawImage(0, 0, image);
}

void detail::CanvasWidget::resizeEvent(QResizeEvent*) { FitImage(); }

void detail::CanvasWidget::FitImage() {
  if (size().isEmpty()) return;
  if (image.size() == size()) return;
  // Strokes drawn before the change of size fall on the image as it was.
  DrawWaiting();
  QImage next(size(), QImage::Format_RGB32);
  next.fill(background);
  if (!image.isNull()) {
    QPainter p(&next);
    p.drawImage(0, 0, image);
  }
  image = std::move(next);
}

void detail::CanvasWidget::Clear() {
  // Whatever still waits would be covered by the fill.
  waiting.clear();
  FitImage();
  image.fill(background);
  update();
}

void detail::CanvasWidget::DrawWaiting() {
  if (waiting.empty()) return;
  if (image.isNull()) {
    waiting.clear();
    return;
  }
  QPainter p(&image);
  // A clip of the whole image changes no pixel, but lets the raster engine
  // write thin lines straight into the image instead of one pixel span at a
  // time (lines running up to the right were ten times slower without it).
  p.setClipRect(image.rect());
  p.setBrush(Qt::NoBrush);
  // Lines and borders fall on whole pixels, as the windows expect; arcs
  // are smoothed. Pen and smoothing are set only when they change: every
  // change makes the painter prepare its pen again.
  p.setRenderHint(QPainter::Antialiasing, false);
  bool smooth = false;
  QPen pen;
  bool penSet = false;
  for (const Stroke& s : waiting) {
    if (!penSet || pen.color() != s.colour || pen.width() != s.width) {
      pen = QPen(s.colour);
      pen.setWidth(s.width);
      p.setPen(pen);
      penSet = true;
    }
    if (smooth != (s.kind == Stroke::Kind::Arc)) {
      smooth = !smooth;
      p.setRenderHint(QPainter::Antialiasing, smooth);
    }
    switch (s.kind) {
      case Stroke::Kind::Line:
        p.drawLine(s.p1, s.p2);
        break;
      case Stroke::Kind::Rectangle:
        p.drawRect(s.box);
        break;
      case Stroke::Kind::Arc:
        p.drawArc(s.box, s.start16, s.span16);
        break;
    }
  }
  waiting.clear();
}

}  // namespace korvalo::forms

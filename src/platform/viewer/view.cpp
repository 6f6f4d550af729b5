#include "platform/viewer/view.h"

#include <algorithm>
#include <cmath>

namespace korvalo::viewer {
namespace {
constexpr std::size_t kHistoryLimit = 100;
constexpr double kWholeMargin = 1.04;  // the whole view leaves 2% each side
}  // namespace

void View::SetPixels(int width, int height) {
  width = std::max(1, width);
  height = std::max(1, height);
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  // The whole drawing stays whole at the new size; any other view keeps its
  // centre and scale.
  if (whole_ && hasDrawing_) {
    Apply((extents_.xmin + extents_.xmax) / 2, (extents_.ymin + extents_.ymax) / 2, WholeScale());
    whole_ = true;
  }
}

void View::Clear() {
  hasDrawing_ = false;
  extents_ = Bounds();
  history_.clear();
  cx_ = cy_ = 0.5;
  scale_ = 1;
  whole_ = false;
}

void View::SetDrawing(const Bounds& extents) {
  Clear();
  hasDrawing_ = true;
  extents_ = extents;
  if (extents_.empty) extents_.Add(0, 0);
  Whole();
  history_.clear();
}

double View::WholeScale() const {
  double w = extents_.xmax - extents_.xmin, h = extents_.ymax - extents_.ymin;
  // A drawing without width or height still gets a window around it.
  if (w <= 0 && h <= 0) w = h = 1;
  const double scale = std::max(w / width_, h / height_) * kWholeMargin;
  return scale > 0 && std::isfinite(scale) ? scale : 1.0;
}

void View::Remember() {
  history_.push_back({cx_, cy_, scale_});
  if (history_.size() > kHistoryLimit) history_.erase(history_.begin());
}

bool View::Apply(double cx, double cy, double scale) {
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(scale) || scale <= 0) return false;
  // Beyond a billion times either way the numbers stop meaning anything.
  const double whole = WholeScale();
  scale = std::clamp(scale, whole * 1e-9, whole * 1e9);
  whole_ = false;
  cx_ = cx;
  cy_ = cy;
  scale_ = scale;
  return true;
}

void View::Whole() {
  if (!hasDrawing_) return;
  Remember();
  Apply((extents_.xmin + extents_.xmax) / 2, (extents_.ymin + extents_.ymax) / 2, WholeScale());
  whole_ = true;
}

void View::ZoomAboutCentre(double factor) {
  if (!hasDrawing_ || !(factor > 0)) return;
  Remember();
  Apply(cx_, cy_, scale_ / factor);
}

bool View::ZoomWindow(double x1, double y1, double x2, double y2) {
  if (!hasDrawing_) return false;
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return false;
  const double w = std::abs(x2 - x1), h = std::abs(y2 - y1);
  if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return false;
  const double scale = std::max(w / width_, h / height_);
  if (!(scale > 0) || !std::isfinite(scale)) return false;
  Remember();
  return Apply((x1 + x2) / 2, (y1 + y2) / 2, scale);
}

bool View::Previous() {
  if (!hasDrawing_ || history_.empty()) return false;
  const Saved s = history_.back();
  history_.pop_back();
  return Apply(s.cx, s.cy, s.scale);
}

bool View::SetCentre(double x, double y) {
  if (!hasDrawing_) return false;
  return Apply(x, y, scale_);
}

ViewRect View::Visible() const {
  if (!hasDrawing_) return {};
  const double hw = width_ * scale_ / 2, hh = height_ * scale_ / 2;
  return {cx_ - hw, cy_ - hh, cx_ + hw, cy_ + hh};
}

double View::ZoomFactor() const {
  if (!hasDrawing_) return kNoDrawingZoom;
  return WholeScale() / scale_;
}

}  // namespace korvalo::viewer

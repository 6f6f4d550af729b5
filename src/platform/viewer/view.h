#pragma once

// The view arithmetic of the drawing viewer: which part of the drawing the
// window shows, in drawing units with y up. The view is a centre and a
// scale (drawing units per pixel); the window's pixel size gives the
// visible rectangle, so a resize keeps centre and scale -- except for the
// whole drawing (Whole, and not moved since), which a resize fits again.

#include <vector>

#include "platform/viewer/drawing.h"

namespace korvalo::viewer {

struct ViewRect {
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};

class View {
 public:
  // The zoom factor reported while no drawing is open.
  static constexpr double kNoDrawingZoom = 99.0;

  void SetPixels(int width, int height);
  int PixelWidth() const { return width_; }
  int PixelHeight() const { return height_; }

  bool HasDrawing() const { return hasDrawing_; }
  // No drawing: every view call is ignored.
  void Clear();
  // A drawing with these extents, shown whole; the history starts empty.
  void SetDrawing(const Bounds& extents);

  // The whole drawing with a small margin.
  void Whole();
  // factor 2 halves the visible window about its centre, 0.5 doubles it.
  void ZoomAboutCentre(double factor);
  // Shows the window whole, centred, keeping the aspect of the pixels.
  // False (and nothing changes) for a window without area or with corners
  // that are not finite.
  bool ZoomWindow(double x1, double y1, double x2, double y2);
  // The view before the last zoom; false when there is none.
  bool Previous();
  // False when the point is not finite.
  bool SetCentre(double x, double y);

  ViewRect Visible() const;
  // The whole drawing's visible width over the visible width (1 in the
  // whole view); kNoDrawingZoom while no drawing is open.
  double ZoomFactor() const;
  double UnitsPerPixel() const { return scale_; }
  double CentreX() const { return cx_; }
  double CentreY() const { return cy_; }

  // Pixel coordinates (x right, y down from the top-left corner, pixel
  // centres at .5) and drawing coordinates.
  double PixelX(double x) const { return (x - cx_) / scale_ + width_ / 2.0; }
  double PixelY(double y) const { return height_ / 2.0 - (y - cy_) / scale_; }
  double DrawingX(double px) const { return cx_ + (px - width_ / 2.0) * scale_; }
  double DrawingY(double py) const { return cy_ + (height_ / 2.0 - py) * scale_; }

  std::size_t HistoryDepth() const { return history_.size(); }

 private:
  struct Saved {
    double cx, cy, scale;
  };
  double WholeScale() const;
  void Remember();
  bool Apply(double cx, double cy, double scale);

  int width_ = 1, height_ = 1;
  bool hasDrawing_ = false;
  Bounds extents_;
  double cx_ = 0.5, cy_ = 0.5, scale_ = 1;
  // The view is the whole drawing's, as Whole made it.
  bool whole_ = false;
  std::vector<Saved> history_;
};

}  // namespace korvalo::viewer

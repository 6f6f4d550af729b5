#pragma once

// Inside the viewer only: the control's state and the Qt side.

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QWidget>
#include <map>
#include <memory>
#include <vector>

#include "platform/viewer/drawing.h"
#include "platform/viewer/drawing_viewer.h"
#include "platform/viewer/grid_index.h"
#include "platform/viewer/shared_drawing.h"
#include "platform/viewer/view.h"

namespace korvalo::viewer {

// Colours the drawing is painted in.
struct PaintColours {
  std::uint32_t back = 0xFFFFFF;
  long code = kColourByLayer;
};

struct Highlight {
  std::uint32_t entity;
  std::uint32_t rgb;
};

struct LayerTable {
  std::vector<Layer> layers;
  std::size_t next = 0;
  // The drawing read for the table: a viewer loading the same file while the
  // table is open takes it instead of reading the file again.
  std::shared_ptr<const SharedDrawing> read;
};

struct DrawingViewer::State {
  bool open = false;
  // The drawing shown, shared with every other holder of the same file.
  std::shared_ptr<const SharedDrawing> shared = NoDrawing();
  const Drawing& drawing() const { return shared->drawing; }
  const GridIndex& index() const { return shared->index; }
  View view;
  std::vector<char> layerShown;
  PaintColours colours;
  std::vector<Highlight> highlights;
  std::map<long, LayerTable> tables;
  long nextHandle = 1;
  // The area zoom: armed by ViewerZoom(2), a left drag draws the band.
  bool areaArmed = false;
  // While armed, Escape cancels wherever the focus is.
  std::unique_ptr<QObject> escapeWatch;
  bool banding = false;
  QPointF bandStart, bandEnd;
  // The picture without highlights and band, valid for the view it was made for.
  QImage cache;
  bool cacheValid = false;
  mutable std::vector<std::uint32_t> scratch;

  bool Shown(const Entity& e) const { return layerShown[static_cast<std::size_t>(e.layer)] != 0; }
};

// Paints the drawing as the view shows it into the whole painter's device.
void PaintDrawing(QPainter& painter, const DrawingViewer::State& state, const View& view);
// The same into an image of the view's size. A large drawing is painted in
// bands of rows at once: the same picture, but that a line entering a band
// may have a pixel one row or column over from where one pass puts it.
void PaintDrawingInto(QImage& image, const DrawingViewer::State& state, const View& view);
// How many bands a large drawing is painted in: 0 (at start) as many as the
// machine runs at once, up to four; 1 in one pass. For tests.
void SetPaintBands(int bands);
// Paints the highlighted entities over it.
void PaintHighlights(QPainter& painter, const DrawingViewer::State& state, const View& view);
// The colour an entity is painted in.
std::uint32_t EntityColour(const Entity& e, const PaintColours& colours);
// The stand-out colour of highlights.
inline constexpr std::uint32_t kStandOutRgb = 0xFF0000;

// The control's widget: shows the picture and passes the mouse and keys on.
class ViewerWidget : public QWidget {
 public:
  ViewerWidget(DrawingViewer& owner, QWidget* parent);
  ~ViewerWidget() override;
  ViewerWidget(const ViewerWidget&) = delete;
  ViewerWidget& operator=(const ViewerWidget&) = delete;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  DrawingViewer& owner_;
};

}  // namespace korvalo::viewer

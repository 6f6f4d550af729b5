// Painting the drawing with QPainter from the reader's flat arrays: only the
// entities whose boxes meet the view (the grid index answers), file order,
// one pen change per colour change.

#include <QFont>
#include <QPen>
#include <QString>
#include <cmath>

#include "platform/viewer/viewer_state.h"

namespace korvalo::viewer {
namespace {

// Below this height in pixels a text is drawn as its base line.
constexpr double kSmallestLegibleText = 4.0;

QColor ToColor(std::uint32_t rgb) { return QColor::fromRgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

bool TooClose(std::uint32_t a, std::uint32_t b) {
  const int dr = int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF);
  const int dg = int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF);
  const int db = int(a & 0xFF) - int(b & 0xFF);
  return dr * dr + dg * dg + db * db < 64 * 64;
}

std::uint32_t Contrast(std::uint32_t back) {
  const int luma = 299 * int((back >> 16) & 0xFF) + 587 * int((back >> 8) & 0xFF) + 114 * int(back & 0xFF);
  return luma > 128000 ? 0x000000 : 0xFFFFFF;
}

void PaintEntity(QPainter& p, const Drawing& d, const Entity& e, const View& view, std::vector<QPointF>& pts) {
  if (e.IsText()) {
    const TextBox box = TextBoxOf(d, e);
    const double h = e.height / view.UnitsPerPixel();
    if (h < kSmallestLegibleText) {
      p.drawLine(QPointF(view.PixelX(box.x[0]), view.PixelY(box.y[0])),
                 QPointF(view.PixelX(box.x[1]), view.PixelY(box.y[1])));
      return;
    }
    const QString shown = QString::fromStdString(DisplayText(d.TextOf(e), e.kind == EntityKind::MText));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(h * 1.35))));
    p.save();
    p.setFont(font);
    p.translate(view.PixelX(box.x[3]), view.PixelY(box.y[3]));
    p.rotate(-e.angle);
    const QStringList lines = shown.split(QChar('\n'));
    for (int i = 0; i < lines.size(); ++i) p.drawText(QPointF(0, h + i * h * 5.0 / 3.0), lines[i]);
    p.restore();
    return;
  }
  if (e.pointCount == 0) return;
  pts.clear();
  auto flush = [&] {
    if (pts.size() == 1) p.drawPoint(pts[0]);
    else if (pts.size() > 1) p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
    pts.clear();
  };
  for (std::uint32_t k = e.firstPoint; k < e.firstPoint + e.pointCount; ++k) {
    const double x = d.xs[k], y = d.ys[k];
    if (std::isnan(x)) {
      flush();
      continue;
    }
    pts.emplace_back(view.PixelX(x), view.PixelY(y));
  }
  flush();
}

template <class Each>
void VisibleEntities(const DrawingViewer::State& state, const View& view, Each&& each) {
  const Drawing& d = state.drawing();
  const ViewRect r = view.Visible();
  const Bounds& ext = d.extents;
  if (ext.empty) return;
  if (r.xmin <= ext.xmin && r.ymin <= ext.ymin && r.xmax >= ext.xmax && r.ymax >= ext.ymax) {
    for (std::uint32_t i = 0; i < d.entities.size(); ++i) each(i);
    return;
  }
  state.index().Query(r.xmin, r.ymin, r.xmax, r.ymax, state.scratch);
  for (std::uint32_t i : state.scratch) each(i);
}

}  // namespace

std::uint32_t EntityColour(const Entity& e, const PaintColours& colours) {
  switch (colours.code) {
    case 2: return 0xFFFF00;
    case 5: return 0x0000FF;
    case 7: return 0x000000;
    case 14: return 0xFFFFFF;
    default: break;
  }
  return TooClose(e.rgb, colours.back) ? Contrast(colours.back) : e.rgb;
}

void PaintDrawing(QPainter& p, const DrawingViewer::State& state, const View& view) {
  p.fillRect(QRectF(0, 0, view.PixelWidth(), view.PixelHeight()), ToColor(state.colours.back));
  if (!state.open) return;
  p.setRenderHint(QPainter::Antialiasing, false);
  const Drawing& d = state.drawing();
  // The entities are drawn colour by colour, in file order within each: a
  // plat's layers alternate from entity to entity, and a pen change per
  // entity costs more than the drawing.
  struct Batch {
    std::uint32_t rgb;
    std::vector<std::uint32_t> entities;
  };
  std::vector<Batch> batches;
  std::size_t last = 0;
  VisibleEntities(state, view, [&](std::uint32_t i) {
    const Entity& e = d.entities[i];
    if (!state.Shown(e)) return;
    const std::uint32_t rgb = EntityColour(e, state.colours);
    if (batches.empty() || batches[last].rgb != rgb) {
      last = 0;
      while (last < batches.size() && batches[last].rgb != rgb) ++last;
      if (last == batches.size()) batches.push_back({rgb, {}});
    }
    batches[last].entities.push_back(i);
  });
  std::vector<QPointF> pts;
  for (const Batch& b : batches) {
    QPen pen(ToColor(b.rgb));
    pen.setWidth(0);
    p.setPen(pen);
    for (const std::uint32_t i : b.entities) PaintEntity(p, d, d.entities[i], view, pts);
  }
}

void PaintHighlights(QPainter& p, const DrawingViewer::State& state, const View& view) {
  if (!state.open || state.highlights.empty()) return;
  p.setRenderHint(QPainter::Antialiasing, false);
  std::vector<QPointF> pts;
  for (const Highlight& h : state.highlights) {
    const Entity& e = state.drawing().entities[h.entity];
    if (!state.Shown(e)) continue;
    QPen pen(ToColor(h.rgb));
    pen.setWidth(3);
    p.setPen(pen);
    PaintEntity(p, state.drawing(), e, view, pts);
    if (e.IsText()) {
      // A text is marked by its box as well, so a small one shows.
      const TextBox box = TextBoxOf(state.drawing(), e);
      QPointF corners[4];
      for (int k = 0; k < 4; ++k) corners[k] = QPointF(view.PixelX(box.x[k]), view.PixelY(box.y[k]));
      p.drawPolygon(corners, 4);
    }
  }
}

}  // namespace korvalo::viewer

// Painting the drawing with QPainter from the reader's flat arrays: only the
// entities whose boxes meet the view (the grid index answers), colour by
// colour, each colour's segments and dots in one call each; a large picture
// in bands of rows on threads of their own.

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QLineF>
#include <QPainterPath>
#include <QPen>
#include <QString>
#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/viewer/viewer_state.h"

namespace korvalo::viewer {
namespace {

// Below this height in pixels a text is drawn as its base line.
constexpr double kSmallestLegibleText = 4.0;

// A picture of this many entities or more is painted in bands of rows, one
// thread a band; fewer are not worth the threads.
constexpr std::size_t kEntitiesForBands = 20000;
constexpr int kMostBands = 4;
int g_bands = 0;  // 0: as many as the machine runs at once, up to kMostBands

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

// A text large enough to read: its lines in the font of its height. The font
// is made once for every text of one pixel size.
void PaintLegibleText(QPainter& p, const Drawing& d, const Entity& e, const View& view, const TextBox& box, double h,
                      QFont& font) {
  const QString shown = QString::fromStdString(DisplayText(d.TextOf(e), e.kind == EntityKind::MText));
  const int pixels = std::max(1, static_cast<int>(std::lround(h * 1.35)));
  if (font.pixelSize() != pixels) font.setPixelSize(pixels);
  p.save();
  p.setFont(font);
  p.translate(view.PixelX(box.x[3]), view.PixelY(box.y[3]));
  p.rotate(-e.angle);
  const QStringList lines = shown.split(QChar('\n'));
  // The text fills the width of its box, where a press picks it: a wider
  // font would show letters past the box that a press there misses.
  const QFontMetricsF metrics(font);
  double widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  const double boxWidth = std::hypot(view.PixelX(box.x[1]) - view.PixelX(box.x[0]),
                                     view.PixelY(box.y[1]) - view.PixelY(box.y[0]));
  if (widest > 0 && boxWidth > 0) p.scale(boxWidth / widest, 1.0);
  for (int i = 0; i < lines.size(); ++i) p.drawText(QPointF(0, h + i * h * 5.0 / 3.0), lines[i]);
  p.restore();
}

QFont TextFont() { return QFont(QStringLiteral("Liberation Sans")); }

// What one colour's entities draw, gathered so that each kind is one call:
// the areas of solid fills, the segments of lines, polylines, arcs and small
// texts' base lines, lone points, and the texts large enough to read.
struct Strokes {
  std::vector<QPainterPath> fills;  // one a fill: overlapping fills both show
  std::vector<QPointF> runPoints;  // the polylines of three points or more, one after the other
  std::vector<int> runCounts;
  std::vector<QLineF> lines;  // the polylines of two points: one call draws them all
  std::vector<QPointF> points;
  std::vector<std::uint32_t> texts;
  void Clear() {
    fills.clear();
    runPoints.clear();
    runCounts.clear();
    lines.clear();
    points.clear();
    texts.clear();
  }
};

// A solid fill's area: each of its rings (parted by NaN points), a hole
// where rings overlap.
void GatherFill(const Drawing& d, const Entity& e, const View& view, std::vector<QPainterPath>& fills) {
  QPainterPath area;
  area.setFillRule(Qt::OddEvenFill);
  bool starting = true;
  const std::uint32_t end = e.firstPoint + e.pointCount;
  for (std::uint32_t k = e.firstPoint; k < end; ++k) {
    if (std::isnan(d.xs[k])) {
      area.closeSubpath();
      starting = true;
      continue;
    }
    const QPointF at(view.PixelX(d.xs[k]), view.PixelY(d.ys[k]));
    if (starting) area.moveTo(at);
    else area.lineTo(at);
    starting = false;
  }
  area.closeSubpath();
  fills.push_back(std::move(area));
}

void Gather(const Drawing& d, std::uint32_t index, const View& view, Strokes& out) {
  const Entity& e = d.entities[index];
  if (e.filled && !e.IsText()) GatherFill(d, e, view, out.fills);
  if (e.IsText()) {
    if (e.height / view.UnitsPerPixel() >= kSmallestLegibleText) {
      out.texts.push_back(index);
      return;
    }
    const TextBox box = TextBoxOf(d, e);
    out.lines.emplace_back(view.PixelX(box.x[0]), view.PixelY(box.y[0]), view.PixelX(box.x[1]), view.PixelY(box.y[1]));
    return;
  }
  // Runs of points between NaN breaks; one point alone, or a run within one
  // pixel, is a dot. A point within half a pixel of the last one drawn adds
  // nothing to the picture (an arc far out has many) and is left out, but a
  // run always ends at its own last point.
  //
  // Every point is made a pixel first, and the points are thinned after: the
  // divisions of one point do not wait for the thinning of the one before.
  const std::size_t base = out.runPoints.size();
  const double* const xs = d.xs.data() + e.firstPoint;
  const double* const ys = d.ys.data() + e.firstPoint;
  const std::uint32_t count = e.pointCount;
  out.runPoints.resize(base + count);
  QPointF* const pixels = out.runPoints.data() + base;
  for (std::uint32_t k = 0; k < count; ++k) pixels[k] = QPointF(view.PixelX(xs[k]), view.PixelY(ys[k]));
  std::uint32_t kept = 0;  // points kept, at the front of pixels
  std::uint32_t run = 0;
  bool skipped = false;
  QPointF lastSkipped;
  for (std::uint32_t k = 0; k <= count; ++k) {
    if (k == count || std::isnan(xs[k])) {
      if (run > 1 && skipped) {
        pixels[kept++] = lastSkipped;
        ++run;
      }
      if (run == 1) {
        out.points.push_back(pixels[--kept]);
      } else if (run == 2) {
        kept -= 2;
        out.lines.emplace_back(pixels[kept], pixels[kept + 1]);
      } else if (run > 2) {
        out.runCounts.push_back(static_cast<int>(run));
      }
      run = 0;
      skipped = false;
      continue;
    }
    const QPointF at = pixels[k];
    if (run > 0) {
      const QPointF& last = pixels[kept - 1];
      if (std::fabs(at.x() - last.x()) < 0.5 && std::fabs(at.y() - last.y()) < 0.5) {
        skipped = true;
        lastSkipped = at;
        continue;
      }
    }
    pixels[kept++] = at;
    skipped = false;
    ++run;
  }
  out.runPoints.resize(base + kept);
}

// The entities of one colour, in file order. They lie far apart in memory
// (a plat's layers alternate), so each entity and its first points are asked
// for some entities ahead: waiting for them one by one costs more than the
// gathering.
void GatherAll(const Drawing& d, const std::vector<std::uint32_t>& entities, const View& view, Strokes& out) {
  constexpr std::size_t kEntityAhead = 16, kPointsAhead = 8;
  const std::size_t n = entities.size();
  const std::size_t points = d.xs.size();
  for (std::size_t j = 0; j < n; ++j) {
    if (j + kEntityAhead < n) {
      const Entity* e = &d.entities[entities[j + kEntityAhead]];
      __builtin_prefetch(e);
      __builtin_prefetch(&e->box);
    }
    if (j + kPointsAhead < n) {
      const Entity& e = d.entities[entities[j + kPointsAhead]];
      if (e.firstPoint < points) {
        __builtin_prefetch(d.xs.data() + e.firstPoint);
        __builtin_prefetch(d.ys.data() + e.firstPoint);
      }
    }
    Gather(d, entities[j], view, out);
  }
}

void PaintStrokes(QPainter& p, const Drawing& d, const View& view, const Strokes& strokes, QFont& font) {
  for (const QPainterPath& area : strokes.fills) p.fillPath(area, p.pen().color());
  const QPointF* at = strokes.runPoints.data();
  for (const int n : strokes.runCounts) {
    p.drawPolyline(at, n);
    at += n;
  }
  if (!strokes.lines.empty()) p.drawLines(strokes.lines.data(), static_cast<int>(strokes.lines.size()));
  if (!strokes.points.empty()) p.drawPoints(strokes.points.data(), static_cast<int>(strokes.points.size()));
  for (const std::uint32_t i : strokes.texts) {
    const Entity& e = d.entities[i];
    PaintLegibleText(p, d, e, view, TextBoxOf(d, e), e.height / view.UnitsPerPixel(), font);
  }
}

// One entity on its own (a highlight).
void PaintEntity(QPainter& p, const Drawing& d, std::uint32_t index, const View& view) {
  Strokes strokes;
  Gather(d, index, view, strokes);
  QFont font = TextFont();
  PaintStrokes(p, d, view, strokes, font);
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

namespace {

// The entities of one colour, in file order.
struct Batch {
  std::uint32_t rgb;
  std::vector<std::uint32_t> entities;
};

// The entities the view shows, colour by colour: a plat's layers alternate
// from entity to entity, and a pen change per entity costs more than the
// drawing. The colours come in the order of their first entity.
std::vector<Batch> BatchesOf(const DrawingViewer::State& state, const View& view) {
  const Drawing& d = state.drawing();
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
  return batches;
}

// Each colour's strokes go to the painter in one call per kind.
void PaintBatches(QPainter& p, const Drawing& d, const View& view, const std::vector<Batch>& batches) {
  p.setRenderHint(QPainter::Antialiasing, false);
  Strokes strokes;
  QFont font = TextFont();
  for (const Batch& b : batches) {
    QPen pen(ToColor(b.rgb));
    pen.setWidth(0);
    p.setPen(pen);
    strokes.Clear();
    GatherAll(d, b.entities, view, strokes);
    PaintStrokes(p, d, view, strokes, font);
  }
}

// The batches' entities that can reach the rows of the picture between the
// drawing heights low and high: their boxes, with a text's letters, which
// may pass its box by a little, allowed for.
std::vector<Batch> BatchesWithin(const Drawing& d, const std::vector<Batch>& batches, double low, double high) {
  std::vector<Batch> within;
  within.reserve(batches.size());
  for (const Batch& b : batches) {
    Batch mine{b.rgb, {}};
    for (const std::uint32_t i : b.entities) {
      const Entity& e = d.entities[i];
      const double reach = e.IsText() ? 2 * std::fabs(e.height) : 0.0;
      if (e.box.empty || (e.box.ymax + reach >= low && e.box.ymin - reach <= high)) mine.entities.push_back(i);
    }
    within.push_back(std::move(mine));
  }
  return within;
}

}  // namespace

void SetPaintBands(int bands) { g_bands = std::clamp(bands, 0, 16); }

void PaintDrawing(QPainter& p, const DrawingViewer::State& state, const View& view) {
  p.fillRect(QRectF(0, 0, view.PixelWidth(), view.PixelHeight()), ToColor(state.colours.back));
  if (!state.open) return;
  PaintBatches(p, state.drawing(), view, BatchesOf(state, view));
}

void PaintDrawingInto(QImage& image, const DrawingViewer::State& state, const View& view) {
  std::vector<Batch> batches;
  std::size_t shown = 0;
  if (state.open) {
    batches = BatchesOf(state, view);
    for (const Batch& b : batches) shown += b.entities.size();
  }
  const int height = image.height();
  const int automatic = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMostBands);
  const int bands = shown < kEntitiesForBands || height < 64 ? 1 : g_bands > 0 ? g_bands : automatic;
  // Each band of rows is painted through an image of its own over the same
  // memory: the painters share nothing but the drawing they read. The
  // memory is taken here, once: taking it makes sure the image is its own.
  uchar* const bits = image.bits();
  const qsizetype bytesPerLine = image.bytesPerLine();
  const int width = image.width();
  const QImage::Format format = image.format();
  const auto paintBand = [&](int top, int bottom) {
    QImage band(bits + static_cast<qsizetype>(top) * bytesPerLine, width, bottom - top, bytesPerLine, format);
    QPainter p(&band);
    p.translate(0, -top);
    p.fillRect(QRectF(0, top, view.PixelWidth(), bottom - top), ToColor(state.colours.back));
    if (!state.open) return;
    if (bands == 1) {
      PaintBatches(p, state.drawing(), view, batches);
      return;
    }
    const double margin = 2 * view.UnitsPerPixel();
    PaintBatches(p, state.drawing(), view,
                 BatchesWithin(state.drawing(), batches, view.DrawingY(bottom) - margin, view.DrawingY(top) + margin));
  };
  const auto rowOf = [&](int k) { return static_cast<int>(static_cast<long long>(height) * k / bands); };
  std::vector<std::exception_ptr> failures(static_cast<std::size_t>(bands));
  const auto paintOrKeep = [&](int k) {
    try {
      paintBand(rowOf(k), rowOf(k + 1));
    } catch (...) {
      failures[static_cast<std::size_t>(k)] = std::current_exception();
    }
  };
  // A band the system gives no thread for is painted here after the first.
  std::vector<std::thread> others;
  std::vector<int> here{0};
  for (int k = 1; k < bands; ++k) {
    try {
      others.emplace_back(paintOrKeep, k);
    } catch (const std::system_error&) {
      here.push_back(k);
    }
  }
  for (const int k : here) paintOrKeep(k);
  for (std::thread& t : others) t.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

void PaintHighlights(QPainter& p, const DrawingViewer::State& state, const View& view) {
  if (!state.open || state.highlights.empty()) return;
  p.setRenderHint(QPainter::Antialiasing, false);
  for (const Highlight& h : state.highlights) {
    const Entity& e = state.drawing().entities[h.entity];
    if (!state.Shown(e)) continue;
    QPen pen(ToColor(h.rgb));
    pen.setWidth(3);
    p.setPen(pen);
    PaintEntity(p, state.drawing(), h.entity, view);
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

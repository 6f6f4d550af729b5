// The viewer's entity list, finding entities at a point, highlights and the
// layer tables read by path.

#include <algorithm>
#include <cmath>

#include "common/utf8.h"
#include "platform/viewer/drawing_viewer.h"
#include "platform/viewer/reader.h"
#include "platform/viewer/viewer_state.h"

namespace korvalo::viewer {
namespace {

constexpr double kFindPixels = 3.0;

double SegmentDistance(double px, double py, double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1, dy = y2 - y1;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - x1) * dx + (py - y1) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (x1 + t * dx), py - (y1 + t * dy));
}

bool InsideBox(const TextBox& box, double px, double py) {
  // Inside a convex quadrilateral: on the same side of all four edges.
  int sign = 0;
  for (int k = 0; k < 4; ++k) {
    const int n = (k + 1) % 4;
    const double cross = (box.x[n] - box.x[k]) * (py - box.y[k]) - (box.y[n] - box.y[k]) * (px - box.x[k]);
    const int s = cross > 0 ? 1 : (cross < 0 ? -1 : 0);
    if (s == 0) continue;
    if (sign == 0) sign = s;
    else if (s != sign) return false;
  }
  return true;
}

bool Near(const Drawing& d, const Entity& e, double x, double y, double tolerance) {
  if (e.IsText()) {
    const TextBox box = TextBoxOf(d, e);
    if (InsideBox(box, x, y)) return true;
    for (int k = 0; k < 4; ++k) {
      const int n = (k + 1) % 4;
      if (SegmentDistance(x, y, box.x[k], box.y[k], box.x[n], box.y[n]) <= tolerance) return true;
    }
    return false;
  }
  const std::uint32_t end = e.firstPoint + e.pointCount;
  for (std::uint32_t k = e.firstPoint; k < end; ++k) {
    if (std::isnan(d.xs[k])) continue;
    if (k + 1 < end && !std::isnan(d.xs[k + 1])) {
      if (SegmentDistance(x, y, d.xs[k], d.ys[k], d.xs[k + 1], d.ys[k + 1]) <= tolerance) return true;
    } else if (std::hypot(x - d.xs[k], y - d.ys[k]) <= tolerance) {
      return true;
    }
  }
  return false;
}

}  // namespace

long DrawingViewer::ViewerEntityCount() const {
  const State& s = *state_;
  if (!s.open) return 0;
  return static_cast<long>(s.drawing().layers.size() + s.drawing().entities.size());
}

void DrawingViewer::ViewerSelectEntity(long index) {
  current_ = (index >= 0 && index < ViewerEntityCount()) ? index : -1;
}

std::string DrawingViewer::ViewerEntityField(const std::string& field) const {
  if (current_ < 0 || current_ >= ViewerEntityCount()) return {};
  const Drawing& d = state_->drawing();
  const auto layers = static_cast<long>(d.layers.size());
  if (current_ < layers) {
    const Layer& l = d.layers[static_cast<std::size_t>(current_)];
    if (utf8::EqualsNoCase(field, "SECTION")) return "L";
    if (utf8::EqualsNoCase(field, "DESCR")) return l.name;
    if (utf8::EqualsNoCase(field, "ECOLOR")) return std::to_string(l.state == kLayerOff ? -l.colour : l.colour);
    return {};
  }
  const Entity& e = d.entities[static_cast<std::size_t>(current_ - layers)];
  if (utf8::EqualsNoCase(field, "SECTION")) return "E";
  if (utf8::EqualsNoCase(field, "DESCR")) return KindName(e.kind);
  if (utf8::EqualsNoCase(field, "TEXT")) return d.TextOf(e);
  if (utf8::EqualsNoCase(field, "ECOLOR")) return std::to_string(e.colour);
  return {};
}

void DrawingViewer::ViewerFindEntityAt(double x, double y, long start) {
  State& s = *state_;
  current_ = -1;
  found_ = false;
  nextIndex_ = ViewerEntityCount();
  if (!s.open || !std::isfinite(x) || !std::isfinite(y)) return;
  SyncPixels();
  const double tolerance = kFindPixels * s.view.UnitsPerPixel();
  const auto layers = static_cast<long>(s.drawing().layers.size());
  const long first = std::max(0L, start - layers);
  s.index().Query(x - tolerance, y - tolerance, x + tolerance, y + tolerance, s.scratch);
  for (const std::uint32_t i : s.scratch) {
    if (static_cast<long>(i) < first) continue;
    const Entity& e = s.drawing().entities[i];
    if (!s.Shown(e) || !Near(s.drawing(), e, x, y, tolerance)) continue;
    current_ = layers + static_cast<long>(i);
    found_ = true;
    nextIndex_ = current_ + 1;
    return;
  }
}

std::string DrawingViewer::ViewerEntityId() const {
  if (current_ < 0 || current_ >= ViewerEntityCount()) return {};
  const Drawing& d = state_->drawing();
  const auto layers = static_cast<long>(d.layers.size());
  if (current_ >= layers) {
    const Entity& e = d.entities[static_cast<std::size_t>(current_ - layers)];
    if (!e.handle.empty()) return e.handle;
  }
  return "#" + std::to_string(current_);
}

void DrawingViewer::ViewerHighlightEntity(const std::string& id, long colour) {
  State& s = *state_;
  if (!s.open || id.empty()) return;
  const auto layers = static_cast<long>(s.drawing().layers.size());
  long entity = -1;
  if (id[0] == '#') {
    char* end = nullptr;
    const long index = std::strtol(id.c_str() + 1, &end, 10);
    if (end && *end == '\0' && end != id.c_str() + 1 && index >= layers && index < ViewerEntityCount())
      entity = index - layers;
  } else {
    for (std::size_t i = 0; i < s.drawing().entities.size(); ++i)
      if (s.drawing().entities[i].handle == id) {
        entity = static_cast<long>(i);
        break;
      }
  }
  if (entity < 0) return;
  const std::uint32_t rgb = (colour >= 1 && colour <= 255) ? ColourOfIndex(static_cast<int>(colour)) : kStandOutRgb;
  const auto e = static_cast<std::uint32_t>(entity);
  const auto it = std::find_if(s.highlights.begin(), s.highlights.end(), [&](const Highlight& h) { return h.entity == e; });
  if (it != s.highlights.end()) it->rgb = rgb;
  else s.highlights.push_back({e, rgb});
  if (QWidget* w = Widget()) w->update();
}

// --- layer tables by path --------------------------------------------------------

long DrawingViewer::ViewerOpenLayerTable(const std::string& path) {
  LayerTable table;
  ReadError error;
  table.read = ReadSharedDrawing(path, error);
  lastErrorNumber_ = table.read ? 0 : error.number;
  lastErrorText_ = table.read ? std::string() : error.description;
  if (!table.read) return 0;
  table.layers = table.read->TableLayers();
  const long handle = state_->nextHandle++;
  state_->tables.emplace(handle, std::move(table));
  return handle;
}

long DrawingViewer::ViewerLayerCount(long handle) {
  const auto it = state_->tables.find(handle);
  return it == state_->tables.end() ? 0 : static_cast<long>(it->second.layers.size());
}

std::string DrawingViewer::ViewerNextLayerName(long handle, long) {
  const auto it = state_->tables.find(handle);
  if (it == state_->tables.end()) return {};
  LayerTable& t = it->second;
  if (t.next >= t.layers.size()) return {};
  return t.layers[t.next++].name;
}

long DrawingViewer::ViewerLayerState(long handle, const std::string& layer) {
  const auto it = state_->tables.find(handle);
  if (it == state_->tables.end()) return kLayerUnknown;
  for (const Layer& l : it->second.layers)
    if (l.name == layer) return l.state;
  return kLayerUnknown;
}

void DrawingViewer::ViewerCloseHandle(long handle) { state_->tables.erase(handle); }

}  // namespace korvalo::viewer

#include "platform/viewer/reader.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "platform/viewer/dxf_pairs.h"
#include "platform/viewer/dxf_scan.h"
#include "platform/viewer/layer_table.h"
#include "platform/viewer/memory_backing.h"
#include "platform/viewer/reader_module.h"
#include "platform/viewer/style.h"

namespace korvalo::viewer {
namespace {

// GDAL's messages of one read: errors become the description, warnings
// are kept with the drawing.
struct Messages {
  std::string error;
  long errors = 0;
  std::vector<std::string> warnings;
  bool blockRecursion = false;  // GDAL left blocks out
  std::vector<long> errorLines;  // the DXF lines GDAL's errors name
};

// The line a DXF reader's error names ("... error at line 78 of ..."), 0
// when it names none.
long ErrorLine(std::string_view text) {
  constexpr std::string_view kAt = "error at line ";
  const std::size_t at = text.find(kAt);
  if (at == std::string_view::npos) return 0;
  long line = 0;
  const char* first = text.data() + at + kAt.size();
  std::from_chars(first, text.data() + text.size(), line);
  return line;
}

void CPL_STDCALL CollectMessage(CPLErr level, CPLErrorNum, const char* text) {
  auto* messages = static_cast<Messages*>(CPLGetErrorHandlerUserData());
  if (!messages || !text) return;
  if (level == CE_Failure || level == CE_Fatal) {
    if (messages->error.empty()) messages->error = text;
    ++messages->errors;
    if (const long line = ErrorLine(text); line > 0 && messages->errorLines.size() < 100'000)
      messages->errorLines.push_back(line);
  } else if (level == CE_Warning) {
    if (std::string_view(text).find("block recursion") != std::string_view::npos) messages->blockRecursion = true;
    if (messages->warnings.size() < 100) messages->warnings.emplace_back(text);
  }
}

// Options and the message handler for the time of one read, on this thread.
class GdalSession {
 public:
  GdalSession() {
    // Only the drivers of the formats we read, and only once a drawing is
    // read: registering every driver of GDAL costs time and memory the
    // program does not need.
    static std::once_flag registered;
    std::call_once(registered, [] {
      RegisterOGRDXF();
      RegisterOGRCAD();
      RegisterOGRDGN();
    });
    CPLPushErrorHandlerEx(CollectMessage, &messages);
    Set("DXF_TRANSLATE_ESCAPE_SEQUENCES", "FALSE");
    Set("DXF_MERGE_BLOCK_GEOMETRIES", "FALSE");
    Set("DXF_INLINE_BLOCKS", "TRUE");
  }
  ~GdalSession() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
      CPLSetThreadLocalConfigOption(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
    CPLPopErrorHandler();
  }
  GdalSession(const GdalSession&) = delete;
  GdalSession& operator=(const GdalSession&) = delete;
  Messages messages;

  // An option for this read only; the one before comes back at the end.
  void Set(const char* key, const char* value) {
    const char* old = CPLGetThreadLocalConfigOption(key, nullptr);
    saved_.emplace_back(key, old ? std::optional<std::string>(old) : std::nullopt);
    CPLSetThreadLocalConfigOption(key, value);
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

struct DatasetCloser {
  void operator()(void* ds) const { GDALClose(ds); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

std::optional<ReadError> Fail(int number, std::string description) {
  return ReadError{number, std::move(description)};
}

// Backs a reserved array with memory a stretch ahead of its filling, one
// call a stretch (BackWithMemory). Only the reserved room is asked for, and
// at most a stretch past what is filled: room never used is never touched.
class FillAhead {
 public:
  template <class T>
  void Reach(const std::vector<T>& v, std::size_t count) {
    const char* const data = reinterpret_cast<const char*>(v.data());
    if (data != begin_) {
      // Reserved anew (or moved): what is in it is backed already.
      begin_ = data;
      end_ = data + v.capacity() * sizeof(T);
      ready_ = data + v.size() * sizeof(T);
    }
    const char* const need = data + count * sizeof(T);
    if (count > v.capacity() || need <= ready_) return;
    constexpr std::size_t kStretch = std::size_t{4} << 20;
    const char* const to = static_cast<std::size_t>(end_ - need) > kStretch ? need + kStretch : end_;
    BackWithMemory(ready_, static_cast<std::size_t>(to - ready_));
    ready_ = to;
  }

 private:
  const char* begin_ = nullptr;
  const char* end_ = nullptr;
  const char* ready_ = nullptr;  // backed up to here
};

// The arrays of points and entities being filled.
struct Ahead {
  FillAhead xs, ys, entities;
};

// The whole file, read once: the format check, our reader of the DXF layer
// table and GDAL all read these bytes, so the layers and the entities come
// from the same state of the file. An error when it cannot be read.
std::optional<ReadError> ReadFile(const std::string& path, std::string& content) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec))
    return Fail(kErrFileNotFound, "File not found: " + path);
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(kErrFileNotFound, "The file cannot be opened: " + path);
  const auto size = std::filesystem::file_size(path, ec);
  content.clear();
  if (!ec && size > 0) {
    content.reserve(static_cast<std::size_t>(size));
    PrepareToFill(content.data(), static_cast<std::size_t>(size));
    content.resize(static_cast<std::size_t>(size));
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    content.resize(static_cast<std::size_t>(in.gcount()));
  }
  // A file that grew since its size was taken is read to its end.
  char more[65536];
  while (in.read(more, sizeof more) || in.gcount() > 0) content.append(more, static_cast<std::size_t>(in.gcount()));
  if (content.empty()) return Fail(kErrBadFileFormat, "The file is empty: " + path);
  // A DWG file starts with its version ("AC1015" for AutoCAD 2000).
  const std::string_view head(content.data(), std::min<std::size_t>(content.size(), 6));
  const bool dwg = head.size() >= 6 && head.substr(0, 2) == "AC" &&
                   std::all_of(head.begin() + 2, head.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
  if (dwg && head != "AC1015")
    return Fail(kErrBadFileFormat, "Only AutoCAD 2000 DWG drawings (AC1015) can be read; this file is " +
                                       std::string(head) + ": " + path);
  return std::nullopt;
}

// Whether the file is one GDAL reads as other than DXF text: a DWG (its
// version first), a DGN v7 (a design file or cell library header) or a
// binary DXF. Every other file is looked through as DXF text before GDAL
// sees it, since GDAL takes any file with "SECTION" near its start for a DXF.
bool OtherFormat(const std::string& head) {
  const auto byte = [&](std::size_t i) { return i < head.size() ? static_cast<unsigned char>(head[i]) : 0u; };
  const bool dwg = head.size() >= 6 && head.compare(0, 2, "AC") == 0 &&
                   std::all_of(head.begin() + 2, head.begin() + 6,
                               [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
  const bool dgn = ((byte(0) == 0x08 || byte(0) == 0xC8) && byte(1) == 0x09 && byte(2) == 0xFE && byte(3) == 0x02) ||
                   (byte(0) == 0x08 && byte(1) == 0x05 && byte(2) == 0x17 && byte(3) == 0x00);
  static const std::string kBinaryDxf("AutoCAD Binary DXF\r\n\x1a\0", 22);
  const bool binaryDxf = head.rfind(kBinaryDxf, 0) == 0;
  return dwg || dgn || binaryDxf;
}

// The bytes read as a file of GDAL's in-memory file system, named like the
// file on disk, for as long as the object lives. The bytes are not copied.
class MemoryFile {
 public:
  MemoryFile(const std::string& path, std::string& content) {
    static std::atomic<unsigned long> next{0};
    name_ = "/vsimem/korvalo-drawing-" + std::to_string(++next) + "/" +
            std::filesystem::path(path).filename().string();
    VSILFILE* file = VSIFileFromMemBuffer(name_.c_str(), reinterpret_cast<GByte*>(content.data()),
                                          static_cast<vsi_l_offset>(content.size()), FALSE);
    if (file) VSIFCloseL(file);
  }
  ~MemoryFile() { VSIUnlink(name_.c_str()); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  const std::string& Name() const { return name_; }
  // GDAL's message with the file's own path in place of the memory file's.
  std::string Told(std::string message, const std::string& path) const {
    for (std::size_t at = message.find(name_); at != std::string::npos; at = message.find(name_, at + path.size()))
      message.replace(at, name_.size(), path);
    return message;
  }

 private:
  std::string name_;
};

// Whether GDAL will read the file as DXF. Whatever its first bytes (a
// first line "AC1015" and more is no DWG to GDAL's DXF driver), such a file
// is looked through before GDAL reads it.
bool GdalReadsAsDxf(const MemoryFile& file) {
  static const char* const kDrivers[] = {"DXF", "CAD", "DGN", nullptr};
  GDALDriverH driver = GDALIdentifyDriverEx(file.Name().c_str(), GDAL_OF_VECTOR, kDrivers, nullptr);
  const char* name = driver ? GDALGetDriverShortName(driver) : nullptr;
  return name && std::strcmp(name, "DXF") == 0;
}

std::optional<ReadError> Open(const std::string& path, const MemoryFile& file, GdalSession& session, Dataset& ds,
                              DrawingFormat& format) {
  static const char* const kDrivers[] = {"DXF", "CAD", "DGN", nullptr};
  ds.reset(GDALOpenEx(file.Name().c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, kDrivers, nullptr, nullptr));
  if (!ds) {
    std::string why = file.Told(session.messages.error, path);
    if (why.empty()) why = "Not a DXF, DWG or DGN drawing";
    return Fail(kErrBadFileFormat, why + ": " + path);
  }
  const char* driver = GDALGetDriverShortName(GDALGetDatasetDriver(ds.get()));
  const std::string_view name = driver ? driver : "";
  format = name == "DXF" ? DrawingFormat::Dxf : name == "CAD" ? DrawingFormat::Dwg : DrawingFormat::Dgn;
  if (format == DrawingFormat::Dwg) {
    const char* version = GDALGetMetadataItem(ds.get(), "$ACADVER", nullptr);
    if (version && std::strcmp(version, "AC1015") != 0)
      return Fail(kErrBadFileFormat, std::string("Only AutoCAD 2000 DWG drawings (AC1015) can be read; this file is ") +
                                         version + ": " + path);
  }
  return std::nullopt;
}

// A field's text as the feature holds it: read it before the next field is
// read as text (a field that is not a string is made text in one buffer).
std::string_view FieldView(OGRFeatureH f, int field) {
  // GDAL gives "" for a field not set.
  if (field < 0) return {};
  const char* s = OGR_F_GetFieldAsString(f, field);
  return s ? std::string_view(s) : std::string_view();
}

EntityKind DxfKind(std::string_view subclasses, OGRwkbGeometryType type, std::size_t points, bool hasText) {
  auto has = [&](const char* s) { return subclasses.find(s) != std::string_view::npos; };
  if (!subclasses.empty()) {
    if (has("AcDbMText")) return EntityKind::MText;
    if (has("AcDbText") || has("AcDbAttribute")) return EntityKind::Text;
    if (has("AcDbArc")) return EntityKind::Arc;
    if (has("AcDbCircle")) return EntityKind::Circle;
    if (has("AcDbLine")) return EntityKind::Line;
    if (has("Polyline") || has("AcDbPolyFaceMesh") || has("AcDbTrace") || has("AcDbFace"))
      return EntityKind::Polyline;
    if (has("AcDbPoint")) return EntityKind::Point;
    if (!has("AcDbSpline") && !has("AcDbEllipse") && !has("AcDbHatch")) {
      // Other kinds (leaders, dimensions exploded into lines) by their shape.
    } else {
      return EntityKind::Other;
    }
  }
  // R12 files carry no subclass markers: the kind comes from the shape.
  const auto flat = wkbFlatten(type);
  if (flat == wkbPoint) return hasText ? EntityKind::Text : EntityKind::Point;
  if (flat == wkbLineString && points == 2) return EntityKind::Line;
  if (flat == wkbLineString || flat == wkbPolygon || flat == wkbMultiLineString || flat == wkbMultiPolygon)
    return EntityKind::Polyline;
  return EntityKind::Other;
}

// The kind of a DXF entity as the file names it, from its subclass markers
// ("AcDbEntity:AcDbCircle:AcDbArc" is an ARC); "" without markers (R12).
std::string DxfKindName(std::string_view subclasses) {
  const std::size_t colon = subclasses.rfind(':');
  std::string_view last = colon == std::string_view::npos ? subclasses : subclasses.substr(colon + 1);
  if (last.rfind("AcDb", 0) == 0) last.remove_prefix(4);
  if (last.empty() || last == "Entity") return {};
  std::string name(last);
  for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return name;
}

// The kind of an entity as the user knows it, where the file names none.
std::string ShownKindName(EntityKind kind) { return kind == EntityKind::MText ? "MTEXT" : KindName(kind); }

// Counts one more entity of the kind left out.
void CountLeftOut(Drawing& d, const std::string& kind, long count = 1) {
  const auto it = std::find(d.leftOutKinds.begin(), d.leftOutKinds.end(), kind);
  if (it != d.leftOutKinds.end()) {
    d.leftOutKindCounts[static_cast<std::size_t>(it - d.leftOutKinds.begin())] += count;
    return;
  }
  d.leftOutKinds.push_back(kind);
  d.leftOutKindCounts.push_back(count);
}

// The kinds of the DXF entities (records after a "0" group) that hold the
// given lines, one for each line; "" for a line outside any entity.
std::vector<std::string> DxfKindsAtLines(std::string_view content, std::vector<long> lines) {
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  std::vector<std::string> kinds;
  if (content.rfind("\xEF\xBB\xBF", 0) == 0) content.remove_prefix(3);
  DxfPairs pairs(content);
  int code = 0;
  std::string_view value;
  std::string kind;
  std::size_t next = 0;
  while (next < lines.size() && pairs.Next(code, value)) {
    // The pair's code stands on the line before the last one read.
    const long codeLine = pairs.LinesRead() - 1;
    while (next < lines.size() && lines[next] < codeLine) {
      kinds.push_back(kind);
      ++next;
    }
    if (code == 0) kind = std::string(DxfPairs::Trim(value));
  }
  for (; next < lines.size(); ++next) kinds.push_back(kind);
  return kinds;
}

EntityKind DwgKind(std::string_view type) {
  static const std::map<std::string, EntityKind, std::less<>> kinds = {
      {"CADLine", EntityKind::Line},         {"CADLWPolyline", EntityKind::Polyline},
      {"CADPolyline2D", EntityKind::Polyline}, {"CADPolyline3D", EntityKind::Polyline},
      {"CADPolylinePFace", EntityKind::Polyline}, {"CADArc", EntityKind::Arc},
      {"CADCircle", EntityKind::Circle},     {"CADText", EntityKind::Text},
      {"CADAttrib", EntityKind::Text},       {"CADAttdef", EntityKind::Text},
      {"CADMText", EntityKind::MText},       {"CADPoint", EntityKind::Point},
      {"CADSolid", EntityKind::Polyline},    {"CADFace3D", EntityKind::Polyline}};
  const auto it = kinds.find(type);
  return it == kinds.end() ? EntityKind::Other : it->second;
}

EntityKind DgnKind(int type) {
  switch (type) {
    case 3: return EntityKind::Line;
    case 4: case 6: case 11: case 12: case 14: return EntityKind::Polyline;
    case 15: return EntityKind::Circle;
    case 16: return EntityKind::Arc;
    case 17: return EntityKind::Text;
    default: return EntityKind::Other;
  }
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Whether a coordinate can be shown.
bool Showable(double v) { return std::fabs(v) <= kFarthestCoordinate; }
bool Showable(const Bounds& b) {
  return b.empty || (Showable(b.xmin) && Showable(b.xmax) && Showable(b.ymin) && Showable(b.ymax));
}

// Appends the points of a linear geometry; parts are parted by a NaN point.
// A point that cannot be shown (not a number, or too far out) makes the
// whole entity one to leave out: `unshowable` is set.
void AppendPoints(OGRGeometryH g, Drawing& d, Entity& e, bool& unshowable, Ahead& ahead) {
  const auto flat = wkbFlatten(OGR_G_GetGeometryType(g));
  const int parts = (flat == wkbLineString || flat == wkbPoint) ? 0 : OGR_G_GetGeometryCount(g);
  if (parts > 0) {
    for (int i = 0; i < parts; ++i) {
      if (e.pointCount > 0) {
        d.xs.push_back(kNaN);
        d.ys.push_back(kNaN);
        ++e.pointCount;
      }
      AppendPoints(OGR_G_GetGeometryRef(g, i), d, e, unshowable, ahead);
    }
    return;
  }
  const int n = OGR_G_GetPointCount(g);
  if (n <= 0) return;
  // All the points in one call, straight into the arrays. A point that
  // cannot be shown leaves the whole entity out.
  const std::size_t at = d.xs.size(), end = at + static_cast<std::size_t>(n);
  ahead.xs.Reach(d.xs, end);
  ahead.ys.Reach(d.ys, end);
  d.xs.resize(end);
  d.ys.resize(end);
  OGR_G_GetPoints(g, d.xs.data() + at, sizeof(double), d.ys.data() + at, sizeof(double), nullptr, 0);
  // The points' box and whether every point can be shown, in one loop
  // without branches.
  Bounds box;
  box.xmin = box.xmax = d.xs[at];
  box.ymin = box.ymax = d.ys[at];
  box.empty = false;
  bool showable = true;
  for (std::size_t i = at; i < end; ++i) {
    const double x = d.xs[i], y = d.ys[i];
    showable &= Showable(x) & Showable(y);
    box.xmin = std::min(box.xmin, x);
    box.xmax = std::max(box.xmax, x);
    box.ymin = std::min(box.ymin, y);
    box.ymax = std::max(box.ymax, y);
  }
  if (!showable) {
    d.xs.resize(at);
    d.ys.resize(at);
    unshowable = true;
    return;
  }
  e.box.Add(box);
  e.pointCount += static_cast<std::uint32_t>(n);
}

class Builder {
 public:
  Builder(DrawingFormat format, Drawing& d) : format_(format), d_(d) {}

  void Feature(OGRFeatureH f, OGRFeatureDefnH defn, const std::string& ogrLayer) {
    Entity e;
    e.firstPoint = static_cast<std::uint32_t>(d_.xs.size());
    const std::size_t firstText = d_.texts.size();
    bool unshowable = false;
    OGRGeometryH g = OGR_F_GetGeometryRef(f);
    OGRwkbGeometryType type = wkbUnknown;
    if (g) {
      type = OGR_G_GetGeometryType(g);
      if (OGR_G_HasCurveGeometry(g, FALSE)) {
        OGRGeometryH linear = OGR_G_GetLinearGeometry(g, 0, nullptr);
        if (linear) {
          AppendPoints(linear, d_, e, unshowable, ahead_);
          OGR_G_DestroyGeometry(linear);
        }
      } else {
        AppendPoints(g, d_, e, unshowable, ahead_);
      }
    }
    const Style style = ParseStyle(OGR_F_GetStyleString(f));
    e.rgb = style.rgb;
    e.filled = style.brush;
    const Fields& fields = FieldsOf(defn);
    std::string text;
    std::string kindName;  // the kind as the file names it, where it does
    int ownIndex = -1;
    switch (format_) {
      case DrawingFormat::Dxf: {
        text = FieldView(f, fields.text);
        e.handle = FieldView(f, fields.handle);
        const std::string_view subclasses = FieldView(f, fields.subclasses);
        kindName = DxfKindName(subclasses);
        // An entity left out has no points kept: its kind comes from its shape.
        const auto points =
            unshowable && g ? static_cast<std::size_t>(std::max(0, OGR_G_GetPointCount(g))) : std::size_t{e.pointCount};
        e.kind = DxfKind(subclasses, type, points, !text.empty());
        // A hatch's text is its pattern; only the SOLID pattern fills.
        if (subclasses.find("AcDbHatch") != std::string_view::npos) {
          e.filled = e.filled && text == "SOLID";
          text.clear();
        }
        break;
      }
      case DrawingFormat::Dwg: {
        text = FieldView(f, fields.text);
        const std::string_view cadType = FieldView(f, fields.cadType);
        e.kind = DwgKind(cadType);
        e.filled = cadType == "CADSolid";
        break;
      }
      case DrawingFormat::Dgn: {
        text = FieldView(f, fields.text);
        e.kind = DgnKind(OGR_F_GetFieldAsInteger(f, fields.type));
        // A line string of two points is a line to the surveyor.
        if (e.kind == EntityKind::Polyline && e.pointCount == 2) e.kind = EntityKind::Line;
        if (e.kind == EntityKind::Other && !text.empty()) e.kind = EntityKind::Text;
        ownIndex = OGR_F_GetFieldAsInteger(f, fields.colourIndex);
        break;
      }
      case DrawingFormat::None:
        break;
    }
    if (!e.IsText()) e.filled = e.filled && e.pointCount > 2;
    if (unshowable) {
      LeaveOut(e, firstText, kindName);
      return;
    }
    // The layer of a DXF entity is its Layer field, of a DWG entity the
    // layer GDAL reads it from, of a DGN element its level.
    switch (format_) {
      case DrawingFormat::Dxf: e.layer = RawLayerIndex(FieldView(f, fields.layer)); break;
      case DrawingFormat::Dwg: e.layer = RawLayerIndex(ogrLayer); break;
      case DrawingFormat::Dgn: e.layer = RawLayerIndex(std::to_string(OGR_F_GetFieldAsInteger(f, fields.level))); break;
      case DrawingFormat::None: e.layer = RawLayerIndex({}); break;
    }
    if (e.IsText()) {
      e.text = static_cast<std::uint32_t>(d_.texts.size());
      d_.texts.push_back(Utf8OrWindows1252(text));
      if (e.pointCount > 0) {
        e.x = d_.xs[e.firstPoint];
        e.y = d_.ys[e.firstPoint];
      }
      e.height = style.size > 0 ? style.size : 1.0;
      e.angle = style.angle;
      e.anchor = style.anchor;
      MeasureText(d_, e);
      e.box = TextBounds(d_, e);
      if (!Showable(e.height) || !Showable(e.box)) {
        LeaveOut(e, firstText, kindName);
        return;
      }
    }
    if (ownIndex >= 0) {
      e.colour = ownIndex;
    } else if (style.transparent && style.rgb == 0) {
      // On a layer that is off GDAL gives no colour: the layer's it is.
      const Layer& layer = d_.layers[static_cast<std::size_t>(e.layer)];
      e.rgb = ColourOfIndex(layer.colour);
      e.colour = kColourByLayer;
    } else {
      const int index = IndexOfColour(e.rgb);
      const Layer& layer = d_.layers[static_cast<std::size_t>(e.layer)];
      e.colour = (index == 0 || index == layer.colour) ? kColourByLayer : index;
    }
    d_.extents.Add(e.box);
    ahead_.entities.Reach(d_.entities, d_.entities.size() + 1);
    d_.entities.push_back(std::move(e));
  }

  // DWG: GDAL gives no layer colours, and an entity drawn in its layer's
  // colour comes in that colour: a layer's colour is the one most of its
  // entities are drawn in (the first of equals), and those entities are then
  // drawn by layer.
  void DwgLayerColours() {
    std::vector<std::map<int, std::pair<long, std::size_t>>> uses(d_.layers.size());
    for (std::size_t i = 0; i < d_.entities.size(); ++i) {
      const Entity& e = d_.entities[i];
      const int index = IndexOfColour(e.rgb);
      if (index == 0) continue;
      auto& use = uses[static_cast<std::size_t>(e.layer)][index];
      if (use.first++ == 0) use.second = i;
    }
    for (std::size_t l = 0; l < d_.layers.size(); ++l) {
      int best = 0;
      std::pair<long, std::size_t> most{0, 0};
      for (const auto& [index, use] : uses[l])
        if (use.first > most.first || (use.first == most.first && use.second < most.second)) {
          most = use;
          best = index;
        }
      if (best != 0) d_.layers[l].colour = best;
    }
    for (Entity& e : d_.entities) {
      const int index = IndexOfColour(e.rgb);
      e.colour = (index == 0 || index == d_.layers[static_cast<std::size_t>(e.layer)].colour) ? kColourByLayer : index;
    }
  }

  // Takes the layers already in the drawing (the DXF layer table).
  void Seed() {
    for (std::size_t i = 0; i < d_.layers.size(); ++i) byName_.emplace(d_.layers[i].name, static_cast<int>(i));
  }

  // The layer of a name as the file spells it, read as UTF-8 or else as
  // Windows-1252; the name is looked at once.
  int RawLayerIndex(std::string_view raw) {
    const auto it = byRawName_.find(raw);
    if (it != byRawName_.end()) return it->second;
    const int index = LayerIndex(Utf8OrWindows1252(raw));
    byRawName_.emplace(std::string(raw), index);
    return index;
  }

  int LayerIndex(const std::string& name) {
    const auto it = byName_.find(name);
    if (it != byName_.end()) return it->second;
    Layer layer;
    layer.name = name;
    d_.layers.push_back(layer);
    const int index = static_cast<int>(d_.layers.size()) - 1;
    byName_.emplace(name, index);
    return index;
  }

 private:
  // Drops what the entity put into the drawing and counts it.
  void LeaveOut(const Entity& e, std::size_t firstText, const std::string& kindName) {
    d_.xs.resize(e.firstPoint);
    d_.ys.resize(e.firstPoint);
    d_.texts.resize(firstText);
    ++d_.leftOut;
    CountLeftOut(d_, kindName.empty() ? ShownKindName(e.kind) : kindName);
  }

  // The indexes of the fields read, for the layer being read.
  struct Fields {
    OGRFeatureDefnH defn = nullptr;
    int layer = -1, text = -1, handle = -1, subclasses = -1;  // DXF
    int cadType = -1;                                          // DWG
    int level = -1, type = -1, colourIndex = -1;               // DGN
  };
  const Fields& FieldsOf(OGRFeatureDefnH defn) {
    if (fields_.defn == defn) return fields_;
    Fields& f = fields_;
    f.defn = defn;
    auto index = [&](const char* name) { return OGR_FD_GetFieldIndex(defn, name); };
    f.layer = index("Layer");
    f.text = index(format_ == DrawingFormat::Dwg ? "text" : "Text");
    f.handle = index("EntityHandle");
    f.subclasses = index("SubClasses");
    f.cadType = index("cadgeom_type");
    f.level = index("Level");
    f.type = index("Type");
    f.colourIndex = index("ColorIndex");
    return f;
  }

  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  DrawingFormat format_;
  Drawing& d_;
  std::map<std::string, int, std::less<>> byName_;
  std::unordered_map<std::string, int, NameHash, std::equal_to<>> byRawName_;
  Ahead ahead_;
  Fields fields_;
};

// Room for the entities and points a file of that size usually holds, taken
// before the reading: growing the arrays as they fill moves every entity
// and point several times and touches fresh memory each time. Room not used
// is never touched, so it costs no memory in use.
void ReserveFor(std::size_t bytes, Drawing& d) {
  // A drawing's entity takes 100 bytes or more of a file, and a point (arcs
  // made linear give many) 5 or more; the caps keep a huge file's guess sane.
  const std::size_t entities = std::min<std::size_t>(bytes / 100, 4'000'000);
  const std::size_t points = std::min<std::size_t>(bytes / 5, 32'000'000);
  d.entities.reserve(entities);
  d.xs.reserve(points);
  d.ys.reserve(points);
  AskForLargePages(d.entities.data(), d.entities.capacity() * sizeof(Entity));
  AskForLargePages(d.xs.data(), d.xs.capacity() * sizeof(double));
  AskForLargePages(d.ys.data(), d.ys.capacity() * sizeof(double));
}

std::optional<ReadError> TooLarge(const std::string& what, const std::string& path) {
  return Fail(kErrTooLarge, "The drawing is too large to show: " + what + ": " + path);
}

// A DXF that expands past what can be shown, is cut off or damaged. What it
// expands to is told first: a bomb is a bomb whatever else is wrong with it.
std::optional<ReadError> CheckDxfScan(const DxfScan& scan, const std::string& path) {
  if (scan.entities > static_cast<double>(kMaxEntities))
    return TooLarge("with its blocks expanded it holds more than " + GroupedNumber(kMaxEntities) + " entities", path);
  if (scan.points > static_cast<double>(kMaxPoints))
    return TooLarge("with its blocks expanded it holds more than " + GroupedNumber(kMaxPoints) + " points", path);
  if (!scan.text) return Fail(kErrBadFileFormat, "Not a DXF, DWG or DGN drawing: " + path);
  if (scan.damagedLine > 0)
    return Fail(kErrBadFileFormat, "The drawing could not be read whole (damaged at line " +
                                       std::to_string(scan.damagedLine) + "): " + path);
  if (!scan.whole)
    return Fail(kErrBadFileFormat, "The drawing could not be read whole (it ends before its end mark): " + path);
  return std::nullopt;
}

// The drawing being read has grown past what can be shown.
std::optional<ReadError> CheckSize(const Drawing& d, const std::string& path) {
  if (d.entities.size() > static_cast<std::size_t>(kMaxEntities))
    return TooLarge("it holds more than " + GroupedNumber(kMaxEntities) + " entities", path);
  if (d.xs.size() > static_cast<std::size_t>(kMaxPoints))
    return TooLarge("it holds more than " + GroupedNumber(kMaxPoints) + " points", path);
  return std::nullopt;
}

// Layer names of a DXF read in the encoding GDAL reads its texts and names
// in, so that a layer of the table and the same layer named by an entity are
// one; none when GDAL chooses.
NameDecoder DxfNameDecoder(const std::string& encoding) {
  if (encoding.empty()) return {};
  return [encoding](std::string_view raw) {
    char* recoded = CPLRecode(std::string(raw).c_str(), encoding.c_str(), CPL_ENC_UTF8);
    std::string name = Utf8OrWindows1252(recoded ? recoded : "");
    CPLFree(recoded);
    return name;
  };
}

// Looks through a file GDAL will read as DXF, and any file that is not
// plainly another format, before GDAL reads it: what it expands to, whether
// it is whole, its encoding (set for the session and given back). A binary DXF is refused:
// GDAL here reads none.
std::optional<ReadError> LookThrough(const std::string& path, const std::string& content, const MemoryFile& file,
                                     GdalSession& session, std::optional<DxfScan>& scan,
                                     std::string& encoding) {
  const std::string head = content.substr(0, 32);
  if (OtherFormat(head) && !GdalReadsAsDxf(file)) return std::nullopt;
  static const std::string kBinaryDxf("AutoCAD Binary DXF", 18);
  if (head.rfind(kBinaryDxf, 0) == 0)
    return Fail(kErrBadFileFormat, "Binary DXF drawings cannot be read; save the drawing as a DXF text file: " + path);
  scan = ScanDxf(content);
  // Checked before GDAL sees the file: GDAL's DXF reader does not come
  // back from some files that end early (a last line ended by CR alone).
  if (auto error = CheckDxfScan(*scan, path)) return error;
  encoding = DxfTextEncoding(*scan);
  if (!encoding.empty()) session.Set("DXF_ENCODING", encoding.c_str());
  return std::nullopt;
}

void ApplyDxfTable(const std::vector<DxfLayerRecord>& table, std::vector<Layer>& layers) {
  for (const auto& r : table) {
    Layer l;
    l.name = r.name;
    l.colour = r.colour == 0 ? 7 : std::min(std::abs(r.colour), 255);
    l.state = (r.flags & 1) ? kLayerFrozen : (r.colour < 0 ? kLayerOff : kLayerShown);
    layers.push_back(l);
  }
}

}  // namespace

std::optional<ReadError> ReadDrawing(const std::string& path, Drawing& out) {
  std::string content;
  if (auto error = ReadFile(path, content)) return error;
  GdalSession session;
  // An ASCII DXF is looked through first: its encoding, whether it is whole
  // and what its blocks expand to.
  std::optional<DxfScan> scan;
  std::string encoding;
  {
    const MemoryFile probe(path, content);
    if (auto error = LookThrough(path, content, probe, session, scan, encoding)) return error;
  }
  // Coordinates that are not numbers and fit-point splines are rewritten
  // (line for line) before GDAL reads the file.
  if (scan && !scan->edits.empty()) content = EditedDxf(content, scan->edits);
  const MemoryFile file(path, content);
  Dataset ds;
  Drawing d;
  if (auto error = Open(path, file, session, ds, d.format)) return error;
  const bool dxfText = d.format == DrawingFormat::Dxf && scan && scan->text;
  // From here on an error means the drawing was not read whole.
  session.messages.error.clear();
  session.messages.errors = 0;
  Builder builder(d.format, d);
  ReserveFor(content.size(), d);
  if (d.format == DrawingFormat::Dxf) {
    // The layer table first, so that layer indexes follow table order.
    if (const auto table = ReadDxfLayerTable(content, DxfNameDecoder(encoding))) {
      ApplyDxfTable(*table, d.layers);
      d.tableLayers = static_cast<long>(d.layers.size());
      builder.Seed();
    }
  }
  const int layerCount = GDALDatasetGetLayerCount(ds.get());
  for (int i = 0; i < layerCount; ++i) {
    OGRLayerH layer = GDALDatasetGetLayer(ds.get(), i);
    const std::string name = OGR_L_GetName(layer);
    if (d.format == DrawingFormat::Dwg) builder.LayerIndex(Utf8OrWindows1252(name));
    OGRFeatureDefnH defn = OGR_L_GetLayerDefn(layer);
    OGR_L_ResetReading(layer);
    while (OGRFeatureH f = OGR_L_GetNextFeature(layer)) {
      builder.Feature(f, defn, name);
      OGR_F_Destroy(f);
      if (auto error = CheckSize(d, path)) return error;
    }
  }
  if (d.format == DrawingFormat::Dwg) builder.DwgLayerColours();
  if (d.format == DrawingFormat::Dgn) {
    // Levels used, ascending by number.
    std::vector<int> order(d.layers.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
      return std::stoi(d.layers[static_cast<std::size_t>(a)].name) < std::stoi(d.layers[static_cast<std::size_t>(b)].name);
    });
    std::vector<int> newIndex(order.size());
    std::vector<Layer> sorted;
    for (std::size_t i = 0; i < order.size(); ++i) {
      newIndex[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
      sorted.push_back(d.layers[static_cast<std::size_t>(order[i])]);
    }
    d.layers = std::move(sorted);
    for (auto& e : d.entities) e.layer = newIndex[static_cast<std::size_t>(e.layer)];
  }
  // A file cut off or damaged half way gives the entities before the damage
  // and an error: a part of the drawing must not pass for all of it. A DXF
  // whose every group was read is whole: GDAL's error there is about one
  // entity it could not shape (a spline of fit points only), which is left
  // out as GDAL leaves it.
  if (!session.messages.error.empty()) {
    if (!dxfText)
      return Fail(kErrBadFileFormat, "The drawing could not be read whole (" + file.Told(session.messages.error, path) + "): " + path);
    session.messages.warnings.insert(session.messages.warnings.begin(),
                                     std::to_string(session.messages.errors) +
                                         " entities could not be shaped and were left out (" +
                                         file.Told(session.messages.error, path) + ")");
    // Told to the user by kind, where GDAL's message names the line.
    const std::vector<std::string> kinds = DxfKindsAtLines(content, session.messages.errorLines);
    d.notShaped = std::max<long>(session.messages.errors > 0 ? 1 : 0, static_cast<long>(kinds.size()));
    for (const std::string& kind : kinds) CountLeftOut(d, kind.empty() ? std::string("OTHER") : kind);
  }
  d.blocksLeftOut = session.messages.blockRecursion;
  for (std::string& warning : session.messages.warnings) d.warnings.push_back(file.Told(std::move(warning), path));
  out = std::move(d);
  return std::nullopt;
}

std::optional<ReadError> ReadLayers(const std::string& path, std::vector<Layer>& out) {
  {
    // An ASCII DXF with a readable table needs no full read.
    std::string content;
    if (auto error = ReadFile(path, content)) return error;
    GdalSession session;
    const MemoryFile file(path, content);
    std::optional<DxfScan> scan;
    std::string encoding;
    if (auto error = LookThrough(path, content, file, session, scan, encoding)) return error;
    Dataset ds;
    DrawingFormat format = DrawingFormat::None;
    if (auto error = Open(path, file, session, ds, format)) return error;
    if (format == DrawingFormat::Dxf) {
      if (const auto table = ReadDxfLayerTable(content, DxfNameDecoder(encoding))) {
        out.clear();
        ApplyDxfTable(*table, out);
        return std::nullopt;
      }
    }
  }
  Drawing d;
  if (auto error = ReadDrawing(path, d)) return error;
  out = std::move(d.layers);
  return std::nullopt;
}

}  // namespace korvalo::viewer

// The module's entry point (reader_module.h).
extern "C" __attribute__((visibility("default"))) const korvalo::viewer::ReaderFunctions* korvalo_drawing_reader() {
  static const korvalo::viewer::ReaderFunctions functions{.readDrawing = &korvalo::viewer::ReadDrawing,
                                                          .readLayers = &korvalo::viewer::ReadLayers};
  return &functions;
}

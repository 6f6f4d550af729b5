// Any bytes as a DXF file, read by the drawing reader through GDAL in this
// process (unbounded, so that a GDAL loop the look-through lets pass shows
// as a timeout, fuzz/run.sh; the replay test has a time limit too): the
// reader either refuses the file with a number and a reason, or gives a
// drawing every part of which holds together: layers and texts where the
// entities point, valid UTF-8, only coordinates that can be shown, and no
// more than the budget. The grid index over it answers. The look through
// the DXF that comes first is checked on the same bytes.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/viewer/dxf_scan.h"
#include "platform/viewer/grid_index.h"
#include "platform/viewer/layer_table.h"
#include "platform/viewer/reader.h"
#include "platform/viewer/reader_module.h"

namespace {

using namespace korvalo::viewer;

// Past this many entities once expanded an input is only looked through.
constexpr double kFuzzEntities = 100'000;

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "Drawing check failed: %s\n", what);
  std::abort();
}

// One file for this process, removed at exit.
const std::string& InputPath() {
  static const std::string path = [] {
    const std::string p =
        (std::filesystem::temp_directory_path() / ("korvalo-fuzz-" + std::to_string(::getpid()) + ".dxf")).string();
    std::atexit([] { std::remove(InputPath().c_str()); });
    return p;
  }();
  return path;
}

bool Shown(double v) { return std::fabs(v) <= kFarthestCoordinate; }

void CheckDrawing(const Drawing& d) {
  Check(d.format == DrawingFormat::Dxf || d.format == DrawingFormat::Dgn || d.format == DrawingFormat::Dwg,
        "a format");
  Check(d.entities.size() <= static_cast<std::size_t>(kMaxEntities), "entities within the budget");
  Check(d.xs.size() == d.ys.size() && d.xs.size() <= static_cast<std::size_t>(kMaxPoints),
        "points within the budget");
  Check(!d.texts.empty() && d.texts[0].empty(), "text 0 is none");
  for (const std::string& t : d.texts) Check(Utf8OrWindows1252(t) == t, "texts are UTF-8");
  for (const Layer& l : d.layers) Check(Utf8OrWindows1252(l.name) == l.name, "layer names are UTF-8");
  for (const Entity& e : d.entities) {
    Check(e.layer >= 0 && static_cast<std::size_t>(e.layer) < d.layers.size(), "a layer of the drawing");
    Check(e.text < d.texts.size(), "a text of the drawing");
    Check(static_cast<std::size_t>(e.firstPoint) + e.pointCount <= d.xs.size(), "points of the drawing");
    for (std::uint32_t k = e.firstPoint; k < e.firstPoint + e.pointCount; ++k) {
      // NaN parts the parts of one entity; any other value can be shown.
      Check(std::isnan(d.xs[k]) == std::isnan(d.ys[k]), "a part break in both");
      if (!std::isnan(d.xs[k])) Check(Shown(d.xs[k]) && Shown(d.ys[k]), "coordinates that can be shown");
    }
    if (!e.box.empty) Check(Shown(e.box.xmin) && Shown(e.box.xmax) && Shown(e.box.ymin) && Shown(e.box.ymax), "a box");
  }
  if (!d.extents.empty)
    Check(Shown(d.extents.xmin) && Shown(d.extents.xmax) && Shown(d.extents.ymin) && Shown(d.extents.ymax),
          "extents that can be shown");
  GridIndex index;
  index.Build(d);
  std::vector<std::uint32_t> found;
  index.Query(d.extents.xmin, d.extents.ymin, d.extents.xmax, d.extents.ymax, found);
  for (std::uint32_t i : found) Check(i < d.entities.size(), "the index answers entities");
  (void)LoadNotice(d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const DxfScan scan = ScanDxf(content);
  Check(scan.entities >= 0 && scan.entities <= kScanCeiling, "scan entities counted");
  Check(scan.points >= 0 && scan.points <= kScanCeiling, "scan points counted");
  Check(!scan.whole || scan.damagedLine == 0, "whole or damaged");
  // A drawing within the budget but of a million entities reads for
  // seconds: correct, and the benchmarks' concern, not the fuzzer's.
  if (scan.entities > kFuzzEntities || scan.points > 10 * kFuzzEntities) return 0;
  {
    std::ofstream out(InputPath(), std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
  }
  Drawing d;
  d.layers.push_back({"kept", 7, kLayerShown});
  const auto error = ReadDrawingHere(InputPath(), d);
  if (error) {
    Check(error->number == kErrFileNotFound || error->number == kErrBadFileFormat || error->number == kErrTooLarge,
          "a known error number");
    Check(!error->description.empty(), "a reason");
    Check(d.layers.size() == 1 && d.layers[0].name == "kept", "a refused file leaves the drawing held");
    return 0;
  }
  CheckDrawing(d);
  return 0;
}

#pragma once

// Drawings the viewer tests make: DXF text from group pairs, DGN through
// GDAL's DGN writer, and paths of the DWG fixtures in the project.

#include <cstdlib>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/fixtures.h"

namespace korvalo::viewer::testing {

using Pairs = std::vector<std::pair<int, std::string>>;

inline std::string DxfText(const Pairs& pairs, const char* eol = "\n") {
  std::string out;
  for (const auto& [code, value] : pairs) out += std::to_string(code) + eol + value + eol;
  return out;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline Pairs Section(const std::string& name, const Pairs& body) {
  Pairs p{{0, "SECTION"}, {2, name}};
  p.insert(p.end(), body.begin(), body.end());
  p.push_back({0, "ENDSEC"});
  return p;
}

inline Pairs Join(std::initializer_list<Pairs> parts) {
  Pairs p;
  for (const auto& part : parts) p.insert(p.end(), part.begin(), part.end());
  return p;
}

inline Pairs LayerTable(const std::vector<std::tuple<std::string, int, int>>& layers) {
  Pairs p{{0, "TABLE"}, {2, "LAYER"}, {70, std::to_string(layers.size())}};
  for (const auto& [name, colour, flags] : layers) {
    p.insert(p.end(), {{0, "LAYER"}, {2, name}, {70, std::to_string(flags)}, {62, std::to_string(colour)}, {6, "CONTINUOUS"}});
  }
  p.push_back({0, "ENDTAB"});
  return p;
}

inline Pairs Line(const std::string& handle, const std::string& layer, double x1, double y1, double x2, double y2,
                  int colour = 256) {
  return {{0, "LINE"},  {5, handle},  {100, "AcDbEntity"}, {8, layer}, {62, std::to_string(colour)},
          {100, "AcDbLine"}, {10, std::to_string(x1)}, {20, std::to_string(y1)}, {30, "0"},
          {11, std::to_string(x2)}, {21, std::to_string(y2)}, {31, "0"}};
}

inline Pairs Text(const std::string& handle, const std::string& layer, double x, double y, double height,
                  double angle, const std::string& text) {
  return {{0, "TEXT"}, {5, handle}, {100, "AcDbEntity"}, {8, layer}, {100, "AcDbText"},
          {10, std::to_string(x)}, {20, std::to_string(y)}, {30, "0"}, {40, std::to_string(height)},
          {1, text}, {50, std::to_string(angle)}, {100, "AcDbText"}};
}

inline Pairs MText(const std::string& handle, const std::string& layer, double x, double y, double height,
                   const std::string& text) {
  return {{0, "MTEXT"}, {5, handle}, {100, "AcDbEntity"}, {8, layer}, {100, "AcDbMText"},
          {10, std::to_string(x)}, {20, std::to_string(y)}, {30, "0"}, {40, std::to_string(height)},
          {71, "7"}, {1, text}};
}

inline Pairs Header(const std::string& version, const std::string& codepage = {}) {
  Pairs p{{9, "$ACADVER"}, {1, version}};
  if (!codepage.empty()) p.insert(p.end(), {{9, "$DWGCODEPAGE"}, {3, codepage}});
  return Section("HEADER", p);
}

inline std::string Eof(const char* eol = "\n") { return std::string("0") + eol + "EOF" + eol; }

// A drawing of the project's test data (tests/fixtures/drawings).
inline std::string Fixture(const std::string& name) { return korvalo::test_data::FixturePath("drawings/" + name); }

}  // namespace korvalo::viewer::testing

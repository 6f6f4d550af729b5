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

// A block definition holding the given entities.
inline Pairs Block(const std::string& name, const Pairs& entities) {
  Pairs p{{0, "BLOCK"}, {8, "0"}, {2, name}, {70, "0"}, {10, "0"}, {20, "0"}, {30, "0"}, {3, name}};
  p.insert(p.end(), entities.begin(), entities.end());
  p.push_back({0, "ENDBLK"});
  return p;
}

// An insert of a block, with rows and columns when given.
inline Pairs Insert(const std::string& block, double x, double y, int columns = 0, int rows = 0) {
  Pairs p{{0, "INSERT"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockReference"}, {2, block},
          {10, std::to_string(x)}, {20, std::to_string(y)}, {30, "0"}};
  if (columns > 0) p.insert(p.end(), {{70, std::to_string(columns)}, {44, "1"}});
  if (rows > 0) p.insert(p.end(), {{71, std::to_string(rows)}, {45, "1"}});
  return p;
}

// Blocks that insert blocks: B0 holds `fan` lines, every further block
// inserts the one before `fan` times, and the drawing inserts the last one
// `fan` times: fan^(depth + 1) lines once expanded, from a few kilobytes.
inline std::string BlockBombDxf(int depth, int fan) {
  Pairs lines;
  for (int i = 0; i < fan; ++i) lines = Join({lines, Line("A" + std::to_string(i), "0", i, 0, i, 1)});
  Pairs blocks = Block("B0", lines);
  for (int level = 1; level <= depth - 1; ++level) {
    Pairs inserts;
    for (int i = 0; i < fan; ++i) inserts = Join({inserts, Insert("B" + std::to_string(level - 1), 2.0 * i, 0)});
    blocks = Join({blocks, Block("B" + std::to_string(level), inserts)});
  }
  Pairs top;
  for (int i = 0; i < fan; ++i) top = Join({top, Insert("B" + std::to_string(depth - 1), 3.0 * i, 0)});
  return DxfText(Join({Header("AC1015"), Section("BLOCKS", blocks), Section("ENTITIES", top)})) + Eof();
}

// A drawing of the project's test data (tests/fixtures/drawings).
inline std::string Fixture(const std::string& name) { return korvalo::test_data::FixturePath("drawings/" + name); }

}  // namespace korvalo::viewer::testing

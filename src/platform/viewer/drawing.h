#pragma once

// A drawing as the viewer holds it: layers and entities in file order, with
// every point in flat arrays. Pure standard C++; the reader fills it from
// DXF, DWG (AutoCAD 2000 format only) and DGN v7 files through GDAL.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvalo::viewer {

// Layer states as the layer tables report them.
inline constexpr int kLayerShown = 0;
inline constexpr int kLayerOff = 1;
inline constexpr int kLayerFrozen = 2;  // cannot be shown
inline constexpr int kLayerUnknown = -1;

// Colour index meaning "the layer's colour".
inline constexpr int kColourByLayer = 256;

struct Layer {
  std::string name;
  int colour = 7;  // colour index, positive
  int state = kLayerShown;
};

enum class EntityKind { Line, Polyline, Arc, Circle, Text, MText, Point, Other };

// The name of the kind in the entity list ("LINE", "TEXTM", ...).
const char* KindName(EntityKind kind);

struct Bounds {
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  bool empty = true;
  void Add(double x, double y);
  void Add(const Bounds& b);
};

struct Entity {
  EntityKind kind = EntityKind::Other;
  int layer = 0;                    // index into Drawing::layers
  int colour = kColourByLayer;      // own colour index, 256 by layer
  std::uint32_t rgb = 0;            // the colour it is drawn in, 0xRRGGBB
  std::uint32_t firstPoint = 0;     // into Drawing::xs / ys
  std::uint32_t pointCount = 0;
  // Texts: the string as stored, insertion point, height, angle in degrees
  // counter-clockwise, anchor (1-12: rows baseline, centre, top, bottom;
  // columns left, centre, right).
  std::uint32_t text = 0;           // into Drawing::texts, 0 = none
  double x = 0, y = 0, height = 0, angle = 0;
  int anchor = 1;
  // The shown text's longest line in characters and its number of lines
  // (MeasureText); 0 until measured.
  std::uint32_t columns = 0, lines = 0;
  std::string handle;               // DXF entity handle, "" elsewhere
  Bounds box;
  // A solid fill (a SOLID, a hatch of the SOLID pattern, a filled shape):
  // its area is painted, not only its outline.
  bool filled = false;
  bool IsText() const { return kind == EntityKind::Text || kind == EntityKind::MText; }
};

enum class DrawingFormat { None, Dxf, Dwg, Dgn };

struct Drawing {
  DrawingFormat format = DrawingFormat::None;
  std::vector<Layer> layers;
  std::vector<Entity> entities;
  std::vector<double> xs, ys;
  std::vector<std::string> texts{std::string()};
  Bounds extents;
  std::vector<std::string> warnings;
  // What the reader left out of the file: entities whose coordinates cannot
  // be shown (not numbers, or farther out than kFarthestCoordinate), and
  // whether blocks were left out for inserting themselves or being nested
  // deeper than GDAL expands.
  long leftOut = 0;
  bool blocksLeftOut = false;
  // Entities the reader could not shape (GDAL failed on them) and left out.
  long notShaped = 0;
  // Every entity left out (leftOut and notShaped), by kind: the kind as the
  // file names it ("SPLINE", "LINE") and how many, in order of first
  // leaving out.
  std::vector<std::string> leftOutKinds;
  std::vector<long> leftOutKindCounts;
  // DXF: how many of the layers, from the first, are the file's LAYER table;
  // -1 when the file has no table that reads (the layers are then the ones
  // the entities use, in first-use order).
  long tableLayers = -1;

  const std::string& TextOf(const Entity& e) const { return texts[e.text]; }
  // Index of the named layer (exact case), -1 when none.
  int FindLayer(const std::string& name) const;
};

// The text as the drawing shows it: "%%d" the degree sign, "%%p" the
// plus-minus sign, "%%c" the diameter sign, "%%%" a percent sign, "\U+XXXX"
// its character; in multi-line texts "\P" a line break ('\n') and the
// formatting codes resolved (drawing_text::Resolve). The entity keeps the
// string as stored.
std::string DisplayText(std::string_view raw, bool multiLine);

// The box a text covers: corners counter-clockwise from its bottom left,
// rotated with the text. Characters are taken 0.6 of the height wide and
// lines 5/3 of the height apart.
struct TextBox {
  double x[4], y[4];
};
TextBox TextBoxOf(const Drawing& drawing, const Entity& e);
// Sets columns and lines of a text entity.
void MeasureText(const Drawing& drawing, Entity& e);
Bounds TextBounds(const Drawing& drawing, const Entity& e);

// The standard colour of a colour index (1-255) as 0xRRGGBB; 7 is black on
// a light background and white on a dark one, here black.
std::uint32_t ColourOfIndex(int index);
// The colour index of an exact palette colour, 0 when none.
int IndexOfColour(std::uint32_t rgb);

// 5000000 as "5,000,000".
std::string GroupedNumber(long n);

}  // namespace korvalo::viewer

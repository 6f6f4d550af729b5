#pragma once

// A quick look through an ASCII DXF file before GDAL reads it: whether the
// file is whole, the version and code page its header names, and how much
// the drawing holds once every block insert is expanded. A few kilobytes of
// blocks inserting blocks can stand for billions of entities; this count
// lets the reader refuse such a drawing before anything is expanded.
// Standard C++ only.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvalo::viewer {

// A line of the file to be read as other text (DxfScan::edits).
struct DxfLineEdit {
  std::size_t at = 0;      // byte offset of the line in the content
  std::size_t length = 0;  // its length, without the line end
  std::string text;        // what stands there instead
};

struct DxfScan {
  // The content reads as group code and value pairs from its start (after a
  // UTF-8 byte order mark, if any).
  bool text = false;
  // Every pair read and the end-of-file mark ("0" "EOF") reached.
  bool whole = false;
  // Where the pairs stopped reading when the file is not whole: the 1-based
  // line, 0 when the content simply ended early.
  long damagedLine = 0;
  std::string version;   // $ACADVER ("AC1032"), "" when not given
  std::string codepage;  // $DWGCODEPAGE ("ANSI_1252"), "" when not given
  // The drawing's entities and points once every block insert (with its
  // rows and columns) is expanded; at most kScanCeiling. Points are
  // estimated: the vertices written, or a curve's run of points. Inserts of
  // a block into itself count nothing (the reader leaves them out).
  double entities = 0;
  double points = 0;
  // Lines of entities that GDAL would read wrong, each rewritten into what
  // GDAL reads right (EditedDxf); lines are neither added nor removed, so a
  // line number GDAL reports is one of the file:
  // - a coordinate that is not a number (written "abc", or left empty),
  //   which GDAL would read as 0: written "nan", so that the entity is left
  //   out and counted as one whose coordinates are no numbers;
  // - a spline given by fit points only, which GDAL cannot shape: its fit
  //   points made the control points of a spline of degree 1, which is the
  //   polyline through them.
  std::vector<DxfLineEdit> edits;
};

// Counts stop growing here: far beyond any drawing that can be shown.
inline constexpr double kScanCeiling = 1e18;

DxfScan ScanDxf(std::string_view content);

// The content with the scan's edits made.
std::string EditedDxf(std::string_view content, const std::vector<DxfLineEdit>& edits);

// The encoding GDAL should read the file's texts and names in: "UTF-8" for
// the files of AutoCAD 2007 and later (AC1021 on), which are UTF-8 whatever
// code page their header names; for older files the Windows code page their
// header names ("ANSI_1252" gives "CP1252"); "" to let GDAL choose when the
// header names no Windows code page.
std::string DxfTextEncoding(const DxfScan& scan);

}  // namespace korvalo::viewer

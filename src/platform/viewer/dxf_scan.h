#pragma once

// A quick look through an ASCII DXF file before GDAL reads it: whether the
// file is whole, the version and code page its header names, and how much
// the drawing holds once every block insert is expanded. A few kilobytes of
// blocks inserting blocks can stand for billions of entities; this count
// lets the reader refuse such a drawing before anything is expanded.
// Standard C++ only.

#include <string>
#include <string_view>

namespace korvalo::viewer {

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
};

// Counts stop growing here: far beyond any drawing that can be shown.
inline constexpr double kScanCeiling = 1e18;

DxfScan ScanDxf(std::string_view content);

// The encoding GDAL should read the file's texts in: "UTF-8" for the files of
// AutoCAD 2007 and later (AC1021 on), which are UTF-8 whatever code page
// their header names; "" to let GDAL take the header's code page.
std::string DxfTextEncoding(const DxfScan& scan);

}  // namespace korvalo::viewer

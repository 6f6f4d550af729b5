#pragma once

// The drawing reader: DXF of any version, DWG in the AutoCAD 2000 format
// (AC1015) only, and DGN v7, through GDAL's vector drivers for those three
// formats. The format is found from the content, never from the file name;
// nothing else passes for a drawing. Texts keep their strings as stored
// ("%%d", "\P", "{\A1;...}"), which the text tokenisers need.

#include <optional>
#include <string>
#include <vector>

#include "platform/viewer/drawing.h"

namespace korvalo::viewer {

// Error numbers of a failed read.
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrBadFileFormat = 321;
inline constexpr int kErrReaderNotLoaded = 48;  // the reader's module (reader_module.h)

struct ReadError {
  int number = 0;
  std::string description;
};

// Reads the drawing at path into out. On failure out is left as it was and
// the error says why (GDAL's own message where it gave one).
std::optional<ReadError> ReadDrawing(const std::string& path, Drawing& out);

// Loads the reader now rather than at the first read (the reader over GDAL
// is a module loaded when first needed, reader_module.h): for a program that
// is there to show drawings, whose answers must not wait for the loading.
// False when it cannot be loaded; the first read then says why.
bool LoadReader();

// The layers of the drawing at path with their states: for DXF the LAYER
// table in table order (the layers the entities use, in first-use order,
// when the table cannot be read); for DWG the drawing's layers; for DGN the
// levels used, ascending, named by number.
std::optional<ReadError> ReadLayers(const std::string& path, std::vector<Layer>& out);

}  // namespace korvalo::viewer

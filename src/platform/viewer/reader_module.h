#pragma once

// The reader over GDAL is a module of its own (korvalo_gdal_reader.so in
// the program folder), loaded by ReadDrawing and ReadLayers when the first
// drawing is read, so that nothing of GDAL is loaded before a drawing is
// needed. The module hands out its two readers through one C entry point.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/viewer/drawing.h"
#include "platform/viewer/reader.h"

namespace korvalo::viewer {

struct ReaderFunctions {
  // The sizes of the values passed, as the module was built: a module of
  // another build is refused rather than trusted.
  std::size_t drawingSize = sizeof(Drawing);
  std::size_t entitySize = sizeof(Entity);
  std::size_t errorSize = sizeof(ReadError);
  std::optional<ReadError> (*readDrawing)(const std::string& path, Drawing& out) = nullptr;
  std::optional<ReadError> (*readLayers)(const std::string& path, std::vector<Layer>& out) = nullptr;
};

// Reading in this process, unbounded: for the drawing reader's program
// (read_process.h) and the fuzz target. Everything else reads through
// ReadDrawing and ReadLayers (reader.h), which bound the read.
std::optional<ReadError> ReadDrawingHere(const std::string& path, Drawing& out);
std::optional<ReadError> ReadLayersHere(const std::string& path, std::vector<Layer>& out);

// The entry point's name and type.
inline constexpr const char* kReaderEntryName = "korvalo_drawing_reader";
using ReaderEntry = const ReaderFunctions* (*)();

}  // namespace korvalo::viewer

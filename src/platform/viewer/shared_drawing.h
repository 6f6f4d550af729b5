#pragma once

// Drawings read once and shared. Both viewers of a window and the layer
// table of the same file use one parsed drawing and its grid index; each
// viewer keeps its own view, layer states and colours. A drawing is shared
// only while someone holds it and only for the file as it was read: another
// file at the path, or the same file changed (size or modification time),
// is read again, so a relocated or edited drawing never shows stale content.
// Pure standard C++ over POSIX file status.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/viewer/drawing.h"
#include "platform/viewer/grid_index.h"
#include "platform/viewer/reader.h"

namespace korvalo::viewer {

// Never changed once read.
struct SharedDrawing {
  SharedDrawing() = default;
  SharedDrawing(const SharedDrawing&) = delete;
  SharedDrawing& operator=(const SharedDrawing&) = delete;
  Drawing drawing;
  GridIndex index;  // over `drawing`
  // The layers as the file's layer table gives them: for DXF the LAYER
  // table when it reads, otherwise every layer of the drawing.
  std::vector<Layer> TableLayers() const;
};

// The drawing at path, read now or shared with its present holders. On
// failure null, and the error says why (as ReadDrawing does).
std::shared_ptr<const SharedDrawing> ReadSharedDrawing(const std::string& path, ReadError& error);

// An empty drawing with its (empty) index, for a viewer showing none.
const std::shared_ptr<const SharedDrawing>& NoDrawing();

}  // namespace korvalo::viewer

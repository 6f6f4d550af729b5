#pragma once

// A read's result as bytes, handed from the reader's process to the
// program's: a drawing, a layer list or a refusal, every field of each.
// Standard C++ only.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/viewer/drawing.h"
#include "platform/viewer/reader.h"

namespace korvalo::viewer {

// What the bytes hold: one of the three.
struct ReadResult {
  std::optional<ReadError> error;
  Drawing drawing;
  std::vector<Layer> layers;
};

// Writes the result to `out`: the error when there is one, else the drawing
// or the layers, whichever is given; returns its size in bytes. A null `out`
// only counts them (for room to be made first).
std::size_t EncodeResult(const std::optional<ReadError>& error, const Drawing* drawing,
                         const std::vector<Layer>* layers, char* out);
// The same appended to a string.
void EncodeResult(const std::optional<ReadError>& error, const Drawing* drawing, const std::vector<Layer>* layers,
                  std::string& out);

// Reads back what EncodeResult wrote; false when the bytes are not such a
// result (cut short, or of another build).
bool DecodeResult(std::string_view bytes, ReadResult& result);

}  // namespace korvalo::viewer

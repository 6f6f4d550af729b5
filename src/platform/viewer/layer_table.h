#pragma once

// Our small reader of the LAYER table in the TABLES section of an ASCII DXF
// file: name (group 2), colour (62, negative when the layer is off) and flags
// (70, bit 1 frozen), in table order. No GDAL, no Qt.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvalo::viewer {

struct DxfLayerRecord {
  std::string name;  // UTF-8
  int colour = 7;    // as stored: negative when off
  int flags = 0;
};

// The LAYER entries, or nothing when the file has no readable LAYER table
// (none at all, a record without a name, a value that is not a number, the
// table not ended). A table that reads gives every entry, none skipped.
//
// Names are read with decodeName (the bytes of the file's code page made
// UTF-8), or as Utf8OrWindows1252 without one.
using NameDecoder = std::function<std::string(std::string_view)>;
std::optional<std::vector<DxfLayerRecord>> ReadDxfLayerTable(std::string_view content,
                                                             const NameDecoder& decodeName = {});

// Valid UTF-8 as is; otherwise every byte as its Windows-1252 character.
std::string Utf8OrWindows1252(std::string_view bytes);

}  // namespace korvalo::viewer

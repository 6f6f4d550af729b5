// Any bytes as a DXF file's text: the layer-table reader either gives the
// table or nothing, never reads past the input, and what it gives holds
// only names that are valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/viewer/layer_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const auto table = korvalo::viewer::ReadDxfLayerTable(content);
  if (!table) return 0;
  for (const auto& layer : *table) {
    if (layer.name.empty()) std::abort();
    if (korvalo::viewer::Utf8OrWindows1252(layer.name) != layer.name) std::abort();
  }
  return 0;
}

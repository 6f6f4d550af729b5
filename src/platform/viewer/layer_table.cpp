#include "platform/viewer/layer_table.h"

#include "common/utf8.h"
#include "platform/viewer/dxf_pairs.h"

namespace korvalo::viewer {
namespace {

// Valid UTF-8 comes back unchanged from decoding and encoding again;
// malformed bytes come back as U+FFFD.
bool ValidUtf8(std::string_view s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return utf8::Encode(utf8::Decode(s)) == s;
  return true;
}

}  // namespace

std::string Utf8OrWindows1252(std::string_view bytes) {
  if (ValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + 8);
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80)
      out += ch;
    else
      out += utf8::FromWindowsCode(c);
  }
  return out;
}

std::optional<std::vector<DxfLayerRecord>> ReadDxfLayerTable(std::string_view content, const NameDecoder& decodeName) {
  DxfPairs pairs(content);
  int code = 0;
  std::string_view value;
  enum class Where { Outside, SectionStart, Tables, TableStart, Layers } where = Where::Outside;
  std::vector<DxfLayerRecord> records;
  bool inRecord = false;
  bool named = false;
  while (pairs.Next(code, value)) {
    switch (where) {
      case Where::Outside:
        if (code == 0 && DxfPairs::IsKeyword(value, "SECTION")) where = Where::SectionStart;
        if (code == 0 && DxfPairs::IsKeyword(value, "EOF")) return std::nullopt;
        break;
      case Where::SectionStart:
        where = (code == 2 && DxfPairs::IsKeyword(value, "TABLES")) ? Where::Tables : Where::Outside;
        break;
      case Where::Tables:
        if (code == 0 && DxfPairs::IsKeyword(value, "ENDSEC")) return std::nullopt;  // no LAYER table
        if (code == 0 && DxfPairs::IsKeyword(value, "TABLE")) where = Where::TableStart;
        break;
      case Where::TableStart:
        if (code == 2) where = DxfPairs::IsKeyword(value, "LAYER") ? Where::Layers : Where::Tables;
        break;
      case Where::Layers:
        if (code == 0) {
          if (inRecord && !named) return std::nullopt;
          if (DxfPairs::IsKeyword(value, "ENDTAB")) return records;
          if (!DxfPairs::IsKeyword(value, "LAYER")) return std::nullopt;
          records.emplace_back();
          inRecord = true;
          named = false;
        } else if (inRecord && code == 2) {
          if (value.empty()) return std::nullopt;
          records.back().name = decodeName ? decodeName(value) : Utf8OrWindows1252(value);
          named = true;
        } else if (inRecord && code == 62) {
          if (!DxfPairs::ParseInt(value, records.back().colour)) return std::nullopt;
        } else if (inRecord && code == 70) {
          if (!DxfPairs::ParseInt(value, records.back().flags)) return std::nullopt;
        }
        break;
    }
  }
  return std::nullopt;  // the table was never ended
}

}  // namespace korvalo::viewer

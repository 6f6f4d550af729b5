#include "platform/viewer/layer_table.h"

#include <charconv>

#include "common/utf8.h"

namespace korvalo::viewer {
namespace {

// Group code and value pairs, one line each, LF or CRLF.
class Pairs {
 public:
  explicit Pairs(std::string_view content) : rest_(content) {}

  // False at the end of the content or on a code that is not a number.
  bool Next(int& code, std::string_view& value) {
    std::string_view codeLine, valueLine;
    if (!Line(codeLine) || !Line(valueLine)) return false;
    if (!ParseInt(codeLine, code)) return false;
    value = valueLine;
    return true;
  }

  static bool ParseInt(std::string_view text, int& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
  }

 private:
  bool Line(std::string_view& line) {
    if (rest_.empty()) return false;
    const std::size_t n = rest_.find('\n');
    line = rest_.substr(0, n);
    rest_.remove_prefix(n == std::string_view::npos ? rest_.size() : n + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }
  std::string_view rest_;
};

bool IsKeyword(std::string_view value, std::string_view word) {
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  return value == word;
}

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

std::optional<std::vector<DxfLayerRecord>> ReadDxfLayerTable(std::string_view content) {
  Pairs pairs(content);
  int code = 0;
  std::string_view value;
  enum class Where { Outside, SectionStart, Tables, TableStart, Layers } where = Where::Outside;
  std::vector<DxfLayerRecord> records;
  bool inRecord = false;
  bool named = false;
  while (pairs.Next(code, value)) {
    switch (where) {
      case Where::Outside:
        if (code == 0 && IsKeyword(value, "SECTION")) where = Where::SectionStart;
        if (code == 0 && IsKeyword(value, "EOF")) return std::nullopt;
        break;
      case Where::SectionStart:
        where = (code == 2 && IsKeyword(value, "TABLES")) ? Where::Tables : Where::Outside;
        break;
      case Where::Tables:
        if (code == 0 && IsKeyword(value, "ENDSEC")) return std::nullopt;  // no LAYER table
        if (code == 0 && IsKeyword(value, "TABLE")) where = Where::TableStart;
        break;
      case Where::TableStart:
        if (code == 2) where = IsKeyword(value, "LAYER") ? Where::Layers : Where::Tables;
        break;
      case Where::Layers:
        if (code == 0) {
          if (inRecord && !named) return std::nullopt;
          if (IsKeyword(value, "ENDTAB")) return records;
          if (!IsKeyword(value, "LAYER")) return std::nullopt;
          records.emplace_back();
          inRecord = true;
          named = false;
        } else if (inRecord && code == 2) {
          if (value.empty()) return std::nullopt;
          records.back().name = Utf8OrWindows1252(value);
          named = true;
        } else if (inRecord && code == 62) {
          if (!Pairs::ParseInt(value, records.back().colour)) return std::nullopt;
        } else if (inRecord && code == 70) {
          if (!Pairs::ParseInt(value, records.back().flags)) return std::nullopt;
        }
        break;
    }
  }
  return std::nullopt;  // the table was never ended
}

}  // namespace korvalo::viewer

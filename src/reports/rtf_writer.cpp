#include "reports/rtf_writer.h"

#include <array>
#include <cstdio>

#include "common/utf8.h"

namespace korvalo::reports {
namespace {

// The Windows-1252 code of a character, or -1 when the set lacks it.
int WindowsCode(char32_t c) {
  if (c < 128) return static_cast<int>(c);
  static const std::array<char32_t, 128> table = [] {
    std::array<char32_t, 128> t{};
    for (int code = 128; code < 256; ++code) {
      const std::u32string cp = utf8::Decode(utf8::FromWindowsCode(code));
      t[static_cast<std::size_t>(code - 128)] = cp.size() == 1 ? cp[0] : U'\uFFFF';
    }
    return t;
  }();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i] == c) return static_cast<int>(i) + 128;
  }
  return -1;
}

void AppendHex(std::string& out, int code) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\'%02x", code);
  out += buffer;
}

// \uN? with N the signed 16-bit value of a UTF-16 unit.
void AppendUnicode(std::string& out, unsigned unit) {
  out += "\\u" + std::to_string(static_cast<int>(static_cast<short>(unit))) + "?";
}

void AppendCharacter(std::string& out, char32_t c) {
  if (c == U'\\' || c == U'{' || c == U'}') {
    out += '\\';
    out += static_cast<char>(c);
  } else if (c == U'\t') {
    out += "\\tab ";
  } else if (c < 32) {
    AppendHex(out, static_cast<int>(c));
  } else if (c < 128) {
    out += static_cast<char>(c);
  } else if (const int code = WindowsCode(c); code >= 0) {
    AppendHex(out, code);
  } else if (c > 0xFFFF) {
    const char32_t v = c - 0x10000;
    AppendUnicode(out, 0xD800 + static_cast<unsigned>(v >> 10));
    AppendUnicode(out, 0xDC00 + static_cast<unsigned>(v & 0x3FF));
  } else {
    AppendUnicode(out, static_cast<unsigned>(c));
  }
}

}  // namespace

std::string RtfDocument(std::string_view text) {
  std::string out =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\r\n"
      "\\pard\\plain\\f0\\fs20 ";
  const std::u32string chars = utf8::Decode(text);
  std::size_t i = 0;
  bool lineOpen = false;
  while (i < chars.size()) {
    const char32_t c = chars[i];
    if (c == U'\r' || c == U'\n') {
      out += "\\par\r\n";
      lineOpen = false;
      i += (c == U'\r' && i + 1 < chars.size() && chars[i + 1] == U'\n') ? 2 : 1;
      continue;
    }
    AppendCharacter(out, c);
    lineOpen = true;
    ++i;
  }
  if (lineOpen) out += "\\par\r\n";
  out += "}\r\n";
  return out;
}

}  // namespace korvalo::reports

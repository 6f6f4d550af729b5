#include "common/drawing_text.h"

#include <vector>

#include "common/utf8.h"

namespace korvalo::drawing_text {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "\U+XXXX" at i: its code point, 0 when there is none.
char32_t UnicodeEscapeAt(std::string_view raw, std::size_t i) {
  if (i + 7 > raw.size() || raw[i] != '\\' || raw[i + 1] != 'U' || raw[i + 2] != '+') return 0;
  char32_t cp = 0;
  for (std::size_t k = i + 3; k < i + 7; ++k) {
    const int digit = HexDigit(raw[k]);
    if (digit < 0) return 0;
    cp = cp * 16 + static_cast<char32_t>(digit);
  }
  return cp;
}

// Whether each byte of a multi-line text is a brace that has its partner:
// only those group codes; a lone one is a character of the text.
std::vector<bool> PairedBraces(std::string_view raw) {
  std::vector<bool> paired(raw.size(), false);
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\') {
      ++i;  // an escaped character is no brace
    } else if (raw[i] == '{') {
      open.push_back(i);
    } else if (raw[i] == '}' && !open.empty()) {
      paired[open.back()] = paired[i] = true;
      open.pop_back();
    }
  }
  return paired;
}

bool EndsAtSemicolon(char code) {
  switch (code) {
    case 'f': case 'F': case 'H': case 'W': case 'Q': case 'T': case 'A': case 'C': case 'c': case 'p':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string Resolve(std::string_view raw, ReadOptions options) {
  std::string out;
  out.reserve(raw.size());
  const std::vector<bool> paired = options.multiLine ? PairedBraces(raw) : std::vector<bool>();
  std::size_t i = 0;
  while (i < raw.size()) {
    const char c = raw[i];
    if (options.percentCodes && c == '%' && i + 2 < raw.size() && raw[i + 1] == '%') {
      const char code = static_cast<char>(raw[i + 2] | 0x20);
      if (code == 'd') out += "\u00B0";
      else if (code == 'p') out += "\u00B1";
      else if (code == 'c') out += "\u2300";
      else if (raw[i + 2] == '%') out += '%';
      else if (code != 'o' && code != 'u') out.append(raw.substr(i, 3));
      i += 3;
      continue;
    }
    if (c == '\\') {
      if (const char32_t cp = UnicodeEscapeAt(raw, i); cp != 0) {
        out += utf8::Encode(cp);
        i += 7;
        continue;
      }
    }
    if (options.multiLine && (c == '{' || c == '}') && paired[i]) {
      ++i;
      continue;
    }
    if (options.multiLine && c == '\\' && i + 1 < raw.size()) {
      const char code = raw[i + 1];
      switch (code) {
        case 'P': case 'X': out += '\n'; i += 2; continue;
        case '~': out += ' '; i += 2; continue;
        case '\\': case '{': case '}': out += code; i += 2; continue;
        case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': i += 2; continue;
        default: break;
      }
      const std::size_t end = raw.find(';', i + 2);
      if (code == 'S' && end != std::string_view::npos) {
        for (const char s : raw.substr(i + 2, end - (i + 2))) out += (s == '^' || s == '#') ? '/' : s;
        i = end + 1;
        continue;
      }
      if (EndsAtSemicolon(code) && end != std::string_view::npos) {
        i = end + 1;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

}  // namespace korvalo::drawing_text

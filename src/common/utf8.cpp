#include "common/utf8.h"

namespace korvalo::utf8 {

std::u32string Decode(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) out.push_back(DecodeNext(text, pos));
  return out;
}

bool IsWellFormed(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t at = pos;
    if (DecodeNext(text, pos) == kReplacement && text.substr(at, pos - at) != "\uFFFD") {
      return false;
    }
  }
  return true;
}

std::string Sanitize(std::string_view text) {
  if (IsWellFormed(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t at = pos;
    const char32_t cp = DecodeNext(text, pos);
    if (cp == kReplacement) {
      out += "\uFFFD";
    } else {
      out.append(text.substr(at, pos - at));
    }
  }
  return out;
}

std::string Encode(char32_t cp) {
  std::string out;
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
  return out;
}

std::string Encode(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t cp : text) out += Encode(cp);
  return out;
}

std::size_t Length(std::string_view text) {
  std::size_t count = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    DecodeNext(text, pos);
    ++count;
  }
  return count;
}

std::string FromWindowsCode(int code) {
  static constexpr char32_t kCp1252High[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (code < 0 || code > 255) return {};
  if (code >= 128 && code < 160) return Encode(kCp1252High[code - 128]);
  return Encode(static_cast<char32_t>(code));
}

std::string Substr(std::string_view text, std::size_t start, std::size_t count) {
  const std::u32string cps = Decode(text);
  if (start >= cps.size()) return {};
  return Encode(std::u32string_view(cps).substr(start, count));
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

std::string RemoveBlanks(std::string_view text) {
  // Sanitize first: "\xC2 \xB0" holds two malformed units, and without the
  // blank its bytes would spell a degree sign.
  const std::string clean = Sanitize(text);
  std::string out;
  out.reserve(clean.size());
  for (char c : clean) {
    if (c != ' ') out.push_back(c);
  }
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = text.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

}  // namespace korvalo::utf8

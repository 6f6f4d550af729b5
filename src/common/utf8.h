#pragma once

#include <string>
#include <string_view>

// Text is UTF-8 everywhere. Where the program counts or scans characters it
// counts code points: the degree sign is one character. These helpers are the
// only place that does byte arithmetic on UTF-8.
namespace korvalo::utf8 {

// Code points of the Windows character set the program's texts use.
inline constexpr char32_t kDegreeSign = U'\u00B0';     // code 176
inline constexpr char32_t kOldDegreeSign = U'\u00F8';  // code 248
inline constexpr std::string_view kDegree = "\u00B0";

inline constexpr char32_t kReplacement = U'\uFFFD';

// The one UTF-8 decoder of the program; every reading of text goes through it
// so that no two readers see different characters in the same bytes.
//
// A unit is an ASCII byte, a lead byte with the continuation bytes that follow
// it (up to as many as the lead announces), or a continuation byte without a
// lead. A unit that is not the shortest encoding of a code point -- an
// overlong form, a surrogate, a value above U+10FFFF, a sequence cut short by
// a byte that does not continue it or by the end of the text, a stray
// continuation byte, a byte F8..FF -- is exactly one U+FFFD, so that no input
// is lost silently into a valid character and none becomes two. ASCII bytes
// are always characters of their own: a malformed unit never swallows one.
//
// Reads the unit at `pos` and moves `pos` past it; `pos` must be before the end.
inline char32_t DecodeNext(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) return lead;
  int more = 0;
  char32_t cp = 0;
  char32_t least = 0;
  if (lead < 0xC0) {
    return kReplacement;  // a continuation byte without a lead
  } else if (lead < 0xE0) {
    more = 1, cp = lead & 0x1F, least = 0x80;
  } else if (lead < 0xF0) {
    more = 2, cp = lead & 0x0F, least = 0x800;
  } else if (lead < 0xF8) {
    more = 3, cp = lead & 0x07, least = 0x10000;
  } else if (lead < 0xFC) {
    more = 4, least = 0x110000;  // old five-byte form: never a code point
  } else if (lead < 0xFE) {
    more = 5, least = 0x110000;  // old six-byte form
  } else {
    return kReplacement;
  }
  int got = 0;
  while (got < more && pos < text.size() &&
         (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) {
    cp = (cp << 6) | (static_cast<unsigned char>(text[pos]) & 0x3F);
    ++pos;
    ++got;
  }
  if (got < more || least > 0x10FFFF) return kReplacement;
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  return cp;
}

// True when every unit of the text is a code point (no U+FFFD came from a
// malformed unit).
bool IsWellFormed(std::string_view text);

std::u32string Decode(std::string_view text);
// Code points that are not Unicode scalar values (surrogates, above
// U+10FFFF) are written as U+FFFD.
std::string Encode(std::u32string_view text);
std::string Encode(char32_t cp);

// The text with every malformed unit written as U+FFFD: well-formed UTF-8
// whose characters are those Decode reads.
std::string Sanitize(std::string_view text);

// Number of code points, as Decode counts them.
std::size_t Length(std::string_view text);

// The character of a Windows (code page 1252) code below 256 as UTF-8.
// Codes 128..159 map to their cp1252 characters; others equal Latin-1.
std::string FromWindowsCode(int code);

// Code-point substring: `count` code points from `start` (0-based).
std::string Substr(std::string_view text, std::size_t start,
                   std::size_t count = std::string_view::npos);

// Upper and lower case of ASCII letters only; other characters unchanged
// (byte for byte: an ASCII byte is always a character of its own).
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
inline char32_t AsciiUpper(char32_t c) { return (c >= U'a' && c <= U'z') ? c - 32 : c; }

// Removes every blank (U+0020). The result is well-formed (Sanitize): taking
// a blank out never joins two malformed pieces into a character.
std::string RemoveBlanks(std::string_view text);

// Replaces every occurrence of `from` (exact bytes) by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Case-insensitive comparison of ASCII letters (names of tables, fields).
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace korvalo::utf8

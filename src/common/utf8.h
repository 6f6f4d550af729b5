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

// Decodes UTF-8; a malformed byte decodes as U+FFFD so that no input is lost
// silently into a valid character.
std::u32string Decode(std::string_view text);
std::string Encode(std::u32string_view text);
std::string Encode(char32_t cp);

// Number of code points.
std::size_t Length(std::string_view text);

// The character of a Windows (code page 1252) code below 256 as UTF-8.
// Codes 128..159 map to their cp1252 characters; others equal Latin-1.
std::string FromWindowsCode(int code);

// Code-point substring: `count` code points from `start` (0-based).
std::string Substr(std::string_view text, std::size_t start,
                   std::size_t count = std::string_view::npos);

// Upper and lower case of ASCII letters only; other characters unchanged.
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
inline char32_t AsciiUpper(char32_t c) { return (c >= U'a' && c <= U'z') ? c - 32 : c; }

// Removes every blank (U+0020).
std::string RemoveBlanks(std::string_view text);

// Replaces every occurrence of `from` (exact bytes) by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Case-insensitive comparison of ASCII letters (names of tables, fields).
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace korvalo::utf8

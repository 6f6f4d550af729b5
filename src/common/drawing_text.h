#pragma once

#include <string>
#include <string_view>

// Drawing text as stored in a drawing file, read as the drawing program shows
// it. Pure standard C++.
namespace korvalo::drawing_text {

struct ReadOptions {
  // A multi-line text: its formatting codes are read (see Resolve).
  bool multiLine = false;
  // "%%d" the degree sign, "%%p" the plus-minus sign, "%%c" the diameter
  // sign, "%%%" a percent sign; "%%o" and "%%u" (over- and underline on or
  // off) dropped. Off, the codes stay as written (the text tokenisers match
  // the project's own degree code).
  bool percentCodes = true;
};

// The text as written, without its codes:
// - in every text "\U+XXXX" is the character of that code point;
// - in a multi-line text "\P" (and "\X") is a line break ('\n'), "\~" a
//   blank, "\\", "\{" and "\}" the characters themselves; the formatting codes
//   that end at a ";" (font "\f" "\F", height "\H", width "\W", oblique "\Q",
//   tracking "\T", alignment "\A", colour "\C" "\c", paragraph "\p") and the
//   switches "\L \l \O \o \K \k" are dropped, the braces that group them too;
//   a stack "\S1/2;" reads as its text ("1/2", "^" and "#" read as "/").
// A code cut off before its ";" and a brace without its partner stay as
// written: nothing of the text is lost to a code that never ends.
std::string Resolve(std::string_view raw, ReadOptions options);

}  // namespace korvalo::drawing_text

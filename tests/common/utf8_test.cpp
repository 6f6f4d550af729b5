#include "common/utf8.h"

#include <gtest/gtest.h>

namespace korvalo::utf8 {
namespace {

TEST(Utf8, CountsCodePoints) {
  EXPECT_EQ(Length("N45\u00B030'15\"E"), 11u);
  EXPECT_EQ(Length(""), 0u);
  EXPECT_EQ(Decode("a\u00B0b"), U"a\u00B0b");
  EXPECT_EQ(Encode(U"5\u00F8"), "5\u00F8");
  EXPECT_EQ(Substr("N45\u00B0E", 1, 3), "45\u00B0");
  EXPECT_EQ(Substr("ab", 5), "");
}

TEST(Utf8, MalformedBytesDecodeAsReplacement) {
  EXPECT_EQ(Decode("a\xFF"), U"a\uFFFD");
  EXPECT_EQ(Decode("\xC2"), U"\uFFFD");
}

// Every malformed unit is exactly one U+FFFD, in every reader; ASCII bytes
// after it are never swallowed.
TEST(Utf8, EveryMalformedUnitIsOneReplacement) {
  struct Case {
    const char* what;
    std::string bytes;
    std::u32string chars;
  };
  const Case cases[] = {
      {"overlong slash", "\xC0\xAF", U"\uFFFD"},
      {"overlong degree sign", "N45\xC0\xB0" "30\xC0\xA7" "E", U"N45\uFFFD30\uFFFDE"},
      {"three-byte overlong", "\xE0\x82\xB0", U"\uFFFD"},
      {"four-byte overlong", "\xF0\x80\x80\xAF", U"\uFFFD"},
      {"surrogate", "\xED\xA0\x80", U"\uFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", U"\uFFFD"},
      {"old five-byte form", "\xF8\x88\x80\x80\x80", U"\uFFFD"},
      {"old six-byte form", "\xFC\x84\x80\x80\x80\x80", U"\uFFFD"},
      {"stray continuation bytes", "a\x80\xBF" "b", U"a\uFFFD\uFFFDb"},
      {"byte FF", "a\xFF", U"a\uFFFD"},
      {"cut short by the end", "\xE2\x82", U"\uFFFD"},
      {"cut short by a letter", "\xE2\x82" "A", U"\uFFFDA"},
      {"lead without continuation", "\xC2", U"\uFFFD"},
      {"split by a blank", "\xC2 \xB0", U"\uFFFD \uFFFD"},
      {"largest code point", "\xF4\x8F\xBF\xBF", U"\U0010FFFF"},
      {"replacement character itself", "\xEF\xBF\xBD", U"\uFFFD"},
      {"degree sign", "\xC2\xB0", U"\u00B0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.bytes), c.chars) << c.what;
    EXPECT_EQ(Length(c.bytes), c.chars.size()) << c.what;
    const std::string clean = Sanitize(c.bytes);
    EXPECT_TRUE(IsWellFormed(clean)) << c.what;
    EXPECT_EQ(Decode(clean), c.chars) << c.what;
    EXPECT_EQ(clean, Encode(c.chars)) << c.what;
    const bool malformed = c.chars.find(kReplacement) != std::u32string::npos &&
                           c.bytes != "\xEF\xBF\xBD";
    EXPECT_EQ(IsWellFormed(c.bytes), !malformed) << c.what;
    EXPECT_EQ(Substr(c.bytes, 0), clean) << c.what;
  }
}

TEST(Utf8, RemovingBlanksNeverJoinsMalformedPieces) {
  EXPECT_EQ(RemoveBlanks("N45\xC2 \xB0" "E"), "N45\uFFFD\uFFFDE");
  EXPECT_EQ(RemoveBlanks(" N 45\u00B0 E "), "N45\u00B0E");
}

TEST(Utf8, EncodeWritesOnlyScalarValues) {
  EXPECT_EQ(Encode(char32_t{0xD800}), "\uFFFD");
  EXPECT_EQ(Encode(char32_t{0x110000}), "\uFFFD");
  EXPECT_EQ(Encode(char32_t{0x10FFFF}), "\U0010FFFF");
}

TEST(Utf8, WindowsCodes) {
  EXPECT_EQ(FromWindowsCode(176), "\u00B0");
  EXPECT_EQ(FromWindowsCode(248), "\u00F8");
  EXPECT_EQ(FromWindowsCode(34), "\"");
  EXPECT_EQ(FromWindowsCode(128), "\u20AC");
}

TEST(Utf8, TextHelpers) {
  EXPECT_EQ(AsciiUpper("n45\u00B0e"), "N45\u00B0E");
  EXPECT_EQ(RemoveBlanks(" N 45 E "), "N45E");
  EXPECT_EQ(ReplaceAll("45%%D30", "%%D", "\u00B0"), "45\u00B030");
  EXPECT_TRUE(EqualsNoCase("tblParcel", "TBLPARCEL"));
  EXPECT_FALSE(EqualsNoCase("tblParcel", "tblParcels"));
}

}  // namespace
}  // namespace korvalo::utf8

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

#include "geometry/tokens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/utf8.h"

namespace korvalo::geometry {
namespace {

using Tokens = std::vector<std::string>;

std::string Joined(const Tokens& tokens) {
  std::string all;
  for (const std::string& t : tokens) all += t;
  return all;
}

struct TokenCase {
  const char* text;
  Tokens tokens;
  const char* degreeSymbol = "%%D";
};

// One table: what a surveyor's picked text becomes. The seconds mark is the
// double quote; "°" is U+00B0 and "ø" U+00F8.
const TokenCase kTokenCases[] = {
    // Typical drawing texts.
    {"LOT 12 N45%%d30'15\"E 100.00=", {"LOT", "12", "N45%%d30'15\"E", "100.00"}},
    {"N 45 %%D 30 ' 15 \" E", {"N45%%D30'15\"E"}},
    {"R=150.00", {"R", "150.00"}},
    {"{\\A1;N45%%D30'15\"E}", {"N45%%D30'15\"E"}},
    {"N45 S45%%D30'15\"E", {"N45S45%%D30'15\"E"}},
    {"90%%D 45%%D N45%%D30'15\"E", {"90%%D", "45%%D", "N45%%D30'15\"E"}},
    {"12.50", {"12.50"}},
    // Without a blank after cleaning the text is one token, even empty.
    {"", {""}},
    {"   ", {""}},
    {"{}", {""}},
    {"N45%%D30'15\"E", {"N45%%D30'15\"E"}},
    {"{LOT5}", {"LOT5"}},
    {"{LOT5", {"{LOT5"}},
    // "=" turns into a blank after the ends were trimmed.
    {"=", {}},
    {" =12.5= ", {"12.5"}},
    {"A  =  B", {"A", "B"}},
    // Formatting codes go wherever they stand, however long; their digits
    // are never a value.
    {"\\A1;12.50", {"12.50"}},
    {"\\H2x;12.50", {"12.50"}},
    {"\\Fabc12;text", {"text"}},
    {"\\fArial|b0|i0|c0|p34;N 12\u00B034'56\" W\\P98.76'", {"N12\u00B034'56\"W", "98.76'"}},
    {"{\\fArial|b1|i0|c0|p34;\\H0.7x;\\C1;LOT} 12", {"LOT", "12"}},
    {"\\W0.8;\\Q15;\\T1.1;\\c255;\\pxi-3,l3;S 10%%D00'00\" E", {"S10%%D00'00\"E"}},
    {"\\LN 45%%D30'15\" E\\l \\O100.00\\o \\K5\\k", {"N45%%D30'15\"E", "100.00", "5"}},
    {"{\\H2;{\\C3;10}.5}", {"10.5"}},
    {"\\S1/2;", {"1/2"}},
    // A code cut off before its ";" and a lone brace stay as written.
    {"\\H12", {"\\H12"}},
    // "\U+XXXX" is the character, in a single-line text as in a multi-line one.
    {"\\U+0394=30%%d00'00\"", {"\u0394", "30%%d00'00\""}},
    {"R\\U+003D150.00", {"R", "150.00"}},
    {"\\U+00B1", {"\u00B1"}},
    {"\\U+12", {"\\U+12"}},
    // Escaped backslash and braces are the characters themselves.
    {"\\{LOT\\} 5", {"{LOT}", "5"}},
    {"\\A1;", {""}},
    {"{\\H2x;LOT 7}", {"LOT", "7"}},
    // Lower case is found and kept.
    {"n 45%%d30'15\" e 12", {"n45%%d30'15\"e", "12"}},
    // Text after the E or W is split off, with or without a blank.
    {"N45%%D30'15\"E 100.00 LOT 5", {"N45%%D30'15\"E", "100.00", "LOT", "5"}},
    {"N 45%%D30'15\"EAST 5", {"N45%%D30'15\"E", "AST", "5"}},
    {"S 45%%D30'15\" W120.00", {"S45%%D30'15\"W", "120.00"}},
    // Azimuths and bearings without minutes or seconds are only split.
    {"45%%D30'15\" 100", {"45%%D30'15\"", "100"}},
    {"N 45%%D30' E", {"N", "45%%D30'", "E"}},
    {"N 45%%D E 100", {"N", "45%%D", "E", "100"}},
    // The degree sign as U+00B0 or U+00F8.
    {"N 45°30'15\" E", {"N45°30'15\"E"}},
    {"S 45ø30'15\" W 10", {"S45ø30'15\"W", "10"}},
    // A degree code holding an "e": the bearing ends at its own E.
    {"N 45deg30'15\"E 10", {"N45deg30'15\"E", "10"}, "deg"},
    {"N 45DEG30'15\"W 10", {"N45DEG30'15\"W", "10"}, "deg"},
    {"S 4w30'15\"E 10", {"S4w30'15\"E", "10"}, "w"},
    // A degree code that is a quadrant letter reads as the degree sign.
    {"S 4w30'15\"W 10", {"S", "4w30'15\"W", "10"}, "w"},
    // With no degree code only the sign itself counts.
    {"N 45%%D30'15\"E", {"N", "45%%D30'15\"E"}, ""},
    {"N 45°30'15\"E", {"N45°30'15\"E"}, ""},
    // Multi-byte characters before a bearing do not shift it.
    {"Łot № 5 N 45°30'15\"E 7", {"Łot", "№", "5", "N45°30'15\"E", "7"}},
    {"é N 45%%D30'15\"W", {"é", "N45%%D30'15\"W"}},
    // Only the blank separates; a tab is part of a word.
    {"12\t5 7", {"12\t5", "7"}},
    // A label of two lines: a paragraph break of a multi-line text or a line
    // break separates like a blank, and each line is read on its own.
    {"S45°30'15\"W\\P150.02", {"S45°30'15\"W", "150.02"}},
    {"S45°30'15\"W\n150.02", {"S45°30'15\"W", "150.02"}},
    {"S45°30'15\"W\r\n150.02", {"S45°30'15\"W", "150.02"}},
    {"S 45%%D30'15\" W\\PN 10%%D00'00\" E", {"S45%%D30'15\"W", "N10%%D00'00\"E"}},
    {"{\\A1;N45%%D30'15\"E}\\P100.00", {"N45%%D30'15\"E", "100.00"}},
    {"{\\A1;S45°30'15\"W\\P150.02}", {"S45°30'15\"W", "150.02"}},
    {"\\P12", {"12"}},
    {"LOT 5\\P\\P\\P", {"LOT", "5"}},
    {"\\P\\P", {""}},
    // "\\" is an escaped backslash: no break; a lower-case "\p" is a format code.
    {"AB\\\\PC", {"AB\\PC"}},
    {"AB\\pC", {"AB\\pC"}},
};

TEST(TokensTest, PickedTextsGiveTheirTokens) {
  for (const TokenCase& c : kTokenCases) {
    Tokens tokens;
    AppendTextTokens(c.text, TokenSettings{c.degreeSymbol}, tokens);
    EXPECT_EQ(tokens, c.tokens) << c.text;
    EXPECT_EQ(Joined(tokens), utf8::RemoveBlanks(CleanPickedText(c.text))) << c.text;
  }
}

TEST(TokensTest, TextsAreTokenisedInOrderIntoOneCollection) {
  const Tokens tokens =
      TextsToTokens({"LOT 12", "", "N 45%%D30'15\"E", "=", "100.00"}, TokenSettings{});
  EXPECT_EQ(tokens, (Tokens{"LOT", "12", "", "N45%%D30'15\"E", "100.00"}));
}

struct PatternCase {
  const char* text;
  bool found;
  long start;  // after the call, starting from 0
  long end;    // after the call, starting from 0
};

TEST(TokensTest, BearingRecogniserGivesFirstAndLastPosition) {
  const PatternCase cases[] = {
      {"LOT 12 N45%%d30'15\"E 100.00", true, 8, 20},
      {"N 45 %%D 30 ' 15 \" E", true, 1, 20},
      // A restart keeps the first N.
      {"N45 S45%%D30'15\"E", true, 1, 17},
      // A drawing code before the bearing counts as its characters.
      {"90%%D 45%%D N45%%D30'15\"E", true, 13, 25},
      {"°° N45°30'15\"W", true, 4, 14},
      // Found nothing: start moves to the last N or S met, end stays.
      {"NOTHING", false, 6, 0},
      {"45%%D30'15\"", false, 0, 0},
      {"N45%%D30'15\"X", false, 1, 0},
      {"", false, 0, 0},
  };
  for (const PatternCase& c : cases) {
    PatternSpan span;
    EXPECT_EQ(FindBearingPattern(span, c.text, "%%D"), c.found) << c.text;
    EXPECT_EQ(span.start, c.start) << c.text;
    EXPECT_EQ(span.end, c.end) << c.text;
  }
}

TEST(TokensTest, SplitWordsConsumesTheTextAndAppends) {
  Tokens tokens{"first"};
  std::string text = "  a  bc d ";
  SplitWords(text, tokens);
  EXPECT_EQ(tokens, (Tokens{"first", "a", "bc", "d"}));
  EXPECT_TRUE(text.empty());

  std::string blanks = "   ";
  SplitWords(blanks, tokens);
  EXPECT_EQ(tokens.size(), 4u);
}

TEST(TokensTest, AzimuthRecogniserGivesFirstDigitAndSecondMark) {
  const PatternCase cases[] = {
      {"AZ 45%%D30'15\" 100", true, 4, 14},
      // The end is the second mark of the text as picked, the code counted whole.
      {"45%%d30'15\"", true, 1, 11},
      {"45° 30 ' 15 \"", true, 1, 13},
      {"N45°30'15\"E", true, 2, 10},
      {"45ø30'15\"", true, 1, 9},
      // A blank among the degree digits breaks the attempt; later digits start anew.
      {"45 %%D30'15\"", false, 10, 0},
      // Degrees and minutes alone are no azimuth.
      {"45%%D30'", false, 1, 0},
      {"", false, 0, 0},
      {"AZIMUTH", false, 0, 0},
  };
  for (const PatternCase& c : cases) {
    PatternSpan span;
    EXPECT_EQ(FindAzimuthPattern(span, c.text, "%%D"), c.found) << c.text;
    EXPECT_EQ(span.start, c.start) << c.text;
    EXPECT_EQ(span.end, c.end) << c.text;
  }
}

// The viewer's picks in both modes: the same cleaning and splitting, the
// recogniser of the project's mode, and the right button reversing every
// direction it meets.
struct ViewerCase {
  const char* text;
  bool bearing;
  Tokens left;
  Tokens right;
};

const ViewerCase kViewerCases[] = {
    {"S 45°30'15\" W 120.00", true, {"S45°30'15\"W", "120.00"}, {"N45°30'15\"E", "120.00"}},
    {"{\\A1;N10°0'0\"E}", true, {"N10°0'0\"E"}, {"S10°0'0\"W"}},
    {"\\Fabc12;text", true, {"text"}, {"text"}},
    {"\\fArial|b0|i0|c0|p34;N 12°34'56\" W\\P98.76'", true, {"N12°34'56\"W", "98.76'"}, {"S12°34'56\"E", "98.76'"}},
    {"LOT 12 N45%%d30'15\"E 100.00=", true, {"LOT", "12", "N45%%d30'15\"E", "100.00"},
     {"LOT", "12", "S45%%d30'15\"W", "100.00"}},
    {"N 45 %%D 30 ' 15 \" E", true, {"N45%%D30'15\"E"}, {"S45%%D30'15\"W"}},
    {"N45 S45%%D30'15\"E", true, {"N45S45%%D30'15\"E"}, {"S45S45%%D30'15\"W"}},
    {"R=150.00", true, {"R", "150.00"}, {"R", "150.00"}},
    // A direction the recogniser does not take is still turned as a word.
    {"N45°E 100", true, {"N45°E", "100"}, {"S45°W", "100"}},
    {"12.50", true, {"12.50"}, {"12.50"}},
    {"", true, {""}, {""}},
    {"=", true, {}, {}},
    // Azimuth mode: azimuths are found inside texts; bearings are not.
    {"AZ 45%%D30'15\" 100", false, {"AZ", "45%%D30'15\"", "100"}, {"AZ", "225°30'15\"", "100"}},
    {"45%%D30'15\"", false, {"45%%D30'15\""}, {"225°30'15\""}},
    {"LOT 12 N45%%d30'15\"E 100.00", false, {"LOT", "12", "N", "45%%d30'15\"", "E", "100.00"},
     {"LOT", "12", "N", "225°30'15\"", "E", "100.00"}},
    {"270° 0' 0\" 50.5", false, {"270°0'0\"", "50.5"}, {"90°0'0\"", "50.5"}},
    {"R=150.00", false, {"R", "150.00"}, {"R", "150.00"}},
    {"S 45°30'15\" W 120.00", false, {"S", "45°30'15\"", "W", "120.00"}, {"S", "225°30'15\"", "W", "120.00"}},
};

TEST(TokensTest, ViewerPicksInBothModesWithEitherButton) {
  for (const ViewerCase& c : kViewerCases) {
    const DirectionSettings directions{c.bearing, "%%D"};
    EXPECT_EQ(ViewerTextToTokens(c.text, 1, directions), c.left) << c.text << " bearing=" << c.bearing;
    EXPECT_EQ(ViewerTextToTokens(c.text, 2, directions), c.right) << c.text << " bearing=" << c.bearing;
  }
}

TEST(TokensTest, ViewerLeftButtonInBearingModeReadsAsTheCadPick) {
  for (const TokenCase& c : kTokenCases) {
    const DirectionSettings directions{true, c.degreeSymbol};
    EXPECT_EQ(ViewerTextToTokens(c.text, 1, directions), c.tokens) << c.text;
  }
}

}  // namespace
}  // namespace korvalo::geometry

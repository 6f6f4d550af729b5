#include "geometry/direction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "test_rows.h"

namespace korvalo::geometry {
namespace {

using namespace test_rows;

// True when the text holds at most nine digits: however its parts gather
// them, no part is then too large to read.
bool RunsFitIn32Bits(const std::string& text) {
  return std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) <= 9;
}

TEST(SplitDMS, AnglePartsAndTheirRefusals) {
  struct Case {
    std::string text;
    bool ok;
    DmsParts parts;
  };
  const Case cases[] = {
      {D("45d30'15\""), true, {"45", "30", "15"}},
      {D("45d15\""), true, {"45", "", "15"}},
      {"30'", true, {"", "30", ""}},
      {"", true, {"", "", ""}},
      {D("d'\""), true, {"", "", ""}},
      {D("05d09'"), true, {"05", "09", ""}},
      {"45%%D30'", true, {"45", "30", ""}},
      {"45%%d30'", true, {"45", "30", ""}},
      {"45\u00F830'", true, {"45", "30", ""}},
      {"45", false, {"", "", ""}},
      {D("45d30"), false, {"", "", ""}},
      {D("30'45d"), false, {"45", "", ""}},
      {D("45d30d"), false, {"30", "", ""}},
      {D("45d 30'"), false, {"", "30", ""}},
      {D("45.5d"), false, {"5", "", ""}},
      {"1\"2\"", false, {"", "", "12"}},
  };
  for (const Case& c : cases) {
    DmsParts parts{"x", "y", "z"};
    EXPECT_EQ(SplitDMS(c.text, parts, kBearing), c.ok) << c.text;
    EXPECT_EQ(parts, c.parts) << c.text;
  }
}

TEST(IsValidDirection, BearingModeRemovesBlanksFromTheCallersText) {
  struct Case {
    std::string text;
    bool valid;
    std::string after;
  };
  const Case cases[] = {
      {D("N 45d30' E"), true, D("N45d30'E")},
      {D("n 45d30' e"), true, D("n45d30'e")},
      {D("NdE"), true, D("NdE")},
      // A bearing turns at most 90d0'0" from north or south.
      {D("N90d0'0\"E"), true, D("N90d0'0\"E")},
      {D("N90d30'E"), false, D("N90d30'E")},
      {D("S90d0'1\"W"), false, D("S90d0'1\"W")},
      {"S45%%d30'W", true, "S45%%d30'W"},
      {"S45\u00F830'W", true, "S45\u00F830'W"},
      {D("N0000000045dE"), true, D("N0000000045dE")},
      {D("N91dE"), false, D("N91dE")},
      {D("N45d60'E"), false, D("N45d60'E")},
      {"N45E", false, "N45E"},
      {"NE", false, "NE"},
      {"N", false, "N"},
      {"", false, ""},
      {D("E45dN"), false, D("E45dN")},
      {D("N99999999999dE"), false, D("N99999999999dE")},
      {D("N1d99999999999\"E"), false, D("N1d99999999999\"E")},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(IsValidDirection(text, kBearing), c.valid) << c.text;
    EXPECT_EQ(text, c.after) << c.text;
  }
}

TEST(IsValidDirection, AzimuthModeKeepsTheCallersText) {
  struct Case {
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {D("359d59'59\""), true}, {D("360d"), false},          {D("5d"), false},
      {D("5d "), true},         {D("05d"), true},            {D("5d0'"), true},
      {"45%%D30'", true},       {"45%%d30'", true},          {"45\u00F830'", true},
      {D("45d60'"), false},     {D("99999999999d"), false},  {D("N45dE"), false},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(IsValidDirection(text, kAzimuth), c.valid) << c.text;
    EXPECT_EQ(text, c.text);
  }
}

TEST(CalDegree, AddsThePartsAndRemovesBlanks) {
  struct Case {
    std::string text;
    double degrees;
  };
  const Case cases[] = {
      {D("45d30'"), 45.5}, {"", 0.0},         {"30'", 0.5},   {D("45d 30'"), 45.5},
      {D("45.5d"), 5.0},   {"45", 0.0},       {D("1d0'36\""), 1.01},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_DOUBLE_EQ(CalDegree(text, kBearing), c.degrees) << c.text;
    EXPECT_EQ(text.find(' '), std::string::npos);
  }
}

TEST(CalAngle, DirectionsAsAnglesFromEast) {
  struct Case {
    std::string text;
    bool bearing;
    double angle;
  };
  const Case cases[] = {
      {D("N30dE"), true, 60},   {D("N30dW"), true, 120},  {D("S30dE"), true, 300},
      {D("S30dW"), true, 240},  {D("N0dE"), true, 90},    {D("N90dE"), true, 0},
      {D("S90dE"), true, 360},  {D("N 30d E"), true, 60},
      // Quadrant letters in lower case read as in upper case.
      {D("n30de"), true, 60},   {D("s30dw"), true, 240},  {D("N30dw"), true, 120},
      {D("X30dE"), true, 0},    {"N", true, 0},           {"", true, 0},
      {D("0d"), false, 450},    {D("90d"), false, 360},   {D("270d"), false, 180},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_DOUBLE_EQ(CalAngle(text, c.bearing ? kBearing : kAzimuth), c.angle) << c.text;
    EXPECT_EQ(text.find(' '), std::string::npos);
  }
}

TEST(ReadDirectionAngle, ABearingWithoutQuadrantCannotBeRead) {
  EXPECT_FALSE(ReadDirectionAngle("N", kBearing));
  EXPECT_FALSE(ReadDirectionAngle(" N ", kBearing));
  EXPECT_FALSE(ReadDirectionAngle("", kBearing));
  EXPECT_DOUBLE_EQ(ReadDirectionAngle(D("N30dE"), kBearing).value(), 60);
  EXPECT_DOUBLE_EQ(ReadDirectionAngle(D("90d"), kAzimuth).value(), 360);
}

// The traverse reads directions without allocating; it must give CalAngle's
// angle for every text, whichever way the text is read.
TEST(ReadDirectionAngle, GivesCalAnglesAngle) {
  const std::string texts[] = {
      D("N45d30'15\"E"), D("s 10d05' w"), D("n89d59'59\"e"), D("NdE"), "NE", D("N45E"),
      D("N45d30'15\"Q"), "N45%%D30'E", "N45%%d30'E", "N45\u00F830'E", D("N1\"2\"E"),
      D("N30'45dE"), D("N1234567890123456dE"), D("S45.5dW"), "N\u00E945E", D("225d30'15\""),
      D("5d "), "45%%D", D("1234567890123456d"), "", D("d'\""), D("x45d")};
  for (const DirectionSettings& settings :
       {kBearing, kAzimuth, DirectionSettings{true, ""}, DirectionSettings{false, "\u00B0"}}) {
    for (const std::string& text : texts) {
      std::string copy = text;
      const auto angle = ReadDirectionAngle(text, settings);
      EXPECT_EQ(angle.has_value(), ReadDirectionAngleByCharacters(text, settings).has_value())
          << text;
      if (settings.bearing && utf8::Length(utf8::RemoveBlanks(text)) < 2) {
        EXPECT_FALSE(angle) << text;
      } else if (RunsFitIn32Bits(text)) {
        ASSERT_TRUE(angle) << text;
      }
      if (angle) {
        EXPECT_EQ(*angle, CalAngle(copy, settings)) << text;
      }
    }
  }
}

// Generated texts near the ones the grid holds -- blanks, lower case, the
// drawing code in either case, U+00F8, leading zeros, over-long digit runs,
// empty parts, marks out of order, stray letters -- read to the same bits as
// CalAngle reads them.
TEST(ReadDirectionAngle, GeneratedTextsGiveCalAnglesBits) {
  const std::vector<std::string> letters = {"N", "S", "E", "W", "n", "s", "e", "w", "Q", "", " ",
                                            "\u00E9"};
  const std::vector<std::string> marks = {"\u00B0", "\u00F8", "%%D", "%%d", "'", "\"", "",
                                          " ", "x", "\u00B0\u00B0"};
  const std::vector<std::string> runs = {"", "0", "7", "45", "059", "90", "359", "60", "1.5",
                                         "000000000000045", "0000000000000045",
                                         "123456789012345", "1234567890123456", "9 9",
                                         "99999999999999999999"};
  std::mt19937 random(20261210);
  const auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  const DirectionSettings settings[] = {kBearing, kAzimuth, DirectionSettings{true, ""},
                                        DirectionSettings{false, "\u00B0"},
                                        DirectionSettings{true, "'"}, DirectionSettings{true, "d"}};
  for (int k = 0; k < 20000; ++k) {
    std::string angle;
    // Mostly the well-formed order degrees, minutes, seconds; sometimes not.
    const bool ordered = k % 4 != 0;
    const int parts = std::uniform_int_distribution<int>(0, 3)(random);
    static const char* const kOrdered[] = {"\u00B0", "'", "\""};
    for (int part = 0; part < parts; ++part) {
      angle += pick(runs);
      angle += ordered ? std::string(kOrdered[part]) : pick(marks);
    }
    if (k % 7 == 0) angle += pick(runs);
    const std::string text = pick(letters) + angle + pick(letters);
    for (const DirectionSettings& s : settings) {
      std::string copy = text;
      const auto angleRead = ReadDirectionAngle(text, s);
      const auto byCharacters = ReadDirectionAngleByCharacters(text, s);
      ASSERT_EQ(angleRead.has_value(), byCharacters.has_value()) << text;
      if (angleRead) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*angleRead),
                  std::bit_cast<std::uint64_t>(*byCharacters))
            << text;
      }
      if (s.bearing && utf8::Length(utf8::RemoveBlanks(text)) < 2) {
        EXPECT_FALSE(angleRead) << text;
        continue;
      }
      if (!RunsFitIn32Bits(text)) continue;
      ASSERT_TRUE(angleRead) << text;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(*angleRead),
                std::bit_cast<std::uint64_t>(CalAngle(copy, s)))
          << text << " bearing " << s.bearing << " code " << s.degreeSymbol;
    }
  }
}

TEST(AngleFromEast, ComparisonAngles) {
  EXPECT_DOUBLE_EQ(AngleFromEast(D("30d"), kAzimuth), 300);
  EXPECT_DOUBLE_EQ(AngleFromEast(D("90d0'30\""), kAzimuth), 0);
  EXPECT_DOUBLE_EQ(AngleFromEast(D("N30dE"), kBearing), 60);
  EXPECT_DOUBLE_EQ(AngleFromEast(D("n30de"), kBearing), 60);
  EXPECT_DOUBLE_EQ(AngleFromEast(D("S30dW"), kBearing), 240);
  EXPECT_DOUBLE_EQ(AngleFromEast(D("X30dW"), kBearing), 0);
  EXPECT_DOUBLE_EQ(AngleFromEast("N", kBearing), 0);
  // Blanks are removed before the quadrant letters are taken, as CalAngle
  // does: a bearing the field accepts with blanks around it is not due east.
  EXPECT_DOUBLE_EQ(AngleFromEast(D(" N30dE "), kBearing), 60);
  EXPECT_DOUBLE_EQ(AngleFromEast(D("S 30d W"), kBearing), 240);
  EXPECT_DOUBLE_EQ(AngleFromEast(D(" 30d "), kAzimuth), 300);
}

TEST(ReverseDirection, OppositeDirections) {
  struct Case {
    std::string text;
    bool bearing;
    std::string reversed;
  };
  const Case cases[] = {
      {D("45d05'09\""), false, D("225d05'09\"")},
      {D("270d"), false, D("90d'\"")},
      {D("45d"), false, D("225d'\"")},
      // Blanks are removed before the parts are read.
      {D("5d "), false, D("185d'\"")},
      {D("45d 30'"), false, D("225d30'\"")},
      {D("360000000000000000000d"), false, D("180d'\"")},
      {D("S10dW"), true, D("N10dE")},
      {D("n45d30'e"), true, D("S45d30'W")},
      {D("N 45d E"), true, D("S45dW")},
      {D("X45dE"), true, D("45dW")},
      {"N", true, ""},
      {"", true, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReverseDirection(c.text, c.bearing ? kBearing : kAzimuth), c.reversed) << c.text;
  }
}

TEST(TextFilters, NumericTextHasDigitOppositeLetter) {
  EXPECT_EQ(NumericText(""), "0");
  EXPECT_EQ(NumericText("."), "0");
  EXPECT_EQ(NumericText("12.50 ft"), "12.50");
  EXPECT_EQ(NumericText("1.2.3"), "1.2.3");
  EXPECT_EQ(NumericText(D("N45dE")), "45");
  EXPECT_EQ(NumericText(".."), "..");
  EXPECT_TRUE(HasDigit("abc7"));
  EXPECT_FALSE(HasDigit(D("N'd")));
  EXPECT_FALSE(HasDigit(""));
  EXPECT_EQ(OppositeLetter("E"), "W");
  EXPECT_EQ(OppositeLetter("s"), "N");
  EXPECT_EQ(OppositeLetter("w"), "E");
  EXPECT_EQ(OppositeLetter("N"), "S");
  EXPECT_EQ(OppositeLetter("X"), "");
  EXPECT_EQ(OppositeLetter(""), "");
}

// A digit run larger than a 32-bit number holds is too large to read: the
// direction is invalid, has no angle for the traverse, and CalAngle gives a
// finite 0 instead of an angle whose radians overflow.
TEST(ReadDirectionAngle, AbsurdDigitRunsCannotBeRead) {
  struct Case {
    std::string text;
    bool bearing;
  };
  const Case cases[] = {
      {"S" + std::string(308, '9') + D("dW"), true},
      {"N1" + D("d") + std::string(40, '5') + "'E", true},
      {D("N2147483648dE"), true},
      {std::string(308, '9') + D("d"), false},
      {D("45d") + std::string(20, '1') + "\"", false},
  };
  for (const Case& c : cases) {
    const DirectionSettings& settings = c.bearing ? kBearing : kAzimuth;
    std::string copy = c.text;
    EXPECT_FALSE(IsValidDirection(copy, settings)) << c.text;
    EXPECT_FALSE(ReadDirectionAngle(c.text, settings)) << c.text;
    EXPECT_FALSE(ReadDirectionAngleByCharacters(c.text, settings)) << c.text;
    copy = c.text;
    EXPECT_EQ(CalAngle(copy, settings), 0.0) << c.text;
    copy = c.text;
    EXPECT_EQ(CalDegree(copy, settings), 0.0) << c.text;
  }
  // The largest run that can be read still reads.
  EXPECT_DOUBLE_EQ(ReadDirectionAngle(D("N2147483647dE"), kBearing).value(), 90.0 - 2147483647.0);
  EXPECT_DOUBLE_EQ(ReadDirectionAngle("N" + std::string(20, '0') + D("45dE"), kBearing).value(),
                   45.0);
}

// Malformed UTF-8 (from drawings and old files) is one U+FFFD per unit: it is
// no degree sign, apostrophe or quadrant letter, and the fast reading and the
// reading by characters see the same text.
TEST(IsValidDirection, MalformedBytesAreNeverMarks) {
  struct Case {
    const char* what;
    std::string text;
    std::optional<double> angle;  // ReadDirectionAngle in bearing mode
  };
  const Case cases[] = {
      {"overlong degree sign and apostrophe", "N45\xC0\xB0" "30\xC0\xA7" "E", 90.0},
      {"three-byte overlong degree sign", "N45\xE0\x82\xB0" "E", 90.0},
      {"degree sign split by a blank", "N45\xC2 \xB0" "E", 90.0},
      {"stray continuation byte as the degree sign", "N45\xB0" "E", 90.0},
      {"stray byte after the letter", "N\x80", 0.0},
      {"stray byte alone", "\x80", std::nullopt},
      {"surrogate as the last letter", "N45\xC2\xB0\xED\xA0\x80", 0.0},
      {"U+00F8 is still a degree sign", "N45\xC3\xB8" "E", 45.0},
  };
  for (const Case& c : cases) {
    std::string copy = c.text;
    EXPECT_EQ(IsValidDirection(copy, kBearing), c.what == std::string("U+00F8 is still a degree sign"))
        << c.what;
    const auto angle = ReadDirectionAngle(c.text, kBearing);
    EXPECT_EQ(angle, c.angle) << c.what;
    EXPECT_EQ(ReadDirectionAngleByCharacters(c.text, kBearing), c.angle) << c.what;
    if (angle) {
      copy = c.text;
      EXPECT_EQ(CalAngle(copy, kBearing), *angle) << c.what;
    }
  }
  // A drawing code that is itself malformed matches no malformed unit.
  std::string azimuth = "45\xB0" "30'";
  EXPECT_FALSE(IsValidDirection(azimuth, DirectionSettings{false, "\xB0"}));
  std::string code = "45%%D30'";
  EXPECT_TRUE(IsValidDirection(code, DirectionSettings{false, "%%D"}));
}

}  // namespace
}  // namespace korvalo::geometry

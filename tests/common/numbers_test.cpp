#include "common/numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <clocale>
#include <string>
#include <optional>
#include <vector>

namespace korvalo {
namespace {

TEST(ReadNumber, FieldsReadWithALeadingZero) {
  struct Case {
    const char* text;
    std::optional<double> value;
  };
  const Case cases[] = {
      {"", 0.0},          {".", 0.0},         {".5", 0.5},     {"12.50", 12.5},
      {"100", 100.0},     {" 7 ", 7.0},       {"5.", 5.0},     {"1.2.3", std::nullopt},
      {"..", std::nullopt}, {"-5", std::nullopt}, {"1e3", std::nullopt},
      {"12 ft", std::nullopt}, {"1 2", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadNumber(c.text), c.value) << '"' << c.text << '"';
  }
  EXPECT_EQ(ReadNumberOr("abc", -1.0), -1.0);
}

// Short fields are read without building a text; they must read exactly as
// the general decimal reading does.
TEST(ReadNumber, ShortFieldsReadAsTheirExactDecimalValue) {
  const char* texts[] = {"0.1",           "0.3",          "1.005",          "2.675",
                         "123456.789012", "99999.9999",   "0.000000000001", "8001.0000001",
                         "314.159265358979", "999999999999999", "00000000000045.5",
                         "1234567890123456", "0.1234567890123456"};
  for (const char* text : texts) {
    double expected = 0.0;
    const std::string full = std::string("0") + text;
    std::from_chars(full.data(), full.data() + full.size(), expected);
    EXPECT_EQ(ReadNumber(text), expected) << text;
  }
}

TEST(RoundHalfEven, HalvesGoToEvenOnTheDecimalValue) {
  struct Case {
    double value;
    int places;
    double expected;
  };
  const Case cases[] = {
      {1.125, 2, 1.12},   {1.135, 2, 1.14},  {2.5, 0, 2.0},       {3.5, 0, 4.0},
      {0.285, 2, 0.28},   {2.675, 2, 2.68},  {0.1 + 0.2, 2, 0.3}, {-2.5, 0, -2.0},
      {8001.0000000001, 0, 8001.0}, {9.995, 2, 10.0}, {0.004, 2, 0.0}, {0.006, 2, 0.01},
      {1234.5, 3, 1234.5}, {99999.5, 0, 100000.0}, {0.05, 1, 0.0}, {0.15, 1, 0.2},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(RoundHalfEven(c.value, c.places), c.expected)
        << c.value << " to " << c.places;
  }
}

TEST(NumberText, PlainTextWithoutTrailingZeros) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0.0, "0"},         {-0.0, "0"},          {1234.5, "1234.5"},   {10000.0, "10000"},
      {0.05, "0.05"},     {-3.25, "-3.25"},     {1e15, "1000000000000000"},
      {0.1 + 0.2, "0.3"}, {1.0 / 3.0, "0.333333333333333"},       {0.00012, "0.00012"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NumberText(c.value), c.text);
  }
  EXPECT_EQ(RoundedText(1234.5, 3), "1234.5");
  EXPECT_EQ(RoundedText(10000.0000001, 2), "10000");
}

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

// The plain reading of a field: the rule itself, through the library's
// correctly rounded conversion of "0" and the field.
std::optional<double> PlainReading(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
  if (text.find('.') != text.rfind('.')) return std::nullopt;
  std::string full = "0" + std::string(text);
  if (full.back() == '.') full += "0";
  double value = 0.0;
  const auto res = std::from_chars(full.data(), full.data() + full.size(), value,
                                   std::chars_format::fixed);
  if (res.ec != std::errc() || res.ptr != full.data() + full.size()) return std::nullopt;
  return value;
}

// Generated fields -- blanks, points, leading zeros, runs of every length up
// to well past 15 digits, stray characters -- read to the plain reading's bits.
TEST(ReadNumber, GeneratedFieldsReadAsThePlainReading) {
  const std::string alphabet = "0123456789012345678901234567890123456789..  -eX";
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> length(0, 24);
  std::uniform_int_distribution<std::size_t> character(0, alphabet.size() - 1);
  std::vector<std::string> fields = {"", ".", " ", "0", "00000000000000000000.5",
                                     "123456789012345", "1234567890123456", "12345678901234.5",
                                     "1234567890123.45", "999999999999999.9", "0.000000000000001"};
  for (int k = 0; k < 50000; ++k) {
    std::string field;
    for (std::size_t n = length(random); n > 0; --n) field += alphabet[character(random)];
    fields.push_back(field);
  }
  for (const std::string& field : fields) {
    const auto read = ReadNumber(field);
    const auto plain = PlainReading(field);
    ASSERT_EQ(read.has_value(), plain.has_value()) << field;
    if (read) {
      EXPECT_EQ(Bits(*read), Bits(*plain)) << field;
    }
  }
}

// The rounded text is the plain text of the rounded value, for values of
// every size, halves, whole numbers and the extremes of the double range.
TEST(RoundedText, GeneratedValuesGiveThePlainTextOfTheRoundedValue) {
  std::vector<double> values = {0.125, 0.285, 2.5, 9.995, 99.995, -0.005, 0.0049, 1e15, 1e15 + 1,
                                -1e15, 123456789012345.6, 1e-300, 4.9e-324, 2.2e-308, 1.7e308,
                                -std::numeric_limits<double>::max(), 1.79769313486231e308, 5e-5, 0.5, 1.5};
  std::mt19937 random(11);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-20, 20);
  std::uniform_int_distribution<int> cents(-100000, 100000);
  for (int k = 0; k < 20000; ++k) {
    values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
    values.push_back(cents(random) / 1000.0);  // halves on the decimal value
    values.push_back(std::trunc(mantissa(random) * std::pow(10.0, exponent(random) + 5)));
  }
  for (const double value : values) {
    for (const int places : {0, 1, 2, 3, 4, 8, 320}) {
      EXPECT_EQ(RoundedText(value, places), NumberText(RoundHalfEven(value, places)))
          << value << " places " << places;
    }
  }
  // Whole numbers below 10^15 print as the integer.
  for (const double value : {1.0, -7.0, 45.0, 359.0, 999999999999999.0, -123456789012345.0}) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f", value);
    EXPECT_EQ(NumberText(value), text);
  }
}

TEST(RoundHalfEven, TopOfTheDoubleRangeStaysLarge) {
  const double big = std::numeric_limits<double>::max();
  EXPECT_EQ(RoundHalfEven(big, 2), big);
  EXPECT_EQ(RoundHalfEven(-big, 0), -big);
  EXPECT_NE(RoundedText(big, 2), "0");
}

TEST(NumberText, PointOnEveryLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    std::setlocale(LC_ALL, "C");
  }
  EXPECT_EQ(NumberText(1.5), "1.5");
  EXPECT_EQ(ReadNumber("1.5"), 1.5);
  std::setlocale(LC_ALL, saved.c_str());
}


// A measure above 1e300 is too large for the traverse and reads as
// unreadable; 1e155, whose square overflows, is still a measure.
TEST(ReadMeasure, RefusesNumbersTooLargeForTheTraverse) {
  struct Case {
    std::string text;
    std::optional<double> value;
  };
  const Case cases[] = {
      {"100.25", 100.25},
      {"1" + std::string(155, '0'), 1e155},
      {"1" + std::string(300, '0'), 1e300},
      {"2" + std::string(300, '0'), std::nullopt},
      {"1" + std::string(301, '0'), std::nullopt},
      {"1" + std::string(308, '0'), std::nullopt},
      {"1.2.3", std::nullopt},
      {"", 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadMeasure(c.text), c.value) << c.text.size() << " characters";
  }
  // Plain numbers keep their whole range.
  EXPECT_EQ(ReadNumber("1" + std::string(308, '0')), 1e308);
}

// Decimals come from the settings: any int rounds without overflow.
TEST(RoundHalfEven, AnyNumberOfPlaces) {
  EXPECT_EQ(RoundHalfEven(1.5, std::numeric_limits<int>::max()), 1.5);
  EXPECT_EQ(RoundHalfEven(1.5, std::numeric_limits<int>::min()), 0.0);
  EXPECT_EQ(RoundedText(1234.5, std::numeric_limits<int>::min()), "0");
  EXPECT_EQ(RoundedText(1234.5, std::numeric_limits<int>::max()), "1234.5");
}

}  // namespace
}  // namespace korvalo

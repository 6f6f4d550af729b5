#include "common/numbers.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <string>
#include <optional>

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

}  // namespace
}  // namespace korvalo

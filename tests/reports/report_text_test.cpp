#include "reports/report_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvalo::reports {
namespace {

TEST(ReportNumberFormatTest, RoundsHalvesAwayFromZeroOnTheDecimalValueAndGroupsThousands) {
  const struct {
    double value;
    int decimals;
    const char* text;
  } cases[] = {
      {1.125, 2, "1.13"},           // a half on the decimal value, not the binary one
      {0.285, 2, "0.29"},           // binary 0.28499999..., decimal 0.285
      {2.5, 0, "3."},               // 0 decimals end in a bare point
      {-2.5, 0, "-3."},             // away from zero on the negative side too
      {123, 0, "123."},
      {1234.5, 3, "1,234.500"},
      {1234567, 3, "1,234,567.000"},
      {999.9995, 3, "1,000.000"},   // the carry reaches a new group
      {0.0, 2, "0.00"},
      {-0.001, 2, "0.00"},          // no sign on a figure that rounds to zero
      {0.000001234, 3, "0.000"},
      {12345678901234.5, 1, "12,345,678,901,234.5"},
      {1e20, 0, "100,000,000,000,000,000,000."},
      {0.1 + 0.2, 16, "0.3000000000000000"},  // 15 significant digits, then zeros
      {0.0012345, 6, "0.001235"},             // the point placed by a negative power of ten
      {1.5e-12, 13, "0.0000000000015"},       // a power of ten of two digits
      {-98765432.1, 1, "-98,765,432.1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReportNumberFormat(c.value, c.decimals), c.text) << c.value << " " << c.decimals;
  }
  EXPECT_EQ(ReportNumberFormat(std::numeric_limits<double>::quiet_NaN(), 2), "N/A");
  EXPECT_EQ(ReportNumberFormat(std::numeric_limits<double>::infinity(), 2), "N/A");
}

TEST(ReportNumberFormatTest, TextsFormatOnlyWhenTheyReadAsANumber) {
  const struct {
    const char* text;
    const char* formatted;
  } cases[] = {
      {"", ""},           {"N/A", "N/A"}, {"12.5", "12.50"}, {" 1234 ", "1,234.00"},
      {".5", "0.50"},     {"N45°0'0\"E", "N45°0'0\"E"},     {"1.2.3", "1.2.3"},
      {".", "."},  // no digit
  };
  for (const auto& c : cases) EXPECT_EQ(ReportNumberFormatText(c.text, 2), c.formatted) << c.text;
}

TEST(PadLeftTest, CountsCharactersAndKeepsWideTextsWhole) {
  EXPECT_EQ(PadLeft("1", 4), "   1");
  EXPECT_EQ(PadLeft("N45°E", 7), "  N45°E");  // the degree sign is one character
  EXPECT_EQ(PadLeft("1,234,567.000", 11), "1,234,567.000");
  EXPECT_EQ(PadLeft("", 2), "  ");
}

}  // namespace
}  // namespace korvalo::reports

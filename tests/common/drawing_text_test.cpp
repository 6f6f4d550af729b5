#include "common/drawing_text.h"

#include <gtest/gtest.h>

namespace korvalo::drawing_text {
namespace {

struct ResolveCase {
  const char* raw;
  bool multiLine;
  const char* shown;
};

// What the viewer shows of a stored text.
const ResolveCase kShown[] = {
    // A single-line text: "\U+XXXX" and the percent codes, nothing else.
    {"\\U+0394=30%%d00'00\"", false, "\u0394=30\u00B000'00\""},
    {"%%p0.02 %%c12 100%%%", false, "\u00B10.02 \u230012 100%"},
    {"%%uLOT%%u 5", false, "LOT 5"},
    {"\\P{\\A1;x}", false, "\\P{\\A1;x}"},
    {"\\U+00G1", false, "\\U+00G1"},
    // A multi-line text: every formatting code and its braces.
    {"\\fArial|b0|i0|c0|p34;N 12%%d34'56\" W\\P98.76'", true, "N 12\u00B034'56\" W\n98.76'"},
    {"{\\H0.7x;\\C1;LOT} \\L7\\l", true, "LOT 7"},
    {"\\S1^2; \\S3#4;", true, "1/2 3/4"},
    {"a\\~b\\\\c\\{d\\}", true, "a b\\c{d}"},
    {"\\U+0394\\P\\U+00b0", true, "\u0394\n\u00B0"},
    // Cut off: kept as written.
    {"{LOT \\H2", true, "{LOT \\H2"},
    {"LOT}", true, "LOT}"},
};

TEST(DrawingTextTest, StoredTextsShowAsWritten) {
  for (const ResolveCase& c : kShown)
    EXPECT_EQ(Resolve(c.raw, {.multiLine = c.multiLine, .percentCodes = true}), c.shown) << c.raw;
}

TEST(DrawingTextTest, PercentCodesCanStayForTheTokenisers) {
  EXPECT_EQ(Resolve("{\\A1;N45%%D30'15\"E}", {.multiLine = true, .percentCodes = false}), "N45%%D30'15\"E");
}

}  // namespace
}  // namespace korvalo::drawing_text

#include "platform/viewer/dxf_scan.h"

#include <gtest/gtest.h>

#include "platform/viewer/drawing_files.h"

namespace korvalo::viewer {
namespace {

using namespace testing;

std::string Dxf(const Pairs& blocks, const Pairs& entities, const std::string& version = "AC1015") {
  return DxfText(Join({Header(version, "ANSI_1252"), Section("BLOCKS", blocks), Section("ENTITIES", entities)})) +
         Eof();
}

// What the look through a DXF finds: the entities its inserts expand to,
// counted without expanding them.
TEST(DxfScan, CountsWhatTheBlocksExpandTo) {
  const Pairs line = Line("1", "0", 0, 0, 1, 1);
  const Pairs twoLines = Join({line, Line("2", "0", 0, 0, 2, 2)});
  struct Case {
    const char* label;
    std::string content;
    double entities;
  };
  const Case cases[] = {
      {"no blocks", Dxf({}, twoLines), 2},
      {"an insert counts itself and its block",
       Dxf(Block("A", twoLines), Join({Insert("A", 0, 0), Insert("A", 5, 0)})), 2 + 2 * 2},
      {"rows and columns", Dxf(Block("A", twoLines), Insert("A", 0, 0, 3, 4)), 1 + 12 * 2},
      // Counts read as GDAL reads them: the leading digits.
      {"counts with bytes after them",
       Dxf(Block("A", twoLines),
           {{0, "INSERT"}, {8, "0"}, {2, "A"}, {10, "0"}, {20, "0"}, {70, "3\xFF\xFF"}, {71, " 4 rows"}}),
       1 + 12 * 2},
      {"nested", Dxf(Join({Block("A", twoLines), Block("B", Join({Insert("A", 0, 0), Insert("A", 1, 0)}))}),
                     Insert("B", 0, 0)),
       1 + (2 + 2 * 2)},
      {"a block defined after its user", Dxf(Join({Block("B", Insert("A", 0, 0)), Block("A", line)}), Insert("B", 0, 0)),
       3},
      {"a missing block", Dxf({}, Insert("Z", 0, 0)), 1},
      {"a block inserting itself", Dxf(Block("A", Join({line, Insert("A", 0, 0)})), Insert("A", 0, 0)), 1 + 2},
      {"eight levels of ten", BlockBombDxf(8, 10), 1e9},
      {"beyond every count", BlockBombDxf(40, 10), kScanCeiling},
  };
  for (const Case& c : cases) {
    const DxfScan scan = ScanDxf(c.content);
    EXPECT_TRUE(scan.text) << c.label;
    EXPECT_TRUE(scan.whole) << c.label;
    EXPECT_GE(scan.entities, c.entities * 0.999) << c.label;
    EXPECT_LE(scan.entities, c.entities * 1.12) << c.label;  // a bomb's inserts count too
    EXPECT_GE(scan.points, scan.entities) << c.label;
  }
}

TEST(DxfScan, HeaderAndWholeness) {
  const std::string whole = Dxf({}, Line("1", "0", 0, 0, 1, 1), "AC1032");
  const DxfScan scan = ScanDxf(whole);
  EXPECT_EQ(scan.version, "AC1032");
  EXPECT_EQ(scan.codepage, "ANSI_1252");
  EXPECT_EQ(DxfTextEncoding(scan), "UTF-8");
  struct Case {
    const char* version;
    const char* codepage;
    const char* encoding;
  };
  for (const Case& c : {Case{"AC1021", "ANSI_1252", "UTF-8"}, Case{"AC1024", "", "UTF-8"}, Case{"AC1018", "", ""},
                        Case{"AC1009", "", ""}, Case{"", "", ""}, Case{"AC10x5", "", ""},
                        Case{"AC1015", "ANSI_1252", "CP1252"}, Case{"AC1009", "ansi_1250 ", "CP1250"},
                        Case{"AC1018", "ANSI_", ""}, Case{"AC1018", "ANSI_12x", ""}, Case{"AC1018", "DOS437", ""},
                        Case{"AC1018", "ANSI_1234567", ""}}) {
    DxfScan s;
    s.version = c.version;
    s.codepage = c.codepage;
    EXPECT_EQ(DxfTextEncoding(s), c.encoding) << c.version << ' ' << c.codepage;
  }
  // Cut off: not whole, no damaged line. A code that is no number: its line.
  const DxfScan cut = ScanDxf(whole.substr(0, whole.size() - 6));
  EXPECT_FALSE(cut.whole);
  EXPECT_EQ(cut.damagedLine, 0);
  std::string damaged = whole;
  damaged.replace(0, 1, "x");
  const DxfScan bad = ScanDxf(damaged);
  EXPECT_FALSE(bad.whole);
  EXPECT_EQ(bad.damagedLine, 1);
  // Not DXF text at all; a byte order mark before it is passed over.
  EXPECT_FALSE(ScanDxf("PaperSpace0\r\nSECTION\r\n").text);
  EXPECT_FALSE(ScanDxf("").text);
  EXPECT_TRUE(ScanDxf("\xEF\xBB\xBF" + whole).whole);
}

}  // namespace
}  // namespace korvalo::viewer

#include "platform/viewer/layer_table.h"

#include <gtest/gtest.h>

#include "platform/viewer/drawing_files.h"

namespace korvalo::viewer {
namespace {

using namespace testing;

std::string Tables(const Pairs& table, const char* eol = "\n") {
  return DxfText(Join({Header("AC1015"), Section("TABLES", table)}), eol) + Eof(eol);
}

TEST(LayerTable, ReadsNamesColoursAndFlagsInTableOrder) {
  const std::string dxf = Tables(Join({
      {{0, "TABLE"}, {2, "LTYPE"}, {0, "LTYPE"}, {2, "CONTINUOUS"}, {0, "ENDTAB"}},
      LayerTable({{"Zeta", 1, 0}, {"Off", -3, 0}, {"Frozen", 5, 1}, {"Lot Lines", 7, 4}}),
  }), "\r\n");
  const auto table = ReadDxfLayerTable(dxf);
  ASSERT_TRUE(table);
  ASSERT_EQ(table->size(), 4u);
  EXPECT_EQ((*table)[0].name, "Zeta");
  EXPECT_EQ((*table)[1].colour, -3);
  EXPECT_EQ((*table)[2].flags, 1);
  EXPECT_EQ((*table)[3].name, "Lot Lines");
}

// Lines are found 64 bytes at a time: names of every length, ended by LF,
// CR LF or CR alone, read whole wherever their ends fall, and a cut-off file
// ends on its last line.
TEST(LayerTable, NamesReadWholeWhateverTheirLineEndsAndLengths) {
  for (const char* eol : {"\n", "\r\n", "\r"}) {
    for (std::size_t length = 1; length <= 140; ++length) {
      const std::string name(length, static_cast<char>('a' + length % 26));
      const std::string dxf = Tables(Join({{{999, std::string(length % 67, 'c')}},
                                           LayerTable({{name, 1, 0}, {"B" + name, 2, 0}, {"C", 3, 0}})}),
                                     eol);
      const auto table = ReadDxfLayerTable(dxf);
      ASSERT_TRUE(table) << length;
      ASSERT_EQ(table->size(), 3u) << length;
      EXPECT_EQ((*table)[0].name, name) << length;
      EXPECT_EQ((*table)[1].name, "B" + name) << length;
      EXPECT_EQ((*table)[1].colour, 2) << length;
      EXPECT_EQ((*table)[2].name, "C") << length;
      // Without its end of table the table does not read.
      EXPECT_FALSE(ReadDxfLayerTable(dxf.substr(0, dxf.find("ENDTAB")))) << length;
    }
  }
}

TEST(LayerTable, NamesThatAreNotUtf8ReadAsWindows1252) {
  const auto table = ReadDxfLayerTable(Tables(LayerTable({{"Cota 12\xB0", 7, 0}, {"Grenze \xC3\xA4", 7, 0}})));
  ASSERT_TRUE(table);
  EXPECT_EQ((*table)[0].name, "Cota 12\u00B0");
  EXPECT_EQ((*table)[1].name, "Grenze \u00E4");
}

TEST(LayerTable, UnreadableTablesGiveNothing) {
  const Pairs good = LayerTable({{"A", 1, 0}, {"B", 2, 0}});
  auto with = [&](int at, std::string value) {
    Pairs p = good;
    p[static_cast<std::size_t>(at)].second = std::move(value);
    return Tables(p);
  };
  const std::string full = Tables(good);
  struct Case {
    const char* what;
    std::string dxf;
  };
  const std::vector<Case> cases = {
      {"empty", ""},
      {"no tables section", DxfText(Section("ENTITIES", {})) + Eof()},
      {"no layer table", Tables({{0, "TABLE"}, {2, "LTYPE"}, {0, "ENDTAB"}})},
      {"colour not a number", with(6, "red")},
      {"flags not a number", with(5, "1x")},
      {"a layer without a name", with(4, "")},
      {"table not ended", full.substr(0, full.find("ENDTAB"))},
      {"cut inside a pair", full.substr(0, full.find("\nB\n") + 1)},
      {"group code not a number", [&] {
         std::string s = full;
         s.replace(s.find("62\n"), 2, "6x");
         return s;
       }()},
      {"binary DXF", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22)},
  };
  for (const auto& c : cases) EXPECT_FALSE(ReadDxfLayerTable(c.dxf)) << c.what;
  EXPECT_TRUE(ReadDxfLayerTable(full));
}

}  // namespace
}  // namespace korvalo::viewer

// Reads that a hostile file cannot turn against the program: the hostile
// drawings refused with their messages, the reader's process ended past its
// time and told when it fails, and every field of a drawing carried back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>

#include "platform/viewer/drawing_files.h"
#include "platform/viewer/drawing_transfer.h"
#include "platform/viewer/read_process.h"
#include "platform/viewer/reader.h"
#include "support/temp_folder.h"

namespace korvalo::viewer {
namespace {

using namespace testing;

TEST(BoundedRead, HostileDrawingsAreRefusedWithTheirMessage) {
  struct Case {
    const char* file;
    int number;
    const char* message;
  };
  const Case cases[] = {
      // Its first line reads like a DWG version; GDAL reads it as DXF.
      {"ac_first_line_bomb.dxf", kErrTooLarge, "The drawing is too large to show"},
      // The INSERT's second name is the one GDAL inserts.
      {"two_block_names_bomb.dxf", kErrTooLarge, "The drawing is too large to show"},
      // GDAL's DXF driver never comes back from it.
      {"gdal_spin.dxf", kErrBadFileFormat, "gdal_spin.dxf"},
  };
  for (const Case& c : cases) {
    Drawing d;
    d.layers.push_back({"kept", 7, kLayerShown});
    const auto error = ReadDrawing(Fixture(c.file), d);
    ASSERT_TRUE(error) << c.file;
    EXPECT_EQ(error->number, c.number) << c.file;
    EXPECT_THAT(error->description, ::testing::HasSubstr(c.message)) << c.file;
    EXPECT_THAT(error->description, ::testing::HasSubstr(Fixture(c.file))) << c.file;
    ASSERT_EQ(d.layers.size(), 1u) << c.file;
    std::vector<Layer> layers;
    const auto layerError = ReadLayers(Fixture(c.file), layers);
    ASSERT_TRUE(layerError) << c.file;
    EXPECT_EQ(layerError->number, c.number) << c.file;
  }
}

// A drawing the look-through lets pass and GDAL does not come back from (an
// INSERT of 10^10 copies behind a section opened as GDAL alone reads it) is
// refused by the read's bounds: not read in time, or too large.
TEST(BoundedRead, ADrawingGdalDoesNotComeBackFromIsRefusedByTheBounds) {
  const std::string path = Fixture("codeless_section_insert_bomb.dxf");
  Drawing d;
  const auto error = ReadDrawing(path, d);
  ASSERT_TRUE(error);
  EXPECT_TRUE(error->number == kErrNotReadInTime || error->number == kErrTooLarge) << error->description;
  EXPECT_THAT(error->description, ::testing::HasSubstr(path));
  // The next read has a reader again.
  EXPECT_TRUE(ReadDrawing(Fixture("gdal_spin.dxf"), d));
  TempFolder dir;
  WriteFile(dir.File("plan.dxf"), BlockBombDxf(1, 3));
  EXPECT_FALSE(ReadDrawing(dir.File("plan.dxf"), d));
  EXPECT_EQ(d.entities.size(), 9u);  // three inserts of three lines
}

// The names GDAL inserts are the ones counted: the last group 2 of an
// INSERT and of a BLOCK, a name cut to GDAL's 256 bytes, an INSERT without
// a name (GDAL inserts the block named "").
TEST(BoundedRead, TheLookThroughCountsTheBlockGdalInserts) {
  const std::string longName(300, 'L');
  const auto bomb = [](const Pairs& header, const Pairs& insert) {
    // B0 holds ten lines, B1 to B6 insert the one before ten times: 10^7
    // lines behind the block the header names.
    Pairs lines;
    for (int i = 0; i < 10; ++i) lines = Join({lines, Line("A" + std::to_string(i), "0", i, 0, i, 1)});
    Pairs blocks = Block("B0", lines);
    for (int level = 1; level <= 6; ++level) {
      Pairs inserts;
      for (int i = 0; i < 10; ++i) inserts = Join({inserts, Insert("B" + std::to_string(level - 1), i, 0)});
      blocks = Join({blocks, Block("B" + std::to_string(level), inserts)});
    }
    Pairs top = {{0, "BLOCK"}, {8, "0"}};
    top = Join({top, header, {{70, "0"}, {10, "0"}, {20, "0"}, {30, "0"}}, Insert("B6", 0, 0), {{0, "ENDBLK"}}});
    Pairs entities = {{0, "INSERT"}, {8, "0"}};
    entities = Join({entities, insert, {{10, "0"}, {20, "0"}, {30, "0"}}});
    return DxfText(Join({Header("AC1015"), Section("BLOCKS", Join({blocks, top})), Section("ENTITIES", entities)})) +
           Eof();
  };
  struct Case {
    const char* label;
    std::string content;
  };
  const Case cases[] = {
      {"two names on the insert", bomb({{2, "TOP"}}, {{2, "NOPE"}, {2, "TOP"}})},
      {"two names on the block", bomb({{2, "NOPE"}, {2, "TOP"}}, {{2, "TOP"}})},
      {"names alike in their first 256 bytes", bomb({{2, longName + "X"}}, {{2, longName + "Y"}})},
      {"an insert without a name", bomb({{2, ""}}, {})},
      {"a first line that is no code", "AC10150" + bomb({{2, "TOP"}}, {{2, "TOP"}}).substr(1)},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    WriteFile(dir.File("bomb.dxf"), c.content);
    Drawing d;
    const auto error = ReadDrawing(dir.File("bomb.dxf"), d);
    ASSERT_TRUE(error) << c.label;
    EXPECT_EQ(error->number, kErrTooLarge) << c.label << ": " << error->description;
  }
}

// The reader's process, whatever becomes of it: past its time it is ended
// and the read told as not done in time; ended by the memory running out it
// is told as too large; an end without a result is told, never taken for a
// drawing.
TEST(BoundedRead, TheReaderProcessIsEndedAndItsEndTold) {
  struct Case {
    const char* label;
    const char* script;
    int number;
    const char* message;
  };
  const Case cases[] = {
      {"spins", "while :; do :; done", kErrNotReadInTime, "could not be read in time"},
      {"aborts", "kill -ABRT $$", kErrTooLarge, "too large to show"},
      {"crashes", "kill -SEGV $$", kErrBadFileFormat, "could not be read"},
      {"gives nothing", "exit 0", kErrBadFileFormat, "gave no result"},
      {"gives garbage", "printf 'no drawing' >&3", kErrBadFileFormat, "gave no result"},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    const std::string program = dir.File("reader.sh");
    WriteFile(program, std::string("#!/bin/sh\n") + c.script + "\n");
    ::chmod(program.c_str(), 0700);
    const std::string path = dir.File("plan.dxf");
    const ReadResult result = RunReader(program, kReadDrawingMode, path, 1.0);
    ASSERT_TRUE(result.error) << c.label;
    EXPECT_EQ(result.error->number, c.number) << c.label;
    EXPECT_THAT(result.error->description, ::testing::HasSubstr(c.message)) << c.label;
    EXPECT_THAT(result.error->description, ::testing::HasSubstr(path)) << c.label;
  }
}

// A large file is given more time than a small one, a small one seconds.
TEST(BoundedRead, TheTimeGrowsWithTheFile) {
  EXPECT_LE(ReadSeconds(668), 5.0);
  EXPECT_GE(ReadSeconds(30'000'000), 60.0);
}

// Every field of a drawing comes back from the reader's process as it was
// read (the transfer also fails to build when a field is added and not
// carried).
TEST(BoundedRead, EveryFieldIsCarried) {
  Drawing d;
  d.format = DrawingFormat::Dgn;
  d.layers = {{"0", 7, kLayerShown}, {"Lot Lines", 3, kLayerFrozen}};
  Entity e;
  e.kind = EntityKind::MText;
  e.layer = 1;
  e.colour = 5;
  e.rgb = 0x123456;
  e.firstPoint = 1;
  e.pointCount = 2;
  e.text = 1;
  e.x = 1.5;
  e.y = -2.5;
  e.height = 3.25;
  e.angle = 45;
  e.anchor = 7;
  e.columns = 9;
  e.lines = 2;
  e.handle = "1A";
  e.box = {1, 2, 3, 4, false};
  e.filled = true;
  d.entities = {Entity{}, e};
  d.xs = {0, 1, std::nan("")};
  d.ys = {0, 2, std::nan("")};
  d.texts = {"", "N45%%d30'15\"E"};
  d.extents = {-1, -2, 5, 6, false};
  d.warnings = {"one", "two"};
  d.leftOut = 3;
  d.blocksLeftOut = true;
  d.tableLayers = 2;
  d.notShaped = 4;
  d.leftOutKinds = {"LINE", "SPLINE"};
  d.leftOutKindCounts = {2, 5};
  std::string bytes;
  EncodeResult(std::nullopt, &d, nullptr, bytes);
  ReadResult back;
  ASSERT_TRUE(DecodeResult(bytes, back));
  ASSERT_FALSE(back.error);
  const Drawing& b = back.drawing;
  EXPECT_EQ(b.format, d.format);
  ASSERT_EQ(b.layers.size(), 2u);
  EXPECT_EQ(b.layers[1].name, "Lot Lines");
  EXPECT_EQ(b.layers[1].colour, 3);
  EXPECT_EQ(b.layers[1].state, kLayerFrozen);
  ASSERT_EQ(b.entities.size(), 2u);
  const Entity& f = b.entities[1];
  EXPECT_EQ(f.kind, e.kind);
  EXPECT_EQ(f.layer, e.layer);
  EXPECT_EQ(f.colour, e.colour);
  EXPECT_EQ(f.rgb, e.rgb);
  EXPECT_EQ(f.firstPoint, e.firstPoint);
  EXPECT_EQ(f.pointCount, e.pointCount);
  EXPECT_EQ(f.text, e.text);
  EXPECT_EQ(f.x, e.x);
  EXPECT_EQ(f.y, e.y);
  EXPECT_EQ(f.height, e.height);
  EXPECT_EQ(f.angle, e.angle);
  EXPECT_EQ(f.anchor, e.anchor);
  EXPECT_EQ(f.columns, e.columns);
  EXPECT_EQ(f.lines, e.lines);
  EXPECT_EQ(f.handle, e.handle);
  EXPECT_EQ(f.box.xmin, 1);
  EXPECT_EQ(f.box.ymin, 2);
  EXPECT_EQ(f.box.xmax, 3);
  EXPECT_EQ(f.box.ymax, 4);
  EXPECT_FALSE(f.box.empty);
  EXPECT_TRUE(f.filled);
  ASSERT_EQ(b.xs.size(), 3u);
  EXPECT_EQ(b.xs[1], 1);
  EXPECT_EQ(b.ys[1], 2);
  EXPECT_TRUE(std::isnan(b.ys[2]));
  EXPECT_EQ(b.texts, d.texts);
  EXPECT_EQ(b.extents.xmin, -1);
  EXPECT_EQ(b.extents.ymax, 6);
  EXPECT_FALSE(b.extents.empty);
  EXPECT_EQ(b.warnings, d.warnings);
  EXPECT_EQ(b.leftOut, 3);
  EXPECT_TRUE(b.blocksLeftOut);
  EXPECT_EQ(b.tableLayers, 2);
  EXPECT_EQ(b.notShaped, 4);
  EXPECT_EQ(b.leftOutKinds, d.leftOutKinds);
  EXPECT_EQ(b.leftOutKindCounts, d.leftOutKindCounts);
  // Cut anywhere, the bytes are refused rather than half taken.
  for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
    ReadResult part;
    EXPECT_FALSE(DecodeResult(std::string_view(bytes).substr(0, cut), part)) << cut;
  }
}

}  // namespace
}  // namespace korvalo::viewer

#include "platform/viewer/shared_drawing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "platform/viewer/drawing_files.h"
#include "support/temp_folder.h"

// One read of a drawing for every holder of the same file, and a new read
// whenever the file is not the one that was read.
namespace korvalo::viewer {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// A DXF of n lines on layer "A"; one more layer "Extra" used by an entity but
// missing from the table.
std::string Lines(int n) {
  Pairs lines;
  for (int i = 0; i < n; ++i) lines = Join({lines, Line(std::to_string(100 + i), "A", 0, i, 10, i)});
  lines = Join({lines, Line("FF", "Extra", 0, 0, 5, 5)});
  return DxfText(Join({Section("TABLES", LayerTable({{"0", 7, 0}, {"A", 1, 0}})), Section("ENTITIES", lines)})) +
         Eof();
}

std::shared_ptr<const SharedDrawing> Read(const std::string& path) {
  ReadError error;
  auto d = ReadSharedDrawing(path, error);
  EXPECT_TRUE(d) << error.description;
  return d;
}

TEST(SharedDrawingTest, HoldersShareOneReadAndTheTableLayersAreTheFiles) {
  TempFolder dir;
  const std::string path = dir.File("plat.dxf");
  WriteFile(path, Lines(3));
  const auto first = Read(path);
  const auto second = Read(path);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(first->drawing.entities.size(), 4u);
  // The table's two layers only; the drawing knows the entity's layer too.
  ASSERT_EQ(first->TableLayers().size(), 2u);
  EXPECT_EQ(first->TableLayers()[1].name, "A");
  EXPECT_EQ(first->drawing.layers.size(), 3u);
  // The index answers over the shared drawing.
  std::vector<std::uint32_t> found;
  first->index.Query(4, 1.9, 6, 2.1, found);
  EXPECT_FALSE(found.empty());
}

// Every way the file at the path can stop being the one read: each is read
// again, while the holder of the old drawing keeps it as it was.
TEST(SharedDrawingTest, AFileThatIsNotTheOneReadIsReadAgain) {
  struct Case {
    const char* name;
    void (*change)(const std::string& path, const std::string& spare);
    std::size_t entities;
  };
  const auto time = fs::file_time_type::clock::now() - std::chrono::hours(1);
  static fs::file_time_type stamp;
  stamp = time;
  const Case cases[] = {
      {"rewritten, another size", [](const std::string& p, const std::string&) {
         WriteFile(p, Lines(5));
         fs::last_write_time(p, stamp);
       }, 6},
      {"rewritten, the same size, a later time", [](const std::string& p, const std::string&) {
         std::string text = Lines(3);
         text.replace(text.find("\n10\n0.000000\n"), 13, "\n10\n7.000000\n");  // one x moves, same length
         WriteFile(p, text);
         fs::last_write_time(p, stamp + std::chrono::seconds(5));
       }, 4},
      {"replaced by another file of the same size and time", [](const std::string& p, const std::string& spare) {
         std::string text = Lines(3);
         text.replace(text.find("\n10\n0.000000\n"), 13, "\n10\n8.000000\n");
         WriteFile(spare, text);
         fs::last_write_time(spare, stamp);
         fs::rename(spare, p);
       }, 4},
      {"removed", [](const std::string& p, const std::string&) { fs::remove(p); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    const std::string path = dir.File("plat.dxf");
    WriteFile(path, Lines(3));
    fs::last_write_time(path, stamp);
    const auto before = Read(path);
    ASSERT_TRUE(before);
    const double firstX = before->drawing.xs[0];
    c.change(path, dir.File("spare.dxf"));
    ReadError error;
    const auto after = ReadSharedDrawing(path, error);
    EXPECT_EQ(before->drawing.xs[0], firstX) << "the holder keeps what it read";
    if (c.entities == 0) {
      EXPECT_FALSE(after);
      EXPECT_EQ(error.number, kErrFileNotFound);
      continue;
    }
    ASSERT_TRUE(after) << error.description;
    EXPECT_NE(after.get(), before.get());
    EXPECT_EQ(after->drawing.entities.size(), c.entities);
    if (c.entities == 4) {
      EXPECT_NE(after->drawing.xs[0], firstX);
    }
  }
}

TEST(SharedDrawingTest, FailuresAreTheReadersAndNothingIsShared) {
  TempFolder dir;
  const std::string path = dir.File("bad.dxf");
  WriteFile(path, "not a drawing");
  ReadError error;
  EXPECT_FALSE(ReadSharedDrawing(path, error));
  EXPECT_EQ(error.number, kErrBadFileFormat);
  // Mended on disk, it reads.
  WriteFile(path, Lines(1));
  fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(2));
  EXPECT_TRUE(Read(path));
}

}  // namespace
}  // namespace korvalo::viewer

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"

namespace {

int RunTool(const std::string& folder) {
  const std::string command = std::string(KORVALO_MAKE_DEFAULT_DRAWING) + " '" + folder + "'";
  return std::system(command.c_str());
}

// The drawing as DXF group code and value pairs.
std::vector<std::pair<int, std::string>> Pairs(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::pair<int, std::string>> pairs;
  std::string code;
  std::string value;
  while (std::getline(in, code) && std::getline(in, value)) pairs.emplace_back(std::stoi(code), value);
  return pairs;
}

TEST(DefaultDrawingTest, AnEmptyDxfDrawingWithLayerZero) {
  TempFolder dir;
  ASSERT_EQ(RunTool(dir.Path()), 0);
  const auto pairs = Pairs(dir.File("default.dwg"));
  ASSERT_FALSE(pairs.empty());
  EXPECT_EQ(pairs.front(), (std::pair<int, std::string>{0, "SECTION"}));
  EXPECT_EQ(pairs.back(), (std::pair<int, std::string>{0, "EOF"}));

  std::vector<std::string> layers;
  int entities = 0;
  bool inEntities = false;
  for (std::size_t i = 0; i + 1 < pairs.size(); ++i) {
    if (pairs[i] == std::pair<int, std::string>{0, "LAYER"} && pairs[i + 1].first == 2) {
      layers.push_back(pairs[i + 1].second);
    }
    if (pairs[i] == std::pair<int, std::string>{2, "ENTITIES"}) inEntities = true;
    if (inEntities && pairs[i + 1].first == 0 && pairs[i + 1].second != "ENDSEC") ++entities;
    if (inEntities && pairs[i + 1].second == "ENDSEC") inEntities = false;
  }
  EXPECT_EQ(layers, std::vector<std::string>{"0"});
  EXPECT_EQ(entities, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("default.dwg.partial")));
}

TEST(DefaultDrawingTest, ASecondRunReplacesTheFileAndAMissingFolderIsMade) {
  TempFolder dir;
  const std::string folder = dir.File("bin");
  ASSERT_EQ(RunTool(folder), 0);
  std::ofstream(folder + "/default.dwg") << "damaged";
  ASSERT_EQ(RunTool(folder), 0);
  std::ifstream in(folder + "/default.dwg");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str().rfind("0\nSECTION\n", 0), 0u);
}

}  // namespace

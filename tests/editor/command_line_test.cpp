#include "editor/command_line.h"

#include <gtest/gtest.h>

namespace korvalo::editor {
namespace {

TEST(CommandLineProject, OpensOnlyKvxPaths) {
  struct Case {
    const char* commandLine;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"/home/s/Lots.kvx", "/home/s/Lots.kvx"},
      {"\"/home/s/My Lots.kvx\"", "/home/s/My Lots.kvx"},
      {"/home/s/Lots.KvX", "/home/s/Lots.KvX"},
      {"/home/s/Lots.kvx  ", "/home/s/Lots.kvx  "},  // trimmed only for the test
      {"/home/s/Lots.kvx.bak", std::nullopt},
      {".kvx", std::nullopt},
      {"\"a.kvx\"", "a.kvx"},
      {"\"\".kvx", std::nullopt},  // four characters once the quotes are gone
      {"", std::nullopt},
      {"/home/s/Lots.dwg", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandLineProject(c.commandLine), c.expected) << c.commandLine;
  }
}

}  // namespace
}  // namespace korvalo::editor

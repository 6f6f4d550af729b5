#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/edition.h"
#include "storage/messages.h"
#include "storage/program_state.h"
#include "storage/project_db.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

namespace korvalo {

// A program folder of its own with a freshly built system database (held
// open as the running program holds it, unless `holdSystemDb` is false), and
// the messages the code under test shows.
class StorageTest : public ::testing::Test {
 protected:
  explicit StorageTest(Edition edition = Edition::A2004, bool holdSystemDb = true)
      : edition_(edition), hold_(holdSystemDb) {}

  void SetUp() override {
    ResetProgramState();
    SetEdition(edition_);
    Program().ProgramFolder = dir.Path();
    BuildSystemDatabase(FileBesideProgram(SystemDatabaseName(edition_)), edition_);
    SetMessageSink([this](const Message& m) { messages.push_back(m); });
    if (hold_) {
      ASSERT_TRUE(OpenSystemDatabase());
    }
  }

  void TearDown() override {
    SetMessageSink({});
    ResetProgramState();
    SetEdition(Edition::A2004);
  }

  // Creates a project in the program folder and makes it the open one.
  std::string NewProject(const std::string& name, const std::string& drawing = "") {
    EXPECT_TRUE(CreateProjectDatabase(dir.Path() + "/", name, drawing));
    Program().ProjectPath = dir.File(name + ".kvx");
    return Program().ProjectPath;
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const Message& m : messages) out.push_back(m.text);
    return out;
  }

  TempFolder dir;
  std::vector<Message> messages;

 private:
  Edition edition_;
  bool hold_;
};

inline int ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const dao::DaoError& e) {
    return e.Number();
  }
  return 0;
}

}  // namespace korvalo

#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cadlink/mod_link.h"
#include "common/edition.h"
#include "editor/frm_editor.h"
#include "editor/message_boxes.h"
#include "platform/cad/testing.h"
#include "platform/dao/dao.h"
#include "platform/forms/testing.h"
#include "platform/shell/shell.h"
#include "storage/messages.h"
#include "storage/program_state.h"
#include "storage/project_db.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

namespace korvalo::editor::test {

// A program folder with its system database held as the running program
// holds it, the fallback drawing, a running CAD program, storage messages
// shown in message boxes, and whatever the shell would open recorded.
class ProjectRoadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    SetEdition(Edition::A2004);
    Program().ProgramFolder = dir.Path();
    BuildSystemDatabase(FileBesideProgram("Korvalo.zrq"), Edition::A2004);
    ASSERT_TRUE(OpenSystemDatabase());
    std::ofstream(dir.File("default.dwg")) << "0\nEOF\n";
    std::ofstream(dir.File("Lots.dwg")) << "0\nEOF\n";
    ShowStorageMessagesInMessageBoxes();
    previousShell_ = shell::SetShellHook([this](const shell::ShellRequest& r) { opened.push_back(r); });
  }
  void TearDown() override {
    editor.reset();
    link.reset();
    shell::SetShellHook(previousShell_);
    SetMessageSink({});
    ResetProgramState();
  }

  void LoadEditor(const std::string& commandLine = {}) {
    Program().CourseLimit = 80;
    editor = std::make_unique<FrmEditor>(80);
    link = std::make_unique<cadlink::ModLink>(*editor, cad);
    editor->SetLinkServices(link.get());
    StartupServices startup;
    startup.commandLine = commandLine;
    editor->SetStartupServices(std::move(startup));
    editor->Load();
  }

  // A project file in `folder` (the program folder when empty).
  std::string MakeProject(const std::string& name, const std::string& drawing = "",
                          const std::string& folder = "") {
    const std::string where = (folder.empty() ? dir.Path() : folder) + "/";
    EXPECT_TRUE(CreateProjectDatabase(where, name, drawing));
    return where + name + ".kvx";
  }

  // A project file written without the non-tangent field, as older files
  // and the standalone edition's are.
  std::string MakeOlderProject(const std::string& name) {
    SetEdition(Edition::Standalone);
    if (!std::filesystem::exists(FileBesideProgram("KorvaloPro.zrq"))) {
      BuildSystemDatabase(FileBesideProgram("KorvaloPro.zrq"), Edition::Standalone);
    }
    Program().SystemDb.reset();
    EXPECT_TRUE(OpenSystemDatabase());
    const std::string path = MakeProject(name, dir.File("Lots.dwg"));
    SetEdition(Edition::A2004);
    Program().SystemDb.reset();
    EXPECT_TRUE(OpenSystemDatabase());
    return path;
  }

  static bool HasNonTang(const std::string& path) {
    dao::Database db = dao::Database::Open(path);
    for (const dao::FieldDef& f : db.Fields("tblMeasurements"))
      if (f.name == "NonTang") return true;
    return false;
  }

  // Chooses File > Open with the file dialog answered.
  void OpenThroughDialog(const std::string& path) {
    prompts.ExpectOpenFile(path);
    editor->mnuOpen_Click();
  }

  TempFolder dir;
  cad::testing::FakeCad cad;
  forms::testing::PromptScript prompts;
  std::unique_ptr<FrmEditor> editor;
  std::unique_ptr<cadlink::ModLink> link;
  std::vector<shell::ShellRequest> opened;

 private:
  shell::ShellHook previousShell_;
};

}  // namespace korvalo::editor::test

#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "apps/startup.h"
#include "common/edition.h"
#include "editor/message_boxes.h"
#include "platform/print/printer.h"
#include "platform/shell/shell.h"
#include "storage/messages.h"
#include "storage/program_state.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

// The linked program (KorvaloA2004) over a program folder of its own with a
// new system database: nothing is shelled out, the PDF printer is the only
// printer, and storage messages show in message boxes. Start() runs the
// program's start-up; TearDown ends the run and restores what SetUp changed.
namespace korvalo::apps {

class LinkedProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    SetEdition(Edition::A2004);
    Program().ProgramFolder = dir.Path();
    BuildSystemDatabase(SystemDatabasePath(), Edition::A2004);
    editor::ShowStorageMessagesInMessageBoxes();
    previousShell_ = shell::SetShellHook([](const shell::ShellRequest&) {});
    print::SetPrinterListForTesting(&printers);
  }
  void TearDown() override {
    program.reset();
    Program().SystemDb.reset();
    print::SetPrinterListForTesting(nullptr);
    shell::SetShellHook(previousShell_);
    SetMessageSink({});
    ResetProgramState();
  }

  void Start() {
    program = std::make_unique<LinkedProgram>();
    ASSERT_TRUE(program->RunStartUp(""));
    e = program->Editor();
    ASSERT_NE(e, nullptr);
  }

  TempFolder dir;
  std::vector<std::string> printers{print::kPdfFileName};
  std::unique_ptr<LinkedProgram> program;
  editor::FrmEditor* e = nullptr;

 private:
  shell::ShellHook previousShell_;
};

}  // namespace korvalo::apps

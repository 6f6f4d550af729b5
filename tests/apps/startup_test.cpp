#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "apps/startup.h"
#include "common/edition.h"
#include "editor/message_boxes.h"
#include "platform/dao/dao.h"
#include "platform/forms/testing.h"
#include "platform/shell/shell.h"
#include "storage/messages.h"
#include "storage/program_state.h"
#include "storage/recent_projects.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

extern char** environ;

namespace korvalo::apps {
namespace {

using forms::vbOKOnly;
constexpr const char* kSingleInstance =
    "The database is already opened by another instance of Korvalo.\n"
    "The single-user version can only be used by one instance at a time.";

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    SetEdition(Edition::A2004);
    Program().ProgramFolder = dir.Path();
    BuildSystemDatabase(SystemDatabasePath(), Edition::A2004);
    editor::ShowStorageMessagesInMessageBoxes();
    previousShell_ = shell::SetShellHook([this](const shell::ShellRequest& r) { opened.push_back(r.target); });
  }
  void TearDown() override {
    shell::SetShellHook(previousShell_);
    SetMessageSink({});
    ResetProgramState();
  }

  // Ends the run as closing the program does, so the next start can begin.
  static void EndRun(std::unique_ptr<LinkedProgram>& program) {
    program.reset();
    Program().SystemDb.reset();
  }

  static bool Flag(const char* field) {
    dao::Database db = dao::Database::Open(SystemDatabasePath(), {false, false, std::string(";Pwd=") + kSystemDatabasePassword});
    dao::Recordset rs = db.OpenRecordset("tblSetting");
    return dao::AsBool(rs.Get(field));
  }

  // Answers the training-video offer with one of its options.
  void ExpectOffer(forms::OptionButton windows::FrmVideoOptions::*option) {
    prompts.ExpectModal("frmVideoOptions", [option](forms::Form& form) {
      auto& offer = static_cast<windows::FrmVideoOptions&>(form);
      EXPECT_TRUE(offer.optQuick.Value());  // selected at design
      (offer.*option).SetValue(true);
      offer.cmdOK.PerformClick();
    });
  }

  void ExpectInitialConfiguration() {
    prompts.ExpectMsgBox(
        "What unit of angular measurement would you like to be the default?  Yes = Bearing, No = Azimuth.",
        forms::vbYesNo, forms::vbYes, "Initial configuration");
    prompts.ExpectMsgBox(
        "What unit of linear measurement would you like to be the default?  Yes = Metric, No = Imperial.",
        forms::vbYesNo, forms::vbNo, "Initial configuration");
  }

  TempFolder dir;
  forms::testing::PromptScript prompts;
  std::vector<std::string> opened;

 private:
  shell::ShellHook previousShell_;
};

TEST_F(StartupTest, FirstStartAsksOnceAndLaterStartsFollowTheOffer) {
  {
    dao::Database db = dao::Database::Open(SystemDatabasePath(), {true, false, std::string(";Pwd=") + kSystemDatabasePassword});
    db.Execute("INSERT INTO tblRecentProject (ProjectName, ProjectLocation) VALUES ('Sample.kvx', './')");
  }
  // First start: the offer (remind me), the sample folder rewritten, the two
  // questions.
  ExpectOffer(&windows::FrmVideoOptions::optRemind);
  ExpectInitialConfiguration();
  auto program = std::make_unique<LinkedProgram>();
  ASSERT_TRUE(program->RunStartUp(""));
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_TRUE(Program().FirstRun);
  EXPECT_EQ(Program().CourseLimit, 80);
  ASSERT_NE(program->Editor(), nullptr);
  EXPECT_TRUE(program->Editor()->Visible());
  EXPECT_EQ(program->Editor()->mnuHistory(0).Caption(), RecentProjectCaption(dir.Path() + "/", "Sample.kvx"));
  EXPECT_EQ(Program().RecentProjects[0], dir.File("Sample.kvx"));
  EXPECT_TRUE(Program().SystemDb && Program().SystemDb->IsOpen());
  EndRun(program);
  EXPECT_FALSE(Flag("Demo"));
  EXPECT_TRUE(Flag("DemoMenu"));
  EXPECT_TRUE(Flag("unitfeet"));  // "No" to metric: feet
  EXPECT_TRUE(Flag("Bearing"));

  // Second start: the offer again (remind was chosen), no questions; the
  // quick-start video is started from the program folder.
  ExpectOffer(&windows::FrmVideoOptions::optQuick);
  program = std::make_unique<LinkedProgram>();
  ASSERT_TRUE(program->RunStartUp(""));
  EXPECT_FALSE(Program().FirstRun);
  EXPECT_EQ(opened, std::vector<std::string>{dir.File("ZE-Veza Demo.exe")});
  EndRun(program);

  // Third start: "do not ask again".
  ExpectOffer(&windows::FrmVideoOptions::optNotAgain);
  prompts.ExpectMsgBox(windows::kVideoNotAgainText, forms::vbInformation);
  program = std::make_unique<LinkedProgram>();
  ASSERT_TRUE(program->RunStartUp(""));
  EndRun(program);
  EXPECT_FALSE(Flag("DemoMenu"));

  // Fourth start: nothing asked at all.
  program = std::make_unique<LinkedProgram>();
  ASSERT_TRUE(program->RunStartUp(""));
  EXPECT_EQ(prompts.Pending(), 0);
  EndRun(program);
}

TEST_F(StartupTest, MissingSystemDatabaseEndsTheStartBeforeAnyWindow) {
  std::remove(SystemDatabasePath().c_str());
  prompts.ExpectMsgBox(
      "Korvalo could not find the database or it has become corrupted.\n"
      "This program cannot continue.  Please re-install Korvalo.",
      vbOKOnly + forms::vbCritical);
  LinkedProgram program;
  EXPECT_FALSE(program.RunStartUp(""));
  EXPECT_EQ(program.Editor(), nullptr);
  for (forms::Form* form : forms::LoadedForms()) EXPECT_FALSE(form->Visible()) << form->Name();
}

// Another process holds the program folder's system database, as a running
// instance does: this start is refused and ends; once that process ends,
// a start succeeds.
TEST_F(StartupTest, SecondInstanceIsRefusedWhileAnotherProcessHoldsTheSystemDatabase) {
  // The first instance holds it after its first start.
  {
    dao::Database db = dao::Database::Open(SystemDatabasePath(), {true, false, std::string(";Pwd=") + kSystemDatabasePassword});
    db.Execute("UPDATE tblSetting SET Demo = False, DemoMenu = False");
  }
  int toChild[2];
  int fromChild[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(fromChild), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, toChild[1]);
  posix_spawn_file_actions_addclose(&actions, fromChild[0]);
  std::string helper = KORVALO_HOLD_HELPER;
  std::string folder = dir.Path();
  char* argv[] = {helper.data(), folder.data(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, helper.c_str(), &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(toChild[0]);
  close(fromChild[1]);
  char buffer[8] = {};
  ASSERT_EQ(read(fromChild[0], buffer, 5), 5);
  ASSERT_EQ(std::string(buffer, 5), "held\n");

  prompts.ExpectMsgBox(kSingleInstance, vbOKOnly + forms::vbCritical);
  {
    LinkedProgram second;
    EXPECT_FALSE(second.RunStartUp(""));
    EXPECT_EQ(second.Editor(), nullptr);
  }
  EXPECT_EQ(prompts.Pending(), 0);

  // The first instance ends untouched by the refused start.
  close(toChild[1]);
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  close(fromChild[0]);

  LinkedProgram next;
  EXPECT_TRUE(next.RunStartUp(""));
  ASSERT_NE(next.Editor(), nullptr);
  Program().SystemDb.reset();
}

}  // namespace
}  // namespace korvalo::apps

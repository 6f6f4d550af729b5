#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/edition.h"
#include "platform/forms/testing.h"
#include "platform/shell/shell.h"
#include "storage/program_state.h"
#include "storage/system_db.h"
#include "storage/windows/start_windows.h"
#include "support/temp_folder.h"

// The training-video offer in both editions: what each option's OK starts.
namespace korvalo::standalone::test {
namespace {

using namespace forms;

class VideoOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    previous_ = shell::SetShellHook([this](const shell::ShellRequest& r) { opened.push_back(r.target); });
  }
  void TearDown() override {
    shell::SetShellHook(previous_);
    Program().SystemDb.reset();
    ResetProgramState();
  }
  TempFolder dir;
  forms::testing::PromptScript prompts;
  std::vector<std::string> opened;

 private:
  shell::ShellHook previous_;
};

TEST_F(VideoOptionsTest, StandaloneOffersFiveOptions) {
  SetEdition(Edition::Standalone);
  Program().ProgramFolder = dir.Path();
  BuildSystemDatabase(FileBesideProgram("KorvaloPro.zrq"), Edition::Standalone);
  ASSERT_TRUE(OpenSystemDatabase());
  const std::string folder = dir.Path() + "/";
  struct Case {
    const char* option;
    std::string starts;  // empty: nothing started
  };
  const Case cases[] = {
      {"optQuick", folder + "ZI Ruvaziviru Quick Demo.exe"},
      {"optFull", folder + "ZI Ruvaziviru Full Demo.exe"},
      {"optConf", folder + "ZI Ruvaziviru Options.exe"},
      {"optRemind", ""},
      {"optNotAgain", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    opened.clear();
    ASSERT_TRUE(VideoPromptWanted());
    windows::FrmVideoOptions videos;
    videos.Load();
    EXPECT_TRUE(videos.optQuick.Value());
    EXPECT_TRUE(videos.optFull.Visible());
    EXPECT_EQ(videos.optFull.Caption(), "&Full training video (8 min)");
    for (OptionButton* o : {&videos.optQuick, &videos.optFull, &videos.optConf, &videos.optRemind,
                            &videos.optNotAgain}) {
      if (o->Name() == c.option) o->SetValue(true);
    }
    const bool notAgain = std::string(c.option) == "optNotAgain";
    if (notAgain) prompts.ExpectMsgBox(windows::kVideoNotAgainText, vbInformation);
    videos.cmdOK.PerformClick();
    EXPECT_FALSE(videos.Loaded());
    if (c.starts.empty()) {
      EXPECT_TRUE(opened.empty());
    } else {
      EXPECT_EQ(opened, std::vector<std::string>{c.starts});
    }
    if (notAgain) {
      EXPECT_FALSE(VideoPromptWanted());
    }
  }
}

TEST_F(VideoOptionsTest, LinkedEditionHasNoFullTrainingVideo) {
  SetEdition(Edition::A2004);
  Program().ProgramFolder = dir.Path();
  windows::FrmVideoOptions videos;
  EXPECT_FALSE(videos.optFull.Visible());
  videos.optConf.SetValue(true);
  videos.cmdOK.PerformClick();
  EXPECT_EQ(opened, std::vector<std::string>{dir.Path() + "/" + windows::kConfigurationVideo});
}

}  // namespace
}  // namespace korvalo::standalone::test

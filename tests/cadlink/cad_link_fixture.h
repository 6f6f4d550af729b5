#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cadlink/cad_link.h"
#include "platform/cad/testing.h"
#include "platform/forms/forms.h"
#include "../storage/storage_fixture.h"

namespace korvalo::cadlink::test {

// The editor's side, written into the CAD program's call log so that one
// log shows the order of both.
class RecordingHost : public LinkHost {
 public:
  explicit RecordingHost(cad::testing::FakeCad& cad) : cad_(cad) {}
  void SetTopMost(bool on) override {
    topMost = on;
    cad_.Note(std::string("Editor.TopMost=") + (on ? "True" : "False"));
  }
  void Minimize() override { cad_.Note("Editor.Minimize"); }
  void Restore() override { cad_.Note("Editor.Restore"); }
  void ProcessPendingEvents() override { cad_.Note("DoEvents"); }
  void SetCalcEnabled(bool enabled) override {
    cad_.Note(std::string("Editor.CalcEnabled=") + (enabled ? "True" : "False"));
  }
  void SetCurrentCadCaption(const std::string& caption) override {
    cad_.Note("Editor.CurrentCadCaption=" + caption);
  }
  void SetCurrentCadEnabled(bool enabled) override {
    cad_.Note(std::string("Editor.CurrentCadEnabled=") + (enabled ? "True" : "False"));
  }
  void ReloadProjectSettings() override {
    cad_.Note("Editor.ReloadProjectSettings");
    LoadProjectSettings();
  }
  bool SelectGrabModel() override {
    cad_.Note("Editor.SelectGrabModel");
    return false;
  }

  bool topMost = false;

 private:
  cad::testing::FakeCad& cad_;
};

// A program folder with its system database, a scripted CAD program, the
// editor's side recorded and every message box answered and kept.
class CadLinkTest : public StorageTest {
 protected:
  void SetUp() override {
    StorageTest::SetUp();
    previous_ = forms::SetPromptHandler([this](const forms::Prompt& p) {
      if (p.kind == forms::PromptKind::Message) {
        EXPECT_EQ(p.buttons, forms::vbOKOnly) << p.text;
        EXPECT_EQ(p.title, forms::AppTitle()) << p.text;
        boxes.push_back(p.text);
        return forms::PromptAnswer{forms::vbOK, {}, nullptr};
      }
      EXPECT_EQ(p.kind, forms::PromptKind::OpenFile);
      dialogs.push_back(p.file);
      return forms::PromptAnswer{0, fileAnswer, nullptr};
    });
    Program().DrawingPath = kProject;
  }
  void TearDown() override {
    forms::SetPromptHandler(previous_);
    StorageTest::TearDown();
  }

  CadLink MakeLink(Edition edition) { return CadLink(cad, PolicyFor(edition), host); }
  std::string Default() const { return FileBesideProgram("default.dwg"); }

  static constexpr const char* kProject = "/surveys/Lots.dwg";

  cad::testing::FakeCad cad;
  RecordingHost host{cad};
  std::vector<std::string> boxes;
  std::vector<forms::FileDialogOptions> dialogs;
  std::optional<std::string> fileAnswer;

 private:
  forms::PromptHandler previous_;
};

}  // namespace korvalo::cadlink::test

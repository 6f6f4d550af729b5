#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cadlink/mod_link.h"
#include "common/edition.h"
#include "common/utf8.h"
#include "editor/frm_editor.h"
#include "platform/forms/testing.h"
#include "storage/program_state.h"

namespace korvalo::editor::test {

// A loaded editor window with the link's switches, no project open, and a
// prompt script that fails the test on any prompt it was not told of.
class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEdition(Edition::A2004);
    ResetProgramState();
    Program().ProjectSettings.ErrDecimal = 2;
  }
  void TearDown() override {
    editor.reset();
    ResetProgramState();
  }

  void LoadEditor(Edition edition = Edition::A2004, StartupServices startup = {}) {
    SetEdition(edition);
    Program().CourseLimit = CourseLimitFor(edition);
    editor = std::make_unique<FrmEditor>(Program().CourseLimit);
    link = std::make_unique<cadlink::ModLink>(*editor);
    editor->SetLinkServices(link.get());
    editor->SetStartupServices(std::move(startup));
    editor->Load();
  }

  // A bearing such as "N45°E" from "N45dE".
  static std::string Dir(std::string text) {
    return utf8::ReplaceAll(text, "d", utf8::kDegree);
  }

  void SetLine(int row, const std::string& direction, const std::string& distance) {
    editor->txtBearingLine(row).SetText(Dir(direction));
    editor->txtDistanceLine(row).SetText(distance);
  }

  // A square of side 100 walked north, east, south and west, its east side
  // given.
  void EnterSquare(const std::string& eastSide) {
    SetLine(0, "N0dE", "100");
    SetLine(1, "N90dE", eastSide);
    SetLine(2, "S0dE", "100");
    SetLine(3, "S90dW", "100");
  }

  // Makes the row an arc row and fills it; sign 0 "+", 1 "-", 2 greyed.
  void SetArc(int row, const std::string& direction, const std::string& arc,
              const std::string& chord, const std::string& radius, int sign) {
    editor->frameLine(row).SetVisible(false);
    editor->frameArc(row).SetVisible(true);
    editor->chksign(2 * row).SetValue(sign == 0 ? 1 : (sign == 2 ? 2 : 0));
    editor->chksign(2 * row + 1).SetValue(sign == 1 ? 1 : (sign == 2 ? 2 : 0));
    editor->txtBearingArc(row).SetText(Dir(direction));
    editor->txtArc(row).SetText(arc);
    editor->txtChord(row).SetText(chord);
    editor->txtRadius(row).SetText(radius);
  }

  forms::testing::PromptScript prompts;
  std::unique_ptr<FrmEditor> editor;
  std::unique_ptr<cadlink::ModLink> link;
};

}  // namespace korvalo::editor::test

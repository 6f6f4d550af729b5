#include "cadlink/mod_link.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../editor/editor_fixture.h"

namespace korvalo::cadlink {
namespace {

using editor::test::EditorTest;

// Each control or menu the switch covers, by name.
struct Switched {
  const char* name;
  std::function<bool(editor::FrmEditor&)> enabled;
};

std::vector<Switched> ProjectControls() {
  return {
      {"Frame1", [](editor::FrmEditor& e) { return e.Frame1.Enabled(); }},
      {"Frame3", [](editor::FrmEditor& e) { return e.Frame3.Enabled(); }},
      {"Frame4", [](editor::FrmEditor& e) { return e.Frame4.Enabled(); }},
      {"frameBase", [](editor::FrmEditor& e) { return e.frameBase.Enabled(); }},
      {"optmodel(0)", [](editor::FrmEditor& e) { return e.optmodel(0).Enabled(); }},
      {"optmodel(1)", [](editor::FrmEditor& e) { return e.optmodel(1).Enabled(); }},
      {"cmdZoom", [](editor::FrmEditor& e) { return e.cmdZoom.Enabled(); }},
      {"picParcel", [](editor::FrmEditor& e) { return e.picParcel.Enabled(); }},
      {"mnuEdit", [](editor::FrmEditor& e) { return e.mnuEdit.Enabled(); }},
      {"mnuView", [](editor::FrmEditor& e) { return e.mnuView.Enabled(); }},
      {"mnuOptions", [](editor::FrmEditor& e) { return e.mnuOptions.Enabled(); }},
      {"mnuReport", [](editor::FrmEditor& e) { return e.mnuReport.Enabled(); }},
      {"mnuCurrentCAD", [](editor::FrmEditor& e) { return e.mnuCurrentCAD.Enabled(); }},
      {"mnuRelocateCAD", [](editor::FrmEditor& e) { return e.mnuRelocateCAD.Enabled(); }},
      {"mnuSizePicture", [](editor::FrmEditor& e) { return e.mnuSizePicture.Enabled(); }},
  };
}

TEST_F(EditorTest, EnableProjectUISwitchesEveryProjectControl) {
  LoadEditor();
  // The load leaves them all off.
  for (const Switched& s : ProjectControls()) EXPECT_FALSE(s.enabled(*editor)) << s.name;

  EnableProjectUI(*editor, true);
  for (const Switched& s : ProjectControls()) EXPECT_TRUE(s.enabled(*editor)) << s.name;
  // Not part of it: the menus without a project, the rows' own flags.
  EXPECT_TRUE(editor->mnuFile.Enabled());
  EXPECT_TRUE(editor->mnuHelpMain.Enabled());
  EXPECT_FALSE(editor->txtBearingLine(0).Enabled());
  // A frame's switch reaches its controls without changing their flags.
  EXPECT_TRUE(editor->cmdNo(0).IsEffectivelyEnabled());
  EXPECT_FALSE(editor->cmdSave.Enabled());

  EnableProjectUI(*editor, false);
  for (const Switched& s : ProjectControls()) EXPECT_FALSE(s.enabled(*editor)) << s.name;
  EXPECT_FALSE(editor->cmdNo(0).IsEffectivelyEnabled());
  EXPECT_TRUE(editor->cmdNo(0).Enabled());
}

TEST_F(EditorTest, ShowLinkStateShowsTheDrawingAndKeepsTheEditorOnTop) {
  LoadEditor();
  Program().DrawingPath = "/surveys/Lots/Lots.dwg";
  const int left = editor->Left();
  const int height = editor->Height();
  ASSERT_FALSE(editor->TopMost());

  ShowLinkState(*editor);
  EXPECT_TRUE(editor->TopMost());
  EXPECT_TRUE(editor->mnuRelocateCAD.Enabled());
  EXPECT_EQ(editor->mnuCurrentCAD.Caption(), "/surveys/Lots/Lots.dwg");
  // Only the caption: enabling the item is the connection's business.
  EXPECT_FALSE(editor->mnuCurrentCAD.Enabled());
  EXPECT_EQ(editor->Left(), left);
  EXPECT_EQ(editor->Height(), height);

  // A project made without a drawing after one with a drawing: the item
  // reads as itself again, not blank.
  Program().DrawingPath.clear();
  ShowLinkState(*editor);
  EXPECT_EQ(editor->mnuCurrentCAD.Caption(), "Current CAD file path");
}

}  // namespace
}  // namespace korvalo::cadlink

#include "cadlink/mod_link.h"
#include "editor/frm_editor.h"
#include "editor/project_events.h"
#include "reports/editor_reports.h"
#include "report_window_fixture.h"

namespace korvalo::reports::test {
namespace {

using forms::testing::UserChooseMenu;

// The item that opens the window, then the item chosen while it is open.
struct ReportItemPair {
  forms::Menu editor::FrmEditor::* first;
  forms::Menu editor::FrmEditor::* second;
};

// The real editor: its Report menu opens the window, a change of project
// unloads it.
class EditorReportsTest : public ReportWindowTest {
 protected:
  void SetUp() override {
    ReportWindowTest::SetUp();
    realEditor = std::make_unique<editor::FrmEditor>(80);
    link = std::make_unique<cadlink::ModLink>(*realEditor);
    realEditor->SetLinkServices(link.get());
    reports = std::make_unique<EditorReports>(*realEditor);
    realEditor->Load();
    realEditor->Show();
    // A project is open: its menus are enabled.
    link->EnableProjectUI(true);
    realEditor->Move(1500, 750);
  }
  void TearDown() override {
    reports.reset();
    link.reset();
    realEditor.reset();
    ReportWindowTest::TearDown();
  }

  std::unique_ptr<editor::FrmEditor> realEditor;
  std::unique_ptr<cadlink::ModLink> link;
  std::unique_ptr<EditorReports> reports;
};

TEST_F(EditorReportsTest, TheReportMenuOpensTheWindowAndClosingPutsTheEditorBack) {
  UserChooseMenu(realEditor->mnuReport);
  EXPECT_EQ(realEditor->SavedEditorTop, 750);
  EXPECT_EQ(realEditor->SavedEditorLeft, 1500);
  UserChooseMenu(realEditor->mnuPicReport);
  FrmReport& window = reports->Window();
  ASSERT_TRUE(window.Visible());
  EXPECT_EQ(window.Caption(), "Korvalo report with picture");
  EXPECT_FALSE(realEditor->Visible());
  EXPECT_EQ(window.cbxParcel.ListCount(), 3);
  forms::testing::UserClick(window.cmdClose);
  EXPECT_TRUE(realEditor->Visible());
  EXPECT_EQ(realEditor->Top(), 750);
  EXPECT_EQ(realEditor->Left(), 1500);

  UserChooseMenu(realEditor->mnuReport);
  UserChooseMenu(realEditor->mnuFullReport);
  EXPECT_EQ(window.Caption(), "Korvalo full report");
  EXPECT_NE(window.rtfReport.Text().find("Lot Closure Report - Lot # Alpha"), std::string::npos);
}

// The Report menu opened again while the window is open (the editor parked
// off the screen by the picture report, or beside a full report) keeps the
// place of the first opening: closing puts the editor back on the screen.
TEST_F(EditorReportsTest, TheReportMenuReopenedKeepsThePlaceToReturnTo) {
  for (const ReportItemPair& road : {ReportItemPair{&editor::FrmEditor::mnuPicReport, &editor::FrmEditor::mnuPicReport},
                                     ReportItemPair{&editor::FrmEditor::mnuPicReport, &editor::FrmEditor::mnuFullReport},
                                     ReportItemPair{&editor::FrmEditor::mnuSumReport, &editor::FrmEditor::mnuPicReport}}) {
    realEditor->Move(1500, 750);
    UserChooseMenu(realEditor->mnuReport);
    UserChooseMenu((*realEditor).*road.first);
    ASSERT_TRUE(reports->Window().Loaded());
    UserChooseMenu(realEditor->mnuReport);
    EXPECT_EQ(realEditor->SavedEditorTop, 750);
    EXPECT_EQ(realEditor->SavedEditorLeft, 1500);
    UserChooseMenu((*realEditor).*road.second);
    forms::testing::UserClick(reports->Window().cmdClose);
    EXPECT_EQ(realEditor->Top(), 750);
    EXPECT_EQ(realEditor->Left(), 1500);
  }
  // Once the window is closed, the menu keeps the editor's new place.
  realEditor->Move(300, 450);
  UserChooseMenu(realEditor->mnuReport);
  EXPECT_EQ(realEditor->SavedEditorTop, 450);
  EXPECT_EQ(realEditor->SavedEditorLeft, 300);
}

TEST_F(EditorReportsTest, TheItemsRefuseWhileAParcelIsEdited) {
  realEditor->SetEditing(true);
  prompts.ExpectMsgBox("Please save the current parcel before printing reports.", forms::vbOKOnly);
  UserChooseMenu(realEditor->mnuSumReport);
  EXPECT_FALSE(reports->Window().Loaded());
}

TEST_F(EditorReportsTest, AnotherProjectUnloadsTheWindowFirst) {
  UserChooseMenu(realEditor->mnuReport);
  UserChooseMenu(realEditor->mnuSumReport);
  ASSERT_TRUE(reports->Window().Loaded());
  editor::RaiseProjectEvent(editor::ProjectEvent::Closing);
  EXPECT_FALSE(reports->Window().Loaded());
  EXPECT_FALSE(reports->Window().Visible());
}

}  // namespace
}  // namespace korvalo::reports::test

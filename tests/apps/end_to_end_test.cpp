#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/startup.h"
#include "common/edition.h"
#include "common/utf8.h"
#include "editor/message_boxes.h"
#include "options/frm_setting.h"
#include "platform/dao/dao.h"
#include "platform/forms/testing.h"
#include "platform/print/printer.h"
#include "platform/shell/shell.h"
#include "reports/frm_report.h"
#include "storage/messages.h"
#include "storage/parcel_save.h"
#include "storage/project_db.h"
#include "storage/program_state.h"
#include "storage/system_db.h"
#include "support/pdf_text.h"
#include "support/program_start.h"
#include "support/program_checks.h"
#include "support/temp_folder.h"
#include "linked_program_fixture.h"

// The linked program used as a new user uses it, from the first start to a
// second start that finds the work again; each step through the real
// windows, and the project file read back with the sqlite3 tool.
namespace korvalo::apps {
namespace {

using forms::testing::PromptScript;
using program_start::LoadedForm;
using forms::testing::UserChooseMenu;
using forms::testing::UserClick;
using forms::testing::UserFocus;
using forms::testing::UserMouseClick;
using forms::testing::UserSelect;
using forms::testing::UserType;
using forms::vbOKOnly;
using forms::vbYes;
using forms::vbYesNo;

std::string Deg(const std::string& text) { return utf8::ReplaceAll(text, "d", utf8::kDegree); }

using program_checks::Sql;

class EndToEndTest : public LinkedProgramTest {
 protected:
  // Ends the run as closing the program does.
  void Quit() {
    UserChooseMenu(e->mnuExit);
    program.reset();
    Program().SystemDb.reset();
    e = nullptr;
  }

  void TypeLine(int row, const std::string& direction, const std::string& distance) {
    UserType(e->txtBearingLine(row), direction);
    UserType(e->txtDistanceLine(row), distance);
  }
  void Popup(int row, const std::string& item) {
    prompts.ExpectPopup("mnuPopup", item);
    UserMouseClick(e->cmdNo(row), forms::vbRightButton);
  }
  // Opens the Edit menu with row `row` current and chooses the item.
  void EditMenu(int row, forms::Menu& item) {
    UserFocus(e->cmdNo(row));
    UserChooseMenu(e->mnuEdit);
    UserChooseMenu(item);
  }
  // What linking tells while no CAD program can be started: the tests run
  // from a folder without KorvaloDraw.
  void ExpectNoCadProgram() {
    prompts.ExpectMsgBox("KorvaloDraw was not found in " + forms::ProgramFolder(), vbOKOnly);
    prompts.ExpectMsgBox("Can't find AutoCAD application!", vbOKOnly);
  }
  std::string Line(int row) const { return e->txtBearingLine(row).Text() + " " + e->txtDistanceLine(row).Text(); }
  std::vector<std::string> List() const {
    std::vector<std::string> out;
    for (int i = 0; i < e->cbxParcel.ListCount(); ++i) out.push_back(e->cbxParcel.List(i));
    return out;
  }
  std::string Figures() const {
    return e->lblClosure.Caption() + " " + e->lblArea.Caption() + " " + e->lblPrecision.Caption();
  }

  PromptScript prompts;
};

TEST_F(EndToEndTest, ANewUserCreatesAProjectEntersEditsAndFindsTheParcelsAgain) {
  // First start: the training-video offer ("do not ask again") and the two
  // first-run questions.
  program_start::ExpectVideoOfferDeclinedForGood(prompts);
  prompts.ExpectMsgBox(
      "What unit of angular measurement would you like to be the default?  Yes = Bearing, No = Azimuth.",
      vbYesNo, vbYes, "Initial configuration");
  prompts.ExpectMsgBox(
      "What unit of linear measurement would you like to be the default?  Yes = Metric, No = Imperial.",
      vbYesNo, vbYes, "Initial configuration");
  Start();
  EXPECT_EQ(prompts.Pending(), 0);

  // File > New: a project without a drawing. The Grab model finds no CAD
  // program and the editor falls back to the Review model.
  UserChooseMenu(e->mnuNew);
  windows::FrmCreate* create = e->CreateDialog();
  ASSERT_NE(create, nullptr);
  create->txtProjectName.SetText("Smith Farm");
  create->txtProjectLocation.SetText(dir.Path());
  create->txtCADFile.SetText("");
  prompts.ExpectMsgBox("No AutoCAD file selected. Would you like to continue?", vbYesNo, vbYes);
  ExpectNoCadProgram();
  UserClick(create->cmdCreate);
  EXPECT_EQ(prompts.Pending(), 0);
  const std::string project = dir.File("Smith Farm.kvx");
  ASSERT_EQ(Program().ProjectPath, project);
  ASSERT_TRUE(e->optmodel(1).Value());

  // A closed parcel in bearing mode: three lines and a half circle.
  UserClick(e->cmdInsert);
  UserType(e->txtParcel, "Lot 1");
  // The drawing is watched while the parcel is typed (the recorder goes
  // before the window does).
  auto drawn = std::make_unique<forms::testing::RecordingCanvas>(e->picParcel);
  TypeLine(0, "N0d00'00\"E", "100");
  TypeLine(1, "N90d00'00\"E", "100");
  TypeLine(2, "S0d00'00\"E", "100");
  Popup(3, "mnuPopChangeLineCurve");
  UserType(e->txtBearingArc(3), "S90d00'00\"W");
  UserType(e->txtArc(3), "157.08");
  UserType(e->txtChord(3), "100");
  UserType(e->txtRadius(3), "50");
  UserClick(e->chksign(6));
  EXPECT_EQ(Figures(), "0 13927.01 Perfect");
  int arcs = 0;
  for (const forms::testing::DrawCall& call : drawn->SinceClear()) {
    arcs += call.kind == forms::testing::DrawCall::Kind::Arc ? 1 : 0;
  }
  EXPECT_GE(arcs, 1);
  drawn.reset();
  UserClick(e->cmdSave);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(List(), std::vector<std::string>{" Lot 1"});
  EXPECT_EQ(Sql(project, "SELECT Parcel, Area FROM tblParcel"), std::vector<std::string>{" Lot 1|13927.01"});
  EXPECT_EQ(Sql(project, "SELECT RowNo, RowType, Direction, Length, Arc, Radius, Plus FROM tblMeasurements ORDER BY RowNo"),
            (std::vector<std::string>{"0|1|" + Deg("N0d00'00\"E") + "|100.0|||", "1|1|" + Deg("N90d00'00\"E") + "|100.0|||",
                                      "2|1|" + Deg("S0d00'00\"E") + "|100.0|||",
                                      "3|0|" + Deg("S90d00'00\"W") + "|100.0|157.08|50.0|0"}));

  // Rows inserted and deleted: the first side split in two, an empty row
  // put in and taken out again.
  UserSelect(e->cbxParcel, 0);
  UserClick(e->cmdEdit);
  Popup(0, "mnuPopInsertAfter");
  TypeLine(1, "N0d00'00\"E", "40");
  UserType(e->txtDistanceLine(0), "\b\b\b60");
  EditMenu(2, e->mnuInsertBefore);
  EXPECT_EQ(Line(2), " ");
  EditMenu(2, e->mnuDeleteCourse);
  EXPECT_EQ(Line(2), Deg("N90d00'00\"E") + " 100");
  EXPECT_EQ(Figures(), "0 13927.01 Perfect");
  UserClick(e->cmdSave);
  EXPECT_EQ(Sql(project, "SELECT RowNo, Length FROM tblMeasurements ORDER BY RowNo"),
            (std::vector<std::string>{"0|60.0", "1|40.0", "2|100.0", "3|100.0", "4|100.0"}));

  // Renamed.
  UserClick(e->cmdEdit);
  e->cbxParcel.SetText("North lot");
  UserClick(e->cmdSave);
  EXPECT_EQ(List(), std::vector<std::string>{"North lot"});
  EXPECT_EQ(Sql(project, "SELECT Parcel FROM tblParcel"), std::vector<std::string>{"North lot"});

  // The project's directions become azimuths; a second parcel in them.
  UserChooseMenu(e->mnuOptions);
  UserChooseMenu(e->mnuSetting);
  auto* options = static_cast<options::FrmSetting*>(LoadedForm("frmSetting"));
  ASSERT_NE(options, nullptr);
  UserClick(options->optBearing(1));
  UserClick(options->cmdOK);
  EXPECT_EQ(e->lblBearing.Caption(), "Azimuth");
  EXPECT_EQ(Sql(project, "SELECT Bearing FROM tblSetting"), std::vector<std::string>{"0"});
  UserClick(e->cmdInsert);
  UserType(e->txtParcel, "Lot 2");
  TypeLine(0, "0d00'00\"", "50");
  TypeLine(1, "90d00'00\"", "50");
  TypeLine(2, "180d00'00\"", "50");
  TypeLine(3, "270d00'00\"", "50");
  EXPECT_EQ(Figures(), "0 2500 Perfect");
  UserClick(e->cmdSave);
  EXPECT_EQ(List(), (std::vector<std::string>{" Lot 2", "North lot"}));

  // The first parcel deleted.
  UserSelect(e->cbxParcel, 1);
  prompts.ExpectMsgBox("Are you sure you want to delete the current parcel?", vbYesNo, vbYes);
  UserClick(e->cmdDelete);
  EXPECT_EQ(List(), std::vector<std::string>{" Lot 2"});
  Quit();
  EXPECT_EQ(prompts.Pending(), 0);

  // What the file holds, as another tool reads it.
  EXPECT_EQ(Sql(project, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  EXPECT_EQ(Sql(project, "SELECT Parcel, Area, Closure FROM tblParcel"), std::vector<std::string>{" Lot 2|2500.0|0.0"});
  EXPECT_EQ(Sql(project, "SELECT COUNT(*) FROM tblMeasurements"), std::vector<std::string>{"4"});

  // A second start asks nothing; the recent project opens on its parcel.
  Start();
  ASSERT_EQ(e->mnuHistory(0).Caption().find("Smith Farm.kvx") != std::string::npos, true);
  ExpectNoCadProgram();
  UserChooseMenu(e->mnuHistory(0));
  EXPECT_EQ(Program().ProjectPath, project);
  EXPECT_EQ(List(), std::vector<std::string>{" Lot 2"});
  EXPECT_EQ(Line(0), Deg("0d00'00\"") + " 50");
  EXPECT_EQ(Figures(), "0 2500 Perfect");
  EXPECT_EQ(e->lblBearing.Caption(), "Azimuth");
  Quit();
  EXPECT_EQ(prompts.Pending(), 0);
}

// A later start with nothing to ask at the start.
class ProjectAtHandTest : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    program_start::MarkStartedBefore();
  }
  // A square walked N, E, S, W, stored as another session stored it.
  std::int64_t StoreSquare(const std::string& project, const std::string& name, const std::string& side) {
    ParcelToSave p;
    p.name = name;
    for (const char* direction : {"N0d00'00\"E", "N90d00'00\"E", "S0d00'00\"E", "S90d00'00\"W"}) {
      p.rows.push_back(geometry::CourseRow::Line(Deg(direction), side));
    }
    p.rows.resize(80);
    const auto id = SaveNewParcel(ParcelStoreContext{project, 2, 80, Edition::A2004}, p);
    EXPECT_TRUE(id) << name;
    return id.value_or(0);
  }
};

// The report with picture steps the editor through its list. A parcel the
// editor refuses to load (more courses than its rows) gets no page, and no
// other parcel's figures are printed under its name.
TEST_F(ProjectAtHandTest, ThePictureReportPrintsNoParcelUnderAnotherOnesName) {
  // The project is made while the program holds the system database.
  Start();
  ASSERT_TRUE(CreateProjectDatabase(dir.Path() + "/", "Survey", ""));
  const std::string project = dir.File("Survey.kvx");
  StoreSquare(project, "Lot A", "100");
  const std::int64_t b = StoreSquare(project, "Lot B", "60");
  StoreSquare(project, "Lot C", "50");
  // Lot B gets 77 more courses from outside the program: 81 in all.
  const std::vector<std::string> written = Sql(
      project, "WITH RECURSIVE n(i) AS (SELECT 4 UNION ALL SELECT i + 1 FROM n WHERE i < 80) "
               "INSERT INTO tblMeasurements (ParcelID, RowNo, RowType, Length, Direction) "
               "SELECT " + std::to_string(b) + ", i, 1, 0, 'N0' FROM n; "
               "SELECT COUNT(*) FROM tblMeasurements WHERE ParcelID = " + std::to_string(b),
      true);
  ASSERT_EQ(written, std::vector<std::string>{"81"});

  prompts.ExpectOpenFile(project);
  ExpectNoCadProgram();
  UserChooseMenu(e->mnuOpen);
  ASSERT_EQ(Program().ProjectPath, project);
  ASSERT_EQ(List(), (std::vector<std::string>{" Lot A", " Lot B", " Lot C"}));

  UserChooseMenu(e->mnuReport);
  UserChooseMenu(e->mnuPicReport);
  auto* report = static_cast<reports::FrmReport*>(LoadedForm("frmReport"));
  ASSERT_NE(report, nullptr);
  ASSERT_TRUE(report->Visible());
  const std::string pdf = dir.File("pictures.pdf");
  prompts.ExpectMsgBox("Print this report?", vbYesNo, vbYes);
  prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, pdf, false}, false);
  // Stepping onto Lot B, the editor tells why it cannot show it.
  prompts.ExpectMsgBox("This parcel has 81 courses, more than the 80 the editor holds, so it cannot be shown.",
                       vbOKOnly);
  UserClick(report->cmdPrint);
  EXPECT_EQ(prompts.Pending(), 0);

  std::vector<std::string> names;
  const std::vector<pdf_text::Word> words = pdf_text::Words(pdf);
  for (std::size_t i = 0; i + 2 < words.size(); ++i) {
    if (words[i].text == "PARCEL:") names.push_back(words[i + 1].text + " " + words[i + 2].text);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Lot A", "Lot C"}));
  const std::string first = pdf_text::Layout(pdf, 1);
  const std::string second = pdf_text::Layout(pdf, 2);
  EXPECT_NE(first.find("AREA: 10,000.00"), std::string::npos) << first;
  EXPECT_NE(second.find("AREA: 2,500.00"), std::string::npos) << second;
  EXPECT_EQ(second.find("3,600"), std::string::npos) << second;
}

// Each build of the linked edition starts from a program folder of its own
// and shows its editor window (written to an image, then the program ends),
// and ends by itself at its first idle state when asked.
TEST(LinkedProgramsTest, EachBuildStartsAndShowsItsEditor) {
  struct Build {
    Edition edition;
    const char* executable;
  };
  const Build builds[] = {{Edition::A2004, KORVALO_A2004}, {Edition::A2000, KORVALO_A2000}, {Edition::R14, KORVALO_R14}};
  for (const Build& build : builds) {
    SCOPED_TRACE(build.executable);
    TempFolder folder;
    ResetProgramState();
    SetEdition(build.edition);
    Program().ProgramFolder = folder.Path();
    BuildSystemDatabase(SystemDatabasePath(), build.edition);
    program_start::MarkStartedBefore();
    const std::string program = program_checks::PlaceProgram(build.executable, folder.Path());
    const std::string image = folder.File("editor.png");
    EXPECT_EQ(program_checks::RunForWindowImage(program, image), 0);
    // A PNG file whose header gives the editor's width (6855 twips, 457 pixels
    // with the frame) and a height above its minimum.
    const std::optional<program_checks::ImageSize> size = program_checks::PngSize(image);
    ASSERT_TRUE(size) << "no image";
    EXPECT_GT(size->width, 400u);
    EXPECT_GT(size->height, 250u);
    // Asked to stop at its first idle state (what the start-up benchmark
    // measures), it starts again and ends by itself with 0.
    EXPECT_EQ(program_checks::RunToFirstIdle(program), 0);
    ResetProgramState();
  }
}

}  // namespace
}  // namespace korvalo::apps

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <QColor>
#include <QImage>

#include "../platform/viewer/drawing_files.h"
#include "apps/standalone_startup.h"
#include "common/edition.h"
#include "common/utf8.h"
#include "editor/message_boxes.h"
#include "platform/dao/dao.h"
#include "platform/forms/testing.h"
#include "platform/print/printer.h"
#include "platform/shell/shell.h"
#include "reports/frm_report.h"
#include "standalone/standalone_state.h"
#include "storage/messages.h"
#include "storage/program_state.h"
#include "storage/parcel_save.h"
#include "storage/project_db.h"
#include "storage/system_db.h"
#include "storage/viewer_settings.h"
#include "support/pdf_text.h"
#include "support/program_start.h"
#include "support/program_checks.h"
#include "support/temp_folder.h"
#ifdef KORVALO_TEST_X_SESSION
#include "support/x_session.h"
#endif

// KorvaloSA used as a new user uses it: started on a project whose drawing
// is a plat, the lot picked off the plat into a new parcel, saved, found
// again on the next start and printed; each step through the real windows,
// and the project file read back with the sqlite3 tool.
namespace korvalo::apps {
namespace {

using forms::testing::PromptScript;
using program_start::LoadedForm;
using forms::testing::UserChooseMenu;
using forms::testing::UserClick;
using forms::testing::UserMouseClick;
using forms::testing::UserSelect;
using forms::testing::UserType;
using forms::vbLeftButton;
using forms::vbNo;
using forms::vbRightButton;
using forms::vbYes;
using forms::vbYesNo;
using program_checks::Sql;
using viewer::testing::Join;
using viewer::testing::LayerTable;
using viewer::testing::Line;
using viewer::testing::Text;

const std::string kDeg = "\u00B0";

// A label of the plat: its insertion point and its text, 4 units high.
struct Label {
  const char* handle;
  double x, y;
  std::string text;
};
constexpr double kLabelHeight = 4;
const Label kLotName{"T1", 35, 55, "LOT 7"};
const Label kWestSide{"T2", 4, 40, "N 0%%D00'00\" E 100.00"};
const Label kNorthSide{"T3", 20, 92, "N 90%%D00'00\" E 100.00"};
const Label kEastSide{"T4", 30, 25, "S 0%%D00'00\" E 100.00"};
// The south side reads west to east, as plats write it: walking the lot
// clockwise it is picked with the right button, which reverses it.
const Label kSouthSide{"T5", 20, 6, "N 90%%D00'00\" E 100.00"};

// The plat of one 100 by 100 lot: its sides on a red layer, its name and
// the labels of its sides on a layer of their own.
std::string WritePlat(const std::string& path) {
  viewer::testing::Pairs entities;
  for (const Label* l : {&kLotName, &kWestSide, &kNorthSide, &kEastSide, &kSouthSide}) {
    const viewer::testing::Pairs text = Text(l->handle, "LABELS", l->x, l->y, kLabelHeight, 0, l->text);
    entities.insert(entities.end(), text.begin(), text.end());
  }
  entities = Join({entities, Line("L1", "LOT LINES", 0, 0, 0, 100), Line("L2", "LOT LINES", 0, 100, 100, 100),
                   Line("L3", "LOT LINES", 100, 100, 100, 0), Line("L4", "LOT LINES", 100, 0, 0, 0)});
  viewer::testing::WriteFile(
      path, viewer::testing::DxfText(Join({viewer::testing::Section("TABLES", LayerTable({{"0", 7, 0},
                                                                                          {"LOT LINES", 1, 0},
                                                                                          {"LABELS", 5, 0}})),
                                           viewer::testing::Section("ENTITIES", entities)})) +
                viewer::testing::Eof());
  return path;
}

class StandaloneEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    standalone::ResetStandaloneState();
    ResetViewerSettings();
    // As KorvaloSA's main sets the program up.
    SetEdition(Edition::Standalone);
    Program().ProgramFolder = dir.Path();
    editor::ShowStorageMessagesInMessageBoxes();
    BuildSystemDatabase(SystemDatabasePath(), Edition::Standalone);
    previousShell_ = shell::SetShellHook([](const shell::ShellRequest&) {});
    print::SetPrinterListForTesting(&printers);
    // The surveyor's project: a folder with the plat and a project naming
    // it, made as the program makes it (holding the system database).
    plat = WritePlat(dir.File("Lot 7 plat.dxf"));
    ASSERT_TRUE(OpenSystemDatabase());
    ASSERT_TRUE(CreateProjectDatabase(dir.Path() + "/", "Oak Ridge", plat));
    Program().SystemDb.reset();
    project = dir.File("Oak Ridge.kvx");
  }
  void TearDown() override {
    program.reset();
    Program().SystemDb.reset();
    print::SetPrinterListForTesting(nullptr);
    shell::SetShellHook(previousShell_);
    SetMessageSink({});
    standalone::ResetStandaloneState();
    ResetViewerSettings();
    ResetProgramState();
  }

  // Starts the program as its main does, with that command line.
  void Start(const std::string& commandLine) {
    program = std::make_unique<StandaloneProgram>();
    ASSERT_TRUE(program->RunStartUp(commandLine));
    e = program->Editor();
    m = program->Main();
    ASSERT_NE(e, nullptr);
    ASSERT_NE(m, nullptr);
  }
  // The first start's prompts: the training-video offer declined for good,
  // the two first-run questions (bearings and feet).
  void ExpectFirstStart() {
    program_start::ExpectVideoOfferDeclinedForGood(prompts);
    prompts.ExpectMsgBox(
        "What unit of angular measurement would you like to be the default? Yes = Bearing, No = Azimuth.", vbYesNo,
        vbYes, "Initial configuration");
    prompts.ExpectMsgBox(
        "What unit of linear measurement would you like to be the default?  yes = Metric, No = Imperial.", vbYesNo,
        vbNo, "Initial configuration");
  }
  // Ends the run as File > Exit does.
  void Quit() {
    prompts.ExpectMsgBox("Exit Korvalo?", vbYesNo, vbYes, "Korvalo");
    UserChooseMenu(m->mnuFile);
    UserChooseMenu(m->mnuExit);
    program.reset();
    Program().SystemDb.reset();
    e = nullptr;
    m = nullptr;
    // The process ends: the next start begins with the state a new one has.
    standalone::ResetStandaloneState();
    ResetViewerSettings();
    ResetProgramState();
    SetEdition(Edition::Standalone);
    Program().ProgramFolder = dir.Path();
  }
  standalone::FrmView& View() { return m->frmView; }

  // A press on the middle of the label's first letter in viewer 1 or 2, as
  // the user's mouse gives it (twips in the viewer's window).
  void Press(int which, int button, const Label& label) {
    viewer::DrawingViewer& v = View().Viewer(which);
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0, zoom = 0, sixth = 0;
    v.ViewerGetView(xmin, ymin, xmax, ymax, zoom, sixth);
    const double x = label.x + kLabelHeight / 2, y = label.y + kLabelHeight / 2;
    UserMouseClick(v, button, (x - xmin) / (xmax - xmin) * v.Width(), (ymax - y) / (ymax - ymin) * v.Height());
  }
  std::string Figures() const {
    return e->lblClosure.Caption() + " " + e->lblArea.Caption() + " " + e->lblPrecision.Caption();
  }
  std::vector<std::string> List() const {
    std::vector<std::string> out;
    for (int i = 0; i < e->cbxParcel.ListCount(); ++i) out.push_back(e->cbxParcel.List(i));
    return out;
  }

  TempFolder dir;
  PromptScript prompts;
  std::vector<std::string> printers{print::kPdfFileName};
  std::string plat;
  std::string project;
  std::unique_ptr<StandaloneProgram> program;
  editor::FrmEditor* e = nullptr;
  standalone::FrmMain* m = nullptr;

 private:
  shell::ShellHook previousShell_;
};

#ifdef KORVALO_TEST_X_SESSION
// Runs the program on the project in the X session, playing the script;
// its exit status and the script's log.
std::pair<int, std::string> PlayScript(const x_session::Session& x, const std::string& executable,
                                       const std::string& project, const std::string& script) {
  const pid_t pid = x_session::Spawn({executable, project}, -1,
                                     {"DISPLAY=" + x.Display(), "QT_QPA_PLATFORM=xcb",
                                      "KORVALO_SA_TEST_INPUT=" + script, "ASAN_OPTIONS=detect_leaks=0"});
  const int status = x_session::WaitForExit(pid, std::chrono::seconds(120));
  std::ifstream logFile(script + ".log");
  return {status, std::string((std::istreambuf_iterator<char>(logFile)), std::istreambuf_iterator<char>())};
}
#endif

TEST_F(StandaloneEndToEndTest, ANewUserPicksALotOffThePlatSavesItAndPrintsIt) {
  // First start, the project named on the command line: the training-video
  // offer declined for good, the two first-run questions (bearings and feet,
  // as the project already is).
  ExpectFirstStart();
  Start(project);
  EXPECT_EQ(prompts.Pending(), 0);
  ASSERT_EQ(Program().ProjectPath, project);
  EXPECT_EQ(Program().DrawingPath, plat);

  // The plat shows on both tabs.
  EXPECT_TRUE(m->Visible());
  EXPECT_TRUE(View().Visible());
  EXPECT_EQ(View().SSTab1.Tab(), 0);
  for (int which = 1; which <= 2; ++which) {
    SCOPED_TRACE(which);
    if (which == 2) View().SSTab1.SetTab(1);
    EXPECT_TRUE(View().SSTab1.Page(which - 1).Visible());
    EXPECT_TRUE(View().Viewer(which).ViewerDrawingOpen());
    EXPECT_TRUE(View().Viewer(which).Visible());
    // The lot's red sides are drawn.
    const viewer::DrawingViewer::Picture picture = View().Viewer(which).ViewerPicture();
    int red = 0;
    for (std::uint32_t pixel : picture.pixels) red += (pixel & 0xFFFFFFu) == 0xFF0000u ? 1 : 0;
    EXPECT_GT(red, 100);
  }
  View().SSTab1.SetTab(0);
  EXPECT_FALSE(View().SSTab1.Page(1).Visible());

  // Edit > Insert parcel; the name and the courses picked off the plat,
  // walking the lot clockwise from its south-west corner. The north side
  // is picked in the second tab's viewer; the south side, written west to
  // east, with the right button.
  UserChooseMenu(m->mnuEdit);
  UserChooseMenu(m->mnuInsertParcel);
  ASSERT_TRUE(e->Editing());
  Press(1, vbLeftButton, kLotName);
  EXPECT_EQ(e->txtParcel.Text(), "LOT 7");
  Press(1, vbLeftButton, kWestSide);
  View().SSTab1.SetTab(1);
  Press(2, vbLeftButton, kNorthSide);
  View().SSTab1.SetTab(0);
  Press(1, vbLeftButton, kEastSide);
  Press(1, vbRightButton, kSouthSide);
  const std::vector<std::pair<std::string, std::string>> walked = {{"N0" + kDeg + "00'00\"E", "100.00"},
                                                                   {"N90" + kDeg + "00'00\"E", "100.00"},
                                                                   {"S0" + kDeg + "00'00\"E", "100.00"},
                                                                   {"S90" + kDeg + "00'00\"W", "100.00"}};
  for (int row = 0; row < 4; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(e->txtBearingLine(row).Text(), walked[static_cast<std::size_t>(row)].first);
    EXPECT_EQ(e->txtDistanceLine(row).Text(), walked[static_cast<std::size_t>(row)].second);
  }
  EXPECT_EQ(e->txtBearingLine(4).Text(), "");
  // The parcel closes, as the editor's result boxes show it.
  EXPECT_EQ(Figures(), "0 10000 Perfect");

  // Edit > Save/New: stored, and an empty parcel begun, which the user
  // cancels.
  UserChooseMenu(m->mnuEdit);
  UserChooseMenu(m->mnuSaveParcel);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(e->txtBearingLine(0).Text(), "");
  UserClick(e->cmdCancel);
  EXPECT_FALSE(e->Editing());
  Quit();
  EXPECT_EQ(prompts.Pending(), 0);

  // What the project file holds, as another tool reads it. Names shorter
  // than six characters are stored padded in front.
  EXPECT_EQ(Sql(project, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  EXPECT_EQ(Sql(project, "SELECT Parcel, Area, Closure FROM tblParcel"),
            std::vector<std::string>{" LOT 7|10000.0|0.0"});
  std::vector<std::string> rows;
  for (std::size_t k = 0; k < walked.size(); ++k) {
    rows.push_back(std::to_string(k) + "|1|" + walked[k].first + "|100.0");
  }
  EXPECT_EQ(Sql(project, "SELECT RowNo, RowType, Direction, Length FROM tblMeasurements ORDER BY RowNo"), rows);

  // The next start asks nothing; the recent project opens with its parcel.
  Start("");
  EXPECT_EQ(prompts.Pending(), 0);
  ASSERT_NE(m->mnuHistory(0).Caption().find("Oak Ridge.kvx"), std::string::npos);
  UserChooseMenu(m->mnuFile);
  UserChooseMenu(m->mnuHistory(0));
  ASSERT_EQ(Program().ProjectPath, project);
  EXPECT_TRUE(View().Viewer(1).ViewerDrawingOpen());
  EXPECT_EQ(List(), std::vector<std::string>{" LOT 7"});
  UserSelect(e->cbxParcel, 0);
  EXPECT_EQ(e->txtBearingLine(3).Text(), walked[3].first);
  EXPECT_EQ(Figures(), "0 10000 Perfect");

  // Report > Full report, printed to a PDF file.
  UserChooseMenu(m->mnuReport);
  UserChooseMenu(m->mnuFullReport);
  auto* report = static_cast<reports::FrmReport*>(LoadedForm("frmReport"));
  ASSERT_NE(report, nullptr);
  ASSERT_TRUE(report->Visible());
  EXPECT_EQ(report->Caption(), reports::kFullReportCaption);
  const std::string pdf = dir.File("Oak Ridge full report.pdf");
  prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, pdf, false}, false);
  UserClick(report->cmdPrint);
  EXPECT_EQ(prompts.Pending(), 0);
  // The parcel's heading, its courses and its area, as the PDF's text reads.
  const std::string text = pdf_text::Layout(pdf);
  const std::size_t heading = text.find("Lot Closure Report - Lot #");
  ASSERT_NE(heading, std::string::npos) << text;
  EXPECT_NE(text.substr(heading, text.find('\n', heading) - heading).find("LOT 7"), std::string::npos) << text;
  const std::string courses[] = {"   1 N0" + kDeg + "00'00\"E       100.00", "   2 N90" + kDeg + "00'00\"E      100.00",
                                 "   3 S0" + kDeg + "00'00\"E       100.00", "   4 S90" + kDeg + "00'00\"W      100.00"};
  for (const std::string& course : courses) EXPECT_NE(text.find(course + "\n"), std::string::npos) << course;
  EXPECT_NE(text.find("Misclosure Distance    : 0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("AREA                   : 10000 sq.f.\n"), std::string::npos) << text;
  Quit();
  EXPECT_EQ(prompts.Pending(), 0);
}

// The stored parcels as another tool reads them: names, figures and
// courses.
std::vector<std::string> StoredParcels(const std::string& project) {
  std::vector<std::string> rows = Sql(project, "SELECT ParcelID, Parcel, Area, Closure FROM tblParcel ORDER BY ParcelID");
  for (const std::string& course :
       Sql(project, "SELECT ParcelID, RowNo, RowType, Direction, Length, Arc, Radius, Plus FROM tblMeasurements "
                    "ORDER BY ParcelID, RowNo")) {
    rows.push_back(course);
  }
  return rows;
}

// A click in the text part of the emptied parcel list chooses no parcel:
// it enables nothing, and no road from the emptied grid writes into the
// parcel that was shown before the Cancel. Courses entered there are saved
// as a new parcel.
// Stores " LOT 1" (a square) and " LOT 2" (four courses with a curve) in the
// project, as an earlier session did.
void StoreTwoLots(const std::string& project) {
  {
    const ParcelStoreContext context{project, 2, 50, Edition::Standalone};
    ParcelToSave lot1;
    lot1.name = "LOT 1";
    for (const char* d : {"N0\u00B000'00\"E", "N90\u00B000'00\"E", "S0\u00B000'00\"E", "S90\u00B000'00\"W"}) {
      lot1.rows.push_back(geometry::CourseRow::Line(d, "50"));
    }
    ParcelToSave lot2;
    lot2.name = "LOT 2";
    lot2.rows = {geometry::CourseRow::Line("N0\u00B000'00\"E", "100"),
                 geometry::CourseRow::Arc("S90\u00B000'00\"E", "157.08", "100", "50", geometry::SegmentSign::Plus),
                 geometry::CourseRow::Line("S0\u00B000'00\"E", "100"),
                 geometry::CourseRow::Line("S90\u00B000'00\"W", "100")};
    ASSERT_TRUE(SaveNewParcel(context, lot1));
    ASSERT_TRUE(SaveNewParcel(context, lot2));
  }
}

TEST_F(StandaloneEndToEndTest, AStoredParcelIsNeverOverwrittenFromTheEmptiedList) {
  program_start::MarkStartedBefore();
  StoreTwoLots(project);
  const std::vector<std::string> before = StoredParcels(project);
  ASSERT_EQ(before.size(), 10u);

  Start(project);
  ASSERT_EQ(List(), (std::vector<std::string>{" LOT 1", " LOT 2"}));
  // LOT 2 chosen from the list, Edit, Cancel: the list's text is blank and
  // Edit and Delete are off.
  UserSelect(e->cbxParcel, 1);
  ASSERT_EQ(e->txtChord(1).Text(), "100");
  UserClick(e->cmdEdit);
  UserClick(e->cmdCancel);
  ASSERT_EQ(e->cbxParcel.Text(), "");
  ASSERT_FALSE(e->cmdEdit.Enabled());

  // One click in the list's text part, choosing no entry.
  UserClick(e->cbxParcel);
  EXPECT_EQ(e->cbxParcel.ListIndex(), -1);
  EXPECT_FALSE(e->cmdEdit.Enabled());
  EXPECT_FALSE(e->cmdDelete.Enabled());
  EXPECT_FALSE(m->mnuEditMode.Enabled());
  EXPECT_FALSE(m->mnuDeleteParcel.Enabled());
  EXPECT_FALSE(e->Editing());
  // A new name, one course, Save/New, and Yes to the closure question.
  const auto enterNewLot = [this] {
    UserType(e->txtParcel, "NEWLOT");
    UserType(e->txtBearingLine(0), "N45d00'00\"E");
    UserType(e->txtDistanceLine(0), "10");
    prompts.ExpectMsgBox("This parcel has failed the closure tolerance. Would you like to save?", vbYesNo, vbYes);
    UserClick(e->cmdSave);
  };
  if (e->cmdEdit.Enabled()) {
    // What the user went on to do where Edit was offered.
    UserClick(e->cmdEdit);
    enterNewLot();
  }
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(StoredParcels(project), before);

  // The emptied grid can still be edited through the row button's pop-up:
  // what is typed there and saved is a new parcel.
  prompts.ExpectPopup("mnuPopup", "mnuPopFlipBearing");
  UserMouseClick(e->cmdNo(0), vbRightButton);
  ASSERT_TRUE(e->Editing());
  ASSERT_TRUE(e->txtParcel.Enabled());
  enterNewLot();
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(List(), (std::vector<std::string>{" LOT 1", " LOT 2", "NEWLOT"}));
  Quit();

  std::vector<std::string> after = StoredParcels(project);
  std::vector<std::string> kept;
  for (const std::string& row : after) {
    if (row.find("NEWLOT") == std::string::npos && row.rfind("3|", 0) != 0) kept.push_back(row);
  }
  EXPECT_EQ(kept, before);
  EXPECT_EQ(Sql(project, "SELECT Parcel, Direction, Length FROM tblParcel JOIN tblMeasurements USING (ParcelID) "
                         "WHERE Parcel = 'NEWLOT'"),
            std::vector<std::string>{"NEWLOT|N45" + kDeg + "00'00\"E|10.0"});
}

// KorvaloSA started from a program folder of its own, with the project on
// its command line, shows its frame with the plat in the drawing window
// (written to an image, then the program ends).
// A project whose drawing is a hostile file still opens: the drawing is
// refused with its message, and the project's parcels are there. The files
// are a block bomb whose first line reads like a DWG version, a bomb
// reached through an INSERT's second block name, and a damaged file GDAL
// never comes back from.
TEST_F(StandaloneEndToEndTest, AProjectWhoseDrawingIsHostileStillOpens) {
  const char* const kTooLarge = "The drawing is too large to show: with its blocks expanded it holds more than 5,000,000 entities: ";
  struct Case {
    const char* file;
    const char* reason;  // after the message and before the path, "" for none
  };
  const Case cases[] = {
      {"ac_first_line_bomb.dxf", kTooLarge},
      {"two_block_names_bomb.dxf", kTooLarge},
      {"gdal_spin.dxf", ""},
  };
  bool first = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string drawing = dir.File(c.file);
    std::filesystem::copy_file(viewer::testing::Fixture(c.file), drawing);
    const std::string name = std::string("Hostile ") + c.file;
    ASSERT_TRUE(OpenSystemDatabase());
    ASSERT_TRUE(CreateProjectDatabase(dir.Path() + "/", name, drawing));
    Program().SystemDb.reset();
    const std::string hostile = dir.File(name + ".kvx");
    ParcelToSave lot;
    lot.name = "Lot 9";
    for (const char* direction : {"N0d00'00\"E", "N90d00'00\"E", "S0d00'00\"E", "S90d00'00\"W"})
      lot.rows.push_back(geometry::CourseRow::Line(utf8::ReplaceAll(direction, "d", utf8::kDegree), "50"));
    lot.rows.resize(50);
    ASSERT_TRUE(SaveNewParcel(ParcelStoreContext{hostile, 2, 50, Edition::Standalone}, lot));

    if (first) {
      ExpectFirstStart();
      first = false;
    }
    prompts.ExpectMsgBox(std::string("Open drawing file error!") + (*c.reason ? std::string("\n\n") + c.reason + drawing : ""),
                         forms::vbOKOnly);
    Start(hostile);
    EXPECT_EQ(prompts.Pending(), 0);
    ASSERT_EQ(Program().ProjectPath, hostile);
    EXPECT_EQ(Program().DrawingPath, drawing);
    EXPECT_EQ(List(), std::vector<std::string>{" Lot 9"});  // as the list shows names
    Quit();
  }
}

TEST_F(StandaloneEndToEndTest, TheProgramStartsOnTheProjectAndShowsItsPlat) {
  program_start::MarkStartedBefore();
  const std::string executable = program_checks::PlaceProgram(KORVALO_SA, dir.Path());
  const std::string image = dir.File("frame.png");
  EXPECT_EQ(program_checks::RunForWindowImage(executable, image, pdf_text::Quote(project)), 0);
  QImage frame;
  ASSERT_TRUE(frame.load(QString::fromStdString(image))) << "no image";
  EXPECT_GT(frame.width(), 400);
  EXPECT_GT(frame.height(), 250);
  // The lot's sides, red on the drawing window's white.
  int red = 0;
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) red += frame.pixelColor(x, y) == QColor(255, 0, 0) ? 1 : 0;
  }
  EXPECT_GT(red, 100);
}

#ifdef KORVALO_TEST_X_SESSION
// KorvaloSA as a process of its own under Xvfb and openbox, played by its
// test hook as a new user works: the project on its command line, the lot
// picked off the plat into a new parcel, saved, the full report printed to
// a PDF file, and the program ended from its File menu.
TEST_F(StandaloneEndToEndTest, TheProgramUnderAWindowManagerPicksSavesAndPrintsTheLot) {
  x_session::Session x;
  if (!x.Missing().empty()) GTEST_SKIP() << x.Missing();
  ASSERT_FALSE(x.Display().empty()) << "Xvfb or openbox did not start";
  program_start::MarkStartedBefore();
  const std::string executable = program_checks::PlaceProgram(KORVALO_SA, dir.Path());
  const std::string pdf = dir.File("Oak Ridge full report.pdf");
  const std::string script = dir.File("new user.txt");
  const auto at = [](const Label& l, const char* button) {
    return std::string(button) + " " + std::to_string(l.x + kLabelHeight / 2) + " " +
           std::to_string(l.y + kLabelHeight / 2);
  };
  std::ofstream(script) << "menu mnuEdit mnuInsertParcel\n"
                        << "press 1 " << at(kLotName, "left") << "\n"
                        << "press 1 " << at(kWestSide, "left") << "\n"
                        << "press 1 " << at(kNorthSide, "left") << "\n"
                        << "press 1 " << at(kEastSide, "left") << "\n"
                        << "# written west to east: the right button turns it round\n"
                        << "press 1 " << at(kSouthSide, "right") << "\n"
                        << "click frmEditor cmdSave\n"
                        << "click frmEditor cmdCancel\n"
                        << "menu mnuReport mnuFullReport\n"
                        << "print " << pdf << "\n"
                        << "click frmReport cmdPrint\n"
                        << "answer Yes\n"
                        << "menu mnuFile mnuExit\n";
  const auto [status, log] = PlayScript(x, executable, project, script);
  EXPECT_EQ(status, 0) << log;
  // Only the prompts a user expects: the print dialog and the exit question.
  EXPECT_NE(log.find("prompt: print"), std::string::npos) << log;
  EXPECT_NE(log.find("prompt: message \"Exit Korvalo?\" title \"Korvalo\" -> Yes"), std::string::npos) << log;
  EXPECT_EQ(log.find("not answered"), std::string::npos) << log;

  EXPECT_EQ(Sql(project, "SELECT Parcel, Area, Closure FROM tblParcel"),
            std::vector<std::string>{" LOT 7|10000.0|0.0"});
  EXPECT_EQ(Sql(project, "SELECT RowNo, Direction, Length FROM tblMeasurements ORDER BY RowNo"),
            (std::vector<std::string>{"0|N0" + kDeg + "00'00\"E|100.0", "1|N90" + kDeg + "00'00\"E|100.0",
                                      "2|S0" + kDeg + "00'00\"E|100.0", "3|S90" + kDeg + "00'00\"W|100.0"}));
  const std::string text = pdf_text::Layout(pdf);
  const std::size_t heading = text.find("Lot Closure Report - Lot #");
  ASSERT_NE(heading, std::string::npos) << text;
  EXPECT_NE(text.substr(heading, text.find('\n', heading) - heading).find("LOT 7"), std::string::npos) << text;
  EXPECT_NE(text.find("   4 S90" + kDeg + "00'00\"W      100.00\n"), std::string::npos) << text;
  EXPECT_NE(text.find("AREA                   : 10000 sq.f.\n"), std::string::npos) << text;
}

// A top-level window of the program as the X server shows it: found by the
// start of its title through the window manager's frames.
struct XWindow {
  bool found = false;
  bool viewable = false;
  int x = 0, y = 0, width = 0, height = 0;
};

XWindow FindXWindow(xcb_connection_t* c, xcb_window_t root, xcb_window_t under, const std::string& title,
                    int depth = 0) {
  XWindow result;
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, under), nullptr);
  if (!tree) return result;
  const xcb_window_t* children = xcb_query_tree_children(tree);
  const int n = xcb_query_tree_children_length(tree);
  for (int i = 0; i < n && !result.found; ++i) {
    const xcb_window_t w = children[i];
    xcb_get_property_reply_t* name =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
    std::string text;
    if (name) {
      text.assign(static_cast<const char*>(xcb_get_property_value(name)),
                  static_cast<std::size_t>(xcb_get_property_value_length(name)));
      free(name);
    }
    if (text.rfind(title, 0) == 0) {
      result.found = true;
      if (auto* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr)) {
        result.viewable = a->map_state == XCB_MAP_STATE_VIEWABLE;
        free(a);
      }
      if (auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr)) {
        result.width = g->width;
        result.height = g->height;
        free(g);
      }
      if (auto* t = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr)) {
        result.x = t->dst_x;
        result.y = t->dst_y;
        free(t);
      }
    } else if (depth < 3) {
      result = FindXWindow(c, root, w, title, depth + 1);
    }
  }
  free(tree);
  return result;
}

// The report with picture hides the editor while it is open (moved off the
// screen, the window manager would keep a corner of it in sight) and shows
// it again in its place when it closes; the report window's inside holds
// the whole Close button (6240 + 855 twips, 473 pixels).
TEST_F(StandaloneEndToEndTest, ThePictureReportHidesTheEditorUnderAWindowManager) {
  x_session::Session x;
  if (!x.Missing().empty()) GTEST_SKIP() << x.Missing();
  ASSERT_FALSE(x.Display().empty()) << "Xvfb or openbox did not start";
  program_start::MarkStartedBefore();
  const std::string executable = program_checks::PlaceProgram(KORVALO_SA, dir.Path());
  const std::string script = dir.File("picture report.txt");
  std::ofstream(script) << "wait 1500\n"
                        << "menu mnuReport mnuPicReport\n"
                        << "wait 2500\n"
                        << "click frmReport cmdClose\n"
                        << "wait 1500\n"
                        << "answer Yes\n"
                        << "menu mnuFile mnuExit\n";
  xcb_connection_t* c = xcb_connect(x.Display().c_str(), nullptr);
  ASSERT_FALSE(xcb_connection_has_error(c));
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const pid_t pid = x_session::Spawn({executable, project}, -1,
                                     {"DISPLAY=" + x.Display(), "QT_QPA_PLATFORM=xcb",
                                      "KORVALO_SA_TEST_INPUT=" + script, "ASAN_OPTIONS=detect_leaks=0"});
  XWindow before, during, after, seen;
  int status = -1;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (std::chrono::steady_clock::now() < end) {
    if (waitpid(pid, &status, WNOHANG) == pid) break;
    const XWindow editor = FindXWindow(c, root, root, "Korvalo Editor");
    const XWindow report = FindXWindow(c, root, root, "Korvalo report with picture");
    if (report.found && report.viewable) {
      if (!during.found) during = report;
      if (editor.viewable && !seen.found) seen = editor;
    } else if (editor.viewable) {
      (during.found ? after : before) = editor;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!WIFEXITED(status)) x_session::Stop(pid);
  xcb_disconnect(c);
  std::ifstream logFile(script + ".log");
  const std::string log((std::istreambuf_iterator<char>(logFile)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
  ASSERT_TRUE(before.found) << log;
  ASSERT_TRUE(during.found) << log;
  ASSERT_TRUE(after.found) << log;
  EXPECT_FALSE(seen.found) << "the editor was in sight at " << seen.x << "," << seen.y;
  EXPECT_GE(during.width, 473);
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.y, before.y);
}

// The same in KorvaloSA as a process under Xvfb and openbox: LOT 2 chosen,
// Edit, Cancel, one click in the list's text part; Edit is then out of
// reach, and the project file holds what it held.
TEST_F(StandaloneEndToEndTest, TheProgramUnderAWindowManagerKeepsTheParcelsAfterAClickInTheEmptiedList) {
  x_session::Session x;
  if (!x.Missing().empty()) GTEST_SKIP() << x.Missing();
  ASSERT_FALSE(x.Display().empty()) << "Xvfb or openbox did not start";
  program_start::MarkStartedBefore();
  StoreTwoLots(project);
  const std::vector<std::string> before = StoredParcels(project);
  const std::string executable = program_checks::PlaceProgram(KORVALO_SA, dir.Path());
  const std::string script = dir.File("emptied list.txt");
  std::ofstream(script) << "select frmEditor cbxParcel 1\n"
                        << "click frmEditor cmdEdit\n"
                        << "click frmEditor cmdCancel\n"
                        << "click frmEditor cbxParcel\n"
                        << "# what the user went on to do where Edit was offered\n"
                        << "click frmEditor cmdEdit\n"
                        << "click frmEditor txtParcel\n"
                        << "type NEWLOT\n"
                        << "click frmEditor txtBearingLine(0)\n"
                        << "type N45d00'00\"E\n"
                        << "click frmEditor txtDistanceLine(0)\n"
                        << "type 10\n"
                        << "answer Yes\n"
                        << "click frmEditor cmdSave\n"
                        << "answer Yes\n"
                        << "menu mnuFile mnuExit\n";
  const auto [status, log] = PlayScript(x, executable, project, script);
  // The script stops where Edit cannot be reached.
  EXPECT_EQ(status, 3) << log;
  EXPECT_NE(log.find("step 6: click frmEditor cmdEdit\nfailed: cmdEdit cannot be reached (hidden or disabled)"),
            std::string::npos)
      << log;
  EXPECT_EQ(StoredParcels(project), before);
}
#endif
// Asked to stop at its first idle state (what the start-up benchmark
// measures), KorvaloSA starts on the project, shows its plat and ends by
// itself with 0.
TEST_F(StandaloneEndToEndTest, TheProgramEndsByItselfAtItsFirstIdleWhenAsked) {
  program_start::MarkStartedBefore();
  const std::string executable = program_checks::PlaceProgram(KORVALO_SA, dir.Path());
  EXPECT_EQ(program_checks::RunToFirstIdle(executable), 0);
  EXPECT_EQ(program_checks::RunToFirstIdle(executable, pdf_text::Quote(project)), 0);
}

}  // namespace
}  // namespace korvalo::apps

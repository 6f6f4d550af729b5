#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "common/edition.h"
#include "options/frm_setting.h"
#include "options_fixture.h"
#include "platform/forms/testing.h"
#include "storage/program_state.h"
#include "storage/project_db.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

// The standalone dialog's drawing colours: what the load selects, what Apply
// and Set as defaults store, Restore defaults, and the refresh after Apply.
namespace korvalo::options::test {
namespace {

using forms::testing::UserClick;

class RecordingHost : public OptionsHost {
 public:
  void SetEditorTopMost(bool) override {}
  void ProjectSettingsStored() override { stored.push_back(ReadRaw(Program().ProjectPath)); }
  // The row as it stood when the program was asked to take it up.
  std::vector<RawRow> stored;
};

class ColourFramesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    SetEdition(Edition::Standalone);
    Program().ProgramFolder = dir.Path();
    BuildSystemDatabase(FileBesideProgram(SystemDatabaseName(Edition::Standalone)), Edition::Standalone);
    ASSERT_TRUE(OpenSystemDatabase());
    dialog = std::make_unique<FrmSetting>(host);
  }
  void TearDown() override {
    if (dialog->Loaded()) dialog->Unload();
    dialog.reset();
    ResetProgramState();
    SetEdition(Edition::A2004);
  }
  std::string NewProject(const std::string& name) {
    EXPECT_TRUE(CreateProjectDatabase(dir.Path() + "/", name, ""));
    Program().ProjectPath = dir.File(name + ".kvx");
    return Program().ProjectPath;
  }
  // A file holding only a settings table of the given fields, with one row.
  std::string SettingsFile(const std::string& name, const dao::TableDef& table) {
    const std::string path = dir.File(name);
    dao::Database db = dao::Database::Create(path, schema::kDatabaseLocale);
    db.CreateTable(table);
    db.Execute("INSERT INTO tblSetting (txtBearing, txtArc, txtChord, txtRadius, ErrDecimal, AutoCADFile, UnitFeet) "
               "VALUES (1, 2, 3, 4, 2, '', 1)");
    return path;
  }
  // Apply, which tells once that the file cannot take the colours.
  void ApplyTellingTheColourCannotBeSet() {
    forms::testing::PromptScript script;
    script.ExpectMsgBox(
        "You are working on the project that was created by the Korvalo/Korvalo 1.5.4 or earlier. You cannot set "
        "the colour.",
        forms::vbOKOnly, forms::vbOK, "Warning");
    UserClick(dialog->cmdApply);
    EXPECT_EQ(script.Pending(), 0);
  }
  int SelectedBack() {
    for (int i = 0; i < 4; ++i) {
      if (dialog->optBackColor(i).Value()) return i;
    }
    return -1;
  }
  int SelectedFore() {
    for (int i = 0; i < 5; ++i) {
      if (dialog->optForeColor(i).Value()) return i;
    }
    return -1;
  }

  TempFolder dir;
  RecordingHost host;
  std::unique_ptr<FrmSetting> dialog;
};

TEST_F(ColourFramesTest, FramesStandBetweenTheDirectionFrameAndTheBoxes) {
  FrmSetting& d = *dialog;
  EXPECT_EQ(d.frameBackColor.Top(), 3120);
  EXPECT_EQ(d.frameForeColor.Top(), 3680);
  EXPECT_EQ(d.optBackColor(3).Left(), 3120);
  EXPECT_EQ(d.optForeColor(4).Width(), 975);
  EXPECT_EQ(d.optForeColor(4).Caption(), "Original");
  EXPECT_EQ(d.optBackColor(2).Caption(), "");
  EXPECT_EQ(d.optBackColor(2).BackColor(), forms::vbYellow);
  EXPECT_EQ(d.optBearing(1).TabIndex() + 1, d.optBackColor(0).TabIndex());
  EXPECT_EQ(d.optBackColor(3).TabIndex() + 1, d.optForeColor(0).TabIndex());
  EXPECT_EQ(d.optForeColor(4).TabIndex() + 1, d.txtDegreeSymbol.TabIndex());
}

TEST_F(ColourFramesTest, LoadSelectsTheStoredColours) {
  struct Case {
    const char* back;
    const char* fore;
    int backOption, foreOption;
  };
  const Case cases[] = {
      {"0", "14", 0, 0}, {"1", "7", 1, 1}, {"2", "2", 2, 2},       {"3", "5", 3, 3},
      {"2", "256", 2, 4}, {"4", "3", 0, 4}, {"NULL", "NULL", 0, 4}, {"-1", "1", 0, 4},
  };
  const std::string project = NewProject("Lots");
  for (const Case& c : cases) {
    ExecRaw(project, std::string("UPDATE tblSetting SET BackColor = ") + c.back + ", ForeColor = " + c.fore);
    ASSERT_TRUE(dialog->ShowForProject());
    EXPECT_EQ(SelectedBack(), c.backOption) << c.back;
    EXPECT_EQ(SelectedFore(), c.foreOption) << c.fore;
    EXPECT_TRUE(dialog->frameBackColor.Visible());
    EXPECT_FALSE(dialog->cmdApply.Enabled());
    dialog->Unload();
  }
}

TEST_F(ColourFramesTest, ApplyStoresTheCodesBeforeTheProgramTakesThemUp) {
  const std::string project = NewProject("Lots");
  ASSERT_TRUE(dialog->ShowForProject());
  UserClick(dialog->optBackColor(2));
  EXPECT_TRUE(dialog->cmdApply.Enabled());
  UserClick(dialog->optForeColor(0));
  UserClick(dialog->cmdApply);
  ASSERT_EQ(host.stored.size(), 1u);
  EXPECT_EQ(host.stored[0].at("BackColor"), "2");
  EXPECT_EQ(host.stored[0].at("ForeColor"), "14");
  EXPECT_FALSE(dialog->cmdApply.Enabled());

  UserClick(dialog->optForeColor(4));
  UserClick(dialog->cmdApply);
  EXPECT_EQ(ReadRaw(project).at("ForeColor"), "256");
}

TEST_F(ColourFramesTest, LinkedEditionFileStoresEverythingElseAndTellsOnce) {
  const std::string path = SettingsFile("linked.kvx", schema::ProjectSettingTable(Edition::A2004));
  Program().ProjectPath = path;
  ASSERT_TRUE(dialog->ShowForProject());
  EXPECT_EQ(SelectedBack(), 0);
  EXPECT_EQ(SelectedFore(), 4);
  UserClick(dialog->optBackColor(3));
  UserClick(dialog->optForeColor(3));
  UserClick(dialog->chkAutoInvert);
  ApplyTellingTheColourCannotBeSet();
  EXPECT_EQ(SelectedBack(), 0);
  EXPECT_EQ(SelectedFore(), 4);
  EXPECT_EQ(ReadRaw(path).at("AutoInvert"), "1");
  EXPECT_EQ(host.stored.size(), 1u);
}

// A file that holds one of the two colour fields stores that one and says
// the colour could not be set.
TEST_F(ColourFramesTest, AFileWithOneColourFieldStoresIt) {
  for (const char* kept : {"BackColor", "ForeColor"}) {
    SCOPED_TRACE(kept);
    dao::TableDef table = schema::ProjectSettingTable(Edition::Standalone);
    const std::string missing = std::string(kept) == "BackColor" ? "ForeColor" : "BackColor";
    std::erase_if(table.fields, [&](const dao::FieldDef& f) { return f.name == missing; });
    const std::string path = SettingsFile(std::string(kept) + ".kvx", table);
    Program().ProjectPath = path;
    ASSERT_TRUE(dialog->ShowForProject());
    UserClick(dialog->optBackColor(2));
    UserClick(dialog->optForeColor(3));
    ApplyTellingTheColourCannotBeSet();
    EXPECT_EQ(ReadRaw(path).at(kept), std::string(kept) == "BackColor" ? "2" : "5");
    dialog->Unload();
  }
}

TEST_F(ColourFramesTest, DefaultsCarryTheColoursToAnotherProject) {
  NewProject("A");
  ASSERT_TRUE(dialog->ShowForProject());
  UserClick(dialog->optBackColor(1));
  UserClick(dialog->optForeColor(2));
  UserClick(dialog->cmdAsDefault);
  dialog->Unload();

  NewProject("B");
  ASSERT_TRUE(dialog->ShowForProject());
  // B was made from the new defaults; put it back to white and "Original".
  UserClick(dialog->optBackColor(0));
  UserClick(dialog->optForeColor(4));
  UserClick(dialog->cmdDefault);
  EXPECT_EQ(SelectedBack(), 1);
  EXPECT_EQ(SelectedFore(), 2);
  EXPECT_TRUE(dialog->cmdApply.Enabled());
}


// As the user sees the dialog: every caption whole in the font its control
// shows it in (the frames' bold captions included), in both layouts, and
// each colour swatch filled with its colour.
TEST_F(ColourFramesTest, EveryCaptionFitsAndEachSwatchShowsItsColour) {
  NewProject("Lots");
  for (const Edition edition : {Edition::A2004, Edition::Standalone}) {
    SCOPED_TRACE(static_cast<int>(edition));
    SetEdition(edition);
    FrmSetting d(host);
    ASSERT_TRUE(d.ShowForProject());
    forms::DoEvents();
    int frames = 0;
    for (forms::Control* c : forms::testing::ControlsOf(d)) {
      if (!c->IsEffectivelyVisible()) continue;
      const std::optional<forms::testing::CaptionFit> fit = forms::testing::MeasureCaption(*c);
      if (!fit) continue;
      if (dynamic_cast<forms::Frame*>(c)) ++frames;
      EXPECT_LE(fit->textPx, fit->roomPx) << c->Name() << "(" << c->Index() << ") \"" << fit->text << "\" needs "
                                          << fit->textPx << " pixels, has " << fit->roomPx;
    }
    EXPECT_GE(frames, edition == Edition::Standalone ? 8 : 6);
    if (edition == Edition::Standalone) {
      const struct {
        forms::OptionButton& swatch;
        QColor colour;
      } swatches[] = {{d.optBackColor(2), QColor(255, 255, 0)},
                      {d.optBackColor(3), QColor(0, 0, 255)},
                      {d.optForeColor(1), QColor(0, 0, 0)}};
      for (const auto& s : swatches) {
        ASSERT_NE(s.swatch.Widget(), nullptr);
        const QImage image = s.swatch.Widget()->grab().toImage();
        // The middle, and the corner outside the circle.
        for (const QPoint p : {QPoint(image.width() / 2, image.height() / 2), QPoint(1, 1)}) {
          EXPECT_EQ(image.pixelColor(p).name().toStdString(), s.colour.name().toStdString())
              << s.swatch.Name() << "(" << s.swatch.Index() << ") at " << p.x() << "," << p.y();
        }
      }
    }
    d.Unload();
  }
}

}  // namespace
}  // namespace korvalo::options::test

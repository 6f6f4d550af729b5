#include "storage/windows/start_windows.h"

#include <algorithm>
#include <exception>

#include "common/edition.h"
#include "platform/shell/shell.h"
#include "storage/program_state.h"
#include "storage/system_db.h"
#include "storage/windows/center_form.h"
#include "storage/windows/program_info.h"

namespace korvalo::windows {

using namespace forms;

namespace {

// Runs one step of a window's load; an error is reported in the window's own
// box and the load goes on.
template <class Step>
void RunStep(Step&& step, void (*report)(int)) {
  try {
    step();
  } catch (const std::exception& e) {
    report(ErrorNumberOf(e));
  }
}

}  // namespace

// ---------------------------------------------------------------------------

FrmSplash::FrmSplash()
    : Form("frmSplash"),
      Image1(*this, "Image1"),
      Label1(*this, "Label1", CadReleaseLabel(CurrentEdition())),
      lblCompany(*this, "lblCompany", "Company Label"),
      lblWarning(*this, "lblWarning", "Company Label"),
      lblExpect(*this, "lblExpect", "Company Label"),
      lblPrgVer(*this, "lblPrgVer", "Company Label") {
  SetBorderStyle(vbBSNone);
  SetCaption("");
  Move(0, 0, 7200, 4500);
  Image1.Move(120, 120, 2400, 2400);
  Image1.SetBackColor(0x00804000);
  Label1.Move(2760, 120, 4200, 300);
  lblCompany.Move(2760, 540, 4200, 1000);
  lblWarning.Move(120, 2760, 6840, 800);
  lblWarning.SetWordWrap(true);
  lblExpect.Move(120, 3600, 6840, 300);
  lblPrgVer.Move(2760, 1680, 4200, 300);
  OnLoad = [this] { Form_Load(); };
}

void FrmSplash::Form_Load() {
  RunStep(
      [this] {
        lblCompany.SetCaption(kCompanyLines);
        lblWarning.SetCaption(kCopyWarning);
        lblExpect.SetCaption(kRightsNotice);
      },
      ShowSplashError);
  // Without the system database nothing else runs: the program ends.
  systemDbOpened_ = OpenSystemDatabase();
  if (!systemDbOpened_) return;
  RunStep([this] { lblPrgVer.SetCaption("Program Version: " + ProgramVersion(CurrentEdition())); },
          ShowSplashError);
  RunStep([this] { CenterForm(*this); }, ShowSplashError);
}

// ---------------------------------------------------------------------------

FrmVideoOptions::FrmVideoOptions()
    : Form("frmVideoOptions"),
      Picture1(*this, "Picture1"),
      Label1(*this, "Label1",
             "Welcome to Korvalo! We recommend you view a training video before you begin. Please "
             "choose one of:"),
      optQuick(*this, "optQuick", "&Quick start video (2 min)"),
      optFull(*this, "optFull", "&Full training video (8 min)"),
      optConf(*this, "optConf", "&Configuration video (4 min)"),
      optRemind(*this, "optRemind", "No video, but &remind me next time"),
      optNotAgain(*this, "optNotAgain", "&No video. Do not ask again"),
      cmdOK(*this, "cmdOK", "&Ok") {
  SetCaption("Korvalo training video options");
  SetBorderStyle(vbFixedDialog);
  Move(0, 0, 6300, 3900);
  Picture1.Move(120, 120, 1800, 2700);
  Label1.Move(2040, 120, 4000, 660);
  Label1.SetWordWrap(true);
  optQuick.Move(2040, 900, 4000, 300);
  if (CurrentEdition() == Edition::Standalone) {
    optFull.Move(2040, 1260, 4000, 300);
    optConf.Move(2040, 1620, 4000, 300);
    optRemind.Move(2040, 1980, 4000, 300);
    optNotAgain.Move(2040, 2340, 4000, 300);
  } else {
    optFull.SetVisible(false);
    optConf.Move(2040, 1260, 4000, 300);
    optRemind.Move(2040, 1620, 4000, 300);
    optNotAgain.Move(2040, 1980, 4000, 300);
  }
  cmdOK.Move(4680, 2700, 1215, 375);
  cmdOK.SetDefault(true);
  optQuick.SetValue(true);
  cmdOK.OnClick = [this](int) { cmdOK_Click(); };
}

void FrmVideoOptions::cmdOK_Click() {
  // The video runs on its own; whether it could be started is not looked at.
  const bool standalone = CurrentEdition() == Edition::Standalone;
  if (optQuick.Value()) {
    shell::ShellOpen(FileBesideProgram(standalone ? kStandaloneQuickVideo : kQuickVideo), shell::SW_SHOWNORMAL);
  } else if (standalone && optFull.Value()) {
    shell::ShellOpen(FileBesideProgram(kStandaloneFullVideo), shell::SW_SHOWNORMAL);
  } else if (optConf.Value()) {
    shell::ShellOpen(FileBesideProgram(standalone ? kStandaloneConfigurationVideo : kConfigurationVideo),
                     shell::SW_SHOWNORMAL);
  } else if (optNotAgain.Value()) {
    MsgBox(kVideoNotAgainText, vbInformation);
    StopVideoPrompt();
  }
  Unload();
}

// ---------------------------------------------------------------------------

FrmAbout::FrmAbout()
    : Form("frmAbout"),
      Image1(*this, "Image1"),
      lblVersion(*this, "lblVersion", "Version: 1.8.0"),
      lblACAD_Version(*this, "lblACAD_Version", CadReleaseLabel(CurrentEdition())),
      Label1(*this, "Label1", "Credits"),
      txtCredits(*this, "txtCredits"),
      lblCompany(*this, "lblCompany", kCompanyName),
      lblAddress(*this, "lblAddress", kCompanyAddress),
      lblPhone(*this, "lblPhone", kCompanyPhone),
      lblFax(*this, "lblFax", kCompanyFax),
      cmdOk(*this, "cmdOk", "&OK") {
  SetCaption("About");
  SetBorderStyle(vbFixedDialog);
  Move(0, 0, 6900, 5400);
  Image1.Move(120, 120, 2400, 2400);
  lblVersion.Move(2760, 120, 3900, 300);
  lblACAD_Version.Move(2760, 480, 3900, 300);
  lblCompany.Move(2760, 960, 3900, 300);
  lblAddress.Move(2760, 1260, 3900, 300);
  lblPhone.Move(2760, 1560, 3900, 300);
  lblFax.Move(2760, 1860, 3900, 300);
  Label1.Move(120, 2640, 2400, 300);
  txtCredits.Move(120, 2940, 6540, 1560);
  txtCredits.SetWordWrap(true);
  txtCredits.SetBorderStyle(1);
  txtCredits.SetBackColor(vbWindowBackground);
  cmdOk.Move(5400, 4560, 1215, 375);
  cmdOk.SetDefault(true);
  OnLoad = [this] { Form_Load(); };
  cmdOk.OnClick = [this](int) { Unload(); };
}

void FrmAbout::Form_Load() {
  RunStep([this] { CenterForm(*this); }, ShowAboutError);
  // The picture is the splash window's: both show the program's emblem.
  RunStep([this] { Image1.SetBackColor(0x00804000); }, ShowAboutError);
  RunStep(
      [this] {
        std::string credits = txtCredits.Caption();
        FillCredits(credits);
        txtCredits.SetCaption(credits);
        FitCredits();
      },
      ShowAboutError);
  RunStep([this] { lblVersion.SetCaption("Version: " + ProgramVersion(CurrentEdition())); },
          ShowAboutError);
}

// The credits box grows until every credit shows, as far as the screen has
// room, and the window with it; the OK button stays below the box and the
// window centred.
void FrmAbout::FitCredits() {
  const int missing = txtCredits.CaptionHeight() - txtCredits.Height();
  const int room = ScreenHeight() - Height();
  const int grow = std::min(missing, room);
  if (grow <= 0) return;
  txtCredits.SetHeight(txtCredits.Height() + grow);
  cmdOk.SetTop(cmdOk.Top() + grow);
  SetHeight(Height() + grow);
  CenterForm(*this);
}

}  // namespace korvalo::windows

#pragma once

#include <string>

#include "platform/forms/forms.h"

// The windows of the program's start: the splash window (whose load opens
// the system database for the run), the training-video offer, and the About
// window the Help menu shows.
namespace korvalo::windows {

// Borderless, without a caption. Its load sets the maker's texts, opens the
// system database for the run and shows the program version; an error in a
// step is reported in the splash error box and the next step runs.
class FrmSplash : public forms::Form {
 public:
  FrmSplash();
  // False when the load could not open the system database (its message
  // shown): the program must end without showing another window.
  bool SystemDatabaseOpened() const { return systemDbOpened_; }

  forms::PictureBox Image1;
  forms::Label Label1;
  forms::Label lblCompany;
  forms::Label lblWarning;
  forms::Label lblExpect;
  forms::Label lblPrgVer;

 private:
  void Form_Load();
  bool systemDbOpened_ = false;
};

// "Korvalo training video options": the videos beside the program, or no
// video (remind next time, or do not ask again). The standalone edition
// offers a full training video too (optFull, hidden in the linked edition)
// and ships its own video programs.
class FrmVideoOptions : public forms::Form {
 public:
  FrmVideoOptions();

  forms::PictureBox Picture1;
  forms::Label Label1;
  forms::OptionButton optQuick;
  forms::OptionButton optFull;
  forms::OptionButton optConf;
  forms::OptionButton optRemind;
  forms::OptionButton optNotAgain;
  forms::CommandButton cmdOK;

 private:
  void cmdOK_Click();
};

// The training-video programs beside the program.
inline constexpr const char* kQuickVideo = "ZE-Veza Demo.exe";
inline constexpr const char* kConfigurationVideo = "ZE-Veza Options.exe";
inline constexpr const char* kStandaloneQuickVideo = "ZI Ruvaziviru Quick Demo.exe";
inline constexpr const char* kStandaloneFullVideo = "ZI Ruvaziviru Full Demo.exe";
inline constexpr const char* kStandaloneConfigurationVideo = "ZI Ruvaziviru Options.exe";
inline constexpr const char* kVideoNotAgainText =
    "Training videos may also be accessed through the Korvalo program group\n"
    "in the start menu, and from the help menu within the program.";

// "About": version, release, credits and the maker. Built anew for each
// showing; its OK unloads it.
class FrmAbout : public forms::Form {
 public:
  FrmAbout();

  forms::PictureBox Image1;
  forms::Label lblVersion;
  forms::Label lblACAD_Version;
  forms::Label Label1;
  // The credits, one contribution after another with its names indented.
  // The load makes it (and the window) high enough to show every credit.
  forms::Label txtCredits;
  forms::Label lblCompany;
  forms::Label lblAddress;
  forms::Label lblPhone;
  forms::Label lblFax;
  forms::CommandButton cmdOk;

 private:
  void Form_Load();
  void FitCredits();
};

}  // namespace korvalo::windows

#pragma once

#include <string>

#include "options/option_values.h"
#include "platform/forms/forms.h"

// The project options dialog: the open project's settings row shown for
// change, the order of the arc inputs, and the program defaults. Modeless; it
// holds no connection between events. The window is one class in three
// files: frm_setting.cpp (design, load, the small handlers),
// frm_setting_order.cpp (the order cells), frm_setting_commands.cpp (the
// five buttons).
namespace korvalo::options {

// What the dialog asks of the program around it.
class OptionsHost {
 public:
  virtual ~OptionsHost() = default;
  // The editor window on top of the others, or not.
  virtual void SetEditorTopMost(bool on) = 0;
  // Apply has stored the project's row: the program takes the settings up
  // again, lays out the arc inputs and recomputes the parcel.
  virtual void ProjectSettingsStored() = 0;
};

class FrmSetting : public forms::Form {
 public:
  explicit FrmSetting(OptionsHost& host);
  ~FrmSetting() override;

  // Shows the dialog with the settings of the project at ProjectPath. A
  // loaded dialog is only brought forward. When the project's row cannot be
  // read the user is told and nothing is shown; the result is then false.
  bool ShowForProject();
  // Another project has become current: a loaded dialog shows that
  // project's settings as a fresh load does (unsaved changes are dropped).
  // When its row cannot be read the user is told and the dialog closes, so
  // that nothing of the previous project can be applied to it.
  void ReloadForProject();

  // --- the five buttons ----------------------------------------------------
  // Apply: false when a box was refused or the project could not be written
  // (the user has been told; nothing was stored and the dialog is as it was).
  bool cmdApply_Click();
  void cmdOK_Click();
  void cmdCancel_Click();
  void cmdAsDefault_Click();
  void cmdDefault_Click();

  // --- the order cells -------------------------------------------------------
  // Index of the selected cell, -1 when none.
  int SelectedOrderCell = -1;
  static constexpr forms::Colour kCellNormal = forms::vbScrollBars;
  static constexpr forms::Colour kCellSelected = 0x0080FF80;

  // --- controls ----------------------------------------------------------------
  forms::Frame frameOrder;
  forms::ControlArray<forms::Label> lblOrderNo;
  forms::ControlArray<forms::Label> lblOrder;
  forms::CommandButton cmdForward;
  forms::CommandButton cmdBackward;
  forms::Label Label3;

  forms::Frame frameUnit;
  forms::ControlArray<forms::OptionButton> optFeet;
  forms::ControlArray<forms::Frame> frameSub;
  forms::ControlArray<forms::OptionButton> optSquareAcres;
  forms::ControlArray<forms::OptionButton> optSquareMeters;

  forms::Frame frameBearing;
  forms::ControlArray<forms::OptionButton> optBearing;

  // The drawing colours; shown in the standalone edition only. Each option
  // but "Original" is a colour swatch without a caption.
  forms::Frame frameBackColor;
  forms::ControlArray<forms::OptionButton> optBackColor;
  forms::Frame frameForeColor;
  forms::ControlArray<forms::OptionButton> optForeColor;

  forms::Label Label1;
  forms::TextBox txtDegreeSymbol;
  forms::Label Label2;
  forms::TextBox txtTolerance;
  forms::Label Label5;
  forms::TextBox txtErrDecimal;
  forms::Label Label6;
  forms::CheckBox chkCurveOpt;
  forms::Label Label4;
  forms::CheckBox chkMini;
  forms::Label Label7;
  forms::CheckBox chkAutoInvert;
  forms::Label Label9;
  forms::CheckBox chkToolTip;
  forms::Label Label8;
  forms::CheckBox chkTangent;

  forms::Frame frameTangential;
  forms::ControlArray<forms::Label> lblTangentTolerance;
  forms::ControlArray<forms::TextBox> txtWarning;
  forms::ControlArray<forms::Label> lblWarning;
  forms::ControlArray<forms::TextBox> txtTangentTolerance;

  forms::CommandButton cmdOK;
  forms::CommandButton cmdCancel;
  forms::CommandButton cmdDefault;
  forms::CommandButton cmdAsDefault;
  forms::CommandButton cmdApply;

 private:
  void CreateArrays();
  // Puts every control in its design state: places, fonts, captions, texts,
  // values, flags, colours and tooltips. Every load starts from it.
  void Design();
  void DesignLinkedPlaces();
  void DesignStandalonePlaces();
  void DesignColourFrames();
  // The colour options that show a back and a fore colour code.
  void ShowColours(std::optional<long> backColor, std::optional<long> foreColor);
  bool Standalone() const;
  void DesignTabOrder();
  // Places an area frame at a place given within the units frame.
  void PlaceInUnitFrame(forms::Frame& frame, int left, int top, int width, int height);
  void WireEvents();

  void Form_Load();
  void Form_Activate();
  void Form_Unload();
  // The load's reading of a settings row into the controls.
  void ShowLoaded(const ShownSettings& s);
  // The units' area options follow the selected unit.
  void ShowAreaOptions(bool squareX);
  void SetTangentialEnabled(bool enabled);

  void optFeet_Click(int index);
  void chkTangent_Click();
  void chkToolTip_MouseUp(int button, double x, double y);
  void DigitsOnly(int& keyAscii, bool pointToo);
  void EnableApply() { cmdApply.SetEnabled(true); }

  // The order cells (frm_setting_order.cpp).
  void lblOrder_Click(int index);
  void cmdForward_Click();
  void cmdBackward_Click();
  void SwapCells(int from, int to);
  std::array<std::string, 4> Cells() const;
  void ShowCells(const std::array<std::string, 4>& cells);

  // The boxes checked and turned into the values to store; false after
  // telling the user which box is refused (the focus goes there).
  bool ReadValues(StoredSettings& out);
  void Refuse(forms::TextBox& box, const char* message);

  OptionsHost& host_;
  // The row the next load shows.
  ShownSettings pending_;
};

}  // namespace korvalo::options

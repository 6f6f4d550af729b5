#include <string>

#include "common/numbers.h"
#include "options/frm_setting.h"
#include "platform/dao/dao.h"
#include "storage/program_state.h"

// The project options dialog: Apply, OK, Cancel, Set as defaults and Restore
// defaults. Every box is checked before either database is written, and each
// write is one update of the row: stored whole or not at all.
namespace korvalo::options {

using namespace forms;

namespace {

constexpr const char* kWarning = "Warning";
constexpr const char* kNoBearingField =
    "You are working on the project that was created by the Korvalo V1.5.3 or earlier. You can only use the "
    "Bearing mode for this project.";
constexpr const char* kNoDegreeSymbolField =
    "You are working on the project that was created by the Korvalo V1.6.0 or earlier. You cannot set the degree "
    "symbol. The default degree symbol is %%D.";
constexpr const char* kNoColourFields =
    "You are working on the project that was created by the Korvalo/Korvalo 1.5.4 or earlier. You cannot set the "
    "colour.";

}  // namespace

void FrmSetting::Refuse(TextBox& box, const char* message) {
  MsgBox(message, vbOKOnly, kWarning);
  if (box.CanFocus()) box.SetFocus();
}

bool FrmSetting::ReadValues(StoredSettings& out) {
  StoredSettings v;
  if (!DegreeSymbolAllowed(txtDegreeSymbol.Text())) {
    Refuse(txtDegreeSymbol, kDegreeSymbolRefused);
    return false;
  }
  v.degreeSymbol = txtDegreeSymbol.Text();
  const std::optional<double> tolerance = ToleranceFromText(txtTolerance.Text());
  if (!tolerance) {
    Refuse(txtTolerance, ToleranceTooLarge(txtTolerance.Text()) ? kToleranceTooLarge : kToleranceRefused);
    return false;
  }
  v.tolerance = *tolerance;
  const std::optional<int> decimals = WholeFromText(txtErrDecimal.Text());
  if (!decimals) {
    Refuse(txtErrDecimal, kDecimalsRefused);
    return false;
  }
  v.decimals = *decimals;
  for (ControlArray<TextBox>* boxes : {&txtWarning, &txtTangentTolerance}) {
    std::array<int, 3>& parts = boxes == &txtWarning ? v.warning : v.tangentTolerance;
    for (int i = 0; i < 3; ++i) {
      const std::optional<int> part = WholeFromText((*boxes)(i).Text());
      if (!part) {
        Refuse((*boxes)(i), kAngleRefused);
        return false;
      }
      parts[static_cast<std::size_t>(i)] = *part;
    }
  }

  PositionsFromCells(Cells(), v);
  v.unitFeet = optFeet(0).Value();
  v.squareX = v.unitFeet ? optSquareAcres(0).Value() : optSquareMeters(0).Value();
  v.minimize = chkMini.Value() == vbChecked;
  v.addAreaCheck = chkCurveOpt.Value() == vbChecked;
  v.autoInvert = chkAutoInvert.Value() == vbChecked;
  v.tangentCheck = chkTangent.Value() == vbChecked;
  v.toolTipOn = chkToolTip.Value() == vbChecked;
  v.bearing = optBearing(0).Value();
  if (Standalone()) {
    v.colours = true;
    for (int i = 0; i < 4; ++i) {
      if (optBackColor(i).Value()) v.backColor = i;
    }
    for (int i = 0; i < 5; ++i) {
      if (optForeColor(i).Value()) v.foreColor = kForeColorCodes[static_cast<std::size_t>(i)];
    }
  }
  out = v;
  return true;
}

bool FrmSetting::cmdApply_Click() {
  StoredSettings values;
  if (!ReadValues(values)) return false;
  const std::string& path = Program().ProjectPath;
  ProjectWrite written;
  try {
    written = WriteProjectRow(path, values);
  } catch (const dao::DaoError& e) {
    MsgBox("The options could not be saved in the project " + path + ". Nothing was changed.\n" + e.what(),
           vbOKOnly, kWarning);
    return false;
  }

  // The box shows the tolerance as stored: 0.0100 becomes 0.01, "" 0.
  txtTolerance.SetText(NumberText(values.tolerance));
  if (!written.bearingStored) {
    MsgBox(kNoBearingField, vbOKOnly, kWarning);
    optBearing(0).SetValue(true);
  }
  if (!written.degreeSymbolStored) {
    MsgBox(kNoDegreeSymbolField, vbOKOnly, kWarning);
    txtDegreeSymbol.SetText(kDefaultDegreeSymbol);
  }
  if (!written.coloursStored) {
    MsgBox(kNoColourFields, vbOKOnly, kWarning);
    ShowColours(std::nullopt, std::nullopt);
  }
  cmdApply.SetEnabled(false);
  for (int i = 0; i < 4; ++i) lblOrder(i).SetBackColor(kCellNormal);

  host_.ProjectSettingsStored();
  return true;
}

void FrmSetting::cmdOK_Click() {
  // A refused or failed Apply leaves the dialog open with the user's values.
  if (cmdApply.Enabled() && !cmdApply_Click()) return;
  Unload();
}

void FrmSetting::cmdCancel_Click() { Unload(); }

void FrmSetting::cmdAsDefault_Click() {
  StoredSettings values;
  if (!ReadValues(values)) return;
  try {
    WriteSystemRow(values);
  } catch (const dao::DaoError& e) {
    MsgBox(std::string("The options could not be saved as the program defaults. Nothing was changed.\n") + e.what(),
           vbOKOnly, kWarning);
  }
}

void FrmSetting::cmdDefault_Click() {
  ShownSettings s;
  try {
    s = ReadSystemRow();
  } catch (const dao::DaoError& e) {
    MsgBox(std::string("The program defaults cannot be read. Nothing was changed.\n") + e.what(), vbOKOnly,
           kWarning);
    return;
  }
  EnableApply();
  ShowCells(s.cells);
  optFeet(0).SetValue(s.unitFeet);
  optFeet(1).SetValue(!s.unitFeet);
  ShowAreaOptions(s.squareX);
  // The unit's click has put its own tolerance and decimals in; the
  // defaults replace them.
  txtErrDecimal.SetText(s.decimals);
  txtTolerance.SetText(s.tolerance);
  chkMini.SetValue(s.minimize ? vbChecked : vbUnchecked);
  chkCurveOpt.SetValue(s.addAreaCheck ? vbChecked : vbUnchecked);
  chkAutoInvert.SetValue(s.autoInvert ? vbChecked : vbUnchecked);
  // A change of the box runs its flip: the tangential controls follow it.
  chkTangent.SetValue(s.tangentCheck ? vbChecked : vbUnchecked);
  for (int i = 0; i < 3; ++i) txtWarning(i).SetText(s.warning[static_cast<std::size_t>(i)]);
  for (int i = 0; i < 3; ++i) txtTangentTolerance(i).SetText(s.tangentTolerance[static_cast<std::size_t>(i)]);
  chkToolTip.SetValue(s.toolTipOn ? vbChecked : vbUnchecked);
  ShowColours(std::nullopt, std::nullopt);
  if (s.bearing) {
    optBearing(0).SetValue(*s.bearing);
    optBearing(1).SetValue(!*s.bearing);
  }
  txtDegreeSymbol.SetText(s.degreeSymbol ? *s.degreeSymbol : std::string(kDefaultDegreeSymbol));
  if (s.backColor || s.foreColor) ShowColours(s.backColor, s.foreColor);
}

}  // namespace korvalo::options

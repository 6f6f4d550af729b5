#include "options/frm_setting.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/edition.h"
#include "common/utf8.h"
#include "storage/windows/center_form.h"
#include "editor/tooltips.h"
#include "platform/dao/dao.h"
#include "storage/program_state.h"

// The project options dialog: construction, its design in both layouts, the
// load, activation and unload, and the handlers that record a change.
namespace korvalo::options {

using namespace forms;

namespace {

// The form's inner area; the outer size adds the frame (4 pixels a side)
// and the 23-pixel title bar.
constexpr int kClientWidth = 5520;
constexpr int kClientHeight = 8385;
constexpr int kOuterWidth = kClientWidth + 8 * kTwipsPerPixel;
constexpr int kOuterHeight = kClientHeight + (8 + 23) * kTwipsPerPixel;

Font Bold() {
  Font f;
  f.bold = true;
  return f;
}

Font Regular() { return Font{}; }

Font Large() {
  Font f;
  f.size = 12;
  return f;
}

}  // namespace

FrmSetting::FrmSetting(OptionsHost& host)
    : Form("frmSetting"),
      frameOrder(*this, "frameOrder", "Order of arc fields for data entry"),
      lblOrderNo(frameOrder, "lblOrderNo", "1."),
      lblOrder(frameOrder, "lblOrder", "Arc"),
      cmdForward(frameOrder, "cmdForward", "<"),
      cmdBackward(frameOrder, "cmdBackward", ">"),
      Label3(frameOrder, "Label3", "Instructions: Click the field and use the arrows to change the order"),
      frameUnit(*this, "frameUnit", "Units of measure"),
      optFeet(frameUnit, "optFeet", "Feet"),
      // The area frames stand over the units frame but on the form: option
      // buttons of a frame nested in another frame that holds option
      // buttons would be taken into the outer group.
      frameSub(*this, "frameSub", "Area reported in"),
      optSquareAcres(frameSub(0), "optSquareAcres", "Square feet"),
      optSquareMeters(frameSub(0), "optSquareMeters", "Square meters"),
      frameBearing(*this, "frameBearing", "Bearing"),
      optBearing(frameBearing, "optBearing", "Bearing"),
      frameBackColor(*this, "frameBackColor", "Back Colour"),
      optBackColor(frameBackColor, "optBackColor"),
      frameForeColor(*this, "frameForeColor", "Fore Colour"),
      optForeColor(frameForeColor, "optForeColor"),
      Label1(*this, "Label1", "The Degree symbol:"),
      txtDegreeSymbol(*this, "txtDegreeSymbol"),
      Label2(*this, "Label2", "Closure tolerance of success:"),
      txtTolerance(*this, "txtTolerance"),
      Label5(*this, "Label5", "Number of decimals to display:"),
      txtErrDecimal(*this, "txtErrDecimal"),
      Label6(*this, "Label6", "Force arc direction ( + / - ) to be set:"),
      chkCurveOpt(*this, "chkCurveOpt"),
      Label4(*this, "Label4", "Minimize during grabbing:"),
      chkMini(*this, "chkMini"),
      Label7(*this, "Label7", "Auto invert:"),
      chkAutoInvert(*this, "chkAutoInvert"),
      Label9(*this, "Label9", "ToolTip help On/Off:"),
      chkToolTip(*this, "chkToolTip"),
      Label8(*this, "Label8", "Perform tangential curve check:"),
      chkTangent(*this, "chkTangent"),
      frameTangential(*this, "frameTangential", "Tangential tolerance"),
      lblTangentTolerance(frameTangential, "lblTangentTolerance", "OVER"),
      txtWarning(frameTangential, "txtWarning"),
      lblWarning(frameTangential, "lblWarning", "UNDER"),
      txtTangentTolerance(frameTangential, "txtTangentTolerance"),
      cmdOK(*this, "cmdOK", "&OK"),
      cmdCancel(*this, "cmdCancel", "&Cancel"),
      cmdDefault(*this, "cmdDefault", "&Restore defaults"),
      cmdAsDefault(*this, "cmdAsDefault", "&Set as defaults"),
      cmdApply(*this, "cmdApply", "&Apply"),
      host_(host) {
  Move(0, 0, kOuterWidth, kOuterHeight);
  CreateArrays();
  Design();
  DesignTabOrder();
  WireEvents();
}

FrmSetting::~FrmSetting() = default;

// ---------------------------------------------------------------------------
// The design.

void FrmSetting::CreateArrays() {
  for (int i = 1; i < 4; ++i) {
    lblOrderNo.Load(i).SetVisible(true);
    lblOrder.Load(i).SetVisible(true);
  }
  optFeet.Load(1).SetVisible(true);
  frameSub.Load(1).SetVisible(true);
  // The metric area options sit in the second area frame.
  optSquareMeters(0).SetContainer(frameSub(1));
  optSquareAcres.Load(1).SetVisible(true);
  optSquareMeters.Load(1).SetVisible(true);
  optBearing.Load(1).SetVisible(true);
  for (int i = 1; i < 4; ++i) optBackColor.Load(i).SetVisible(true);
  for (int i = 1; i < 5; ++i) optForeColor.Load(i).SetVisible(true);
  for (int i = 1; i < 5; ++i) {
    lblTangentTolerance.Load(i).SetVisible(true);
    lblWarning.Load(i).SetVisible(true);
  }
  for (int i = 1; i < 3; ++i) {
    txtWarning.Load(i).SetVisible(true);
    txtTangentTolerance.Load(i).SetVisible(true);
  }
}

void FrmSetting::Design() {
  SetCaption("Project Options");
  SetBorderStyle(vbSizable);

  // Values first: selecting an option or changing a box may run a handler
  // that touches other controls, which the steps below put right.
  optFeet(0).SetValue(true);
  optSquareAcres(0).SetValue(true);
  optSquareMeters(0).SetValue(true);
  optBearing(0).SetValue(true);
  for (CheckBox* box : {&chkCurveOpt, &chkMini, &chkAutoInvert, &chkToolTip, &chkTangent}) {
    box->SetValue(vbUnchecked);
  }
  txtDegreeSymbol.SetText("%%D");
  txtTolerance.SetText("0.001");
  txtErrDecimal.SetText("3");
  const char* const warning[] = {"5", "0", "0"};
  const char* const tangent[] = {"1", "0", "0"};
  for (int i = 0; i < 3; ++i) {
    txtWarning(i).SetText(warning[i]);
    txtTangentTolerance(i).SetText(tangent[i]);
  }

  // Captions.
  const char* const numbers[] = {"1.", "2.", "3.", "4."};
  for (int i = 0; i < 4; ++i) {
    lblOrderNo(i).SetCaption(numbers[i]);
    lblOrder(i).SetCaption(kOrderCaptions[static_cast<std::size_t>(i)]);
  }
  optFeet(1).SetCaption("Meters");
  frameSub(1).SetCaption("Area reportd in");
  optSquareAcres(1).SetCaption("Acres");
  optSquareMeters(1).SetCaption("Hectares");
  optBearing(1).SetCaption("Azimuth");
  // The degree-sign labels receive the sign when the dialog loads.
  const char* const over[] = {"OVER", "d", "'", "\"", "will not be checked"};
  const char* const under[] = {"UNDER", "d", "'", "\"", "will be acceptable"};
  for (int i = 0; i < 5; ++i) {
    lblTangentTolerance(i).SetCaption(over[i]);
    lblWarning(i).SetCaption(under[i]);
  }

  // Flags: everything usable but the fixed first cell and the metric area
  // frame.
  for (Control* c : FormControls(*this)) c->SetEnabled(true);
  lblOrder(0).SetEnabled(false);
  frameSub(1).SetEnabled(false);

  // Fonts: the form's bold face unless the control has its own.
  for (Control* c : FormControls(*this)) c->SetFont(Bold());
  for (int i = 0; i < 2; ++i) {
    optFeet(i).SetFont(Regular());
    optSquareAcres(i).SetFont(Regular());
    optSquareMeters(i).SetFont(Regular());
    optBearing(i).SetFont(Regular());
    frameSub(i).SetFont(Regular());
  }
  for (Control* c : std::initializer_list<Control*>{&chkCurveOpt, &chkMini, &chkAutoInvert, &chkToolTip,
                                                     &chkTangent, &cmdForward, &cmdBackward, &cmdOK, &cmdCancel,
                                                     &cmdDefault, &cmdAsDefault, &cmdApply, &Label3}) {
    c->SetFont(Regular());
  }
  for (int i = 0; i < 4; ++i) lblOrder(i).SetFont(Regular());
  for (int i = 0; i < 5; ++i) {
    lblTangentTolerance(i).SetFont(i == 1 ? Large() : Regular());
    lblWarning(i).SetFont(i == 1 ? Large() : Regular());
  }

  // Order cells.
  for (int i = 0; i < 4; ++i) {
    lblOrderNo(i).SetAlignment(vbCenter);
    lblOrder(i).SetAlignment(vbCenter);
    lblOrder(i).SetBorderStyle(1);
    lblOrder(i).SetBackColor(i == 0 ? vbScrollBars : vbButtonFace);
  }

  // Tooltips.
  for (Control* c : FormControls(*this)) c->SetToolTipText("");
  cmdForward.SetToolTipText("Click here to move the selected field further to the left.");
  cmdBackward.SetToolTipText("Click here to move the selected field further to  the right.");
  txtTolerance.SetToolTipText(
      "The value at which you want the program to indicate to you an error in closure accuracy.");
  txtErrDecimal.SetToolTipText("The number of decimals that will be reported for calculated fields.");
  chkCurveOpt.SetToolTipText("If checked, program will ensure you have selected a value of +  or - for arc area.");
  chkMini.SetToolTipText("If selected, the program will minimze when focus is transfered to AutoCAD.");
  chkAutoInvert.SetToolTipText(
      "If selected, the program will automatically attempt to invert bearings to create the minimum closure of "
      "a parcel.");
  chkTangent.SetToolTipText(
      "If selected, the program will inspect curves to determine if they are tangential to their leading line.");
  for (int i = 0; i < 3; ++i) {
    txtWarning(i).SetToolTipText(
        "The value after which the program determines a curve was NOT MEANT TO BE TANGENTIAL.");
    txtTangentTolerance(i).SetToolTipText(
        "The value at which the program thinks a curve is close enought to being tangential.");
  }
  cmdOK.SetToolTipText("Leave this form and commit the changes.");
  cmdCancel.SetToolTipText("Leave this form without committing changes.");
  cmdDefault.SetToolTipText("Replace these settings with the default settings.");
  cmdAsDefault.SetToolTipText("Take these settings and make them the default settings for all future projects.");
  cmdApply.SetToolTipText("Commit the current settings to act on this project.");

  if (Standalone()) {
    DesignStandalonePlaces();
  } else {
    DesignLinkedPlaces();
  }
  DesignColourFrames();
}

bool FrmSetting::Standalone() const { return CurrentEdition() == Edition::Standalone; }

void FrmSetting::DesignColourFrames() {
  frameBackColor.SetVisible(Standalone());
  frameForeColor.SetVisible(Standalone());
  frameBackColor.Move(240, 3120, 5055, 495);
  frameForeColor.Move(240, 3680, 5055, 495);
  const Colour swatches[] = {vbHighlightText, vbWindowText, vbYellow, vbBlue};
  for (int i = 0; i < 4; ++i) {
    for (ControlArray<OptionButton>* options : {&optBackColor, &optForeColor}) {
      OptionButton& o = (*options)(i);
      o.Move(1320 + 600 * i, 180, 255, 255);
      o.SetCaption("");
      o.SetBackColor(swatches[i]);
      o.SetFont(Bold());
    }
  }
  optForeColor(4).Move(3720, 180, 975, 255);
  optForeColor(4).SetCaption("Original");
  optForeColor(4).SetBackColor(vbInactiveBorder);
  optForeColor(4).SetFont(Bold());
  optBackColor(0).SetValue(true);
  optForeColor(4).SetValue(true);
}

void FrmSetting::ShowColours(std::optional<long> backColor, std::optional<long> foreColor) {
  optBackColor(BackColorOption(backColor)).SetValue(true);
  optForeColor(ForeColorOption(foreColor)).SetValue(true);
}

void FrmSetting::PlaceInUnitFrame(Frame& frame, int left, int top, int width, int height) {
  frame.Move(frameUnit.Left() + left, frameUnit.Top() + top, width, height);
}

void FrmSetting::DesignLinkedPlaces() {
  frameOrder.Move(240, 120, 5055, 1455);
  for (int i = 0; i < 4; ++i) {
    lblOrderNo(i).Move(120 + 1200 * i, 240, 375, 255);
    lblOrder(i).Move(120 + 1200 * i, 480, 1095, 300);
  }
  cmdForward.Move(1800, 840, 615, 255);
  cmdBackward.Move(2520, 840, 615, 255);
  Label3.Move(120, 1155, 4815, 255);

  frameUnit.Move(240, 1680, 5055, 1335);
  optFeet(0).Move(240, 240, 1455, 195);
  optFeet(1).Move(2760, 240, 1095, 195);
  PlaceInUnitFrame(frameSub(0), 240, 480, 2055, 735);
  PlaceInUnitFrame(frameSub(1), 2760, 480, 2055, 735);
  for (int i = 0; i < 2; ++i) {
    optSquareAcres(i).Move(360, 200 + 240 * i, 1455, 255);
    optSquareMeters(i).Move(360, 200 + 240 * i, 1455, 255);
  }

  frameBearing.Move(240, 3120, 5055, 495);
  optBearing(0).Move(600, 220, 1575, 195);
  optBearing(1).Move(3120, 240, 1335, 195);

  Label1.Move(240, 3720, 2775, 255);
  txtDegreeSymbol.Move(3480, 3720, 975, 285);
  Label2.Move(240, 4080, 3015, 255);
  txtTolerance.Move(3480, 4080, 975, 285);
  Label5.Move(240, 4440, 3135, 255);
  txtErrDecimal.Move(3480, 4440, 975, 285);
  Label6.Move(240, 4800, 3735, 255);
  chkCurveOpt.Move(4200, 4800, 255, 255);
  Label4.Move(240, 5160, 3015, 255);
  chkMini.Move(4200, 5160, 255, 255);
  Label7.Move(240, 5520, 2535, 255);
  chkAutoInvert.Move(4200, 5520, 255, 255);
  Label9.Move(240, 5880, 3375, 255);
  chkToolTip.Move(4200, 5880, 255, 255);
  Label8.Move(240, 6240, 3015, 255);
  chkTangent.Move(4200, 6240, 255, 255);

  frameTangential.Move(240, 6480, 5055, 1095);
  lblTangentTolerance(0).Move(120, 360, 615, 255);
  lblTangentTolerance(1).Move(1200, 240, 255, 255);
  lblTangentTolerance(2).Move(2040, 315, 255, 255);
  lblTangentTolerance(3).Move(2760, 315, 255, 255);
  lblTangentTolerance(4).Move(3000, 360, 1815, 255);
  lblWarning(0).Move(120, 675, 735, 255);
  lblWarning(1).Move(1200, 660, 255, 255);
  lblWarning(2).Move(2040, 720, 255, 255);
  lblWarning(3).Move(2760, 720, 255, 255);
  lblWarning(4).Move(3000, 720, 1695, 255);
  const int boxLeft[] = {840, 1560, 2280};
  for (int i = 0; i < 3; ++i) {
    txtWarning(i).Move(boxLeft[i], 270, 375, 285);
    txtTangentTolerance(i).Move(boxLeft[i], 675, 375, 285);
  }

  cmdOK.Move(240, 7680, 735, 375);
  cmdCancel.Move(1080, 7680, 735, 375);
  cmdDefault.Move(1875, 7680, 1335, 375);
  cmdAsDefault.Move(3300, 7680, 1335, 375);
  cmdApply.Move(4680, 7680, 735, 375);
}

void FrmSetting::DesignStandalonePlaces() {
  // The same controls rearranged; the drawing colours' frames take the place
  // left free between the direction frame and the boxes.
  DesignLinkedPlaces();
  frameOrder.SetHeight(1120);
  for (int i = 0; i < 4; ++i) {
    lblOrderNo(i).Move(120 + 1200 * i, 270, 360, 255);
    lblOrder(i).Move(480 + 1200 * i, 240, 735, 300);
  }
  cmdForward.Move(1800, 580, 615, 255);
  cmdBackward.Move(2760, 580, 615, 255);
  Label3.SetTop(840);

  frameUnit.Move(240, 1320, 5055, 1095);
  optFeet(0).Move(120, 360, 735, 195);
  optFeet(1).Move(2400, 360, 855, 195);
  PlaceInUnitFrame(frameSub(0), 840, 240, 1455, 735);
  optSquareAcres(0).Move(120, 200, 1215, 255);
  optSquareAcres(1).Move(120, 440, 855, 255);
  PlaceInUnitFrame(frameSub(1), 3240, 240, 1575, 735);
  optSquareMeters(0).Move(120, 200, 1335, 255);
  optSquareMeters(1).Move(120, 440, 1095, 255);

  frameBearing.SetTop(2520);

  const std::pair<Label*, int> labels[] = {{&Label1, 4200}, {&Label2, 4485}, {&Label5, 4785}, {&Label6, 5070},
                                           {&Label4, 5370}, {&Label7, 5655}, {&Label9, 5940}, {&Label8, 6240}};
  for (const auto& [label, top] : labels) label->Move(360, top);
  txtDegreeSymbol.Move(3600, 4200);
  txtTolerance.Move(3600, 4508);
  txtErrDecimal.Move(3600, 4816);
  const std::pair<CheckBox*, int> checks[] = {
      {&chkCurveOpt, 5124}, {&chkMini, 5402}, {&chkAutoInvert, 5680}, {&chkToolTip, 5958}, {&chkTangent, 6240}};
  for (const auto& [box, top] : checks) box->Move(4320, top);
}

void FrmSetting::DesignTabOrder() {
  Control* const order[] = {&cmdForward,        &cmdBackward,       &optFeet(0),        &optSquareAcres(0),
                            &optSquareAcres(1), &optFeet(1),        &optSquareMeters(0), &optSquareMeters(1),
                            &optBearing(0),     &optBearing(1),     &txtDegreeSymbol,   &txtTolerance,
                            &txtErrDecimal,     &chkCurveOpt,       &chkMini,           &chkAutoInvert,
                            &chkToolTip,        &chkTangent,        &txtWarning(0),     &txtWarning(1),
                            &txtWarning(2),     &txtTangentTolerance(0), &txtTangentTolerance(1),
                            &txtTangentTolerance(2), &cmdOK,        &cmdCancel,         &cmdDefault,
                            &cmdAsDefault,      &cmdApply};
  std::vector<Control*> stops(std::begin(order), std::end(order));
  // The colour options follow the direction options; the linked layout,
  // which hides them, puts them last.
  std::vector<Control*> colours;
  for (int i = 0; i < 4; ++i) colours.push_back(&optBackColor(i));
  for (int i = 0; i < 5; ++i) colours.push_back(&optForeColor(i));
  const auto at = Standalone() ? std::find(stops.begin(), stops.end(), &optBearing(1)) + 1 : stops.end();
  stops.insert(at, colours.begin(), colours.end());
  int position = 0;
  for (Control* stop : stops) stop->SetTabIndex(position++);
}

void FrmSetting::WireEvents() {
  OnLoad = [this] { Form_Load(); };
  OnActivate = [this] { Form_Activate(); };
  OnUnload = [this](int&) { Form_Unload(); };

  for (CheckBox* box : {&chkMini, &chkCurveOpt, &chkAutoInvert, &chkToolTip}) {
    box->OnClick = [this](int) { EnableApply(); };
  }
  chkTangent.OnClick = [this](int) { chkTangent_Click(); };
  chkToolTip.OnMouseUp = [this](int, int button, int, double x, double y) { chkToolTip_MouseUp(button, x, y); };
  optBearing.OnClick = [this](int) { EnableApply(); };
  optBackColor.OnClick = [this](int) { EnableApply(); };
  optForeColor.OnClick = [this](int) { EnableApply(); };
  optSquareAcres.OnClick = [this](int) { EnableApply(); };
  optSquareMeters.OnClick = [this](int) { EnableApply(); };
  optFeet.OnClick = [this](int index) { optFeet_Click(index); };

  txtDegreeSymbol.OnChange = [this](int) { EnableApply(); };
  txtTolerance.OnChange = [this](int) { EnableApply(); };
  txtErrDecimal.OnChange = [this](int) { EnableApply(); };
  txtWarning.OnChange = [this](int) { EnableApply(); };
  txtTangentTolerance.OnChange = [this](int) { EnableApply(); };
  txtErrDecimal.OnKeyPress = [this](int, int& key) { DigitsOnly(key, false); };
  txtWarning.OnKeyPress = [this](int, int& key) { DigitsOnly(key, false); };
  txtTangentTolerance.OnKeyPress = [this](int, int& key) { DigitsOnly(key, false); };
  txtTolerance.OnKeyPress = [this](int, int& key) { DigitsOnly(key, true); };

  lblOrder.OnClick = [this](int index) { lblOrder_Click(index); };
  cmdForward.OnClick = [this](int) { cmdForward_Click(); };
  cmdBackward.OnClick = [this](int) { cmdBackward_Click(); };

  cmdApply.OnClick = [this](int) { cmdApply_Click(); };
  cmdOK.OnClick = [this](int) { cmdOK_Click(); };
  cmdCancel.OnClick = [this](int) { cmdCancel_Click(); };
  cmdAsDefault.OnClick = [this](int) { cmdAsDefault_Click(); };
  cmdDefault.OnClick = [this](int) { cmdDefault_Click(); };
}

// ---------------------------------------------------------------------------
// Showing, loading, activation and unload.

namespace {

std::string CannotReadProject(const std::string& path, const dao::DaoError& e) {
  return "The settings of the project " + path + " cannot be read.\n" + e.what();
}

}  // namespace

bool FrmSetting::ShowForProject() {
  if (!Loaded()) {
    const std::string& path = Program().ProjectPath;
    try {
      pending_ = ReadProjectRow(path);
    } catch (const dao::DaoError& e) {
      MsgBox(CannotReadProject(path, e));
      return false;
    }
  }
  Show();
  return true;
}

void FrmSetting::ReloadForProject() {
  if (!Loaded()) return;
  const std::string& path = Program().ProjectPath;
  try {
    pending_ = ReadProjectRow(path);
  } catch (const dao::DaoError& e) {
    MsgBox(CannotReadProject(path, e));
    Unload();
    return;
  }
  // As a fresh load, but where the user has put the window it stays.
  Design();
  ShowLoaded(pending_);
}

void FrmSetting::Form_Load() {
  // Every load starts from the design state, design tooltips included.
  Design();
  if (WindowState() == vbNormal) Move(Left(), Top(), kOuterWidth, kOuterHeight);
  windows::CenterForm(*this);
  ShowLoaded(pending_);
}

void FrmSetting::ShowLoaded(const ShownSettings& s) {
  const std::string degree(utf8::kDegree);
  lblTangentTolerance(1).SetCaption(degree);
  lblWarning(1).SetCaption(degree);
  SelectedOrderCell = -1;

  ShowCells(s.cells);
  optFeet(0).SetValue(s.unitFeet);
  optFeet(1).SetValue(!s.unitFeet);
  ShowAreaOptions(s.squareX);
  // The unit's click has put its default tolerance and decimals in the
  // boxes; the stored ones replace them.
  txtTolerance.SetText(s.tolerance);
  chkMini.SetValue(s.minimize ? vbChecked : vbUnchecked);
  txtErrDecimal.SetText(s.decimals);
  chkCurveOpt.SetValue(s.addAreaCheck ? vbChecked : vbUnchecked);
  chkAutoInvert.SetValue(s.autoInvert ? vbChecked : vbUnchecked);
  chkTangent.SetValue(s.tangentCheck ? vbChecked : vbUnchecked);
  SetTangentialEnabled(s.tangentCheck);
  for (int i = 0; i < 3; ++i) txtWarning(i).SetText(s.warning[static_cast<std::size_t>(i)]);
  for (int i = 0; i < 3; ++i) txtTangentTolerance(i).SetText(s.tangentTolerance[static_cast<std::size_t>(i)]);
  chkToolTip.SetValue(s.toolTipOn ? vbChecked : vbUnchecked);
  // Files of older versions have no direction mode or degree symbol: they
  // show bearings and "%%D".
  optBearing(0).SetValue(true);
  optBearing(1).SetValue(false);
  txtDegreeSymbol.SetText(kDefaultDegreeSymbol);
  if (s.bearing) {
    optBearing(0).SetValue(*s.bearing);
    optBearing(1).SetValue(!*s.bearing);
  }
  if (s.degreeSymbol) txtDegreeSymbol.SetText(*s.degreeSymbol);
  // A file without the colour fields shows white and "Original".
  ShowColours(s.backColor, s.foreColor);

  // The handlers run above recorded changes; nothing is unsaved yet.
  cmdApply.SetEnabled(false);
  editor::ClearToolTips();
}

void FrmSetting::ShowAreaOptions(bool squareX) {
  const bool feet = optFeet(0).Value();
  ControlArray<OptionButton>& shown = feet ? optSquareAcres : optSquareMeters;
  shown(0).SetValue(squareX);
  shown(1).SetValue(!squareX);
  frameSub(0).SetEnabled(feet);
  frameSub(1).SetEnabled(!feet);
  for (int i = 0; i < 2; ++i) {
    optSquareAcres(i).SetEnabled(feet);
    optSquareMeters(i).SetEnabled(!feet);
  }
}

void FrmSetting::SetTangentialEnabled(bool enabled) {
  frameTangential.SetEnabled(enabled);
  for (int i = 0; i < 3; ++i) {
    txtWarning(i).SetEnabled(enabled);
    txtTangentTolerance(i).SetEnabled(enabled);
  }
  for (int i = 0; i < 5; ++i) {
    lblWarning(i).SetEnabled(enabled);
    lblTangentTolerance(i).SetEnabled(enabled);
  }
}

void FrmSetting::Form_Activate() { SetTopMost(true); }

void FrmSetting::Form_Unload() { host_.SetEditorTopMost(true); }

// ---------------------------------------------------------------------------
// Handlers that record a change.

void FrmSetting::optFeet_Click(int index) {
  EnableApply();
  const bool feet = index == 0;
  frameSub(0).SetEnabled(feet);
  frameSub(1).SetEnabled(!feet);
  for (int i = 0; i < 2; ++i) {
    optSquareMeters(i).SetEnabled(!feet);
    optSquareAcres(i).SetEnabled(feet);
  }
  txtTolerance.SetText(feet ? "0.01" : "0.001");
  txtErrDecimal.SetText(feet ? "2" : "3");
}

void FrmSetting::chkTangent_Click() {
  // Each control turns to the opposite of its own state.
  frameTangential.SetEnabled(!frameTangential.Enabled());
  for (int i = 0; i < 3; ++i) {
    txtWarning(i).SetEnabled(!txtWarning(i).Enabled());
    txtTangentTolerance(i).SetEnabled(!txtTangentTolerance(i).Enabled());
  }
  for (int i = 0; i < 5; ++i) {
    lblWarning(i).SetEnabled(!lblWarning(i).Enabled());
    lblTangentTolerance(i).SetEnabled(!lblTangentTolerance(i).Enabled());
  }
  EnableApply();
}

void FrmSetting::chkToolTip_MouseUp(int button, double x, double y) {
  static_cast<void>(button);  // any button
  const bool over = x >= 0 && y >= 0 && x < chkToolTip.Width() && y < chkToolTip.Height();
  if (over && chkToolTip.Value() != vbUnchecked) {
    MsgBox("You must restart Korvalo to enable Tooltip help.", vbOKOnly);
  }
}

void FrmSetting::DigitsOnly(int& keyAscii, bool pointToo) {
  const bool keep = (keyAscii >= '0' && keyAscii <= '9') || keyAscii == vbKeyBack || (pointToo && keyAscii == '.');
  if (!keep) keyAscii = 0;
  // A refused key counts as a change as well.
  EnableApply();
}

}  // namespace korvalo::options

#include "editor/frm_editor.h"

#include <string>

#include "common/edition.h"
#include "common/numbers.h"
#include "editor/grid_layout.h"

// The editor window: construction, the design of its controls and menus, and
// the wiring of their events. The load, the rows, the computation and the
// menus' handlers live in the frm_editor_*.cpp files beside this one.
namespace korvalo::editor {

using namespace forms;

namespace {

constexpr const char* kCourseTip = "Double click to Grab data from AutoCAD, single click to type";
constexpr Colour kResultBack = 0x00E0E0E0;
constexpr Colour kCourseLabelColour = 0x00FF0000;
constexpr int kDesignHeight = 8160;
constexpr int kPictureSide = 2655;

std::string Digits(int n) { return std::to_string(n); }

void SetupCourseLabel(Label& label, const std::string& caption, int left, int top) {
  label.SetCaption(caption);
  label.Move(left, top, 195, 255);
  Font font;
  font.size = 9.75;
  label.SetFont(font);
  label.SetForeColor(kCourseLabelColour);
}

void SetupCourseBox(TextBox& box, int left, int top, int width) {
  box.Move(left, top, width, 285);
  box.SetToolTipText(kCourseTip);
}

}  // namespace

FrmEditor::FrmEditor(int courseLimit)
    : Form("frmEditor"),
      CurrentRow(courseLimit),
      frameOptmodel(*this, "frameOptmodel"),
      optmodel(frameOptmodel, "optmodel", "&Grab model"),
      Label3(*this, "Label3", "Previous:"),
      txtPrevious(*this, "txtPrevious"),
      cmdZoom(*this, "cmdZoom", "Zoom ->"),
      picParcel(*this, "picParcel"),
      lblLineNo(picParcel, "lblLineNo", "1"),
      Frame1(*this, "Frame1"),
      lblParcel(Frame1, "lblParcel", "Parcel:"),
      cbxParcel(Frame1, "cbxParcel"),
      txtParcel(Frame1, "txtParcel"),
      cmdPrevious(Frame1, "cmdPrevious", "&<"),
      cmdNext(Frame1, "cmdNext", "&>"),
      cmdEdit(Frame1, "cmdEdit", "&Edit"),
      cmdInsert(Frame1, "cmdInsert", "&New"),
      cmdAutoInverse(Frame1, "cmdAutoInverse", "&Auto"),
      cmdSave(Frame1, "cmdSave", "&Save"),
      cmdDelete(Frame1, "cmdDelete", "&Delete"),
      cmdCancel(Frame1, "cmdCancel", "&Cancel"),
      txtCover(Frame1, "txtCover"),
      Frame3(*this, "Frame3"),
      lblClosureLabel(Frame3, "lblClosureLabel", "Closure:"),
      Label5(Frame3, "Label5", "Area:"),
      lblBearing(Frame3, "lblBearing", "Bearing:"),
      Label7(Frame3, "Label7", "Precision:"),
      lblClosure(Frame3, "lblClosure", "0"),
      lblArea(Frame3, "lblArea", "0"),
      lblDirection(Frame3, "lblDirection", "0"),
      lblPrecision(Frame3, "lblPrecision", "0"),
      Frame4(*this, "Frame4"),
      frameBase(*this, "frameBase"),
      cmdNo(frameBase, "cmdNo", " 1"),
      frameLine(frameBase, "frameLine"),
      frameArc(frameBase, "frameArc"),
      VScroll1(frameBase, "VScroll1"),
      lblB(frameLine(0), "lblB", "B"),
      txtBearingLine(frameLine(0), "txtBearingLine"),
      lblD(frameLine(0), "lblD", "D"),
      txtDistanceLine(frameLine(0), "txtDistanceLine"),
      cmdLineInvert(frameLine(0), "cmdLineInvert", "N<-->S"),
      lblArcB(frameArc(0), "lblArcB", "B"),
      txtBearingArc(frameArc(0), "txtBearingArc"),
      lblA(frameArc(0), "lblA", "A"),
      txtArc(frameArc(0), "txtArc"),
      lblC(frameArc(0), "lblC", "C"),
      txtChord(frameArc(0), "txtChord"),
      lblR(frameArc(0), "lblR", "R"),
      txtRadius(frameArc(0), "txtRadius"),
      chksign(frameArc(0), "chksign", "+"),
      cmdArcInvert(frameArc(0), "cmdArcInvert", "N<-->S"),
      mnuFile(*this, "mnuFile", "&File"),
      mnuNew(mnuFile, "mnuNew", "&New"),
      mnuOpen(mnuFile, "mnuOpen", "&Open"),
      mnuDividFile1(mnuFile, "mnuDividFile1", "-"),
      mnuCADLink(mnuFile, "mnuCADLink", "Auto CAD link"),
      mnuRelocateCAD(mnuCADLink, "mnuRelocateCAD", "&Relocate CAD file"),
      mnuCurrentCAD(mnuCADLink, "mnuCurrentCAD", "Current CAD file path"),
      mnuDividFIle2(mnuFile, "mnuDividFIle2", "-"),
      mnuHistory(mnuFile, "mnuHistory", "No recent projects"),
      mnuDividFile3(mnuFile, "mnuDividFile3", "-"),
      mnuExit(mnuFile, "mnuExit", "E&xit"),
      mnuEdit(*this, "mnuEdit", "&Edit"),
      mnuSaveParcel(mnuEdit, "mnuSaveParcel", "&Save parcel"),
      mnuCancelParcel(mnuEdit, "mnuCancelParcel", "&Cancel parcel"),
      mnuEditMode(mnuEdit, "mnuEditMode", "Edit mode"),
      mnuDeleteParcel(mnuEdit, "mnuDeleteParcel", "&Delete parcel"),
      mnuInsertParcel(mnuEdit, "mnuInsertParcel", "&Insert parcel"),
      mnuDividEdit1(mnuEdit, "mnuDividEdit1", "-"),
      mnuDeleteCourse(mnuEdit, "mnuDeleteCourse", "Delete course"),
      mnuInsertBefore(mnuEdit, "mnuInsertBefore", "Insert before"),
      mnuInsertAfter(mnuEdit, "mnuInsertAfter", "Insert after"),
      mnuFlipBearing(mnuEdit, "mnuFlipBearing", "Flip bearing"),
      mnuDivieEdit2(mnuEdit, "mnuDivieEdit2", "-"),
      mnuChangeLineCurve(mnuEdit, "mnuChangeLineCurve", "Change to curve"),
      mnuDivideEdit3(mnuEdit, "mnuDivideEdit3", "-"),
      mnuNorthing(mnuEdit, "mnuNorthing", "Restore all to North"),
      mnuView(*this, "mnuView", "&View"),
      mnuSizePicture(mnuView, "mnuSizePicture", "Full picture"),
      mnuMiniWin(mnuView, "mnuMiniWin", "Minimize window"),
      mnuRefresh(mnuView, "mnuRefresh", "Refresh"),
      mnuOptions(*this, "mnuOptions", "O&ptions"),
      mnuSetting(mnuOptions, "mnuSetting", "Project options"),
      mnuVerfyCurves(mnuOptions, "mnuVerfyCurves", "Verify area in curves"),
      mnuAutoInvert(mnuOptions, "mnuAutoInvert", "Auto invert"),
      mnuVerfyTangent(mnuOptions, "mnuVerfyTangent", "Verify tangential curves"),
      mnuMiniWindow(mnuOptions, "mnuMiniWindow", "Minimize during grab"),
      mnuReport(*this, "mnuReport", "&Report"),
      mnuFullReport(mnuReport, "mnuFullReport", "Full report"),
      mnuSumReport(mnuReport, "mnuSumReport", "Summary report"),
      mnuPicReport(mnuReport, "mnuPicReport", "Picture report"),
      mnuHelpMain(*this, "mnuHelpMain", "&Help"),
      mnuHelp(mnuHelpMain, "mnuHelp", "Help"),
      mnuVideos(mnuHelpMain, "mnuVideos", "&Training videos"),
      mnuVideoQuick(mnuVideos, "mnuVideoQuick", "&Quick start video"),
      mnuVideoConfg(mnuVideos, "mnuVideoConfg", "Configuration video"),
      mnuAbout(mnuHelpMain, "mnuAbout", "About Korvalo"),
      mnuFAQ(mnuHelpMain, "mnuFAQ", "FAQ online"),
      mnuSupport(mnuHelpMain, "mnuSupport", "Email support"),
      mnuComment(mnuHelpMain, "mnuComment", "Email comments"),
      mnuWebsite(mnuHelpMain, "mnuWebsite", "Korvalo website"),
      mnuPopup(*this, "mnuPopup", ""),
      mnuPopEdit(mnuPopup, "mnuPopEdit", "Edit"),
      mnuPopDelete(mnuPopup, "mnuPopDelete", "Delete"),
      mnuPopInsertBefore(mnuPopup, "mnuPopInsertBefore", "Insert before"),
      mnuPopInsertAfter(mnuPopup, "mnuPopInsertAfter", "Insert After"),
      mnuPopDivide1(mnuPopup, "mnuPopDivide1", "-"),
      mnuPopChangeLineCurve(mnuPopup, "mnuPopChangeLineCurve", "Change to line"),
      mnuPopDivide2(mnuPopup, "mnuPopDivide2", "-"),
      mnuPopFlipBearing(mnuPopup, "mnuPopFlipBearing", "Flip bearing"),
      courseLimit_(courseLimit) {
  popupRow_ = courseLimit_;
  DesignControls();
  DesignRowZero();
  DesignMenus();
  WireEvents();
}

FrmEditor::~FrmEditor() = default;

// ---------------------------------------------------------------------------
// The window's design.

void FrmEditor::DesignControls() {
  SetCaption("Korvalo");
  Move(0, 0, kEditorWidth, kDesignHeight);

  frameOptmodel.Move(120, 60, 2655, 255);
  frameOptmodel.SetBorderStyle(0);
  optmodel(0).Move(120, 0, 1215, 255);
  optmodel(0).SetToolTipText("Work WITH an active AutoCAD link to enable data exchange.");
  optmodel(0).SetEnabled(false);
  OptionButton& review = optmodel.Load(1);
  review.SetCaption("&Review model");
  review.Move(1320, 0, 1335, 255);
  review.SetToolTipText("Review work WITHOUT and AutoCAD link.");
  review.SetEnabled(false);
  review.SetVisible(true);
  review.SetValue(true);

  Label3.Move(120, 360, 660, 255);
  txtPrevious.Move(840, 360, 1935, 285);
  txtPrevious.SetBackColor(vbMenuBar);
  // It only shows the parcel saved last: the user reads it, never types in
  // it, and the Tab key passes it by.
  txtPrevious.SetLocked(true);
  txtPrevious.SetTabStop(false);
  cmdZoom.Move(2880, 360, 975, 285);
  cmdZoom.SetToolTipText("Magnify the picture to fit the entire window.");

  picParcel.Move(3960, 0, kPictureSide, kPictureSide);
  picParcel.SetToolTipText("Double click to zoom");
  picParcel.SetTabStop(false);  // not among the window's tab stops
  picParcel.SetBackColor(vbWindowBackground);
  picParcel.SetForeColor(vbBlack);
  // Course numbers 1 to 10 are part of the design; the load adds the rest.
  lblLineNo(0).Move(0, 0, 135, 180);
  lblLineNo(0).SetBackStyle(0);
  lblLineNo(0).SetVisible(false);
  for (int k = 1; k < 10; ++k) {
    Label& label = lblLineNo.Load(k);
    label.SetCaption(Digits(k + 1));
    if (k == 9) label.SetWidth(180);
  }

  Frame1.Move(120, 600, 3855, 1335);
  Frame1.SetEnabled(false);
  lblParcel.Move(120, 240, 555, 255);
  cbxParcel.Move(720, 200, 2220, 315);
  cbxParcel.SetToolTipText(kCourseTip);
  txtParcel.Move(720, 200, 1980, 315);
  txtParcel.SetText("Region");
  cmdPrevious.Move(3120, 200, 330, 315);
  cmdNext.Move(3480, 200, 330, 315);
  struct ParcelButton {
    CommandButton& button;
    int left;
    int top;
    const char* tip;
  };
  const ParcelButton buttons[] = {
      {cmdEdit, 120, 600, "Unlock the fields of this parcel so they can be modified"},
      {cmdInsert, 1440, 600, "create a new parcel"},
      {cmdAutoInverse, 2760, 600,
       "Automatically invert appropriate bearing to obtain the best possible closure"},
      {cmdSave, 120, 960, "Save the current Parcel and all it's courses"},
      {cmdDelete, 1440, 960, "Remove this parcel from the database"},
      {cmdCancel, 2760, 960, "Undo changes since last save"},
  };
  for (const ParcelButton& b : buttons) {
    b.button.Move(b.left, b.top, 975, 300);
    b.button.SetToolTipText(b.tip);
    b.button.SetEnabled(false);
  }
  txtCover.Move(2640, 140, 1150, 375);
  txtCover.SetBackColor(vbButtonFace);
  txtCover.SetVisible(false);

  Frame3.Move(120, 1800, 3855, 855);
  Frame3.SetEnabled(false);
  lblClosureLabel.Move(120, 180, 600, 255);
  Label5.Move(2160, 180, 450, 255);
  lblBearing.Move(120, 480, 600, 255);
  Label7.Move(1920, 480, 705, 255);
  for (Label* result : {&lblClosure, &lblArea, &lblDirection, &lblPrecision}) {
    result->SetBackColor(kResultBack);
  }
  lblClosure.Move(720, 180, 1095, 255);
  lblArea.Move(2640, 180, 1095, 255);
  lblDirection.Move(720, 480, 1095, 255);
  lblPrecision.Move(2640, 480, 1095, 255);
  // The results frame starts under the last row of parcel buttons: their
  // frame goes in front, so the buttons show whole over the results frame's
  // empty top strip.
  Frame1.ZOrder(0);
  // Likewise the "Previous:" box and the Zoom button reach 3 pixels into the
  // parcel frame's empty top strip: they go in front of it.
  txtPrevious.ZOrder(0);
  cmdZoom.ZOrder(0);

  Frame4.Move(120, 600, 3855, 1335);
  Frame4.SetVisible(false);

  frameBase.Move(120, 2640, 6495, 1095);
  frameBase.SetEnabled(false);
  VScroll1.Move(6120, 0, 375, 1095);

  // Design tab order of the top-level stops; the course rows follow frameBase.
  Control* const tabOrder[] = {&cmdZoom,  &cbxParcel,      &txtParcel, &cmdPrevious,
                               &cmdNext,  &cmdEdit,        &cmdInsert, &cmdAutoInverse,
                               &cmdSave,  &cmdDelete,      &cmdCancel, &frameBase};
  int position = 0;
  for (Control* stop : tabOrder) stop->SetTabIndex(position++);
}

void FrmEditor::DesignRowZero() {
  CommandButton& number = cmdNo(0);
  number.Move(0, kRowButtonDrop, 340, 285);
  number.SetStyle(vbButtonGraphical);
  number.SetToolTipText("Menu button - click for course editing menu");

  frameLine(0).Move(360, 0, 5775, kLineRowHeight);
  frameArc(0).Move(360, 0, 5775, kArcRowHeight);
  frameArc(0).SetVisible(false);

  SetupCourseLabel(lblB(0), "B", 120, 100);
  SetupCourseBox(txtBearingLine(0), 360, 100, 1455);
  SetupCourseLabel(lblD(0), "D", 2520, 100);
  SetupCourseBox(txtDistanceLine(0), 2760, 100, 1455);
  cmdLineInvert(0).Move(4680, 100, 735, 255);
  cmdLineInvert(0).SetToolTipText("Invert the bearing");

  SetupCourseLabel(lblArcB(0), "B", 120, 120);
  SetupCourseBox(txtBearingArc(0), 360, 120, 1440);
  SetupCourseLabel(lblA(0), "A", 1920, 120);
  SetupCourseBox(txtArc(0), 2160, 120, 1455);
  SetupCourseLabel(lblC(0), "C", 3720, 120);
  SetupCourseBox(txtChord(0), 3960, 120, 1455);
  SetupCourseLabel(lblR(0), "R", 120, 450);
  SetupCourseBox(txtRadius(0), 360, 460, 1455);
  chksign(0).Move(2400, 480, 615, 255);
  chksign(0).SetToolTipText("ARC area is to be added to the overall parcel area");
  CheckBox& minus = chksign.Load(1);
  minus.SetCaption("-");
  minus.SetLeft(3240);
  minus.SetToolTipText("ARC area is to be subtracted to the overall parcel area");
  minus.SetVisible(true);
  cmdArcInvert(0).Move(4680, 480, 735, 280);
  cmdArcInvert(0).SetToolTipText("Invert the bearing");
}

void FrmEditor::DesignMenus() {
  mnuRelocateCAD.SetEnabled(false);
  mnuPopup.SetVisible(false);
  if (CurrentEdition() == Edition::R14) {
    mnuVideoQuick.SetCaption("&Quick video");
    mnuVideoConfg.SetCaption("Configuation video");
  }
}

void FrmEditor::WireEvents() {
  OnLoad = [this] { Form_Load(); };
  OnResize = [this] { Form_Resize(); };
  VScroll1.OnChange = [this](int) { VScroll1_Change(); };
  VScroll1.OnGotFocus = [this](int) { VScroll1_GotFocus(); };
  VScroll1.OnLostFocus = [this](int) {
    if (policy_) policy_->ScrollBarFocus(*this, false);
  };
  // While the thumb is dragged the rows stay; they move when it is released.
  VScroll1.OnScroll = [](int) {};

  WireRowRules();
  WireParcelCommands();

  mnuVerfyCurves.OnClick = [this](int) { mnuVerfyCurves_Click(); };
  mnuAutoInvert.OnClick = [this](int) { mnuAutoInvert_Click(); };
  mnuVerfyTangent.OnClick = [this](int) { mnuVerfyTangent_Click(); };
  mnuMiniWindow.OnClick = [this](int) { mnuMiniWindow_Click(); };
  WireFileMenus();
  WireEditMenus();
}

}  // namespace korvalo::editor

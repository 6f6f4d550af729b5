#include "editor/frm_editor.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "common/edition.h"
#include "common/numbers.h"
#include "editor/command_line.h"
#include "editor/grid_layout.h"
#include "geometry/drawing.h"
#include "storage/program_state.h"
#include "storage/project_settings.h"
#include "storage/system_db.h"

namespace korvalo::editor {

using namespace forms;

namespace {

constexpr const char* kCourseTip = "Double click to Grab data from AutoCAD, single click to type";
constexpr Colour kResultBack = 0x00E0E0E0;
constexpr Colour kCourseLabelColour = 0x00FF0000;
constexpr int kDesignHeight = 8160;
constexpr int kPictureSide = 2655;

std::string Digits(int n) { return std::to_string(n); }

int WholeTwips(double value) { return static_cast<int>(RoundHalfEven(value, 0)); }

// The picture box's surface as the parcel drawing sees it.
class PictureCanvas : public geometry::ParcelCanvas {
 public:
  explicit PictureCanvas(PictureBox& picture) : picture_(picture), canvas_(picture.Drawing()) {}
  void Clear() override { canvas_.Clear(); }
  void Line(double x1, double y1, double x2, double y2, int colour) override {
    canvas_.Line(x1, y1, x2, y2, static_cast<Colour>(colour));
  }
  void Arc(double cx, double cy, double radius, int colour, double startRad,
           double endRad) override {
    canvas_.Arc(cx, cy, radius, startRad, endRad, static_cast<Colour>(colour));
  }
  void Rectangle(double x1, double y1, double x2, double y2) override {
    canvas_.Rectangle(x1, y1, x2, y2, picture_.ForeColor());
  }

 private:
  PictureBox& picture_;
  Canvas& canvas_;
};

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
  cmdZoom.Move(2880, 360, 975, 285);
  cmdZoom.SetToolTipText("Magnify the picture to fit the entire window.");

  picParcel.Move(3960, 0, kPictureSide, kPictureSide);
  picParcel.SetToolTipText("Double click to zoom");
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
}

void FrmEditor::WireEvents() {
  OnLoad = [this] { Form_Load(); };
  OnResize = [this] { Form_Resize(); };
  VScroll1.OnChange = [this](int) { VScroll1_Change(); };
  VScroll1.OnGotFocus = [this](int) { VScroll1_GotFocus(); };
  // While the thumb is dragged the rows stay; they move when it is released.
  VScroll1.OnScroll = [](int) {};

  // Every change of a course value recomputes the parcel.
  const auto recalculate = [this](int) { CalculateAndDraw(); };
  for (TextBox::Events* box : {static_cast<TextBox::Events*>(&txtBearingLine),
                               static_cast<TextBox::Events*>(&txtDistanceLine),
                               static_cast<TextBox::Events*>(&txtBearingArc),
                               static_cast<TextBox::Events*>(&txtArc),
                               static_cast<TextBox::Events*>(&txtChord),
                               static_cast<TextBox::Events*>(&txtRadius)}) {
    box->OnChange = recalculate;
  }
  chksign.OnClick = recalculate;

  mnuVerfyCurves.OnClick = [this](int) { mnuVerfyCurves_Click(); };
  mnuAutoInvert.OnClick = [this](int) { mnuAutoInvert_Click(); };
  mnuVerfyTangent.OnClick = [this](int) { mnuVerfyTangent_Click(); };
  mnuMiniWindow.OnClick = [this](int) { mnuMiniWindow_Click(); };
}

// ---------------------------------------------------------------------------
// The load: the grid built from row 0, the window shown, the rows placed.

void FrmEditor::Form_Load() {
  // 1. The grid takes the height the picture leaves.
  frameBase.SetHeight(GridHeightFor(Height(), picParcel.Height()));
  VScroll1.SetHeight(frameBase.Height());

  // 2. One line row per small step, two per page.
  VScroll1.SetMax(kScrollFullMax);
  const ScrollSteps steps = ScrollStepsFor(courseLimit_);
  VScroll1.SetSmallChange(steps.smallChange);
  VScroll1.SetLargeChange(steps.largeChange);

  // 3.
  cmdEdit.SetToolTipText("");

  // 4. Line part of rows 1 to CourseLimit - 1.
  for (int k = 1; k < courseLimit_; ++k) {
    CommandButton& number = cmdNo.Load(k);
    number.SetVisible(true);
    number.SetCaption(Digits(k + 1));
    Frame& line = frameLine.Load(k);
    line.SetVisible(true);
    for (Control* c : {static_cast<Control*>(&lblB.Load(k)), static_cast<Control*>(&lblD.Load(k)),
                       static_cast<Control*>(&txtBearingLine.Load(k)),
                       static_cast<Control*>(&txtDistanceLine.Load(k)),
                       static_cast<Control*>(&cmdLineInvert.Load(k))}) {
      c->SetVisible(true);
      c->SetContainer(line);
    }
  }

  // 5. Arc part of rows 1 to CourseLimit - 1.
  for (int k = 1; k < courseLimit_; ++k) {
    Frame& arc = frameArc.Load(k);
    arc.SetVisible(true);
    for (Control* c :
         {static_cast<Control*>(&lblArcB.Load(k)), static_cast<Control*>(&lblA.Load(k)),
          static_cast<Control*>(&lblC.Load(k)), static_cast<Control*>(&lblR.Load(k)),
          static_cast<Control*>(&txtBearingArc.Load(k)), static_cast<Control*>(&txtArc.Load(k)),
          static_cast<Control*>(&txtChord.Load(k)), static_cast<Control*>(&txtRadius.Load(k))}) {
      c->SetVisible(true);
      c->SetContainer(arc);
    }
    for (int e : {2 * k, 2 * k + 1}) {
      CheckBox& sign = chksign.Load(e);
      sign.SetVisible(true);
      sign.SetContainer(arc);
      sign.SetLeft(chksign(e - 2).Left());
    }
    chksign(2 * k + 1).SetCaption(chksign(2 * k - 1).Caption());
    CommandButton& invert = cmdArcInvert.Load(k);
    invert.SetVisible(true);
    invert.SetContainer(arc);
  }

  // Until the first clearing of the grid every row shows both frames; the
  // line frames go in front, so the locked grid reads as rows of lines.
  for (int k = 1; k < courseLimit_; ++k) frameLine(k).ZOrder(0);

  // 6. Course numbers of the preview beyond the ten of the design.
  for (int k = 10; k < courseLimit_; ++k) {
    Label& label = lblLineNo.Load(k);
    label.SetContainer(picParcel);
    label.SetCaption(Digits(k + 1));
    label.SetWidth(180);
  }

  // 7.
  if (startup_.loadRecentProjects) startup_.loadRecentProjects();

  // 8. Shown at the top-left corner of the screen.
  {
    HourglassPointer hourglass;
    Move(0, 0);
    Show();
  }

  // 9.
  ScrollScale = ScrollScaleFor(courseLimit_);

  // 10. Arc frames as if every row were an arc, line frames as if every row
  // were a line, with the scroll bar where it is.
  for (int k = 0; k < courseLimit_; ++k) {
    const LoadRowTops tops = LoadRowTopsFor(k, ScrollScale, VScroll1.Value());
    frameArc(k).SetTop(tops.arcTop);
    frameLine(k).SetTop(tops.lineTop);
    cmdNo(k).SetTop(tops.buttonTop);
  }

  // 11.
  CurrentRow = courseLimit_;
  ManualInvert = false;
  CalcEnabled = true;

  // 12.
  txtParcel.SetVisible(false);
  cbxParcel.SetVisible(true);

  // 13. Nothing is open yet.
  EnableCourseControls(false);
  if (link_) link_->EnableProjectUI(false);

  // 14.
  PictureNormalWidth = picParcel.Width();
  PictureNormalHeight = picParcel.Height();

  // 15. and 16.
  if (Program().FirstRun) AskInitialConfiguration();
  OpenCommandLineProject();
}

void FrmEditor::AskInitialConfiguration() {
  const std::string title = "Initial configuration";
  const int bearing = MsgBox(
      "What unit of angular measurement would you like to be the default?  Yes = Bearing, "
      "No = Azimuth.",
      vbYesNo, title);
  SetDefaultBearingMode(bearing == vbYes);
  const int metric = MsgBox(
      "What unit of linear measurement would you like to be the default?  Yes = Metric, "
      "No = Imperial.",
      vbYesNo, title);
  SetDefaultMetric(metric == vbYes);
}

void FrmEditor::OpenCommandLineProject() {
  const std::optional<std::string> path = CommandLineProject(startup_.commandLine);
  if (!path) return;
  // A file that is not there is ignored without a message, and it does not
  // become the current project: later steps would open it as one.
  std::error_code error;
  if (!std::filesystem::is_regular_file(*path, error)) return;
  Program().ProjectPath = *path;
  if (startup_.openCommandLineProject) startup_.openCommandLineProject();
}

// ---------------------------------------------------------------------------
// Project settings.

void FrmEditor::ShowProjectSettings() {
  const ProjectSettings& project = Program().ProjectSettings;
  mnuVerfyCurves.SetChecked(project.AddAreaCheck);
  mnuAutoInvert.SetChecked(project.AutoInvert);
  mnuVerfyTangent.SetChecked(project.TangentCheck);
  mnuMiniWindow.SetChecked(project.Minimize);
  cmdAutoInverse.SetEnabled(!project.AutoInvert);
  lblBearing.SetCaption(project.Bearing ? "Bearing" : "Azimuth");
}

bool FrmEditor::ReloadProjectSettings() {
  if (!::korvalo::LoadProjectSettings()) return false;
  ShowProjectSettings();
  return true;
}

void FrmEditor::FlipProjectSwitch(Menu& item, ProjectSwitch which) {
  const bool on = !item.Checked();
  item.SetChecked(on);
  // A failed store has told the user; the tick goes back, the setting stays.
  if (!ApplyProjectSwitch(which, on)) item.SetChecked(!on);
}

void FrmEditor::mnuVerfyCurves_Click() {
  FlipProjectSwitch(mnuVerfyCurves, ProjectSwitch::VerifyAreaInCurves);
}

void FrmEditor::mnuAutoInvert_Click() {
  FlipProjectSwitch(mnuAutoInvert, ProjectSwitch::AutoInvert);
  // The Auto button inverts on request: it serves a parcel being edited, and
  // only while the program does not already invert picked courses itself.
  cmdAutoInverse.SetEnabled(!Program().ProjectSettings.AutoInvert && cmdSave.Enabled());
}

void FrmEditor::mnuVerfyTangent_Click() {
  FlipProjectSwitch(mnuVerfyTangent, ProjectSwitch::VerifyTangentialCurves);
}

void FrmEditor::mnuMiniWindow_Click() {
  FlipProjectSwitch(mnuMiniWindow, ProjectSwitch::MinimizeDuringGrab);
}

// ---------------------------------------------------------------------------
// Row scrolling and window size.

void FrmEditor::Form_Resize() {
  // A step the window cannot take (a minimised window, a grid of negative
  // height) ends the handler quietly.
  try {
    const EditorSize size = ConstrainedEditorSize(Height());
    SetWidth(size.width);
    if (Height() != size.height) SetHeight(size.height);
    frameBase.SetHeight(GridHeightFor(Height(), picParcel.Height()));
    VScroll1.SetHeight(frameBase.Height());
  } catch (const RuntimeError&) {
  }
}

std::vector<bool> FrmEditor::LineRows() const {
  std::vector<bool> lines(static_cast<std::size_t>(courseLimit_));
  for (int i = 0; i < courseLimit_; ++i) lines[static_cast<std::size_t>(i)] = frameLine(i).Visible();
  return lines;
}

void FrmEditor::VScroll1_Change() {
  const std::vector<int> tops = ScrolledRowTops(LineRows(), VScroll1.Value(), ScrollScale);
  for (int i = 0; i < courseLimit_; ++i) {
    const int top = tops[static_cast<std::size_t>(i)];
    frameLine(i).SetTop(top);
    frameArc(i).SetTop(top);
    cmdNo(i).SetTop(top + kRowButtonDrop);
  }
}

void FrmEditor::VScroll1_GotFocus() {
  std::vector<bool> enabled(static_cast<std::size_t>(courseLimit_));
  for (int i = 0; i < courseLimit_; ++i) {
    enabled[static_cast<std::size_t>(i)] = frameLine(i).Enabled() || frameArc(i).Enabled();
  }
  VScroll1.SetMax(NarrowedScrollMax(LineRows(), enabled, courseLimit_, false));
}

// ---------------------------------------------------------------------------
// The course model and the computation.

void FrmEditor::EnableCourseControls(bool enabled) {
  for (int k = 0; k < courseLimit_; ++k) {
    txtArc(k).SetEnabled(enabled);
    txtChord(k).SetEnabled(enabled);
    txtRadius(k).SetEnabled(enabled);
    txtBearingArc(k).SetEnabled(enabled);
    txtBearingLine(k).SetEnabled(enabled);
    txtDistanceLine(k).SetEnabled(enabled);
    cmdLineInvert(k).SetEnabled(enabled);
    cmdArcInvert(k).SetEnabled(enabled);
    chksign(2 * k).SetEnabled(enabled);
    chksign(2 * k + 1).SetEnabled(enabled);
  }
}

std::vector<geometry::CourseRow> FrmEditor::CourseRows() const {
  std::vector<geometry::CourseRow> rows(static_cast<std::size_t>(courseLimit_));
  for (int k = 0; k < courseLimit_; ++k) {
    geometry::CourseRow& row = rows[static_cast<std::size_t>(k)];
    if (frameLine(k).Visible()) {
      row.kind = geometry::CourseKind::Line;
      row.direction = txtBearingLine(k).Text();
      row.distance = txtDistanceLine(k).Text();
    } else {
      row.kind = geometry::CourseKind::Arc;
      row.direction = txtBearingArc(k).Text();
      row.distance = txtChord(k).Text();
    }
    row.arcLength = txtArc(k).Text();
    row.radius = txtRadius(k).Text();
    row.plusBox = chksign(2 * k).Value();
    row.minusBox = chksign(2 * k + 1).Value();
  }
  return rows;
}

geometry::TraverseSettings FrmEditor::CurrentTraverseSettings() const {
  const ProjectSettings& project = Program().ProjectSettings;
  geometry::TraverseSettings settings;
  settings.direction.bearing = project.Bearing;
  settings.direction.degreeSymbol = project.DegreeSymbol;
  settings.errDecimal = project.ErrDecimal;
  settings.closureTolerance = project.ClosureTolerance;
  settings.edition = CurrentEdition();
  settings.courseLimit = courseLimit_;
  return settings;
}

void FrmEditor::CalculateAndDraw() {
  if (!CalcEnabled) return;
  cmdZoom.SetEnabled(true);
  // The rows are read once for the drawing and the figures.
  const std::vector<geometry::CourseRow> rows = CourseRows();
  const geometry::TraverseSettings settings = CurrentTraverseSettings();
  DrawRows(rows, settings);

  const geometry::ClosureResult result = geometry::ComputeClosure(rows, settings);
  Result.LastRow = result.lastRow;
  if (!result.HasCourses()) {
    // The total distance and the closure colour stay as they were.
    Result.Area = 0.0;
    Result.Closure = 0.0;
    Result.ClosureBearing.clear();
    Result.PrecisionRatio = 0.0;
    lblArea.SetCaption("0");
    lblClosure.SetCaption("0");
    lblDirection.SetCaption("");
    lblPrecision.SetCaption("");
    return;
  }
  // Survey coordinates again: the drawing left picture coordinates.
  Coord = result.coord;
  Result.Area = result.area;
  Result.Closure = result.closure;
  Result.ClosureBearing = result.closureBearing;
  if (result.totalDistance) Result.TotalDistance = *result.totalDistance;
  Result.PrecisionRatio = result.precisionRatio;
  lblArea.SetCaption(result.areaText);
  lblClosure.SetCaption(result.closureText);
  lblDirection.SetCaption(result.directionText);
  lblPrecision.SetCaption(result.precisionText);
  if (result.closureColour) lblClosure.SetForeColor(static_cast<Colour>(*result.closureColour));
}

void FrmEditor::Drawing() { DrawRows(CourseRows(), CurrentTraverseSettings()); }

void FrmEditor::DrawRows(const std::vector<geometry::CourseRow>& rows,
                         const geometry::TraverseSettings& settings) {
  PictureCanvas canvas(picParcel);
  const geometry::DrawingResult drawn =
      geometry::DrawParcel(rows, settings, picParcel.Width(), picParcel.Height(), canvas);
  Result.LastRow = drawn.lastRow;
  if (drawn.coord) Coord = *drawn.coord;
  if (drawn.totalDistance) Result.TotalDistance = *drawn.totalDistance;
  PlaceLabels(drawn.labels);
}

void FrmEditor::PlaceLabels(const std::vector<geometry::CourseLabel>& labels) {
  for (int k = 0; k < courseLimit_; ++k) {
    Label& label = lblLineNo(k);
    const std::size_t i = static_cast<std::size_t>(k);
    if (i < labels.size() && labels[i].visible) {
      label.Move(WholeTwips(labels[i].left), WholeTwips(labels[i].top));
      label.SetVisible(true);
    } else {
      label.SetVisible(false);
    }
  }
}

// ---------------------------------------------------------------------------

std::string CourseLimitNoticeText() {
  // The linked edition's capacity: only its grab steps reach the notice.
  return "This version limit is " + Digits(CourseLimitFor(Edition::A2004)) + " courses.";
}

void CourseLimitNotice(std::deque<std::string>& pickedTexts) {
  const std::size_t n = pickedTexts.size();
  if (n > 0) MsgBox(CourseLimitNoticeText(), vbOKOnly);
  for (std::size_t i = 0; i < n; ++i) pickedTexts.pop_front();
}

}  // namespace korvalo::editor

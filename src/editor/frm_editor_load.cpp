#include <filesystem>
#include <string>
#include <system_error>

#include "common/edition.h"
#include "editor/command_line.h"
#include "editor/frm_editor.h"
#include "editor/grid_layout.h"
#include "storage/program_state.h"
#include "storage/system_db.h"

// The editor window: its load (the grid built from row 0, the window shown,
// the rows placed), the start-up questions and the window's size.
namespace korvalo::editor {

using namespace forms;

namespace {

std::string Digits(int n) { return std::to_string(n); }

}  // namespace

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
  if (startup_.loadRecentProjects) {
    startup_.loadRecentProjects();
  } else {
    LoadRecentProjects();
  }

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
  // The R14 build sets the automation boxes' texts once, here; the others at
  // every activation.
  if (CurrentEdition() == Edition::R14) SetAutomationBoxTexts();

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
  if (policy_) {
    policy_->FinishLoad(*this);
    return;
  }
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
  if (startup_.openCommandLineProject) {
    Program().ProjectPath = *path;
    startup_.openCommandLineProject();
    return;
  }
  OpenProjectFromCommandLine(*path);
}

// ---------------------------------------------------------------------------
// Row scrolling and window size.

void FrmEditor::Form_Resize() {
  if (policy_) {
    policy_->Resize(*this);
    return;
  }
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

}  // namespace korvalo::editor

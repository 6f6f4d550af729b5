#include "standalone/standalone_editor.h"

#include "editor/recent_menu.h"

#include <filesystem>
#include <system_error>

#include "editor/command_line.h"
#include "editor/grid_layout.h"
#include "editor/project_events.h"
#include "editor/tooltips.h"
#include "platform/dao/dao.h"
#include "standalone/editor_layout.h"
#include "standalone/frm_main.h"
#include "standalone/standalone_state.h"
#include "storage/program_state.h"
#include "storage/project_open.h"
#include "storage/recent_projects.h"
#include "storage/system_db.h"
#include "storage/viewer_settings.h"

namespace korvalo::standalone {

using namespace forms;

namespace {

constexpr const char* kRecentListFailed =
    "The project is open, but the list of recent projects could not be read. The File menu may "
    "not show it.";

}  // namespace

StandaloneEditor::StandaloneEditor(editor::FrmEditor& editor, FrmMain& main, ViewerLink& viewer)
    : CurrentRow(editor.CurrentRow), editor_(editor), main_(main), viewer_(viewer) {
  editor::ApplyEditionDescriptor(editor_, StandaloneEditorLayout());
  editor_.SetCaption(kEditorCaption);
  editor_.SetEditionPolicy(this);
  // Picks in the drawing window fill the box this editor's focus record names.
  viewer_.FollowEditor(this);
  // The floating editor has no activation steps of its own: the frame's
  // activation switch keeps it on top.
  editor_.OnActivate = nullptr;
  WireRowMenu();
  WirePanEnd(true);
  // The exit question, shared with the frame: once answered Yes, neither
  // window asks again.
  editor_.OnQueryUnload = [this](int& cancel, int) {
    StandaloneState& state = Standalone();
    if (state.ExitConfirmed) return;
    // A parcel being edited is offered for saving before the program ends.
    if (MsgBox("Exit Korvalo?", vbYesNo, "Korvalo") == vbYes && editor_.OfferSaveBeforeClosing()) {
      state.ExitConfirmed = true;
    } else {
      cancel = 1;
    }
  };
  // The frame goes first, then every other window, and the program ends.
  editor_.OnUnload = [this](int&) {
    main_.Unload();
    editor_.Form_Unload();
  };
}

StandaloneEditor::~StandaloneEditor() {
  WirePanEnd(false);
  viewer_.FollowEditor(nullptr);
  editor_.SetEditionPolicy(nullptr);
}

void StandaloneEditor::WirePanEnd(bool on) {
  // A pan of the drawing ends when the pointer passes over the editor: its
  // own area, the two button frames, the grid's frame or the picture.
  if (on) {
    editor_.OnMouseMove = [this](int, int, double, double) { viewer_.EndViewerPan(); };
  } else {
    editor_.OnMouseMove = nullptr;
  }
  for (ControlEvents* area : {static_cast<ControlEvents*>(&editor_.Frame1), static_cast<ControlEvents*>(&editor_.Frame3),
                              static_cast<ControlEvents*>(&editor_.frameBase),
                              static_cast<ControlEvents*>(&editor_.picParcel)}) {
    if (on) {
      area->OnMouseMove = [this](int, int, int, double, double) { viewer_.EndViewerPan(); };
    } else {
      area->OnMouseMove = nullptr;
    }
  }
}

void StandaloneEditor::AskInitialConfiguration() {
  const std::string title = "Initial configuration";
  const int bearing = MsgBox(
      "What unit of angular measurement would you like to be the default? Yes = Bearing, No = Azimuth.",
      vbYesNo, title);
  SetDefaultBearingMode(bearing == vbYes);
  const int metric = MsgBox(
      "What unit of linear measurement would you like to be the default?  yes = Metric, No = Imperial.",
      vbYesNo, title);
  SetDefaultMetric(metric == vbYes);
}

void StandaloneEditor::FinishLoad(editor::FrmEditor& editor) {
  SetHelpFile(Program().ProgramFolder + "/" + "VORAVidi.hlp");
  // The name box and the list are both shown here, and locked until a
  // parcel is edited.
  editor.txtParcel.SetVisible(true);
  editor.cbxParcel.SetVisible(true);
  EnableCourseControls(false);
  // Nothing is open yet: the project's controls and their menu twins off.
  EnableProjectUI(false);
  if (Program().FirstRun) AskInitialConfiguration();
  // The drawing window, maximised in the frame.
  main_.frmView.Show(vbModeless);
  DoEvents();
  main_.frmView.SetWindowState(vbMaximized);
  editor.Move(10, 1340);
  StandaloneState& state = Standalone();
  state.EditorMinHeight = EditorMinHeightFor(ScreenHeightPixels());
  editor.SetHeight(state.EditorMinHeight);
  OpenCommandLineProject(editor.Startup().commandLine);
}

void StandaloneEditor::Resize(editor::FrmEditor& editor) {
  // A step the window cannot take ends the handler quietly; the steps done
  // keep their effect.
  try {
    if (editor.WindowState() == vbNormal) {
      // The width is the grid's; the height at least the least height.
      if (editor.Width() != editor.frameBase.Width()) editor.SetWidth(editor.frameBase.Width());
      if (editor.Height() < Standalone().EditorMinHeight) editor.SetHeight(Standalone().EditorMinHeight);
    }
    const int grid = editor::GridHeightFor(editor.Height(), editor.picParcel.Height());
    if (grid >= 0) {
      editor.frameBase.SetHeight(grid);
      editor.VScroll1.SetHeight(grid);
    }
    if (editor.WindowState() != vbNormal) return;
    if (main_.WindowState() == vbMinimized) {
      // Restored alone from the task bar: the frame comes back too.
      main_.SetWindowState(vbMaximized);
    } else if (!Standalone().GrabbedTokens.empty()) {
      viewer_.FinishViewerGrab();
    }
  } catch (const RuntimeError&) {
  }
}

void StandaloneEditor::OpenCommandLineProject(const std::string& commandLine) {
  const std::optional<std::string> path = editor::CommandLineProject(commandLine);
  if (!path) return;
  std::error_code error;
  if (!std::filesystem::is_regular_file(*path, error)) return;
  ProgramState& program = Program();
  const std::string keptPath = program.ProjectPath;
  const std::string keptDrawing = program.DrawingPath;
  // The drawing path and the settings are read with the file as the
  // current project; when either cannot be read the program goes back to
  // having no project (or the one it had).
  program.ProjectPath = *path;
  bool opened = false;
  try {
    opened = ReadProjectDrawing() && viewer_.LoadProjectSettings();
  } catch (const std::exception&) {
    opened = false;
  }
  if (!opened) {
    program.ProjectPath = keptPath;
    program.DrawingPath = keptDrawing;
    return;
  }
  AddRecentProject(program.ProjectPath);
  viewer_.CheckForeColorMenu(Standalone().ViewerForeColor);
  viewer_.CheckBackColorMenu();
  EnableProjectUI(true);
  Show_Parcels();
  main_.mnuCurrentCAD.SetEnabled(viewer_.LoadDrawing(true) == 0);
  ShowLinkState();
  editor_.ManualInvert = false;
  if (!FillRecentMenu()) MsgBox(kRecentListFailed);
  editor::RaiseProjectEvent(editor::ProjectEvent::Opened);
}

void StandaloneEditor::EnableProjectUI(bool on) {
  for (Control* c : {static_cast<Control*>(&editor_.Frame1), static_cast<Control*>(&editor_.Frame3),
                     static_cast<Control*>(&editor_.Frame4), static_cast<Control*>(&editor_.frameBase),
                     static_cast<Control*>(&editor_.cmdZoom)}) {
    c->SetEnabled(on);
  }
  for (Menu* m : {&main_.mnuEdit, &main_.mnuView, &main_.mnuOptions, &main_.mnuReport, &main_.mnuCurrentCAD,
                  &main_.mnuRelocateCAD}) {
    m->SetEnabled(on);
  }
  editor_.picParcel.SetEnabled(on);
  editor_.cmdZoom.SetEnabled(on);
  main_.mnuSizePicture.SetEnabled(on);
}

void StandaloneEditor::ShowLinkState() {
  editor_.SetTopMost(true);
  main_.mnuRelocateCAD.SetEnabled(true);
  // A project without a drawing keeps the item's own caption, never a
  // blank item.
  const std::string& path = Program().DrawingPath;
  main_.mnuCurrentCAD.SetCaption(path.empty() ? "Current drawing file path" : path);
}

void StandaloneEditor::Show_Parcels() {
  if (Program().ProjectPath.empty()) return;
  ListParcels(false);
}

void StandaloneEditor::ShowParcelsAfterOpen() { ListParcels(true); }

void StandaloneEditor::ListParcels(bool browseButtons) {
  editor_.Parcel_Bound();
  editor_.ClearEditor();
  if (browseButtons) {
    editor_.cmdPrevious.SetEnabled(true);
    editor_.cmdNext.SetEnabled(true);
  }
  if (editor_.cbxParcel.ListCount() == 0) {
    SetEditing(false);
    EnableCourseControls(false);
    editor_.cmdEdit.SetEnabled(false);
    return;
  }
  // The first parcel by name, loaded from the program's side: clearing the
  // grid may have turned the editing state on, which would refuse the
  // user's change of selection.
  editor_.SelectParcelEntry(0);
  editor_.Show_Detail();
  SetEditing(false);
  EnableCourseControls(false);
}

void StandaloneEditor::LoadRecentProjects() {
  const editor::RecentMenuFill fill = editor::FillRecentEntries(main_.mnuHistory, false);
  if (fill.rows == 0 || !fill.complete) main_.mnuHistory(0).SetEnabled(false);
}

bool StandaloneEditor::FillRecentMenu() {
  const editor::RecentMenuFill fill = editor::FillRecentEntries(main_.mnuHistory, true);
  if (!fill.read) return false;
  editor_.SetCaption("Korvalo Editor - " + main_.mnuHistory(0).Caption());
  main_.SetCaption("Korvalo Main - " + main_.mnuHistory(0).Caption());
  return fill.complete && fill.rows >= fill.entriesBefore;
}

// ---------------------------------------------------------------------------

int StandInViewer::LoadDrawing(bool force) {
  static_cast<void>(force);
  return 1;
}

void StandInViewer::CheckForeColorMenu(int code) { Standalone().ViewerForeColor = code; }

void StandInViewer::ClearPickMarks() { editor_.SetTopMost(true); }

void StandInViewer::BeginViewerGrab(editor::GrabField field, int row) {
  static_cast<void>(field);
  static_cast<void>(row);
}

void StandInViewer::FinishViewerGrab() { Standalone().GrabbedTokens.clear(); }

void StandInViewer::PlaceOverview(int left, int top, int which) {
  if (which < 1 || which > 2) return;
  rects_[which - 1] = PixelRect{left, top, left, top};
  editor_.SetTopMost(true);
}

PixelRect StandInViewer::OverviewRect(int which) const {
  if (which < 1 || which > 2) return {};
  return rects_[which - 1];
}

bool StandInViewer::LoadProjectSettings() {
  // The shared settings, the drawing colours and the saved views of one row;
  // a row that cannot be read leaves the open project's values in force.
  if (!LoadStandaloneProjectSettings()) return false;
  const ViewerSettings& v = Viewer();
  Standalone().ViewerForeColor = static_cast<int>(v.ForeColor);
  Standalone().ViewerBackColor = static_cast<forms::Colour>(v.BackColor.red | (v.BackColor.green << 8) |
                                                            (v.BackColor.blue << 16));
  CheckBackColorMenu();
  editor::ClearToolTips();
  editor_.SetCourseTabOrder();
  editor_.ShowDirectionLabel();
  return true;
}

void StandInViewer::AutoInverse() { editor_.AutoInverse(); }

}  // namespace korvalo::standalone

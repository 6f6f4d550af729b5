#include "standalone/frm_main_commands.h"

#include <filesystem>
#include <system_error>

#include "editor/project_events.h"
#include "platform/forms/app_properties.h"
#include "platform/shell/shell.h"
#include "standalone/drawing_link.h"
#include "standalone/frm_main.h"
#include "standalone/standalone_editor.h"
#include "standalone/standalone_state.h"
#include "storage/program_state.h"
#include "storage/project_open.h"
#include "storage/project_settings.h"
#include "storage/recent_projects.h"
#include "storage/viewer_settings.h"
#include "storage/windows/start_windows.h"

namespace korvalo::standalone {

using namespace forms;

// The new-project dialog's ending in this edition: the new project's
// settings with its drawing colours and views, the colour menus, the project
// switches, the drawing in both viewers, the link state; the dialog's close
// readies the editor for the first parcel, and the captions, the recent
// projects and the (empty) parcel list follow.
class MainCommands::CreateHostImpl : public windows::CreateHost {
 public:
  explicit CreateHostImpl(MainCommands& c) : c_(c) {}
  void ProjectClosing() override { editor::RaiseProjectEvent(editor::ProjectEvent::Closing); }
  void ShowHost() override { c_.editor_.Show(); }
  void ProjectCreated() override {
    c_.link_.LoadProjectSettings();
    c_.link_.CheckForeColorMenu(Standalone().ViewerForeColor);
    c_.link_.CheckBackColorMenu();
    // The project switches first: they enable the drawing item, which then
    // tells whether the drawing loaded.
    c_.policy_.EnableProjectUI(true);
    c_.main_.mnuCurrentCAD.SetEnabled(c_.link_.LoadDrawing(true) == 0);
    c_.policy_.ShowLinkState();
  }
  void DialogClosed() override {
    // The first parcel is started as the editor's New starts one: pick marks
    // off, the rows cleared and open, editing, the name box focused.
    c_.policy_.NewParcel(c_.editor_);
  }
  void AfterCreated() override {
    // The captions name the newest project whether or not the list reads.
    c_.ShowCaptions();
    if (!c_.policy_.FillRecentMenu()) MsgBox(kCreatedListUnreadable, vbOKOnly);
    c_.editor_.Parcel_Bound();
    editor::RaiseProjectEvent(editor::ProjectEvent::Opened);
  }

 private:
  MainCommands& c_;
};

MainCommands::~MainCommands() {
  create_.reset();
  createHost_.reset();
}

MainCommands::MainCommands(editor::FrmEditor& editor, FrmMain& main, StandaloneEditor& policy, DrawingLink& link)
    : editor_(editor), main_(main), policy_(policy), link_(link) {
  FrmMain& m = main_;
  m.mnuNew.OnClick = [this](int) { mnuNew_Click(); };
  m.mnuOpen.OnClick = [this](int) { mnuOpen_Click(); };
  m.mnuHistory.OnClick = [this](int i) { mnuHistory_Click(i); };
  m.mnuRelocateCAD.OnClick = [this](int) { mnuRelocateCAD_Click(); };
  m.mnuCurrentCAD.OnClick = [this](int) { mnuCurrentCAD_Click(); };

  m.mnuEdit.OnClick = [this](int) { mnuEdit_Click(); };
  m.mnuSaveParcel.OnClick = [this](int) { editor_.cmdSave_Click(); };
  m.mnuCancelParcel.OnClick = [this](int) { editor_.cmdCancel_Click(); };
  m.mnuDeleteParcel.OnClick = [this](int) { editor_.cmdDelete_Click(); };
  m.mnuEditMode.OnClick = [this](int) {
    // The floating editor's switch: the name box with the courses.
    policy_.EnableCourseControls(true);
    editor_.SetEditing(true);
    link_.ClearPickMarks();
  };
  m.mnuInsertParcel.OnClick = [this](int) { mnuInsertParcel_Click(); };
  m.mnuDeleteCourse.OnClick = [this](int) { mnuDeleteCourse_Click(); };
  m.mnuInsertBefore.OnClick = [this](int) { mnuInsertBefore_Click(); };
  m.mnuInsertAfter.OnClick = [this](int) { mnuInsertAfter_Click(); };
  // The floating editor's flip, which leaves the Auto button as it is.
  m.mnuFlipBearing.OnClick = [this](int) { policy_.FlipBearing(); };
  m.mnuChangeLineCurve.OnClick = [this](int) { mnuChangeLineCurve_Click(); };
  m.mnuNorthing.OnClick = [this](int) { mnuNorthing_Click(); };

  m.mnuView.OnClick = [this](int) { mnuView_Click(); };
  m.mnuSizePicture.OnClick = [this](int) { editor_.mnuSizePicture.PerformClick(); };
  m.mnuMiniWin.OnClick = [this](int) { main_.SetWindowState(vbMinimized); };
  m.mnuRefresh.OnClick = [this](int) {
    editor_.CalcEnabled = true;
    editor_.CalculateAndDraw();
  };

  m.mnuOptions.OnClick = [this](int) { mnuOptions_Click(); };
  m.mnuSetting.OnClick = [this](int) { editor_.mnuSetting.PerformClick(); };
  // The linked editor's switches store the setting; the frame's item shows
  // the editor's tick afterwards.
  struct Twin {
    Menu* frame;
    Menu* editor;
  };
  for (const Twin t : {Twin{&m.mnuVerfyCurves, &editor_.mnuVerfyCurves}, Twin{&m.mnuVerfyTangent, &editor_.mnuVerfyTangent},
                       Twin{&m.mnuMiniWindow, &editor_.mnuMiniWindow}}) {
    t.frame->OnClick = [t](int) {
      t.editor->SetChecked(t.frame->Checked());
      t.editor->PerformClick();
      t.frame->SetChecked(t.editor->Checked());
    };
  }
  m.mnuAutoInvert.OnClick = [this](int) { mnuAutoInvert_Click(); };

  m.mnuReport.OnClick = [this](int) { editor_.mnuReport_Click(); };
  m.mnuFullReport.OnClick = [this](int) { Report(editor_.mnuFullReport); };
  m.mnuSumReport.OnClick = [this](int) { Report(editor_.mnuSumReport); };
  m.mnuPicReport.OnClick = [this](int) { Report(editor_.mnuPicReport); };

  m.mnuHelp.OnClick = [this](int) { mnuHelp_Click(); };
  const auto video = [this](const char* file) {
    editor_.SetWindowState(vbMinimized);
    main_.SetWindowState(vbMinimized);
    shell::ShellOpen(FileBesideProgram(file), shell::SW_SHOWNORMAL);
  };
  m.mnuVideoQuick.OnClick = [video](int) { video(windows::kStandaloneQuickVideo); };
  m.mnuVideoFullTraining.OnClick = [video](int) { video(windows::kStandaloneFullVideo); };
  m.mnuVideoConfg.OnClick = [video](int) { video(windows::kStandaloneConfigurationVideo); };
  const auto web = [this](void (*open)()) {
    main_.SetWindowState(vbMinimized);
    open();
  };
  m.mnuFAQ.OnClick = [web](int) { web(shell::OpenFaqPage); };
  m.mnuSupport.OnClick = [web](int) { web(shell::MailSupport); };
  m.mnuComment.OnClick = [web](int) { web(shell::MailComments); };
  m.mnuWebsite.OnClick = [web](int) { web(shell::OpenHomePage); };
}

bool MainCommands::SaveCheck(const char* message) {
  if (!editor_.Editing()) return true;
  MsgBox(message, vbOKOnly);
  return false;
}

// --- project roads -------------------------------------------------------------

bool MainCommands::TakeProject(const std::string& path) {
  ProgramState& program = Program();
  const std::string keptPath = program.ProjectPath;
  const std::string keptDrawing = program.DrawingPath;
  const ProjectSettings keptSettings = program.ProjectSettings;
  const ViewerSettings keptViewer = Viewer();
  // The file is read as the current project; when its drawing path or its
  // settings cannot be read, the previous project stays in force whole.
  program.ProjectPath = path;
  bool read = false;
  bool failedUntold = false;
  try {
    // Each refuses with its own message.
    read = ReadProjectDrawing() && link_.LoadProjectSettings();
  } catch (const std::exception&) {
    failedUntold = true;
  }
  if (read) return true;
  program.ProjectPath = keptPath;
  program.DrawingPath = keptDrawing;
  program.ProjectSettings = keptSettings;
  Viewer() = keptViewer;
  if (failedUntold) MsgBox(kSettingsUnreadable, vbOKOnly);
  if (!keptPath.empty()) {
    try {
      link_.LoadProjectSettings();
    } catch (const std::exception&) {
    }
  }
  return false;
}

namespace {

// The floating editor goes back on top when a dialog phase ends, also when
// it ends by an error that the forms layer reports.
class TopMostAtEnd {
 public:
  explicit TopMostAtEnd(editor::FrmEditor& editor) : editor_(editor) { editor_.SetTopMost(false); }
  ~TopMostAtEnd() {
    try {
      editor_.SetTopMost(true);
    } catch (...) {
    }
  }
  TopMostAtEnd(const TopMostAtEnd&) = delete;
  TopMostAtEnd& operator=(const TopMostAtEnd&) = delete;

 private:
  editor::FrmEditor& editor_;
};

}  // namespace

void MainCommands::ShowCaptions() {
  // The newest entry names the open project, unless the list could not be
  // read back: then the project's own caption.
  const ProgramState& program = Program();
  const std::string newest =
      program.RecentProjects[0] == program.ProjectPath || program.ProjectPath.empty()
          ? main_.mnuHistory(0).Caption()
          : RecentProjectCaption(program.ProjectPath.substr(0, program.ProjectPath.size() -
                                                                  FileNameOf(program.ProjectPath).size()),
                                 FileNameOf(program.ProjectPath));
  editor_.SetCaption("Korvalo Editor - " + newest);
  main_.SetCaption("Korvalo Main - " + newest);
}

void MainCommands::ShowOpenedProject(bool recentRoad) {
  AddRecentProject(Program().ProjectPath);
  link_.CheckForeColorMenu(Standalone().ViewerForeColor);
  link_.CheckBackColorMenu();
  policy_.EnableProjectUI(true);
  if (recentRoad) policy_.Show_Parcels();
  main_.mnuCurrentCAD.SetEnabled(link_.LoadDrawing(true) == 0);
  if (recentRoad) {
    policy_.ShowLinkState();
    editor_.ManualInvert = false;
    if (!policy_.FillRecentMenu()) MsgBox(kRecentListUnreadable, vbOKOnly);
    ShowCaptions();
  } else {
    if (!policy_.FillRecentMenu()) MsgBox(kRecentListUnreadable, vbOKOnly);
    ShowCaptions();
    policy_.ShowLinkState();
    policy_.ShowParcelsAfterOpen();
  }
  editor::RaiseProjectEvent(editor::ProjectEvent::Opened);
}

void MainCommands::mnuOpen_Click() {
  if (!SaveCheck(kSaveBeforeNewProject)) return;
  const TopMostAtEnd dialogPhase(editor_);
  FileDialogOptions options;
  options.filter = "Korvalo Files (*.kvx)|*.kvx|MS Access Files (*.mdb)|*.mdb|All Files (*.*)|*.*";
  options.flags = 4;
  const std::optional<std::string> chosen = OpenFileName(options);
  std::error_code ec;
  if (!chosen || !std::filesystem::is_regular_file(*chosen, ec) || !TakeProject(*chosen)) return;
  ShowOpenedProject(false);
}

void MainCommands::mnuHistory_Click(int index) {
  if (!SaveCheck(kSaveBeforeOtherProject)) return;
  if (index < 0 || index >= kRecentProjectCount) return;
  const std::string path = Program().RecentProjects[static_cast<std::size_t>(index)];
  if (path.empty() || !TakeProject(path)) return;
  ShowOpenedProject(true);
}

void MainCommands::mnuNew_Click() {
  if (!SaveCheck(kSaveBeforeNewProject)) return;
  editor_.SetTopMost(false);
  if (!createHost_) createHost_ = std::make_unique<CreateHostImpl>(*this);
  // The dialog is built anew for every New unless it is still open.
  if (!create_ || !create_->Loaded()) create_ = std::make_unique<windows::FrmCreate>(*createHost_, editor_.DirLocator());
  create_->Show(vbModeless);
}

// --- the Edit menu -------------------------------------------------------------

void MainCommands::mnuEdit_Click() {
  const int row = editor_.CurrentRow;
  Menu* items[] = {&main_.mnuDeleteCourse, &main_.mnuInsertBefore, &main_.mnuInsertAfter, &main_.mnuFlipBearing,
                   &main_.mnuChangeLineCurve};
  bool on = false;
  if (row >= 0 && row < Program().CourseLimit && editor_.Editing()) {
    on = editor_.frameLine(row).Enabled() || editor_.frameArc(row).Enabled();
    if (on) main_.mnuChangeLineCurve.SetCaption(editor_.frameLine(row).Visible() ? "Change to curve" : "Change to line");
  }
  for (Menu* m : items) m->SetEnabled(on);
  main_.mnuNorthing.SetEnabled(editor_.Editing());
}

void MainCommands::mnuDeleteCourse_Click() {
  if (editor_.CurrentRow >= Program().CourseLimit) return;
  editor_.SetEditing(true);
  editor_.Delete_Proc(editor_.CurrentRow);
}

void MainCommands::mnuInsertBefore_Click() {
  if (editor_.CurrentRow >= Program().CourseLimit) return;
  editor_.Insert_Proc(editor_.CurrentRow);
  editor_.SetEditing(true);
}

void MainCommands::mnuInsertAfter_Click() {
  const int limit = Program().CourseLimit;
  if (editor_.CurrentRow + 1 == limit) {
    MsgBox("The maximum number of courses is " + std::to_string(limit) + ".", vbOKOnly);
  } else if (editor_.CurrentRow < limit - 1) {
    editor_.SetEditing(true);
    editor_.Insert_Proc(editor_.CurrentRow + 1);
  }
}

void MainCommands::mnuChangeLineCurve_Click() {
  if (editor_.CurrentRow >= Program().CourseLimit) return;
  editor_.ToggleLineCurve(editor_.CurrentRow);
  editor_.CalculateAndDraw();
  editor_.SetEditing(true);
}

void MainCommands::mnuInsertParcel_Click() {
  // The twin of the editor's New button: the same command.
  editor_.cmdInsert_Click();
}

void MainCommands::mnuNorthing_Click() {
  // The linked editor's routine; this edition's Auto button stays as it is.
  editor_.RestoreAllToNorth();
}

// --- the drawing file ----------------------------------------------------------

void MainCommands::mnuCurrentCAD_Click() { main_.mnuCurrentCAD.SetEnabled(link_.LoadDrawing(true) == 0); }

void MainCommands::mnuRelocateCAD_Click() {
  const TopMostAtEnd dialogPhase(editor_);
  FileDialogOptions options;
  options.filter = kRelocateDrawingFilter;
  options.flags = 4;
  const std::optional<std::string> chosen = OpenFileName(options);
  std::error_code ec;
  if (chosen && std::filesystem::is_regular_file(*chosen, ec)) {
    ProgramState& program = Program();
    const std::string kept = program.DrawingPath;
    program.DrawingPath = *chosen;
    if (SetProjectSetting(setting::kAutoCADFile, dao::Value(*chosen))) {
      main_.mnuCurrentCAD.SetCaption(program.DrawingPath);
      link_.LoadProjectSettings();
      link_.CheckForeColorMenu(Standalone().ViewerForeColor);
      link_.CheckBackColorMenu();
      if (program.DrawingPath != link_.LoadedDrawingPath) ForgetSavedViewCorners();
      main_.mnuCurrentCAD.SetEnabled(link_.LoadDrawing(true) == 0);
    } else {
      MsgBox(kDrawingSettingFailed, vbOKOnly);
      program.DrawingPath = kept;
    }
  }
}

// --- options, view, reports, help ------------------------------------------------

void MainCommands::mnuOptions_Click() {
  const bool open = !Program().ProjectPath.empty();
  for (Menu* item : {&main_.mnuSetting, &main_.mnuVerfyCurves, &main_.mnuAutoInvert, &main_.mnuVerfyTangent,
                     &main_.mnuMiniWindow}) {
    item->SetEnabled(open);
  }
}

void MainCommands::mnuAutoInvert_Click() {
  Menu& item = main_.mnuAutoInvert;
  item.SetChecked(!item.Checked());
  if (SetProjectSetting(setting::kAutoInvert, dao::Value(item.Checked()))) {
    Program().ProjectSettings.AutoInvert = item.Checked();
  } else {
    item.SetChecked(!item.Checked());
  }
}

void MainCommands::mnuView_Click() {
  main_.mnuSizePicture.SetCaption(editor_.picParcel.Width() != editor_.Width() ? "Full picture"
                                                                                : "Thumbnail picture");
}

void MainCommands::Report(Menu& editorItem) {
  if (!SaveCheck(kSaveBeforeReports)) return;
  editorItem.PerformClick();
}

void MainCommands::mnuHelp_Click() {
  // The help file the editor's load named. Help failures are the desktop's
  // to show.
  try {
    if (!HelpFile().empty()) shell::ShellOpen(HelpFile(), shell::SW_SHOWNORMAL);
  } catch (const std::exception&) {
  }
  main_.SetWindowState(vbMinimized);
}

}  // namespace korvalo::standalone

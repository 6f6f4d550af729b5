#include <exception>
#include <filesystem>
#include <system_error>

#include "common/edition.h"
#include "editor/frm_editor.h"
#include "editor/project_events.h"
#include "editor/recent_menu.h"
#include "platform/dao/dao.h"
#include "platform/shell/shell.h"
#include "storage/program_state.h"
#include "storage/project_open.h"
#include "storage/project_settings.h"
#include "storage/recent_projects.h"
#include "storage/windows/start_windows.h"

// The editor window: the File menu's project roads (recent projects, Open,
// New, the command line), the Options menu's opening and Project options,
// Exit, and the Help menu.
namespace korvalo::editor {

using namespace forms;

namespace {

constexpr const char* kSaveBeforeOpening = "Please save the current parcel before opening another project.";
constexpr const char* kSaveBeforeNew = "Please save the current parcel before opening a new project.";
// The project did open; only the menu of recent projects is behind.
constexpr const char* kRecentMenuFailed =
    "The project is open, but the list of recent projects could not be read. The File menu may "
    "not show it.";

}  // namespace

// What the new-project dialog asks of this window.
class FrmEditor::CreateHostImpl : public windows::CreateHost {
 public:
  explicit CreateHostImpl(FrmEditor& editor) : editor_(editor) {}
  void ProjectClosing() override { RaiseProjectEvent(ProjectEvent::Closing); }
  void ShowHost() override { editor_.Show(); }
  void ProjectCreated() override {
    editor_.ReloadProjectSettings();
    if (editor_.link_) editor_.link_->EnableProjectUI(true);
    // The grab switch runs even when grab mode is already selected: the new
    // drawing is linked and the grid cleared for the first parcel.
    if (editor_.optmodel(0).Value()) {
      if (editor_.optmodel.OnClick) editor_.optmodel.OnClick(0);
    } else {
      editor_.optmodel(0).SetValue(true);
    }
    if (editor_.link_) editor_.link_->ShowLinkState();
  }
  void AfterCreated() override {
    editor_.SetCaption("Korvalo - " + editor_.mnuHistory(0).Caption());
    editor_.txtPrevious.SetText("");
    if (!editor_.FillRecentMenu()) MsgBox(kRecentMenuFailed);
    RaiseProjectEvent(ProjectEvent::Opened);
  }

 private:
  FrmEditor& editor_;
};

void FrmEditor::WireFileMenus() {
  if (CurrentEdition() == Edition::R14) {
    mnuVideoQuick.SetCaption("&Quick video");
    mnuVideoConfg.SetCaption("Configuation video");
  }
  mnuHistory.OnClick = [this](int index) { mnuHistory_Click(index); };
  mnuOpen.OnClick = [this](int) { mnuOpen_Click(); };
  mnuNew.OnClick = [this](int) { mnuNew_Click(); };
  mnuOptions.OnClick = [this](int) { mnuOptions_Click(); };
  mnuExit.OnClick = [this](int) { mnuExit_Click(); };
  mnuHelp.OnClick = [this](int) { mnuHelp_Click(); };
  mnuVideoQuick.OnClick = [this](int) { mnuVideoQuick_Click(); };
  mnuVideoConfg.OnClick = [this](int) { mnuVideoConfg_Click(); };
  mnuAbout.OnClick = [this](int) { mnuAbout_Click(); };
  mnuFAQ.OnClick = [this](int) { mnuFAQ_Click(); };
  mnuSupport.OnClick = [this](int) { mnuSupport_Click(); };
  mnuComment.OnClick = [this](int) { mnuComment_Click(); };
  mnuWebsite.OnClick = [this](int) { mnuWebsite_Click(); };
  // --- CAD link: the two drawing items of File > Auto CAD link -------------
  mnuCurrentCAD.OnClick = [this](int) {
    if (link_) link_->CurrentCadClicked();
  };
  mnuRelocateCAD.OnClick = [this](int) {
    if (link_) link_->RelocateCadClicked();
  };
  // --- end CAD link ---------------------------------------------------------
}

// ---------------------------------------------------------------------------
// The recent-project menu.

void FrmEditor::LoadRecentProjects() {
  const RecentMenuFill fill = FillRecentEntries(mnuHistory, false);
  if (fill.rows == 0 || !fill.complete) mnuHistory(0).SetEnabled(false);
}

bool FrmEditor::FillRecentMenu() {
  const RecentMenuFill fill = FillRecentEntries(mnuHistory, true);
  if (!fill.read) return false;
  SetCaption("Korvalo - " + mnuHistory(0).Caption());
  // Entries are never removed: fewer rows than entries means the list is
  // not what the menu shows.
  return fill.complete && fill.rows >= fill.entriesBefore;
}

// ---------------------------------------------------------------------------
// Opening a project.

bool FrmEditor::TakeProject(const std::string& path, bool upgrade) {
  ProgramState& program = Program();
  if (upgrade && !UpgradeProjectSchema(path)) return false;
  const std::string keptPath = program.ProjectPath;
  const std::string keptDrawing = program.DrawingPath;
  const ProjectSettings keptSettings = program.ProjectSettings;
  program.ProjectPath = path;
  // A project whose settings cannot be read is not opened (the load told
  // why): the previous one stays current with its drawing and settings.
  if (!ReadProjectDrawing() || !::korvalo::LoadProjectSettings()) {
    program.ProjectPath = keptPath;
    program.DrawingPath = keptDrawing;
    program.ProjectSettings = keptSettings;
    return false;
  }
  // Windows showing the previous project let go of it while it is still
  // the current one.
  const std::string drawing = program.DrawingPath;
  const ProjectSettings settings = program.ProjectSettings;
  program.ProjectPath = keptPath;
  program.DrawingPath = keptDrawing;
  program.ProjectSettings = keptSettings;
  RaiseProjectEvent(ProjectEvent::Closing);
  program.ProjectPath = path;
  program.DrawingPath = drawing;
  program.ProjectSettings = settings;
  return true;
}

void FrmEditor::RunReviewHandler() {
  if (optmodel.OnClick) optmodel.OnClick(1);
}

void FrmEditor::ConnectDrawing() {
  const int status = link_ ? link_->ConnectCAD() : 2;
  mnuCurrentCAD.SetEnabled(status == 0);
}

void FrmEditor::ShowOpenedProject(OpenRoad road) {
  AddRecentProject(Program().ProjectPath);
  ShowLoadedSettings();
  if (link_) link_->EnableProjectUI(true);
  if (road == OpenRoad::Open) {
    // The option pair stays as it was; the stored parcels are listed.
    RunReviewHandler();
    ConnectDrawing();
    const bool listed = FillRecentMenu();
    if (!listed) MsgBox(kRecentMenuFailed);
    SetCaption("Korvalo - " + mnuHistory(0).Caption());
    txtPrevious.SetText("");
    if (link_) link_->ShowLinkState();
  } else {
    // Marking the Review option runs its handler when it was not marked;
    // the handler runs once either way (it loads the first parcel).
    const bool reviewMarked = optmodel(1).Value();
    optmodel(1).SetValue(true);
    if (reviewMarked) RunReviewHandler();
    ConnectDrawing();
    if (link_) link_->ShowLinkState();
    ManualInvert = false;
    optmodel(1).SetValue(true);
    if (FillRecentMenu()) {
      txtPrevious.SetText("");
    } else {
      MsgBox(kRecentMenuFailed);
    }
  }
  RaiseProjectEvent(ProjectEvent::Opened);
}

void FrmEditor::OpenProjectFromCommandLine(const std::string& path) {
  if (!TakeProject(path, true)) return;
  ShowOpenedProject(OpenRoad::CommandLine);
}

void FrmEditor::mnuHistory_Click(int index) {
  if (Editing()) {
    MsgBox(kSaveBeforeOpening);
    return;
  }
  if (index < 0 || index >= kRecentProjectCount) return;
  const std::string path = Program().RecentProjects[static_cast<std::size_t>(index)];
  if (!TakeProject(path, true)) return;
  ShowOpenedProject(OpenRoad::Recent);
}

void FrmEditor::mnuOpen_Click() {
  if (Editing()) {
    MsgBox(kSaveBeforeNew);
    return;
  }
  FileDialogOptions options;
  options.filter = "Korvalo Files (*.kvx)|*.kvx|MS Access Files (*.mdb)|*.mdb|All Files (*.*)|*.*";
  options.flags = 4;
  const std::optional<std::string> chosen = OpenFileName(options);
  if (!chosen) return;
  // A name typed for a file that is not there keeps the previous project.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(*chosen, ec)) return;
  if (!TakeProject(*chosen, true)) return;
  ShowOpenedProject(OpenRoad::Open);
}

windows::FrmDirLocate& FrmEditor::DirLocator() {
  if (!dirLocate_) dirLocate_ = std::make_unique<windows::FrmDirLocate>();
  return *dirLocate_;
}

void FrmEditor::mnuNew_Click() {
  if (Editing()) {
    MsgBox(kSaveBeforeNew);
    return;
  }
  SetTopMost(false);
  if (!createHost_) createHost_ = std::make_unique<CreateHostImpl>(*this);
  // The dialog is built anew for every New unless it is still open.
  if (!create_ || !create_->Loaded()) {
    create_ = std::make_unique<windows::FrmCreate>(*createHost_, DirLocator());
  }
  create_->Show(vbModeless);
}

void FrmEditor::mnuOptions_Click() {
  const bool open = !Program().ProjectPath.empty();
  for (Menu* item : {&mnuSetting, &mnuVerfyCurves, &mnuAutoInvert, &mnuVerfyTangent, &mnuMiniWindow}) {
    item->SetEnabled(open);
  }
}

void FrmEditor::mnuExit_Click() { Unload(); }

// ---------------------------------------------------------------------------
// The Help menu.

void FrmEditor::mnuHelp_Click() {
  // The help file beside the program, opened by the desktop's viewer.
  const char* file = CurrentEdition() == Edition::R14 ? "KORVALO HELP.HLP" : "ZIVidi.hlp";
  shell::ShellOpen(FileBesideProgram(file), shell::SW_SHOWNORMAL);
}

void FrmEditor::mnuVideoQuick_Click() {
  SetWindowState(vbMinimized);
  shell::ShellOpen(FileBesideProgram(windows::kQuickVideo), shell::SW_SHOWNORMAL);
}

void FrmEditor::mnuVideoConfg_Click() {
  SetWindowState(vbMinimized);
  shell::ShellOpen(FileBesideProgram(windows::kConfigurationVideo), shell::SW_SHOWNORMAL);
}

void FrmEditor::mnuAbout_Click() {
  windows::FrmAbout about;
  try {
    about.Load();
  } catch (const std::exception& e) {
    ShowUnknownError(ErrorNumberOf(e));
  }
  try {
    about.Show(vbModal);
  } catch (const std::exception& e) {
    ShowUnknownError(ErrorNumberOf(e));
  }
}

void FrmEditor::mnuFAQ_Click() {
  SetWindowState(vbMinimized);
  shell::OpenFaqPage();
}

void FrmEditor::mnuSupport_Click() {
  SetWindowState(vbMinimized);
  shell::MailSupport();
}

void FrmEditor::mnuComment_Click() {
  SetWindowState(vbMinimized);
  shell::MailComments();
}

void FrmEditor::mnuWebsite_Click() {
  SetWindowState(vbMinimized);
  shell::OpenHomePage();
}

}  // namespace korvalo::editor

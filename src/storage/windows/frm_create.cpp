#include <filesystem>
#include <system_error>

#include "common/edition.h"
#include "common/utf8.h"
#include "platform/dao/dao.h"
#include "storage/program_state.h"
#include "storage/project_db.h"
#include "storage/project_open.h"
#include "storage/recent_projects.h"
#include "storage/system_db.h"
#include "storage/windows/center_form.h"
#include "storage/windows/project_windows.h"

// The new-project dialog: collects the name, the folder and the drawing,
// builds the project file and makes it the current project.
namespace korvalo::windows {

using namespace forms;

namespace {

bool Standalone() { return CurrentEdition() == Edition::Standalone; }

// The dialog names a drawing file in the standalone edition and an AutoCAD
// file in the linked one.
std::string DrawingWord() { return Standalone() ? "drawing file" : "AutoCAD file"; }

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec);
}

}  // namespace

FolderChoice& PickedFolder() {
  static FolderChoice choice;
  return choice;
}

FrmCreate::FrmCreate(CreateHost& host, FrmDirLocate& picker)
    : Form("frmCreate"),
      lblName(*this, "lblName", "Project Name:"),
      txtProjectName(*this, "txtProjectName"),
      Label1(*this, "Label1", "Project Location:"),
      txtProjectLocation(*this, "txtProjectLocation"),
      cmdBrowseLoc(*this, "cmdBrowseLoc", "Browse &Project Location"),
      lblACADFile(*this, "lblACADFile", Standalone() ? "Drawing File Associated:" : "AutoCAD File Associated:"),
      txtCADFile(*this, "txtCADFile"),
      cmdBrowseCAD(*this, "cmdBrowseCAD", Standalone() ? "Browse &Drawing File" : "Browse &AutoCAD File"),
      chkAutoName(*this, "chkAutoName", "Auto name project file"),
      cmdCreate(*this, "cmdCreate", "C&reate"),
      cmdCancel(*this, "cmdCancel", "&Cancel"),
      host_(host),
      picker_(picker) {
  SetCaption("Create new project");
  SetBorderStyle(vbFixedDialog);
  Move(0, 0, 7095, 3630);
  lblName.Move(120, 180, 1800, 255);
  txtProjectName.Move(1980, 120, 4800, 315);
  txtProjectName.SetToolTipText("The filename that this project will be saved as.");
  Label1.Move(120, 600, 1800, 255);
  txtProjectLocation.Move(1980, 540, 4800, 315);
  txtProjectLocation.SetToolTipText("The directory location where this project file will be saved.");
  cmdBrowseLoc.Move(1980, 960, 2400, 375);
  lblACADFile.Move(120, 1500, 1800, 255);
  txtCADFile.Move(1980, 1440, 4800, 315);
  txtCADFile.SetToolTipText(
      "The path and filename of the AutoCAD drawing file that this project will link with.");
  cmdBrowseCAD.Move(1980, 1860, 2400, 375);
  chkAutoName.Move(1980, 2340, 2700, 255);
  cmdCreate.Move(4200, 2700, 1215, 375);
  cmdCancel.Move(5520, 2700, 1215, 375);

  OnLoad = [this] { Form_Load(); };
  OnActivate = [this] { Form_Activate(); };
  OnUnload = [this](int&) { Form_Unload(); };
  txtProjectName.OnChange = [this](int) { cmdCreate.SetEnabled(!txtProjectName.Text().empty()); };
  cmdBrowseCAD.OnClick = [this](int) { cmdBrowseCAD_Click(); };
  cmdBrowseLoc.OnClick = [this](int) { cmdBrowseLoc_Click(); };
  cmdCreate.OnClick = [this](int) { cmdCreate_Click(); };
  cmdCancel.OnClick = [this](int) {
    cancelled_ = true;
    Unload();
  };
}

void FrmCreate::Form_Load() {
  chkAutoName.SetValue(LoadAutoName() ? vbChecked : vbUnchecked);
  if (!Standalone()) CenterForm(*this);
}

void FrmCreate::Form_Activate() {
  FolderChoice& choice = PickedFolder();
  if (choice.FolderBrowsed && !choice.ChosenFolder.empty()) {
    txtProjectLocation.SetText(choice.ChosenFolder);
    choice.ChosenFolder.clear();
  }
  cmdCreate.SetEnabled(!txtProjectName.Text().empty());
  if (Standalone()) {
    cancelled_ = true;
    SetTopMost(true);
  }
}

void FrmCreate::Form_Unload() {
  // The standalone dialog stores nothing and leaves the editor alone unless
  // a project was created.
  if (Standalone() && cancelled_) return;
  SaveAutoName(chkAutoName.Value() != vbUnchecked);
  host_.DialogClosed();
}

void FrmCreate::cmdBrowseLoc_Click() {
  picker_.Show(vbModeless);
  PickedFolder().FolderBrowsed = true;
}

void FrmCreate::cmdBrowseCAD_Click() {
  FileDialogOptions options;
  options.filter = kDrawingFileFilter;
  options.flags = 4096;
  const std::optional<std::string> chosen = OpenFileName(options);
  if (!chosen || !IsFile(*chosen)) return;
  txtCADFile.SetText(*chosen);
  if (chkAutoName.Value() == vbChecked && txtProjectName.Text().empty() &&
      txtProjectLocation.Text().empty()) {
    const std::string file = FileNameOf(*chosen);
    txtProjectLocation.SetText(chosen->substr(0, chosen->size() - file.size()));
    const std::size_t dot = file.find('.');
    if (dot != std::string::npos) txtProjectName.SetText(file.substr(0, dot));
  }
}

bool FrmCreate::MakeFolder(const std::string& folder) {
  std::error_code ec;
  return std::filesystem::create_directory(folder, ec) && !ec;
}

void FrmCreate::cmdCreate_Click() {
  cancelled_ = false;
  // The name becomes a file name inside the chosen folder: it must not be
  // able to reach outside it.
  const std::string name = txtProjectName.Text();
  if (const std::string problem = ProjectNameProblem(name); !problem.empty()) {
    MsgBox(problem, vbExclamation);
    if (txtProjectName.CanFocus()) txtProjectName.SetFocus();
    return;
  }

  // 1. The folder, made on request (one level).
  std::string folder = txtProjectLocation.Text();
  bool madeFolder = false;
  if (!folder.empty() && !IsFolder(folder)) {
    const int answer = MsgBox("The directory does not exist. Would you like to create the directory?",
                              vbYesNo + vbCritical + vbDefaultButton2, "Korvalo project settings");
    if (answer != vbYes) {
      if (txtProjectLocation.CanFocus()) txtProjectLocation.SetFocus();
      return;
    }
    if (!MakeFolder(folder)) {
      MsgBox("Directory cannot be created.");
      return;
    }
    madeFolder = true;
  }
  // 2. and 3.
  if (folder.empty()) folder = Program().ProgramFolder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  txtProjectLocation.SetText(folder);

  // 4. to 6. The drawing: none on request, else an existing file whose path
  // has fewer than 256 characters.
  const std::string drawing = txtCADFile.Text();
  if (drawing.empty() &&
      MsgBox("No " + DrawingWord() + " selected. Would you like to continue?", vbYesNo) != vbYes) {
    return;
  }
  if (utf8::Length(drawing) >= 256) {
    MsgBox(std::string("The ") + (Standalone() ? "drawing file" : "AutoCAD file") +
           " name and path must be less than 256 characters.");
    return;
  }
  if (!drawing.empty() && !IsFile(drawing)) {
    MsgBox(std::string("The ") + (Standalone() ? "drawing file" : "AutoCAD file") + " could not be found.");
    if (txtCADFile.CanFocus()) txtCADFile.SetFocus();
    return;
  }

  // 7. The file. Its build is all or nothing.
  try {
    if (!CreateProjectDatabase(folder, name, drawing)) {
      if (txtProjectName.CanFocus()) txtProjectName.SetFocus();
      return;
    }
  } catch (const dao::DaoError& e) {
    // The text names the project's file and the cause.
    MsgBox((madeFolder ? std::string("Directory cannot be created.\n") : std::string()) +
               "The project could not be created: " + e.what(),
           vbExclamation);
    return;
  }

  // 8. and 9. The project becomes current and the newest recent project.
  host_.ProjectClosing();
  Program().ProjectPath = folder + name + kProjectExtension;
  Program().DrawingPath = drawing;
  try {
    AddNewRecentProject(folder, name);
  } catch (const dao::DaoError&) {
    MsgBox("The project was created, but it could not be added to the recent projects.", vbExclamation);
  }

  // 10. to 12.
  host_.ShowHost();
  host_.ProjectCreated();

  // 13.
  txtProjectLocation.SetText("");
  txtProjectName.SetText("");
  txtCADFile.SetText("");
  Unload();

  // 14. and 15.
  host_.AfterCreated();
}

}  // namespace korvalo::windows

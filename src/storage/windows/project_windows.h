#pragma once

#include <string>
#include <vector>

#include "platform/forms/forms.h"

// The new-project dialog and its folder picker. The dialog builds the
// project file, registers it as the newest recent project and hands it to
// the window that shows projects (CreateHost) to make it current. The picker
// is loaded once and then only shown and hidden; the folder it chose reaches
// the dialog at the dialog's next activation.
namespace korvalo::windows {

// The drawing types the new-project window and Relocate offer: DXF, which
// every version reads, among them.
inline constexpr const char* kDrawingFileFilter =
    "AutoCAD Files (*.dwg)|*.dwg|DXF Files (*.dxf)|*.dxf|Micro Station Files (*.dgn)|*.dgn|All Files (*.*)|*.*";

// The folder chosen in the picker (ending in "/"), empty when none is
// pending; and whether the dialog's folder button was ever used.
struct FolderChoice {
  std::string ChosenFolder;
  bool FolderBrowsed = false;
};
FolderChoice& PickedFolder();

// What the dialog asks of the window that shows the projects.
class CreateHost {
 public:
  virtual ~CreateHost() = default;
  // The current project is about to be replaced by the new one.
  virtual void ProjectClosing() = 0;
  // Brings the window back (the dialog's unload, and after a creation).
  virtual void ShowHost() = 0;
  // The dialog is closing and has stored its check box. The window is
  // brought back unless the edition does otherwise (the standalone edition,
  // whose editor a creation has shown already, readies it for the first
  // parcel instead).
  virtual void DialogClosed() { ShowHost(); }
  // The new project is ProjectPath: load its settings, enable the project
  // controls, switch to grab mode and show the link state.
  virtual void ProjectCreated() = 0;
  // After the dialog closed: caption, previous-parcel box and the
  // recent-project menu.
  virtual void AfterCreated() = 0;
};

// "Locate the project path": a drive list (the file-system roots: "/" and
// the user's home) and a folder list. The folder list holds the parent
// ("..") and the sub-folders of the opened folder; choosing one opens it.
// OK takes the opened folder.
class FrmDirLocate : public forms::Form {
 public:
  FrmDirLocate();

  // The folder opened in the folder list.
  const std::string& DirPath() const { return dirPath_; }
  // Opens a folder in the folder list; false when it cannot be read.
  bool OpenFolder(const std::string& folder);

  forms::Label lblDrive;
  forms::ComboBox Drive1;
  forms::Label lblDir;
  forms::ComboBox Dir1;
  forms::CommandButton cmdOK;
  forms::CommandButton cmdCancel;

 private:
  void Form_Load();
  void Drive1_Change();
  void Dir1_Click();
  void cmdOK_Click();
  bool filling_ = false;
  std::string dirPath_;
};

// The drives the picker offers: "/" and the user's home folder.
std::vector<std::string> DriveList();

// "Create new project".
class FrmCreate : public forms::Form {
 public:
  FrmCreate(CreateHost& host, FrmDirLocate& picker);

  forms::Label lblName;
  forms::TextBox txtProjectName;
  forms::Label Label1;
  forms::TextBox txtProjectLocation;
  forms::CommandButton cmdBrowseLoc;
  forms::Label lblACADFile;
  forms::TextBox txtCADFile;
  forms::CommandButton cmdBrowseCAD;
  forms::CheckBox chkAutoName;
  forms::CommandButton cmdCreate;
  forms::CommandButton cmdCancel;

  // The handlers, public for the program's own callers.
  void Form_Activate();
  void cmdCreate_Click();

 private:
  void Form_Load();
  void Form_Unload();
  void cmdBrowseCAD_Click();
  void cmdBrowseLoc_Click();
  bool MakeFolder(const std::string& folder);

  CreateHost& host_;
  // Standalone edition: true from every activation and Cancel until Create
  // starts; the unload then leaves everything alone.
  bool cancelled_ = true;
  FrmDirLocate& picker_;
};

}  // namespace korvalo::windows

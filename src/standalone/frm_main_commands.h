#pragma once

#include <memory>
#include <string>

#include "editor/frm_editor.h"
#include "storage/windows/project_windows.h"

// The frame's commands: the project roads (Open, a recent project, New),
// the Edit menu with its row commands and Restore all to North, the drawing
// file items, the Options and Report items, Help and the videos. Items the
// linked editor's menus also have run the editor's own code.
namespace korvalo::standalone {

class FrmMain;
class StandaloneEditor;
class DrawingLink;

class MainCommands {
 public:
  // Wires the frame's menu items; the windows must outlive this object.
  MainCommands(editor::FrmEditor& editor, FrmMain& main, StandaloneEditor& policy, DrawingLink& link);
  ~MainCommands();
  MainCommands(const MainCommands&) = delete;
  MainCommands& operator=(const MainCommands&) = delete;

  // While a parcel is being edited: the message for the command, and false.
  bool SaveCheck(const char* message);

  void mnuOpen_Click();
  void mnuHistory_Click(int index);
  void mnuNew_Click();
  void mnuEdit_Click();
  void mnuDeleteCourse_Click();
  void mnuInsertBefore_Click();
  void mnuInsertAfter_Click();
  void mnuChangeLineCurve_Click();
  void mnuInsertParcel_Click();
  void mnuNorthing_Click();
  void mnuRelocateCAD_Click();
  void mnuCurrentCAD_Click();
  void mnuAutoInvert_Click();
  void mnuOptions_Click();
  void mnuView_Click();
  void mnuHelp_Click();
  // The new-project dialog while it exists.
  windows::FrmCreate* CreateDialog() const { return create_.get(); }

 private:
  // The steps after a project became current on either road.
  void ShowOpenedProject(bool recentRoad);
  // Both windows' captions name the first recent project.
  void ShowCaptions();
  // Makes the project at `path` current when its drawing path and settings
  // read; otherwise the previous project stays in force. True when opened.
  bool TakeProject(const std::string& path);
  void Report(forms::Menu& editorItem);

  editor::FrmEditor& editor_;
  FrmMain& main_;
  StandaloneEditor& policy_;
  DrawingLink& link_;
  class CreateHostImpl;
  std::unique_ptr<windows::CreateHost> createHost_;
  std::unique_ptr<windows::FrmCreate> create_;
};

// Messages of the frame's commands.
inline constexpr const char* kCreatedListUnreadable =
    "The project was created and is open, but the list of recent projects could not be read. The File "
    "menu may not show it.";
inline constexpr const char* kSaveBeforeNewProject = "Please save the current parcel before opening a new project.";
inline constexpr const char* kSaveBeforeOtherProject =
    "Please save the current parcel before opening another project.";
inline constexpr const char* kSaveBeforeReports = "Please save the current parcel before printing reports.";
inline constexpr const char* kRecentListUnreadable =
    "The project is open, but the list of recent projects could not be read. The File menu may not show it.";
inline constexpr const char* kSettingsUnreadable =
    "The project's settings could not be read. The project was not opened.";
inline constexpr const char* kDrawingSettingFailed = "Error setting drawing file!";
// The drawing types Relocate offers, as the new-project window does.
inline constexpr const char* kRelocateDrawingFilter = windows::kDrawingFileFilter;

}  // namespace korvalo::standalone

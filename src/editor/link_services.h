#pragma once

#include <functional>
#include <string>

// What the editor window asks of its surroundings that other parts of the
// program provide: the AutoCAD link's switches of the project controls, and
// the start-up roads of project storage. The program wires them up; tests
// install their own.
namespace korvalo::editor {

class LinkServices {
 public:
  virtual ~LinkServices() = default;
  // Enables or disables every control that needs an open project.
  virtual void EnableProjectUI(bool enabled) = 0;
  // Shows the linked drawing in the File menu and keeps the editor on top.
  virtual void ShowLinkState() = 0;
};

struct StartupServices {
  // Fills the recent-project menu (the window's load, before it is shown).
  std::function<void()> loadRecentProjects;
  // Opens the project named on the command line once ProjectPath holds it
  // and the file exists: schema upgrade, drawing path, and the open road.
  std::function<void()> openCommandLineProject;
  // The program's command line (arguments after the program name).
  std::string commandLine;
};

}  // namespace korvalo::editor

#pragma once

#include <functional>
#include <string>

// What the editor window asks of its surroundings that other parts of the
// program provide: the AutoCAD link's switches of the project controls and
// its text grabs, and the start-up roads of project storage. The program
// wires them up; tests install their own.
namespace korvalo::editor {

// The course box a grab starts from.
enum class GrabField { LineBearing, Distance, ArcBearing, ArcLength, Chord, Radius };

class LinkServices {
 public:
  virtual ~LinkServices() = default;
  // Enables or disables every control that needs an open project.
  virtual void EnableProjectUI(bool enabled) = 0;
  // Shows the linked drawing in the File menu and keeps the editor on top.
  virtual void ShowLinkState() = 0;
  // A double-click on a course box in grab mode, after the editor has
  // entered its editing state: the user picks texts in the drawing and they
  // are placed from this box of the row on. Nothing until the link exists.
  virtual void GrabCourseField(GrabField field, int row) {
    static_cast<void>(field);
    static_cast<void>(row);
  }
  // The same for the parcel-name box: the picked name, then row 0.
  virtual void GrabParcelName() {}
  // Links to the CAD program for the Grab model: 0 linked to the project's
  // drawing, 1 linked to the fallback drawing, 2 no CAD program reachable,
  // 3 several drawings open (refused). Without a link: 2.
  virtual int ConnectCAD() { return 2; }
  // The CAD program's single-document mode; failures are ignored.
  virtual void SetCADSDI(int value) { static_cast<void>(value); }
  // Lets go of the CAD program's objects (the editor's unload).
  virtual void ReleaseCad() {}
  // File > Auto CAD link: "Current CAD file path" links again; "Relocate CAD
  // file" chooses another drawing for the project and links to it.
  virtual void CurrentCadClicked() {}
  virtual void RelocateCadClicked() {}
};

struct StartupServices {
  // Tests may replace the window's own steps: filling the recent-project
  // menu at load, and opening the project named on the command line (run
  // once ProjectPath holds it and the file exists).
  std::function<void()> loadRecentProjects;
  std::function<void()> openCommandLineProject;
  // The program's command line (arguments after the program name).
  std::string commandLine;
};

}  // namespace korvalo::editor

#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dao/dao.h"
#include "storage/project_settings.h"

// The program-wide variables of project storage and start-up, in one place.
// Other parts of the program read them; storage operations write them.
namespace korvalo {

struct ProgramState {
  // The folder of the program and its system database. Set at start-up from
  // the executable's location; tests point it at a temporary folder.
  std::string ProgramFolder;
  // Full path of the open project file; empty while no project is open.
  std::string ProjectPath;
  // Full path of the drawing linked with the open project.
  std::string DrawingPath;
  ::korvalo::ProjectSettings ProjectSettings;
  // Recently used projects, newest first (menu order).
  std::array<std::string, 10> RecentProjects;
  bool FirstRun = false;
  int CourseLimit = 80;
  // The start-up connection to the system database, held for the run.
  std::optional<dao::Database> SystemDb;
};

ProgramState& Program();
// Back to the state of a program that has just started (tests).
void ResetProgramState();

// The folder of the running executable; start-up sets ProgramFolder to it.
std::string ExecutableFolder();

// A file beside the program: the program folder, a "/" unless the folder
// already ends in one, and the name.
std::string FileBesideProgram(std::string_view name);

}  // namespace korvalo

#pragma once

#include <string>

// The reading steps every project road shares before the project becomes
// current, and the checks of a new project's name.
namespace korvalo {

// Reads the drawing path of the project at ProjectPath into DrawingPath: a
// leading "./" (or ".\") stands for the program folder, and a drawing that
// is not there becomes the program folder's "default.dwg"; an empty path
// (a project without a drawing) stays empty. When the file cannot be opened
// or has no settings row: "Can't open the project: " and the path, result
// false, DrawingPath unchanged.
bool ReadProjectDrawing();

// Brings the schema of the project file at `path` up to date when the file
// exists. Returns false, after saying why, when the file is there but cannot
// be opened or upgraded (not a project file, held by another program,
// read-only); nothing is changed then.
bool UpgradeProjectSchema(const std::string& path);
// The message of a project file that cannot be opened or upgraded.
std::string ProjectUnreadableText(const std::string& path, int errorNumber);

// Why a typed project name cannot be a file name in the chosen folder, or
// an empty text when it can: it must not be empty, "." or "..", nor hold a
// path separator or a control character.
std::string ProjectNameProblem(const std::string& name);

}  // namespace korvalo

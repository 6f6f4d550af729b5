#pragma once

#include <string>

// The reading steps every project road shares before the project becomes
// current, and the checks of a new project's name.
namespace korvalo {

// Reads the drawing path of the project at ProjectPath into DrawingPath: a
// leading "./" (or ".\") stands for the program folder, and a drawing that
// is not there becomes the program folder's "default.dwg"; an empty path
// (a project without a drawing) stays empty. When the file cannot be opened
// or has no settings row: ProjectUnreadableText (which begins "Can't open
// the project: " and the path), result false, DrawingPath unchanged. A
// project of a newer version, or of a database format the engine reads but
// does not write, is read and told (NewerProjectText,
// ReadOnlyFormatProjectText): it is opened for viewing only. A damaged file
// (a damaged page, an index that misses rows of its table) is found here and
// refused with its message.
bool ReadProjectDrawing();

// Brings the schema of the project file at `path` up to date when the file
// exists. Returns false, after saying why, when the file is there but cannot
// be opened or upgraded (not a project file, damaged, held by another
// program); nothing is changed then. A file that cannot be written is left
// as it is and answers true: it opens for viewing.
bool UpgradeProjectSchema(const std::string& path);
// The message of a project file that cannot be opened or upgraded: "Can't
// open the project: ", the path, and on the next line the reason the
// database layer gives (damaged, not allowed to read, in use, ...).
std::string ProjectUnreadableText(const std::string& path, int errorNumber);
// The message of a project that a newer version made (opened for viewing).
std::string NewerProjectText(const std::string& path);
// The message of a project whose file header marks a database format that
// the engine reads but does not write (opened for viewing).
std::string ReadOnlyFormatProjectText(const std::string& path);

// Why a typed project name cannot be a file name in the chosen folder, or
// an empty text when it can: it must not be empty, "." or "..", nor hold a
// path separator or a control character.
std::string ProjectNameProblem(const std::string& name);

}  // namespace korvalo

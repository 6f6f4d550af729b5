#pragma once

#include <string>

#include "platform/dao/dao.h"

// Project files: creation and the schema upgrade of older files.
namespace korvalo {

inline constexpr const char* kProjectExtension = ".kvx";

// Builds the project file folder + name + ".kvx" (the folder ends in its
// separator) with its three tables and its settings row, copied from the
// program defaults of the system database, with the drawing text as the
// linked drawing. Returns false after the message "This project already
// exists!" when a file of that path exists; nothing is touched then. Engine
// and file errors are raised (dao::DaoError). The file is built in one
// transaction under a hidden name in the same folder
// (".<name>.kvx.<pid>.part") and renamed to its own name, without replacing
// anything, when complete: a build that fails or whose process is killed
// leaves no file of the project's name, so the name can be used again; the
// next build of the name removes what a killed build left.
bool CreateProjectDatabase(const std::string& folder, const std::string& name, const std::string& drawingText);

// Brings a project file of an older version up to date. Its creation opens
// ProjectPath (errors reach the creator); procCheckAndUpdate appends the
// field NonTang (Boolean, default False) as the last field of tblMeasurements
// unless it is there already, and gives tblMeasurements our index on
// ParcelID where the file can take it. A file without tblMeasurements is
// left alone.
class clsDBUpdate {
 public:
  clsDBUpdate();
  explicit clsDBUpdate(const std::string& projectPath);
  void procCheckAndUpdate();

 private:
  void AddCoursesIndex();
  bool TableExists(const std::string& table) const;
  bool FieldExists(const std::string& table, const std::string& field) const;
  void AddField(const std::string& table, const std::string& field, dao::FieldType type, const dao::Value& defaultValue);

  dao::Database db_;
};

}  // namespace korvalo

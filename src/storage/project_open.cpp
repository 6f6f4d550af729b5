#include "storage/project_open.h"

#include <filesystem>
#include <system_error>

#include "platform/dao/dao.h"
#include "storage/messages.h"
#include "storage/program_state.h"
#include "storage/project_db.h"
#include "storage/project_settings.h"

namespace korvalo {

bool ReadProjectDrawing() {
  ProgramState& program = Program();
  try {
    dao::OpenOptions options;
    dao::Database db = dao::Database::Open(program.ProjectPath, options);
    std::string stored;
    {
      dao::Recordset rs = db.OpenRecordset("tblSetting");
      rs.MoveFirst();
      const dao::Value value = rs.Get("AutoCADFile");
      if (dao::IsNull(value)) throw dao::DaoError(dao::err::kInvalidUseOfNull, "Invalid use of Null");
      stored = dao::AsText(value);
    }
    db.Close();
    std::string drawing = ResolveDrawingPath(stored, program.ProgramFolder);
    std::error_code ec;
    if (!drawing.empty() && !std::filesystem::exists(drawing, ec)) drawing = FileBesideProgram("default.dwg");
    program.DrawingPath = drawing;
    return true;
  } catch (const dao::DaoError&) {
    Notify("Can't open the project: " + program.ProjectPath);
    return false;
  }
}

std::string ProjectUnreadableText(const std::string& path, int errorNumber) {
  std::string text = "Can't open the project: " + path + "\n";
  switch (errorNumber) {
    case dao::err::kExclusiveElsewhere:
    case dao::err::kLocked:
      return text + "The file is in use by another program.";
    case dao::err::kReadOnly:
      return text + "The file cannot be written.";
    default:
      return text + "The file is not a Korvalo project.";
  }
}

bool UpgradeProjectSchema(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return true;
  try {
    clsDBUpdate update(path);
    update.procCheckAndUpdate();
    return true;
  } catch (const dao::DaoError& e) {
    Notify(ProjectUnreadableText(path, e.Number()));
    return false;
  }
}

std::string ProjectNameProblem(const std::string& name) {
  if (name.empty()) return "Please type a name for the project.";
  if (name == "." || name == "..") return "The project name \"" + name + "\" cannot be used as a file name.";
  for (unsigned char c : name) {
    if (c == '/' || c == '\\') return "The project name cannot hold the characters \"/\" or \"\\\".";
    if (c < 32 || c == 127) return "The project name cannot hold control characters.";
  }
  return {};
}

}  // namespace korvalo

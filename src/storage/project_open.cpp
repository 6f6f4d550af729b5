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
    // A damaged file is told here, before anything is shown from it: a
    // parcel read through a damaged index would show no courses, or those
    // of another parcel.
    db.VerifyFile();
    std::string stored;
    {
      dao::Recordset rs = db.OpenRecordset("tblSetting");
      rs.MoveFirst();
      const dao::Value value = rs.Get("AutoCADFile");
      if (dao::IsNull(value)) throw dao::DaoError(dao::err::kInvalidUseOfNull, "Invalid use of Null");
      stored = dao::AsText(value);
    }
    const bool newer = db.IsNewerLayout();
    const bool readOnlyFormat = db.IsReadOnlyFormat();
    db.Close();
    std::string drawing = ResolveDrawingPath(stored, program.ProgramFolder);
    std::error_code ec;
    if (!drawing.empty() && !std::filesystem::exists(drawing, ec)) drawing = FileBesideProgram("default.dwg");
    program.DrawingPath = drawing;
    if (newer) {
      Notify(NewerProjectText(program.ProjectPath), MessageIcon::Information);
    } else if (readOnlyFormat) {
      Notify(ReadOnlyFormatProjectText(program.ProjectPath), MessageIcon::Information);
    }
    return true;
  } catch (const dao::DaoError& e) {
    Notify(ProjectUnreadableText(program.ProjectPath, e.Number()));
    return false;
  }
}

std::string NewerProjectText(const std::string& path) {
  return "The project " + path +
         " was made by a newer version of Korvalo. It is opened for viewing only: nothing can be saved in it "
         "with this version.";
}

std::string ReadOnlyFormatProjectText(const std::string& path) {
  return "The project " + path +
         " is marked as a database format that this version of Korvalo can read but not write. It is opened for "
         "viewing only: nothing can be saved in it with this version.";
}

std::string ProjectUnreadableText(const std::string& path, int errorNumber) {
  std::string text = "Can't open the project: " + path + "\n";
  switch (errorNumber) {
    case dao::err::kExclusiveElsewhere:
    case dao::err::kLocked:
      return text + "The file is in use by another program.";
    case dao::err::kReadOnly:
      return text + "The file cannot be written.";
    case dao::err::kFileNotFound:
      return text + "The file does not exist.";
    case dao::err::kInvalidPath:
      return text + "The name is a folder or a device, not a project file.";
    case dao::err::kDatabaseDamaged:
      return text + "The file is damaged.";
    case dao::err::kEmptyFile:
      return text + "The file is empty: it holds no project.";
    case dao::err::kUnknownFormat:
      return text + "The file is stored in a database format that this version of Korvalo cannot read.";
    case dao::err::kLayoutUnreadable:
      return text + "The layout of the file cannot be read. Nothing was changed in it.";
    case dao::err::kCannotOpen:
      return text + "You are not allowed to read the file.";
    case dao::err::kDiskError:
      return text + "The file could not be read from the disk.";
    case dao::err::kNoCurrentRecord:
    case dao::err::kItemNotFound:
    case dao::err::kInvalidUseOfNull:
    case dao::err::kTypeMismatch:
      return text + "The project's settings cannot be read.";
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
    // A file that cannot be written is read as it stands, for viewing: the
    // program's readers do without the field the upgrade would add, and
    // every save into it is refused with its reason.
    if (e.Number() == dao::err::kReadOnly) return true;
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

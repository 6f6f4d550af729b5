#include "storage/project_db.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/edition.h"
#include "common/utf8.h"
#include "storage/messages.h"
#include "storage/program_state.h"
#include "storage/schema.h"
#include "storage/system_db.h"

namespace korvalo {
namespace {

bool RegularFileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Where a new project's setting comes from in the system row, by name.
const char* SystemSource(const std::string& projectField) {
  if (projectField == "ClosureTolerance") return "Tolerance";
  if (projectField == "UnitFeet") return "unitfeet";
  if (projectField == "ErrDecimal") return "Decimal";
  return nullptr;
}

// Initial values of the standalone edition's saved views (no saved view).
std::optional<double> ViewerDefault(const std::string& field) {
  if (field.rfind("ZoomFactor", 0) == 0 || field.rfind("BL", 0) == 0) return 0.0;
  if (field.rfind("TR", 0) == 0) return 1.0;
  return std::nullopt;
}

// The tables and the settings row of a new project file, in one transaction.
void FillNewProject(dao::Database& db, const std::string& drawingText) {
  const Edition edition = CurrentEdition();
  dao::Transaction tx(db);
  const dao::TableDef settingTable = schema::ProjectSettingTable(edition);
  db.CreateTable(settingTable);
  db.CreateTable(schema::ParcelTable());
  db.CreateIndex("tblParcel", schema::kParcelIndex, "Parcel", true);
  db.CreateTable(schema::MeasurementsTable(edition));
  db.CreateIndex("tblMeasurements", schema::kCoursesIndex, "ParcelID", false);

  dao::Database system = OpenSystemDatabaseByPath(false);
  dao::Recordset from = system.OpenRecordset("tblSetting");
  dao::Recordset to = db.OpenRecordset("tblSetting");
  from.MoveFirst();
  to.AddNew();
  for (const dao::FieldDef& field : settingTable.fields) {
    if (field.name == "AutoCADFile") {
      to.Set(field.name, drawingText);
    } else if (auto v = ViewerDefault(field.name); v && edition == Edition::Standalone) {
      to.Set(field.name, *v);
    } else {
      const char* source = SystemSource(field.name);
      to.Set(field.name, from.Get(source != nullptr ? source : field.name));
    }
  }
  to.Update();
  from.Close();
  to.Close();
  system.Close();
  tx.Commit();
}

// The name a project is built under beside its final name, by this process:
// ".<name>.kvx.<pid>.part". Hidden, and never taken for a project.
std::string BuildName(const std::filesystem::path& path, long pid) {
  return (path.parent_path() / ("." + path.filename().string() + "." + std::to_string(pid) + ".part")).string();
}

// Removes what builds of the same project left behind when their process was
// killed (the process is gone), with their journals.
void RemoveAbandonedBuilds(const std::filesystem::path& path) {
  const std::string prefix = "." + path.filename().string() + ".";
  std::error_code ec;
  const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    std::string rest = name.substr(prefix.size());
    const std::size_t dot = rest.find(".part");
    if (dot == std::string::npos || dot == 0) continue;
    const std::string digits = rest.substr(0, dot);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) continue;
    const long pid = std::stol(digits);
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    std::filesystem::remove(entry.path(), ec);
  }
}

// Moves the finished build to its name unless a file of that name appeared
// meanwhile; false then, and the build stays where it is.
bool MoveIntoPlace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS) {
    throw dao::DaoError(dao::err::kDiskError, "The new project cannot be given its name '" + to + "': " +
                                                  std::strerror(errno));
  }
  // A file system without the no-replace rename: a hard link refuses an
  // existing name as well.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  throw dao::DaoError(dao::err::kDiskError,
                      "The new project cannot be given its name '" + to + "': " + std::strerror(errno));
}

}  // namespace

bool CreateProjectDatabase(const std::string& folder, const std::string& name, const std::string& drawingText) {
  const std::string path = folder + name + kProjectExtension;
  if (RegularFileExists(path)) {
    Notify("This project already exists!");
    return false;
  }
  // The file is built under another name and takes its own only when it is
  // complete: a build that fails or is killed leaves no file of the
  // project's name, and the name can be used again.
  RemoveAbandonedBuilds(path);
  const std::string building = BuildName(path, static_cast<long>(::getpid()));
  std::error_code ec;
  std::filesystem::remove(building, ec);
  std::filesystem::remove(building + "-journal", ec);
  dao::Database db = dao::Database::Create(building, schema::kDatabaseLocale, true);
  try {
    FillNewProject(db, drawingText);
    db.Close();
    if (!MoveIntoPlace(building, path)) {
      std::filesystem::remove(building, ec);
      Notify("This project already exists!");
      return false;
    }
  } catch (...) {
    db.Close();
    std::filesystem::remove(building, ec);
    std::filesystem::remove(building + "-journal", ec);
    throw;
  }
  return true;
}

clsDBUpdate::clsDBUpdate() : clsDBUpdate(Program().ProjectPath) {}

clsDBUpdate::clsDBUpdate(const std::string& projectPath) : db_(dao::Database::Open(projectPath)) {}

void clsDBUpdate::procCheckAndUpdate() {
  if (!TableExists("tblMeasurements")) return;
  AddCoursesIndex();
  if (FieldExists("tblMeasurements", "NonTang")) return;
  AddField("tblMeasurements", "NonTang", dao::FieldType::Boolean, false);
}

void clsDBUpdate::AddCoursesIndex() {
  // Only speed depends on it: a file that cannot take it (read-only, or
  // written by another program) opens as it is.
  try {
    db_.CreateIndex("tblMeasurements", schema::kCoursesIndex, "ParcelID", false);
  } catch (const dao::DaoError&) {
  }
}

bool clsDBUpdate::TableExists(const std::string& table) const {
  try {
    return db_.TableExists(table);
  } catch (const dao::DaoError&) {
    return false;
  }
}

bool clsDBUpdate::FieldExists(const std::string& table, const std::string& field) const {
  try {
    for (const dao::FieldDef& f : db_.Fields(table)) {
      if (utf8::EqualsNoCase(f.name, field)) return true;
    }
  } catch (const dao::DaoError&) {
  }
  return false;
}

void clsDBUpdate::AddField(const std::string& table, const std::string& field, dao::FieldType type,
                           const dao::Value& defaultValue) {
  dao::FieldDef f;
  f.name = field;
  f.type = type;
  f.defaultValue = defaultValue;
  dao::Database db = db_;
  db.AppendField(table, f);
}

}  // namespace korvalo

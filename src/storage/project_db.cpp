#include "storage/project_db.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

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

// The settings row of a new project: the program defaults of the system
// database by name, the drawing text, and the saved views of the standalone
// edition (none saved).
std::vector<std::pair<std::string, dao::Value>> NewSettingsRow(const dao::TableDef& settingTable,
                                                                const std::string& drawingText) {
  const Edition edition = CurrentEdition();
  std::vector<std::pair<std::string, dao::Value>> row;
  dao::Database system = OpenSystemDatabaseByPath(false);
  dao::Recordset from = system.OpenRecordset("tblSetting");
  from.MoveFirst();
  for (const dao::FieldDef& field : settingTable.fields) {
    if (field.name == "AutoCADFile") {
      row.emplace_back(field.name, drawingText);
    } else if (auto v = ViewerDefault(field.name); v && edition == Edition::Standalone) {
      row.emplace_back(field.name, *v);
    } else {
      const char* source = SystemSource(field.name);
      row.emplace_back(field.name, from.Get(source != nullptr ? source : field.name));
    }
  }
  return row;
}

// The tables and the settings row of a new project file, in one transaction.
void FillNewProject(dao::Database& db, const dao::TableDef& settingTable,
                    const std::vector<std::pair<std::string, dao::Value>>& settings) {
  const Edition edition = CurrentEdition();
  dao::Transaction tx(db);
  db.CreateTable(settingTable);
  db.CreateTable(schema::ParcelTable());
  db.CreateIndex("tblParcel", schema::kParcelIndex, "Parcel", true);
  db.CreateTable(schema::MeasurementsTable(edition));
  db.CreateIndex("tblMeasurements", schema::kCoursesIndex, "ParcelID", false);
  dao::Recordset to = db.OpenRecordset("tblSetting");
  to.AddNew();
  for (const auto& [name, value] : settings) to.Set(name, value);
  to.Update();
  to.Close();
  tx.Commit();
}

// The longest file name the folder takes, in bytes.
std::size_t NameLimit(const std::string& folder) {
  const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<std::size_t>(limit) : 255;
}

// The name a project is built under beside its final name, by this process:
// ".<name>.kvx.<pid>.part", hidden and never taken for a project. A name too
// long for that is cut (at a character's start) so that the build name fits
// wherever the project's own name does.
std::string BuildName(const std::filesystem::path& path, long pid, std::size_t nameLimit) {
  const std::string tail = std::string(kProjectExtension) + "." + std::to_string(pid) + ".part-journal";
  std::string stem = path.stem().string();
  const std::size_t room = nameLimit > tail.size() + 1 ? nameLimit - tail.size() - 1 : 1;
  if (stem.size() > room) {
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;
    stem.resize(cut);
  }
  return (path.parent_path() / ("." + stem + kProjectExtension + "." + std::to_string(pid) + ".part")).string();
}

// Removes from the folder what builds of projects left behind when their
// process was killed (the process is gone), with their journals, whatever
// project they were building.
void RemoveAbandonedBuilds(const std::string& folder) {
  static const std::string kMiddle = std::string(kProjectExtension) + ".";
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder.empty() ? "." : folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() < 2 || name[0] != '.') continue;
    std::size_t end = name.rfind(".part");
    if (end == std::string::npos || (name.compare(end, std::string::npos, ".part") != 0 &&
                                     name.compare(end, std::string::npos, ".part-journal") != 0)) {
      continue;
    }
    const std::size_t middle = name.rfind(kMiddle, end);
    if (middle == std::string::npos || middle == 0) continue;
    const std::string digits = name.substr(middle + kMiddle.size(), end - middle - kMiddle.size());
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const long pid = std::stol(digits);
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    std::filesystem::remove(entry.path(), ec);
  }
}

// Why no project file can be made in the folder under that name, before
// anything is tried; empty when it can be tried.
std::string CannotBuildCause(const std::string& folder, const std::string& path) {
  const std::string where = folder.empty() ? "." : folder;
  if (::faccessat(AT_FDCWD, where.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    if (errno == EACCES || errno == EROFS || errno == EPERM) {
      return "The folder " + folder + " cannot be written: you are not allowed to make files in it.";
    }
  }
  const std::string fileName = std::filesystem::path(path).filename().string();
  if (fileName.size() > NameLimit(folder)) {
    return "The project name is too long for a file name: the name and \"" + std::string(kProjectExtension) +
           "\" may have at most " + std::to_string(NameLimit(folder)) + " bytes.";
  }
  return {};
}

[[noreturn]] void FailBuild(int number, const std::string& path, const std::string& cause) {
  throw dao::DaoError(number, path + "\n" + cause);
}

// A failure of the build, told of the project's own file: the hidden name
// it was built under is the program's business.
[[noreturn]] void FailBuild(const dao::DaoError& e, const std::string& building, const std::string& path) {
  std::string text = e.what();
  for (std::size_t at = text.find(building); at != std::string::npos; at = text.find(building, at + path.size())) {
    text.replace(at, building.size(), path);
  }
  FailBuild(e.Number(), path, text);
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
  if (const std::string cause = CannotBuildCause(folder, path); !cause.empty()) {
    FailBuild(dao::err::kDiskError, path, cause);
  }
  // The file is built under another name and takes its own only when it is
  // complete: a build that fails or is killed leaves no file of the
  // project's name, and the name can be used again. What killed builds left
  // in the folder goes first.
  RemoveAbandonedBuilds(folder);
  const std::string building = BuildName(path, static_cast<long>(::getpid()), NameLimit(folder));
  dao::Database db;
  const auto discard = [&] {
    db.Close();
    std::error_code ec;
    std::filesystem::remove(building, ec);
    std::filesystem::remove(building + "-journal", ec);
  };
  discard();
  struct DefaultsUnreadable {
    int number;
    std::string text;
  };
  try {
    db = dao::Database::Create(building, schema::kDatabaseLocale, true);
    const dao::TableDef settingTable = schema::ProjectSettingTable(CurrentEdition());
    std::vector<std::pair<std::string, dao::Value>> settings;
    try {
      settings = NewSettingsRow(settingTable, drawingText);
    } catch (const dao::DaoError& e) {
      throw DefaultsUnreadable{e.Number(), e.what()};
    }
    FillNewProject(db, settingTable, settings);
    db.Close();
    if (!MoveIntoPlace(building, path)) {
      discard();
      Notify("This project already exists!");
      return false;
    }
  } catch (const DefaultsUnreadable& e) {
    discard();
    FailBuild(e.number, path, "The program defaults could not be read: " + e.text);
  } catch (const dao::DaoError& e) {
    discard();
    FailBuild(e, building, path);
  } catch (...) {
    discard();
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

namespace {

// A lookup that fails because the file cannot be read (damaged, a disk
// error) is no answer "not there": the file itself is refused.
void RethrowIfUnreadable(const dao::DaoError& e) {
  if (e.Number() == dao::err::kDatabaseDamaged || e.Number() == dao::err::kDiskError ||
      e.Number() == dao::err::kCannotOpen) {
    throw e;
  }
}

}  // namespace

bool clsDBUpdate::TableExists(const std::string& table) const {
  try {
    return db_.TableExists(table);
  } catch (const dao::DaoError& e) {
    RethrowIfUnreadable(e);
    return false;
  }
}

bool clsDBUpdate::FieldExists(const std::string& table, const std::string& field) const {
  try {
    for (const dao::FieldDef& f : db_.Fields(table)) {
      if (utf8::EqualsNoCase(f.name, field)) return true;
    }
  } catch (const dao::DaoError& e) {
    RethrowIfUnreadable(e);
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

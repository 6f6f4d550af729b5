#include "storage/project_db.h"

#include <sys/stat.h>

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

}  // namespace

bool CreateProjectDatabase(const std::string& folder, const std::string& name, const std::string& drawingText) {
  const std::string path = folder + name + kProjectExtension;
  if (RegularFileExists(path)) {
    Notify("This project already exists!");
    return false;
  }
  dao::Database db = dao::Database::Create(path, schema::kDatabaseLocale, true);
  try {
    FillNewProject(db, drawingText);
  } catch (...) {
    // A file that was not built whole is no project: it goes, so that the
    // name can be used again and nothing half-built is ever opened.
    db.Close();
    std::error_code ec;
    std::filesystem::remove(path, ec);
    throw;
  }
  db.Close();
  return true;
}

clsDBUpdate::clsDBUpdate() : clsDBUpdate(Program().ProjectPath) {}

clsDBUpdate::clsDBUpdate(const std::string& projectPath) : db_(dao::Database::Open(projectPath)) {}

void clsDBUpdate::procCheckAndUpdate() {
  if (!TableExists("tblMeasurements")) return;
  if (FieldExists("tblMeasurements", "NonTang")) return;
  AddField("tblMeasurements", "NonTang", dao::FieldType::Boolean, false);
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

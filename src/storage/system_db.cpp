#include "storage/system_db.h"

#include <fcntl.h>
#include <unistd.h>

#include "storage/first_row.h"
#include "storage/messages.h"
#include "storage/program_state.h"
#include "storage/project_settings.h"
#include "storage/schema.h"

namespace korvalo {
namespace {

constexpr const char* kOpenSystemDbError = "Open system DB error!";
constexpr int kPosUnitFeet = 4;
constexpr int kPosBearing = 21;

int g_startUpReads = 0;

}  // namespace

const char* SystemDatabaseName(Edition edition) {
  return edition == Edition::Standalone ? "KorvaloPro.zrq" : "Korvalo.zrq";
}

std::string SystemDatabasePath() { return FileBesideProgram(SystemDatabaseName(CurrentEdition())); }

std::string SystemDatabaseUnusableText(int errorNumber) {
  const std::string path = SystemDatabasePath();
  const std::string folder = Program().ProgramFolder;
  if (errorNumber == dao::err::kCannotOpen) {
    return "Korvalo is not allowed to read its system database " + path +
           ".\nThis program cannot continue.  Please ask your administrator to allow you to read and write it.";
  }
  if (!folder.empty() && ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) != 0) {
    return "Korvalo cannot write in its program folder " + folder +
           ", where it keeps the lock of its system database.\nThis program cannot continue.  Please ask your "
           "administrator to allow you to write in that folder.";
  }
  return "Korvalo's system database " + path +
         " could not be read or written on the disk.\nThis program cannot continue.  Please check the disk.";
}

bool OpenSystemDatabase() {
  try {
    dao::OpenOptions options;
    options.exclusive = true;
    options.connect = std::string(";Pwd=") + kSystemDatabasePassword;
    Program().SystemDb = dao::Database::Open(SystemDatabasePath(), options);
    return true;
  } catch (const dao::DaoError& e) {
    if (e.Number() == dao::err::kExclusiveElsewhere) {
      Notify(
          "The database is already opened by another instance of Korvalo.\n"
          "The single-user version can only be used by one instance at a time.",
          MessageIcon::Critical);
    } else if (e.Number() == dao::err::kLocked) {
      // Another program is writing the file: nothing is wrong with it.
      Notify(
          "Korvalo's system database is in use by another program.\n"
          "Please close that program and start Korvalo again.",
          MessageIcon::Critical);
    } else if (e.Number() == dao::err::kDiskError || e.Number() == dao::err::kCannotOpen) {
      // The file may well be intact: what fails is the folder or the right
      // to use it, which a re-install does not mend.
      Notify(SystemDatabaseUnusableText(e.Number()), MessageIcon::Critical);
    } else {
      Notify(
          "Korvalo could not find the database or it has become corrupted.\n"
          "This program cannot continue.  Please re-install Korvalo.",
          MessageIcon::Critical);
    }
    return false;
  }
}

StartUpReads::StartUpReads() { ++g_startUpReads; }
StartUpReads::~StartUpReads() { --g_startUpReads; }

dao::Database OpenSystemDatabaseByPath(bool exclusive) {
  const std::optional<dao::Database>& held = Program().SystemDb;
  if (!exclusive && g_startUpReads > 0 && held && held->IsOpen() && held->Path() == SystemDatabasePath()) {
    return *held;
  }
  dao::OpenOptions options;
  options.exclusive = exclusive;
  return dao::Database::Open(SystemDatabasePath(), options);
}

void SaveAutoName(bool value) {
  try {
    dao::Database db = OpenSystemDatabaseByPath(false);
    detail::WriteFirstRow(db, "tblSetting", "AutoName", value);
  } catch (const dao::DaoError&) {
    Notify(kGeneralErrorMessage);
  }
}

bool LoadAutoName() {
  try {
    dao::Database db = OpenSystemDatabaseByPath(false);
    return dao::AsBool(detail::ReadFirstRow(db, "tblSetting", "AutoName"));
  } catch (const dao::DaoError&) {
    Notify(kGeneralErrorMessage);
    return false;
  }
}

bool TakeFirstRunFlag() {
  bool result = true;
  try {
    dao::Database db = OpenSystemDatabaseByPath(false);
    result = dao::AsBool(detail::ReadFirstRow(db, "tblSetting", "Demo"));
    if (result) detail::WriteFirstRow(db, "tblSetting", "Demo", false);
  } catch (const dao::DaoError&) {
    Notify(kOpenSystemDbError);
  }
  return result;
}

bool VideoPromptWanted() {
  bool result = true;
  try {
    dao::Database db = OpenSystemDatabaseByPath(false);
    result = dao::AsBool(detail::ReadFirstRow(db, "tblSetting", "DemoMenu"));
  } catch (const dao::DaoError&) {
    Notify(kOpenSystemDbError);
  }
  return result;
}

void StopVideoPrompt() {
  try {
    dao::Database db = OpenSystemDatabaseByPath(false);
    detail::WriteFirstRow(db, "tblSetting", "DemoMenu", false);
  } catch (const dao::DaoError&) {
    Notify(kOpenSystemDbError);
  }
}

void FillCredits(std::string& text) {
  if (!Program().SystemDb || !Program().SystemDb->IsOpen()) return;
  dao::Database& db = *Program().SystemDb;
  try {
    dao::Recordset contributions =
        db.OpenRecordset("SELECT DISTINCT Contribution FROM tblCredits", dao::RecordsetType::Snapshot);
    if (contributions.Eof()) return;
    for (contributions.MoveFirst(); !contributions.Eof(); contributions.MoveNext()) {
      std::string contribution;
      try {
        contribution = dao::AsText(contributions.Get(0));
      } catch (const dao::DaoError&) {
        continue;
      }
      text += "\n" + contribution + "\n";
      try {
        dao::Recordset names = db.OpenRecordset("SELECT Name from tblCredits WHERE Contribution = ?",
                                                dao::RecordsetType::Snapshot, {contribution});
        for (; !names.Eof(); names.MoveNext()) {
          dao::Value name = names.Get(0);
          text += "\t" + (dao::IsNull(name) ? std::string() : dao::AsText(name)) + "\n";
        }
      } catch (const dao::DaoError&) {
      }
    }
  } catch (const dao::DaoError&) {
  }
}

namespace {
void SetDefaultAt(int position, bool value) {
  try {
    dao::Database db = OpenSystemDatabaseByPath(true);
    detail::WriteFirstRow(db, "SELECT * FROM tblSetting", position, value);
  } catch (const dao::DaoError&) {
    Notify("Couldn't change the default setting!", MessageIcon::None, "Warning");
  }
}
}  // namespace

void SetDefaultBearingMode(bool bearing) { SetDefaultAt(kPosBearing, bearing); }

void SetDefaultMetric(bool metric) { SetDefaultAt(kPosUnitFeet, !metric); }

void BuildSystemDatabase(const std::string& path, Edition edition) {
  dao::Database db = dao::Database::Create(path, schema::kDatabaseLocale, true);
  dao::Transaction tx(db);
  db.CreateTable(schema::SystemSettingTable(edition));
  db.CreateTable(schema::RecentProjectTable());
  db.CreateTable(schema::CreditsTable());

  dao::Recordset rs = db.OpenRecordset("tblSetting");
  rs.AddNew();
  // Chord direction first, then arc length, chord and radius.
  rs.Set("txtBearing", std::int64_t{1});
  rs.Set("txtArc", std::int64_t{2});
  rs.Set("txtChord", std::int64_t{3});
  rs.Set("txtRadius", std::int64_t{4});
  rs.Set("unitfeet", true);
  rs.Set("SquareX", true);
  rs.Set("Minimize", false);
  rs.Set("AddAreaCheck", true);
  rs.Set("AutoInvert", false);
  rs.Set("TangentCheck", true);
  rs.Set("WarningRanged", std::int64_t{5});
  rs.Set("WarningRangem", std::int64_t{0});
  rs.Set("WarningRanges", std::int64_t{0});
  rs.Set("TangentToleranced", std::int64_t{0});
  rs.Set("TangentTolerancem", std::int64_t{0});
  rs.Set("TangentTolerances", std::int64_t{30});
  rs.Set("Decimal", std::int64_t{2});
  rs.Set("Tolerance", 0.05);
  rs.Set("AutoName", true);
  rs.Set("ToolTipOn", true);
  rs.Set("Demo", true);
  rs.Set("Bearing", true);
  rs.Set("DegreeSymbol", std::string("%%D"));
  rs.Set("DemoMenu", true);
  if (edition == Edition::Standalone) {
    rs.Set("BackColor", std::int64_t{0});
    rs.Set("ForeColor", std::int64_t{1});
  }
  rs.Update();

  dao::Recordset credits = db.OpenRecordset("tblCredits");
  const std::pair<const char*, const char*> rows[] = {
      {"Design and programming", "The Korvalo development team"},
      {"Surveying advice", "Licensed land surveyors of our user group"},
      {"Testing", "The Korvalo development team"},
      {"Testing", "Our beta testers' panel"},
  };
  for (const auto& [contribution, name] : rows) {
    credits.AddNew();
    credits.Set("Contribution", std::string(contribution));
    credits.Set("Name", std::string(name));
    credits.Update();
  }
  db.SetPassword(kSystemDatabasePassword);
  tx.Commit();
  db.Close();
}

}  // namespace korvalo

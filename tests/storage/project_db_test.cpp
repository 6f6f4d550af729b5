#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "storage/first_row.h"
#include "storage/schema.h"
#include "storage_fixture.h"

namespace korvalo {
namespace {

using ProjectDbTest = StorageTest;

std::vector<std::string> FieldNames(dao::Database& db, const std::string& table) {
  std::vector<std::string> names;
  for (const auto& f : db.Fields(table)) names.push_back(f.name);
  return names;
}

const std::vector<std::string> kLinkedSettingFields = {
    "txtArc",          "txtChord",          "txtRadius",         "txtBearing",        "ClosureTolerance",
    "UnitFeet",        "SquareX",           "AutoCADFile",       "Minimize",          "ErrDecimal",
    "AddAreaCheck",    "AutoInvert",        "TangentCheck",      "WarningRanged",     "TangentToleranced",
    "ToolTipOn",       "TangentTolerancem", "TangentTolerances", "WarningRangem",     "WarningRanges",
    "Bearing",         "DegreeSymbol"};

TEST_F(ProjectDbTest, NewProjectCopiesTheProgramDefaults) {
  {
    // Defaults that differ from the shipped ones, to see them copied.
    dao::Database system = OpenSystemDatabaseByPath(false);
    system.Execute("UPDATE tblSetting SET Tolerance = 0.123, Decimal = 3, unitfeet = 0, txtArc = 4, "
                   "TangentTolerancem = 7, DegreeSymbol = '%%d'");
  }
  NewProject("Town", "");
  dao::Database db = dao::Database::Open(Program().ProjectPath);
  EXPECT_EQ(db.TableNames(), (std::vector<std::string>{"tblSetting", "tblParcel", "tblMeasurements"}));
  EXPECT_EQ(FieldNames(db, "tblSetting"), kLinkedSettingFields);
  EXPECT_EQ(db.Fields("tblMeasurements").back().name, "NonTang");
  EXPECT_EQ(db.OpenRecordset("tblParcel").RecordCount(), 0);
  EXPECT_EQ(db.OpenRecordset("tblMeasurements").RecordCount(), 0);

  dao::Recordset project = db.OpenRecordset("tblSetting");
  EXPECT_EQ(project.RecordCount(), 1);
  dao::Database systemDb = OpenSystemDatabaseByPath(false);
  dao::Recordset system = systemDb.OpenRecordset("tblSetting");
  for (int pos = 0; pos < 22; ++pos) {
    const std::string field = project.FieldName(pos);
    if (field == "AutoCADFile") {
      EXPECT_EQ(project.Get(pos), dao::Value(std::string()));
      continue;
    }
    std::string source = field == "ClosureTolerance" ? "Tolerance"
                         : field == "ErrDecimal"     ? "Decimal"
                         : field == "UnitFeet"       ? "unitfeet"
                                                     : field;
    EXPECT_EQ(project.Get(pos), system.Get(source)) << field;
  }
  EXPECT_EQ(project.Get("ClosureTolerance"), dao::Value(0.123));
  EXPECT_EQ(project.Get("ErrDecimal"), dao::Value(std::int64_t{3}));
  EXPECT_EQ(project.Get("UnitFeet"), dao::Value(false));
  EXPECT_TRUE(messages.empty());
}

TEST_F(ProjectDbTest, AnExistingFileIsLeftAlone) {
  const std::string path = dir.File("Lots.kvx");
  std::ofstream(path) << "keep me";
  EXPECT_FALSE(CreateProjectDatabase(dir.Path() + "/", "Lots", "x.dwg"));
  EXPECT_EQ(Texts(), std::vector<std::string>{"This project already exists!"});
  std::stringstream content;
  content << std::ifstream(path).rdbuf();
  EXPECT_EQ(content.str(), "keep me");
}

TEST_F(ProjectDbTest, AFailedBuildLeavesNoHalfBuiltFile) {
  // The program defaults cannot be read: the build fails after the file was
  // started, and the file goes with it.
  std::filesystem::remove(SystemDatabasePath());
  EXPECT_EQ(ErrorOf([&] { CreateProjectDatabase(dir.Path() + "/", "Lots", ""); }),
            dao::err::kFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(dir.File("Lots.kvx")));
  // With the defaults back, the same name builds a whole project.
  BuildSystemDatabase(SystemDatabasePath(), Edition::A2004);
  EXPECT_TRUE(CreateProjectDatabase(dir.Path() + "/", "Lots", ""));
  EXPECT_TRUE(messages.empty());
  dao::Database db = dao::Database::Open(dir.File("Lots.kvx"));
  EXPECT_EQ(db.OpenRecordset("tblSetting").RecordCount(), 1);
}

TEST_F(ProjectDbTest, ParcelNamesAreUniqueWithoutRegardToCase) {
  NewProject("Town", "./town.dwg");
  dao::Database db = dao::Database::Open(Program().ProjectPath);
  EXPECT_EQ(dao::AsText(detail::ReadFirstRow(db, "tblSetting", "AutoCADFile")), "./town.dwg");
  db.Execute("INSERT INTO tblParcel (Parcel) VALUES (?)", {std::string(" Lot 1")});
  dao::Recordset rs = db.OpenRecordset("tblParcel");
  rs.AddNew();
  rs.Set("Parcel", std::string(" LOT 1"));
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }), dao::err::kDuplicateKey);
}

TEST_F(ProjectDbTest, UpgradeAppendsNonTangOnceAndSkipsFilesWithoutCourses) {
  // A file without NonTang (the standalone edition writes such files).
  SetEdition(Edition::Standalone);
  BuildSystemDatabase(FileBesideProgram("KorvaloPro.zrq"), Edition::Standalone);
  ASSERT_TRUE(OpenSystemDatabase());
  const std::string path = NewProject("Old");
  {
    dao::Database db = dao::Database::Open(path);
    db.Execute("INSERT INTO tblMeasurements (ParcelID, RowNo, RowType, Length, Direction) VALUES (1, 0, 1, 10, 'N1E')");
  }
  SetEdition(Edition::A2004);
  for (int run = 0; run < 2; ++run) {
    clsDBUpdate(path).procCheckAndUpdate();
    dao::Database db = dao::Database::Open(path);
    auto fields = FieldNames(db, "tblMeasurements");
    EXPECT_EQ(fields.size(), 9u);
    EXPECT_EQ(fields.back(), "NonTang");
    dao::Recordset rs = db.OpenRecordset("tblMeasurements");
    EXPECT_EQ(rs.Get("NonTang"), dao::Value(false));
    EXPECT_EQ(db.Fields("tblSetting").size(), 34u);  // the viewer fields stay
  }

  const std::string bare = dir.File("bare.kvx");
  {
    dao::Database db = dao::Database::Create(bare);
    db.CreateTable(schema::ProjectSettingTable(Edition::A2004));
  }
  clsDBUpdate(bare).procCheckAndUpdate();
  EXPECT_EQ(dao::Database::Open(bare).TableNames(), std::vector<std::string>{"tblSetting"});
  EXPECT_EQ(ErrorOf([&] { clsDBUpdate(dir.File("none.kvx")); }), dao::err::kFileNotFound);
}

class KilledBuildTest : public StorageTest {
 protected:
  KilledBuildTest() : StorageTest(Edition::A2004, false) {}

  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

// A process killed while it builds a project leaves no file of the
// project's name: the name can be used at once, and what the killed build
// left goes with the next build of that name.
TEST_F(KilledBuildTest, AKilledBuildLeavesTheNameFree) {
  int held[2], go[2];
  ASSERT_EQ(::pipe(held), 0);
  ASSERT_EQ(::pipe(go), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char byte = OpenSystemDatabase() ? 'y' : 'n';
    (void)!::write(held[1], &byte, 1);
    (void)!::read(go[0], &byte, 1);
    try {
      CreateProjectDatabase(dir.Path() + "/", "Town", "");
    } catch (...) {
    }
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(held[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');
  // Another program writing the system database holds the build half-way,
  // where it reads the program defaults.
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(SystemDatabasePath().c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  (void)!::write(go[1], &byte, 1);
  const std::string part = dir.File(".Town.kvx." + std::to_string(child) + ".part");
  for (int wait = 0; wait < 150 && !std::filesystem::exists(part); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(std::filesystem::exists(part));  // killed in the middle of its build
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(writer);
  ASSERT_TRUE(OpenSystemDatabase());

  EXPECT_FALSE(std::filesystem::exists(dir.File("Town.kvx")));
  ASSERT_TRUE(CreateProjectDatabase(dir.Path() + "/", "Town", "town.dwg"));
  EXPECT_TRUE(messages.empty());
  for (const std::string& name : FolderEntries()) {  // nothing of the killed build is left
    EXPECT_TRUE(name == "Town.kvx" || name.find("Town") == std::string::npos) << name;
  }
  dao::Database db = dao::Database::Open(dir.File("Town.kvx"));
  EXPECT_EQ(db.TableNames(), (std::vector<std::string>{"tblSetting", "tblParcel", "tblMeasurements"}));
  EXPECT_EQ(db.OpenRecordset("tblSetting").RecordCount(), 1);
  db.Execute("INSERT INTO tblParcel (Parcel) VALUES (?)", {std::string("Äpfel")});
  EXPECT_EQ(ErrorOf([&] { db.Execute("INSERT INTO tblParcel (Parcel) VALUES (?)", {std::string("äPFEL")}); }),
            dao::err::kDuplicateKey);
  db.Close();

  // The project file is a plain SQLite file to the sqlite3 shell.
  if (std::system("command -v sqlite3 >/dev/null 2>&1") == 0) {
    const std::string command = "sqlite3 '" + dir.File("Town.kvx") +
                                "' \"PRAGMA integrity_check; SELECT AutoCADFile FROM tblSetting; "
                                "SELECT Parcel FROM tblParcel ORDER BY Parcel;\"";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    ::pclose(pipe);
    EXPECT_EQ(out, "ok\ntown.dwg\nÄpfel\n");
  }
}

class StandaloneProjectTest : public StorageTest {
 protected:
  StandaloneProjectTest() : StorageTest(Edition::Standalone) {}
};

TEST_F(StandaloneProjectTest, FileCarriesTheViewerFieldsAndNoNonTang) {
  NewProject("Field");
  dao::Database db = dao::Database::Open(Program().ProjectPath);
  auto names = FieldNames(db, "tblSetting");
  ASSERT_EQ(names.size(), 34u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 22), kLinkedSettingFields);
  EXPECT_EQ(names[22], "BackColor");
  EXPECT_EQ(names[33], "TRY2");
  EXPECT_EQ(FieldNames(db, "tblMeasurements").back(), "Plus");
  dao::Recordset rs = db.OpenRecordset("tblSetting");
  EXPECT_EQ(rs.Get("ForeColor"), dao::Value(std::int64_t{1}));
  EXPECT_EQ(rs.Get("TRX1"), dao::Value(1.0));
  EXPECT_EQ(rs.Get("BLY2"), dao::Value(0.0));
}

}  // namespace
}  // namespace korvalo

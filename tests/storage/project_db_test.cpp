#include <filesystem>
#include <fstream>
#include <sstream>

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

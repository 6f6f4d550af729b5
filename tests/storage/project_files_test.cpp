// Project files that users, disks and other programs damage, or that the
// program may not read or write: each road that opens a project tells the
// true reason, a newer file is only read, a damaged one is never written,
// and a build that fails or is killed leaves nothing behind.
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "storage/parcel_save.h"
#include "storage/project_open.h"
#include "storage_fixture.h"
#include "support/as_nobody.h"
#include "support/damaged_projects.h"

namespace korvalo {
namespace {

using geometry::CourseRow;

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs SQL on the file with SQLite itself, as another program does.
std::string Raw(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  std::string out;
  sqlite3_exec(
      db, sql.c_str(),
      [](void* text, int columns, char** values, char**) {
        auto& s = *static_cast<std::string*>(text);
        for (int i = 0; i < columns; ++i) s += std::string(values[i] ? values[i] : "NULL") + "\n";
        return 0;
      },
      &out, nullptr);
  sqlite3_close(db);
  return out;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ProjectFilesTest : public StorageTest {
 protected:
  void SetUp() override {
    StorageTest::SetUp();
    // Plain users enter the folder (the program's rights are tested apart).
    ::chmod(dir.Path().c_str(), 0755);
  }

  // A project with `parcels` parcels of four courses each.
  std::string Project(const std::string& name, int parcels) {
    const std::string path = NewProject(name);
    const ParcelStoreContext context{path, 2, 80, Edition::A2004};
    for (int i = 0; i < parcels; ++i) {
      ParcelToSave p;
      p.name = "Lot " + std::to_string(i);
      p.rows = {CourseRow::Line("N0\u00B0E", "100"), CourseRow::Line("N90\u00B0E", "100"),
                CourseRow::Line("S0\u00B0E", "100"), CourseRow::Line("S90\u00B0W", "100")};
      p.rows.resize(80);
      p.figures = {10000.0, 0.0, "", 0.0, 400.0};
      EXPECT_TRUE(SaveNewParcel(context, p));
    }
    ::chmod(path.c_str(), 0644);
    return path;
  }

  // Saves a new parcel "Lot new" of one course out and back.
  static bool SaveNewLine(const std::string& path) {
    ParcelToSave p;
    p.name = "Lot new";
    p.rows = {CourseRow::Line("N0\u00B0E", "100"), CourseRow::Line("S0\u00B0E", "100")};
    p.rows.resize(80);
    p.figures = {0.0, 0.0, "", 0.0, 200.0};
    return SaveNewParcel({path, 2, 80, Edition::A2004}, p).has_value();
  }

  // What each road that opens a project says of the file: the linked roads
  // upgrade the schema and then read the drawing path, the standalone ones
  // only read it. Empty when the file opens.
  std::vector<std::string> OpenRoadTexts(const std::string& path) {
    std::vector<std::string> said;
    for (const bool linked : {true, false}) {
      messages.clear();
      Program().ProjectPath = path;
      const bool opened = (!linked || UpgradeProjectSchema(path)) && ReadProjectDrawing();
      said.push_back(opened ? std::string() : Texts().empty() ? "(untold)" : Texts().back());
    }
    return said;
  }
};

// Truncated, bit-flipped and unreadable projects: every road names the cause
// the database layer found, not "not a Korvalo project".
TEST_F(ProjectFilesTest, OpenRoadsTellWhyAProjectCannotBeOpened) {
  const std::string good = Project("Good", 150);
  const std::string bytes = Bytes(good);
  ASSERT_GT(bytes.size(), 40000u);
  const std::string damaged = "The file is damaged.";
  struct Case {
    const char* what;
    std::function<std::string(const std::string&)> change;  // the file's bytes after the harm
    const char* reason;
  };
  const auto cut = [](std::size_t size) {
    return [size](const std::string& b) { return b.substr(0, std::min(size, b.size())); };
  };
  const auto flip = [](std::size_t at, char mask) {
    return [at, mask](const std::string& b) {
      std::string out = b;
      out[at] = static_cast<char>(out[at] ^ mask);
      return out;
    };
  };
  const Case cases[] = {
      {"cut inside the header", cut(40), damaged.c_str()},
      {"cut inside the first page", cut(1000), damaged.c_str()},
      {"cut after two pages", cut(4096 * 2 + 100), damaged.c_str()},
      {"cut in half", cut(bytes.size() / 2), damaged.c_str()},
      {"cut before the last page", cut(bytes.size() - 4096), damaged.c_str()},
      {"a bit flipped in the name of the format", flip(0, 0x02), damaged.c_str()},
      {"a bit flipped in the page size", flip(16, 0x01), damaged.c_str()},
      {"a bit flipped in the kind of the first page", flip(100, 0x01), damaged.c_str()},
      {"a text file", [](const std::string&) { return std::string("Lot 1, 100 ft\n"); },
       "The file is not a Korvalo project."},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = dir.File("Harmed" + std::to_string(n++) + ".kvx");
    const std::string harmed = c.change(bytes);
    WriteBytes(file, harmed);
    const std::string expected = "Can't open the project: " + file + "\n" + c.reason;
    EXPECT_EQ(OpenRoadTexts(file), (std::vector<std::string>{expected, expected}));
    EXPECT_TRUE(Bytes(file) == harmed) << "the file was changed";
  }

  // A file the user may not read, and one in a folder the user may not
  // enter (run as a plain user: root reads every file).
  const std::string closed = dir.File("Closed.kvx");
  std::filesystem::copy_file(good, closed);
  ::chmod(closed.c_str(), 0200);
  std::filesystem::create_directory(dir.File("locked"));
  const std::string behind = dir.File("locked/Behind.kvx");
  std::filesystem::copy_file(good, behind);
  ::chmod(dir.File("locked").c_str(), 0700);
  AsNobody nobody;
  ASSERT_TRUE(nobody.Active());
  for (const std::string& file : {closed, behind}) {
    SCOPED_TRACE(file);
    const std::string expected = "Can't open the project: " + file + "\nYou are not allowed to read the file.";
    EXPECT_EQ(OpenRoadTexts(file), (std::vector<std::string>{expected, expected}));
  }
}

// A project of a newer version (a layout above ours, a field more) opens
// for viewing with a message, and nothing is ever written into it.
TEST_F(ProjectFilesTest, ANewerProjectOpensForViewingAndIsNeverWritten) {
  const std::string path = Project("Newer", 3);
  Raw(path,
      "ALTER TABLE tblMeasurements ADD COLUMN Elevation DOUBLE; UPDATE tblMeasurements SET Elevation = RowNo + 0.5;"
      "UPDATE korvalo_meta SET value = '99' WHERE key = 'layout'");
  const std::string before = Bytes(path);

  EXPECT_EQ(OpenRoadTexts(path), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(Texts(), std::vector<std::string>{NewerProjectText(path)});
  EXPECT_NE(NewerProjectText(path).find("newer version"), std::string::npos);

  // A save of a parcel as it is, a new parcel, and a direct write: each is
  // refused with the reason, and the file keeps every byte.
  const ParcelStoreContext context{path, 2, 80, Edition::A2004};
  const std::vector<ParcelListEntry> list = ParcelList(path);
  ASSERT_EQ(list.size(), 3u);
  ParcelToSave same;
  same.name = list[0].Parcel;
  for (const StoredCourse& c : [&] {
         dao::Database db = dao::Database::Open(path);
         return ReadCourses(db, list[0].ParcelID);
       }()) {
    same.rows.push_back(ToCourseRow(c));
  }
  same.rows.resize(80);
  same.figures = {10000.0, 0.0, "", 0.0, 400.0};
  messages.clear();
  EXPECT_FALSE(SaveExistingParcel(context, list[0].ParcelID, same, false));
  EXPECT_FALSE(SaveNewParcel(context, [&] {
    ParcelToSave p = same;
    p.name = "Lot new";
    return p;
  }()));
  ASSERT_EQ(messages.size(), 2u);
  for (const std::string& text : Texts()) EXPECT_NE(text.find("newer version of Korvalo"), std::string::npos) << text;
  dao::Database db = dao::Database::Open(path);
  EXPECT_TRUE(db.IsNewerLayout());
  EXPECT_EQ(ErrorOf([&] { db.Execute("DELETE FROM tblParcel"); }), dao::err::kReadOnly);
  db.Close();
  EXPECT_TRUE(Bytes(path) == before) << "the newer file was written";
  EXPECT_EQ(Raw(path, "SELECT count(*) FROM tblMeasurements WHERE Elevation IS NOT NULL"), "12\n");
}

// A file that is empty, in a database format the engine cannot read, whose
// layout record does not read, or whose courses index misses a parcel: every
// road tells the true cause and opens nothing, and the file keeps every byte
// (a layout that does not read is not taken for an older one and upgraded).
TEST_F(ProjectFilesTest, UnreadableFormatsLayoutsAndIndexesAreToldAndNeverWritten) {
  const std::string good = Project("Sound", 2);
  int n = 0;
  for (const damaged_projects::Harm& harm : damaged_projects::UnopenableHarms()) {
    SCOPED_TRACE(harm.what);
    const std::string file = dir.File("Harmed" + std::to_string(n++) + ".kvx");
    std::filesystem::copy_file(good, file);
    harm.apply(file);
    const std::string before = Bytes(file);
    const std::vector<std::string> entries = Entries(dir.Path());
    const std::string expected = ProjectUnreadableText(file, harm.error);
    EXPECT_EQ(OpenRoadTexts(file), (std::vector<std::string>{expected, expected}));
    EXPECT_TRUE(Bytes(file) == before) << "the file was changed";
    EXPECT_EQ(Entries(dir.Path()), entries);
  }
  // What each cause reads as.
  const std::string file = dir.File("x.kvx");
  const std::pair<int, const char*> reasons[] = {
      {dao::err::kEmptyFile, "The file is empty: it holds no project."},
      {dao::err::kUnknownFormat, "The file is stored in a database format that this version of Korvalo cannot read."},
      {dao::err::kLayoutUnreadable, "The layout of the file cannot be read. Nothing was changed in it."},
      {dao::err::kDatabaseDamaged, "The file is damaged."},
  };
  for (const auto& [error, reason] : reasons) {
    EXPECT_EQ(ProjectUnreadableText(file, error), "Can't open the project: " + file + "\n" + reason);
  }
}

// A file whose header asks for a newer writer: the engine reads it and
// refuses every write, though the file system would let it be written. It
// opens for viewing with that said, and a save is refused with that cause,
// never as a read-only file.
TEST_F(ProjectFilesTest, AHeaderThatAsksForANewerWriterOpensForViewing) {
  const std::string path = Project("Marked", 1);
  damaged_projects::SetByte(path, 18, 3);
  ASSERT_EQ(::access(path.c_str(), W_OK), 0);
  const std::string before = Bytes(path);

  EXPECT_EQ(OpenRoadTexts(path), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(Texts(), std::vector<std::string>{ReadOnlyFormatProjectText(path)});

  const std::vector<ParcelListEntry> list = ParcelList(path);
  ASSERT_EQ(list.size(), 1u);
  messages.clear();
  EXPECT_FALSE(SaveNewLine(path));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(Texts()[0].find("can read but not write"), std::string::npos) << Texts()[0];
  EXPECT_EQ(Texts()[0].find("read-only"), std::string::npos) << Texts()[0];
  EXPECT_TRUE(Bytes(path) == before) << "the file was written";
}

// Damage the pages do not show: an index that misses rows of its table, and
// a trigger whose text no longer reads. The first write into such a file is
// refused as damaged (never with the engine's own words), and nothing is
// written.
TEST_F(ProjectFilesTest, ADamagedFileRefusesTheFirstWrite) {
  const std::string good = Project("Sound", 20);
  struct Case {
    const char* what;
    const char* sql;  // run with the schema writable
  };
  const Case cases[] = {
      {"an index that misses rows of its table",
       "UPDATE sqlite_schema SET sql = replace(sql, '(\"ParcelID\")', '(\"RowNo\")') "
       "WHERE type = 'index' AND tbl_name = 'tblMeasurements' AND sql LIKE '%ParcelID%'"},
      {"a trigger whose text was damaged",
       "UPDATE sqlite_schema SET sql = replace(sql, 'NEW.', 'LEW.') "
       "WHERE type = 'trigger' AND tbl_name = 'tblMeasurements'"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("Damaged" + std::to_string(n++) + ".kvx");
    std::filesystem::copy_file(good, path);
    ASSERT_EQ(Raw(path, std::string("PRAGMA writable_schema = ON; ") + c.sql + "; SELECT changes() > 0;"), "1\n");
    const std::string before = Bytes(path);

    messages.clear();
    EXPECT_FALSE(SaveNewLine(path));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(Texts()[0].find("Error 3049: The file '" + path + "' is damaged"), std::string::npos) << Texts()[0];
    EXPECT_EQ(Texts()[0].find("no such column"), std::string::npos) << Texts()[0];
    EXPECT_TRUE(Bytes(path) == before) << "the damaged file was written";
  }
}

// What builds of projects left when their process died goes with the next
// build in the folder, whatever project that builds; a build of a process
// still running is left alone.
TEST_F(ProjectFilesTest, LeftOversOfDeadBuildsGoWithTheNextBuildInTheFolder) {
  const pid_t dead = ::fork();
  ASSERT_GE(dead, 0);
  if (dead == 0) _exit(0);
  int status = 0;
  ::waitpid(dead, &status, 0);
  const std::string gone = std::to_string(dead);
  const std::string alive = std::to_string(::getppid());
  const std::string folder = dir.Path() + "/site";
  std::filesystem::create_directory(folder);
  for (const std::string& name : {".Alpha.kvx." + gone + ".part", ".Alpha.kvx." + gone + ".part-journal",
                                  ".Lot 7.b.kvx." + gone + ".part", ".Busy.kvx." + alive + ".part",
                                  std::string(".notes.kvx.part"), "Alpha.kvx." + gone + ".part"}) {
    WriteBytes(folder + "/" + name, "half built");
  }
  ASSERT_TRUE(CreateProjectDatabase(folder + "/", "Beta", ""));
  EXPECT_EQ(Entries(folder), (std::vector<std::string>{".Busy.kvx." + alive + ".part", ".notes.kvx.part",
                                                       "Alpha.kvx." + gone + ".part", "Beta.kvx"}));
}

// A build that fails names the project's own file and a plain cause, never
// the hidden name it is built under, and leaves nothing in the folder.
TEST_F(ProjectFilesTest, AFailedBuildNamesTheProjectAndLeavesNothing) {
  const std::string readOnly = dir.Path() + "/read-only";
  const std::string full = dir.Path() + "/full";
  std::filesystem::create_directory(readOnly);
  std::filesystem::create_directory(full);
  ::chmod(readOnly.c_str(), 0555);
  ::chmod(full.c_str(), 0777);
  struct Case {
    const char* what;
    std::string folder;
    std::string name;
    const char* cause;
    std::function<int(const std::function<void()>&)> run;
  };
  const auto plain = [](const std::function<void()>& build) { return ErrorOf(build); };
  const auto asNobody = [](const std::function<void()>& build) {
    AsNobody nobody;
    EXPECT_TRUE(nobody.Active());
    return ErrorOf(build);
  };
  // Files may grow only to 16 KB, as on a disk that is nearly full.
  const auto smallDisk = [](const std::function<void()>& build) {
    rlimit was{};
    ::getrlimit(RLIMIT_FSIZE, &was);
    rlimit small = was;
    small.rlim_cur = 16 * 1024;
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const int number = ErrorOf(build);
    ::setrlimit(RLIMIT_FSIZE, &was);
    ::signal(SIGXFSZ, oldHandler);
    return number;
  };
  const Case cases[] = {
      {"a folder that cannot be written", readOnly, "Town", "cannot be written", asNobody},
      {"a name of 300 characters", dir.Path(), std::string(300, 'N'), "name is too long", plain},
      {"a name the build name would make too long", dir.Path(), std::string(245, 'L'), "", plain},
      {"a full disk", full, "Town", "could not be read or written", smallDisk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    messages.clear();
    const std::string path = c.folder + "/" + c.name + ".kvx";
    std::string text;
    const int number = c.run([&] {
      try {
        CreateProjectDatabase(c.folder + "/", c.name, "");
      } catch (const dao::DaoError& e) {
        text = e.what();
        throw;
      }
    });
    if (*c.cause == '\0') {  // the name fits: the build succeeds
      EXPECT_EQ(number, 0) << text;
      EXPECT_TRUE(std::filesystem::exists(path));
      continue;
    }
    EXPECT_NE(number, 0);
    EXPECT_EQ(text.rfind(path + "\n", 0), 0u) << text;
    EXPECT_NE(text.find(c.cause), std::string::npos) << text;
    EXPECT_EQ(text.find(".part"), std::string::npos) << text;
    EXPECT_TRUE(messages.empty());
    for (const std::string& name : Entries(c.folder)) {
      EXPECT_EQ(name.find(".part"), std::string::npos) << name;
      EXPECT_NE(name, c.name + ".kvx");
    }
  }
}

// A writable project in a folder that cannot be written is refused naming
// the folder; a read-only project of the standalone edition (without the
// non-tangent field the linked edition adds) opens for viewing.
TEST_F(ProjectFilesTest, ReadOnlyProjectsAndFoldersAreToldTruly) {
  const std::string folder = dir.Path() + "/shared";
  std::filesystem::create_directory(folder);
  const std::string writable = folder + "/Open.kvx";
  std::filesystem::copy_file(Project("Open", 1), writable);
  ::chmod(writable.c_str(), 0666);

  SetEdition(Edition::Standalone);
  BuildSystemDatabase(FileBesideProgram(SystemDatabaseName(Edition::Standalone)), Edition::Standalone);
  Program().SystemDb.reset();
  ASSERT_TRUE(OpenSystemDatabase());
  const std::string fromStandalone = folder + "/Standalone.kvx";
  ASSERT_TRUE(CreateProjectDatabase(folder + "/", "Standalone", ""));
  SetEdition(Edition::A2004);
  ::chmod(fromStandalone.c_str(), 0444);
  ::chmod(folder.c_str(), 0555);
  const std::string before = Bytes(fromStandalone);

  ParcelToSave p;
  p.name = "Lot 1";
  p.rows = {CourseRow::Line("N0\u00B0E", "100"), CourseRow::Line("S0\u00B0E", "100")};
  p.rows.resize(80);
  p.figures = {0.0, 0.0, "", 0.0, 200.0};

  AsNobody nobody;
  ASSERT_TRUE(nobody.Active());
  messages.clear();
  EXPECT_FALSE(SaveNewParcel({writable, 2, 80, Edition::A2004}, p));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(Texts()[0].find("The folder '" + folder + "' cannot be written"), std::string::npos) << Texts()[0];

  EXPECT_EQ(OpenRoadTexts(fromStandalone), (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(messages.empty());
  messages.clear();
  EXPECT_FALSE(SaveNewParcel({fromStandalone, 2, 80, Edition::A2004}, p));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(Texts()[0].find("read-only"), std::string::npos) << Texts()[0];
  EXPECT_TRUE(Bytes(fromStandalone) == before);
}

}  // namespace
}  // namespace korvalo

// The layer against what users and other programs do to its files: names in
// every letter case, files held or damaged by others, rows deleted elsewhere,
// SQL that bypasses the field checks, and writers killed half-way.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

#include "platform/dao/dao.h"
#include "support/temp_folder.h"

namespace korvalo::dao {
namespace {

using namespace std::string_literals;

DaoError CaughtError(const std::function<void()>& action) {
  try {
    action();
  } catch (const DaoError& e) {
    return e;
  }
  return DaoError(0, "");
}

int ErrorOf(const std::function<void()>& action) { return CaughtError(action).Number(); }

FieldDef F(const char* name, FieldType type, int size = 0) { return FieldDef{name, type, size, false, false, kNull}; }

TableDef ParcelTable() {
  FieldDef id = F("ParcelID", FieldType::Long);
  id.autoIncrement = true;
  return {"tblParcel", {id, F("Parcel", FieldType::Text, 50), F("Area", FieldType::Double), F("Code", FieldType::Text, 5)}};
}

TableDef CourseTable() {
  return {"tblMeasurements", {F("ParcelID", FieldType::Long), F("RowNo", FieldType::Integer), F("Length", FieldType::Double)}};
}

void MakeProject(const std::string& path) {
  Database db = Database::Create(path);
  db.CreateTable(ParcelTable());
  db.CreateIndex("tblParcel", "TempIndex", "Parcel", true);
  db.CreateTable(CourseTable());
}

std::int64_t AddParcel(Database& db, const std::string& name) {
  Recordset rs = db.OpenRecordset("tblParcel");
  rs.AddNew();
  rs.Set("Parcel", name);
  rs.Update();
  rs.SetBookmark(rs.LastModified());
  return AsLong(rs.Get("ParcelID"));
}

std::vector<std::string> Names(Database& db, const std::string& sql, const std::vector<Value>& params = {}) {
  std::vector<std::string> out;
  for (Recordset rs = db.OpenRecordset(sql, RecordsetType::Snapshot, params); !rs.Eof(); rs.MoveNext()) {
    out.push_back(AsText(rs.Get(0)));
  }
  return out;
}

// Output of the sqlite3 shell run on a file, or nullopt without the shell.
std::optional<std::string> Shell(const std::string& path, const std::string& sql) {
  if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0) return std::nullopt;
  std::string command = "sqlite3 '" + path + "' \"" + sql + "\" 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  ::pclose(pipe);
  return out;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class DaoFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.File("project.kvx");
    MakeProject(path);
    db = Database::Open(path);
  }
  TempFolder dir;
  std::string path;
  Database db;
};

// ---------------------------------------------------------------- letter case

TEST_F(DaoFilesTest, NamesInAnyLetterCaseAreOneName) {
  struct Case {
    std::string stored, other;
    bool same;
  };
  const Case cases[] = {
      {"Äpfel", "äpfel", true},
      {"Lot é", "Lot É", true},
      {"éclair", "ÉCLAIR", true},
      {"Ølund", "øLUND", true},
      {"Œuvre 7", "œuvre 7", true},
      {"Ångström", "ÅNGSTRÖM", true},
      {"Lot e\u0301", "LOT É", true},  // a decomposed accent is the same letter
      {"Lot e", "Lot é", false},       // an accent makes another name
      {"Lot 1", "Lot 1 ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored + " / " + c.other);
    db.Execute("DELETE FROM tblParcel");
    AddParcel(db, c.stored);
    EXPECT_EQ(ErrorOf([&] { AddParcel(db, c.other); }), c.same ? err::kDuplicateKey : 0);
    // The same through SQL, and through a rename of another row.
    db.Execute("DELETE FROM tblParcel WHERE ParcelID <> (SELECT min(ParcelID) FROM tblParcel)");
    EXPECT_EQ(ErrorOf([&] { db.Execute("INSERT INTO tblParcel (Parcel) VALUES (?)", {c.other}); }),
              c.same ? err::kDuplicateKey : 0);
    db.Execute("DELETE FROM tblParcel WHERE ParcelID <> (SELECT min(ParcelID) FROM tblParcel)");
    AddParcel(db, "placeholder");
    EXPECT_EQ(ErrorOf([&] { db.Execute("UPDATE tblParcel SET Parcel = ? WHERE Parcel = 'placeholder'", {c.other}); }),
              c.same ? err::kDuplicateKey : 0);
    // A search by the other spelling finds the stored name exactly when
    // the two are one name.
    const auto found = Names(db, "SELECT Parcel FROM tblParcel WHERE Parcel = ?", {c.other});
    if (c.same) {
      EXPECT_EQ(found, std::vector<std::string>{c.stored});
    } else {
      EXPECT_EQ(found, std::vector<std::string>{c.other});
    }
  }
  EXPECT_EQ(CaughtError([&] { AddParcel(db, "LOT 1"); }).what(),
            "The changes were not successful because they would create duplicate values in the index 'TempIndex'"s);
}

TEST_F(DaoFilesTest, NamesSortAsADictionaryDoes) {
  for (const char* name : {"Zed", "Äpfel", "apple", "edam", "Éclair", "Ölberg", "Oak", "lot 10", "Lot 2"}) {
    AddParcel(db, name);
  }
  const std::vector<std::string> dictionary = {"Äpfel", "apple", "Éclair", "edam", "lot 10",
                                               "Lot 2", "Oak",   "Ölberg", "Zed"};
  EXPECT_EQ(Names(db, "SELECT Parcel FROM tblParcel ORDER BY Parcel"), dictionary);
  std::vector<std::string> reversed(dictionary.rbegin(), dictionary.rend());
  EXPECT_EQ(Names(db, "SELECT Parcel FROM tblParcel ORDER BY Parcel DESC"), reversed);
  // Range searches and DISTINCT follow the same rules.
  EXPECT_EQ(Names(db, "SELECT Parcel FROM tblParcel WHERE Parcel < ? ORDER BY Parcel", {"B"s}),
            (std::vector<std::string>{"Äpfel", "apple"}));
  db.Execute("INSERT INTO tblMeasurements (ParcelID, RowNo) VALUES (1, 0)");
  FieldDef note = F("Note", FieldType::Text, 20);
  db.AppendField("tblMeasurements", note);
  db.Execute("UPDATE tblMeasurements SET Note = ?", {"ÉTÉ"s});
  db.Execute("INSERT INTO tblMeasurements (ParcelID, RowNo, Note) VALUES (1, 1, ?)", {"été"s});
  EXPECT_EQ(Names(db, "SELECT DISTINCT Note FROM tblMeasurements").size(), 1u);
}

// The file stays a plain SQLite file: the shell reads it, checks it, and
// finds the names, though it does not know the layer's rules.
TEST_F(DaoFilesTest, TheSqliteShellReadsAndChecksTheFile) {
  AddParcel(db, "Äpfel");
  AddParcel(db, "Zed");
  db.Execute("INSERT INTO tblMeasurements (ParcelID, RowNo, Length) VALUES (1, 0, 12.5)");
  db.Close();
  auto check = Shell(path, "PRAGMA integrity_check; SELECT Parcel FROM tblParcel WHERE Parcel = 'Äpfel'; "
                           "SELECT count(*) FROM tblParcel ORDER BY Parcel; SELECT Length FROM tblMeasurements;");
  if (!check) GTEST_SKIP() << "no sqlite3 shell";
  EXPECT_EQ(*check, "ok\nÄpfel\n2\n12.5\n");
  // A write through the shell that would bypass the name keys is refused
  // and leaves the file as it was.
  auto write = Shell(path, "INSERT INTO tblParcel (Parcel) VALUES ('äpfel');");
  EXPECT_NE(write->find("korvalo_fold"), std::string::npos) << *write;
  EXPECT_EQ(*Shell(path, "SELECT count(*) FROM tblParcel;"), "2\n");
}

// A file written before the name keys (an index on the field itself, SQLite's
// A-to-Z rule, no field rules) is brought up to date when opened to write.
TEST(DaoLayout, AnOlderFileIsBroughtUpToDate) {
  TempFolder dir;
  const std::string path = dir.File("old.kvx");
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  const char* oldSchema =
      "PRAGMA application_id = 1263489622;"
      "CREATE TABLE korvalo_meta (key TEXT PRIMARY KEY, value TEXT);"
      "CREATE TABLE \"tblParcel\" (\"ParcelID\" INTEGER PRIMARY KEY AUTOINCREMENT, \"Parcel\" TEXT(50) COLLATE "
      "NOCASE CHECK (length(\"Parcel\") <= 50) CHECK (\"Parcel\" <> ''), \"Area\" DOUBLE);"
      "CREATE UNIQUE INDEX \"TempIndex\" ON \"tblParcel\" (\"Parcel\");"
      "INSERT INTO tblParcel (Parcel, Area) VALUES ('Lot1', 1.5), ('Äpfel', 2), ('Zed', 3);";
  ASSERT_EQ(sqlite3_exec(raw, oldSchema, nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(raw);

  {
    // Read-only, it is read as it stands, with its own rules.
    Database reader = Database::Open(path, {false, true, ""});
    EXPECT_EQ(Names(reader, "SELECT Parcel FROM tblParcel WHERE Parcel = ?", {"LOT1"s}),
              std::vector<std::string>{"Lot1"});
  }
  Database db = Database::Open(path);
  EXPECT_EQ(db.TableNames(), std::vector<std::string>{"tblParcel"});
  EXPECT_EQ(ErrorOf([&] { AddParcel(db, "LOT1"); }), err::kDuplicateKey);
  EXPECT_EQ(ErrorOf([&] { AddParcel(db, "ÄPFEL"); }), err::kDuplicateKey);
  EXPECT_EQ(ErrorOf([&] { db.Execute("UPDATE tblParcel SET Area = 'wide'"); }), err::kTypeMismatch);
  EXPECT_EQ(Names(db, "SELECT Parcel FROM tblParcel ORDER BY Parcel"),
            (std::vector<std::string>{"Äpfel", "Lot1", "Zed"}));
  AddParcel(db, "apple");
  db.Close();
  if (auto check = Shell(path, "PRAGMA integrity_check;")) {
    EXPECT_EQ(*check, "ok\n");
  }
  // A second open finds it up to date and keeps every row.
  Database again = Database::Open(path);
  EXPECT_EQ(again.OpenRecordset("tblParcel").RecordCount(), 4);
}

// Names the older rule let in side by side stay, both of them.
TEST(DaoLayout, OlderNamesThatDifferOnlyInCaseAreKept) {
  TempFolder dir;
  const std::string path = dir.File("old.kvx");
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw,
                         "PRAGMA application_id = 1263489622;"
                         "CREATE TABLE korvalo_meta (key TEXT PRIMARY KEY, value TEXT);"
                         "CREATE TABLE tblParcel (ParcelID INTEGER PRIMARY KEY AUTOINCREMENT, Parcel TEXT(50) "
                         "COLLATE NOCASE);"
                         "CREATE UNIQUE INDEX TempIndex ON tblParcel (Parcel);"
                         "INSERT INTO tblParcel (Parcel) VALUES ('Äpfel'), ('äpfel');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);
  Database db = Database::Open(path);
  EXPECT_EQ(db.OpenRecordset("tblParcel").RecordCount(), 2);
  EXPECT_EQ(Names(db, "SELECT Parcel FROM tblParcel WHERE Parcel = ?", {"ÄPFEL"s}).size(), 2u);
}

// ---------------------------------------------------------------- field rules

TEST_F(DaoFilesTest, SqlStatementsKeepTheDeclaredTypes) {
  AddParcel(db, "Lot 1");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* sql;
    std::vector<Value> params;
    int error;
  };
  const Case cases[] = {
      {"UPDATE tblParcel SET Area = ?", {"wide"s}, err::kTypeMismatch},
      {"UPDATE tblParcel SET Area = 'wide'", {}, err::kTypeMismatch},
      {"UPDATE tblParcel SET Area = x'00'", {}, err::kTypeMismatch},
      {"UPDATE tblParcel SET Area = ?", {nan}, err::kTypeMismatch},
      {"UPDATE tblParcel SET Area = ?", {inf}, err::kNumericOverflow},
      {"UPDATE tblParcel SET Area = ?", {-inf}, err::kNumericOverflow},
      {"UPDATE tblParcel SET Area = 9e999", {}, err::kNumericOverflow},
      {"INSERT INTO tblParcel (Parcel, Area) VALUES ('Lot 2', ?)", {"1,5"s}, err::kTypeMismatch},
      {"UPDATE tblParcel SET Code = ?", {"abcdef"s}, err::kFieldTooSmall},
      {"UPDATE tblParcel SET Code = ?", {"ab\0cdef"s}, err::kFieldTooSmall},  // length() stops at the NUL
      {"UPDATE tblParcel SET Code = x'41'", {}, err::kTypeMismatch},
      {"UPDATE tblParcel SET Area = ?", {"2.5"s}, 0},  // a number in text reads as the number
      {"UPDATE tblParcel SET Area = ?", {std::int64_t{3}}, 0},
      {"UPDATE tblParcel SET Code = ?", {"a\0b"s}, 0},
      {"UPDATE tblParcel SET Code = ?", {"°°°°°"s}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    const std::string before = Names(db, "SELECT quote(Area) || '/' || quote(Code) FROM tblParcel").at(0);
    EXPECT_EQ(ErrorOf([&] { db.Execute(c.sql, c.params); }), c.error);
    if (c.error != 0) {
      EXPECT_EQ(Names(db, "SELECT quote(Area) || '/' || quote(Code) FROM tblParcel").at(0), before);
    }
  }
  EXPECT_EQ(db.OpenRecordset("tblParcel").RecordCount(), 1);
  // The recordset path refuses the same values.
  Recordset rs = db.OpenRecordset("tblParcel");
  rs.Edit();
  EXPECT_EQ(ErrorOf([&] { rs.Set("Area", nan); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { rs.Set("Area", inf); }), err::kNumericOverflow);
  EXPECT_EQ(ErrorOf([&] { rs.Set("Code", "ab\0cdef"s); }), err::kFieldTooSmall);
  EXPECT_EQ(ErrorOf([&] { rs.Set("ParcelID", nan); }), err::kFieldNotUpdatable);
  rs.CancelUpdate();
  Recordset courses = db.OpenRecordset("tblMeasurements");
  courses.AddNew();
  EXPECT_EQ(ErrorOf([&] { courses.Set("RowNo", nan); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { courses.Set("ParcelID", inf); }), err::kNumericOverflow);
}

// ---------------------------------------------------------------- other connections

TEST_F(DaoFilesTest, EditOfARowAnotherConnectionDeleted) {
  AddParcel(db, "A");
  AddParcel(db, "B");
  Database other = Database::Open(path);
  Recordset rs = db.OpenRecordset("SELECT * FROM tblParcel ORDER BY Parcel");
  rs.MoveFirst();
  other.Execute("DELETE FROM tblParcel WHERE Parcel = 'A'");

  rs.Edit();
  rs.Set("Area", 5.0);
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }), err::kRecordDeleted);
  EXPECT_EQ(ErrorOf([&] { rs.Get("Parcel"); }), err::kRecordDeleted);
  rs.MoveNext();
  EXPECT_EQ(rs.Get("Parcel"), Value("B"s));
  other.Execute("DELETE FROM tblParcel WHERE Parcel = 'B'");
  EXPECT_EQ(ErrorOf([&] { rs.Delete(); }), err::kRecordDeleted);
  EXPECT_EQ(ErrorOf([&] { rs.MoveFirst(); }), err::kNoCurrentRecord);  // no row left in the set
  // An edit that changes nothing still finds out.
  AddParcel(db, "C");
  Recordset c = db.OpenRecordset("tblParcel");
  c.MoveFirst();
  other.Execute("DELETE FROM tblParcel");
  c.Edit();
  EXPECT_EQ(ErrorOf([&] { c.Update(); }), err::kRecordDeleted);
  EXPECT_EQ(db.OpenRecordset("tblParcel").RecordCount(), 0);  // nothing was written back
}

// One read held over many statements: the connection reads as before and
// writes nothing meanwhile (each way of writing refused, nothing changed),
// and writes again once the read has ended. Inside a transaction, which holds
// the file already, the snapshot does nothing.
TEST_F(DaoFilesTest, AReadSnapshotReadsAndWritesNothing) {
  AddParcel(db, "A");
  {
    ReadSnapshot snapshot(db);
    EXPECT_EQ(Names(db, "SELECT Parcel FROM tblParcel"), std::vector<std::string>{"A"});
    const std::function<void()> writes[] = {
        [&] { AddParcel(db, "B"); },
        [&] { db.Execute("DELETE FROM tblParcel"); },
        [&] { db.BeginTrans(); },
        [&] { db.CreateTable({"tblMore", {F("Note", FieldType::Text)}}); },
        [&] {
          Recordset rs = db.OpenRecordset("tblParcel");
          rs.MoveFirst();
          rs.Delete();
        },
    };
    for (const auto& write : writes) EXPECT_EQ(ErrorOf(write), err::kReadOnly);
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(Names(db, "SELECT Parcel FROM tblParcel"), std::vector<std::string>{"A"});
  }
  AddParcel(db, "B");
  {
    Transaction t(db);
    {
      ReadSnapshot inside(db);
      AddParcel(db, "C");
    }
    t.Commit();
  }
  Database other = Database::Open(path);
  EXPECT_EQ(Names(other, "SELECT Parcel FROM tblParcel ORDER BY Parcel"), (std::vector<std::string>{"A", "B", "C"}));
}

// Another program in the middle of writing the file (a real second process).
TEST_F(DaoFilesTest, AFileAnotherProgramIsWritingIsInUse) {
  AddParcel(db, "A");
  int ready[2], release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    sqlite3* raw = nullptr;
    sqlite3_open(path.c_str(), &raw);
    int rc = sqlite3_exec(raw, "BEGIN EXCLUSIVE; INSERT INTO tblMeasurements (ParcelID) VALUES (9);", nullptr,
                          nullptr, nullptr);
    char byte = rc == SQLITE_OK ? 'y' : 'n';
    (void)!::write(ready[1], &byte, 1);
    (void)!::read(release[0], &byte, 1);
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');

  const DaoError opening = CaughtError([&] { Database::Open(path); });
  EXPECT_EQ(opening.Number(), err::kLocked);
  EXPECT_NE(std::string(opening.what()).find("in use by another program"), std::string::npos) << opening.what();
  const DaoError writing = CaughtError([&] { AddParcel(db, "B"); });
  EXPECT_EQ(writing.Number(), err::kLocked);
  EXPECT_NE(std::string(writing.what()).find("in use by another program"), std::string::npos) << writing.what();

  (void)!::write(release[1], &byte, 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  AddParcel(db, "B");  // free again
  EXPECT_EQ(Database::Open(path).OpenRecordset("tblParcel").RecordCount(), 2);
}

TEST(DaoOpen, DamagedReadOnlyAndFolderAreToldApart) {
  TempFolder dir;
  // A folder named as the file.
  std::filesystem::create_directory(dir.File("folder.kvx"));
  DaoError e = CaughtError([&] { Database::Open(dir.File("folder.kvx")); });
  EXPECT_EQ(e.Number(), err::kInvalidPath);
  EXPECT_NE(std::string(e.what()).find("is a folder"), std::string::npos);

  // A project with a damaged page that the write itself would not read: the
  // check before the first write refuses it, and the file stays as it was.
  const std::string damaged = dir.File("damaged.kvx");
  {
    Database db = Database::Create(damaged);
    db.CreateTable(ParcelTable());
    db.CreateIndex("tblParcel", "TempIndex", "Parcel", true);
    db.CreateTable(CourseTable());
    Transaction tx(db);
    for (int i = 0; i < 300; ++i) AddParcel(db, "Lot " + std::to_string(i) + std::string(30, 'x'));
    tx.Commit();
  }
  {
    // Garbage over the header of the course table's page.
    sqlite3* raw = nullptr;
    sqlite3_open(damaged.c_str(), &raw);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(raw, "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_schema "
                            "WHERE name = 'tblMeasurements'", -1, &stmt, nullptr);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    const long offset = (sqlite3_column_int64(stmt, 0) - 1) * sqlite3_column_int64(stmt, 1);
    sqlite3_finalize(stmt);
    sqlite3_close(raw);
    std::fstream f(damaged, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(offset);
    f << std::string(64, '\x5a');
  }
  const std::string bytes = Bytes(damaged);
  Database db = Database::Open(damaged);
  e = CaughtError([&] { AddParcel(db, "New"); });
  EXPECT_EQ(e.Number(), err::kDatabaseDamaged);
  EXPECT_NE(std::string(e.what()).find("is damaged"), std::string::npos) << e.what();
  EXPECT_EQ(ErrorOf([&] { db.Execute("DELETE FROM tblParcel"); }), err::kDatabaseDamaged);
  db.Close();
  EXPECT_TRUE(Bytes(damaged) == bytes);
  // Told plainly, without what the engine's check says of its pages.
  EXPECT_EQ(std::string(e.what()), "The file '" + damaged + "' is damaged and cannot be used safely.");
  // The same when the file is checked before anything is read from it.
  EXPECT_EQ(std::string(CaughtError([&] { Database::Open(damaged).VerifyFile(); }).what()),
            "The file '" + damaged + "' is damaged and cannot be used safely.");

  // A truncated project.
  const std::string truncated = dir.File("truncated.kvx");
  std::filesystem::copy_file(damaged, truncated);
  {
    Database whole = Database::Open(dir.File("folder.kvx") + "/../truncated.kvx");
    whole.Close();
  }
  std::filesystem::resize_file(truncated, 4096 * 2 + 100);
  e = CaughtError([&] {
    Database t = Database::Open(truncated);
    t.Execute("INSERT INTO tblMeasurements (ParcelID) VALUES (1)");
  });
  EXPECT_EQ(e.Number(), err::kDatabaseDamaged) << e.what();

  // A file that only begins like a database.
  std::ofstream(dir.File("header.kvx")) << std::string("SQLite format 3\0", 16) << std::string(200, '\x01');
  EXPECT_EQ(ErrorOf([&] { Database::Open(dir.File("header.kvx")); }), err::kDatabaseDamaged);

  // Read-only.
  const std::string readOnly = dir.File("readonly.kvx");
  MakeProject(readOnly);
  Database reader = Database::Open(readOnly, {false, true, ""});
  e = CaughtError([&] { AddParcel(reader, "A"); });
  EXPECT_EQ(e.Number(), err::kReadOnly);
  EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
}

// ---------------------------------------------------------------- one transaction

// Writes courses through the caller's connection, inside a transaction of its
// own that nests in the caller's.
void WriteCourses(Database& db, std::int64_t parcel, int count) {
  Transaction tx(db);
  Recordset rows = db.OpenRecordset("tblMeasurements");
  for (int k = 0; k < count; ++k) {
    rows.AddNew();
    rows.Set("ParcelID", parcel);
    rows.Set("RowNo", std::int64_t{k});
    rows.Set("Length", 10.0 + k);
    rows.Update();
  }
  tx.Commit();
}

TEST_F(DaoFilesTest, AParcelAndItsCoursesAreOneTransaction) {
  {
    Transaction tx(db);
    WriteCourses(db, AddParcel(db, "Kept"), 3);
    tx.Commit();
  }
  {
    Transaction tx(db);
    WriteCourses(db, AddParcel(db, "Dropped"), 3);
    // No commit: the parcel and the courses its helper committed go together.
  }
  EXPECT_EQ(Names(db, "SELECT Parcel FROM tblParcel"), std::vector<std::string>{"Kept"});
  EXPECT_EQ(db.OpenRecordset("tblMeasurements").RecordCount(), 3);

  // A second connection of this program cannot write while the first is in
  // its transaction: it is told at once, not after a wait.
  Database second = Database::Open(path);
  Transaction tx(db);
  AddParcel(db, "Pending");
  const DaoError e = CaughtError([&] { Transaction inner(second); });
  EXPECT_EQ(e.Number(), err::kLocked);
  EXPECT_NE(std::string(e.what()).find("another connection of this program"), std::string::npos) << e.what();
  EXPECT_EQ(ErrorOf([&] { second.Execute("DELETE FROM tblParcel"); }), err::kLocked);
  EXPECT_EQ(ErrorOf([&] { AddParcel(second, "Outside"); }), err::kLocked);
  tx.Commit();
  Transaction after(second);
  AddParcel(second, "Later");
  after.Commit();
  EXPECT_EQ(db.OpenRecordset("tblParcel").RecordCount(), 3);
}

// A writer killed in the middle of a parcel and its courses, after some of
// its pages reached the file: the parcel is there whole or not at all, and
// its name can be used again.
TEST_F(DaoFilesTest, AWriterKilledHalfWayLeavesNothingHalfWritten) {
  {
    Transaction tx(db);
    WriteCourses(db, AddParcel(db, "Before"), 50);
    tx.Commit();
  }
  db.Close();
  int ready[2], never[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(never), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Database w = Database::Open(path);
    w.Execute("PRAGMA cache_size = 2");  // pages reach the file before the commit
    Transaction tx(w);
    const std::int64_t id = AddParcel(w, "Killed");
    WriteCourses(w, id, 400);
    char byte = 'y';
    (void)!::write(ready[1], &byte, 1);
    (void)!::read(never[0], &byte, 1);  // killed here
    tx.Commit();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  EXPECT_TRUE(std::filesystem::exists(path + "-journal"));
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));

  Database after = Database::Open(path);
  EXPECT_EQ(Names(after, "SELECT Parcel FROM tblParcel"), std::vector<std::string>{"Before"});
  EXPECT_EQ(after.OpenRecordset("tblMeasurements").RecordCount(), 50);
  WriteCourses(after, AddParcel(after, "killed"), 2);
  after.Close();
  if (auto check = Shell(path, "PRAGMA integrity_check;")) {
    EXPECT_EQ(*check, "ok\n");
  }
}

// A statement whose own text is at fault keeps the engine's number and
// words; only a fault of the file's definitions is told as damage.
TEST_F(DaoFilesTest, AStatementsOwnFaultKeepsItsError) {
  struct Case {
    const char* sql;
    int number;
    const char* words;
  };
  const Case cases[] = {
      {"SELECT Nobody FROM tblParcel", err::kItemNotFound, "no such column: Nobody"},
      {"SELECT * FROM tblNone", err::kTableNotFound, "no such table: tblNone"},
      {"INSERT INTO tblMeasurements (Nobody) VALUES (1)", err::kSyntaxError, "has no column named Nobody"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    const DaoError e = CaughtError([&] { db.Execute(c.sql); });
    EXPECT_EQ(e.Number(), c.number);
    EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
  }
}

// A program that ends while a static object still holds a file exclusively
// (the system database of a run): the hold goes with the object, after the
// layer's own statics, and reads nothing they owned. The sanitizer build
// sees a read of freed memory; the child must end cleanly.
TEST(DaoExit, AFileStillHeldAtExitIsLetGoCleanly) {
  TempFolder dir;
  const std::string path = dir.File("system.zrq");
  MakeProject(path);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    static std::optional<Database> held;  // destroyed after what the open makes
    held.emplace(Database::Open(path, {true, false, ""}));
    std::exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
}

}  // namespace
}  // namespace korvalo::dao

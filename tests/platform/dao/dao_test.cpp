#include "platform/dao/dao.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

namespace korvalo::dao {
namespace {

int ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const DaoError& e) {
    return e.Number();
  }
  return 0;
}

FieldDef F(const char* name, FieldType type, int size = 0) { return FieldDef{name, type, size, false, false, kNull}; }

class DaoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.File("test.kvx");
    db = Database::Create(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", true);
    FieldDef id = F("ParcelID", FieldType::Long);
    id.autoIncrement = true;
    FieldDef zero = F("Note", FieldType::Text, 5);
    zero.allowZeroLength = true;
    db.CreateTable({"tblParcel",
                    {id, F("Parcel", FieldType::Text, 5), F("Flag", FieldType::Boolean), F("Small", FieldType::Integer),
                     F("Big", FieldType::Long), F("Size", FieldType::Double), F("When", FieldType::Date), zero}});
    db.CreateIndex("tblParcel", "TempIndex", "Parcel", true);
  }

  // Adds a parcel by name; returns its id.
  std::int64_t Add(const std::string& name) {
    Recordset rs = db.OpenRecordset("tblParcel");
    rs.AddNew();
    rs.Set("Parcel", name);
    rs.Update();
    rs.SetBookmark(rs.LastModified());
    return AsLong(rs.Get("ParcelID"));
  }

  TempFolder dir;
  std::string path;
  Database db;
};

TEST_F(DaoTest, FieldsKeepTheirTypesAndLimits) {
  struct Case {
    const char* field;
    Value value;
    int error;
  };
  const Case cases[] = {
      {"Parcel", std::string("abcde"), 0},
      {"Parcel", std::string("\u00B0\u00B0\u00B0\u00B0\u00B0"), 0},  // five characters, ten bytes
      {"Parcel", std::string("abcdef"), err::kFieldTooSmall},
      {"Parcel", std::string(""), err::kZeroLengthRefused},
      {"Note", std::string(""), 0},
      {"Small", std::int64_t{32767}, 0},
      {"Small", std::int64_t{-32768}, 0},
      {"Small", std::int64_t{32768}, err::kNumericOverflow},
      {"Small", std::int64_t{-32769}, err::kNumericOverflow},
      {"Small", std::string("abc"), err::kTypeMismatch},
      {"Big", std::int64_t{2147483647}, 0},
      {"Big", std::int64_t{2147483648}, err::kNumericOverflow},
      {"Flag", kNull, err::kNullNotAllowed},
      {"Flag", true, 0},
      {"Size", std::string("1.2.3"), err::kTypeMismatch},
      {"ParcelID", std::int64_t{7}, err::kFieldNotUpdatable},
  };
  Recordset rs = db.OpenRecordset("tblParcel");
  for (const Case& c : cases) {
    rs.AddNew();
    EXPECT_EQ(ErrorOf([&] { rs.Set(c.field, c.value); }), c.error) << c.field << " case " << (&c - cases);
    rs.CancelUpdate();
  }
  // A Boolean left alone reads False, and an unset text reads Null.
  rs.AddNew();
  rs.Set("Parcel", std::string("A"));
  rs.Update();
  rs.SetBookmark(rs.LastModified());
  EXPECT_EQ(rs.Get("Flag"), Value(false));
  EXPECT_TRUE(IsNull(rs.Get("Note")));
  // The engine refuses what the layer refuses, also through SQL text.
  EXPECT_EQ(ErrorOf([&] { db.Execute("UPDATE tblParcel SET Small = 40000"); }), err::kValidationRule);
  EXPECT_EQ(ErrorOf([&] { db.Execute("UPDATE tblParcel SET Parcel = ''"); }), err::kValidationRule);
}

TEST_F(DaoTest, NamesCompareWithoutCase) {
  Add("Lot1");
  EXPECT_EQ(ErrorOf([&] { Add("LOT1"); }), err::kDuplicateKey);
  EXPECT_EQ(ErrorOf([&] { db.Execute("INSERT INTO tblparcel (parcel) VALUES (?)", {std::string("lot1")}); }),
            err::kDuplicateKey);
  Add("b");
  Add("C");
  Recordset rs = db.OpenRecordset("SELECT * FROM TBLPARCEL ORDER BY parcel");
  std::vector<std::string> order;
  for (; !rs.Eof(); rs.MoveNext()) order.push_back(AsText(rs.Get("PARCEL")));
  EXPECT_EQ(order, (std::vector<std::string>{"b", "C", "Lot1"}));
  Recordset one = db.OpenRecordset("select * from tblParcel where Parcel = ?", RecordsetType::Dynaset,
                                   {std::string("LOT1")});
  ASSERT_FALSE(one.Eof());
  EXPECT_EQ(one.Get(1), Value(std::string("Lot1")));  // by position in field order
  EXPECT_EQ(one.FieldName(1), "Parcel");
  EXPECT_EQ(ErrorOf([&] { one.Get("NoSuchField"); }), err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { one.Get(99); }), err::kItemNotFound);
}

TEST_F(DaoTest, EmptySetAndNavigation) {
  Recordset rs = db.OpenRecordset("tblParcel");
  EXPECT_TRUE(rs.Bof());
  EXPECT_TRUE(rs.Eof());
  EXPECT_EQ(ErrorOf([&] { rs.MoveFirst(); }), err::kNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs.Get("Parcel"); }), err::kNoCurrentRecord);

  for (const char* name : {"A", "B", "C"}) Add(name);
  Recordset all = db.OpenRecordset("SELECT * FROM tblParcel ORDER BY Parcel");
  all.MoveLast();
  EXPECT_EQ(all.RecordCount(), 3);
  all.MoveFirst();
  all.Delete();  // removes A; MoveNext reaches B
  all.MoveNext();
  EXPECT_EQ(all.Get("Parcel"), Value(std::string("B")));
  all.MoveNext();
  all.MoveNext();
  EXPECT_TRUE(all.Eof());
  EXPECT_EQ(ErrorOf([&] { all.MoveNext(); }), err::kNoCurrentRecord);
  EXPECT_EQ(db.OpenRecordset("tblParcel").RecordCount(), 2);
}

TEST_F(DaoTest, LastModifiedReachesTheNewRowAndIdsAreNeverReused) {
  std::int64_t first = Add("A");
  std::int64_t second = Add("B");
  EXPECT_GT(second, first);
  db.Execute("DELETE * FROM tblParcel WHERE ParcelID = ?", {second});
  std::int64_t third = Add("C");
  EXPECT_GT(third, second);

  Recordset rs = db.OpenRecordset("SELECT * FROM tblParcel ORDER BY Parcel");
  rs.MoveLast();
  rs.Edit();
  rs.Set("Size", 12.5);
  rs.Update();
  rs.MoveFirst();
  rs.SetBookmark(rs.LastModified());
  EXPECT_EQ(rs.Get("Parcel"), Value(std::string("C")));
  EXPECT_EQ(rs.Get("Size"), Value(12.5));
  EXPECT_EQ(db.Execute("delete * from tblParcel where Parcel = ?", {std::string("it's")}), 0);
}

TEST_F(DaoTest, UpdateWithSubSelectAndBooleanWords) {
  Add("A");
  Add("B");
  const std::string sql =
      "UPDATE tblParcel SET Flag = True WHERE ParcelID IN (SELECT ParcelID FROM tblParcel WHERE Parcel = ?)";
  EXPECT_EQ(db.Execute(sql, {std::string("a")}), 1);
  Recordset rs = db.OpenRecordset("SELECT Parcel, Flag FROM tblParcel ORDER BY Parcel", RecordsetType::Snapshot);
  EXPECT_EQ(rs.Get("Flag"), Value(true));
  rs.MoveNext();
  EXPECT_EQ(rs.Get("Flag"), Value(false));
  EXPECT_EQ(ErrorOf([&] { rs.Edit(); }), err::kReadOnly);
  EXPECT_EQ(ErrorOf([&] { db.Execute(sql); }), err::kSyntaxError);  // a value is missing
}

TEST_F(DaoTest, TransactionsRollBackEveryRow) {
  {
    Transaction tx(db);
    Add("A");
    Add("B");
  }
  EXPECT_EQ(db.OpenRecordset("tblParcel").RecordCount(), 0);
  {
    Transaction tx(db);
    Add("A");
    tx.Commit();
  }
  EXPECT_EQ(db.OpenRecordset("tblParcel").RecordCount(), 1);
}

// A commit the engine refuses leaves the transaction open, to be rolled back:
// the writes after it must not run inside a transaction nobody ends (they
// would be lost when the file is closed).
TEST_F(DaoTest, ARefusedCommitCanBeRolledBack) {
  db.Execute("PRAGMA foreign_keys = ON");
  db.Execute("CREATE TABLE tblOwner (id INTEGER PRIMARY KEY)");
  db.Execute("CREATE TABLE tblOwned (owner INTEGER REFERENCES tblOwner (id) DEFERRABLE INITIALLY DEFERRED)");
  {
    Transaction tx(db);
    Add("A");
    db.Execute("INSERT INTO tblOwned (owner) VALUES (?)", {std::int64_t{5}});  // refused at the commit
    EXPECT_NE(ErrorOf([&] { tx.Commit(); }), 0);
    EXPECT_TRUE(db.InTransaction());
  }
  EXPECT_FALSE(db.InTransaction());
  {
    Transaction tx(db);
    Add("B");
    tx.Commit();
  }
  Database other = Database::Open(path);
  Recordset rs = other.OpenRecordset("tblParcel");
  ASSERT_EQ(rs.RecordCount(), 1);
  EXPECT_EQ(rs.Get("Parcel"), Value(std::string("B")));
}

TEST_F(DaoTest, AppendedFieldComesLastWithItsDefault) {
  Add("A");
  FieldDef f = F("NonTang", FieldType::Boolean);
  f.defaultValue = false;
  db.AppendField("TBLPARCEL", f);
  auto fields = db.Fields("tblParcel");
  EXPECT_EQ(fields.back().name, "NonTang");
  EXPECT_EQ(fields.back().type, FieldType::Boolean);
  Recordset rs = db.OpenRecordset("tblParcel");
  EXPECT_EQ(rs.Get(rs.FieldCount() - 1), Value(false));
}

// A read that hands out the rows as they are stepped gives what a snapshot
// of the same statement gives: the same fields in the same order, the same
// values in their field's type (a whole number in a Double field reads as a
// Double, a Boolean as a Boolean), Nulls, and the same errors.
TEST_F(DaoTest, RowsReadOneByOneMatchTheSnapshot) {
  for (const char* name : {"C", "a", "B"}) Add(name);
  db.Execute("UPDATE tblParcel SET Size = 3, Flag = True, Big = 70000 WHERE Parcel = 'B'");
  db.Execute("UPDATE tblParcel SET Size = 2.5, Note = '' WHERE Parcel = 'C'");
  const std::string sql = "SELECT * FROM tblParcel WHERE Parcel > ? ORDER BY Parcel";
  const std::vector<Value> params{std::string("")};

  std::vector<std::vector<Value>> read;
  std::vector<std::string> names;
  db.ReadRows(sql, params, [&](const RowView& row) {
    if (names.empty()) {
      for (int i = 0; i < row.FieldCount(); ++i) names.emplace_back(row.FieldName(i));
    }
    std::vector<Value> values;
    for (int i = 0; i < row.FieldCount(); ++i) values.push_back(row.Get(i));
    EXPECT_EQ(row.Get("parcel"), values[1]);
    EXPECT_EQ(ErrorOf([&] { row.Get("Nothing"); }), err::kItemNotFound);
    EXPECT_EQ(ErrorOf([&] { row.Get(row.FieldCount()); }), err::kItemNotFound);
    EXPECT_EQ(ErrorOf([&] { row.FieldName(-1); }), err::kItemNotFound);
    read.push_back(std::move(values));
  });

  Recordset rs = db.OpenRecordset(sql, RecordsetType::Snapshot, params);
  ASSERT_EQ(static_cast<int>(names.size()), rs.FieldCount());
  for (int i = 0; i < rs.FieldCount(); ++i) EXPECT_EQ(names[static_cast<std::size_t>(i)], rs.FieldName(i));
  std::vector<std::vector<Value>> snapshot;
  for (; !rs.Eof(); rs.MoveNext()) {
    std::vector<Value> values;
    for (int i = 0; i < rs.FieldCount(); ++i) values.push_back(rs.Get(i));
    snapshot.push_back(std::move(values));
  }
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read, snapshot);
  EXPECT_EQ(read[1][1], Value(std::string("B")));
  EXPECT_EQ(read[1][5], Value(3.0));
  EXPECT_EQ(read[1][2], Value(true));
  EXPECT_EQ(read[0][5], kNull);

  int none = 0;
  db.ReadRows(sql, {std::string("z")}, [&](const RowView&) { ++none; });
  EXPECT_EQ(none, 0);
  EXPECT_EQ(ErrorOf([&] { db.ReadRows("SELECT * FROM tblNothing", {}, [](const RowView&) {}); }),
            err::kTableNotFound);
  EXPECT_EQ(ErrorOf([&] { db.ReadRows(sql, {}, [](const RowView&) {}); }), err::kSyntaxError);
}

// A visit may read the same statement again, or stop the read by throwing;
// neither disturbs the read it is part of or the next one.
TEST_F(DaoTest, RowsReadDuringAVisitOfTheSameStatement) {
  for (const char* name : {"A", "B", "C"}) Add(name);
  const std::string sql = "SELECT Parcel FROM tblParcel WHERE Parcel >= ? ORDER BY Parcel";
  std::vector<std::string> outer;
  std::vector<std::string> inner;
  db.ReadRows(sql, {std::string("A")}, [&](const RowView& row) {
    outer.push_back(AsText(row.Get(0)));
    db.ReadRows(sql, {std::string("C")}, [&](const RowView& r) { inner.push_back(AsText(r.Get(0))); });
    Recordset rs = db.OpenRecordset(sql, RecordsetType::Snapshot, {std::string("B")});
    EXPECT_EQ(rs.RecordCount(), 2);
  });
  EXPECT_EQ(outer, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(inner, (std::vector<std::string>{"C", "C", "C"}));

  EXPECT_THROW(db.ReadRows(sql, {std::string("A")}, [](const RowView&) { throw std::runtime_error("stop"); }),
               std::runtime_error);
  int rows = 0;
  db.ReadRows(sql, {std::string("B")}, [&](const RowView&) { ++rows; });
  EXPECT_EQ(rows, 2);

  // A visit that closes the database ends the read with the closed
  // database's error instead of reading on.
  Database copy = db;
  EXPECT_EQ(ErrorOf([&] { copy.ReadRows(sql, {std::string("A")}, [&](const RowView&) { copy.Close(); }); }),
            err::kSyntaxError);
  EXPECT_FALSE(db.IsOpen());
}

TEST(DaoOpen, RefusesMissingAndForeignFiles) {
  TempFolder dir;
  EXPECT_EQ(ErrorOf([&] { Database::Open(dir.File("none.kvx")); }), err::kFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.kvx")));
  std::ofstream(dir.File("text.kvx")) << "not a database at all, but long enough to look like one........";
  EXPECT_EQ(ErrorOf([&] { Database::Open(dir.File("text.kvx")); }), err::kNotADatabase);
  // A database of another program.
  sqlite3* other = nullptr;
  sqlite3_open(dir.File("other.db").c_str(), &other);
  sqlite3_exec(other, "CREATE TABLE t (x)", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(ErrorOf([&] { Database::Open(dir.File("other.db")); }), err::kNotADatabase);
  // A refused exclusive open leaves nothing beside the file either.
  EXPECT_EQ(ErrorOf([&] { Database::Open(dir.File("text.kvx"), {true, false, ""}); }), err::kNotADatabase);
  EXPECT_FALSE(std::filesystem::exists(dir.File("text.kvx.lock")));
  // Shared opens leave no side-car files behind.
  Database::Create(dir.File("ours.kvx")).Close();
  Database::Open(dir.File("ours.kvx")).Close();
  EXPECT_FALSE(std::filesystem::exists(dir.File("ours.kvx.lock")));
}

// The system database's rules: exclusive with a password at start-up; this
// process's later opens need neither; another process gets 3356.
TEST(DaoOpen, ExclusiveHoldAndPassword) {
  TempFolder dir;
  const std::string path = dir.File("system.zrq");
  {
    Database created = Database::Create(path);
    created.CreateTable({"t", {F("x", FieldType::Integer)}});
    created.SetPassword("se'cret");
  }
  OpenOptions wrong{true, false, ";Pwd=nope"};
  EXPECT_EQ(ErrorOf([&] { Database::Open(path, wrong); }), err::kWrongPassword);
  EXPECT_EQ(ErrorOf([&] { Database::Open(path, {true, false, ""}); }), err::kWrongPassword);

  Database startUp = Database::Open(path, {true, false, ";Pwd=se'cret"});
  Database again = Database::Open(path);                      // shared, no password
  Database writer = Database::Open(path, {true, false, ""});  // exclusive, no password
  writer.Execute("INSERT INTO t (x) VALUES (?)", {std::int64_t{1}});
  // The hold lasts while any connection of this process is open.
  startUp.Close();
  Database held = Database::Open(path, {true, false, ";Pwd=se'cret"});

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int shared = ErrorOf([&] { Database::Open(path); });
    int exclusive = ErrorOf([&] { Database::Open(path, {true, false, ";Pwd=se'cret"}); });
    _exit(shared == err::kExclusiveElsewhere && exclusive == err::kExclusiveElsewhere ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  // The holder goes on working.
  held.Execute("INSERT INTO t (x) VALUES (?)", {std::int64_t{2}});
  EXPECT_EQ(again.OpenRecordset("t").RecordCount(), 2);
}

// A lock file that cannot be made is a file error, not another process's hold:
// nothing may tell the user that another instance is running.
TEST(DaoOpen, ExclusiveOpenWithoutItsLockFileIsNoConflict) {
  TempFolder dir;
  const std::string path = dir.File("system.zrq");
  Database::Create(path).Close();
  std::filesystem::create_directory(path + ".lock");  // in the way of the lock file
  EXPECT_EQ(ErrorOf([&] { Database::Open(path, {true, false, ""}); }), err::kDiskError);
  Database::Open(path).Close();  // shared opens need no lock file
}

}  // namespace
}  // namespace korvalo::dao

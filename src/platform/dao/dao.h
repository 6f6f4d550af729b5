#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3_stmt;

// The database layer: a small DAO-like interface over SQLite.
//
// Files are SQLite databases marked with our application id; a file that is
// not ours is refused when it is opened. Each field keeps its declared type
// and the layer enforces it on every write: Text(n) holds at most n
// characters (code points), "" is refused unless the field allows zero
// length, Integer stays in -32768..32767, Long in 32 bits, a Boolean always
// has a value, a Double holds finite numbers only. Triggers in the file hold
// the same rules for SQL statements run through Execute. Table and field
// names match in any letter case. Text compares and sorts without regard to
// case for every letter and in dictionary order (text_order.h); a unique
// index on a text field refuses names that differ only in letter case (3022).
// Files stay readable by the sqlite3 shell.
//
// A damaged file (a damaged page, an index that misses a row of its table,
// table definitions that do not read) is refused (kDatabaseDamaged) before
// the first write of a connection, and whenever VerifyFile asks; its message
// says that the file is damaged, never in the engine's words. An empty file
// (kEmptyFile), a database format the engine cannot read (kUnknownFormat)
// and a file of ours whose layout record does not read (kLayoutUnreadable)
// are refused at open, before anything could be written into them; a file another program is writing answers
// kLocked after a 2 s wait; an Update or Delete of a row that another
// connection deleted answers kRecordDeleted. A transaction belongs to one
// connection: while one connection of this process is in a transaction on a
// file, a transaction of another of its connections on that file is refused
// at once (kLocked), since it could only wait for the first.
//
// Values from users always travel as bound parameters: Execute and
// OpenRecordset take them beside the SQL text.
//
// Locking: an exclusive open takes an advisory lock (flock) on a side-car
// file "<database>.lock" (removed again when the open is refused and made
// it) and records the path in a per-process registry; a
// shared open takes a shared lock on that file when it exists (a file never
// opened exclusively has none, so project folders gain no side-cars).
// While this process holds a path exclusively its own later opens of it
// succeed, exclusive or not and without the password; an open from another
// process fails with kExclusiveElsewhere. An exclusive open whose side-car
// cannot be made (a folder that cannot be written) fails with kDiskError, not
// as a hold of another process. The database file itself is never
// opened and closed to take a lock (that would drop SQLite's own locks).
namespace korvalo::dao {

// Error numbers. 3022 and 3356 are the ones callers tell apart; the others
// are the engine's numbers for the same conditions.
namespace err {
inline constexpr int kInvalidUseOfNull = 94;        // a Null read as a number, Boolean or text
inline constexpr int kTableExists = 3010;           // CreateTable of an existing table
inline constexpr int kUpdateWithoutEdit = 3020;     // Update without AddNew or Edit
inline constexpr int kNoCurrentRecord = 3021;       // no current row (BOF/EOF, empty set)
inline constexpr int kDuplicateKey = 3022;          // duplicate value in a unique index
inline constexpr int kFileNotFound = 3024;          // the database file does not exist
inline constexpr int kReadOnly = 3027;              // read-only database or recordset
inline constexpr int kWrongPassword = 3031;         // missing or wrong password
inline constexpr int kNoTransaction = 3034;         // commit or rollback without a transaction
inline constexpr int kDiskError = 3043;             // input/output failure
inline constexpr int kInvalidPath = 3044;           // the path names a folder, not a file
inline constexpr int kDatabaseDamaged = 3049;       // a database file that is damaged
inline constexpr int kCannotOpen = 3051;            // no permission to read the file
inline constexpr int kSyntaxError = 3075;           // SQL the engine cannot run
inline constexpr int kTableNotFound = 3078;         // unknown table
inline constexpr int kFieldTooSmall = 3163;         // text longer than the field's size
inline constexpr int kFieldNotUpdatable = 3164;     // an auto-increment field was assigned
inline constexpr int kRecordDeleted = 3167;         // the current row was deleted
inline constexpr int kFileExists = 3204;            // CreateDatabase over an existing file
inline constexpr int kLocked = 3218;                // the file is in use by another writer
inline constexpr int kItemNotFound = 3265;          // unknown field name or position
inline constexpr int kNullNotAllowed = 3314;        // Null in a field that needs a value
inline constexpr int kZeroLengthRefused = 3315;     // "" in a field without zero length
inline constexpr int kValidationRule = 3317;        // a stored value breaks a field rule
inline constexpr int kNotADatabase = 3343;          // not a database of ours
inline constexpr int kNumericOverflow = 3349;       // number outside the field's range
inline constexpr int kExclusiveElsewhere = 3356;    // held exclusively by another process
inline constexpr int kTypeMismatch = 3464;          // value of the wrong kind for the field
// The layer's own numbers, for what the engine has no number of its own for.
inline constexpr int kEmptyFile = 3901;             // a file of no bytes: no database at all
inline constexpr int kUnknownFormat = 3902;         // a database format the engine cannot read
inline constexpr int kLayoutUnreadable = 3903;      // a file of ours whose layout record does not read
}  // namespace err

class DaoError : public std::runtime_error {
 public:
  DaoError(int number, const std::string& description);
  int Number() const { return number_; }

 private:
  int number_;
};

// A field value: Null, Boolean, whole number, floating number or text.
using Value = std::variant<std::monostate, bool, std::int64_t, double, std::string>;

inline const Value kNull{};
bool IsNull(const Value& v);
// Conversions with the engine's rules; a Null raises kInvalidUseOfNull, a
// text that is not a number raises kTypeMismatch.
bool AsBool(const Value& v);
std::int64_t AsLong(const Value& v);  // whole numbers; halves round to even
double AsDouble(const Value& v);
std::string AsText(const Value& v);   // numbers as plain text, "True"/"False"
// Today's date as a Date field stores it ("2024-03-09").
std::string Today();

enum class FieldType { Boolean, Integer, Long, Double, Date, Text };

struct FieldDef {
  std::string name;
  FieldType type = FieldType::Text;
  int size = 0;                 // Text only; 0 means the default size of 50
  bool autoIncrement = false;   // Long only; at most one per table
  bool allowZeroLength = false; // Text only
  Value defaultValue;           // Null: none (a Boolean then defaults to False)
};

struct TableDef {
  std::string name;
  std::vector<FieldDef> fields;
};

enum class RecordsetType { Dynaset, Snapshot };

struct OpenOptions {
  bool exclusive = false;
  bool readOnly = false;
  std::string connect;  // ";Pwd=" and the password, or empty
};

class Recordset;
class ReadSnapshot;
class RowView;
struct Connection;

// A connection to one database file. Copies share the connection; it closes
// when Close is called or the last copy goes.
class Database {
 public:
  Database() = default;

  // Creates a new database file. The locale text is accepted; its effect is
  // case-insensitive text comparison, which every database has here. The
  // encryption flag is accepted and has no effect. kFileExists when a file
  // of that path exists.
  static Database Create(const std::string& path, std::string_view locale = {},
                         bool encrypted = false);
  // Opens an existing file; never creates one. See the locking rules above.
  static Database Open(const std::string& path, const OpenOptions& options = {});

  bool IsOpen() const;
  // The file was written by a newer version of the layer (its layout number
  // is above ours): it is read as it stands and every write is refused
  // (kReadOnly), since a write could lose what this version does not know.
  bool IsNewerLayout() const;
  // The file's header marks a database format the engine reads but does not
  // write (its write version is above 2): it is read as it stands and every
  // write is refused (kReadOnly), though the file itself may be writable.
  bool IsReadOnlyFormat() const;
  // Checks the whole file now, as before a first write (pages, every index
  // against its table), and raises kDatabaseDamaged when it is damaged: a
  // read through a damaged index would find the wrong rows or none. Made
  // once a process for each file, like the check before a write.
  void VerifyFile();
  const std::string& Path() const;
  void Close();

  // Sets the password a later open must give (";Pwd=").
  void SetPassword(const std::string& password);

  void CreateTable(const TableDef& table);
  void CreateIndex(const std::string& table, const std::string& indexName,
                   const std::string& field, bool unique);
  // Appends a field as the table's last field; stored rows read its default.
  void AppendField(const std::string& table, const FieldDef& field);
  bool TableExists(const std::string& table) const;
  // The table's fields in order; kTableNotFound for an unknown table.
  std::vector<FieldDef> Fields(const std::string& table) const;
  std::vector<std::string> TableNames() const;

  // Runs an action statement ("DELETE * FROM" is taken as "DELETE FROM") with
  // its values bound to the "?" placeholders; returns the rows affected.
  int Execute(const std::string& sql, const std::vector<Value>& params = {});

  // A table name or a SELECT statement.
  Recordset OpenRecordset(const std::string& source,
                          RecordsetType type = RecordsetType::Dynaset,
                          const std::vector<Value>& params = {});

  // Hands each row of a table or a SELECT statement to visit as the engine
  // steps it, keeping none: for a read that passes over its rows once. Field
  // names, positions, values and errors are those of a Snapshot recordset of
  // the same source.
  void ReadRows(const std::string& source, const std::vector<Value>& params,
                const std::function<void(const RowView&)>& visit);

  void BeginTrans();
  void CommitTrans();
  void Rollback();
  bool InTransaction() const;

 private:
  friend class ReadSnapshot;
  explicit Database(std::shared_ptr<Connection> c) : conn_(std::move(c)) {}
  Connection& Conn() const;
  std::shared_ptr<Connection> conn_;
};

// Runs the enclosed writes as one unit: rolled back unless Commit was called.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Database& db_;
  bool done_ = false;
};

// Holds one read of the file while it lives: the statements run meanwhile
// take the file's lock once instead of once each, and all see the file as the
// first of them found it (another program's changes wait until it ends).
// While it lives the connection changes nothing (kReadOnly). Inside a
// transaction, which already holds the file, it does nothing.
class ReadSnapshot {
 public:
  explicit ReadSnapshot(Database& db);
  ~ReadSnapshot();
  ReadSnapshot(const ReadSnapshot&) = delete;
  ReadSnapshot& operator=(const ReadSnapshot&) = delete;

 private:
  std::shared_ptr<Connection> conn_;  // set while this read is held
};

struct RecordsetPlan;

// The current row of a ReadRows; valid during its visit only.
class RowView {
 public:
  int FieldCount() const;
  std::string_view FieldName(int position) const;
  Value Get(int position) const;        // kItemNotFound outside the fields
  Value Get(std::string_view name) const;

 private:
  friend class Database;
  RowView(const Connection& c, const RecordsetPlan& plan, sqlite3_stmt* stmt) : c_(c), plan_(plan), stmt_(stmt) {}
  const Connection& c_;
  const RecordsetPlan& plan_;
  sqlite3_stmt* stmt_;
};

struct Bookmark {
  std::int64_t key = -1;
  bool operator==(const Bookmark&) const = default;
};

struct RecordsetState;

class Recordset {
 public:
  Recordset() = default;

  bool Bof();
  bool Eof();
  void MoveFirst();  // kNoCurrentRecord on an empty set
  void MoveLast();
  void MoveNext();
  void MovePrevious();
  long RecordCount();

  int FieldCount() const;
  std::string FieldName(int position) const;
  // Current row's value (or the edit buffer's during AddNew/Edit).
  Value Get(std::string_view name);
  Value Get(int position);
  bool HasField(std::string_view name) const;

  void AddNew();
  void Edit();
  void Set(std::string_view name, const Value& value);
  void Set(int position, const Value& value);
  void Update();
  void CancelUpdate();
  void Delete();

  Bookmark GetBookmark();
  void SetBookmark(const Bookmark& b);
  // The row last added or edited through this recordset.
  Bookmark LastModified() const;

  void Close();
  bool IsOpen() const { return state_ != nullptr; }

 private:
  friend class Database;
  std::shared_ptr<RecordsetState> state_;
  RecordsetState& S() const;
};

}  // namespace korvalo::dao

#include "platform/dao/dao.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <map>
#include <set>
#include <unordered_map>

#include "common/numbers.h"
#include "common/utf8.h"
#include "platform/dao/column_types.h"
#include "platform/dao/field_rules.h"
#include "platform/dao/file_checks.h"
#include "platform/dao/file_lock.h"
#include "platform/dao/text_order.h"

namespace korvalo::dao {

using detail::ColumnSql;
using detail::Coerce;
using detail::ParseDeclared;

namespace {

// A connection serves one thread at a time (the layer's own state of it is
// not shared between threads either), so SQLite's lock around every call on
// it is left out.
constexpr int kConnectionFlags = SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX;

// "KORV": marks a file as one of ours.
constexpr int kApplicationId = 0x4B4F5256;
constexpr const char* kMetaTable = "korvalo_meta";

std::string Quote(std::string_view name) { return detail::QuoteName(name); }

// Skips blanks, then matches `word` in any letter case followed by a blank
// or the end; returns the position after it, or npos.
std::size_t MatchWord(std::string_view text, std::size_t at, std::string_view word) {
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  if (at + word.size() > text.size() || !utf8::EqualsNoCase(text.substr(at, word.size()), word)) {
    return std::string_view::npos;
  }
  at += word.size();
  if (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at])) && text[at] != '*') {
    return std::string_view::npos;
  }
  return at;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

DaoError::DaoError(int number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

// ---------------------------------------------------------------- values

bool IsNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

bool AsBool(const Value& v) {
  if (IsNull(v)) throw DaoError(err::kInvalidUseOfNull, "Invalid use of Null");
  if (auto b = std::get_if<bool>(&v)) return *b;
  if (auto i = std::get_if<std::int64_t>(&v)) return *i != 0;
  if (auto d = std::get_if<double>(&v)) return *d != 0.0;
  const std::string& s = std::get<std::string>(v);
  if (utf8::EqualsNoCase(s, "True")) return true;
  if (utf8::EqualsNoCase(s, "False")) return false;
  if (!s.empty()) {
    if (auto n = ReadNumber(s)) return *n != 0.0;
  }
  throw DaoError(err::kTypeMismatch, "Type mismatch: \"" + s + "\" is not a Boolean");
}

double AsDouble(const Value& v) {
  if (IsNull(v)) throw DaoError(err::kInvalidUseOfNull, "Invalid use of Null");
  if (auto b = std::get_if<bool>(&v)) return *b ? -1.0 : 0.0;
  if (auto i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
  if (auto d = std::get_if<double>(&v)) return *d;
  const std::string& s = std::get<std::string>(v);
  if (!s.empty()) {
    if (auto n = ReadNumber(s)) return *n;
  }
  throw DaoError(err::kTypeMismatch, "Type mismatch: \"" + s + "\" is not a number");
}

std::int64_t AsLong(const Value& v) {
  if (auto i = std::get_if<std::int64_t>(&v)) return *i;
  double d = RoundHalfEven(AsDouble(v), 0);
  if (!(d >= -9.2e18 && d <= 9.2e18)) throw DaoError(err::kNumericOverflow, "Numeric overflow");
  return static_cast<std::int64_t>(d);
}

std::string Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

std::string AsText(const Value& v) {
  if (IsNull(v)) throw DaoError(err::kInvalidUseOfNull, "Invalid use of Null");
  if (auto b = std::get_if<bool>(&v)) return *b ? "True" : "False";
  if (auto i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
  if (auto d = std::get_if<double>(&v)) return NumberText(*d);
  return std::get<std::string>(v);
}

// ---------------------------------------------------------------- errors

namespace {

int MapSqliteError(int rc, const std::string& message) {
  switch (rc) {
    case SQLITE_READONLY_ROLLBACK: return err::kReadOnly;
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY: return err::kDuplicateKey;
    case SQLITE_CONSTRAINT_NOTNULL: return err::kNullNotAllowed;
    case SQLITE_CONSTRAINT_CHECK: return err::kValidationRule;
    default: break;
  }
  switch (rc & 0xff) {
    case SQLITE_NOTADB: return err::kNotADatabase;
    case SQLITE_READONLY: return err::kReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return err::kLocked;
    case SQLITE_CANTOPEN: return err::kFileNotFound;
    case SQLITE_CORRUPT: return err::kDatabaseDamaged;
    case SQLITE_IOERR:
    case SQLITE_FULL: return err::kDiskError;
    case SQLITE_CONSTRAINT: return err::kValidationRule;
    default: break;
  }
  // A schema format newer than the engine knows.
  if (message.find("unsupported file format") != std::string::npos) return err::kUnknownFormat;
  if (message.find("no such table") != std::string::npos) return err::kTableNotFound;
  if (message.find("no such column") != std::string::npos) return err::kItemNotFound;
  if (message.find("already exists") != std::string::npos) return err::kTableExists;
  return err::kSyntaxError;
}

// What the user reads for an engine failure on the file `path`. Failures of
// the file itself say what is true of it; others keep the engine's words.
// What the engine says of a damaged file ("Page 15 is never used") means
// nothing to a user, and is left out.
std::string Describe(int number, int rc, const std::string& path, const std::string& message) {
  const std::string file = "The file '" + path + "'";
  switch (number) {
    case err::kLocked:
      return file + " is in use by another program (locked). Try again when that program has finished with it.";
    case err::kDatabaseDamaged:
      return file + " is damaged and cannot be used safely.";
    case err::kUnknownFormat:
      return file + " is stored in a database format that this version of Korvalo cannot read.";
    case err::kReadOnly:
      if (rc == SQLITE_READONLY_DIRECTORY) {
        // The file may be writable: its folder, where each change keeps its
        // journal, is not.
        return "The folder '" + detail::FolderOf(path) + "' cannot be written, so nothing can be changed in the file '" +
               path + "' (each change needs a journal file beside it).";
      }
      if (rc == SQLITE_READONLY_ROLLBACK) {
        return file + " holds an unfinished change that can only be undone with permission to write the file, "
                      "and it is read-only.";
      }
      return file + " is read-only: nothing can be changed in it.";
    case err::kDiskError:
      if ((rc & 0xff) == SQLITE_FULL) return file + " could not be written: the disk is full.";
      return file + " could not be read or written (" + message + ").";
    default:
      return message;
  }
}

// The paths this process is writing inside a transaction, with the number of
// its connections doing so. A second connection of this process cannot write
// the file until the first one ends its transaction (SQLite would only time
// out and blame another program); it is told so at once.
// Kept to the end of the process (never destroyed): a connection still open
// while static objects are destroyed at exit leaves them at its close.
std::map<std::string, int>& WritersHere() {
  static auto* writers = new std::map<std::string, int>;
  return *writers;
}

// The files (path and identity on disk) whose pages this process checked.
std::set<std::string>& CheckedFiles() {
  static auto* files = new std::set<std::string>;
  return *files;
}

}  // namespace

// ---------------------------------------------------------------- connection

struct RecordsetPlan;

struct Connection {
  sqlite3* db = nullptr;
  std::string path;
  std::string lockKey;  // the canonical path, for the writers of this process
  std::shared_ptr<detail::FileLock> lock;  // exclusive or shared hold, if any
  int transactionDepth = 0;
  bool readSnapshot = false;  // a ReadSnapshot holds the file
  bool checked = false;  // the whole file was checked (before a first write, or asked for)
  bool newerLayout = false;  // written by a newer program: read, never written
  bool readOnlyFormat = false;  // the header marks a format the engine does not write
  std::unordered_map<std::string, sqlite3_stmt*> cache;
  std::map<std::string, std::vector<FieldDef>> schema;  // key: lower-case table name
  std::unordered_map<std::string, std::shared_ptr<const RecordsetPlan>> plans;

  ~Connection() { CloseNow(); }

  void CloseNow() {
    if (transactionDepth > 0) LeaveWriters();
    transactionDepth = 0;
    for (auto& [sql, stmt] : cache) sqlite3_finalize(stmt);
    cache.clear();
    if (db != nullptr) {
      sqlite3_close_v2(db);
      db = nullptr;
    }
    lock.reset();
  }

  [[noreturn]] void Fail(int rc) const {
    Fail(db != nullptr ? sqlite3_extended_errcode(db) : rc, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  }
  // The failure the engine reported as ext with message, read before any
  // other call on the connection could replace them.
  [[noreturn]] void Fail(int ext, const std::string& message) const {
    int number = 0;
    std::string text;
    if (ext == SQLITE_CONSTRAINT_TRIGGER && detail::ParseRuleError(message, number, text)) {
      throw DaoError(number, text);
    }
    number = MapSqliteError(ext, message);
    if (number == err::kDuplicateKey) {
      // The unique name keys: tell which index refused the value.
      const std::string prefix = detail::KeyTableName("");
      const std::size_t at = message.find(prefix);
      if (at != std::string::npos) {
        std::string index = message.substr(at + prefix.size());
        index.resize(std::min(index.find('.'), index.size()));
        throw DaoError(number, "The changes were not successful because they would create duplicate values in the "
                               "index '" + index + "'");
      }
    }
    throw DaoError(number, Describe(number, ext, path, message));
  }

  // Before the first write of this connection: a damaged file is refused
  // before anything is written into it.
  void BeforeWrite() {
    if (newerLayout) {
      throw DaoError(err::kReadOnly, "The file '" + path +
                                         "' was made by a newer version of Korvalo: it can be read, but nothing "
                                         "can be changed in it by this version.");
    }
    if (readOnlyFormat) {
      throw DaoError(err::kReadOnly, "The file '" + path +
                                         "' is marked in its header as a database format that this version of "
                                         "Korvalo can read but not write: nothing can be changed in it by this "
                                         "version.");
    }
    if (readSnapshot) {
      throw DaoError(err::kReadOnly, "The file '" + path +
                                         "' is being read as one snapshot: nothing can be changed in it until "
                                         "that read has ended");
    }
    if (transactionDepth == 0 && WritersHere().count(lockKey) != 0) FailWriterElsewhere();
    CheckWholeFile();
  }

  // A damaged file (a damaged page, an index that misses a row of its
  // table) is refused. The check reads the whole file and every index (about
  // a quarter of a second for 10,000 parcels of 80 courses; the storage
  // benchmark measures it), so it is made once a process for each file:
  // later connections to the same file (the same path and the same file on
  // disk) rely on it.
  void CheckWholeFile() {
    if (checked) return;
    struct stat st {};
    std::string fileKey;
    if (::stat(path.c_str(), &st) == 0) {
      fileKey = lockKey + "\n" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
      if (CheckedFiles().count(fileKey) != 0) {
        checked = true;
        return;
      }
    }
    int rc = SQLITE_OK;
    const std::string problem = detail::IntegrityProblem(db, rc);
    if (rc != SQLITE_OK) Fail(rc);
    if (!problem.empty()) {
      throw DaoError(err::kDatabaseDamaged, Describe(err::kDatabaseDamaged, SQLITE_CORRUPT, path, problem));
    }
    checked = true;
    if (!fileKey.empty()) CheckedFiles().insert(fileKey);
  }

  [[noreturn]] void FailWriterElsewhere() const {
    throw DaoError(err::kLocked, "The file '" + path +
                                     "' is being changed through another connection of this program; its "
                                     "changes must be made through that connection");
  }

  void EnterWriters() {
    int& n = WritersHere()[lockKey];
    if (n > 0) FailWriterElsewhere();
    ++n;
  }

  void LeaveWriters() {
    auto it = WritersHere().find(lockKey);
    if (it != WritersHere().end() && --it->second <= 0) WritersHere().erase(it);
  }

  void Check(int rc) const {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) Fail(rc);
  }

  void Exec(const std::string& sql) { Check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr)); }

  sqlite3_stmt* Prepare(const std::string& sql) const {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(stmt);
      const int ext = sqlite3_extended_errcode(db);
      const std::string message = sqlite3_errmsg(db);
      // A statement that fails inside the file's own triggers or field
      // rules ("no such column" in a trigger's text) fails on a damaged file.
      if ((rc & 0xff) == SQLITE_ERROR) {
        if (detail::FailsOnTheFilesDefinitions(db, sql)) {
          throw DaoError(err::kDatabaseDamaged, Describe(err::kDatabaseDamaged, SQLITE_CORRUPT, path, {}));
        }
      }
      Fail(ext, message);
    }
    return stmt;
  }

  sqlite3_stmt* Cached(const std::string& sql) {
    auto it = cache.find(sql);
    if (it != cache.end()) {
      sqlite3_reset(it->second);
      sqlite3_clear_bindings(it->second);
      return it->second;
    }
    sqlite3_stmt* stmt = Prepare(sql);
    cache.emplace(sql, stmt);
    return stmt;
  }

  void Bind(sqlite3_stmt* stmt, int index, const Value& v) const {
    int rc = SQLITE_OK;
    if (IsNull(v)) rc = sqlite3_bind_null(stmt, index);
    else if (auto b = std::get_if<bool>(&v)) rc = sqlite3_bind_int(stmt, index, *b ? 1 : 0);
    else if (auto i = std::get_if<std::int64_t>(&v)) rc = sqlite3_bind_int64(stmt, index, *i);
    else if (auto d = std::get_if<double>(&v)) {
      // SQLite would store a NaN as Null: a value would be lost unseen.
      if (std::isnan(*d)) throw DaoError(err::kTypeMismatch, "Data type mismatch: NaN is not a number");
      rc = sqlite3_bind_double(stmt, index, *d);
    } else {
      const std::string& s = std::get<std::string>(v);
      rc = sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    Check(rc);
  }

  void BindAll(sqlite3_stmt* stmt, const std::vector<Value>& params) const {
    if (sqlite3_bind_parameter_count(stmt) != static_cast<int>(params.size())) {
      throw DaoError(err::kSyntaxError, "The statement takes " +
                                            std::to_string(sqlite3_bind_parameter_count(stmt)) +
                                            " values; " + std::to_string(params.size()) + " given");
    }
    for (std::size_t i = 0; i < params.size(); ++i) Bind(stmt, static_cast<int>(i + 1), params[i]);
  }

  const std::vector<FieldDef>* Table(const std::string& name) {
    std::string key = utf8::AsciiLower(name);
    auto it = schema.find(key);
    if (it != schema.end()) return &it->second;
    if (detail::IsLayerTable(key) || key.rfind("sqlite_", 0) == 0) return nullptr;
    sqlite3_stmt* stmt = Prepare("PRAGMA table_info(" + Quote(name) + ")");
    std::vector<FieldDef> fields;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      auto text = [&](int c) {
        auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
        return p != nullptr ? std::string(p) : std::string();
      };
      fields.push_back(ParseDeclared(text(1), text(2), sqlite3_column_int(stmt, 5) != 0,
                                     reinterpret_cast<const char*>(sqlite3_column_text(stmt, 4))));
    }
    sqlite3_finalize(stmt);
    Check(rc);
    if (fields.empty()) return nullptr;
    return &schema.emplace(key, std::move(fields)).first->second;
  }

  const std::vector<FieldDef>& TableOrThrow(const std::string& name) {
    if (auto t = Table(name)) return *t;
    throw DaoError(err::kTableNotFound, "Cannot find table '" + name + "'");
  }

  void SchemaChanged() {
    schema.clear();
    plans.clear();
    for (auto& [sql, stmt] : cache) sqlite3_finalize(stmt);
    cache.clear();
  }

  Value Column(sqlite3_stmt* stmt, int c, const FieldDef* meta) const {
    switch (sqlite3_column_type(stmt, c)) {
      case SQLITE_NULL: return kNull;
      case SQLITE_INTEGER: {
        std::int64_t i = sqlite3_column_int64(stmt, c);
        if (meta != nullptr && meta->type == FieldType::Boolean) return i != 0;
        if (meta != nullptr && meta->type == FieldType::Double) return static_cast<double>(i);
        return i;
      }
      case SQLITE_FLOAT: return sqlite3_column_double(stmt, c);
      default: {
        auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
        return std::string(p != nullptr ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)));
      }
    }
  }
};

Connection& Database::Conn() const {
  if (!conn_ || conn_->db == nullptr) throw DaoError(err::kSyntaxError, "The database is closed");
  return *conn_;
}

namespace {

// Runs several schema statements as one change: all of them or none.
void RunAsOne(Connection& c, const std::string& sql) {
  c.Exec("SAVEPOINT korvalo_schema");
  try {
    c.Exec(sql);
    c.Exec("RELEASE korvalo_schema");
  } catch (...) {
    sqlite3_exec(c.db, "ROLLBACK TO korvalo_schema; RELEASE korvalo_schema", nullptr, nullptr, nullptr);
    c.SchemaChanged();
    throw;
  }
  c.SchemaChanged();
}

}  // namespace

Database Database::Create(const std::string& path, std::string_view /*locale*/, bool /*encrypted*/) {
  if (FileExists(path)) throw DaoError(err::kFileExists, "Database already exists: " + path);
  auto c = std::make_shared<Connection>();
  c->path = path;
  int rc = sqlite3_open_v2(path.c_str(), &c->db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | kConnectionFlags, nullptr);
  if (rc != SQLITE_OK) {
    // The system's reason ("Permission denied", "File name too long") says
    // more than the engine's "unable to open database file".
    const int systemError = c->db != nullptr ? sqlite3_system_errno(c->db) : 0;
    std::string message = systemError != 0 ? std::strerror(systemError)
                          : c->db != nullptr ? sqlite3_errmsg(c->db)
                                             : sqlite3_errstr(rc);
    c->CloseNow();
    throw DaoError(err::kDiskError, "The file '" + path + "' cannot be made: " + message);
  }
  c->lockKey = detail::LockKey(path);
  c->checked = true;  // nothing in it to check
  sqlite3_busy_timeout(c->db, 2000);
  detail::RegisterTextRules(c->db, true);
  try {
    c->Exec("PRAGMA application_id = " + std::to_string(kApplicationId) + ";" + "CREATE TABLE " + kMetaTable +
            " (key TEXT PRIMARY KEY, value TEXT);" + "INSERT INTO " + kMetaTable +
            " (key, value) VALUES ('layout', '" + std::to_string(detail::kLayout) + "')");
  } catch (...) {
    // A file that could not be begun (a full disk) is not left behind.
    c->CloseNow();
    ::unlink(path.c_str());
    ::unlink((path + "-journal").c_str());
    throw;
  }
  return Database(c);
}

namespace {

// The first value of a one-value query, or nullopt when it gives no row.
std::optional<std::string> QueryText(Connection& c, const std::string& sql) {
  sqlite3_stmt* stmt = c.Prepare(sql);
  int rc = sqlite3_step(stmt);
  std::optional<std::string> out;
  if (rc == SQLITE_ROW) {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    out = p != nullptr ? p : "";
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) c.Fail(rc);
  return out;
}

DaoError LayoutUnreadable(const std::string& path) {
  return DaoError(err::kLayoutUnreadable, "The layout of the file '" + path + "' cannot be read.");
}

// Whether a layout text reads as a layout number: digits only.
std::optional<int> LayoutNumber(const std::string& text) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::atoi(text.c_str());
}

// Whether the file holds what only layout 2 and later write (field rules,
// name keys): such a file without its layout record lost it.
bool HasLaterLayoutParts(Connection& c) {
  return QueryText(c,
                   "SELECT 1 FROM sqlite_schema WHERE (type = 'trigger' AND name LIKE 'korvalo\\_rules\\_%' "
                   "ESCAPE '\\') OR (type = 'table' AND name LIKE 'korvalo\\_key\\_%' ESCAPE '\\') LIMIT 1")
      .has_value();
}

// Whether an index of the file orders text by SQLite's own NOCASE rule (the
// layout before the name keys). While one is there, this connection keeps
// that rule, or its reads through the index would go wrong.
bool HasNocaseIndex(Connection& c) {
  return QueryText(c,
                   "SELECT 1 FROM sqlite_schema AS s, pragma_index_xinfo(s.name) AS x WHERE s.type = 'index' AND "
                   "x.key = 1 AND x.coll = 'NOCASE' LIMIT 1")
      .has_value();
}

// Brings a file of an older layout up to date in one transaction: its text
// indexes move to name keys (unique ones stay unique unless stored names
// already differ only in letter case, which the older layout let in), and
// every table gains its field rules. Stored values are not touched.
void UpgradeLayout(Connection& c) {
  c.BeforeWrite();
  c.Exec("BEGIN IMMEDIATE");
  try {
    auto layout = QueryText(c, "SELECT value FROM korvalo_meta WHERE key = 'layout'");
    if (!layout || std::atoi(layout->c_str()) < detail::kLayout) {
      struct Index {
        std::string name, table, field;
        bool unique;
      };
      std::vector<Index> indexes;
      sqlite3_stmt* stmt = c.Prepare(
          "SELECT s.name, s.tbl_name, (SELECT group_concat(i.name) FROM pragma_index_info(s.name) AS i), "
          "(SELECT l.\"unique\" FROM pragma_index_list(s.tbl_name) AS l WHERE l.name = s.name) "
          "FROM sqlite_schema AS s WHERE s.type = 'index' AND s.sql IS NOT NULL");
      while (sqlite3_step(stmt) == SQLITE_ROW) {
        auto text = [&](int col) {
          auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
          return std::string(p != nullptr ? p : "");
        };
        indexes.push_back({text(0), text(1), text(2), sqlite3_column_int(stmt, 3) != 0});
      }
      sqlite3_finalize(stmt);
      for (const Index& index : indexes) {
        if (detail::IsLayerTable(index.table)) continue;
        const std::vector<FieldDef>* fields = c.Table(index.table);
        if (fields == nullptr) continue;
        auto field = std::find_if(fields->begin(), fields->end(),
                                  [&](const FieldDef& f) { return utf8::EqualsNoCase(f.name, index.field); });
        if (field == fields->end() || field->type != FieldType::Text) continue;
        c.Exec("DROP INDEX " + Quote(index.name));
        c.Exec("SAVEPOINT keys");
        try {
          c.Exec(detail::KeyIndexSql(index.table, index.name, field->name, index.unique));
          c.Exec("RELEASE keys");
        } catch (const DaoError& e) {
          if (e.Number() != err::kDuplicateKey) throw;
          c.Exec("ROLLBACK TO keys; RELEASE keys");
          c.Exec(detail::KeyIndexSql(index.table, index.name, field->name, false));
        }
      }
      sqlite3_stmt* tables = c.Prepare("SELECT name FROM sqlite_schema WHERE type = 'table'");
      std::vector<std::string> names;
      while (sqlite3_step(tables) == SQLITE_ROW) {
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(tables, 0)));
      }
      sqlite3_finalize(tables);
      for (const std::string& name : names) {
        if (const std::vector<FieldDef>* fields = c.Table(name)) c.Exec(detail::FieldRulesSql(name, *fields));
      }
      c.Exec("INSERT OR REPLACE INTO korvalo_meta (key, value) VALUES ('layout', '" +
             std::to_string(detail::kLayout) + "')");
    }
    c.Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
    c.SchemaChanged();
    throw;
  }
  c.SchemaChanged();
}

}  // namespace

Database Database::Open(const std::string& path, const OpenOptions& options) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == EACCES) {
      throw DaoError(err::kCannotOpen, "The file '" + path +
                                           "' cannot be opened: permission to enter its folder is denied");
    }
    throw DaoError(err::kFileNotFound, "Could not find file '" + path + "'");
  }
  if (S_ISDIR(st.st_mode)) throw DaoError(err::kInvalidPath, "'" + path + "' is a folder, not a database file");
  if (!S_ISREG(st.st_mode)) throw DaoError(err::kInvalidPath, "'" + path + "' is not a database file");
  // The rights of the user the program runs as (its effective ids).
  if (::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) != 0) {
    throw DaoError(err::kCannotOpen, "The file '" + path + "' cannot be opened: permission to read it is denied");
  }
  // SQLite would take an empty file for a new database.
  if (st.st_size == 0) throw DaoError(err::kEmptyFile, "The file '" + path + "' is empty: it holds no database.");
  const detail::HeaderFormat format = detail::ReadHeaderFormat(path);
  if (!format.readable) {
    throw DaoError(err::kUnknownFormat, Describe(err::kUnknownFormat, SQLITE_ERROR, path, {}));
  }
  auto c = std::make_shared<Connection>();
  c->path = path;
  c->lockKey = detail::LockKey(path);
  c->lock = detail::HeldExclusivelyHere(c->lockKey);
  const bool heldHere = c->lock != nullptr;
  if (!heldHere) {
    switch (detail::TakeLock(path, options.exclusive, c->lock)) {
      case detail::LockResult::Granted:
        break;
      case detail::LockResult::Conflict:
        throw DaoError(err::kExclusiveElsewhere,
                       "The file '" + path + "' is already in use by another process");
      case detail::LockResult::Unavailable:
        throw DaoError(err::kDiskError, "The file '" + path +
                                            "' cannot be opened exclusively: its lock file '" + path +
                                            ".lock' cannot be made");
    }
  }
  try {
    int flags = (options.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | kConnectionFlags;
    int rc = sqlite3_open_v2(path.c_str(), &c->db, flags, nullptr);
    if (rc != SQLITE_OK) c->Fail(rc);
    sqlite3_busy_timeout(c->db, 2000);
    detail::RegisterTextRules(c->db, false);

    // Is it a database of ours? A file that starts as a database but cannot
    // be read is damaged; one held by a writer is in use (after the wait).
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(c->db, "PRAGMA application_id", -1, &stmt, nullptr);
    int id = 0;
    if (rc == SQLITE_OK) {
      rc = sqlite3_step(stmt);
      if (rc == SQLITE_ROW) id = sqlite3_column_int(stmt, 0);
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE && rc != SQLITE_OK) {
      const int ext = sqlite3_extended_errcode(c->db);
      const int primary = ext & 0xff;
      if (primary == SQLITE_NOTADB && detail::HasDatabaseHeader(path, kApplicationId)) {
        throw DaoError(err::kDatabaseDamaged, Describe(err::kDatabaseDamaged, SQLITE_CORRUPT, path, {}));
      }
      if (primary != SQLITE_NOTADB) c->Fail(rc);
    }
    if (id != kApplicationId) {
      // A file of ours cut short, or whose first bytes were damaged, still
      // shows what it was.
      if (detail::IsDamagedDatabase(path)) {
        throw DaoError(err::kDatabaseDamaged, Describe(err::kDatabaseDamaged, SQLITE_CORRUPT, path,
                                                       "it is cut short or its beginning is damaged"));
      }
      throw DaoError(err::kNotADatabase, "'" + path + "' is not a Korvalo database");
    }

    // A file cut short reads as far as it goes, and the pages it lost read
    // as empty: it is refused whole, before anything is read from it.
    const auto pages = QueryText(*c, "PRAGMA page_count");
    const auto pageSize = QueryText(*c, "PRAGMA page_size");
    struct stat now {};
    if (pages && pageSize && ::stat(path.c_str(), &now) == 0 &&
        std::atoll(pages->c_str()) * std::atoll(pageSize->c_str()) > static_cast<long long>(now.st_size)) {
      throw DaoError(err::kDatabaseDamaged,
                     Describe(err::kDatabaseDamaged, SQLITE_CORRUPT, path, "it is cut short"));
    }

    // Every layout keeps its records in korvalo_meta; without it the file
    // cannot be read as any of them.
    if (!QueryText(*c, "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = '" + std::string(kMetaTable) +
                           "'")) {
      throw LayoutUnreadable(path);
    }

    // Password: needed unless this process already holds the file.
    std::string stored = QueryText(*c, "SELECT value FROM korvalo_meta WHERE key = 'password'").value_or("");
    if (!stored.empty() && !heldHere) {
      std::string given;
      std::string lower = utf8::AsciiLower(options.connect);
      auto at = lower.find(";pwd=");
      if (at != std::string::npos) {
        given = options.connect.substr(at + 5);
        auto end = given.find(';');
        if (end != std::string::npos) given.resize(end);
      }
      if (given != stored) throw DaoError(err::kWrongPassword, "Not a valid password");
    }

    // A file of an older layout is brought up to date when it can be
    // written; otherwise it is read as it stands. The first layout kept no
    // layout record. A record that is no number, or a file that lost its
    // record though it holds what later layouts write, is not taken for an
    // older layout: upgrading it could harm what it holds, so it is not
    // opened at all and nothing is written into it.
    const std::optional<std::string> layoutText =
        QueryText(*c, "SELECT value FROM korvalo_meta WHERE key = 'layout'");
    int layout = 1;
    if (layoutText) {
      const std::optional<int> number = LayoutNumber(*layoutText);
      if (!number) throw LayoutUnreadable(path);
      layout = *number;
    } else if (HasLaterLayoutParts(*c)) {
      throw LayoutUnreadable(path);
    }
    bool current = layout >= detail::kLayout;
    // A file of a newer layout may hold what this version does not know
    // (a field more): writing it could lose that, so it is only read.
    if (layout > detail::kLayout) {
      c->newerLayout = true;
      c->Exec("PRAGMA query_only = 1");
    }
    // The engine refuses every write into a file whose header asks for a
    // newer writer; it is read as it stands.
    if (!format.writable) {
      c->readOnlyFormat = true;
      c->Exec("PRAGMA query_only = 1");
    }
    if (!current && !options.readOnly && !c->readOnlyFormat && sqlite3_db_readonly(c->db, "main") == 0) {
      UpgradeLayout(*c);
      current = true;
    }
    detail::RegisterTextRules(c->db, current || !HasNocaseIndex(*c));
  } catch (...) {
    // A refused open leaves nothing beside the file: the lock file goes when
    // this open made it.
    if (!heldHere && c->lock) c->lock->RemoveSideCarIfMade();
    throw;
  }
  return Database(c);
}

bool Database::IsOpen() const { return conn_ && conn_->db != nullptr; }

bool Database::IsNewerLayout() const { return conn_ && conn_->newerLayout; }

bool Database::IsReadOnlyFormat() const { return conn_ && conn_->readOnlyFormat; }

void Database::VerifyFile() { Conn().CheckWholeFile(); }

const std::string& Database::Path() const {
  static const std::string empty;
  return conn_ ? conn_->path : empty;
}

void Database::Close() {
  if (conn_) conn_->CloseNow();
  conn_.reset();
}

void Database::SetPassword(const std::string& password) {
  Connection& c = Conn();
  c.BeforeWrite();
  sqlite3_stmt* stmt = c.Prepare("INSERT OR REPLACE INTO korvalo_meta (key, value) VALUES ('password', ?)");
  c.Bind(stmt, 1, password);
  int rc = sqlite3_step(stmt);
  sqlite3_finalize(stmt);
  c.Check(rc);
}

void Database::CreateTable(const TableDef& table) {
  Connection& c = Conn();
  if (table.fields.empty()) throw DaoError(err::kSyntaxError, "A table needs a field");
  if (TableExists(table.name)) throw DaoError(err::kTableExists, "Table '" + table.name + "' already exists");
  if (detail::IsLayerTable(table.name)) throw DaoError(err::kSyntaxError, "'" + table.name + "' is a reserved name");
  c.BeforeWrite();
  std::string sql = "CREATE TABLE " + Quote(table.name) + " (";
  for (std::size_t i = 0; i < table.fields.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += ColumnSql(table.fields[i]);
  }
  sql += ");" + detail::FieldRulesSql(table.name, table.fields);
  RunAsOne(c, sql);
}

void Database::CreateIndex(const std::string& table, const std::string& indexName,
                           const std::string& field, bool unique) {
  Connection& c = Conn();
  const std::vector<FieldDef>& fields = c.TableOrThrow(table);
  auto f = std::find_if(fields.begin(), fields.end(), [&](const FieldDef& d) { return utf8::EqualsNoCase(d.name, field); });
  if (f == fields.end()) throw DaoError(err::kItemNotFound, "Item not found in this collection: " + field);
  c.BeforeWrite();
  if (f->type == FieldType::Text) {
    RunAsOne(c, detail::KeyIndexSql(table, indexName, f->name, unique));
  } else {
    c.Exec(std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + Quote(indexName) + " ON " +
           Quote(table) + " (" + Quote(f->name) + ")");
    c.SchemaChanged();
  }
}

void Database::AppendField(const std::string& table, const FieldDef& field) {
  Connection& c = Conn();
  c.TableOrThrow(table);
  if (field.autoIncrement) throw DaoError(err::kSyntaxError, "An auto-increment field cannot be appended");
  c.BeforeWrite();
  std::vector<FieldDef> fields = c.TableOrThrow(table);
  fields.push_back(field);
  RunAsOne(c, "ALTER TABLE " + Quote(table) + " ADD COLUMN " + ColumnSql(field) + ";" +
                  detail::FieldRulesSql(table, fields));
}

bool Database::TableExists(const std::string& table) const { return Conn().Table(table) != nullptr; }

std::vector<FieldDef> Database::Fields(const std::string& table) const { return Conn().TableOrThrow(table); }

std::vector<std::string> Database::TableNames() const {
  Connection& c = Conn();
  sqlite3_stmt* stmt = c.Prepare(
      "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
      "AND name NOT LIKE 'korvalo\\_%' ESCAPE '\\' ORDER BY rowid");
  std::vector<std::string> names;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  }
  sqlite3_finalize(stmt);
  return names;
}

int Database::Execute(const std::string& sql, const std::vector<Value>& params) {
  Connection& c = Conn();
  // "DELETE * FROM t" is taken as "DELETE FROM t".
  std::string text = sql;
  std::size_t at = MatchWord(sql, 0, "DELETE");
  if (at != std::string_view::npos) {
    while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at]))) ++at;
    if (at < sql.size() && sql[at] == '*') {
      std::size_t rest = MatchWord(sql, at + 1, "FROM");
      if (rest != std::string_view::npos) text = "DELETE FROM" + sql.substr(rest);
    }
  }
  sqlite3_stmt* stmt = c.Prepare(text);
  try {
    if (sqlite3_stmt_readonly(stmt) == 0) c.BeforeWrite();
    c.BindAll(stmt, params);
  } catch (...) {
    sqlite3_finalize(stmt);
    throw;
  }
  int rc = sqlite3_step(stmt);
  bool readonly = sqlite3_stmt_readonly(stmt) != 0;
  sqlite3_finalize(stmt);
  c.Check(rc);
  if (!readonly) {
    std::string head = utf8::AsciiUpper(text.substr(0, std::min<std::size_t>(text.size(), 12)));
    if (head.find("CREATE") != std::string::npos || head.find("ALTER") != std::string::npos ||
        head.find("DROP") != std::string::npos) {
      c.SchemaChanged();
    }
  }
  return sqlite3_changes(c.db);
}

void Database::BeginTrans() {
  Connection& c = Conn();
  if (c.transactionDepth > 0) {
    c.Exec("SAVEPOINT t" + std::to_string(c.transactionDepth));
  } else {
    c.BeforeWrite();
    c.EnterWriters();
    try {
      c.Exec("BEGIN IMMEDIATE");
    } catch (...) {
      c.LeaveWriters();
      throw;
    }
  }
  ++c.transactionDepth;
}

void Database::CommitTrans() {
  Connection& c = Conn();
  if (c.transactionDepth == 0) throw DaoError(err::kNoTransaction, "No transaction is running");
  // A commit the engine refuses leaves the transaction open: it still counts,
  // so that the caller's rollback ends it.
  const int inner = c.transactionDepth - 1;
  c.Exec(inner == 0 ? "COMMIT" : "RELEASE t" + std::to_string(inner));
  c.transactionDepth = inner;
  if (inner == 0) c.LeaveWriters();
}

void Database::Rollback() {
  Connection& c = Conn();
  if (c.transactionDepth == 0) throw DaoError(err::kNoTransaction, "No transaction is running");
  --c.transactionDepth;
  if (c.transactionDepth == 0) {
    c.LeaveWriters();
    c.Exec("ROLLBACK");
  } else {
    std::string name = "t" + std::to_string(c.transactionDepth);
    c.Exec("ROLLBACK TO " + name + "; RELEASE " + name);
  }
  c.SchemaChanged();
}

bool Database::InTransaction() const { return conn_ && conn_->transactionDepth > 0; }

ReadSnapshot::ReadSnapshot(Database& db) {
  Connection& c = db.Conn();
  if (c.transactionDepth > 0 || c.readSnapshot || sqlite3_get_autocommit(c.db) == 0) return;
  c.Exec("BEGIN DEFERRED");
  c.readSnapshot = true;
  conn_ = db.conn_;
}

ReadSnapshot::~ReadSnapshot() {
  if (!conn_) return;
  conn_->readSnapshot = false;
  // Nothing was written: the end of the read only lets the lock go.
  if (conn_->db != nullptr && sqlite3_get_autocommit(conn_->db) == 0 &&
      sqlite3_exec(conn_->db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_exec(conn_->db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

Transaction::Transaction(Database& db) : db_(db) { db_.BeginTrans(); }

Transaction::~Transaction() {
  if (!done_) {
    try {
      db_.Rollback();
    } catch (...) {
    }
  }
}

void Transaction::Commit() {
  db_.CommitTrans();
  done_ = true;
}

// ---------------------------------------------------------------- recordsets

struct RecordsetPlan {
  std::string sql;
  bool updatable = false;
  std::string table;  // base table of an updatable set
  std::vector<std::string> names;
  std::vector<const FieldDef*> meta;  // per column; nullptr when not a table field
  std::vector<FieldDef> tableFields;  // meta points into this copy
  int keyColumn = -1;                 // the rowid column in the statement
};

namespace {

// The table named after the first FROM of a statement.
std::string FromTable(std::string_view sql) {
  std::string upper = utf8::AsciiUpper(sql);
  for (std::size_t at = upper.find("FROM"); at != std::string::npos; at = upper.find("FROM", at + 4)) {
    bool before = at == 0 || std::isspace(static_cast<unsigned char>(upper[at - 1]));
    bool after = at + 4 < upper.size() && std::isspace(static_cast<unsigned char>(upper[at + 4]));
    if (!before || !after) continue;
    std::size_t p = at + 4;
    while (p < sql.size() && std::isspace(static_cast<unsigned char>(sql[p]))) ++p;
    if (p < sql.size() && sql[p] == '[') ++p;
    std::size_t end = p;
    while (end < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[end])) || sql[end] == '_')) ++end;
    return std::string(sql.substr(p, end - p));
  }
  return {};
}

}  // namespace

std::shared_ptr<const RecordsetPlan> MakePlan(Connection& c, const std::string& source, RecordsetType type) {
  auto plan = std::make_shared<RecordsetPlan>();
  const std::size_t afterSelect = MatchWord(source, 0, "SELECT");
  const bool isSelect = afterSelect != std::string_view::npos;
  std::string table = isSelect ? FromTable(source) : source;
  if (!isSelect) c.TableOrThrow(table);
  const bool distinct = isSelect && MatchWord(source, afterSelect, "DISTINCT") != std::string_view::npos;
  const std::string plain = isSelect ? source : "SELECT * FROM " + Quote(table);
  const std::vector<FieldDef>* fields = table.empty() ? nullptr : c.Table(table);
  if (fields != nullptr) plan->tableFields = *fields;

  sqlite3_stmt* stmt = nullptr;
  if (type == RecordsetType::Dynaset && fields != nullptr && !distinct) {
    // Rows are kept with their rowid so that they can be edited and deleted;
    // a statement that cannot carry it (a join) gives a read-only set.
    std::size_t at = isSelect ? afterSelect : std::string("SELECT").size();
    std::string keyed = plain.substr(0, at) + " " + Quote(table) + ".rowid," + plain.substr(at);
    if (sqlite3_prepare_v2(c.db, keyed.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
      plan->sql = keyed;
      plan->updatable = true;
      plan->keyColumn = 0;
      plan->table = table;
    } else {
      sqlite3_finalize(stmt);
      stmt = nullptr;
    }
  }
  if (stmt == nullptr) {
    stmt = c.Prepare(plain);
    plan->sql = plain;
  }
  const int total = sqlite3_column_count(stmt);
  for (int col = 0; col < total; ++col) {
    if (col == plan->keyColumn) continue;
    std::string name = sqlite3_column_name(stmt, col);
    const FieldDef* meta = nullptr;
    for (const FieldDef& f : plan->tableFields) {
      if (utf8::EqualsNoCase(f.name, name)) meta = &f;
    }
    plan->names.push_back(name);
    plan->meta.push_back(meta);
  }
  sqlite3_finalize(stmt);
  return plan;
}

struct RecordsetState {
  std::shared_ptr<Connection> conn;
  std::shared_ptr<const RecordsetPlan> plan;
  std::vector<Value> params;

  struct Row {
    std::int64_t key;
    std::vector<Value> values;
    bool deleted = false;
  };
  bool loaded = false;
  std::vector<Row> rows;
  long pos = 0;
  bool bof = true;
  bool eof = true;

  enum class Mode { None, Add, Edit } mode = Mode::None;
  std::vector<std::optional<Value>> buffer;
  std::optional<std::int64_t> lastModified;

  Connection& C() const {
    if (!conn || conn->db == nullptr) throw DaoError(err::kSyntaxError, "The database is closed");
    return *conn;
  }

  int Column(std::string_view name) const {
    for (std::size_t i = 0; i < plan->names.size(); ++i) {
      if (utf8::EqualsNoCase(plan->names[i], name)) return static_cast<int>(i);
    }
    throw DaoError(err::kItemNotFound, "Item not found in this collection: " + std::string(name));
  }

  void CheckPosition(int position) const {
    if (position < 0 || position >= static_cast<int>(plan->names.size())) {
      throw DaoError(err::kItemNotFound, "Item not found in this collection: #" + std::to_string(position));
    }
  }

  void Load() {
    if (loaded) return;
    Connection& c = C();
    sqlite3_stmt* stmt = c.Cached(plan->sql);
    const int keyColumn = plan->keyColumn;
    std::vector<Row> fetched;
    try {
      c.BindAll(stmt, params);
      int rc;
      long index = 0;
      const int total = sqlite3_column_count(stmt);
      while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Row row;
        row.key = keyColumn >= 0 ? sqlite3_column_int64(stmt, keyColumn) : index;
        ++index;
        if (keyColumn >= 0 && std::any_of(rows.begin(), rows.end(), [&](const Row& r) { return r.key == row.key; })) {
          continue;  // added through this set before it was read
        }
        // A field appended since the set was opened is not part of it.
        const std::size_t width = plan->names.size();
        row.values.reserve(width);
        for (int col = 0; col < total && row.values.size() < width; ++col) {
          if (col == keyColumn) continue;
          row.values.push_back(c.Column(stmt, col, plan->meta[row.values.size()]));
        }
        fetched.push_back(std::move(row));
      }
      c.Check(rc);
    } catch (...) {
      sqlite3_reset(stmt);
      throw;
    }
    sqlite3_reset(stmt);
    fetched.insert(fetched.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    rows = std::move(fetched);
    loaded = true;
    pos = 0;
    bof = eof = rows.empty();
  }

  long First() const {
    for (std::size_t i = 0; i < rows.size(); ++i) if (!rows[i].deleted) return static_cast<long>(i);
    return -1;
  }
  long Last() const {
    for (std::size_t i = rows.size(); i-- > 0;) if (!rows[i].deleted) return static_cast<long>(i);
    return -1;
  }

  // Makes row p current; p < 0 means the set has no rows.
  void MoveTo(long p) {
    if (p < 0) throw DaoError(err::kNoCurrentRecord, "No current record");
    mode = Mode::None;
    pos = p;
    bof = eof = false;
  }

  Row& Current() {
    Load();
    if (bof || eof || pos < 0 || pos >= static_cast<long>(rows.size())) {
      throw DaoError(err::kNoCurrentRecord, "No current record");
    }
    Row& r = rows[static_cast<std::size_t>(pos)];
    if (r.deleted) throw DaoError(err::kRecordDeleted, "Record is deleted");
    return r;
  }

  // The current row was deleted through another connection: it is gone from
  // this set too, and the edit ends.
  [[noreturn]] void RowGone(Row& row) {
    row.deleted = true;
    mode = Mode::None;
    buffer.clear();
    throw DaoError(err::kRecordDeleted, "Record is deleted");
  }

  void RequireUpdatable() const {
    if (!plan->updatable) throw DaoError(err::kReadOnly, "Cannot update. Database or object is read-only");
  }
};

RecordsetState& Recordset::S() const {
  if (!state_) throw DaoError(err::kSyntaxError, "The recordset is closed");
  return *state_;
}

Recordset Database::OpenRecordset(const std::string& source, RecordsetType type,
                                  const std::vector<Value>& params) {
  Connection& c = Conn();
  const std::string key = std::string(type == RecordsetType::Dynaset ? "D:" : "S:") + source;
  auto cached = c.plans.find(key);
  if (cached == c.plans.end()) cached = c.plans.emplace(key, MakePlan(c, source, type)).first;
  auto s = std::make_shared<RecordsetState>();
  s->conn = conn_;
  s->plan = cached->second;
  s->params = params;
  Recordset rs;
  rs.state_ = s;
  return rs;
}

void Database::ReadRows(const std::string& source, const std::vector<Value>& params,
                        const std::function<void(const RowView&)>& visit) {
  Conn();
  const std::shared_ptr<Connection> held = conn_;  // a visit may close this copy
  Connection& c = *held;
  const std::string key = "S:" + source;
  auto cached = c.plans.find(key);
  if (cached == c.plans.end()) cached = c.plans.emplace(key, MakePlan(c, source, RecordsetType::Snapshot)).first;
  const std::shared_ptr<const RecordsetPlan> plan = cached->second;
  // The statement leaves the cache while it steps, so that a read of the
  // same statement during a visit prepares its own instead of resetting it.
  sqlite3_stmt* stmt = nullptr;
  if (auto it = c.cache.find(plan->sql); it != c.cache.end()) {
    stmt = it->second;
    c.cache.erase(it);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
  } else {
    stmt = c.Prepare(plan->sql);
  }
  const auto giveBack = [&] {
    if (c.db != nullptr) sqlite3_reset(stmt);
    if (c.db == nullptr || !c.cache.emplace(plan->sql, stmt).second) sqlite3_finalize(stmt);
  };
  try {
    c.BindAll(stmt, params);
    const RowView row(c, *plan, stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      visit(row);
      if (c.db == nullptr) throw DaoError(err::kSyntaxError, "The database is closed");
    }
    c.Check(rc);
  } catch (...) {
    giveBack();
    throw;
  }
  giveBack();
}

int RowView::FieldCount() const { return static_cast<int>(plan_.names.size()); }

std::string_view RowView::FieldName(int position) const {
  if (position < 0 || position >= FieldCount()) Get(position);
  return plan_.names[static_cast<std::size_t>(position)];
}

Value RowView::Get(int position) const {
  if (position < 0 || position >= FieldCount()) {
    throw DaoError(err::kItemNotFound, "Item not found in this collection: #" + std::to_string(position));
  }
  return c_.Column(stmt_, position, plan_.meta[static_cast<std::size_t>(position)]);
}

Value RowView::Get(std::string_view name) const {
  for (int i = 0; i < FieldCount(); ++i) {
    if (utf8::EqualsNoCase(plan_.names[static_cast<std::size_t>(i)], name)) return Get(i);
  }
  throw DaoError(err::kItemNotFound, "Item not found in this collection: " + std::string(name));
}

bool Recordset::Bof() {
  S().Load();
  return S().bof;
}

bool Recordset::Eof() {
  S().Load();
  return S().eof;
}

void Recordset::MoveFirst() {
  S().Load();
  S().MoveTo(S().First());
}

void Recordset::MoveLast() {
  S().Load();
  S().MoveTo(S().Last());
}

void Recordset::MoveNext() {
  auto& s = S();
  s.Load();
  if (s.eof) throw DaoError(err::kNoCurrentRecord, "No current record");
  s.mode = RecordsetState::Mode::None;
  long p = s.bof ? 0 : s.pos + 1;
  while (p < static_cast<long>(s.rows.size()) && s.rows[static_cast<std::size_t>(p)].deleted) ++p;
  s.pos = p;
  s.bof = false;
  s.eof = p >= static_cast<long>(s.rows.size());
}

void Recordset::MovePrevious() {
  auto& s = S();
  s.Load();
  if (s.bof) throw DaoError(err::kNoCurrentRecord, "No current record");
  s.mode = RecordsetState::Mode::None;
  long p = s.eof ? static_cast<long>(s.rows.size()) - 1 : s.pos - 1;
  while (p >= 0 && s.rows[static_cast<std::size_t>(p)].deleted) --p;
  s.eof = false;
  s.bof = p < 0;
  s.pos = s.bof ? 0 : p;
}

long Recordset::RecordCount() {
  auto& s = S();
  s.Load();
  return static_cast<long>(std::count_if(s.rows.begin(), s.rows.end(), [](const auto& r) { return !r.deleted; }));
}

int Recordset::FieldCount() const { return static_cast<int>(S().plan->names.size()); }

std::string Recordset::FieldName(int position) const {
  S().CheckPosition(position);
  return S().plan->names[static_cast<std::size_t>(position)];
}

bool Recordset::HasField(std::string_view name) const {
  for (const auto& n : S().plan->names) {
    if (utf8::EqualsNoCase(n, name)) return true;
  }
  return false;
}

Value Recordset::Get(std::string_view name) { return Get(S().Column(name)); }

Value Recordset::Get(int position) {
  auto& s = S();
  s.CheckPosition(position);
  auto i = static_cast<std::size_t>(position);
  if (s.mode != RecordsetState::Mode::None && s.buffer[i]) return *s.buffer[i];
  if (s.mode == RecordsetState::Mode::Add) {
    return s.plan->meta[i] != nullptr ? s.plan->meta[i]->defaultValue : kNull;
  }
  return s.Current().values[i];
}

void Recordset::AddNew() {
  auto& s = S();
  s.RequireUpdatable();
  s.mode = RecordsetState::Mode::Add;
  s.buffer.assign(s.plan->names.size(), std::nullopt);
}

void Recordset::Edit() {
  auto& s = S();
  s.RequireUpdatable();
  s.Current();
  s.mode = RecordsetState::Mode::Edit;
  s.buffer.assign(s.plan->names.size(), std::nullopt);
}

void Recordset::Set(std::string_view name, const Value& value) { Set(S().Column(name), value); }

void Recordset::Set(int position, const Value& value) {
  auto& s = S();
  s.CheckPosition(position);
  if (s.mode == RecordsetState::Mode::None) {
    throw DaoError(err::kUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit");
  }
  auto i = static_cast<std::size_t>(position);
  if (s.plan->meta[i] == nullptr) throw DaoError(err::kFieldNotUpdatable, "Field '" + s.plan->names[i] + "' cannot be updated");
  s.buffer[i] = Coerce(*s.plan->meta[i], value);
}

void Recordset::Update() {
  auto& s = S();
  if (s.mode == RecordsetState::Mode::None) {
    throw DaoError(err::kUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit");
  }
  Connection& c = s.C();
  c.BeforeWrite();
  std::vector<std::size_t> set;
  for (std::size_t i = 0; i < s.buffer.size(); ++i) {
    if (s.buffer[i]) set.push_back(i);
  }
  if (s.mode == RecordsetState::Mode::Add) {
    std::string sql = "INSERT INTO " + Quote(s.plan->table);
    if (set.empty()) {
      sql += " DEFAULT VALUES";
    } else {
      std::string cols, marks;
      for (std::size_t k = 0; k < set.size(); ++k) {
        cols += (k ? ", " : "") + Quote(s.plan->meta[set[k]]->name);
        marks += k ? ", ?" : "?";
      }
      sql += " (" + cols + ") VALUES (" + marks + ")";
    }
    sqlite3_stmt* stmt = c.Cached(sql);
    for (std::size_t k = 0; k < set.size(); ++k) c.Bind(stmt, static_cast<int>(k + 1), *s.buffer[set[k]]);
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    c.Check(rc);
    RecordsetState::Row row;
    row.key = sqlite3_last_insert_rowid(c.db);
    for (std::size_t i = 0; i < s.plan->names.size(); ++i) {
      if (s.buffer[i]) row.values.push_back(*s.buffer[i]);
      else if (s.plan->meta[i] != nullptr && s.plan->meta[i]->autoIncrement) row.values.emplace_back(row.key);
      else if (s.plan->meta[i] != nullptr) row.values.push_back(s.plan->meta[i]->defaultValue);
      else row.values.emplace_back();
    }
    for (std::size_t i = 0; i < row.values.size(); ++i) {
      if (s.plan->meta[i] != nullptr && s.plan->meta[i]->type == FieldType::Boolean && !IsNull(row.values[i])) {
        row.values[i] = AsBool(row.values[i]);
      }
    }
    s.lastModified = row.key;
    s.rows.push_back(std::move(row));
  } else {
    RecordsetState::Row& row = s.Current();
    std::string sql;
    if (set.empty()) {
      sql = "SELECT 1 FROM " + Quote(s.plan->table) + " WHERE rowid = ?";
    } else {
      sql = "UPDATE " + Quote(s.plan->table) + " SET ";
      for (std::size_t k = 0; k < set.size(); ++k) sql += (k ? ", " : "") + Quote(s.plan->meta[set[k]]->name) + " = ?";
      sql += " WHERE rowid = ?";
    }
    sqlite3_stmt* stmt = c.Cached(sql);
    for (std::size_t k = 0; k < set.size(); ++k) c.Bind(stmt, static_cast<int>(k + 1), *s.buffer[set[k]]);
    c.Bind(stmt, static_cast<int>(set.size() + 1), row.key);
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    c.Check(rc);
    // The row is gone when another connection deleted it since it was read.
    const bool found = set.empty() ? rc == SQLITE_ROW : sqlite3_changes(c.db) > 0;
    if (!found) s.RowGone(row);
    for (std::size_t i : set) row.values[i] = *s.buffer[i];
    s.lastModified = row.key;
  }
  s.mode = RecordsetState::Mode::None;
  s.buffer.clear();
}

void Recordset::CancelUpdate() {
  auto& s = S();
  s.mode = RecordsetState::Mode::None;
  s.buffer.clear();
}

void Recordset::Delete() {
  auto& s = S();
  s.RequireUpdatable();
  RecordsetState::Row& row = s.Current();
  Connection& c = s.C();
  c.BeforeWrite();
  sqlite3_stmt* stmt = c.Cached("DELETE FROM " + Quote(s.plan->table) + " WHERE rowid = ?");
  c.Bind(stmt, 1, row.key);
  int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  c.Check(rc);
  if (sqlite3_changes(c.db) == 0) s.RowGone(row);
  row.deleted = true;
  s.mode = RecordsetState::Mode::None;
}

Bookmark Recordset::GetBookmark() { return Bookmark{S().Current().key}; }

void Recordset::SetBookmark(const Bookmark& b) {
  auto& s = S();
  s.Load();
  for (std::size_t i = 0; i < s.rows.size(); ++i) {
    if (s.rows[i].key == b.key && !s.rows[i].deleted) {
      s.MoveTo(static_cast<long>(i));
      return;
    }
  }
  throw DaoError(err::kNoCurrentRecord, "Not a valid bookmark");
}

Bookmark Recordset::LastModified() const {
  if (!S().lastModified) throw DaoError(err::kNoCurrentRecord, "No record was modified");
  return Bookmark{*S().lastModified};
}

void Recordset::Close() { state_.reset(); }

}  // namespace korvalo::dao

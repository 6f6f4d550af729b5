#pragma once

#include <sqlite3.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dao/dao.h"
#include "storage/schema.h"

// Project files harmed the way other programs, disks and careless users harm
// them, made with SQLite itself or by changing bytes: for the tests of every
// road that opens a project.
namespace damaged_projects {

// Runs SQL on the file with SQLite itself, as another program does; the
// engine's message when it fails, else "".
inline std::string Run(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  char* error = nullptr;
  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  std::string out = error != nullptr ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  return out;
}

// The first value of a query's first row, as text ("" without a row).
inline std::string Value(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  std::string out;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    out = p != nullptr ? p : "";
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return out;
}

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void SetByte(const std::string& path, long offset, unsigned char value) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(offset);
  f.put(static_cast<char>(value));
}

// Makes the index of the courses by parcel miss every course of the parcel,
// while the courses stay stored in their table: a read through the index
// finds none of them. (The index is built leaving them out, then its
// definition is put back as it was.) True when the file is then so.
inline bool MissParcelInCoursesIndex(const std::string& path, long long parcelId) {
  const std::string index = korvalo::schema::kCoursesIndex;
  const std::string definition = Value(path, "SELECT sql FROM sqlite_schema WHERE name = '" + index + "'");
  if (definition.empty()) return false;
  std::string quoted;
  for (char c : definition) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  const std::string id = std::to_string(parcelId);
  const std::string error = Run(path, "DROP INDEX " + index + "; CREATE INDEX " + index +
                                          " ON tblMeasurements (ParcelID) WHERE ParcelID <> " + id +
                                          "; PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = '" + quoted +
                                          "' WHERE name = '" + index + "'; PRAGMA writable_schema = OFF;");
  if (!error.empty()) return false;
  const std::string where = " WHERE ParcelID = " + id;
  return Value(path, "SELECT count(*) FROM tblMeasurements INDEXED BY " + index + where) == "0" &&
         Value(path, "SELECT count(*) FROM tblMeasurements NOT INDEXED" + where) != "0";
}

// Harms after which a project cannot be opened at all, each with the error
// the database layer answers. The file is a sound project (with the parcel
// of id 1 and its courses) when the harm is done.
struct Harm {
  const char* what;
  std::function<void(const std::string&)> apply;
  int error;
};

inline std::vector<Harm> UnopenableHarms() {
  namespace err = korvalo::dao::err;
  const auto sql = [](const char* statements) {
    return [statements](const std::string& path) { Run(path, statements); };
  };
  return {
      {"an empty file", [](const std::string& path) { std::ofstream(path, std::ios::binary | std::ios::trunc); },
       err::kEmptyFile},
      {"a schema format above the engine's", [](const std::string& path) { SetByte(path, 47, 5); },
       err::kUnknownFormat},
      {"a read version above the engine's", [](const std::string& path) { SetByte(path, 19, 3); },
       err::kUnknownFormat},
      {"a layout that is not a number", sql("UPDATE korvalo_meta SET value = 'two' WHERE key = 'layout'"),
       err::kLayoutUnreadable},
      {"a layout without a value", sql("UPDATE korvalo_meta SET value = NULL WHERE key = 'layout'"),
       err::kLayoutUnreadable},
      {"no layout record", sql("DELETE FROM korvalo_meta WHERE key = 'layout'"), err::kLayoutUnreadable},
      {"no table of layout records", sql("DROP TABLE korvalo_meta"), err::kLayoutUnreadable},
      {"a courses index that misses a parcel",
       [](const std::string& path) {
         if (!MissParcelInCoursesIndex(path, 1)) throw std::runtime_error("the index could not be damaged");
       },
       err::kDatabaseDamaged},
  };
}

}  // namespace damaged_projects

#pragma once

#include <sqlite3.h>

#include <string>

// What the layer finds out about a file itself, apart from its connections:
// whether it is damaged, whether a failing statement failed because of the
// file's own table definitions, and why a file cannot be written.
namespace korvalo::dao::detail {

// Whether the file begins as every SQLite database does (or with the first
// part of that beginning, when it was cut shorter), or carries our
// application id where the header keeps it: a file that does and still
// cannot be read is damaged, one that does not is no database.
bool HasDatabaseHeader(const std::string& path, int applicationId);

// Whether a file that SQLite read as a database without our application id
// is one of ours that was damaged: a header that is cut short, or a file
// whose length is no whole number of its pages.
bool IsDamagedDatabase(const std::string& path);

// What the header of a whole SQLite file says of its format: whether the
// engine can read it (its read version is 1 or 2 and its schema format 4 or
// less) and whether it may write it (its write version is 1 or 2). A file
// that does not begin as a database, or whose header is cut short or has
// wrong fixed parts, reads as readable and writable here: the other checks
// tell what it is (damaged, or no database).
struct HeaderFormat {
  bool readable = true;
  bool writable = true;
};
HeaderFormat ReadHeaderFormat(const std::string& path);

// The first problem SQLite's full integrity check finds in the file (damaged
// pages, an index that does not match its table, a row that breaks a
// constraint), or an empty text when the file is sound. A failure of the
// check itself is returned as its result code in `rc` (SQLITE_OK otherwise).
std::string IntegrityProblem(sqlite3* db, int& rc);

// Whether `sql`, which SQLite refused to prepare, reads when the file's own
// triggers and CHECK rules are left out: the statement then failed on the
// file's table definitions, which are damaged, not on its own text.
bool FailsOnTheFilesDefinitions(sqlite3* db, const std::string& sql);

// The folder of a file, for messages ("." for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace korvalo::dao::detail

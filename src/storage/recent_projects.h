#pragma once

#include <string>
#include <string_view>
#include <vector>

// The recent-project list of the system database (tblRecentProject): the
// projects opened or created, newest first by AccessID. A row's folder ends
// in "/"; a stored folder of "./" (or ".\" from older files) stands for the
// program folder. Every operation opens the system database by path, shared,
// and closes it before it returns.
namespace korvalo {

inline constexpr int kRecentProjectCount = 10;

// The part of the path after its last "/"; the whole text without one; an
// empty text when the path ends in "/".
std::string FileNameOf(std::string_view path);

// The menu caption of a recent project: the first two characters of its
// folder, "/.../" and the file name ("/h/.../Block 7.kvx").
std::string RecentProjectCaption(std::string_view folder, std::string_view name);

// Makes the project at `path` the newest entry: earlier rows of the same
// folder and name (in any letter case) are deleted, one row is added. On
// failure: "Update error.  Database was not modified." and nothing more.
void AddRecentProject(const std::string& path);

// After a new project was built: one row for folder + name + ".kvx", then
// the oldest rows deleted until 10 remain. Errors (dao::DaoError) go to the
// caller.
void AddNewRecentProject(const std::string& folder, const std::string& name);

// First start: rows whose folder stands for the program folder get the
// program folder itself. Every error is ignored.
void FixSampleProjectFolders();

struct RecentProject {
  std::string folder;  // ends in "/"
  std::string name;
  std::string Path() const { return folder + name; }
  std::string Caption() const { return RecentProjectCaption(folder, name); }
};

// The 10 newest rows, newest first. A row whose folder stands for the
// program folder is rewritten in the table to the program folder as it is
// read. Opening the database or the query raises dao::DaoError; a failure
// after that ends the list early and sets `complete` false.
std::vector<RecentProject> ReadRecentProjects(bool* complete = nullptr);

}  // namespace korvalo

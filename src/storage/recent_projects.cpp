#include "storage/recent_projects.h"

#include <filesystem>
#include <system_error>

#include "common/utf8.h"
#include "storage/messages.h"
#include "storage/program_state.h"
#include "storage/system_db.h"

namespace korvalo {
namespace {

constexpr const char* kNewestFirst = "SELECT * FROM tblRecentProject ORDER BY AccessID DESC";

// A stored folder that stands for the program folder.
bool IsProgramFolderMark(const std::string& folder) { return folder == "./" || folder == ".\\"; }

std::string ProgramFolderWithSlash() {
  std::string folder = Program().ProgramFolder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// Two paths name the same project file as the file system sees it: letter
// case counts (P3.kvx and p3.kvx are two files); "." and ".." steps and
// links do not.
bool SameProjectFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  const fs::path pa = fs::absolute(fs::path(a), error).lexically_normal();
  const fs::path pb = fs::absolute(fs::path(b), error).lexically_normal();
  return pa == pb;
}

}  // namespace

std::string FileNameOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string(path);
  return std::string(path.substr(slash + 1));
}

std::string RecentProjectCaption(std::string_view folder, std::string_view name) {
  return utf8::Substr(folder, 0, 2) + "/.../" + std::string(name);
}

void AddRecentProject(const std::string& path) {
  const std::string name = FileNameOf(path);
  const std::string folder = path.substr(0, path.size() - name.size());
  try {
    dao::Database db = OpenSystemDatabaseByPath(false);
    dao::Recordset rs = db.OpenRecordset("tblRecentProject");
    if (!rs.Eof()) {
      for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        const std::string rowName = dao::AsText(rs.Get("ProjectName"));
        const std::string rowFolder = dao::AsText(rs.Get("ProjectLocation"));
        const std::string storedFolder = IsProgramFolderMark(rowFolder) ? ProgramFolderWithSlash() : rowFolder;
        if (SameProjectFile(storedFolder + rowName, path)) rs.Delete();
      }
    }
    rs.AddNew();
    rs.Set("AccessDate", dao::Today());
    rs.Set("ProjectName", name);
    rs.Set("ProjectLocation", folder);
    rs.Update();
  } catch (const dao::DaoError&) {
    Notify("Update error.  Database was not modified.");
  }
}

void AddNewRecentProject(const std::string& folder, const std::string& name) {
  dao::Database db = OpenSystemDatabaseByPath(false);
  dao::Transaction trans(db);
  {
    dao::Recordset rs = db.OpenRecordset("tblRecentProject");
    rs.AddNew();
    rs.Set("ProjectName", name + ".kvx");
    rs.Set("ProjectLocation", folder);
    rs.Set("AccessDate", dao::Today());
    rs.Update();
  }
  {
    dao::Recordset oldest = db.OpenRecordset("SELECT * FROM tblRecentProject ORDER BY AccessID");
    long count = oldest.Eof() ? 0 : oldest.RecordCount();
    if (count > 0) {
      oldest.MoveLast();
      count = oldest.RecordCount();
      oldest.MoveFirst();
    }
    for (; count > kRecentProjectCount && !oldest.Eof(); --count) {
      oldest.Delete();
      oldest.MoveNext();
    }
  }
  trans.Commit();
}

void FixSampleProjectFolders() {
  try {
    dao::Database db = OpenSystemDatabaseByPath(false);
    dao::Recordset rs = db.OpenRecordset("tblRecentProject");
    if (rs.Eof()) return;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
      try {
        if (!IsProgramFolderMark(dao::AsText(rs.Get("ProjectLocation")))) continue;
        rs.Edit();
        rs.Set("ProjectLocation", ProgramFolderWithSlash());
        rs.Update();
      } catch (const dao::DaoError&) {
        rs.CancelUpdate();
      }
    }
  } catch (const dao::DaoError&) {
  }
}

std::vector<RecentProject> ReadRecentProjects(bool* complete) {
  if (complete) *complete = true;
  dao::Database db = OpenSystemDatabaseByPath(false);
  dao::Recordset rs = db.OpenRecordset(kNewestFirst);
  std::vector<RecentProject> rows;
  try {
    if (rs.Eof()) return rows;
    for (rs.MoveFirst(); !rs.Eof() && rows.size() < kRecentProjectCount; rs.MoveNext()) {
      RecentProject row{dao::AsText(rs.Get("ProjectLocation")), dao::AsText(rs.Get("ProjectName"))};
      if (IsProgramFolderMark(row.folder)) {
        row.folder = ProgramFolderWithSlash();
        rs.Edit();
        rs.Set("ProjectLocation", row.folder);
        rs.Update();
      }
      rows.push_back(std::move(row));
    }
  } catch (const dao::DaoError&) {
    if (complete) *complete = false;
  }
  return rows;
}

}  // namespace korvalo

#include <filesystem>
#include <fstream>

#include "storage/project_open.h"
#include "storage/recent_projects.h"
#include "storage_fixture.h"

namespace korvalo {
namespace {

class RecentProjectsTest : public StorageTest {
 protected:
  void AddRow(const std::string& folder, const std::string& name) {
    dao::Database db = OpenSystemDatabaseByPath(false);
    db.Execute("INSERT INTO tblRecentProject (ProjectName, ProjectLocation) VALUES (?, ?)", {name, folder});
  }
  void ClearRows() {
    dao::Database db = OpenSystemDatabaseByPath(false);
    db.Execute("DELETE FROM tblRecentProject");
  }
  std::vector<std::string> Folders() {
    std::vector<std::string> out;
    dao::Database db = OpenSystemDatabaseByPath(false);
    dao::Recordset rs = db.OpenRecordset("SELECT * FROM tblRecentProject ORDER BY AccessID");
    for (; !rs.Eof(); rs.MoveNext()) out.push_back(dao::AsText(rs.Get("ProjectLocation")));
    return out;
  }
};

TEST(RecentProjectNames, FileNameAndCaption) {
  EXPECT_EQ(FileNameOf("/home/ann/Work/Town/Block 7.kvx"), "Block 7.kvx");
  EXPECT_EQ(FileNameOf("Block 7.kvx"), "Block 7.kvx");
  EXPECT_EQ(FileNameOf("/home/ann/"), "");
  EXPECT_EQ(RecentProjectCaption("/home/ann/Work/Town/", "Block 7.kvx"), "/h/.../Block 7.kvx");
  EXPECT_EQ(RecentProjectCaption("/", "Root.kvx"), "//.../Root.kvx");
}

TEST_F(RecentProjectsTest, AReopenReplacesTheRowAndTwelveRowsReadAsTheTenNewest) {
  for (int i = 0; i < 12; ++i) AddRecentProject(dir.File("P" + std::to_string(i) + ".kvx"));
  AddRecentProject(dir.File("P3.kvx"));
  const std::vector<RecentProject> rows = ReadRecentProjects();
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[0].Path(), dir.File("P3.kvx"));
  EXPECT_EQ(rows[1].Path(), dir.File("P11.kvx"));
  EXPECT_EQ(Folders().size(), 12u);  // one row per project; a reopen does not trim
}

// Paths compare as the file system does: names differing in letter case are
// two files with a row each; another spelling of the same file is one.
TEST_F(RecentProjectsTest, ProjectsAreTheSameFileOnlyAsTheFileSystemSaysSo) {
  const struct {
    const char* reopened;
    bool sameFile;
  } cases[] = {
      {"P3.kvx", true},
      {"./P3.kvx", true},
      {"sub/../P3.kvx", true},
      {"p3.kvx", false},
      {"P3.KVX", false},
  };
  std::filesystem::create_directory(dir.File("sub"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reopened);
    ClearRows();
    AddRecentProject(dir.File("P3.kvx"));
    AddRecentProject(dir.File(c.reopened));
    const std::vector<RecentProject> rows = ReadRecentProjects();
    ASSERT_EQ(rows.size(), c.sameFile ? 1u : 2u);
    EXPECT_EQ(rows[0].Path(), dir.File(c.reopened));
  }
}

TEST_F(RecentProjectsTest, ProgramFolderRowsAreRewrittenOnTheFirstRunAndWhenRead) {
  AddRow("./", "Sample.kvx");
  AddRow(".\\", "Old sample.kvx");
  AddRow("/work/", "Own.kvx");
  FixSampleProjectFolders();
  EXPECT_EQ(Folders(), (std::vector<std::string>{dir.Path() + "/", dir.Path() + "/", "/work/"}));

  AddRow("./", "Later.kvx");
  const std::vector<RecentProject> rows = ReadRecentProjects();
  EXPECT_EQ(rows[0].Path(), dir.File("Later.kvx"));
  EXPECT_EQ(Folders().back(), dir.Path() + "/");
}

TEST_F(RecentProjectsTest, AddRecentProjectFailureSaysSo) {
  Program().SystemDb.reset();
  std::filesystem::remove(SystemDatabasePath());
  AddRecentProject(dir.File("A.kvx"));
  EXPECT_EQ(Texts(), std::vector<std::string>{"Update error.  Database was not modified."});
  EXPECT_THROW(AddNewRecentProject(dir.Path() + "/", "A"), dao::DaoError);
  EXPECT_THROW(ReadRecentProjects(), dao::DaoError);
}

// The drawing path a project gives, and the project file that gives none.
TEST_F(RecentProjectsTest, ReadProjectDrawingResolvesFallsBackAndRefuses) {
  std::ofstream(dir.File("Lots.dwg")) << "x";
  struct Case {
    std::string stored;
    std::string drawing;
  };
  const Case cases[] = {
      {dir.File("Lots.dwg"), dir.File("Lots.dwg")},
      {"./Lots.dwg", dir.File("Lots.dwg")},
      {".\\Lots.dwg", dir.File("Lots.dwg")},
      {dir.File("Gone.dwg"), dir.File("default.dwg")},
      {"", ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    NewProject("P" + std::to_string(n++), c.stored);
    Program().DrawingPath = "kept";
    EXPECT_TRUE(ReadProjectDrawing());
    EXPECT_EQ(Program().DrawingPath, c.drawing);
  }
  EXPECT_TRUE(messages.empty());

  std::ofstream(dir.File("Junk.kvx")) << "junk";
  const std::pair<std::string, const char*> refused[] = {
      {dir.File("Gone.kvx"), "The file does not exist."},
      {dir.File("Junk.kvx"), "The file is not a Korvalo project."},
  };
  for (const auto& [bad, reason] : refused) {
    Program().ProjectPath = bad;
    Program().DrawingPath = "kept";
    messages.clear();
    EXPECT_FALSE(ReadProjectDrawing());
    EXPECT_EQ(Program().DrawingPath, "kept");
    EXPECT_EQ(Texts(), std::vector<std::string>{"Can't open the project: " + bad + "\n" + reason});
  }
}

TEST_F(RecentProjectsTest, SchemaUpgradeOfAFileThatIsNoProjectIsRefused) {
  const std::string junk = dir.File("Junk.kvx");
  std::ofstream(junk) << "junk";
  EXPECT_FALSE(UpgradeProjectSchema(junk));
  EXPECT_EQ(Texts(), std::vector<std::string>{ProjectUnreadableText(junk, dao::err::kNotADatabase)});
  messages.clear();
  EXPECT_TRUE(UpgradeProjectSchema(dir.File("Gone.kvx")));  // nothing to upgrade
  EXPECT_TRUE(messages.empty());
}

TEST(ProjectNames, OnlyPlainFileNamesPass) {
  for (const char* good : {"Block 7", "Lot.2", "Ånge"}) EXPECT_EQ(ProjectNameProblem(good), "") << good;
  for (const char* bad : {"", ".", "..", "../up", "a/b", "a\\b", "tab\there"})
    EXPECT_NE(ProjectNameProblem(bad), "") << bad;
}

}  // namespace
}  // namespace korvalo

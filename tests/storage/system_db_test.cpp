#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "storage/first_row.h"
#include "storage_fixture.h"
#include "support/as_nobody.h"

namespace korvalo {
namespace {

const char* const kSingleInstance =
    "The database is already opened by another instance of Korvalo.\n"
    "The single-user version can only be used by one instance at a time.";
const char* const kReinstall =
    "Korvalo could not find the database or it has become corrupted.\n"
    "This program cannot continue.  Please re-install Korvalo.";

class SystemDbTest : public StorageTest {
 protected:
  SystemDbTest() : StorageTest(Edition::A2004, false) {}
};

dao::Value SystemField(const char* field) {
  dao::Database db = OpenSystemDatabaseByPath(false);
  return detail::ReadFirstRow(db, "tblSetting", field);
}


// Another program in the middle of writing the file: the user is told it is
// in use, not that it is damaged.
TEST_F(SystemDbTest, AFileAnotherProgramIsWritingIsInUse) {
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(SystemDatabasePath().c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_FALSE(OpenSystemDatabase());
  EXPECT_EQ(Texts(), std::vector<std::string>{"Korvalo's system database is in use by another program.\n"
                                              "Please close that program and start Korvalo again."});
  sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(writer);
  EXPECT_TRUE(OpenSystemDatabase());
}

TEST_F(SystemDbTest, StartUpConnectionServesLaterOpensOfThisProcess) {
  ASSERT_TRUE(OpenSystemDatabase());
  EXPECT_TRUE(TakeFirstRunFlag());
  EXPECT_FALSE(TakeFirstRunFlag());
  EXPECT_TRUE(VideoPromptWanted());
  StopVideoPrompt();
  EXPECT_FALSE(VideoPromptWanted());
  SaveAutoName(true);
  EXPECT_TRUE(LoadAutoName());
  SaveAutoName(false);
  EXPECT_FALSE(LoadAutoName());
  // The first-run writers open exclusively without the password.
  SetDefaultMetric(true);
  SetDefaultBearingMode(false);
  EXPECT_EQ(SystemField("unitfeet"), dao::Value(false));
  EXPECT_EQ(SystemField("Bearing"), dao::Value(false));
  SetDefaultMetric(false);
  EXPECT_EQ(SystemField("unitfeet"), dao::Value(true));
  EXPECT_TRUE(messages.empty());
}

// The start's reads and writes go through the connection the splash holds:
// another connection finds what they wrote, and so does the next start.
TEST_F(SystemDbTest, TheStartsReadsAndWritesThroughTheHeldConnectionAreStored) {
  ASSERT_TRUE(OpenSystemDatabase());
  {
    StartUpReads reads;
    EXPECT_TRUE(TakeFirstRunFlag());
    EXPECT_FALSE(TakeFirstRunFlag());
    EXPECT_TRUE(VideoPromptWanted());
    StopVideoPrompt();
    EXPECT_FALSE(VideoPromptWanted());
  }
  EXPECT_EQ(SystemField("Demo"), dao::Value(false));
  EXPECT_EQ(SystemField("DemoMenu"), dao::Value(false));
  Program().SystemDb.reset();
  ASSERT_TRUE(OpenSystemDatabase());
  StartUpReads reads;
  EXPECT_FALSE(TakeFirstRunFlag());
  EXPECT_FALSE(VideoPromptWanted());
  EXPECT_TRUE(messages.empty());
}

TEST_F(SystemDbTest, SecondProcessGetsTheSingleInstanceMessage) {
  ASSERT_TRUE(OpenSystemDatabase());
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    messages.clear();
    bool opened = OpenSystemDatabase();
    bool ok = !opened && messages.size() == 1 && messages[0].text == kSingleInstance &&
              messages[0].icon == MessageIcon::Critical;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // The first instance goes on unaffected.
  EXPECT_TRUE(TakeFirstRunFlag());
  EXPECT_TRUE(messages.empty());
}

TEST_F(SystemDbTest, MissingForeignOrLockedWithAnotherPasswordAsksForReinstall) {
  const std::string path = SystemDatabasePath();
  struct Case {
    const char* name;
    std::function<void()> spoil;
  };
  const Case cases[] = {
      {"missing", [&] { std::filesystem::remove(path); }},
      {"foreign", [&] { std::ofstream(path) << "this is a text file, not a system database of the program"; }},
      {"other password",
       [&] {
         dao::Database db = dao::Database::Create(path);
         db.SetPassword("other");
       }},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(path);
    c.spoil();
    messages.clear();
    EXPECT_FALSE(OpenSystemDatabase()) << c.name;
    EXPECT_EQ(Texts(), std::vector<std::string>{kReinstall}) << c.name;
    EXPECT_FALSE(Program().SystemDb.has_value()) << c.name;
    EXPECT_FALSE(std::filesystem::exists(path + ".lock")) << c.name;  // nothing is created
  }
  std::filesystem::remove(path);
  OpenSystemDatabase();
  EXPECT_FALSE(std::filesystem::exists(path));  // never created
}

// An intact system database in a program folder that cannot be written (the
// lock beside it cannot be made) or that the user may not read: the start-up
// says so, not that the file is missing or damaged.
TEST_F(SystemDbTest, AnIntactFileThatCannotBeUsedIsToldTruly) {
  const std::string path = SystemDatabasePath();
  struct Case {
    const char* what;
    mode_t folder;
    mode_t file;
    std::string says;
  };
  const Case cases[] = {
      {"a folder that cannot be written", 0555, 0644,
       "Korvalo cannot write in its program folder " + dir.Path() + ", where it keeps the lock of its system database."},
      {"a file that may not be read", 0755, 0600, "Korvalo is not allowed to read its system database " + path + "."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::chmod(dir.Path().c_str(), c.folder);
    ::chmod(path.c_str(), c.file);
    messages.clear();
    {
      AsNobody nobody;
      ASSERT_TRUE(nobody.Active());
      EXPECT_FALSE(OpenSystemDatabase());
    }
    ::chmod(dir.Path().c_str(), 0700);
    ::chmod(path.c_str(), 0644);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.rfind(c.says, 0), 0u) << messages[0].text;
    EXPECT_EQ(messages[0].text.find("corrupted"), std::string::npos);
    EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
    EXPECT_FALSE(std::filesystem::exists(path + ".lock"));
  }
  EXPECT_TRUE(OpenSystemDatabase());  // the file was intact all along
}

TEST_F(SystemDbTest, FailuresShowTheirMessages) {
  std::filesystem::remove(SystemDatabasePath());
  EXPECT_TRUE(TakeFirstRunFlag());   // a failed read counts as a first run
  EXPECT_TRUE(VideoPromptWanted());  // and offers the videos
  EXPECT_FALSE(LoadAutoName());
  SetDefaultMetric(true);
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[0].text, "Open system DB error!");
  EXPECT_EQ(messages[1].text, "Open system DB error!");
  EXPECT_EQ(messages[2].text, kGeneralErrorMessage);
  EXPECT_EQ(messages[3].text, "Couldn't change the default setting!");
  EXPECT_EQ(messages[3].title, "Warning");
}

TEST_F(SystemDbTest, CreditsListEachContributionWithItsNames) {
  ASSERT_TRUE(OpenSystemDatabase());
  dao::Database& db = *Program().SystemDb;
  db.Execute("DELETE * FROM tblCredits");
  std::string text = "Credits:";
  FillCredits(text);
  EXPECT_EQ(text, "Credits:");  // nothing to add

  const std::pair<std::string, std::string> rows[] = {
      {"Surveyors' review", "Ann O'Neil"}, {"Testing", "Bo"}, {"Surveyors' review", "Cy"}};
  for (const auto& [contribution, name] : rows) {
    db.Execute("INSERT INTO tblCredits (Contribution, Name) VALUES (?, ?)", {contribution, name});
  }
  text.clear();
  FillCredits(text);
  EXPECT_EQ(text, "\nSurveyors' review\n\tAnn O'Neil\n\tCy\n\nTesting\n\tBo\n");
}

}  // namespace
}  // namespace korvalo

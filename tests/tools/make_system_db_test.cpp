#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/dao/dao.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

namespace korvalo {
namespace {

// Runs the build tool; its exit code.
int MakeSystemDb(const std::string& arguments) {
  const std::string command = std::string(KORVALO_MAKE_SYSTEM_DB) + " " + arguments + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const dao::DaoError& e) {
    return e.Number();
  }
  return 0;
}

// The shipped files open as the start-up opens them, only with the password,
// and hold a fresh installation's first-run flags and credits; making them
// again over files that are there replaces them whole.
TEST(MakeSystemDb, WritesBothShippedFilesIntoTheProgramFolder) {
  TempFolder dir;
  const std::string folder = dir.File("program");
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(MakeSystemDb("'" + folder + "'"), 0) << run;
    struct Case {
      Edition edition;
      std::size_t settingFields;
    };
    for (const Case& c : {Case{Edition::A2004, 24}, Case{Edition::Standalone, 26}}) {
      const std::string path = folder + "/" + SystemDatabaseName(c.edition);
      EXPECT_FALSE(std::filesystem::exists(path + ".new"));
      EXPECT_EQ(ErrorOf([&] { dao::Database::Open(path, {true, false, ";Pwd=wrong"}); }),
                dao::err::kWrongPassword);
      dao::Database db =
          dao::Database::Open(path, {true, false, std::string(";Pwd=") + kSystemDatabasePassword});
      EXPECT_EQ(db.Fields("tblSetting").size(), c.settingFields);
      dao::Recordset setting = db.OpenRecordset("tblSetting");
      EXPECT_EQ(setting.RecordCount(), 1);
      EXPECT_EQ(setting.Get("Demo"), dao::Value(true));
      EXPECT_EQ(setting.Get("DemoMenu"), dao::Value(true));
      EXPECT_EQ(setting.Get("DegreeSymbol"), dao::Value(std::string("%%D")));
      EXPECT_GT(db.OpenRecordset("tblCredits").RecordCount(), 0);
      EXPECT_EQ(db.OpenRecordset("tblRecentProject").RecordCount(), 0);
    }
  }
  EXPECT_EQ(MakeSystemDb(""), 2);  // no folder given
}

}  // namespace
}  // namespace korvalo

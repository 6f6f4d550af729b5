// Build-time tool: writes the system databases that ship beside the program.
// Usage: korvalo_make_system_db <program folder>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/dao/dao.h"
#include "storage/system_db.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <program folder>\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path folder = argv[1];
  try {
    fs::create_directories(folder);
    for (korvalo::Edition edition : {korvalo::Edition::A2004, korvalo::Edition::Standalone}) {
      const fs::path target = folder / korvalo::SystemDatabaseName(edition);
      const fs::path temp = fs::path(target.string() + ".new");
      fs::remove(temp);
      korvalo::BuildSystemDatabase(temp.string(), edition);
      fs::rename(temp, target);
    }
  } catch (const korvalo::dao::DaoError& e) {
    std::fprintf(stderr, "error %d: %s\n", e.Number(), e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "error: %s\n", e.what());
    return 1;
  }
  return 0;
}

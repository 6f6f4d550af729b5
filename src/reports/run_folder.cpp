#include "reports/run_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <stdlib.h>

namespace korvalo::reports {
namespace {

// Owns the folder; its destructor (at the program's end) removes it.
class Folder {
 public:
  Folder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    std::string pattern = base + "/korvalo-reports-XXXXXX";
    // mkdtemp makes the folder with mode 0700.
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("The folder for the report files cannot be made in " + base + ": " +
                               std::strerror(errno));
    }
    path_ = pattern;
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

const std::string& RunFolder() {
  // Made once; a failed attempt is tried again on the next call. The
  // pointer's destructor at the program's end removes the folder.
  static std::mutex mutex;
  static std::unique_ptr<Folder> folder;
  std::lock_guard lock(mutex);
  if (!folder) folder = std::make_unique<Folder>();
  return folder->Path();
}

std::string ScratchTextPath() { return RunFolder() + "/temp.rpt"; }
std::string ScratchCsvPath() { return RunFolder() + "/tempcsv.rpt"; }

}  // namespace korvalo::reports

#include "platform/cad/system.h"

#include <filesystem>
#include <system_error>

#include "platform/cad/draw_client.h"

namespace korvalo::cad {

Automation& SystemAutomation() {
  static DrawAutomation automation([] {
    DrawOptions options;
    std::error_code error;
    options.programFolder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
    return options;
  }());
  return automation;
}

}  // namespace korvalo::cad

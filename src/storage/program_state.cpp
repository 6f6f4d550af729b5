#include "storage/program_state.h"

#include <filesystem>

namespace korvalo {

ProgramState& Program() {
  static ProgramState state;
  return state;
}

void ResetProgramState() { Program() = ProgramState{}; }

std::string ExecutableFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path(ec).string() : exe.parent_path().string();
}

std::string FileBesideProgram(std::string_view name) {
  std::string path = Program().ProgramFolder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace korvalo

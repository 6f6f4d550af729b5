#include "storage/program_state.h"

namespace korvalo {

ProgramState& Program() {
  static ProgramState state;
  return state;
}

void ResetProgramState() { Program() = ProgramState{}; }

std::string FileBesideProgram(std::string_view name) {
  std::string path = Program().ProgramFolder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace korvalo

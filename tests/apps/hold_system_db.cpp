// A second program holding the system database of a program folder, as a
// running instance does: it opens it, writes "held" and keeps it until its
// standard input closes.

#include <iostream>
#include <string>

#include "common/edition.h"
#include "storage/program_state.h"
#include "storage/system_db.h"

int main(int argc, char** argv) {
  using namespace korvalo;
  if (argc < 2) return 2;
  SetEdition(Edition::A2004);
  Program().ProgramFolder = argv[1];
  if (!OpenSystemDatabase()) return 1;
  std::cout << "held" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
  }
  // Let go before the program's static state goes away.
  Program().SystemDb.reset();
  return 0;
}

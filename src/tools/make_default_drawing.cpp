// Writes the fallback drawing "default.dwg" into the folder named on the
// command line (the program folder): an empty drawing with the one layer
// "0", as DXF text. Drawing readers open it by its content, whatever the
// name says. Usage: korvalo_make_default_drawing FOLDER

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace {

// Group code and value pairs, one per line each, as DXF writes them.
constexpr const char* kEmptyDrawing =
    "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n"
    "0\nSECTION\n2\nTABLES\n"
    "0\nTABLE\n2\nLTYPE\n70\n1\n"
    "0\nLTYPE\n2\nCONTINUOUS\n70\n0\n3\nSolid line\n72\n65\n73\n0\n40\n0.0\n"
    "0\nENDTAB\n"
    "0\nTABLE\n2\nLAYER\n70\n1\n"
    "0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nCONTINUOUS\n"
    "0\nENDTAB\n"
    "0\nENDSEC\n"
    "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n"
    "0\nEOF\n";

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc != 2) {
    std::fprintf(stderr, "Usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const fs::path folder(argv[1]);
  std::error_code error;
  fs::create_directories(folder, error);
  const fs::path target = folder / "default.dwg";
  // Written beside the target and renamed over it, so that a failed write
  // never leaves half a drawing in the program folder.
  const fs::path partial = folder / "default.dwg.partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << kEmptyDrawing;
    out.close();
    if (!out) {
      fs::remove(partial, error);
      std::fprintf(stderr, "Cannot write %s\n", partial.string().c_str());
      return 1;
    }
  }
  fs::rename(partial, target, error);
  if (error) {
    fs::remove(partial, error);
    std::fprintf(stderr, "Cannot write %s\n", target.string().c_str());
    return 1;
  }
  return 0;
}

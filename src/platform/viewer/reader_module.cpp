// The reading in this process: the reader module loaded on the first call
// and held for the run; the module does the reading. The drawing reader's
// program reads through it (read_process.h).

#include "platform/viewer/reader_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace korvalo::viewer {
namespace {

struct Module {
  const ReaderFunctions* functions = nullptr;
  std::string error;  // why it could not be loaded
};

// Beside the program first (where an installed program has it), then where
// the build put it (tests and benchmarks run from other folders).
std::vector<std::string> Candidates() {
  std::vector<std::string> paths;
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) paths.push_back((self.parent_path() / KORVALO_GDAL_READER_NAME).string());
  paths.emplace_back(KORVALO_GDAL_READER_BUILT);
  return paths;
}

Module Load() {
  Module module;
  for (const std::string& path : Candidates()) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) continue;
    void* handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle) {
      const char* why = ::dlerror();
      module.error = why ? why : path;
      continue;
    }
    const auto entry = reinterpret_cast<ReaderEntry>(::dlsym(handle, kReaderEntryName));
    const ReaderFunctions* functions = entry ? entry() : nullptr;
    const ReaderFunctions expected;
    if (!functions || functions->drawingSize != expected.drawingSize || functions->entitySize != expected.entitySize ||
        functions->errorSize != expected.errorSize || !functions->readDrawing || !functions->readLayers) {
      module.error = path + " is not the drawing reader of this program";
      ::dlclose(handle);
      continue;
    }
    // Held for the run.
    module.functions = functions;
    module.error.clear();
    return module;
  }
  if (module.error.empty()) module.error = std::string(KORVALO_GDAL_READER_NAME) + " is missing";
  return module;
}

const Module& Reader() {
  static const Module module = Load();
  return module;
}

ReadError NotLoaded() {
  return ReadError{kErrReaderNotLoaded, "The drawing reader could not be loaded: " + Reader().error};
}

}  // namespace

std::optional<ReadError> ReadDrawingHere(const std::string& path, Drawing& out) {
  const Module& reader = Reader();
  if (!reader.functions) return NotLoaded();
  return reader.functions->readDrawing(path, out);
}

std::optional<ReadError> ReadLayersHere(const std::string& path, std::vector<Layer>& out) {
  const Module& reader = Reader();
  if (!reader.functions) return NotLoaded();
  return reader.functions->readLayers(path, out);
}

}  // namespace korvalo::viewer

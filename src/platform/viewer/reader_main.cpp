// The drawing reader's program: reads one drawing (or its layers) through
// the reader module and writes the result to descriptor 3 for the program
// that started it (read_process.h). Its memory is bounded here, before
// anything is read; its time by the program, which ends it when it is past.

#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <string>

#include "platform/viewer/drawing_transfer.h"
#include "platform/viewer/read_process.h"
#include "platform/viewer/reader_module.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's shadow memory takes far more address space than any limit
// allows: its own bound on memory in use stands in for the limit.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:soft_rss_limit_mb=3072:hard_rss_limit_mb=3584:detect_leaks=0";
}
#endif

namespace {

using namespace korvalo::viewer;

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
    if (n <= 0) return false;
    at += static_cast<std::size_t>(n);
  }
  return true;
}

int Run(const std::string& mode, const std::string& path) {
  std::string bytes;
  try {
    if (mode == kReadDrawingMode) {
      Drawing drawing;
      const auto error = ReadDrawingHere(path, drawing);
      EncodeResult(error, error ? nullptr : &drawing, nullptr, bytes);
    } else if (mode == kReadLayersMode) {
      std::vector<Layer> layers;
      const auto error = ReadLayersHere(path, layers);
      EncodeResult(error, nullptr, error ? nullptr : &layers, bytes);
    } else {
      return 2;
    }
  } catch (const std::bad_alloc&) {
    bytes.clear();
    bytes.shrink_to_fit();
    EncodeResult(ReadError{kErrTooLarge, "The drawing is too large to show: reading it takes more than " +
                                             std::to_string(kReadMemoryBytes >> 30) + " GB of memory: " + path},
                 nullptr, nullptr, bytes);
  }
  return WriteAll(kResultDescriptor, bytes) ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
#if !defined(__SANITIZE_ADDRESS__)
  const rlimit memory{kReadMemoryBytes, kReadMemoryBytes};
  ::setrlimit(RLIMIT_AS, &memory);
#endif
  const int code = Run(argv[1], argv[2]);
  // Nothing to tidy: the program takes the result from the shared memory.
  ::_exit(code);
}

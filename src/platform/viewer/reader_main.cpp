// The drawing reader's program: reads drawings (or their layers) through
// the reader module, one request at a time, for the program that started it
// (read_process.h): each result is written into the shared memory and its
// size answered. Its memory is bounded here, before anything is read; its
// time by the program, which ends it when a read is past its time.

#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

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

// The shared memory, mapped as large as the largest result so far.
class Results {
 public:
  char* Room(std::size_t size) {
    if (size <= size_) return data_;
    if (data_) ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
    if (::ftruncate(kResultDescriptor, static_cast<off_t>(size)) != 0) return nullptr;
    void* at = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, kResultDescriptor, 0);
    if (at == MAP_FAILED) return nullptr;
    data_ = static_cast<char*>(at);
    size_ = size;
    return data_;
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

// Reads one request; false when the program asks for no more (or is gone).
// A read that ran out of memory has given it all back when it is told.
bool Serve(Results& results) {
  std::vector<char> request(8192);
  const ssize_t got = ::recv(kRequestDescriptor, request.data(), request.size(), 0);
  if (got <= 0) return false;
  const std::string text(request.data(), static_cast<std::size_t>(got));
  const std::size_t split = text.find('\n');
  if (split == std::string::npos) return false;
  const std::string mode = text.substr(0, split), path = text.substr(split + 1);
  std::optional<ReadError> error;
  Drawing drawing;
  std::vector<Layer> layers;
  try {
    if (mode == kReadDrawingMode) error = ReadDrawingHere(path, drawing);
    else if (mode == kReadLayersMode) error = ReadLayersHere(path, layers);
    else return false;
  } catch (const std::bad_alloc&) {
    drawing = Drawing{};
    layers.clear();
    layers.shrink_to_fit();
    error = ReadError{kErrTooLarge, "The drawing is too large to show: reading it takes more than " +
                                        std::to_string(kReadMemoryBytes >> 30) + " GB of memory: " + path};
  }
  const Drawing* d = !error && mode == kReadDrawingMode ? &drawing : nullptr;
  const std::vector<Layer>* l = !error && mode == kReadLayersMode ? &layers : nullptr;
  const std::uint64_t size = EncodeResult(error, d, l, nullptr);
  char* room = results.Room(static_cast<std::size_t>(size));
  if (!room) return false;
  EncodeResult(error, d, l, room);
  if (::send(kRequestDescriptor, &size, sizeof size, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof size)) return false;
  return true;
}

}  // namespace

int main() {
  // A reader whose program has gone (killed while a read ran, say) ends with
  // it, rather than read on alone.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() == 1) ::_exit(0);
#if !defined(__SANITIZE_ADDRESS__)
  const rlimit memory{kReadMemoryBytes, kReadMemoryBytes};
  ::setrlimit(RLIMIT_AS, &memory);
#endif
  Results results;
  while (Serve(results)) {
  }
  // Nothing to tidy: the program has taken every result.
  ::_exit(0);
}

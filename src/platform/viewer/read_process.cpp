#include "platform/viewer/read_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/viewer/drawing_transfer.h"
#include "platform/viewer/reader.h"

extern char** environ;

namespace korvalo::viewer {
namespace {

// A descriptor closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

ReadError Refused(int number, std::string description) { return ReadError{number, std::move(description)}; }

// How the reader's process ended.
struct Ending {
  bool timedOut = false;
  int status = 0;
  long peakKilobytes = 0;
};

// Waits for the child until `seconds` have passed, then ends it.
Ending Await(pid_t pid, double seconds) {
  Ending ending;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  bool ended = false;
  if (pidfd >= 0) {
    const Descriptor held(pidfd);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd p{pidfd, POLLIN, 0};
      const int n = ::poll(&p, 1, static_cast<int>(left.count()));
      if (n > 0) {
        ended = true;
        break;
      }
      if (n < 0 && errno != EINTR) break;
    }
  } else {
    // An older system: looked at every few milliseconds.
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      rusage usage{};
      const pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
      if (done == pid) {
        ending.status = status;
        ending.peakKilobytes = usage.ru_maxrss;
        return ending;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  if (!ended) {
    ::kill(pid, SIGKILL);
    ending.timedOut = true;
  }
  rusage usage{};
  while (::wait4(pid, &ending.status, 0, &usage) < 0 && errno == EINTR) {
  }
  ending.peakKilobytes = usage.ru_maxrss;
  return ending;
}

}  // namespace

ReadResult RunReader(const std::string& program, const char* mode, const std::string& path, double seconds) {
  ReadResult result;
  if (program.empty()) {
    result.error = Refused(kErrReaderNotLoaded, std::string("The drawing reader could not be loaded: ") +
                                                    kReaderProgramName + " is missing");
    return result;
  }
  Descriptor shared(static_cast<int>(::syscall(SYS_memfd_create, "korvalo-drawing", MFD_CLOEXEC)));
  if (shared.get() < 0) {
    result.error = Refused(kErrReaderNotLoaded, "The drawing reader could not be started: no shared memory");
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The result's descriptor as 3 in the child (a descriptor that is 3
  // already is moved first, so that the child's copy keeps no close-on-exec).
  Descriptor moved(shared.get() == kResultDescriptor ? ::fcntl(shared.get(), F_DUPFD_CLOEXEC, 10) : -1);
  const int source = moved.get() >= 0 ? moved.get() : shared.get();
  posix_spawn_file_actions_adddup2(&actions, source, kResultDescriptor);
  std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(mode),
                          const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    result.error = Refused(kErrReaderNotLoaded, "The drawing reader could not be started: " + program);
    return result;
  }
  const Ending ending = Await(pid, seconds);
  if (ending.timedOut) {
    result.error = Refused(kErrNotReadInTime, "The drawing could not be read in time: " + path);
    return result;
  }
  if (!WIFEXITED(ending.status) || WEXITSTATUS(ending.status) != 0) {
    // The reader ends on its own after telling every refusal; an end
    // without one is the memory running out (the C++ library and GDAL end
    // the process when it does), or the reader failing on the file.
    const bool memory = (WIFSIGNALED(ending.status) && WTERMSIG(ending.status) == SIGABRT) ||
                        static_cast<unsigned long long>(ending.peakKilobytes) * 1024 >= kReadMemoryBytes / 2;
    if (memory)
      result.error = Refused(kErrTooLarge, "The drawing is too large to show: reading it takes more than " +
                                               std::to_string(kReadMemoryBytes >> 30) + " GB of memory: " + path);
    else
      result.error = Refused(kErrBadFileFormat, "The drawing could not be read (the reader failed on it): " + path);
    return result;
  }
  struct stat written {};
  if (::fstat(shared.get(), &written) != 0 || written.st_size <= 0) {
    result.error = Refused(kErrBadFileFormat, "The drawing reader gave no result: " + path);
    return result;
  }
  const auto size = static_cast<std::size_t>(written.st_size);
  void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, shared.get(), 0);
  if (mapped == MAP_FAILED) {
    result.error = Refused(kErrTooLarge, "The drawing is too large to show: its result cannot be taken: " + path);
    return result;
  }
  const bool decoded = DecodeResult(std::string_view(static_cast<const char*>(mapped), size), result);
  ::munmap(mapped, size);
  if (!decoded) {
    result = ReadResult{};
    result.error = Refused(kErrBadFileFormat, "The drawing reader gave no result that reads: " + path);
  }
  return result;
}

namespace {

std::string FindReaderProgram() {
  std::vector<std::string> paths;
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) paths.push_back((self.parent_path() / kReaderProgramName).string());
  paths.emplace_back(KORVALO_DRAWING_READER_BUILT);
  for (const std::string& path : paths)
    if (::access(path.c_str(), X_OK) == 0) return path;
  return {};
}

}  // namespace

const std::string& ReaderProgram() {
  static const std::string program = FindReaderProgram();
  return program;
}

double ReadSeconds(unsigned long long fileBytes) {
  return kReadBaseSeconds + static_cast<double>(fileBytes) / kReadBytesPerSecond;
}

bool LoadReader() { return !ReaderProgram().empty(); }

namespace {

// The file's size for its time bound; 0 when it cannot be read (the reader
// tells why).
unsigned long long FileBytes(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<unsigned long long>(st.st_size) : 0;
}

}  // namespace

std::optional<ReadError> ReadDrawing(const std::string& path, Drawing& out) {
  ReadResult result = RunReader(ReaderProgram(), kReadDrawingMode, path, ReadSeconds(FileBytes(path)));
  if (result.error) return std::move(result.error);
  out = std::move(result.drawing);
  return std::nullopt;
}

std::optional<ReadError> ReadLayers(const std::string& path, std::vector<Layer>& out) {
  ReadResult result = RunReader(ReaderProgram(), kReadLayersMode, path, ReadSeconds(FileBytes(path)));
  if (result.error) return std::move(result.error);
  out = std::move(result.layers);
  return std::nullopt;
}

}  // namespace korvalo::viewer

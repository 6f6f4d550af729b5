#include "platform/viewer/read_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/viewer/drawing_transfer.h"
#include "platform/viewer/reader.h"

extern char** environ;

namespace korvalo::viewer {
namespace {

ReadError Refused(int number, std::string description) { return ReadError{number, std::move(description)}; }

// How the reader's process ended.
struct Ending {
  bool timedOut = false;
  int status = 0;
  long peakKilobytes = 0;
};

// A reader process with its request socket and the shared memory of its
// results, kept for the reads that follow.
class ReaderProcess {
 public:
  explicit ReaderProcess(std::string program) : program_(std::move(program)) {}
  ~ReaderProcess() { Stop(); }
  ReaderProcess(const ReaderProcess&) = delete;
  ReaderProcess& operator=(const ReaderProcess&) = delete;

  // Starts the reader now when none runs; false when it cannot be started.
  bool Ready() {
    Forget();
    return pid_ > 0 || (!program_.empty() && Start());
  }

  ReadResult Read(const char* mode, const std::string& path, double seconds) {
    ReadResult result;
    if (program_.empty()) {
      result.error = Refused(kErrReaderNotLoaded, std::string("The drawing reader could not be loaded: ") +
                                                      kReaderProgramName + " is missing");
      return result;
    }
    Forget();
    if (pid_ <= 0 && !Start()) {
      result.error = Refused(kErrReaderNotLoaded, "The drawing reader could not be started: " + program_);
      return result;
    }
    const std::string request = std::string(mode) + "\n" + path;
    std::uint64_t size = 0;
    const bool sent = ::send(socket_, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
    const int answer = sent ? Answer(seconds, size) : -1;
    if (answer <= 0) {
      // No answer in time (0), or the reader ended (-1): it is ended and
      // the next read starts another.
      const Ending ending = End(answer == 0);
      result.error = Told(ending, path);
      return result;
    }
    const char* bytes = Mapped(static_cast<std::size_t>(size));
    if (!bytes || !DecodeResult(std::string_view(bytes, static_cast<std::size_t>(size)), result)) {
      result = ReadResult{};
      result.error = Refused(kErrBadFileFormat, "The drawing reader gave no result that reads: " + path);
      End(false);
    }
    return result;
  }

 private:
  // A reader that is gone (ended between reads), or one this process did
  // not start (a copy of the program made by fork), is not used: the read
  // starts its own.
  void Forget() {
    if (pid_ <= 0) return;
    if (owner_ != ::getpid()) {
      // The starter's: left to it untouched.
      pid_ = -1;
      socket_ = -1;
      shared_ = -1;
      mapped_ = nullptr;
      mappedSize_ = 0;
      return;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      End(false);
    }
  }

  bool Start() {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) return false;
    const int shared = static_cast<int>(::syscall(SYS_memfd_create, "korvalo-drawing", MFD_CLOEXEC));
    if (shared < 0) {
      ::close(pair[0]);
      ::close(pair[1]);
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The child's ends as 3 and 4; a descriptor that is already 3 or 4 is
    // moved first, so that no copy keeps its close-on-exec or is overwritten.
    const int request = ::fcntl(pair[1], F_DUPFD_CLOEXEC, 10);
    const int result = ::fcntl(shared, F_DUPFD_CLOEXEC, 10);
    posix_spawn_file_actions_adddup2(&actions, request, kRequestDescriptor);
    posix_spawn_file_actions_adddup2(&actions, result, kResultDescriptor);
    std::vector<char*> argv{const_cast<char*>(program_.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pair[1]);
    ::close(request);
    ::close(result);
    if (spawned != 0) {
      ::close(pair[0]);
      ::close(shared);
      return false;
    }
    pid_ = pid;
    owner_ = ::getpid();
    socket_ = pair[0];
    shared_ = shared;
    return true;
  }

  // 1 with the result's size, 0 when none came in time, -1 when the
  // reader ended or answered with something else.
  int Answer(double seconds, std::uint64_t& size) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return 0;
      pollfd p{socket_, POLLIN, 0};
      const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return -1;
      if (n == 0) continue;
      char reply[16];
      const ssize_t got = ::recv(socket_, reply, sizeof reply, 0);
      if (got != static_cast<ssize_t>(sizeof size)) return -1;
      std::memcpy(&size, reply, sizeof size);
      return 1;
    }
  }

  // The shared memory's first `size` bytes, mapped anew when it has grown.
  const char* Mapped(std::size_t size) {
    struct stat st {};
    if (size == 0 || ::fstat(shared_, &st) != 0 || static_cast<std::size_t>(st.st_size) < size) return nullptr;
    const auto whole = static_cast<std::size_t>(st.st_size);
    if (whole != mappedSize_) {
      Unmap();
      void* at = ::mmap(nullptr, whole, PROT_READ, MAP_SHARED, shared_, 0);
      if (at == MAP_FAILED) return nullptr;
      mapped_ = static_cast<const char*>(at);
      mappedSize_ = whole;
    }
    return mapped_;
  }

  void Unmap() {
    if (mapped_) ::munmap(const_cast<char*>(mapped_), mappedSize_);
    mapped_ = nullptr;
    mappedSize_ = 0;
  }

  // Ends the reader (at once when `kill`, else when it has gone) and tells
  // how it ended.
  Ending End(bool kill) {
    Ending ending;
    if (pid_ > 0 && kill) ::kill(pid_, SIGKILL);
    ending.timedOut = kill;
    if (socket_ >= 0) ::close(socket_);  // a reader waiting for a request ends
    socket_ = -1;
    if (pid_ > 0) {
      rusage usage{};
      int status = 0;
      while (::wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
      }
      ending.status = status;
      ending.peakKilobytes = usage.ru_maxrss;
    }
    pid_ = -1;
    Unmap();
    if (shared_ >= 0) ::close(shared_);
    shared_ = -1;
    return ending;
  }

  void Stop() {
    if (pid_ > 0 && owner_ == ::getpid()) End(false);
  }

  static ReadError Told(const Ending& ending, const std::string& path) {
    if (ending.timedOut) return Refused(kErrNotReadInTime, "The drawing could not be read in time: " + path);
    // The reader answers every refusal; an end without one is the memory
    // running out (the C++ library and GDAL end the process when it does),
    // or the reader failing on the file.
    const bool memory = (WIFSIGNALED(ending.status) && WTERMSIG(ending.status) == SIGABRT) ||
                        static_cast<unsigned long long>(ending.peakKilobytes) * 1024 >= kReadMemoryBytes / 2;
    if (memory)
      return Refused(kErrTooLarge, "The drawing is too large to show: reading it takes more than " +
                                       std::to_string(kReadMemoryBytes >> 30) + " GB of memory: " + path);
    if (WIFSIGNALED(ending.status))
      return Refused(kErrBadFileFormat, "The drawing could not be read (the reader failed on it): " + path);
    return Refused(kErrBadFileFormat, "The drawing reader gave no result: " + path);
  }

  std::string program_;
  pid_t pid_ = -1;
  pid_t owner_ = -1;  // the process that started it
  int socket_ = -1;
  int shared_ = -1;
  const char* mapped_ = nullptr;
  std::size_t mappedSize_ = 0;
};

}  // namespace

ReadResult RunReader(const std::string& program, const char* mode, const std::string& path, double seconds) {
  ReaderProcess reader(program);
  return reader.Read(mode, path, seconds);
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

namespace {

// The file's size for its time bound; 0 when it cannot be read (the reader
// tells why).
unsigned long long FileBytes(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<unsigned long long>(st.st_size) : 0;
}

// The reader kept for the programs' reads, one read at a time.
struct KeptReader {
  std::mutex mutex;
  ReaderProcess reader{ReaderProgram()};
};
KeptReader& Kept() {
  static KeptReader kept;
  return kept;
}

ReadResult KeptReaderRead(const char* mode, const std::string& path) {
  KeptReader& kept = Kept();
  const std::lock_guard lock(kept.mutex);
  return kept.reader.Read(mode, path, ReadSeconds(FileBytes(path)));
}

}  // namespace

bool LoadReader() {
  KeptReader& kept = Kept();
  const std::lock_guard lock(kept.mutex);
  return kept.reader.Ready();
}

std::optional<ReadError> ReadDrawing(const std::string& path, Drawing& out) {
  ReadResult result = KeptReaderRead(kReadDrawingMode, path);
  if (result.error) return std::move(result.error);
  out = std::move(result.drawing);
  return std::nullopt;
}

std::optional<ReadError> ReadLayers(const std::string& path, std::vector<Layer>& out) {
  ReadResult result = KeptReaderRead(kReadLayersMode, path);
  if (result.error) return std::move(result.error);
  out = std::move(result.layers);
  return std::nullopt;
}

}  // namespace korvalo::viewer

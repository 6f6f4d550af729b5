#include "platform/dao/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>

namespace korvalo::dao::detail {
namespace {

struct Holding {
  pid_t pid = 0;
  int count = 0;
};

std::mutex g_mutex;
std::map<std::string, Holding>& Registry() {
  static std::map<std::string, Holding> registry;
  return registry;
}

}  // namespace

std::string LockKey(const std::string& databasePath) {
  std::error_code ec;
  auto canonical = std::filesystem::weakly_canonical(databasePath, ec);
  return ec ? databasePath : canonical.string();
}

bool HeldExclusivelyHere(const std::string& key) {
  std::lock_guard lock(g_mutex);
  auto it = Registry().find(key);
  return it != Registry().end() && it->second.pid == getpid() && it->second.count > 0;
}

FileLock::~FileLock() { Release(); }

FileLock::FileLock(FileLock&& other) noexcept
    : fd_(other.fd_), exclusive_(other.exclusive_), key_(std::move(other.key_)) {
  other.fd_ = -1;
  other.exclusive_ = false;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = other.fd_;
    exclusive_ = other.exclusive_;
    key_ = std::move(other.key_);
    other.fd_ = -1;
    other.exclusive_ = false;
  }
  return *this;
}

bool FileLock::Acquire(const std::string& databasePath, bool exclusive) {
  Release();
  key_ = LockKey(databasePath);
  const std::string lockPath = key_ + ".lock";
  int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    // No side-car can be made: only a shared open may go on.
    return !exclusive;
  }
  int rc;
  do {
    rc = ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  exclusive_ = exclusive;
  if (exclusive) {
    std::lock_guard lock(g_mutex);
    Holding& h = Registry()[key_];
    if (h.pid != getpid()) h = Holding{getpid(), 0};
    ++h.count;
  }
  return true;
}

void FileLock::Release() {
  if (fd_ < 0) return;
  if (exclusive_) {
    std::lock_guard lock(g_mutex);
    auto it = Registry().find(key_);
    if (it != Registry().end() && it->second.pid == getpid() && --it->second.count <= 0) {
      Registry().erase(it);
    }
  }
  ::close(fd_);
  fd_ = -1;
  exclusive_ = false;
}

}  // namespace korvalo::dao::detail

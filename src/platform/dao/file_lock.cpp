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
  std::weak_ptr<FileLock> lock;
};

std::mutex g_mutex;
// Kept to the end of the process (never destroyed): a lock still held while
// static objects are destroyed at exit (a connection kept in one) reads it
// when it goes.
std::map<std::string, Holding>& Registry() {
  static auto* registry = new std::map<std::string, Holding>;
  return *registry;
}

}  // namespace

std::string LockKey(const std::string& databasePath) {
  std::error_code ec;
  auto canonical = std::filesystem::weakly_canonical(databasePath, ec);
  return ec ? databasePath : canonical.string();
}

FileLock::FileLock(int fd, std::string key, bool exclusive, bool createdSideCar)
    : fd_(fd), key_(std::move(key)), exclusive_(exclusive), createdSideCar_(createdSideCar) {}

void FileLock::RemoveSideCarIfMade() {
  if (!createdSideCar_) return;
  ::unlink((key_ + ".lock").c_str());
  createdSideCar_ = false;
}

FileLock::~FileLock() {
  if (exclusive_) {
    std::lock_guard guard(g_mutex);
    auto it = Registry().find(key_);
    if (it != Registry().end() && it->second.pid == getpid() && it->second.lock.expired()) Registry().erase(it);
  }
  ::close(fd_);
}

std::shared_ptr<FileLock> HeldExclusivelyHere(const std::string& key) {
  std::lock_guard guard(g_mutex);
  auto it = Registry().find(key);
  if (it == Registry().end() || it->second.pid != getpid()) return nullptr;
  return it->second.lock.lock();
}

LockResult TakeLock(const std::string& databasePath, bool exclusive, std::shared_ptr<FileLock>& lock) {
  lock.reset();
  std::string key = LockKey(databasePath);
  const std::string lockPath = key + ".lock";
  bool created = false;
  int fd = -1;
  if (exclusive) {
    fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    created = fd >= 0;
    if (fd < 0 && errno == EEXIST) fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
  } else {
    fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (fd < 0) return exclusive ? LockResult::Unavailable : LockResult::Granted;
  int rc;
  do {
    rc = ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    ::close(fd);
    return LockResult::Conflict;
  }
  lock = std::make_shared<FileLock>(fd, key, exclusive, created);
  if (exclusive) {
    std::lock_guard guard(g_mutex);
    Registry()[key] = Holding{getpid(), lock};
  }
  return LockResult::Granted;
}

}  // namespace korvalo::dao::detail

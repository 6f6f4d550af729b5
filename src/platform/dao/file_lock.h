#pragma once

#include <string>

// Advisory locks between processes on a side-car file beside a database, and
// the per-process registry of the paths this process holds exclusively.
namespace korvalo::dao::detail {

class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes the lock for `databasePath` without waiting. Returns false when
  // another process holds a conflicting lock. A shared lock whose side-car
  // cannot be created (a read-only folder) is taken as granted.
  bool Acquire(const std::string& databasePath, bool exclusive);
  void Release();
  bool Exclusive() const { return exclusive_; }

 private:
  int fd_ = -1;
  bool exclusive_ = false;
  std::string key_;
};

// The key of a database path in the registry (its canonical form).
std::string LockKey(const std::string& databasePath);
// True when this process (not a parent it was forked from) holds the path
// exclusively.
bool HeldExclusivelyHere(const std::string& key);

}  // namespace korvalo::dao::detail

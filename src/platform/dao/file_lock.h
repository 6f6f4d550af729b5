#pragma once

#include <memory>
#include <string>

// Advisory locks between processes on a side-car file beside a database, and
// the per-process registry of the paths this process holds exclusively.
namespace korvalo::dao::detail {

// One lock on one side-car file; released when the last owner lets go.
class FileLock {
 public:
  FileLock(int fd, std::string key, bool exclusive, bool createdSideCar = false);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Removes the side-car when this lock made it: an open that is refused
  // leaves nothing beside the file.
  void RemoveSideCarIfMade();

 private:
  int fd_;
  std::string key_;
  bool exclusive_;
  bool createdSideCar_;
};

// The key of a database path in the registry (its canonical form).
std::string LockKey(const std::string& databasePath);

// This process's exclusive hold on the path (not one of a parent it was
// forked from), or null. Every connection this process opens to a held path
// shares the hold, so it lasts until the last of them is closed.
std::shared_ptr<FileLock> HeldExclusivelyHere(const std::string& key);

enum class LockResult { Granted, Conflict, Unavailable };

// Takes the lock for `databasePath` without waiting. Conflict when another
// process holds a conflicting lock; Unavailable when an exclusive lock's
// side-car cannot be made (a folder that cannot be written), which is no
// sign of another process. Only an exclusive lock creates the side-car; a shared lock
// without one is granted with no lock held (nobody holds the file
// exclusively), so project folders gain no side-cars.
LockResult TakeLock(const std::string& databasePath, bool exclusive, std::shared_ptr<FileLock>& lock);

}  // namespace korvalo::dao::detail

#pragma once

#include <unistd.h>

#include <cstdlib>

// While it lives, the test runs as a user without rights of its own: root,
// as tests run here and in CI, reads and writes every file whatever its
// permissions, so permissions are tested as user "nobody" (the effective
// user only; the real one stays root, so the test can switch back). Active()
// is false when that cannot be done.
class AsNobody {
 public:
  AsNobody() {
    if (::geteuid() != 0) {
      active_ = true;  // already a plain user
      return;
    }
    active_ = ::seteuid(kNobody) == 0;
    switched_ = active_;
  }
  ~AsNobody() {
    if (switched_ && ::seteuid(0) != 0) std::abort();
  }
  AsNobody(const AsNobody&) = delete;
  AsNobody& operator=(const AsNobody&) = delete;
  bool Active() const { return active_; }

 private:
  static constexpr uid_t kNobody = 65534;
  bool active_ = false;
  bool switched_ = false;
};

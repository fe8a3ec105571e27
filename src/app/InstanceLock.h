// One program instance per data folder: the window and every command-line run take the
// same lock, so two instances never share the histories and the run folders.
#pragma once

#include <string>

namespace cbx {

inline constexpr const char* kInstanceLockName = ".instance.lock";

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock of the data folder (created when missing); false when another
  // instance holds it or the folder cannot be used.
  bool Acquire(const std::string& dataFolder);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace cbx

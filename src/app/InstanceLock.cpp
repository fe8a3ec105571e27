#include "app/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/EnsureFolder.h"
#include "app/Folders.h"

namespace cbx {

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string& dataFolder) {
  if (fd_ >= 0) return true;
  if (!EnsureFolder(dataFolder)) return false;
  const std::string path = JoinPath(dataFolder, kInstanceLockName);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // The kernel drops the lock when the process ends, however it ends.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void InstanceLock::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace cbx

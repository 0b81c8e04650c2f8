#include "platform/posix/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ovalink {

FileLock::~FileLock() {
  // Closing the only descriptor of the open file releases the lock.
  if (fd_ >= 0) ::close(fd_);
}

int FileLock::Acquire(const std::string& path) {
  if (fd_ >= 0) return 0;
  const int fd =
      ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) return errno;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return EINVAL;  // something put there that is not ours to lock
  }
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    ::close(fd);
    return error;
  }
  fd_ = fd;
  return 0;
}

}  // namespace ovalink

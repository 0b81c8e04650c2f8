#pragma once
// An exclusive advisory lock (flock) on a lock file, held for the object's lifetime. It
// serialises the read-modify-write of one file between processes.

#include <string>

namespace ovalink {

class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Creates `path` when missing (mode 0600) and waits for the lock. On failure returns the
  // errno of the failing call and holds nothing.
  int Acquire(const std::string& path);
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace ovalink

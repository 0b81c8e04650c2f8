#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace ovalink::posix {

namespace {
constexpr int kMaxLinkHops = 40;  // as the kernel's own limit

struct CloseFd {
  int fd;
  ~CloseFd() {
    if (fd >= 0) ::close(fd);
  }
};

struct CloseDir {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

FileIdentity IdentityOf(const struct stat& info) {
  FileIdentity id;
  id.device = info.st_dev;
  id.inode = info.st_ino;
  id.size = info.st_size;
  id.modifiedNs = static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
  id.exists = true;
  return id;
}
}  // namespace

bool FileIdentity::operator==(const FileIdentity& other) const {
  if (exists != other.exists) return false;
  return !exists || (device == other.device && inode == other.inode && size == other.size &&
                     modifiedNs == other.modifiedNs);
}

std::string ErrorText(int error) { return std::strerror(error); }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int ResolveLinks(const std::string& path, std::string* target) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info;
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno != ENOENT) return errno;
      *target = current;
      return 0;
    }
    if (!S_ISLNK(info.st_mode)) {
      *target = current;
      return 0;
    }
    std::vector<char> link(PATH_MAX + 1);
    const ssize_t length = ::readlink(current.c_str(), link.data(), link.size() - 1);
    if (length < 0) return errno;
    std::string next(link.data(), std::size_t(length));
    if (next.empty()) return ENOENT;
    current = next[0] == '/' ? next : FolderOf(current) + "/" + next;
  }
  return ELOOP;
}

int MakeFolders(const std::string& folder) {
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = folder.find('/', pos + 1);
    const std::string part = folder.substr(0, pos);
    if (part.empty()) continue;
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

int ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string* bytes,
                    FileIdentity* identity) {
  bytes->clear();
  // O_NONBLOCK: a FIFO put in the file's place must not hang the open.
  const CloseFd file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
  if (file.fd < 0) return errno;
  struct stat info;
  if (::fstat(file.fd, &info) != 0) return errno;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  if (!S_ISREG(info.st_mode)) return EINVAL;
  if (static_cast<std::size_t>(info.st_size) > maxBytes) return EFBIG;
  bytes->reserve(static_cast<std::size_t>(info.st_size));
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(file.fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) break;
    if (bytes->size() + std::size_t(got) > maxBytes) return EFBIG;
    bytes->append(chunk, static_cast<std::size_t>(got));
  }
  if (identity) *identity = IdentityOf(info);
  return 0;
}

int IdentifyFile(const std::string& path, FileIdentity* identity) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) return errno;
    *identity = FileIdentity{};
    return 0;
  }
  *identity = IdentityOf(info);
  return 0;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote == 0) errno = EIO;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

void RemoveStaleTemporaries(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string prefix = NameOf(path) + ".tmp-";
  const std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
  if (!dir) return;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    // mkstemp's six characters, nothing else: never a file of someone else's.
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
      stale.push_back(folder + "/" + name);
    }
  }
  for (const std::string& file : stale) {
    struct stat info;
    if (::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(file.c_str());
  }
}

}  // namespace ovalink::posix

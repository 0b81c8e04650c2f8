#include "platform/posix/reg_file_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

#include "platform/memory/reg_text.h"

namespace ovalink {

namespace {

std::string ErrorText(int error) { return std::strerror(error); }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool MakeFolders(const std::string& folder, int* error) {
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = folder.find('/', pos + 1);
    const std::string part = folder.substr(0, pos);
    if (part.empty()) continue;
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      *error = errno;
      return false;
    }
  }
  return true;
}

// Returns 0 on success, else the errno of the failing call. ENOENT: no file at all.
int ReadWholeFile(const std::string& path, std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      return error;
    }
    if (got == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
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

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

std::string CorruptName(const std::string& path) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = path + ".corrupt-" + stamp;
  std::string name = base;
  for (int n = 2; Exists(name); ++n) name = base + "-" + std::to_string(n);
  return name;
}

}  // namespace

RegFileStore::RegFileStore(std::string path) : path_(std::move(path)) { Load(); }

bool RegFileStore::Persisting() const {
  std::lock_guard<std::mutex> lock(Mutex());
  return !readOnly_ && !saveFailing_;
}

void RegFileStore::Load() {
  std::lock_guard<std::mutex> lock(Mutex());
  std::string bytes;
  const int readError = ReadWholeFile(path_, bytes);
  if (readError == ENOENT) return;
  if (readError != 0) {
    readOnly_ = true;
    std::fprintf(stderr,
                 "ovalink: cannot read the registry file %s (%s); starting from defaults and "
                 "leaving the file untouched, settings will not be saved\n",
                 path_.c_str(), ErrorText(readError).c_str());
    return;
  }
  RegistryNode loaded;
  RegTextError error;
  if (ParseRegText(bytes, loaded, &error)) {
    Root().children = std::move(loaded.children);
    Root().values = std::move(loaded.values);
    return;
  }
  const std::string where =
      error.line ? "line " + std::to_string(error.line) + ": " + error.message : error.message;
  const std::string aside = CorruptName(path_);
  if (::rename(path_.c_str(), aside.c_str()) == 0) {
    std::fprintf(stderr,
                 "ovalink: the registry file %s cannot be parsed (%s); kept it as %s and "
                 "starting from defaults\n",
                 path_.c_str(), where.c_str(), aside.c_str());
    return;
  }
  readOnly_ = true;
  std::fprintf(stderr,
               "ovalink: the registry file %s cannot be parsed (%s) and could not be moved to "
               "%s (%s); starting from defaults, the file is left untouched and settings will "
               "not be saved\n",
               path_.c_str(), where.c_str(), aside.c_str(), ErrorText(errno).c_str());
}

void RegFileStore::OnChanged() {
  if (readOnly_) return;
  std::string failure;
  if (Save(&failure)) {
    saveFailing_ = false;
    return;
  }
  if (!saveFailing_) {
    std::fprintf(stderr,
                 "ovalink: cannot save the registry file %s (%s); the previous file is kept and "
                 "changes live in memory only\n",
                 path_.c_str(), failure.c_str());
  }
  saveFailing_ = true;
}

bool RegFileStore::Save(std::string* failure) {
  const std::string folder = FolderOf(path_);
  int error = 0;
  if (!MakeFolders(folder, &error)) {
    *failure = "creating " + folder + ": " + ErrorText(error);
    return false;
  }
  std::string temp = path_ + ".tmp-XXXXXX";
  const int fd = ::mkstemp(&temp[0]);
  if (fd < 0) {
    *failure = "creating a temporary file in " + folder + ": " + ErrorText(errno);
    return false;
  }
  const std::string text = WriteRegText(Root());
  const char* step = nullptr;
  int failedWith = 0;
  if (!WriteAll(fd, text)) {
    step = "writing";
    failedWith = errno;
  } else if (::fsync(fd) != 0) {
    step = "syncing";
    failedWith = errno;
  }
  if (::close(fd) != 0 && !step) {
    step = "closing";
    failedWith = errno;
  }
  if (!step && ::rename(temp.c_str(), path_.c_str()) != 0) {
    step = "renaming";
    failedWith = errno;
  }
  if (step) {
    *failure = std::string(step) + " " + temp + ": " + ErrorText(failedWith);
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself is durable only once the folder's entry is on disk.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

std::string DefaultRegistryFilePath() {
  if (const char* path = std::getenv("OVALINK_REGISTRY"); path && *path) return path;
  const char* const kRelative = "/ovalink/registry.reg";
  // The XDG rules ignore a relative XDG_CONFIG_HOME.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
    return std::string(config) + kRelative;
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
    home = entry->pw_dir;
  }
  return home + "/.config" + kRelative;
}

}  // namespace ovalink

#include "platform/posix/reg_file_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "platform/memory/reg_text.h"
#include "platform/posix/file_lock.h"

namespace ovalink {

using posix::ErrorText;

namespace {

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

// A file nobody may write to was made read-only on purpose (mode bits count for root too).
bool IsReadOnly(const std::string& path, const struct stat& info) {
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

struct UniqueFd {
  int fd;
  ~UniqueFd() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

RegFileStore::RegFileStore(std::string path, Reporting reporting)
    : path_(std::move(path)), reporting_(reporting) {
  std::lock_guard<std::mutex> lock(Mutex());
  Open();
}

std::string RegFileStore::Refusal() const {
  std::lock_guard<std::mutex> lock(Mutex());
  return refusal_;
}

bool RegFileStore::Persisting() const {
  std::lock_guard<std::mutex> lock(Mutex());
  return refusal_.empty() && !saveFailing_;
}

std::string RegFileStore::FirstSaveFailure() const {
  std::lock_guard<std::mutex> lock(Mutex());
  return firstSaveFailure_;
}

std::vector<std::string> RegFileStore::TakeNotices() {
  std::lock_guard<std::mutex> lock(Mutex());
  return std::exchange(notices_, {});
}

void RegFileStore::Report(const std::string& line) {
  if (reporting_ == Reporting::ToStderr) std::fprintf(stderr, "ovalink: %s\n", line.c_str());
}

void RegFileStore::Refuse(const std::string& why) {
  if (!refusal_.empty()) return;
  refusal_ = why;
  Report(why + "; settings will not be saved");
}

void RegFileStore::Open() {
  const std::string named = "the registry file " + path_;
  if (path_.empty()) return Refuse("no registry file named");
  if (path_.back() == '/') return Refuse(named + " names a folder, not a file");
  if (const int error = posix::ResolveLinks(path_, &target_); error != 0) {
    return Refuse("cannot use " + named + " (" + ErrorText(error) + ")");
  }
  lockPath_ = target_ + ".lock";
  struct stat info;
  if (::stat(target_.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return Refuse(named + " is a folder, not a file");
    if (!S_ISREG(info.st_mode)) {
      return Refuse(named + " is not a regular file (a device, FIFO or socket); it is left alone");
    }
    if (info.st_size > off_t(kMaxFileBytes)) {
      return Refuse(named + " is larger than " + std::to_string(kMaxFileBytes >> 20) +
                    " MiB; it is left alone");
    }
    if (IsReadOnly(target_, info)) Refuse(named + " is read-only; make it writable to keep settings in it");
  } else if (errno != ENOENT) {
    return Refuse("cannot use " + named + " (" + ErrorText(errno) + ")");
  }
  if (refusal_.empty()) {
    // Writing must be possible at all; the lock file beside the registry shows it at once.
    const std::string folder = posix::FolderOf(target_);
    int error = posix::MakeFolders(folder);
    FileLock probe;
    if (error == 0) error = probe.Acquire(lockPath_);
    if (error != 0) {
      return Refuse("cannot write in " + folder + ", the folder of " + named + " (" +
                    ErrorText(error) + ")");
    }
    Refresh(true);
  } else {
    Refresh(true);  // a read-only file still gives its settings
  }
}

void RegFileStore::Refresh(bool force) {
  posix::FileIdentity now;
  if (!force && posix::IdentifyFile(target_, &now) == 0 && now == known_) return;
  std::string bytes;
  const int error = posix::ReadRegularFile(target_, kMaxFileBytes, &bytes, &now);
  if (error == ENOENT) {
    Root() = RegistryNode();
    known_ = posix::FileIdentity{};
    return;
  }
  const std::string named = "the registry file " + path_;
  if (error != 0) {
    const std::string why = error == EFBIG ? "larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB"
                            : error == EINVAL ? "not a regular file"
                                              : ErrorText(error);
    return Refuse("cannot read " + named + " (" + why + "); it is left alone");
  }
  RegistryNode loaded;
  RegTextError parseError;
  if (ParseRegText(bytes, loaded, &parseError)) {
    Root() = std::move(loaded);
    known_ = now;
    return;
  }
  SetAside(parseError.line ? "line " + std::to_string(parseError.line) + ": " + parseError.message
                           : parseError.message);
}

void RegFileStore::SetAside(const std::string& why) {
  const std::string named = "the registry file " + path_;
  if (!refusal_.empty()) {
    // Never renamed without the right to write: the user keeps it exactly where it is.
    refusal_ += " (and it cannot be parsed: " + why + ")";
    return;
  }
  const std::string aside = CorruptName(target_);
  if (::rename(target_.c_str(), aside.c_str()) != 0) {
    return Refuse(named + " cannot be parsed (" + why + ") and could not be moved to " + aside +
                  " (" + ErrorText(errno) + "); it is left untouched");
  }
  known_ = posix::FileIdentity{};
  const std::string notice =
      named + " cannot be parsed (" + why + "); kept it as " + aside + " and starting from defaults";
  notices_.push_back(notice);
  Report(notice);
}

RegStatus RegFileStore::ApplyChange(const Change& change) {
  if (!refusal_.empty()) return kRegAccessDenied;
  std::string failure;
  FileLock lock;
  if (const int error = lock.Acquire(lockPath_); error != 0) {
    failure = "locking " + lockPath_ + ": " + ErrorText(error);
  } else {
    Refresh(false);
    if (!refusal_.empty()) return kRegAccessDenied;
    bool changed = false;
    const RegStatus status = change(Root(), &changed);
    if (status != kRegOk || !changed) return status;
    if (Save(&failure)) {
      saveFailing_ = false;
      return kRegOk;
    }
    // The change did not happen: what the program sees is what the file holds.
    Refresh(true);
  }
  if (!saveFailing_) {
    Report("cannot save the registry file " + path_ + " (" + failure +
           "); the file is unchanged and so are the settings");
  }
  saveFailing_ = true;
  if (firstSaveFailure_.empty()) firstSaveFailure_ = failure;
  return kRegWriteFault;
}

bool RegFileStore::Save(std::string* failure) {
  const std::string folder = posix::FolderOf(target_);
  if (const int error = posix::MakeFolders(folder); error != 0) {
    *failure = "creating " + folder + ": " + ErrorText(error);
    return false;
  }
  posix::RemoveStaleTemporaries(target_);
  struct stat old;
  const bool replacing = ::stat(target_.c_str(), &old) == 0;
  std::string temp = target_ + ".tmp-XXXXXX";
  const UniqueFd file{::mkstemp(&temp[0])};
  if (file.fd < 0) {
    *failure = "creating a temporary file in " + folder + ": " + ErrorText(errno);
    return false;
  }
  const char* step = nullptr;
  int failedWith = 0;
  auto fail = [&](const char* what) {
    step = what;
    failedWith = errno;
  };
  // The new file is the old one's successor: same permissions, same owner.
  if (replacing && ::fchmod(file.fd, old.st_mode & 07777) != 0) fail("setting the mode of");
  // Only root can give the file back to its owner; anyone else is its owner already.
  if (!step && replacing && ::geteuid() == 0 && (old.st_uid != 0 || old.st_gid != ::getegid()) &&
      ::fchown(file.fd, old.st_uid, old.st_gid) != 0) {
    fail("giving back the owner of");
  }
  if (!step && !posix::WriteAll(file.fd, WriteRegText(Root()))) fail("writing");
  if (!step && ::fsync(file.fd) != 0) fail("syncing");
  if (!step && ::rename(temp.c_str(), target_.c_str()) != 0) fail("renaming");
  if (step) {
    *failure = std::string(step) + " " + temp + ": " + ErrorText(failedWith);
    ::unlink(temp.c_str());
    return false;
  }
  posix::IdentifyFile(target_, &known_);
  // The rename itself is durable only once the folder's entry is on disk.
  const UniqueFd dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (dir.fd >= 0) ::fsync(dir.fd);
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

#pragma once
// The file handling the registry file store needs, one call each, errors as errno values.

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace ovalink::posix {

// What tells one version of a file from the next: every save replaces the file.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modifiedNs = 0;
  bool exists = false;
  bool operator==(const FileIdentity& other) const;
  bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

std::string ErrorText(int error);
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// Follows a symbolic link (and links to links) to the file it names, which need not exist
// yet; a path that is no link comes back unchanged. Returns 0 or an errno (ELOOP).
int ResolveLinks(const std::string& path, std::string* target);

// Creates the folder and its missing parents (mode 0700).
int MakeFolders(const std::string& folder);

// Reads a regular file of at most `maxBytes`. Never blocks on a FIFO and never reads a
// device. ENOENT: no file at all; EFBIG: larger than maxBytes; EINVAL: not a regular file.
int ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string* bytes,
                    FileIdentity* identity);

// The identity of what `path` names now (exists == false when nothing does), or an errno.
int IdentifyFile(const std::string& path, FileIdentity* identity);

// Writes everything, retrying short writes and interruptions.
bool WriteAll(int fd, const std::string& bytes);

// Removes "<name>.tmp-XXXXXX" files beside `path` that a killed writer left behind. Only
// to be called while holding the lock every writer takes.
void RemoveStaleTemporaries(const std::string& path);

}  // namespace ovalink::posix

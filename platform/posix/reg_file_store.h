#pragma once
// The Linux registry: the in-memory hive, persisted to a .reg file in regedit's own format
// so that it can be imported on Windows and a regedit export can be used here.

#include <string>
#include <vector>

#include "platform/memory/memory_registry_store.h"
#include "platform/posix/posix_files.h"

namespace ovalink {

class RegFileStore : public MemoryRegistryStore {
 public:
  // ToStderr: the store prints what the user must know ("ovalink: ..."); ToCaller: it keeps
  // quiet and the caller asks Refusal(), TakeNotices() and SaveFailure().
  enum class Reporting { ToStderr, ToCaller };

  // Loads `path` when it exists. A symbolic link is followed: saves go to the file it names.
  // A file that cannot be parsed is renamed to "<file>.corrupt-YYYYMMDD-HHMMSS" and the
  // store starts empty; if it cannot even be moved aside, it is refused.
  explicit RegFileStore(std::string path, Reporting reporting = Reporting::ToStderr);

  const std::string& Path() const { return path_; }
  // Why the file cannot be kept, one line; empty when it can. A refused file is never
  // written (every change fails with kRegAccessDenied), and never opened unless it is a
  // regular file: not a device, FIFO, folder, read-only file, unreadable or unparsable file
  // that could not be moved aside, nor one in a folder where nothing can be written.
  std::string Refusal() const;
  // False while changes cannot reach the file: refused, or the last save failed.
  bool Persisting() const;
  // Why the first change that could not be saved failed (such a change fails with
  // kRegWriteFault and the store keeps what the file holds); empty while every change has
  // been saved. Later successes do not clear it: the run as a whole did not save everything.
  std::string FirstSaveFailure() const;
  // What loading did that the user should hear of (a damaged file set aside), one line each.
  std::vector<std::string> TakeNotices();

  // Larger files are not registry files of this program; they are refused unread.
  static constexpr std::size_t kMaxFileBytes = 64u << 20;

 protected:
  // Under an exclusive lock on "<file>.lock": brings the tree up to date with the file (so
  // that a change made meanwhile by another process is kept), applies the change and
  // rewrites the file atomically (temporary file, flushed and synced, renamed over the old).
  RegStatus ApplyChange(const Change& change) override;

 private:
  void Open();
  void Refuse(const std::string& why);
  void Report(const std::string& line);
  // Reads and parses the file into the tree. `force`: even when it has not changed since
  // the last read or save. A file that no longer parses is set aside.
  void Refresh(bool force);
  void SetAside(const std::string& why);
  bool Save(std::string* failure);

  const std::string path_;
  const Reporting reporting_;
  std::string target_;    // path_ with symbolic links followed
  std::string lockPath_;
  std::string refusal_;
  std::string firstSaveFailure_;
  bool saveFailing_ = false;  // the last change could not be saved
  std::vector<std::string> notices_;
  posix::FileIdentity known_;  // the file as last read or written
};

// $OVALINK_REGISTRY, else $XDG_CONFIG_HOME/ovalink/registry.reg, else
// ~/.config/ovalink/registry.reg.
std::string DefaultRegistryFilePath();

}  // namespace ovalink

#pragma once
// The Linux registry: the in-memory hive, persisted to a .reg file in regedit's own format
// so that it can be imported on Windows and a regedit export can be used here.

#include <string>

#include "platform/memory/memory_registry_store.h"

namespace ovalink {

class RegFileStore : public MemoryRegistryStore {
 public:
  // Loads `path` when it exists. A file that cannot be parsed is renamed to
  // "<path>.corrupt-YYYYMMDD-HHMMSS", reported on stderr, and the store starts empty; if it
  // cannot even be moved aside, it is left alone and nothing is ever written over it.
  explicit RegFileStore(std::string path);

  const std::string& Path() const { return path_; }
  // False while changes cannot reach the file (unwritable folder, full disk, corrupt file
  // that could not be moved aside). The store keeps working in memory meanwhile.
  bool Persisting() const;

 protected:
  // Rewrites the whole file atomically: a temporary file in the same folder, flushed and
  // synced, then renamed over the old one, so a reader sees either the old or the new file.
  void OnChanged() override;

 private:
  void Load();
  bool Save(std::string* failure);

  const std::string path_;
  bool readOnly_ = false;       // a corrupt file is still in place: never write
  bool saveFailing_ = false;    // the last save failed (reported once per run of failures)
};

// $OVALINK_REGISTRY, else $XDG_CONFIG_HOME/ovalink/registry.reg, else
// ~/.config/ovalink/registry.reg.
std::string DefaultRegistryFilePath();

}  // namespace ovalink

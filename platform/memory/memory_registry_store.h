#pragma once
// A registry held in memory, for tests and the lab. Thread-safe; can be told to refuse
// opening keys, to exercise the "no handle" paths.

#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/memory/registry_tree.h"
#include "platform/registry_store.h"

namespace ovalink {

class MemoryRegistryStore : public RegistryStore {
 public:
  MemoryRegistryStore() = default;

  RegStatus CreateKey(RegRoot root, const std::string& path, RegHandle* out) override;
  RegStatus OpenKeyForReading(RegRoot root, const std::string& path, RegHandle* out) override;
  RegStatus CloseKey(RegHandle key) override;
  RegStatus QueryValue(RegHandle key, const std::string& name, RegType* type, std::uint8_t* data,
                       std::uint32_t* size) override;
  RegStatus SetValue(RegHandle key, const std::string& name, RegType type,
                     const std::uint8_t* data, std::uint32_t size) override;
  RegStatus EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameCapacity,
                      RegType* type) override;
  RegStatus DeleteValue(RegHandle key, const std::string& name) override;

  // Failure switches: while set, CreateKey fails with access denied; every change (a key
  // created, a value set or deleted) fails with kRegWriteFault and changes nothing, as on a
  // full disk.
  void SetRefuseOpen(bool refuse);
  void SetRefuseChanges(bool refuse);
  // Gives the key at `path` (under HKEY_CURRENT_USER, existing or not) read access only, as
  // an access list can: while set, CreateKey on it is denied and OpenKeyForReading is not.
  void SetKeyReadOnly(const std::string& path, bool readOnly);
  std::size_t OpenHandleCount() const;

 protected:
  // One change to the tree: returns its status and sets *changed when it altered the tree.
  using Change = std::function<RegStatus(RegistryNode& root, bool* changed)>;
  // Runs every change (key created, value set or deleted), with the lock held. The file
  // store overrides it to bring the tree up to date with the file first and to persist the
  // change after; a change it cannot persist fails and leaves the tree as the file is.
  virtual RegStatus ApplyChange(const Change& change);
  RegistryNode& Root() { return root_; }
  std::mutex& Mutex() const { return mutex_; }

 private:
  // Handles name their key by path, so the tree may be replaced wholesale (a reload) under
  // open handles. Null when the handle is unknown.
  const std::string* KeyPath(RegHandle key) const;
  // The path of a handle that may change its key; null when unknown or opened for reading
  // (*status says which).
  const std::string* WritableKeyPath(RegHandle key, RegStatus* status) const;
  bool IsReadOnlyKey(const std::string& fullPath) const;

  struct OpenKey {
    std::string path;
    bool writable = true;
  };

  mutable std::mutex mutex_;
  RegistryNode root_;  // children: "HKEY_CURRENT_USER"
  std::unordered_map<RegHandle, OpenKey> handles_;
  std::vector<std::string> readOnlyKeys_;  // full paths
  RegHandle nextHandle_ = 1;
  bool refuseOpen_ = false;
  bool refuseChanges_ = false;
};

// Full path of a root as written in .reg files.
const char* RootName(RegRoot root);

}  // namespace ovalink

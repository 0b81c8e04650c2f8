#pragma once
// A registry held in memory, for tests and the lab. Thread-safe; can be told to refuse
// opening keys, to exercise the "no handle" paths.

#include <mutex>
#include <unordered_map>

#include "platform/memory/registry_tree.h"
#include "platform/registry_store.h"

namespace ovalink {

class MemoryRegistryStore : public RegistryStore {
 public:
  MemoryRegistryStore() = default;

  RegStatus CreateKey(RegRoot root, const std::string& path, RegHandle* out) override;
  RegStatus CloseKey(RegHandle key) override;
  RegStatus QueryValue(RegHandle key, const std::string& name, RegType* type, std::uint8_t* data,
                       std::uint32_t* size) override;
  RegStatus SetValue(RegHandle key, const std::string& name, RegType type,
                     const std::uint8_t* data, std::uint32_t size) override;
  RegStatus EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameCapacity,
                      RegType* type) override;
  RegStatus DeleteValue(RegHandle key, const std::string& name) override;

  // Failure switch: while set, CreateKey fails with access denied.
  void SetRefuseOpen(bool refuse);
  std::size_t OpenHandleCount() const;

 protected:
  // Called after every successful change (value set or deleted, key created), with the lock
  // held; the file store persists here.
  virtual void OnChanged() {}
  RegistryNode& Root() { return root_; }
  std::mutex& Mutex() const { return mutex_; }

 private:
  RegistryNode* Lookup(RegHandle key);

  mutable std::mutex mutex_;
  RegistryNode root_;  // children: "HKEY_CURRENT_USER"
  std::unordered_map<RegHandle, RegistryNode*> handles_;
  RegHandle nextHandle_ = 1;
  bool refuseOpen_ = false;
};

// Full path of a root as written in .reg files.
const char* RootName(RegRoot root);

}  // namespace ovalink

#include "platform/memory/memory_registry_store.h"

#include <cstring>

namespace ovalink {

const char* RootName(RegRoot root) {
  switch (root) {
    case RegRoot::CurrentUser:
      return "HKEY_CURRENT_USER";
  }
  return "HKEY_CURRENT_USER";
}

RegStatus MemoryRegistryStore::ApplyChange(const Change& change) {
  if (refuseChanges_) return kRegWriteFault;
  bool changed = false;
  return change(root_, &changed);
}

RegStatus MemoryRegistryStore::CreateKey(RegRoot root, const std::string& path, RegHandle* out) {
  std::lock_guard<std::mutex> lock(mutex_);
  *out = 0;
  if (refuseOpen_) return kRegAccessDenied;
  const std::string full = std::string(RootName(root)) + "\\" + path;
  if (IsReadOnlyKey(full)) return kRegAccessDenied;
  if (!root_.Find(full)) {
    const RegStatus status = ApplyChange([&full](RegistryNode& tree, bool* changed) {
      tree.Descend(full, changed);
      return kRegOk;
    });
    if (status != kRegOk) return status;
  }
  const RegHandle handle = nextHandle_++;
  handles_[handle] = OpenKey{full, true};
  *out = handle;
  return kRegOk;
}

RegStatus MemoryRegistryStore::OpenKeyForReading(RegRoot root, const std::string& path,
                                                 RegHandle* out) {
  std::lock_guard<std::mutex> lock(mutex_);
  *out = 0;
  if (refuseOpen_) return kRegAccessDenied;
  const std::string full = std::string(RootName(root)) + "\\" + path;
  if (!root_.Find(full)) return kRegNotFound;
  const RegHandle handle = nextHandle_++;
  handles_[handle] = OpenKey{full, false};
  *out = handle;
  return kRegOk;
}

bool MemoryRegistryStore::IsReadOnlyKey(const std::string& fullPath) const {
  for (const std::string& key : readOnlyKeys_) {
    if (EqualsIgnoreCase(key, fullPath)) return true;
  }
  return false;
}

void MemoryRegistryStore::SetKeyReadOnly(const std::string& path, bool readOnly) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string full = std::string(RootName(RegRoot::CurrentUser)) + "\\" + path;
  for (auto it = readOnlyKeys_.begin(); it != readOnlyKeys_.end(); ++it) {
    if (EqualsIgnoreCase(*it, full)) {
      readOnlyKeys_.erase(it);
      break;
    }
  }
  if (readOnly) readOnlyKeys_.push_back(full);
}

RegStatus MemoryRegistryStore::CloseKey(RegHandle key) {
  std::lock_guard<std::mutex> lock(mutex_);
  return handles_.erase(key) ? kRegOk : kRegInvalidHandle;
}

const std::string* MemoryRegistryStore::KeyPath(RegHandle key) const {
  auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : &it->second.path;
}

const std::string* MemoryRegistryStore::WritableKeyPath(RegHandle key, RegStatus* status) const {
  auto it = handles_.find(key);
  if (it == handles_.end()) {
    *status = kRegInvalidHandle;
    return nullptr;
  }
  if (!it->second.writable) {
    *status = kRegAccessDenied;
    return nullptr;
  }
  return &it->second.path;
}

RegStatus MemoryRegistryStore::QueryValue(RegHandle key, const std::string& name, RegType* type,
                                          std::uint8_t* data, std::uint32_t* size) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string* path = KeyPath(key);
  if (!path) return kRegInvalidHandle;
  RegistryNode* node = root_.Find(*path);
  const RegValue* value = node ? node->FindValue(name) : nullptr;
  if (!value) return kRegNotFound;
  if (type) *type = value->type;
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  if (data == nullptr) {
    if (size) *size = needed;
    return kRegOk;
  }
  if (!size || *size < needed) {
    if (size) *size = needed;
    return kRegMoreData;
  }
  if (needed) std::memcpy(data, value->data.data(), needed);
  *size = needed;
  return kRegOk;
}

RegStatus MemoryRegistryStore::SetValue(RegHandle key, const std::string& name, RegType type,
                                        const std::uint8_t* data, std::uint32_t size) {
  std::lock_guard<std::mutex> lock(mutex_);
  RegStatus refused = kRegOk;
  const std::string* path = WritableKeyPath(key, &refused);
  if (!path) return refused;
  return ApplyChange([&](RegistryNode& tree, bool* changed) {
    tree.Descend(*path).PutValue(name, type, std::vector<std::uint8_t>(data, data + size));
    *changed = true;
    return kRegOk;
  });
}

RegStatus MemoryRegistryStore::EnumValue(RegHandle key, std::uint32_t index, char* name,
                                         std::uint32_t* nameCapacity, RegType* type) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string* path = KeyPath(key);
  if (!path) return kRegInvalidHandle;
  const RegistryNode* node = root_.Find(*path);
  if (!node || index >= node->Values().size()) return kRegNoMoreItems;
  const RegValue& value = node->Values()[index];
  if (value.name.size() + 1 > *nameCapacity) return kRegMoreData;
  std::memcpy(name, value.name.c_str(), value.name.size() + 1);
  *nameCapacity = static_cast<std::uint32_t>(value.name.size());
  if (type) *type = value.type;
  return kRegOk;
}

RegStatus MemoryRegistryStore::DeleteValue(RegHandle key, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  RegStatus refused = kRegOk;
  const std::string* path = WritableKeyPath(key, &refused);
  if (!path) return refused;
  return ApplyChange([&](RegistryNode& tree, bool* changed) {
    RegistryNode* node = tree.Find(*path);
    *changed = node && node->EraseValue(name);
    return *changed ? kRegOk : kRegNotFound;
  });
}

void MemoryRegistryStore::SetRefuseOpen(bool refuse) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseOpen_ = refuse;
}

void MemoryRegistryStore::SetRefuseChanges(bool refuse) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseChanges_ = refuse;
}

std::size_t MemoryRegistryStore::OpenHandleCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return handles_.size();
}

}  // namespace ovalink

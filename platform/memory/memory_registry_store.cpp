#include "platform/memory/memory_registry_store.h"

#include <algorithm>
#include <cstring>

namespace ovalink {

const char* RootName(RegRoot root) {
  switch (root) {
    case RegRoot::CurrentUser:
      return "HKEY_CURRENT_USER";
  }
  return "HKEY_CURRENT_USER";
}

RegStatus MemoryRegistryStore::CreateKey(RegRoot root, const std::string& path, RegHandle* out) {
  std::lock_guard<std::mutex> lock(mutex_);
  *out = 0;
  if (refuseOpen_) return kRegAccessDenied;
  bool created = false;
  RegistryNode& node = root_.Descend(RootName(root), &created).Descend(path, &created);
  const RegHandle handle = nextHandle_++;
  handles_[handle] = &node;
  *out = handle;
  if (created) OnChanged();
  return kRegOk;
}

RegStatus MemoryRegistryStore::CloseKey(RegHandle key) {
  std::lock_guard<std::mutex> lock(mutex_);
  return handles_.erase(key) ? kRegOk : kRegInvalidHandle;
}

RegistryNode* MemoryRegistryStore::Lookup(RegHandle key) {
  auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : it->second;
}

RegStatus MemoryRegistryStore::QueryValue(RegHandle key, const std::string& name, RegType* type,
                                          std::uint8_t* data, std::uint32_t* size) {
  std::lock_guard<std::mutex> lock(mutex_);
  RegistryNode* node = Lookup(key);
  if (!node) return kRegInvalidHandle;
  const RegValue* value = node->FindValue(name);
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
  RegistryNode* node = Lookup(key);
  if (!node) return kRegInvalidHandle;
  RegValue* value = node->FindValue(name);
  if (!value) {
    node->values.push_back(RegValue{name, type, {}});
    value = &node->values.back();
  }
  value->type = type;
  value->data.assign(data, data + size);
  OnChanged();
  return kRegOk;
}

RegStatus MemoryRegistryStore::EnumValue(RegHandle key, std::uint32_t index, char* name,
                                         std::uint32_t* nameCapacity, RegType* type) {
  std::lock_guard<std::mutex> lock(mutex_);
  RegistryNode* node = Lookup(key);
  if (!node) return kRegInvalidHandle;
  if (index >= node->values.size()) return kRegNoMoreItems;
  const RegValue& value = node->values[index];
  if (value.name.size() + 1 > *nameCapacity) return kRegMoreData;
  std::memcpy(name, value.name.c_str(), value.name.size() + 1);
  *nameCapacity = static_cast<std::uint32_t>(value.name.size());
  if (type) *type = value.type;
  return kRegOk;
}

RegStatus MemoryRegistryStore::DeleteValue(RegHandle key, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  RegistryNode* node = Lookup(key);
  if (!node) return kRegInvalidHandle;
  auto it = std::find_if(node->values.begin(), node->values.end(),
                         [&](const RegValue& v) { return EqualsIgnoreCase(v.name, name); });
  if (it == node->values.end()) return kRegNotFound;
  node->values.erase(it);
  OnChanged();
  return kRegOk;
}

void MemoryRegistryStore::SetRefuseOpen(bool refuse) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseOpen_ = refuse;
}

std::size_t MemoryRegistryStore::OpenHandleCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return handles_.size();
}

}  // namespace ovalink

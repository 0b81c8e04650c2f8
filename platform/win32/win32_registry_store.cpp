#include "platform/win32/win32_registry_store.h"

#include <windows.h>

namespace ovalink {

namespace {

// KEY_READ | KEY_WRITE: the settings are both read and written through every key.
constexpr REGSAM kKeyAccess = 0x2001F;

HKEY ToHkey(RegHandle key) { return reinterpret_cast<HKEY>(key); }

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::CurrentUser:
      return HKEY_CURRENT_USER;
  }
  return HKEY_CURRENT_USER;
}

}  // namespace

RegStatus Win32RegistryStore::CreateKey(RegRoot root, const std::string& path, RegHandle* out) {
  *out = 0;
  HKEY key = nullptr;
  DWORD disposition = 0;
  const LONG status = RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, kKeyAccess, nullptr, &key,
                                      &disposition);
  if (status == ERROR_SUCCESS) *out = reinterpret_cast<RegHandle>(key);
  return status;
}

RegStatus Win32RegistryStore::OpenKeyForReading(RegRoot root, const std::string& path,
                                                RegHandle* out) {
  *out = 0;
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_READ, &key);
  if (status == ERROR_SUCCESS) *out = reinterpret_cast<RegHandle>(key);
  return status;
}

RegStatus Win32RegistryStore::CloseKey(RegHandle key) { return RegCloseKey(ToHkey(key)); }

RegStatus Win32RegistryStore::QueryValue(RegHandle key, const std::string& name, RegType* type,
                                         std::uint8_t* data, std::uint32_t* size) {
  DWORD valueType = REG_NONE;
  DWORD bytes = size ? *size : 0;
  const LONG status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, data,
                                       size ? &bytes : nullptr);
  if (type) *type = static_cast<RegType>(valueType);
  if (size) *size = bytes;
  return status;
}

RegStatus Win32RegistryStore::SetValue(RegHandle key, const std::string& name, RegType type,
                                       const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, static_cast<DWORD>(type), data, size);
}

RegStatus Win32RegistryStore::EnumValue(RegHandle key, std::uint32_t index, char* name,
                                        std::uint32_t* nameCapacity, RegType* type) {
  DWORD length = *nameCapacity;
  DWORD valueType = REG_NONE;
  const LONG status =
      RegEnumValueA(ToHkey(key), index, name, &length, nullptr, &valueType, nullptr, nullptr);
  if (status == ERROR_SUCCESS) *nameCapacity = length;
  if (type) *type = static_cast<RegType>(valueType);
  return status;
}

RegStatus Win32RegistryStore::DeleteValue(RegHandle key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

}  // namespace ovalink

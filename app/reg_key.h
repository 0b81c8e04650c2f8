#pragma once
// RegKey: the only access to the settings store. One key per object, opened (and created)
// on construction and closed on destruction; without a handle every operation is harmless.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry_store.h"

namespace ovalink {

class RegKey {
 public:
  // Opens `path` under `root` in the process-wide registry, creating missing keys. A key
  // that exists but cannot be opened for writing is opened for reading: reads work, writes
  // fail.
  RegKey(RegRoot root, const std::string& path);
  // Same, on an explicit store (tests, tools).
  RegKey(RegistryStore& store, RegRoot root, const std::string& path);
  ~RegKey();

  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey(RegKey&& other) noexcept;
  RegKey& operator=(RegKey&& other) noexcept;

  bool IsOpen() const { return handle_ != 0; }

  RegStatus Close();

  // The stored REG_DWORD, or `defaultValue` written back when the value is missing, of
  // another type or longer than 4 bytes. Without a handle: the default, nothing written.
  std::uint32_t ReadDword(const std::string& name, std::uint32_t defaultValue);
  RegStatus WriteDword(const std::string& name, std::uint32_t value);

  void WriteString(const std::string& name, const std::string& text);

  // 0 when the value is a REG_BINARY of exactly `size` bytes (copied into buffer), else 1;
  // after a failure the buffer's content is unspecified.
  int ReadBinary(const std::string& name, void* buffer, std::uint32_t size);
  RegStatus WriteBinary(const std::string& name, const void* buffer, std::uint32_t size);

  // Value names in the store's order, up to the first name the 999-character buffer cannot
  // hold or the first failure. Without a handle the list is left untouched.
  void EnumValueNames(std::vector<std::string>& names);

  RegStatus DeleteValue(const std::string& name);

 private:
  RegistryStore* store_;
  RegHandle handle_ = 0;
};

}  // namespace ovalink

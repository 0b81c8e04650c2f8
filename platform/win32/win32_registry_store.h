#pragma once
// The real registry (advapi32). Handles are HKEYs; status codes pass through unchanged,
// since the seam already speaks Win32 codes.

#include "platform/registry_store.h"

namespace ovalink {

class Win32RegistryStore : public RegistryStore {
 public:
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
};

}  // namespace ovalink

#pragma once
// An in-memory registry hive: keys and values with the registry's case-insensitive names and
// its value order (creation order; a rewrite keeps the place). Shared by the in-memory store
// and the .reg file store.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry_store.h"

namespace ovalink {

struct RegValue {
  std::string name;
  RegType type = RegType::None;
  std::vector<std::uint8_t> data;
};

struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

struct RegistryNode {
  std::string name;  // as first spelled
  std::vector<RegValue> values;
  std::map<std::string, std::unique_ptr<RegistryNode>, CaseInsensitiveLess> children;

  RegValue* FindValue(const std::string& valueName);
  // Creates the path's missing keys; empty components are skipped. *created (optional) is
  // set when any key had to be made.
  RegistryNode& Descend(const std::string& path, bool* created = nullptr);
};

bool EqualsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace ovalink

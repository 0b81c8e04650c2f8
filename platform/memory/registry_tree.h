#pragma once
// An in-memory registry hive: keys and values with the registry's case-insensitive names and
// its value order (creation order; a rewrite keeps the place). Shared by the in-memory store
// and the .reg file store.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
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

class RegistryNode {
 public:
  std::string name;  // as first spelled
  std::map<std::string, std::unique_ptr<RegistryNode>, CaseInsensitiveLess> children;

  // Values in their stored order.
  const std::vector<RegValue>& Values() const { return values_; }
  RegValue* FindValue(const std::string& valueName);
  // Creates the value at the end, or replaces type and data in place (the spelling of the
  // name stays as first written).
  RegValue& PutValue(const std::string& valueName, RegType type, std::vector<std::uint8_t> data);
  bool EraseValue(const std::string& valueName);

  // Creates the path's missing keys; empty components are skipped. *created (optional) is
  // set when any key had to be made.
  RegistryNode& Descend(const std::string& path, bool* created = nullptr);
  // The key at `path` below this one, or nullptr; creates nothing.
  RegistryNode* Find(const std::string& path);

 private:
  std::vector<RegValue> values_;
  // Folded name -> position in values_: a key of many values is loaded and read in linear time.
  std::unordered_map<std::string, std::size_t> index_;
};

bool EqualsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace ovalink

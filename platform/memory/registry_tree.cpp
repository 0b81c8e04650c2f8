#include "platform/memory/registry_tree.h"

#include <cctype>

namespace ovalink {

namespace {
int Fold(char c) { return std::tolower(static_cast<unsigned char>(c)); }
}  // namespace

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (Fold(a[i]) != Fold(b[i])) return Fold(a[i]) < Fold(b[i]);
  }
  return a.size() < b.size();
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

RegValue* RegistryNode::FindValue(const std::string& valueName) {
  for (RegValue& value : values) {
    if (EqualsIgnoreCase(value.name, valueName)) return &value;
  }
  return nullptr;
}

RegistryNode& RegistryNode::Descend(const std::string& path, bool* created) {
  RegistryNode* node = this;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) {
      std::string part = path.substr(start, end - start);
      auto& child = node->children[part];
      if (!child) {
        child = std::make_unique<RegistryNode>();
        child->name = part;
        if (created) *created = true;
      }
      node = child.get();
    }
    start = end + 1;
  }
  return *node;
}

}  // namespace ovalink

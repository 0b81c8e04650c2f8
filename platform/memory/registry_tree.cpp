#include "platform/memory/registry_tree.h"

#include <cctype>

namespace ovalink {

namespace {
int Fold(char c) { return std::tolower(static_cast<unsigned char>(c)); }

std::string Folded(const std::string& s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(Fold(c));
  return out;
}

// Calls onPart for each non-empty backslash-separated component; stops when it returns null.
template <typename OnPart>
RegistryNode* Walk(RegistryNode* node, const std::string& path, OnPart&& onPart) {
  std::size_t start = 0;
  while (node && start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) node = onPart(*node, path.substr(start, end - start));
    start = end + 1;
  }
  return node;
}
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
  const auto found = index_.find(Folded(valueName));
  return found == index_.end() ? nullptr : &values_[found->second];
}

RegValue& RegistryNode::PutValue(const std::string& valueName, RegType type,
                                 std::vector<std::uint8_t> data) {
  const auto [slot, added] = index_.emplace(Folded(valueName), values_.size());
  if (added) values_.push_back(RegValue{valueName, type, {}});
  RegValue& value = values_[slot->second];
  value.type = type;
  value.data = std::move(data);
  return value;
}

bool RegistryNode::EraseValue(const std::string& valueName) {
  const auto found = index_.find(Folded(valueName));
  if (found == index_.end()) return false;
  const std::size_t position = found->second;
  index_.erase(found);
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(position));
  for (std::size_t i = position; i < values_.size(); ++i) index_[Folded(values_[i].name)] = i;
  return true;
}

RegistryNode& RegistryNode::Descend(const std::string& path, bool* created) {
  return *Walk(this, path, [created](RegistryNode& node, const std::string& part) {
    auto& child = node.children[part];
    if (!child) {
      child = std::make_unique<RegistryNode>();
      child->name = part;
      if (created) *created = true;
    }
    return child.get();
  });
}

RegistryNode* RegistryNode::Find(const std::string& path) {
  return Walk(this, path, [](RegistryNode& node, const std::string& part) -> RegistryNode* {
    const auto found = node.children.find(part);
    return found == node.children.end() ? nullptr : found->second.get();
  });
}

}  // namespace ovalink

// The store of trained codes: rebuilt from the registry as a whole, scanned by recognition.

#include <optional>
#include <string>

#include "engine/code_registry.h"
#include "engine/engine_types.h"
#include "engine/rc_listener.h"

namespace ovalink {

int RCListener::loadCodes() {
  std::lock_guard<std::mutex> lock(codeListLock_);
  codes_.clear();
  CodeRegistry registry;
  const std::vector<std::string> names = registry.Names();
  for (const std::string& name : names) {
    if (std::optional<SignalCode> code = registry.ReadOne(name)) codes_.push_back(*code);
  }
  compareLength_ = computeCompareLength(codes_);
  // Every name counts, also one that is not a button's or holds no valid code.
  return static_cast<int>(names.size());
}

CodeList::iterator RCListener::findCode(int button) {
  for (auto it = codes_.begin(); it != codes_.end(); ++it) {
    if (it->button == static_cast<std::uint16_t>(button)) return it;
  }
  return codes_.end();
}

void RCListener::removeCode(CodeList::iterator position) { codes_.erase(position); }

bool RCListener::hasCode(int button) {
  std::lock_guard<std::mutex> lock(codeListLock_);
  return findCode(button) != codes_.end();
}

}  // namespace ovalink

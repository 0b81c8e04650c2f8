// The store of trained codes: rebuilt from the registry as a whole, scanned by recognition.

#include <cstdlib>
#include <string>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/engine_types.h"
#include "engine/rc_listener.h"

namespace ovalink {

int RCListener::loadCodes() {
  std::lock_guard<std::mutex> lock(codeListLock_);
  codes_.clear();
  RegKey codes1(RegRoot::CurrentUser, kCodes1Key);
  RegKey codes2(RegRoot::CurrentUser, kCodes2Key);
  RegKey flags(RegRoot::CurrentUser, kCodeFlagsKey);
  std::vector<std::string> names;
  codes1.EnumValueNames(names);
  for (const std::string& name : names) {
    SignalCode code;
    if (codes1.ReadBinary(name, code.pattern1.data(), kSlotCount) != 0) continue;
    if (codes2.ReadBinary(name, code.pattern2.data(), kSlotCount) != 0) continue;
    code.button = static_cast<std::uint16_t>(std::atoi(name.c_str()));
    code.codeFlag = static_cast<std::uint8_t>(flags.ReadDword(name, 0));
    codes_.push_back(code);
  }
  compareLength_ = computeCompareLength(codes_);
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

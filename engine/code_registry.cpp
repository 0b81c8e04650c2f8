#include "engine/code_registry.h"

#include "app/button_value_name.h"
#include "app/registry_layout.h"

namespace ovalink {

CodeRegistry::CodeRegistry()
    : codes1_(RegRoot::CurrentUser, kCodes1Key),
      codes2_(RegRoot::CurrentUser, kCodes2Key),
      flags_(RegRoot::CurrentUser, kCodeFlagsKey) {}

std::vector<std::string> CodeRegistry::Names() {
  std::vector<std::string> names;
  codes1_.EnumValueNames(names);
  return names;
}

std::optional<SignalCode> CodeRegistry::ReadOne(const std::string& name) {
  const std::optional<int> button = ButtonOfValueName(name);
  if (!button) return std::nullopt;
  SignalCode code;
  if (codes1_.ReadBinary(name, code.pattern1.data(), kSlotCount) != 0) return std::nullopt;
  if (codes2_.ReadBinary(name, code.pattern2.data(), kSlotCount) != 0) return std::nullopt;
  code.button = static_cast<std::uint16_t>(*button);
  code.codeFlag = static_cast<std::uint8_t>(flags_.ReadDword(name, kAlternatingForm));
  return code;
}

void CodeRegistry::WriteOne(const SignalCode& code) {
  const std::string name = ValueNameOfButton(code.button);
  codes1_.WriteBinary(name, code.pattern1.data(), kSlotCount);
  codes2_.WriteBinary(name, code.pattern2.data(), kSlotCount);
  if (code.codeFlag != kAlternatingForm) flags_.WriteDword(name, code.codeFlag);
}

void CodeRegistry::DeleteOne(int button) {
  const std::string name = ValueNameOfButton(button);
  codes1_.DeleteValue(name);
  codes2_.DeleteValue(name);
  flags_.DeleteValue(name);
}

}  // namespace ovalink

#include "commands/command_map.h"

#include <optional>
#include <vector>

#include "app/button_value_name.h"
#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "app/shared_constants.h"
#include "commands/builtin_commands.h"
#include "commands/command_delivery.h"

namespace ovalink {

CommandMap::CommandMap(TargetSystem& system) : CommandMap(system, ActiveRegistry()) {}

CommandMap::CommandMap(TargetSystem& system, RegistryStore& store)
    : system_(system), store_(store) {
  LoadCommands();
}

void CommandMap::LoadCommands() {
  commands_.clear();
  RegKey key(store_, RegRoot::CurrentUser, kCommandsKey);
  std::vector<std::string> names;
  key.EnumValueNames(names);
  if (!names.empty()) {
    for (const std::string& name : names) {
      const std::optional<int> button = ButtonOfValueName(name);
      if (!button) continue;
      RemoteCommandBytes bytes;
      if (key.ReadBinary(name, bytes.data(), kRemoteCommandBytes) != 0) continue;
      commands_[static_cast<std::uint16_t>(*button)] = DeserializeCommand(bytes);
    }
    return;
  }
  // First use, or a key we cannot open: the built-in table, written back where possible.
  const auto& builtins = BuiltinCommands();
  for (std::size_t i = 0; i < kBuiltinCommandCount; ++i) {
    commands_[static_cast<std::uint16_t>(i)] = builtins[i];
    const RemoteCommandBytes bytes = SerializeCommand(builtins[i]);
    key.WriteBinary(ValueNameOfButton(static_cast<int>(i)), bytes.data(), kRemoteCommandBytes);
  }
}

const RemoteCommand* CommandMap::FindCommand(std::uint16_t pressValue) const {
  const auto found = commands_.find(static_cast<std::uint16_t>(pressValue & kPressIndexMask));
  return found == commands_.end() ? nullptr : &found->second;
}

bool CommandMap::PassRepeatFilter(std::uint16_t pressValue, const RemoteCommand& command) {
  if (pressValue != lastPress_) {
    lastPress_ = pressValue;
    return true;
  }
  return (command.repeatable & 0xFF) != 0;
}

SendResult CommandMap::SendCommand(std::uint32_t pressValue, bool emulated) {
  const auto press = static_cast<std::uint16_t>(pressValue);
  const RemoteCommand* command = FindCommand(press);
  if (command == nullptr) return SendResult::NoCommand;
  if (!emulated && !PassRepeatFilter(press, *command)) return SendResult::RepeatSuppressed;
  const WindowHandle target = FindTargetWindow(system_);
  if (target == 0) return SendResult::TargetNotFound;
  DeliverCommand(system_, target, *command);
  return SendResult::Sent;
}

}  // namespace ovalink

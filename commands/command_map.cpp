#include "commands/command_map.h"

#include <climits>
#include <vector>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "app/shared_constants.h"
#include "commands/builtin_commands.h"
#include "commands/command_delivery.h"

namespace ovalink {

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

std::uint16_t CommandKeyFromName(const std::string& name) {
  // Hand-written rather than std::atoi: overflow is undefined there, and the 32-bit and
  // 64-bit builds must agree on every name.
  std::size_t i = 0;
  while (i < name.size() && IsBlank(name[i])) ++i;
  bool negative = false;
  if (i < name.size() && (name[i] == '+' || name[i] == '-')) negative = name[i++] == '-';
  long long value = 0;
  for (; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
    value = value * 10 + (name[i] - '0');
    if (value > INT_MAX) {
      value = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
      break;
    }
  }
  const long long signedValue = negative ? -value : value;
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(signedValue));
}

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
      RemoteCommandBytes bytes;
      if (key.ReadBinary(name, bytes.data(), kRemoteCommandBytes) != 0) continue;
      commands_[CommandKeyFromName(name)] = DeserializeCommand(bytes);
    }
    return;
  }
  // First use, or a key we cannot open: the built-in table, written back where possible.
  const auto& builtins = BuiltinCommands();
  for (std::size_t i = 0; i < kBuiltinCommandCount; ++i) {
    commands_[static_cast<std::uint16_t>(i)] = builtins[i];
    const RemoteCommandBytes bytes = SerializeCommand(builtins[i]);
    key.WriteBinary(std::to_string(i), bytes.data(), kRemoteCommandBytes);
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

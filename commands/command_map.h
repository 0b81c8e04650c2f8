#pragma once
// CommandMap: which command each button sends, kept in the registry, and the repeat filter
// that decides whether a held button sends its command again.

#include <cstdint>
#include <map>
#include <string>

#include "commands/remote_command.h"
#include "platform/registry_store.h"
#include "platform/target_system.h"

namespace ovalink {

enum class SendResult {
  Sent = 0,              // handed to the target (for a post: the post was attempted)
  TargetNotFound = 1,    // neither media application has a window; nothing sent
  NoCommand = 2,         // the button has no binding; nothing else done
  RepeatSuppressed = 3,  // a held button whose command does not repeat; nothing sent
};

class CommandMap {
 public:
  // Loads the bindings from the process-wide registry.
  explicit CommandMap(TargetSystem& system);
  // Same, from an explicit registry store.
  CommandMap(TargetSystem& system, RegistryStore& store);

  CommandMap(const CommandMap&) = delete;
  CommandMap& operator=(const CommandMap&) = delete;

  // Replaces the bindings with the values of the Commands key. When the key holds no value
  // (or cannot be opened), binds the built-in table and writes it there. Values that are
  // not a REG_BINARY of exactly 48 bytes leave their button unbound, and values not named by a
  // button (ButtonOfValueName) bind nothing; nothing is merged.
  void LoadCommands();

  // The record bound to the button of `pressValue` (bit 15 ignored); null when unbound.
  const RemoteCommand* FindCommand(std::uint16_t pressValue) const;

  // True when the press is to be delivered: always for a changed press value, which becomes
  // lastPress; for a repetition of lastPress only when the record repeats.
  bool PassRepeatFilter(std::uint16_t pressValue, const RemoteCommand& command);

  // Lookup, repeat filter (skipped for an emulated press: a click on the on-screen button),
  // target search and delivery. Only the low 16 bits of `pressValue` are used.
  SendResult SendCommand(std::uint32_t pressValue, bool emulated);

  // The press value that last went through the repeat filter; 0xFFFF, which no button
  // produces, until the first one.
  std::uint16_t lastPress() const { return lastPress_; }

  const std::map<std::uint16_t, RemoteCommand>& Commands() const { return commands_; }

 private:
  TargetSystem& system_;
  RegistryStore& store_;
  std::map<std::uint16_t, RemoteCommand> commands_;
  std::uint16_t lastPress_ = 0xFFFF;
};

}  // namespace ovalink

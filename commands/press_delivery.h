#pragma once
// What a recognised press does: the one path from a press value to a command, used by the
// main window and by the lab. The window adds what only it has (the highlight timer, the
// send-error dialog) from the outcome.

#include <cstdint>

#include "commands/command_map.h"

namespace ovalink {

struct PressOutcome {
  bool attempted = false;  // false: Enable is off, or the value is no press
  SendResult result = SendResult::NoCommand;  // meaningful when attempted
  int button = 0;                             // the press value's button index
  bool highlight = false;                     // grey the button: a command was due
  bool reportSendError = false;               // the target was not found
};

// Sends the command of `pressValue` through the repeat filter when `enabled`; nothing for
// 0xFFFFFFFF, which no press gives. Call on the thread that owns the target system.
PressOutcome DeliverPress(CommandMap& commands, std::uint32_t pressValue, bool enabled);

}  // namespace ovalink

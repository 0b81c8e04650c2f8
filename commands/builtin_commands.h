#pragma once
// The bindings a fresh installation starts with, one per on-screen button, in button order.

#include <array>
#include <cstddef>

#include "app/shared_constants.h"
#include "commands/remote_command.h"

namespace ovalink {

constexpr std::size_t kBuiltinCommandCount = kButtonCount;

const std::array<RemoteCommand, kBuiltinCommandCount>& BuiltinCommands();

}  // namespace ovalink

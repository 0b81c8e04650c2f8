#pragma once
// The bindings a fresh installation starts with, one per on-screen button, in button order.

#include <array>
#include <cstddef>

#include "commands/remote_command.h"

namespace ovalink {

constexpr std::size_t kBuiltinCommandCount = 34;

const std::array<RemoteCommand, kBuiltinCommandCount>& BuiltinCommands();

}  // namespace ovalink

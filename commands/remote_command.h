#pragma once
// RemoteCommand: the window message bound to one button, and its 48-byte registry form.

#include <array>
#include <cstddef>
#include <cstdint>

namespace ovalink {

// Message numbers with a meaning of their own to the dispatcher.
constexpr std::uint32_t kWmNull = 0x0000;
constexpr std::uint32_t kWmKeyDown = 0x0100;
constexpr std::uint32_t kWmChar = 0x0102;
constexpr std::uint32_t kWmAppCommand = 0x0319;
// wParam of an application command that stands for the target window's own handle.
constexpr std::uint32_t kTargetHandleParam = 0xFFFFFFFF;

struct RemoteCommand {
  std::uint32_t repeatable;  // only the lowest byte counts: non-zero lets held repeats through
  std::uint32_t message;
  std::uint32_t wParam;
  std::uint32_t lParam;
  std::array<std::uint8_t, 32> reserved;  // carried, never read
};

// The layout matches the registry bytes, but serialisation never relies on it: the 32-bit
// and 64-bit builds, and any host byte order, must write the same bytes.
static_assert(sizeof(RemoteCommand) == 48, "RemoteCommand must stay 48 bytes");
static_assert(offsetof(RemoteCommand, repeatable) == 0, "layout");
static_assert(offsetof(RemoteCommand, message) == 4, "layout");
static_assert(offsetof(RemoteCommand, wParam) == 8, "layout");
static_assert(offsetof(RemoteCommand, lParam) == 12, "layout");
static_assert(offsetof(RemoteCommand, reserved) == 16, "layout");

constexpr std::size_t kRemoteCommandBytes = 48;
using RemoteCommandBytes = std::array<std::uint8_t, kRemoteCommandBytes>;

// Little-endian, field by field.
RemoteCommandBytes SerializeCommand(const RemoteCommand& command);
RemoteCommand DeserializeCommand(const RemoteCommandBytes& bytes);

bool operator==(const RemoteCommand& a, const RemoteCommand& b);
inline bool operator!=(const RemoteCommand& a, const RemoteCommand& b) { return !(a == b); }

}  // namespace ovalink

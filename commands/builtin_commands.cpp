#include "commands/builtin_commands.h"

#include <cstdint>

namespace ovalink {

namespace {

// Application-command codes travel in the high word of lParam.
constexpr RemoteCommand App(std::uint32_t repeatable, std::uint32_t appCommand) {
  return {repeatable, kWmAppCommand, kTargetHandleParam, appCommand << 16, {}};
}

// The keyboard lParam (repeat count 1, scan code, extended flag) is stored for the record's
// sake; synthesis uses only the virtual key.
constexpr RemoteCommand Key(std::uint32_t repeatable, std::uint32_t vk, std::uint32_t scan,
                            bool extended) {
  return {repeatable, kWmKeyDown, vk, (extended ? 0x01000000u : 0u) | scan << 16 | 1u, {}};
}

constexpr RemoteCommand Char(std::uint32_t ch, std::uint32_t scan) {
  return {0, kWmChar, ch, scan << 16 | 1u, {}};
}

constexpr std::uint32_t kOnce = 0;
constexpr std::uint32_t kRepeat = 1;

// APPCOMMAND_* and VK_* values of the Windows SDK.
enum : std::uint32_t {
  kBrowserBackward = 1,
  kVolumeMute = 8,
  kVolumeDown = 9,
  kVolumeUp = 10,
  kNextTrack = 11,
  kPreviousTrack = 12,
  kMediaStop = 13,
  kMediaPlay = 46,
  kMediaPause = 47,
  kMediaRecord = 48,
  kFastForward = 49,
  kRewind = 50,
  kChannelUp = 51,
  kChannelDown = 52,
};
enum : std::uint32_t {
  kVkBack = 0x08,
  kVkReturn = 0x0D,
  kVkLeft = 0x25,
  kVkUp = 0x26,
  kVkRight = 0x27,
  kVkDown = 0x28,
};

constexpr std::array<RemoteCommand, kBuiltinCommandCount> kTable = {{
    App(kOnce, kMediaStop),                 // 0 Stop
    App(kOnce, kMediaPause),                // 1 Pause
    App(kRepeat, kRewind),                  // 2 Rew
    App(kOnce, kMediaPlay),                 // 3 Play
    App(kRepeat, kFastForward),             // 4 Fwd
    App(kOnce, kPreviousTrack),             // 5 Replay
    App(kOnce, kNextTrack),                 // 6 Skip
    App(kRepeat, kVolumeUp),                // 7 Vol+
    App(kRepeat, kVolumeDown),              // 8 Vol-
    App(kOnce, kMediaRecord),               // 9 Rec
    App(kOnce, kBrowserBackward),           // 10 Back
    Key(kRepeat, kVkUp, 0x48, true),        // 11 Up
    {0, kWmNull, 0, 0, {}},                 // 12 More: deliberately does nothing
    Key(kRepeat, kVkLeft, 0x4B, true),      // 13 Left
    Key(kOnce, kVkReturn, 0x1C, false),     // 14 OK
    Key(kRepeat, kVkRight, 0x4D, true),     // 15 Right
    Key(kRepeat, kVkDown, 0x50, true),      // 16 Down
    App(kRepeat, kChannelUp),               // 17 Ch+
    App(kOnce, kVolumeMute),                // 18 Mute
    App(kRepeat, kChannelDown),             // 19 Ch-
    Key(kOnce, '1', 0x02, false),           // 20
    Key(kOnce, '2', 0x03, false),           // 21
    Key(kOnce, '3', 0x04, false),           // 22
    Key(kOnce, '4', 0x05, false),           // 23
    Key(kOnce, '5', 0x06, false),           // 24
    Key(kOnce, '6', 0x07, false),           // 25
    Key(kOnce, '7', 0x08, false),           // 26
    Key(kOnce, '8', 0x09, false),           // 27
    Key(kOnce, '9', 0x0A, false),           // 28
    Char('*', 0x09),                        // 29 *
    Key(kOnce, '0', 0x0B, false),           // 30
    Char('#', 0x04),                        // 31 #
    Key(kOnce, kVkBack, 0x01, false),       // 32 Clear
    Key(kOnce, kVkReturn, 0x1C, false),     // 33 Enter
}};

}  // namespace

const std::array<RemoteCommand, kBuiltinCommandCount>& BuiltinCommands() { return kTable; }

}  // namespace ovalink

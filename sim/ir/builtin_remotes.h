#pragma once
// Protocol remotes that need no file, each an embedded lircd.conf with one key per
// virtual-remote button: NEC, RC5, RC6 mode 0 and the Media Center's RC6-6A-32, Sony 12-,
// 15- and 20-bit, JVC (also one whose frames follow closer than 15 ms), Samsung, Sharp
// and Panasonic.

#include <array>
#include <string>
#include <string_view>

#include "sim/ir/lircd_conf.h"

namespace ovalink::sim {

// Key i of every built-in remote belongs to button i.
constexpr std::array<std::string_view, 34> kButtonKeyNames = {
    "KEY_STOP",   "KEY_PAUSE",       "KEY_REWIND",   "KEY_PLAY",         "KEY_FASTFORWARD",
    "KEY_PREVIOUS", "KEY_NEXT",      "KEY_VOLUMEUP", "KEY_VOLUMEDOWN",   "KEY_RECORD",
    "KEY_BACK",   "KEY_UP",          "KEY_INFO",     "KEY_LEFT",         "KEY_OK",
    "KEY_RIGHT",  "KEY_DOWN",        "KEY_CHANNELUP", "KEY_MUTE",        "KEY_CHANNELDOWN",
    "KEY_1",      "KEY_2",           "KEY_3",        "KEY_4",            "KEY_5",
    "KEY_6",      "KEY_7",           "KEY_8",        "KEY_9",            "KEY_NUMERIC_STAR",
    "KEY_0",      "KEY_NUMERIC_POUND", "KEY_CLEAR",  "KEY_ENTER",
};

constexpr std::array<std::string_view, 12> kBuiltinRemoteNames = {
    "nec",    "rc5",    "rc6",   "rc6-mce", "sony12",    "sony15",
    "sony20", "jvc",    "jvc-close", "samsung32", "sharp", "panasonic",
};

constexpr std::string_view kBuiltinPrefix = "builtin:";

// The lircd.conf text of built-in remote `name` (without the prefix); empty if none.
std::string_view BuiltinRemoteText(std::string_view name);

// `builtin:NAME`, the path of an IR database file (`.ir`, or any file whose first line
// says `Filetype: IR signals file`), or the path of a lircd.conf file whose first remote is
// taken. Throws ParseError for an unknown built-in, an unreadable or malformed file, or a
// file without a remote.
Remote LoadRemote(const std::string& source);

}  // namespace ovalink::sim

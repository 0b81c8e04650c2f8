#pragma once
// Keys the IR database names by protocol, address and command, sent through the lab's own
// protocol remotes (the built-in lircd.conf texts; Pioneer as its own definition).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sim/ir/lircd_conf.h"

namespace ovalink::sim {

// The protocol names a key may give, in the database's spelling.
constexpr std::string_view kIrdbProtocols[] = {
    "NEC",  "NECext", "NEC42",  "NEC42ext", "Samsung32", "RC5",      "RC5X",
    "RC6",  "SIRC",   "SIRC15", "SIRC20",   "Kaseikyo",  "Pioneer",
};

// "NEC, NECext, ..." for messages.
std::string IrdbProtocolList();

// A one-key remote that sends `address` and `command` the way `protocol` does. Returns
// nullptr and says why in `refusal` for a protocol the lab cannot send or a value wider than
// the protocol's field.
std::shared_ptr<const Remote> IrdbProtocolRemote(std::string_view protocol, std::uint32_t address,
                                                 std::uint32_t command, std::string& refusal);

}  // namespace ovalink::sim

#pragma once
// What the lab can tell from a remote's definition alone about presses the engine will not
// recognise, so that a bench says why instead of only counting misses. (Presses too short
// for the probe to leave a frame are counted by the bench itself, as shorter presses.)

#include <string>
#include <vector>

#include "sim/ir/lircd_conf.h"

namespace ovalink::quorsim {

// One sentence per problem found among the remote's first `keys` keys; empty when none.
std::vector<std::string> RemoteNotes(const sim::Remote& remote, std::size_t keys);

}  // namespace ovalink::quorsim

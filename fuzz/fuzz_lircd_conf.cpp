// Any text either parses or is refused with a ParseError; whatever parses can be sent, and
// what it sends prints as mode2 text that reads back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/ir/lircd_conf.h"
#include "sim/ir/mode2.h"
#include "sim/ir/synthesis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ovalink::sim;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<Remote> remotes;
  try {
    remotes = ParseLircdConf(text, "fuzz.conf");
  } catch (const ParseError&) {
    return 0;
  }
  for (const Remote& remote : remotes) {
    const std::size_t keys = remote.keys.size() < 4 ? remote.keys.size() : 4;
    for (std::size_t k = 0; k < keys; ++k) {
      for (bool toggled : {false, true}) {
        const PressPlan plan = PlanPress(remote, remote.keys[k], toggled);
        // Tiny frames would make long holds slow without finding anything new.
        if (plan.FrameCount(200'000) > 200) continue;
        const Signal light = plan.Expand(200'000);
        if (light.Empty()) continue;
        if (ParseMode2(FormatMode2(light), "fuzz.mode2") != light) std::abort();
      }
    }
  }
  return 0;
}

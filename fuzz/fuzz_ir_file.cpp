// Any text either reads as a remote or is refused with a ParseError; every key that reads
// can be pressed, short or held, and what a press sends prints as mode2 text that reads back
// unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/ir/irdb_file.h"
#include "sim/ir/mode2.h"
#include "sim/ir/synthesis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ovalink::sim;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Remote remote;
  try {
    remote = ParseIrFile(text, "fuzz.ir");
  } catch (const ParseError&) {
    return 0;
  }
  if (remote.keys.empty()) std::abort();  // a file without a key to send is refused
  const std::size_t keys = remote.keys.size() < 4 ? remote.keys.size() : 4;
  for (std::size_t k = 0; k < keys; ++k) {
    for (bool toggled : {false, true}) {
      const PressPlan plan = PlanPress(remote, remote.keys[k], toggled);
      if (plan.first.empty() || plan.minFrames < 1) std::abort();
      if (plan.FrameCount(300'000) > 200) continue;
      for (std::uint64_t hold : {std::uint64_t(0), std::uint64_t(300'000)}) {
        const Signal light = plan.Expand(hold);
        if (light.Empty()) std::abort();
        if (ParseMode2(FormatMode2(light), "fuzz.mode2") != light) std::abort();
      }
    }
  }
  return 0;
}

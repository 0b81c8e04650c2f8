// Any text either parses or is refused with a ParseError; what parses prints and reads
// back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sim/ir/mode2.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ovalink::sim;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Signal signal;
  try {
    signal = ParseMode2(text, "fuzz.mode2");
  } catch (const ParseError&) {
    return 0;
  }
  // Merged spaces may exceed what one line accepts; everything else must round-trip.
  try {
    if (ParseMode2(FormatMode2(signal), "again") != signal) std::abort();
  } catch (const ParseError&) {
    for (std::size_t i = 1; i < signal.Durations().size(); i += 2) {
      if (signal.Durations()[i] > kMaxMode2SpaceUs) return 0;
    }
    std::abort();
  }
  return 0;
}

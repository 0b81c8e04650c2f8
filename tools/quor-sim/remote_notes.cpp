#include "tools/quor-sim/remote_notes.h"

#include <algorithm>
#include <cstdio>

#include "engine/rc_listener.h"
#include "sim/ir/synthesis.h"

namespace ovalink::quorsim {

namespace {
// The shortest silence that ends a burst train: one that has run past its histogram's span
// ends at the first silence this long.
constexpr auto kFrameSilenceUs = std::uint32_t(RCListener::kFrameSilenceMs * 1000.0);
}  // namespace

std::vector<std::string> RemoteNotes(const sim::Remote& remote, std::size_t keys) {
  std::vector<std::string> notes;
  const std::size_t count = std::min(keys, remote.keys.size());
  std::size_t merging = 0;
  std::uint32_t shortest = UINT32_MAX;
  for (std::size_t k = 0; k < count; ++k) {
    const sim::PressPlan plan = sim::PlanPress(remote, remote.keys[k], false);
    // A held key sends its first frames, then repeats: every one of them is followed by
    // another.
    std::uint32_t gap = plan.repeat.gapUs;
    for (const sim::Frame& frame : plan.first) gap = std::min(gap, frame.gapUs);
    if (gap < kFrameSilenceUs) {
      ++merging;
      shortest = std::min(shortest, gap);
    }
  }
  char text[400];
  if (merging > 0) {
    std::snprintf(text, sizeof text,
                  "%zu of %zu keys send frames less than 10 ms apart (down to %.1f ms): a held "
                  "key's frames merge into one burst train that ends only at its size limit, "
                  "wherever that falls, so its presses are rarely recognised",
                  merging, count, shortest / 1000.0);
    notes.emplace_back(text);
  }
  return notes;
}

}  // namespace ovalink::quorsim

#pragma once
// Raw signals as text: the mode2 / ir-ctl form (`pulse N`, `space N`, `timeout N`,
// `carrier N`, `# comments`) and the one-line form (`+9000 -4500 +560 ...`).

#include <string>
#include <string_view>

#include "sim/ir/parse_error.h"
#include "sim/ir/signal.h"

namespace ovalink::sim {

// Longest pulse and longest space or timeout accepted: LIRC's 24-bit duration field.
constexpr std::uint32_t kMaxMode2PulseUs = 0xFFFFFF;
constexpr std::uint32_t kMaxMode2SpaceUs = 0xFFFFFF;

// Leading spaces are dropped, a `timeout` adds to the space before it; otherwise pulses and
// spaces must alternate. The carrier defaults to 38 kHz. Throws ParseError ("file:line: ...").
Signal ParseMode2(std::string_view text, const std::string& file);
Signal LoadMode2(const std::string& path);

// `carrier N`, then one `pulse N` / `space N` line per duration.
std::string FormatMode2(const Signal& signal);

}  // namespace ovalink::sim

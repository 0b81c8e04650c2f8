#pragma once
// Remotes in the IR database's `.ir` format (`Filetype: IR signals file`): after a two-line
// header, one block per key, each begun by `name:`. A key is either `type: parsed`
// (`protocol`, `address` and `command` as little-endian hex bytes), sent through the lab's
// protocol remotes, or `type: raw` (`frequency`, `duty_cycle`, `data`: marks and spaces in
// µs from a mark, as a learning receiver recorded one short press), sent as the capture
// shows (capture_plan.h says how a held key is found in it).
//
// Malformed text is a ParseError at its line. A well-formed key the lab cannot send is
// left out with a note ("FILE:LINE: key 'X': why; left out") in Remote::notes, the other
// keys still load: a protocol the lab does not have, a value wider than its protocol's
// field, durations that are zero or beyond what a remote sends (a recorder's overflow
// values), a capture without a burst of kMinBurstDurations, more than
// kMaxCaptureDurations, or the same signal as a key before it. A capture that starts with
// the recorder's glitch (at most kMaxGlitchDurations, marks shorter than kMaxGlitchMarkUs,
// then a silence of kBurstGapUs or more) is kept without it, and so is one with a flash
// shorter than kMaxGlitchMarkUs alone between silences of kLoneFlashSilenceUs or more.

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/ir/lircd_conf.h"
#include "sim/ir/parse_error.h"

namespace ovalink::sim {

constexpr std::string_view kIrFileType = "Filetype: IR signals file";
constexpr std::size_t kMinBurstDurations = 7;
constexpr std::size_t kMaxCaptureDurations = 4096;
constexpr std::uint32_t kMaxCaptureMarkUs = 20'000;
constexpr std::uint32_t kMaxCaptureSpaceUs = 1'000'000;
constexpr std::size_t kMaxGlitchDurations = 3;
constexpr std::uint32_t kMaxGlitchMarkUs = 350;
constexpr std::uint32_t kLoneFlashSilenceUs = 15'000;

// Whether `text` begins as an .ir file does (its first line names the file type).
bool LooksLikeIrFile(std::string_view text);

// The remote `text` describes, named after `file` (its last path part without `.ir`).
// Throws ParseError for malformed text, and for a file none of whose keys can be sent.
Remote ParseIrFile(std::string_view text, const std::string& file);
Remote LoadIrFile(const std::string& path);

}  // namespace ovalink::sim

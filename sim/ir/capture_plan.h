#pragma once
// What a held key sends, found in a raw capture of one short press.
//
// A learning receiver records a key from its first mark until the light stays off; what it
// holds depends on the remote and on how briefly the key was pressed: the first frame only,
// the frame and its repeat codes, a frame repeated, a frame followed by headerless repeats,
// a frame in two parts, two frames that alternate. The capture is cut into bursts at every
// silence of kBurstGapUs or more, and bursts are compared by shape (same number of
// durations, each within kAlikeUs or kAlikePercent). The repeating unit is then the
// smallest run of p bursts (p <= kMaxUnitBursts) from which on, after a prefix of s bursts
// (s <= kMaxPrefixBursts), every burst is alike the one p bursts later, seen at least once;
// the smallest p wins, then the shortest prefix. A unit of several bursts (a frame pair, a
// frame in two parts) is sent whole, its inner silences kept; its period is the capture's
// own, from the silence after the unit's first instance.
//
// A capture in which the first frame comes again after repeat codes (bursts of 3 to
// kRepeatCodeDurations - 1 durations; a lone flash is none) holds a second press: the unit
// is sought in what comes before, up to the first press's last repeat code.
//
// A press sends the prefix, then the unit while the key is down. The sharpest press sends
// the prefix and one unit, except where the unit is a repeat code (a burst of fewer than
// kRepeatCodeDurations): then the prefix alone, as a remote that sends repeat codes only
// while the key stays down.
//
// Where the capture cannot say: when nothing repeats, the whole capture is the unit. A
// single burst (one frame) then comes round every kAssumedPeriodUs, at least kAssumedGapUs
// apart: a real remote might send repeat codes instead. One transmission of several bursts
// (a frame in two parts, a frame pair seen once) comes round after the longest silence
// inside it, as far apart as its own parts. A frame followed by one repeat code is read as
// such, the repeat code's period taken from the two bursts' starts.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/ir/synthesis.h"

namespace ovalink::sim {

constexpr std::uint32_t kBurstGapUs = 10'000;
constexpr std::uint32_t kAlikeUs = 200;
constexpr std::uint32_t kAlikePercent = 20;
constexpr std::size_t kMaxUnitBursts = 4;
constexpr std::size_t kMaxPrefixBursts = 4;
constexpr std::size_t kRepeatCodeDurations = 8;
constexpr std::uint32_t kAssumedPeriodUs = 108'000;
constexpr std::uint32_t kAssumedGapUs = 30'000;

// Whether two durations (or two bursts of durations) are the same to a receiver.
bool Alike(std::uint32_t a, std::uint32_t b);
bool Alike(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b);

struct CaptureShape {
  std::size_t bursts = 0;
  std::size_t prefix = 0;      // bursts before the repeating unit
  std::size_t unitBursts = 0;  // bursts in the unit
  bool found = false;          // false: nothing repeats, the capture was taken whole
};

// The press a capture stands for. `durations` alternate from a mark and end with a mark,
// none zero; `shape`, when given, hears how the capture was read.
PressPlan PlanCapture(const std::vector<std::uint32_t>& durations, std::uint32_t carrierHz,
                      std::uint32_t dutyCyclePercent, CaptureShape* shape = nullptr);

}  // namespace ovalink::sim

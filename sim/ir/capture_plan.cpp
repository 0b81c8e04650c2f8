#include "sim/ir/capture_plan.h"

#include <algorithm>

namespace ovalink::sim {

namespace {

struct Burst {
  std::vector<std::uint32_t> durations;  // from a mark to a mark
  std::uint64_t startUs = 0;
  std::uint32_t gapAfterUs = 0;  // 0 for the last
};

std::vector<Burst> CutIntoBursts(const std::vector<std::uint32_t>& durations) {
  std::vector<Burst> bursts(1);
  std::uint64_t at = 0;
  for (std::size_t i = 0; i < durations.size(); ++i) {
    const bool space = i % 2 == 1;
    if (space && durations[i] >= kBurstGapUs) {
      bursts.back().gapAfterUs = durations[i];
      bursts.emplace_back();
      bursts.back().startUs = at + durations[i];
    } else {
      bursts.back().durations.push_back(durations[i]);
    }
    at += durations[i];
  }
  return bursts;
}

std::uint64_t LengthOf(const std::vector<std::uint32_t>& durations) {
  std::uint64_t sum = 0;
  for (std::uint32_t d : durations) sum += d;
  return sum;
}

// Whether from burst `prefix` on every burst is alike the one `unit` later.
bool RepeatsFrom(const std::vector<Burst>& bursts, std::size_t prefix, std::size_t unit) {
  for (std::size_t i = prefix; i + unit < bursts.size(); ++i) {
    if (!Alike(bursts[i].durations, bursts[i + unit].durations)) return false;
  }
  return true;
}

Frame MakeFrame(const std::vector<Burst>& bursts, std::size_t from, std::size_t count,
                std::uint32_t carrierHz, std::uint32_t dutyCyclePercent) {
  Frame frame;
  frame.light.SetCarrierHz(carrierHz);
  frame.light.SetDutyCyclePercent(dutyCyclePercent);
  for (std::size_t b = from; b < from + count; ++b) {
    if (b > from) frame.light.AddSpace(bursts[b - 1].gapAfterUs);
    for (std::size_t i = 0; i < bursts[b].durations.size(); ++i) {
      if (i % 2 == 0) {
        frame.light.AddMark(bursts[b].durations[i]);
      } else {
        frame.light.AddSpace(bursts[b].durations[i]);
      }
    }
  }
  frame.gapUs = bursts[from + count - 1].gapAfterUs;
  return frame;
}

std::uint32_t AssumedGap(std::uint64_t lengthUs, std::uint64_t periodUs) {
  const std::uint64_t gap = periodUs > lengthUs ? periodUs - lengthUs : 0;
  return std::uint32_t(std::min<std::uint64_t>(std::max<std::uint64_t>(gap, kAssumedGapUs),
                                                UINT32_MAX));
}

// A repeat code is a lead and a stop mark; a lone flash is no code at all.
bool IsRepeatCode(const Burst& burst) {
  return burst.durations.size() >= 3 && burst.durations.size() < kRepeatCodeDurations;
}

// Where a remote that holds with repeat codes sends its first frame again after them, the key
// was let go and pressed again while the recorder still listened: the end of the first press
// (its last repeat code), or bursts.size() if there is no second.
std::size_t SecondPressAt(const std::vector<Burst>& bursts) {
  const Burst* frame = nullptr;
  bool repeatCode = false;
  for (std::size_t b = 0; b < bursts.size(); ++b) {
    if (frame && repeatCode && Alike(bursts[b].durations, frame->durations)) {
      // Light caught between the presses belongs to neither.
      while (!IsRepeatCode(bursts[b - 1])) --b;
      return b;
    }
    if (!frame && bursts[b].durations.size() >= kRepeatCodeDurations) frame = &bursts[b];
    repeatCode = repeatCode || (frame && IsRepeatCode(bursts[b]));
  }
  return bursts.size();
}

// The smallest unit, then the shortest prefix, from which the bursts repeat.
CaptureShape FindUnit(const std::vector<Burst>& bursts) {
  const std::size_t count = bursts.size();
  for (std::size_t unit = 1; unit <= kMaxUnitBursts && unit < count; ++unit) {
    for (std::size_t prefix = 0; prefix <= kMaxPrefixBursts && prefix + unit < count; ++prefix) {
      if (RepeatsFrom(bursts, prefix, unit)) return {count, prefix, unit, true};
    }
  }
  return {count, 0, 0, false};
}

}  // namespace

bool Alike(std::uint32_t a, std::uint32_t b) {
  const std::uint32_t larger = std::max(a, b);
  const std::uint32_t difference = larger - std::min(a, b);
  return difference <= kAlikeUs || std::uint64_t(difference) * 100 <= std::uint64_t(larger) * kAlikePercent;
}

bool Alike(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!Alike(a[i], b[i])) return false;
  }
  return true;
}

PressPlan PlanCapture(const std::vector<std::uint32_t>& durations, std::uint32_t carrierHz,
                      std::uint32_t dutyCyclePercent, CaptureShape* shape) {
  std::vector<Burst> bursts = CutIntoBursts(durations);
  bursts.resize(SecondPressAt(bursts));
  bursts.back().gapAfterUs = 0;
  CaptureShape found = FindUnit(bursts);
  const std::size_t count = bursts.size();

  PressPlan plan;
  plan.carrierHz = carrierHz;
  bool repeatCode = false;
  if (found.found) {
    repeatCode = found.unitBursts == 1 &&
                 bursts[found.prefix].durations.size() < kRepeatCodeDurations;
  } else if (count >= 2 && bursts.back().durations.size() < kRepeatCodeDurations &&
             bursts[count - 2].durations.size() >= kRepeatCodeDurations) {
    // A frame and one repeat code: the repeat code comes round as often as it followed the
    // frame.
    found = {count, count - 1, 1, false};
    repeatCode = true;
    const std::uint64_t period = bursts[count - 1].startUs - bursts[count - 2].startUs;
    bursts.back().gapAfterUs = AssumedGap(LengthOf(bursts.back().durations), period);
  } else if (count >= 2) {
    // One transmission in parts comes round as far apart as its parts are.
    found = {count, 0, count, false};
    std::uint32_t widest = 0;
    for (std::size_t b = 0; b + 1 < count; ++b) widest = std::max(widest, bursts[b].gapAfterUs);
    bursts.back().gapAfterUs = widest;
  } else {
    found = {count, 0, count, false};
    bursts.back().gapAfterUs = AssumedGap(LengthOf(durations), kAssumedPeriodUs);
  }

  for (std::size_t b = 0; b < found.prefix; ++b) {
    plan.first.push_back(MakeFrame(bursts, b, 1, carrierHz, dutyCyclePercent));
  }
  plan.repeat = MakeFrame(bursts, found.prefix, found.unitBursts, carrierHz, dutyCyclePercent);
  plan.first.push_back(plan.repeat);
  plan.repeats = true;
  plan.minFrames = repeatCode && found.prefix > 0 ? found.prefix : found.prefix + 1;
  if (shape) *shape = found;
  return plan;
}

}  // namespace ovalink::sim

// The repeating unit of a raw capture, on crafted captures of each kind a learning receiver
// records, and the rule's limits on each side.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/ir/capture_plan.h"

namespace ovalink::sim {
namespace {

using Durations = std::vector<std::uint32_t>;

// A frame of `bits` pulse-distance bits after a leader, marks a little long and spaces a
// little short as a demodulating receiver measures them; `wobble` moves every edge.
Durations Frame(std::uint64_t value, int bits, std::uint32_t lead = 9000, int wobble = 0) {
  Durations d;
  if (lead) d = {lead + 50, lead / 2 - 50};
  for (int i = 0; i < bits; ++i) {
    d.push_back(std::uint32_t(600 + wobble));
    d.push_back(std::uint32_t(((value >> i) & 1 ? 1650 : 520) - wobble));
  }
  d.push_back(600);
  return d;
}

const Durations kRepeatCode = {9040, 2210, 600};

// Bursts joined by the silences between them.
Durations Join(const std::vector<Durations>& bursts, const std::vector<std::uint32_t>& gaps) {
  Durations all;
  for (std::size_t i = 0; i < bursts.size(); ++i) {
    if (i > 0) all.push_back(gaps[i - 1]);
    all.insert(all.end(), bursts[i].begin(), bursts[i].end());
  }
  return all;
}

std::uint64_t Length(const Durations& d) {
  std::uint64_t sum = 0;
  for (std::uint32_t x : d) sum += x;
  return sum;
}

struct CaptureCase {
  const char* kind;
  Durations capture;
  std::size_t prefix, unitBursts;
  bool found;
  std::size_t minFrames;
  Durations repeat;  // the unit's light
  std::uint32_t repeatGapUs;
};

TEST(CapturePlan, FindsTheUnitAHeldKeyRepeats) {
  const Durations nec = Frame(0xEE11FB04, 32);
  const Durations other = Frame(0xEF10FB04, 32);
  const Durations necLate = Frame(0xEE11FB04, 32, 9000, 30);
  const Durations data = Frame(0x2C5, 12, 0);  // the frame without its leader
  const Durations withLead = Frame(0x2C5, 12, 4000);
  const Durations a = Frame(0x4342, 15, 0), b = Frame(0x40BD, 15, 0);
  const Durations head = Frame(0x15, 8, 3000), key = Frame(0x9A, 8, 0);
  const Durations longFrame = Frame(0xFFFFFFFFFF, 40, 9000);  // 89 ms
  const Durations pairLight = Join({a, b}, {25'000});
  const Durations twoParts = Join({head, key}, {20'000});
  const CaptureCase cases[] = {
      {"frame and repeat codes", Join({nec, kRepeatCode, kRepeatCode, kRepeatCode}, {40'000, 96'000, 96'100}),
       1, 1, true, 1, kRepeatCode, 96'000},
      {"repeated frame", Join({nec, necLate, nec}, {41'000, 40'900}), 0, 1, true, 1, nec, 41'000},
      {"headerless repeats", Join({withLead, data, data}, {30'000, 31'000}), 1, 1, true, 2, data, 31'000},
      {"frame pair", Join({a, b, a, b}, {25'000, 45'000, 25'000}), 0, 2, true, 1, pairLight, 45'000},
      {"frame pair cut short", Join({a, b, a}, {25'000, 45'000}), 0, 2, true, 1, pairLight, 45'000},
      {"one transmission in two parts", twoParts, 0, 2, false, 1, twoParts, 20'000},
      {"three parts, none alike", Join({a, b, key}, {25'000, 45'000}), 0, 3, false, 1,
       Join({a, b, key}, {25'000, 45'000}), 45'000},
      {"single frame", nec, 0, 1, false, 1, nec, std::uint32_t(108'000 - Length(nec))},
      {"single long frame", longFrame, 0, 1, false, 1, longFrame, 30'000},
      {"frame and one repeat code", Join({nec, kRepeatCode}, {40'000}), 1, 1, false, 1, kRepeatCode,
       std::uint32_t(Length(nec) + 40'000 - Length(kRepeatCode))},
      // The recorder went on listening while the key was pressed again: the capture is cut
      // after the first press's last repeat code, and a flash between them goes with it.
      {"pressed again after repeat codes",
       Join({nec, kRepeatCode, kRepeatCode, {2900}, nec, kRepeatCode}, {40'000, 96'000, 96'000, 75'000, 40'000}),
       1, 1, true, 1, kRepeatCode, 96'000},
      {"pressed again after one repeat code",
       Join({nec, kRepeatCode, nec, kRepeatCode, kRepeatCode, kRepeatCode}, {40'000, 44'000, 40'000, 96'000, 96'000}),
       1, 1, false, 1, kRepeatCode, std::uint32_t(Length(nec) + 40'000 - Length(kRepeatCode))},
      // Neither a lone flash nor another frame after repeat codes is the key pressed again.
      {"frames between flashes", Join({nec, {2900}, nec, {2900}, nec}, {40'000, 40'000, 40'000, 40'000}),
       0, 2, true, 1, Join({nec, {2900}}, {40'000}), 40'000},
      {"another frame after a repeat code",
       Join({nec, kRepeatCode, other, kRepeatCode}, {40'000, 60'000, 40'000}), 1, 2, true, 2,
       Join({kRepeatCode, other}, {60'000}), 40'000},
  };
  for (const CaptureCase& c : cases) {
    CaptureShape shape;
    const PressPlan plan = PlanCapture(c.capture, 38000, 33, &shape);
    EXPECT_EQ(shape.prefix, c.prefix) << c.kind;
    EXPECT_EQ(shape.unitBursts, c.unitBursts) << c.kind;
    EXPECT_EQ(shape.found, c.found) << c.kind;
    EXPECT_EQ(plan.minFrames, c.minFrames) << c.kind;
    EXPECT_EQ(plan.repeat.light.Durations(), c.repeat) << c.kind;
    EXPECT_EQ(plan.repeat.gapUs, c.repeatGapUs) << c.kind;
    EXPECT_EQ(plan.repeat.light.CarrierHz(), 38000u);
    // The sharpest press sends the capture's first burst first.
    const Durations tap = plan.Expand(0).Durations();
    EXPECT_EQ(tap[0], c.capture[0]) << c.kind;
    EXPECT_EQ(plan.first.size(), c.prefix + 1) << c.kind;
  }
}

TEST(CapturePlan, AlikeAllowsTwoHundredMicrosecondsOrAFifth) {
  const struct {
    std::uint32_t a, b;
    bool alike;
  } cases[] = {
      {300, 500, true},   {299, 500, false},    // 200 µs apart, either way round
      {500, 300, true},   {4000, 5000, true},   // a fifth of the longer
      {3999, 5000, false}, {0, 200, true},
  };
  for (const auto& c : cases) EXPECT_EQ(Alike(c.a, c.b), c.alike) << c.a << " " << c.b;
  EXPECT_FALSE(Alike(Durations{500, 500, 500}, Durations{500, 500}));
}

TEST(CapturePlan, LimitsOnEachSide) {
  const Durations f = Frame(0x5A, 8, 3000);
  auto shape = [](const Durations& capture) {
    CaptureShape s;
    PlanCapture(capture, 38000, 33, &s);
    return s;
  };
  // A silence of 10 ms ends a burst; one microsecond less stays inside it.
  EXPECT_EQ(shape(Join({f, f}, {9'999})).bursts, 1u);
  EXPECT_EQ(shape(Join({f, f}, {10'000})).bursts, 2u);

  // A unit of fewer than 8 durations is a repeat code: a tap sends the frame only. (Bursts
  // hold odd numbers of durations.)
  const Durations seven = {900, 450, 560, 450, 560, 450, 560};
  const Durations nine = {900, 450, 560, 450, 560, 450, 560, 450, 560};
  EXPECT_EQ(PlanCapture(Join({f, seven, seven}, {40'000, 40'000}), 38000, 33).minFrames, 1u);
  EXPECT_EQ(PlanCapture(Join({f, nine, nine}, {40'000, 40'000}), 38000, 33).minFrames, 2u);

  // Units of up to 4 bursts, after up to 4 others.
  std::vector<Durations> distinct;
  for (std::uint32_t i = 0; i < 6; ++i) distinct.push_back(Frame(i, 8, 3000 + 1000 * i));
  auto repeated = [&](std::size_t unit) {
    std::vector<Durations> bursts(distinct.begin(), distinct.begin() + std::ptrdiff_t(unit));
    bursts.insert(bursts.end(), distinct.begin(), distinct.begin() + std::ptrdiff_t(unit));
    return Join(bursts, std::vector<std::uint32_t>(bursts.size(), 30'000));
  };
  EXPECT_EQ(shape(repeated(4)).unitBursts, 4u);
  EXPECT_FALSE(shape(repeated(5)).found);
  auto prefixed = [&](std::size_t prefix) {
    std::vector<Durations> bursts(distinct.begin(), distinct.begin() + std::ptrdiff_t(prefix));
    bursts.insert(bursts.end(), {kRepeatCode, kRepeatCode});
    return Join(bursts, std::vector<std::uint32_t>(bursts.size(), 30'000));
  };
  EXPECT_EQ(shape(prefixed(4)).prefix, 4u);
  EXPECT_TRUE(shape(prefixed(4)).found);
  EXPECT_FALSE(shape(prefixed(5)).found);

  // Where a single frame is all there is, it comes round every 108 ms, at least 30 ms apart.
  const Durations shortOne = {76'499, 500, 1000};  // 77.999 ms
  const Durations longOne = {76'501, 500, 1000};   // 78.001 ms
  EXPECT_EQ(PlanCapture(shortOne, 38000, 33).repeat.gapUs, 30'001u);
  EXPECT_EQ(PlanCapture(longOne, 38000, 33).repeat.gapUs, 30'000u);
}

}  // namespace
}  // namespace ovalink::sim

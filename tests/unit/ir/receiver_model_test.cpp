#include "sim/ir/receiver_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "sim/ir/builtin_remotes.h"
#include "sim/ir/simulated_user.h"

namespace ovalink::sim {
namespace {

constexpr std::int64_t kMs = 1'000'000;
constexpr double kCharNs = 7.0 / 115200.0 * 1e9;  // 60 763.9 ns

Signal Marks(std::uint32_t carrierHz, std::initializer_list<std::uint32_t> durations) {
  Signal s(carrierHz);
  bool mark = true;
  for (std::uint32_t d : durations) {
    if (mark) {
      s.AddMark(d);
    } else {
      s.AddSpace(d);
    }
    mark = !mark;
  }
  return s;
}

std::vector<std::int64_t> Receive(const ReceiverParams& params, std::int64_t startNs,
                              const Signal& light, std::int64_t untilNs = 10'000 * kMs) {
  ReceiverModel model(params);
  model.Schedule(startNs, light);
  return model.Completions(untilNs);
}

// [start, end) of each mark, absolute ns.
std::vector<std::pair<std::int64_t, std::int64_t>> MarkSpans(std::int64_t startNs,
                                                             const Signal& light) {
  std::vector<std::pair<std::int64_t, std::int64_t>> spans;
  std::int64_t t = startNs;
  const auto& d = light.Durations();
  for (std::size_t i = 0; i < d.size(); ++i) {
    const std::int64_t next = t + std::int64_t(d[i]) * 1000;
    if (i % 2 == 0) spans.push_back({t, next});
    t = next;
  }
  return spans;
}

TEST(ReceiverModel, MarkAt38kHzCompletesACharacterEveryThreeCarrierCycles) {
  // 60.76 µs lies between two and three periods of 26.3 µs: after a character completes,
  // the third pulse from its start begins the next one.
  const auto done = Receive({}, 1 * kMs, Marks(38000, {560}));
  const double period = 1e9 / 38000;
  ASSERT_EQ(done.size(), 8u);
  for (std::size_t i = 0; i < done.size(); ++i) {
    EXPECT_EQ(done[i], std::llround(1e6 + double(i) * 3 * period + kCharNs)) << i;
  }
  EXPECT_GT(done.back(), 1 * kMs + 560'000) << "the last character completes after the mark";
}

TEST(ReceiverModel, CharacterUnderWayAtAShortSpaceSwallowsTheNextMarksFirstPulses) {
  // Marks of 100 µs around a 30 µs space at 38 kHz: the second character, begun at
  // 78.9 µs, runs until 139.7 µs, so the second mark's pulses at 130 µs are not seen and
  // the next character begins at its second pulse, 156.3 µs.
  const auto done = Receive({}, 0, Marks(38000, {100, 30, 100}));
  const double period = 1e9 / 38000;
  ASSERT_EQ(done.size(), 3u);
  EXPECT_EQ(done[1], std::llround(3 * period + kCharNs));
  EXPECT_EQ(done[2], std::llround(130'000 + period + kCharNs));
}

TEST(ReceiverModel, CharactersCompleteOnlyWhileAMarkIsSeenAndOneCharacterAfter) {
  const Remote nec = LoadRemote("builtin:nec");
  const Signal frame = PlanPress(nec, nec.keys[3], false).first[0].light;
  const auto done = Receive({}, 5 * kMs, frame);
  const auto spans = MarkSpans(5 * kMs, frame);
  std::size_t onMark = 0;
  for (std::int64_t t : done) {
    const bool inside = std::any_of(spans.begin(), spans.end(), [&](const auto& s) {
      return t >= s.first + std::int64_t(kCharNs) && t <= s.second + std::int64_t(kCharNs);
    });
    EXPECT_TRUE(inside) << t;
    onMark += inside;
  }
  // 9 ms leader: one character per three 26.3 µs cycles.
  const auto leader = std::count_if(done.begin(), done.end(),
                                    [&](std::int64_t t) { return t < spans[1].first; });
  EXPECT_EQ(leader, 114);
  // Every 560 µs mark brings 8 characters.
  EXPECT_EQ(done.size(), 114u + 33u * 8u);
}

TEST(ReceiverModel, CarrierOverrideAndUnmodulatedLight) {
  ReceiverParams p;
  p.carrierHz = 36000;  // 27.8 µs: still three cycles per character
  EXPECT_EQ(Receive(p, 0, Marks(38000, {889})).size(), 11u);
  EXPECT_EQ(Receive({}, 0, Marks(0, {9000, 4500, 560})).size(), 2u)
      << "without a carrier each mark is one rising edge";
}

class Impairments : public ::testing::Test {
 protected:
  Impairments() {
    const Remote nec = LoadRemote("builtin:nec");
    // A press held 0.4 s: frame and three repeat codes.
    light = PlanPress(nec, nec.keys[3], false).Expand(400'000);
    clean = Receive({}, kStart, light);
  }
  static constexpr std::int64_t kStart = 2 * kMs;
  Signal light;
  std::vector<std::int64_t> clean;
};

TEST_F(Impairments, AllZeroChangesNothingWhateverTheSeed) {
  ReceiverParams p;
  p.seed = 987654321;
  p.jitterUs = p.driftPercent = p.dropPercent = p.spuriousPerSecond = 0;
  EXPECT_EQ(Receive(p, kStart, light), clean);
  ReceiverModel model(p);
  model.Schedule(kStart, light);
  EXPECT_EQ(model.CompletedBy(2000 * kMs), clean.size());
}

TEST_F(Impairments, JitterMovesEachEdgeWithoutAccumulating) {
  ReceiverParams p;
  p.jitterUs = 40;
  const auto jittered = Receive(p, kStart, light);
  EXPECT_NE(jittered, clean);
  EXPECT_EQ(Receive(p, kStart, light), jittered) << "same seed, same characters";
  p.seed = 2;
  EXPECT_NE(Receive(p, kStart, light), jittered);

  // The first character of every mark, the last mark 0.35 s in included, stays within the
  // jitter (plus one carrier cycle of phase) of the clean one.
  const auto spans = MarkSpans(kStart, light);
  const double slack = 40'000 + 1e9 / 38000 + 1;
  auto firstAfter = [](const std::vector<std::int64_t>& v, std::int64_t t) {
    return *std::lower_bound(v.begin(), v.end(), t);
  };
  for (const auto& span : spans) {
    const std::int64_t from = span.first - 40'000 + std::int64_t(kCharNs) - 1;
    EXPECT_NEAR(double(firstAfter(jittered, from)), double(firstAfter(clean, from)), slack);
  }
  EXPECT_NEAR(double(jittered.size()), double(clean.size()), 0.05 * double(clean.size()));
}

TEST_F(Impairments, DriftScalesTheWholePressByOneFactor) {
  ReceiverParams p;
  p.driftPercent = 5;
  const double cleanSpan = double(clean.back() - clean.front());
  bool sawSlow = false, sawFast = false;
  for (std::uint64_t seed = 1; seed <= 8; ++seed) {
    p.seed = seed;
    const auto drifted = Receive(p, kStart, light);
    const double factor = double(drifted.back() - drifted.front()) / cleanSpan;
    EXPECT_GE(factor, 0.949);
    EXPECT_LE(factor, 1.051);
    sawSlow |= factor > 1.005;
    sawFast |= factor < 0.995;
    // One factor throughout: the third repeat code starts where the scaled grid says.
    const double leaderEnd = double(drifted[113] - drifted[0]) / double(clean[113] - clean[0]);
    EXPECT_NEAR(leaderEnd, factor, 0.01);
  }
  EXPECT_TRUE(sawSlow && sawFast);
}

TEST_F(Impairments, DroppedCharactersAreASubsetOfTheCleanOnes) {
  ReceiverParams p;
  p.dropPercent = 30;
  ReceiverModel model(p);
  model.Schedule(kStart, light);
  const auto kept = model.Completions(1000 * kMs);
  EXPECT_TRUE(std::includes(clean.begin(), clean.end(), kept.begin(), kept.end()))
      << "a lost character still kept the receiver busy, so the others keep their times";
  EXPECT_EQ(kept.size() + model.DroppedCharacters(), clean.size());
  EXPECT_NEAR(double(kept.size()) / double(clean.size()), 0.7, 0.08);
}

TEST_F(Impairments, WeakSignalSeesOnlyTheMiddleOfEachMark) {
  ReceiverParams p;
  p.markCoverage = 0.5;
  const auto weak = Receive(p, kStart, light);
  for (std::int64_t t : weak) {
    const auto spans = MarkSpans(kStart, light);
    const bool inMiddle = std::any_of(spans.begin(), spans.end(), [&](const auto& s) {
      const std::int64_t quarter = (s.second - s.first) / 4;
      return t >= s.first + quarter + std::int64_t(kCharNs) &&
             t <= s.second - quarter + std::int64_t(kCharNs) + 1;
    });
    EXPECT_TRUE(inMiddle) << t;
  }
  EXPECT_LT(weak.size(), clean.size() * 6 / 10);
  EXPECT_GT(weak.size(), clean.size() * 4 / 10);
  p.markCoverage = 0;
  EXPECT_TRUE(Receive(p, kStart, light).empty());
}

TEST(ReceiverModel, AmbientLightArrivesAtTheGivenRateWithoutARemote) {
  ReceiverParams p;
  p.spuriousPerSecond = 500;
  ReceiverModel model(p);
  const std::uint64_t inTwoSeconds = model.CompletedBy(2000 * kMs);
  EXPECT_NEAR(double(inTwoSeconds), 1000.0, 120.0);
  ReceiverModel again(p);
  for (std::int64_t t = 0; t <= 2000 * kMs; t += 7 * kMs) again.CompletedBy(t);
  EXPECT_EQ(again.CompletedBy(2000 * kMs), inTwoSeconds) << "independent of how it is polled";
  ReceiverModel dark{ReceiverParams{}};
  EXPECT_EQ(dark.CompletedBy(2000 * kMs), 0u);
}

TEST(ReceiverModel, LightScheduledWhileRunningIsSeenAndPastLightIsLost) {
  ReceiverModel model;
  const Signal mark = Marks(38000, {560});
  model.Schedule(1 * kMs, mark);
  EXPECT_EQ(model.CompletedBy(1 * kMs), 0u);
  EXPECT_EQ(model.CompletedBy(3 * kMs), 8u);
  model.Schedule(10 * kMs, mark);  // ahead of now
  model.Schedule(6 * kMs, mark);   // ahead of now, before the previous one
  EXPECT_EQ(model.CompletedBy(7 * kMs), 16u);
  EXPECT_EQ(model.CompletedBy(11 * kMs), 24u);
  // Begun 0.2 ms before the latest query: the two characters that would have completed by
  // then (at 60.8 and 139.7 µs) are lost.
  model.Schedule(11 * kMs - 200'000, mark);
  EXPECT_EQ(model.CompletedBy(12 * kMs), 24u + 6u);
}

TEST(ReceiverModel, ReleaseStopsRepeatsEvenAfterFramesWereMadeAhead) {
  const Remote nec = LoadRemote("builtin:nec");
  ReceiverModel model;
  const auto id = model.Schedule(0, Transmitter(nec).Press(3));
  EXPECT_EQ(model.FreeAtNs(id), ReceiverModel::kNotReleased);
  const auto ahead = model.Completions(500 * kMs);
  EXPECT_GT(ahead.back(), 432 * kMs) << "frames at 0, 108, 216, 324 and 432 ms made";
  model.Release(id, 250 * kMs);
  const auto kept = model.Completions(2000 * kMs);
  EXPECT_LT(kept.back(), 216 * kMs + 12 * kMs) << "the repeat begun at 216 ms is the last";
  EXPECT_GT(kept.back(), 216 * kMs + 11 * kMs);
  EXPECT_EQ(model.FreeAtNs(id), 324 * kMs);
}

TEST(SimulatedUser, TapsHoldsAndPressesFollowTheRemotesPace) {
  const Remote nec = LoadRemote("builtin:nec");
  ReceiverModel model;
  SimulatedUser user(nec, model);
  EXPECT_EQ(user.Tap("KEY_PLAY", 10 * kMs), 10 * kMs);
  EXPECT_EQ(user.FreeAtNs(), 118 * kMs);
  EXPECT_EQ(user.Tap("KEY_PLAY", 20 * kMs), 118 * kMs) << "waits for the remote";
  EXPECT_EQ(user.Hold(3, 500 * kMs, 300), 500 * kMs);
  EXPECT_EQ(user.FreeAtNs(), 500 * kMs + 3 * 108 * kMs);
  EXPECT_EQ(user.Press("KEY_OK", 2000 * kMs), 2000 * kMs);
  EXPECT_TRUE(user.Holding());
  EXPECT_EQ(user.FreeAtNs(), ReceiverModel::kNotReleased);
  user.Release(2100 * kMs);
  EXPECT_FALSE(user.Holding());
  EXPECT_EQ(user.FreeAtNs(), 2108 * kMs);
  EXPECT_THROW(user.Tap("KEY_POWER", 0), std::invalid_argument);

  // Leaders: 2 taps + 1 + 3 frames of the hold + 1 frame of the press.
  const auto done = model.Completions(3000 * kMs);
  std::size_t bursts = 0;
  for (std::size_t i = 0; i < done.size(); ++i) bursts += i == 0 || done[i] - done[i - 1] > 15 * kMs;
  EXPECT_EQ(bursts, 2u + 3u + 1u);
}

// Where the UART hunts for the next start bit, and whether a line still low then starts a
// character, decide how many characters a mark brings: at 36 kHz an RC6 half-bit of 444 us
// brings 6 characters one way and 8 the other.
TEST(ReceiverModel, HuntingVariantsSetTheCharacterRate) {
  ReceiverParams endIgnored;
  ReceiverParams middleLow;
  middleLow.huntAfterBits = 6.5;
  middleLow.lowLineStartsCharacter = true;
  EXPECT_EQ(Receive(endIgnored, 0, Marks(36000, {444})).size(), 6u);
  const auto fast = Receive(middleLow, 0, Marks(36000, {444}));
  ASSERT_EQ(fast.size(), 8u);
  EXPECT_NEAR(double(fast[1] - fast[0]), 6.5e9 / 115200, 1.0) << "each begins as hunting does";
  ReceiverParams middleIgnored;
  middleIgnored.huntAfterBits = 6.5;
  const auto middle = Receive(middleIgnored, 0, Marks(38000, {560}));
  const auto end = Receive(endIgnored, 0, Marks(38000, {560}));
  ASSERT_EQ(middle.size(), end.size()) << "at 38 kHz the next pulse comes after either moment";
  EXPECT_LT(middle[0], end[0]) << "but the character is reported earlier";
  ReceiverParams endLow;
  endLow.lowLineStartsCharacter = true;
  // At 38 kHz the third pulse (52.6 us) holds the line low until 61.3 us, past the end of
  // the stop bit: the next character starts there.
  const auto endLowDone = Receive(endLow, 0, Marks(38000, {560}));
  ASSERT_GE(endLowDone.size(), 2u);
  EXPECT_NEAR(double(endLowDone[1] - endLowDone[0]), kCharNs, 1.0);
}

TEST(ReceiverModel, RealisticProfileRunsTheRemoteOffByAFixedHalfToOnePercent) {
  const Remote nec = LoadRemote("builtin:nec");
  const Signal frame = PlanPress(nec, nec.keys[3], false).first[0].light;
  const auto exact = Receive({}, 0, frame);
  bool sawSlow = false, sawFast = false;
  for (std::uint64_t seed = 1; seed <= 6; ++seed) {
    const ReceiverParams p = RealisticReceiver(seed);
    EXPECT_EQ(p.seed, seed);
    EXPECT_GE(std::abs(p.clockOffsetPercent), 0.5);
    EXPECT_LE(std::abs(p.clockOffsetPercent), 1.0);
    EXPECT_GT(p.preemptionsPerSecond, 0.0);
    EXPECT_EQ(p.jitterUs + p.dropPercent + p.spuriousPerSecond, 0.0) << "no impairment";
    sawSlow |= p.clockOffsetPercent > 0;
    sawFast |= p.clockOffsetPercent < 0;
    // Every press of the run is off by the same factor.
    ReceiverModel model(p);
    model.Schedule(0, frame);
    model.Schedule(200 * kMs, frame);
    const auto done = model.Completions(1000 * kMs);
    const auto second = std::find_if(done.begin(), done.end(),
                                     [](std::int64_t t) { return t >= 200 * kMs; });
    ASSERT_EQ(second - done.begin(), done.end() - second);
    const double firstSpan = double(*(second - 1) - done.front());
    EXPECT_NEAR(firstSpan / double(exact.back() - exact.front()), 1 + p.clockOffsetPercent / 100,
                0.001);
    EXPECT_NEAR(firstSpan, double(done.back() - *second), 2000.0);
  }
  EXPECT_TRUE(sawSlow && sawFast);
  EXPECT_EQ(RealisticReceiver(3).clockOffsetPercent, RealisticReceiver(3).clockOffsetPercent);
}

}  // namespace
}  // namespace ovalink::sim

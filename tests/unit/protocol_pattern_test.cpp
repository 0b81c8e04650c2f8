// What the capture makes of each built-in remote's light: the thresholded pattern of five
// accumulated trains is active where the protocol's marks are and quiet in its spaces.

#include <gtest/gtest.h>

#include "engine/rc_listener.h"
#include "sim/ir/builtin_remotes.h"
#include "sim/ir/receiver_model.h"
#include "sim/ir/simulated_user.h"
#include "sim/ir/synthesis.h"
#include "support/engine_fixture.h"

namespace ovalink {
namespace {

struct Capture {
  int accepted = 0;
  SlotPattern pattern{};
};

// Holds key `key` (or taps it sharply, eight times: a tap the poll misses is lost) and captures five trains, as one training
// pattern is captured.
Capture CapturePattern(const sim::Remote& remote, std::size_t key, bool taps = false) {
  test::SimulatedPc pc;
  sim::ReceiverModel receiver;
  pc.uart.SetReceiverInput(&receiver);
  test::LevelRecordingListener listener(pc.Services());
  listener.SetBase(test::SimulatedPc::kBase);
  sim::SimulatedUser user(remote, receiver);
  if (taps) {
    std::int64_t at = 0;
    for (int i = 0; i < 8; ++i) at = user.Tap(key, at) + 300 * test::SimulatedPc::kMs;
  } else {
    user.Hold(key, 0, 2000);
  }
  SlotHistogram histogram{};
  Capture capture;
  capture.accepted = listener.CaptureTrains(histogram, 5, 0, 1);
  capture.pattern = thresholdPattern(histogram, 2);
  return capture;
}

// Marks of the frame that the recorded trains hold (the first frame goes to the probe), as
// [start, end) in microseconds from the first mark's start.
std::vector<std::pair<double, double>> RecordedMarks(const sim::Remote& remote, std::size_t key) {
  const sim::PressPlan plan = sim::PlanPress(remote, remote.keys[key], false);
  const std::vector<std::uint32_t>& durations = plan.FrameAt(1).light.Durations();
  std::vector<std::pair<double, double>> marks;
  double at = 0;
  for (std::size_t i = 0; i < durations.size(); ++i) {
    if (i % 2 == 0) marks.push_back({at, at + durations[i]});
    at += durations[i];
  }
  return marks;
}

class ProtocolPatternTest : public ::testing::TestWithParam<std::string_view> {};

TEST_P(ProtocolPatternTest, PatternFollowsTheProtocolsMarks) {
  const sim::Remote remote = sim::LoadRemote(std::string(GetParam()));
  const std::size_t key = 14;  // KEY_OK
  const Capture capture = CapturePattern(remote, key);
  ASSERT_EQ(capture.accepted, 5);
  const auto marks = RecordedMarks(remote, key);
  // Slot i spans [100 i, 100 i + 100) us of train time. Allow one slot either side of every
  // edge for the character time and the poll.
  int checkedActive = 0, checkedQuiet = 0;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const double from = slot * 100.0, to = from + 100.0;
    bool insideMark = false, nearMark = false;
    for (auto [start, end] : marks) {
      insideMark |= from >= start + 100 && to <= end - 100;
      nearMark |= to > start - 100 && from < end + 200;
    }
    if (insideMark) {
      EXPECT_EQ(capture.pattern[std::size_t(slot)], 1) << GetParam() << " slot " << slot;
      ++checkedActive;
    } else if (!nearMark) {
      EXPECT_EQ(capture.pattern[std::size_t(slot)], 0) << GetParam() << " slot " << slot;
      ++checkedQuiet;
    }
  }
  EXPECT_GT(checkedActive, 0);
  EXPECT_GT(checkedQuiet, 0);
}

TEST_P(ProtocolPatternTest, TwoKeysGiveDifferentPatterns) {
  const sim::Remote remote = sim::LoadRemote(std::string(GetParam()));
  // Sharp presses carry the key on every remote, also where all keys share a repeat frame.
  const Capture ok = CapturePattern(remote, 14, true);
  const Capture play = CapturePattern(remote, 3, true);
  ASSERT_EQ(ok.accepted, 5);
  ASSERT_EQ(play.accepted, 5);
  EXPECT_FALSE(patternsEqual(ok.pattern, play.pattern));
}

TEST(ProtocolPatternNecTest, LeaderFillsTheFirstNineMilliseconds) {
  const Capture capture = CapturePattern(sim::LoadRemote("builtin:nec"), 14);
  for (int slot = 0; slot < 89; ++slot) EXPECT_EQ(capture.pattern[std::size_t(slot)], 1) << slot;
  for (int slot = 92; slot < 110; ++slot) EXPECT_EQ(capture.pattern[std::size_t(slot)], 0) << slot;
}

INSTANTIATE_TEST_SUITE_P(BuiltinRemotes, ProtocolPatternTest,
                         ::testing::Values("builtin:nec", "builtin:rc5", "builtin:rc6",
                                           "builtin:rc6-mce", "builtin:sony12", "builtin:sony15",
                                           "builtin:jvc", "builtin:samsung32", "builtin:sharp",
                                           "builtin:panasonic"),
                         [](const auto& info) {
                           std::string name(info.param.substr(8));
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

}  // namespace
}  // namespace ovalink

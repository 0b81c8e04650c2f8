// The receiver model behind the simulated UART, polled by Port as the capture polls it.

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "port/port.h"
#include "sim/ir/builtin_remotes.h"
#include "sim/ir/receiver_model.h"
#include "sim/ir/simulated_user.h"
#include "sim/simulated_pc.h"

namespace ovalink::sim {
namespace {

constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kCharNs = 60'764;

class PolledReceiver : public ::testing::Test {
 protected:
  PolledReceiver() {
    pc.uart.SetReceiverInput(&model);
    port.emplace(pc.bus);
    port->SetBase(SimulatedPc::kBase);
  }

  // Virtual times of the polls that saw activity, polling flat out until `untilNs`.
  std::vector<std::int64_t> PollUntil(std::int64_t untilNs, int* overruns = nullptr) {
    std::vector<std::int64_t> active;
    while (clock.NowNs() < untilNs) {
      const int status = port->PollReceiver();
      if (status != 0) active.push_back(clock.NowNs());
      if (overruns && (status & SimUart::kOverrun)) ++*overruns;
    }
    return active;
  }

  SimulatedPc pc;
  VirtualClock& clock = pc.clock;
  ReceiverModel model;
  std::optional<Port> port;
};

TEST_F(PolledReceiver, ActivityComesExactlyDuringMarksOneCharacterLate) {
  const Remote nec = LoadRemote("builtin:nec");
  SimulatedUser user(nec, model);
  const std::int64_t start = clock.NowNs() + 20 * kMs;
  user.Hold("KEY_PLAY", start, 150);  // the frame and one repeat code

  const PressPlan plan = PlanPress(nec, *nec.FindKey("KEY_PLAY"), false);
  const Signal light = plan.Expand(150'000);
  std::vector<std::pair<std::int64_t, std::int64_t>> marks;
  std::int64_t t = start;
  for (std::size_t i = 0; i < light.Durations().size(); ++i) {
    const std::int64_t next = t + std::int64_t(light.Durations()[i]) * 1000;
    if (i % 2 == 0) marks.push_back({t, next});
    t = next;
  }

  int overruns = 0;
  const auto active = PollUntil(start + 300 * kMs, &overruns);
  EXPECT_EQ(overruns, 0) << "a poll every few µs reads each character in time";
  std::vector<int> perMark(marks.size(), 0);
  for (std::int64_t a : active) {
    bool found = false;
    for (std::size_t m = 0; m < marks.size(); ++m) {
      // An active poll reads the status within a poll's few accesses of the completion.
      if (a >= marks[m].first + kCharNs && a <= marks[m].second + kCharNs + 10'000) {
        ++perMark[m];
        found = true;
      }
    }
    EXPECT_TRUE(found) << "activity outside every mark at " << a - start << " ns";
  }
  for (std::size_t m = 0; m < marks.size(); ++m) EXPECT_GE(perMark[m], 1) << "mark " << m;
  EXPECT_EQ(perMark.front(), 114) << "the 9 ms leader";
  EXPECT_EQ(perMark[1], 8) << "a 560 µs bit mark";
  EXPECT_EQ(active.size(), model.CompletedBy(clock.NowNs()))
      << "every character the receiver completed is one active poll";
}

TEST_F(PolledReceiver, SlowPollingSeesOverrunsAsTheUartWould) {
  SimulatedUser user(LoadRemote("builtin:rc5"), model);
  user.Tap("KEY_OK", 5 * kMs);
  int overruns = 0;
  int active = 0;
  // Polls 0.2 ms apart: several characters complete between two reads.
  while (clock.NowNs() < 40 * kMs) {
    const int status = port->PollReceiver();
    active += status != 0;
    overruns += (status & SimUart::kOverrun) != 0;
    clock.Advance(200'000);
  }
  EXPECT_GT(overruns, 0);
  EXPECT_LT(std::uint64_t(active), model.CompletedBy(clock.NowNs()));
}

TEST_F(PolledReceiver, PressScheduledFromThePromptWhileTheLoopRuns) {
  SimulatedUser user(LoadRemote("builtin:sony12"), model);
  // Nothing scheduled: the line stays quiet.
  EXPECT_TRUE(PollUntil(10 * kMs).empty());
  // A user who reacts now presses 5 ms ahead of virtual time.
  user.Tap("KEY_1", clock.NowNs() + 5 * kMs);
  const auto active = PollUntil(200 * kMs);
  ASSERT_FALSE(active.empty());
  EXPECT_GE(active.front(), 15 * kMs + kCharNs);
  // Three frames, 45 ms apart.
  int bursts = 0;
  for (std::size_t i = 0; i < active.size(); ++i) {
    bursts += i == 0 || active[i] - active[i - 1] > 15 * kMs;
  }
  EXPECT_EQ(bursts, 3);
}

// Pre-emptions stop the polls only while the thread records at time-critical priority.
TEST(VirtualClockPreemption, StallsOnlyTimeCriticalPollingAtTheGivenRate) {
  SimulatedPc pc;
  pc.clock.SetPreemptions(100.0, 20.0, 300.0, 7);
  const auto pollFor = [&](std::int64_t ns) {
    const std::int64_t end = pc.clock.NowNs() + ns;
    std::int64_t longest = 0;
    while (pc.clock.NowNs() < end) {
      const std::int64_t before = pc.clock.NowNs();
      pc.bus.ReadByte(SimulatedPc::kBase + 5);
      longest = std::max(longest, pc.clock.NowNs() - before);
    }
    return longest;
  };
  pollFor(1000 * kMs);
  EXPECT_EQ(pc.clock.Preemptions(), 0u) << "normal priority";
  pc.clock.RaiseToTimeCritical();
  const std::int64_t longest = pollFor(2000 * kMs);
  EXPECT_NEAR(double(pc.clock.Preemptions()), 200.0, 45.0);
  EXPECT_LE(longest, 301'000);
  EXPECT_GE(longest, 200'000) << "two hundred stalls of 20-300 us include long ones";
}

}  // namespace
}  // namespace ovalink::sim

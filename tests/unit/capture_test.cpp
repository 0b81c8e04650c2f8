#include <gtest/gtest.h>

#include <numeric>
#include <utility>

#include "engine/rc_listener.h"
#include "support/engine_fixture.h"

namespace ovalink {
namespace {

using test::SimulatedPc;
constexpr std::int64_t kMs = SimulatedPc::kMs;
constexpr std::int64_t kUs = SimulatedPc::kUs;
// Line status read, and the register sequence around it, while nothing arrives.
constexpr std::uint64_t kAccessesPerIdlePoll = 3;

// A PC and an engine of their own, for a case that needs a fresh clock and receiver.
struct FreshCapture {
  FreshCapture() { engine.SetBase(SimulatedPc::kBase); }
  // How many trains were captured, and how many times they put in the histogram.
  std::pair<int, unsigned> Capture(int trains) {
    SlotHistogram captured{};
    const int count = engine.CaptureTrains(captured, trains, 0, 1);
    return {count, std::accumulate(captured.begin(), captured.end(), 0u)};
  }
  SimulatedPc pc;
  test::LevelRecordingListener engine{pc.Services()};
};

class CaptureTest : public ::testing::Test {
 protected:
  CaptureTest() : engine(pc.Services()) { engine.SetBase(SimulatedPc::kBase); }

  unsigned HistogramSum() const {
    return std::accumulate(histogram.begin(), histogram.end(), 0u);
  }
  std::vector<std::uintptr_t> Levels() { return engine.levels; }

  SimulatedPc pc;
  test::LevelRecordingListener engine;
  SlotHistogram histogram{};
};

TEST_F(CaptureTest, ProbeNeedsMoreThanMinReadsTimes) {
  // The poll that notices the remote takes the first character; the probe records the rest.
  pc.input.AddBurst(0, 1 + 10, 100 * kUs);
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 0);
  EXPECT_EQ(HistogramSum(), 0u) << "probe times never reach the histogram";
  EXPECT_GT(pc.clock.NowNs(), 500 * kMs);
  EXPECT_LT(pc.clock.NowNs(), 560 * kMs);
}

// Exactly MinReads times in the probe are too few; one more proves a remote.
TEST_F(CaptureTest, ProbeBoundaryLiesJustAboveMinReads) {
  for (const int probed : {10, 11}) {
    SlotHistogram captured{};
    const std::int64_t start = pc.clock.NowNs() + 1000 * kMs;
    pc.clock.Advance(start - pc.clock.NowNs());
    pc.input.AddBurst(start, 1 + probed, 100 * kUs);
    pc.input.AddBurst(start + 20 * kMs, 12, 100 * kUs);
    EXPECT_EQ(engine.CaptureTrains(captured, 1, 0, 1), probed > 10 ? 1 : 0) << probed;
  }
}

TEST_F(CaptureTest, RecordedTrainWithExactlyMinReadsTimesIsAccepted) {
  pc.input.AddBurst(0, 1 + 11, 100 * kUs);
  pc.input.AddBurst(20 * kMs, 10, 100 * kUs);
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 1);
  EXPECT_EQ(HistogramSum(), 10u);
  EXPECT_GE(histogram[0], 1);
  for (int i = 10; i < kSlotCount; ++i) ASSERT_EQ(histogram[i], 0) << "slot " << i;
}

TEST_F(CaptureTest, ShortTrainEndsCaptureWithLevelZero) {
  pc.input.AddBurst(0, 12, 100 * kUs);
  pc.input.AddBurst(20 * kMs, 20, 100 * kUs);
  pc.input.AddBurst(60 * kMs, 9, 100 * kUs);
  EXPECT_EQ(engine.CaptureTrains(histogram, 3, 0, 1), 1);
  EXPECT_EQ(Levels(), std::vector<std::uintptr_t>{0});
  EXPECT_EQ(HistogramSum(), 20u);
}

TEST_F(CaptureTest, NoActivityReturnsZeroAfterHalfASecond) {
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 0);
  EXPECT_GT(pc.clock.NowNs(), 500 * kMs);
  EXPECT_LT(pc.clock.NowNs(), 560 * kMs);
  engine.SetBase(0);
  const auto accesses = pc.bus.Accesses();
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 0);
  EXPECT_EQ(pc.bus.Accesses(), accesses) << "without a port nothing is touched";
}

TEST_F(CaptureTest, NonPositiveTrainCountReturnsAfterProbeWithoutRecording) {
  pc.input.AddBurst(0, 12, 100 * kUs);
  pc.input.AddBurst(20 * kMs, 30, 100 * kUs);
  EXPECT_EQ(engine.CaptureTrains(histogram, 0, 0, 1), 0);
  EXPECT_LT(pc.clock.NowNs(), 20 * kMs) << "returned before the next train came";
  EXPECT_EQ(HistogramSum(), 0u);
}

TEST_F(CaptureTest, TrainingCountPostsProgressInFifths) {
  pc.input.AddBurst(0, 12, 100 * kUs);
  for (int i = 0; i < 5; ++i) pc.input.AddBurst((20 + 40 * i) * kMs, 20, 100 * kUs);
  EXPECT_EQ(engine.CaptureTrains(histogram, engine.CodeCount(), 0, 1), 5);
  EXPECT_EQ(Levels(), (std::vector<std::uintptr_t>{20, 40, 60, 80, 100}));
  EXPECT_GE(histogram[0], 5) << "every train is aligned on its own first event";
  EXPECT_EQ(histogram[25], 0) << "20 characters 0.1 ms apart end near 2 ms";
  EXPECT_EQ(HistogramSum(), 100u);
  EXPECT_FALSE(pc.clock.IsTimeCritical());
  EXPECT_EQ(pc.clock.PriorityRaises(), 5);
}

TEST_F(CaptureTest, RecognitionCountPostsNoProgress) {
  pc.input.AddBurst(0, 12, 100 * kUs);
  pc.input.AddBurst(20 * kMs, 20, 100 * kUs);
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 1);
  EXPECT_TRUE(Levels().empty());
}

// The probe waits 10 ms for the character after the one the poll took: 9.95 ms later it
// proves a remote, 10.05 ms later it is refused (and the ten characters after that are too few).
TEST_F(CaptureTest, ProbeWaitsTenMillisecondsForItsFirstTime) {
  for (const std::int64_t afterUs : {9'950, 10'050}) {
    FreshCapture fresh;
    fresh.pc.input.AddBurst(0, 1, 100 * kUs);
    fresh.pc.input.AddBurst(afterUs * kUs, 11, 100 * kUs);
    fresh.pc.input.AddBurst(40 * kMs, 12, 100 * kUs);
    EXPECT_EQ(fresh.Capture(1).first, afterUs < 10'000 ? 1 : 0) << afterUs;
  }
}

// A silence of 15 ms ends a train: 14.95 ms keeps two bursts one train, 15.05 ms does not.
TEST_F(CaptureTest, ASilenceOfFifteenMillisecondsEndsATrain) {
  for (const std::int64_t silenceUs : {14'950, 15'050}) {
    FreshCapture fresh;
    fresh.pc.input.AddBurst(0, 12, 100 * kUs);
    fresh.pc.input.AddBurst(20 * kMs, 20, 100 * kUs);  // its last character at 21.9 ms
    fresh.pc.input.AddBurst(21'900 * kUs + silenceUs * kUs, 20, 100 * kUs);
    const auto [trains, times] = fresh.Capture(1);
    ASSERT_EQ(trains, 1) << silenceUs;
    EXPECT_EQ(times, silenceUs < 15'000 ? 40u : 20u) << silenceUs;
  }
}

TEST_F(CaptureTest, TrainStartingAfterItsWindowIsRejected) {
  pc.input.AddBurst(0, 12, 100 * kUs);
  pc.input.AddBurst(1500 * kMs, 30, 100 * kUs);
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 0);
  EXPECT_EQ(Levels(), std::vector<std::uintptr_t>{0});
  EXPECT_LT(pc.clock.NowNs(), 1100 * kMs);
}

TEST_F(CaptureTest, TrainEndsAtItsThousandAndFirstTimeAndTheNextStartsAtOnce) {
  pc.input.AddBurst(0, 12, 100 * kUs);
  // One unbroken stream of 2100 characters, 40 us apart.
  pc.input.AddBurst(20 * kMs, 2100, 40 * kUs);
  EXPECT_EQ(engine.CaptureTrains(histogram, 2, 0, 1), 2);
  EXPECT_EQ(HistogramSum(), 2002u) << "two trains of 1001 times, all within 100 ms";
}

TEST_F(CaptureTest, SlotsCoverTheFirstHundredMilliseconds) {
  SlotHistogram h{};
  EXPECT_EQ(RCListener::AddToHistogram(h, 0.0), 0);
  EXPECT_EQ(RCListener::AddToHistogram(h, 0.55), 0);
  EXPECT_EQ(RCListener::AddToHistogram(h, 9.03), 0);
  EXPECT_EQ(RCListener::AddToHistogram(h, 99.95), 0);
  EXPECT_EQ(RCListener::AddToHistogram(h, 100.05), 1);
  EXPECT_EQ(RCListener::AddToHistogram(h, 100.2), 1);
  EXPECT_EQ(RCListener::AddToHistogram(h, -0.5), 1);
  EXPECT_EQ(RCListener::AddToHistogram(h, 1e300), 1);
  EXPECT_EQ(h[0], 1);
  EXPECT_EQ(h[5], 1);
  EXPECT_EQ(h[90], 1);
  EXPECT_EQ(h[999], 1);
  for (int i = 0; i < 256; ++i) RCListener::AddToHistogram(h, 0.01);
  EXPECT_EQ(h[0], 1) << "counters wrap at 256";
}

// A remote whose frames come a little more than three idle polls apart: the first poll meets
// the end of a frame, and with 30 ms sleeps every poll after it would meet the next frame's
// end too. A refused probe has the frames after it watched for closely instead.
TEST_F(CaptureTest, FramesAfterARefusedProbeAreWatchedForClosely) {
  pc.input.AddBurst(0, 1 + 5, 100 * kUs);                 // the tail of a frame: refused
  pc.input.AddBurst(80 * kMs, 40, 500 * kUs);             // 80-100 ms
  pc.input.AddBurst(186 * kMs + 700 * kUs, 40, 500 * kUs);
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 1);
  EXPECT_EQ(HistogramSum(), 40u) << "the probe took the second frame, the train the third";
  EXPECT_LT(pc.clock.NowNs(), 230 * kMs);
}

// The close watch lasts 150 ms from the end of the refused probe, which comes 15 ms after its
// last character (at 0.5 ms). A 3 ms frame that starts within it is met while it lasts and
// proves the remote, so the frame after it is recorded; one that starts later falls between
// two idle polls, leaves only its latched status, and the frame after it is probed instead.
TEST(CloseWatchTest, AShortFrameIsMetWhileTheWatchLastsAndMissedAfter) {
  for (const std::int64_t atUs : {165'400, 166'400}) {
    FreshCapture fresh;
    fresh.pc.input.AddBurst(0, 1 + 5, 100 * kUs);  // the tail of a frame: refused
    fresh.pc.input.AddBurst(atUs * kUs, 31, 100 * kUs);
    fresh.pc.input.AddBurst((atUs + 40'000) * kUs, 40, 100 * kUs);
    const auto [trains, times] = fresh.Capture(1);
    EXPECT_EQ(trains, atUs < 166'000 ? 1 : 0) << atUs << " us";
  }
}

// The close watch lasts a frame period: a stray event does not keep the poll busy.
TEST_F(CaptureTest, CloseWatchEndsAfterAFramePeriod) {
  pc.input.AddBurst(0, 1, 100 * kUs);
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 0);
  const auto afterFirstWait = pc.bus.Accesses();
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 0);
  const auto quietWait = pc.bus.Accesses() - afterFirstWait;
  EXPECT_LT(quietWait * 5, afterFirstWait) << "a quiet wait polls every 30 ms again";
}

// Waiting costs one poll per idle sleep: 10 ms, so that a frame of 10 ms or more is met
// while it lasts instead of leaving only a latched status behind.
TEST_F(CaptureTest, QuietWaitPollsEveryTenMilliseconds) {
  const auto before = pc.bus.Accesses();
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 0);
  const auto polls = (pc.bus.Accesses() - before) / kAccessesPerIdlePoll;
  // 0.5 s of waiting: 51 polls at 10 ms, 46 at 11 ms, 56 at 9 ms.
  EXPECT_GE(polls, 49u);
  EXPECT_LE(polls, 53u);
}

// Between idle polls the worker sleeps: a quiet wait keeps the processor awake for its polls
// alone (three port accesses each), well under a thousandth of the time.
TEST_F(CaptureTest, QuietWaitSleepsAllButItsPolls) {
  const std::int64_t from = pc.clock.NowNs();
  const std::int64_t sleptBefore = pc.clock.SleptNs();
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 0);
  const std::int64_t elapsed = pc.clock.NowNs() - from;
  const std::int64_t awake = elapsed - (pc.clock.SleptNs() - sleptBefore);
  EXPECT_GT(awake, 0);
  EXPECT_LT(awake * 1000, elapsed);
}

// Short frames far apart (a set-top box: 6 ms every 104 ms). A poll that comes after a frame
// has ended finds only the status it latched; that is still the remote, so the silence
// before the next probe is measured from it and a held key stays one press.
TEST_F(CaptureTest, LatchedStatusOfAFrameThatEndedCountsAsTheRemoteHeard) {
  for (int k = 0; k < 5; ++k) pc.input.AddBurst(k * 104 * kMs, 30, 200 * kUs);
  ASSERT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 1) << "probe frame 0, record frame 1";
  histogram = {};
  ASSERT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 1);
  const std::int64_t frequency = engine.TheClock().Frequency();
  EXPECT_LT(engine.SilenceBeforeTicks(), 150 * frequency / 1000)
      << "measured from the latched status, not from the last frame recorded";
}

TEST_F(CaptureTest, EvenTrainsCanBeKeptApart) {
  pc.input.AddBurst(0, 12, 100 * kUs);
  for (int i = 0; i < 5; ++i) pc.input.AddBurst((20 + 40 * i) * kMs, 20 + i, 100 * kUs);
  SlotHistogram even{};
  EXPECT_EQ(engine.CaptureTrains(histogram, 5, 0, 1, &even), 5);
  EXPECT_EQ(HistogramSum(), 20u + 22 + 24);
  EXPECT_EQ(std::accumulate(even.begin(), even.end(), 0u), 21u + 23);
}

// Frames of `chars` characters 0.1 ms apart, `gapUs` apart, from 20 ms on for 1.2 s: a held
// key whose frames come too close together for the silence that ends a train.
void AddCloseFrames(test::ScriptedInput& input, std::int64_t gapUs, int chars = 200) {
  input.AddBurst(0, 12, 100 * kUs);
  for (std::int64_t at = 20 * kMs; at < 1220 * kMs; at += (chars - 1) * 100 * kUs + gapUs * kUs) {
    input.AddBurst(at, chars, 100 * kUs);
  }
}

// Past the histogram's span a 10 ms silence ends the train, so every train starts with a
// frame, and only that frame is counted; a shorter silence lets the frames run on to the
// size limit as before.
TEST_F(CaptureTest, FramesTooCloseToEndATrainAreCountedOneFrameEach) {
  AddCloseFrames(pc.input, 10'200);
  EXPECT_EQ(engine.CaptureTrains(histogram, 2, 0, 1), 2);
  EXPECT_EQ(HistogramSum(), 400u) << "each train starts with a frame and counts it alone";
  for (int i = 201; i < kSlotCount; ++i) ASSERT_EQ(histogram[i], 0) << "slot " << i;

  FreshCapture closer;
  AddCloseFrames(closer.pc.input, 9'800);
  const auto [trains, times] = closer.Capture(2);
  EXPECT_EQ(trains, 2);
  EXPECT_GT(times, 1000u) << "frames 9.8 ms apart stay one train, counted over its first 100 ms";
}

// 60 ms frames: the 1001st time comes 40 ms into the second frame, past the span. The train
// runs on to that frame's end, or the next would start inside it.
TEST_F(CaptureTest, TrainFullPastTheSpanRunsOnToItsFrameEnd) {
  AddCloseFrames(pc.input, 12'000, 600);
  EXPECT_EQ(engine.CaptureTrains(histogram, 2, 0, 1), 2);
  EXPECT_EQ(HistogramSum(), 1200u) << "each train starts with a whole frame";
}

// A stream without a silence, full past the span, ends all the same: after as many times again.
TEST_F(CaptureTest, StreamWithoutEndStopsAfterTwiceTheSizeLimit) {
  pc.input.AddBurst(0, 12, 100 * kUs);
  pc.input.AddBurst(20 * kMs, 4000, 120 * kUs);  // the 2002nd character at 260.12 ms
  EXPECT_EQ(engine.CaptureTrains(histogram, 1, 0, 1), 1);
  EXPECT_GE(pc.clock.NowNs(), 260 * kMs + 100 * kUs);
  EXPECT_LT(pc.clock.NowNs(), 260 * kMs + 240 * kUs) << "not one character more";
}

TEST(CountedTimesTest, OnlyATrainThatOutranTheSpanIsCutAtItsFirstFrameSilence) {
  // Frames of 21 times 1 ms apart, then `gap` ms of silence, up to `last` ms.
  const auto train = [](double gap, double last) {
    std::vector<double> times;
    for (double start = 0; start <= last; start += 20 + gap) {
      for (int i = 0; i <= 20 && start + i <= last; ++i) times.push_back(start + i);
    }
    if (times.back() != last) times.push_back(last);
    return times;
  };
  EXPECT_EQ(RCListener::CountedTimes(train(10.0, 120.0)), 21u);
  const auto shorterGap = train(9.75, 120.0);
  EXPECT_EQ(RCListener::CountedTimes(shorterGap), shorterGap.size());
  const auto withinSpan = train(12.0, 99.75);
  EXPECT_EQ(RCListener::CountedTimes(withinSpan), withinSpan.size());
  EXPECT_EQ(RCListener::CountedTimes(train(12.0, 100.0)), 21u);
  EXPECT_EQ(RCListener::CountedTimes({}), 0u);
}

// Fails every port access once virtual time passes a point, as a withdrawn driver would.
class FaultAfter : public sim::ReceiverInput {
 public:
  FaultAfter(test::ScriptedInput& inner, std::int64_t atNs) : inner_(inner), atNs_(atNs) {}
  std::uint64_t CompletedBy(std::int64_t nowNs) override {
    if (nowNs > atNs_) throw PortAccessFault();
    return inner_.CompletedBy(nowNs);
  }

 private:
  test::ScriptedInput& inner_;
  std::int64_t atNs_;
};

TEST_F(CaptureTest, NormalPriorityIsRestoredWhenAPortFaultEscapesMidTrain) {
  FaultAfter faulty(pc.input, 25 * kMs);
  pc.uart.SetReceiverInput(&faulty);
  pc.input.AddBurst(0, 12, 100 * kUs);
  pc.input.AddBurst(20 * kMs, 200, 100 * kUs);
  EXPECT_THROW(engine.CaptureTrains(histogram, 1, 0, 1), PortAccessFault);
  EXPECT_EQ(pc.clock.PriorityRaises(), 1);
  EXPECT_FALSE(pc.clock.IsTimeCritical());
}

}  // namespace
}  // namespace ovalink

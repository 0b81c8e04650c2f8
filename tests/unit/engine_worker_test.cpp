#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <set>
#include <stdexcept>
#include <thread>
#include <utility>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/rc_engine.h"
#include "support/engine_fixture.h"

namespace ovalink {
namespace {

using namespace std::chrono_literals;
using test::SimulatedPc;

constexpr WindowHandle kWindow = 0x1234;

// Worker doubles: scripted press values, and a training run the test controls.
class FakeTasks : public WorkerTasks {
 public:
  explicit FakeTasks(RCEngine& engine) : engine_(engine) {}

  std::uint16_t Recognise() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      listeningThreads_.insert(std::this_thread::get_id());
      if (!values_.empty()) {
        const std::uint16_t value = values_.front();
        values_.pop_front();
        return value;
      }
    }
    std::this_thread::sleep_for(1ms);
    return kNoPress;
  }

  int TrainButton(int button) override {
    trainedButton = button;
    trainingStarted = true;
    ++runs;
    // Runs until released, or (if told to) until the engine asks the worker to stop.
    while (!release.load() && !(endOnStop.load() && engine_.StopRequested())) {
      std::this_thread::sleep_for(1ms);
    }
    if (faults.load() > 0) {
      --faults;
      throw std::runtime_error("port access lost");
    }
    return result.load();
  }

  void Queue(std::initializer_list<std::uint16_t> values) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_.insert(values_.end(), values);
  }
  std::size_t ListeningThreadCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return listeningThreads_.size();
  }

  std::atomic<int> trainedButton{-1};
  std::atomic<bool> trainingStarted{false};
  std::atomic<bool> release{false};
  std::atomic<bool> endOnStop{false};
  std::atomic<int> result{TrainedAlternating};
  std::atomic<int> faults{0};  // runs that end in a port fault instead of a result
  std::atomic<int> runs{0};

 private:
  RCEngine& engine_;
  std::mutex mutex_;
  std::deque<std::uint16_t> values_;
  std::set<std::thread::id> listeningThreads_;
};

std::atomic<int> g_forcedTerminations{0};
bool RecordForcedTermination(std::thread&) {
  ++g_forcedTerminations;
  return false;
}

class EngineWorkerTest : public ::testing::Test {
 protected:
  EngineWorkerTest() : engine(pc.Services()), tasks(engine) {
    engine.SetWorkerTasks(&tasks);
    g_forcedTerminations = 0;
    engine.SetForceTerminate(&RecordForcedTermination);
  }
  ~EngineWorkerTest() override { engine.Stop(); }

  bool WaitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 5000 && !condition(); ++i) std::this_thread::sleep_for(1ms);
    return condition();
  }

  SimulatedPc pc;
  RCEngine engine;
  FakeTasks tasks;
};

TEST(EngineConstructionTest, ReadsTuningValuesAndWritesMissingOnesBack) {
  SimulatedPc pc;
  {
    RegKey settings(RegRoot::CurrentUser, kSettingsKey);
    settings.WriteString("CodeCount", "7");
    settings.WriteDword("Limit", 3);
  }
  RCEngine engine(pc.Services());
  EXPECT_EQ(engine.MinReads(), 10);
  EXPECT_EQ(engine.CodeCount(), 5) << "a value of the wrong type is rewritten with its default";
  EXPECT_EQ(engine.Limit(), 3);
  RegKey settings(RegRoot::CurrentUser, kSettingsKey);
  EXPECT_EQ(settings.ReadDword("MinReads", 0), 10u);
  EXPECT_EQ(settings.ReadDword("CodeCount", 0), 5u);
  EXPECT_EQ(engine.Mode(), Stopped);
  EXPECT_EQ(engine.LastCode(), kNoPress);
  EXPECT_EQ(engine.LastRecognitionTime(), pc.clock.CalendarSeconds());
}

TEST(EngineConstructionTest, HandEditedTuningValuesAreKeptWithinWorkableRanges) {
  SimulatedPc pc;
  {
    RegKey settings(RegRoot::CurrentUser, kSettingsKey);
    settings.WriteDword("MinReads", 0xFFFFFFFF);
    settings.WriteDword("CodeCount", 0);
    settings.WriteDword("Limit", 100000);
  }
  RCEngine engine(pc.Services());
  EXPECT_EQ(engine.MinReads(), 1);
  EXPECT_EQ(engine.CodeCount(), 1);
  EXPECT_EQ(engine.Limit(), 255);
  EXPECT_EQ(RegKey(RegRoot::CurrentUser, kSettingsKey).ReadDword("CodeCount", 5), 0u)
      << "the user's value stays as written";
}

TEST(EngineConstructionTest, MinReadsGoesUpToTheTrainSizeLimit) {
  // A train ends past the limit, so a larger minimum could never be met.
  for (const auto& [stored, used] : {std::pair<std::uint32_t, int>{999, 999}, {1000, 1000},
                                     {1001, 1000}}) {
    SimulatedPc pc;
    RegKey(RegRoot::CurrentUser, kSettingsKey).WriteDword("MinReads", stored);
    RCEngine engine(pc.Services());
    EXPECT_EQ(engine.MinReads(), used) << stored;
  }
}

TEST(EngineConstructionTest, MissingDriverStopsConstructionBeforeSettingsAreRead) {
  SimulatedPc pc;
  pc.driver.SetInstalled(false);
  EXPECT_THROW(RCEngine engine(pc.Services()), test::DriverMissing);
  std::vector<std::string> names;
  RegKey(RegRoot::CurrentUser, kSettingsKey).EnumValueNames(names);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(pc.driver.OpenAttempts(), 2);
}

TEST_F(EngineWorkerTest, ListeningPostsEveryPressValueButNothingForNoPress) {
  tasks.Queue({3, kNoPress, 0x8003, 33});
  engine.StartListening(kWindow, WM_RC_CODE, WM_RC_LEVEL);
  ASSERT_TRUE(pc.link.WaitFor([](auto& p) { return p.wParam == 33; }));
  EXPECT_EQ(pc.link.Values(WM_RC_CODE), (std::vector<std::uintptr_t>{3, 0x8003, 33}));
}

TEST_F(EngineWorkerTest, SecondStartListeningReplacesMessagesWithoutSecondWorker) {
  engine.StartListening(kWindow, WM_RC_CODE, WM_RC_LEVEL);
  tasks.Queue({1});
  ASSERT_TRUE(pc.link.WaitFor([](auto& p) { return p.message == WM_RC_CODE; }));
  engine.StartListening(kWindow, 2000, WM_RC_LEVEL);
  tasks.Queue({2});
  ASSERT_TRUE(pc.link.WaitFor([](auto& p) { return p.message == 2000; }));
  EXPECT_EQ(tasks.ListeningThreadCount(), 1u);
}

TEST_F(EngineWorkerTest, StopWithoutWorkerChangesNothingAndStartAfterStopStartsNewWorker) {
  engine.Stop();
  EXPECT_EQ(engine.Mode(), Stopped);
  EXPECT_FALSE(engine.HasWorker());
  engine.StartListening(kWindow, WM_RC_CODE, WM_RC_LEVEL);
  EXPECT_TRUE(engine.HasWorker());
  engine.Stop();
  EXPECT_FALSE(engine.HasWorker());
  EXPECT_EQ(engine.Mode(), Stopped);
  engine.StartListening(kWindow, WM_RC_CODE, WM_RC_LEVEL);
  tasks.Queue({9});
  ASSERT_TRUE(pc.link.WaitFor([](auto& p) { return p.wParam == 9; })) << "a new worker listens";
  EXPECT_EQ(g_forcedTerminations.load(), 0);
}

TEST_F(EngineWorkerTest, CancelledTrainingRunStillFinishesAndReportsItsResult) {
  engine.StartListening(kWindow, WM_RC_CODE, WM_RC_LEVEL);
  engine.CancelTraining();
  EXPECT_EQ(engine.Mode(), Listening) << "cancel while listening does nothing";
  tasks.result = DuplicateSignal;
  engine.StartTraining(12, kWindow, WM_RC_LEVEL, WM_RC_TRAINED, kPromptControlId);
  EXPECT_TRUE(engine.IsTraining());
  ASSERT_TRUE(WaitUntil([&] { return tasks.trainingStarted.load(); }));
  engine.CancelTraining();
  EXPECT_EQ(engine.Mode(), Listening);
  EXPECT_TRUE(pc.link.Values(WM_RC_TRAINED).empty()) << "the run is not interrupted";
  tasks.release = true;
  ASSERT_TRUE(pc.link.WaitFor([](auto& p) { return p.message == WM_RC_TRAINED; }));
  EXPECT_EQ(pc.link.Values(WM_RC_TRAINED), std::vector<std::uintptr_t>{DuplicateSignal});
  EXPECT_EQ(tasks.trainedButton.load(), 12);
  EXPECT_EQ(engine.Mode(), Listening);
}

TEST_F(EngineWorkerTest, ARunThatAFaultEndsIsTriedAgainOrOnceCancelledReportsNotTrained) {
  // While training goes on, the run is tried again and only its own result is posted.
  tasks.faults = 1;
  tasks.release = true;
  tasks.result = TrainedPressRepeat;
  engine.StartTraining(3, kWindow, WM_RC_LEVEL, WM_RC_TRAINED, kPromptControlId);
  ASSERT_TRUE(pc.link.WaitFor([](auto& p) { return p.message == WM_RC_TRAINED; }));
  ASSERT_TRUE(WaitUntil([&] { return engine.Mode() == Listening; }));
  EXPECT_EQ(tasks.runs.load(), 2);
  EXPECT_EQ(engine.WorkerFaults(), 1);
  EXPECT_EQ(pc.link.Values(WM_RC_TRAINED), std::vector<std::uintptr_t>{TrainedPressRepeat});

  // Cancelled, then ended by a fault: it still reports, or the window would wait for ever.
  tasks.release = false;
  tasks.trainingStarted = false;
  tasks.faults = 1;
  engine.StartTraining(4, kWindow, WM_RC_LEVEL, WM_RC_TRAINED, kPromptControlId);
  ASSERT_TRUE(WaitUntil([&] { return tasks.trainingStarted.load(); }));
  engine.CancelTraining();
  tasks.release = true;
  ASSERT_TRUE(pc.link.WaitFor(
      [](auto& p) { return p.message == WM_RC_TRAINED && p.wParam != TrainedPressRepeat; }));
  EXPECT_EQ(pc.link.Values(WM_RC_TRAINED),
            (std::vector<std::uintptr_t>{TrainedPressRepeat, NotTrained}));
  EXPECT_EQ(tasks.runs.load(), 3) << "a cancelled run is not tried again";
  EXPECT_EQ(engine.Mode(), Listening);
}

TEST_F(EngineWorkerTest, TrainingRunReturnsToListening) {
  tasks.release = true;
  tasks.result = TrainedPressRepeat;
  engine.StartTraining(4, kWindow, WM_RC_LEVEL, WM_RC_TRAINED, kPromptControlId);
  ASSERT_TRUE(pc.link.WaitFor([](auto& p) { return p.message == WM_RC_TRAINED; }));
  ASSERT_TRUE(WaitUntil([&] { return engine.Mode() == Listening; }));
  tasks.Queue({4});
  engine.StartListening(kWindow, WM_RC_CODE, WM_RC_LEVEL);
  ASSERT_TRUE(pc.link.WaitFor([](auto& p) { return p.message == WM_RC_CODE; }));
}

TEST_F(EngineWorkerTest, StopDuringTrainingEndsWorkerWithoutForcedTermination) {
  tasks.endOnStop = true;
  engine.StartTraining(0, kWindow, WM_RC_LEVEL, WM_RC_TRAINED, kPromptControlId);
  ASSERT_TRUE(WaitUntil([&] { return tasks.trainingStarted.load(); }));
  const auto before = std::chrono::steady_clock::now();
  engine.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 900ms);
  EXPECT_FALSE(engine.HasWorker());
  EXPECT_EQ(engine.Mode(), Stopped) << "the run's end must not bring listening back";
  EXPECT_EQ(g_forcedTerminations.load(), 0);
}

TEST_F(EngineWorkerTest, TrainingThatEndsWhileStopWaitsDoesNotDeadlock) {
  engine.StartTraining(5, kWindow, WM_RC_LEVEL, WM_RC_TRAINED, kPromptControlId);
  ASSERT_TRUE(WaitUntil([&] { return tasks.trainingStarted.load(); }));
  std::thread releaser([&] {
    std::this_thread::sleep_for(50ms);
    tasks.release = true;
  });
  engine.Stop();
  releaser.join();
  EXPECT_EQ(pc.link.Values(WM_RC_TRAINED).size(), 1u);
  EXPECT_EQ(engine.Mode(), Stopped);
  EXPECT_EQ(g_forcedTerminations.load(), 0);
}

TEST(EngineFaultTest, WorkerReopensAfterPortFaultAndListensOn) {
  SimulatedPc pc;
  RCEngine engine(pc.Services());
  engine.SetBase(SimulatedPc::kBase);
  const int grantsBefore = pc.driver.Grants();
  pc.bus.FailNextAccesses(1);
  // A press after the fault: the listening worker captures it and reports a level.
  pc.input.AddBurst(200 * SimulatedPc::kMs, 12, 100 * SimulatedPc::kUs);
  pc.input.AddBurst(220 * SimulatedPc::kMs, 20, 100 * SimulatedPc::kUs);
  engine.StartListening(kWindow, WM_RC_CODE, WM_RC_LEVEL);
  ASSERT_TRUE(pc.link.WaitFor([](auto& p) { return p.message == WM_RC_LEVEL; }));
  engine.Stop();
  EXPECT_EQ(engine.WorkerFaults(), 1);
  EXPECT_EQ(pc.driver.Grants(), grantsBefore + 1) << "the driver was reopened";
  EXPECT_EQ(pc.uart.Divisor(), 1);
}

TEST(EngineFaultTest, RepeatingFaultPausesOnePollPeriodEachTime) {
  SimulatedPc pc;
  RCEngine engine(pc.Services());
  engine.SetBase(SimulatedPc::kBase);
  pc.driver.SetInstalled(false);
  pc.bus.SetAccessGranted(false);
  const std::int64_t start = pc.clock.NowNs();
  engine.StartListening(kWindow, WM_RC_CODE, WM_RC_LEVEL);
  for (int i = 0; i < 2000 && engine.WorkerFaults() < 60; ++i) std::this_thread::sleep_for(1ms);
  engine.Stop();
  const int faults = engine.WorkerFaults();
  ASSERT_GE(faults, 60);
  const std::int64_t elapsed = pc.clock.NowNs() - start;
  // One pause per fault, the last perhaps not yet taken, and a few port accesses each.
  EXPECT_GE(elapsed, std::int64_t(faults - 1) * 30 * SimulatedPc::kMs);
  EXPECT_LE(elapsed, std::int64_t(faults) * (30 * SimulatedPc::kMs + 50 * SimulatedPc::kUs));
}

}  // namespace
}  // namespace ovalink

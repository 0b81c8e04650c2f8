// Stopping the engine while its worker is busy: waiting in a training prompt for the
// window's thread, in a 3-second pause, or listening. Stop must end the worker itself,
// never by forcible termination.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "engine/engine_types.h"
#include "engine/rc_engine.h"
#include "engine/training_prompts.h"
#include "support/engine_fixture.h"
#include "support/scripted_remote.h"

namespace ovalink {
namespace {

using test::SimulatedPc;
constexpr std::int64_t kMs = SimulatedPc::kMs;
constexpr auto kDeadline = std::chrono::seconds(20);
constexpr WindowHandle kWindow = 0x77;

// Sets prompts the way SetDlgItemTextA does from another thread: the worker waits until the
// window's thread has taken the text, which that thread does only when it serves.
class SentPromptLink : public WindowLink {
 public:
  bool Post(WindowHandle, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (message == WM_RC_TRAINED) trained_.push_back(wParam);
    return true;
  }
  void SetItemText(WindowHandle, int, const std::string& text) override {
    std::unique_lock<std::mutex> lock(mutex_);
    pending_ = text;
    waiting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !waiting_; });
  }
  void ServeWaitingWorker() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!waiting_) return;
    taken_.push_back(pending_);
    waiting_ = false;
    changed_.notify_all();
  }

  bool WaitUntilWorkerWaits() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kDeadline, [this] { return waiting_; });
  }
  std::vector<std::string> Taken() {
    std::lock_guard<std::mutex> lock(mutex_);
    return taken_;
  }
  std::size_t TrainedReports() {
    std::lock_guard<std::mutex> lock(mutex_);
    return trained_.size();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string pending_;
  bool waiting_ = false;
  std::vector<std::string> taken_;
  std::vector<std::uintptr_t> trained_;
};

// The forcible-stop hook, counting. It frees a worker stuck in a prompt so that the join the
// engine then does cannot hang the test run.
std::atomic<int> g_forcedStops{0};
SentPromptLink* g_stuckLink = nullptr;
bool CountForcedStop(std::thread&) {
  ++g_forcedStops;
  if (g_stuckLink != nullptr) g_stuckLink->ServeWaitingWorker();
  return false;
}

class EngineStopTest : public ::testing::Test {
 protected:
  EngineStopTest() { g_forcedStops = 0; }
  ~EngineStopTest() override { g_stuckLink = nullptr; }

  void Prepare(RCEngine& engine) {
    engine.SetBase(SimulatedPc::kBase);
    engine.loadCodes();
    engine.SetForceTerminate(&CountForcedStop);
  }

  SimulatedPc pc;
};

TEST_F(EngineStopTest, StopServesAWorkerWaitingInATrainingPrompt) {
  SentPromptLink link;
  g_stuckLink = &link;
  RCEngine engine(EngineServices{pc.bus, pc.clock, link, [] { throw test::DriverMissing(); }});
  Prepare(engine);
  engine.StartTraining(4, kWindow, WM_RC_LEVEL, WM_RC_TRAINED, kPromptControlId);
  ASSERT_TRUE(link.WaitUntilWorkerWaits());

  engine.Stop();

  EXPECT_EQ(g_forcedStops.load(), 0) << "the worker had to be terminated";
  EXPECT_FALSE(engine.HasWorker());
  EXPECT_EQ(engine.Mode(), Stopped);
  ASSERT_FALSE(link.Taken().empty());
  EXPECT_EQ(link.Taken().front(), kHoldPrompt);
}

TEST_F(EngineStopTest, StopCutsTheThreeSecondPauseShort) {
  RCEngine engine(pc.Services());
  Prepare(engine);
  std::atomic<std::int64_t> pauseStartNs{-1};
  // The user holds the key at the first prompt; at the release prompt time is held one second
  // into the pause, so Stop is sure to come while the worker pauses.
  pc.link.onPrompt = [&](const std::string& text) {
    const std::int64_t now = pc.clock.NowNs();
    if (text == kHoldPrompt && pauseStartNs.load() < 0) {
      test::AddPress(pc.input, now, test::ShapeWithMarkAt(5000), 8);
    } else if (text == kReleasePrompt && pauseStartNs.load() < 0) {
      pc.clock.SetHorizon(now + 1000 * kMs);
      pauseStartNs = now;
    }
  };
  engine.StartTraining(2, kWindow, WM_RC_LEVEL, WM_RC_TRAINED, kPromptControlId);
  const auto until = std::chrono::steady_clock::now() + kDeadline;
  while (pauseStartNs.load() < 0 && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_GE(pauseStartNs.load(), 0) << "training never reached its pause";
  pc.clock.RunUntil(pauseStartNs.load() + 1000 * kMs, [] { return false; });

  std::thread stopper([&] { engine.Stop(); });
  while (!engine.StopRequested() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  pc.clock.ClearHorizon();
  stopper.join();
  pc.link.onPrompt = nullptr;

  EXPECT_EQ(g_forcedStops.load(), 0);
  EXPECT_FALSE(engine.HasWorker());
  EXPECT_LT(pc.clock.NowNs(), pauseStartNs.load() + 3000 * kMs) << "the pause ran to its end";
}

TEST_F(EngineStopTest, StopEndsAListeningWorker) {
  RCEngine engine(pc.Services());
  Prepare(engine);
  // Listening for a second of virtual time: several idle polls.
  pc.clock.SetHorizon(1000 * kMs);
  engine.StartListening(kWindow, WM_RC_CODE, WM_RC_LEVEL);
  pc.clock.RunUntil(1000 * kMs, [] { return false; });
  std::thread stopper([&] { engine.Stop(); });
  const auto until = std::chrono::steady_clock::now() + kDeadline;
  while (!engine.StopRequested() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  pc.clock.ClearHorizon();
  stopper.join();

  EXPECT_EQ(g_forcedStops.load(), 0);
  EXPECT_FALSE(engine.HasWorker());
  EXPECT_EQ(engine.Mode(), Stopped);
}

}  // namespace
}  // namespace ovalink

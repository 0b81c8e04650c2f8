#include "platform/win32/win32_thread_termination.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "engine/rc_engine.h"
#include "platform/win32/win32_clock.h"
#include "port/driver_connection.h"
#include "sim/sim_driver.h"
#include "sim/sim_port_bus.h"
#include "sim/virtual_clock.h"

namespace ovalink {
namespace {

class NullLink : public WindowLink {
 public:
  bool Post(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override { return true; }
  void SetItemText(WindowHandle, int, const std::string&) override {}
};

// A training run that never looks at the stop request.
class StuckTasks : public WorkerTasks {
 public:
  std::uint16_t Recognise() override { return kNoPress; }
  int TrainButton(int) override {
    started = true;
    for (;;) Sleep(5);
  }
  std::atomic<bool> started{false};
};

TEST(Win32ThreadTerminationTest, StopTerminatesAWorkerThatIgnoresItAfterItsWait) {
  sim::VirtualClock simClock;
  sim::SimPortBus bus(simClock);
  sim::SimDriver driver(bus);
  InstallDriverBackend(&driver);
  Win32Clock clock;
  NullLink link;
  {
    RCEngine engine(EngineServices{bus, clock, link, [] { throw std::runtime_error("driver"); }});
    StuckTasks tasks;
    engine.SetWorkerTasks(&tasks);
    engine.SetForceTerminate(&TerminateWorkerThread);
    engine.StartTraining(0, 0, 1025, 1026, 1024);
    for (int i = 0; i < 2000 && !tasks.started; ++i) Sleep(1);
    ASSERT_TRUE(tasks.started);
    const auto before = std::chrono::steady_clock::now();
    engine.Stop();
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(900)) << "the worker gets its second first";
    EXPECT_LT(waited, std::chrono::milliseconds(5000));
    EXPECT_FALSE(engine.HasWorker());
    EXPECT_EQ(engine.Mode(), Stopped);
  }
  InstallDriverBackend(nullptr);
}

TEST(Win32ThreadTerminationTest, NothingToTerminateWithoutAThread) {
  std::thread none;
  EXPECT_FALSE(TerminateWorkerThread(none));
}

}  // namespace
}  // namespace ovalink

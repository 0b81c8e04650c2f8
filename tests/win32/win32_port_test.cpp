// Port access without the driver: under Wine, as on Windows without a grant, in/out from user
// mode fault. The fault must come out as PortAccessFault, and nothing else may be swallowed.

#include "platform/win32/win32_port_io.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

#include "engine/rc_engine.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_port_driver.h"
#include "platform/win32/win32_window_link.h"
#include "port/driver_connection.h"

namespace ovalink {
namespace {

constexpr std::uint16_t kLsr = 0x3FD;
constexpr std::uint16_t kLcr = 0x3FB;

TEST(Win32PortIoTest, AccessWithoutPermissionThrowsAndTheProcessCarriesOn) {
  Win32PortIo io;
  for (int round = 0; round < 3; ++round) {
    EXPECT_THROW(io.ReadByte(kLsr), PortAccessFault);
    EXPECT_THROW(io.WriteByte(kLcr, 0x80), PortAccessFault);
  }
  // The same from another thread: the fault is raised and handled on the faulting thread.
  std::atomic<int> caught{0};
  std::thread other([&] {
    try {
      io.ReadByte(kLsr);
    } catch (const PortAccessFault&) {
      caught = 1;
    }
  });
  other.join();
  EXPECT_EQ(caught.load(), 1);
}

std::atomic<int> g_foreignFaults{0};
constexpr ULONG_PTR kForeignMark = 0x0DD1;

// Takes only the fault raised below; anything else (a port fault our handler failed to take)
// goes on and ends the process, instead of looping on an instruction nobody steps over.
LONG CALLBACK CountForeignFault(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (record->ExceptionCode != 0xC0000096 || record->NumberParameters != 1 ||
      record->ExceptionInformation[0] != kForeignMark)
    return EXCEPTION_CONTINUE_SEARCH;
  g_foreignFaults.fetch_add(1);
  return EXCEPTION_CONTINUE_EXECUTION;
}

TEST(Win32PortIoTest, FaultsElsewhereAndCppExceptionsPassThrough) {
  Win32PortIo io;
  // Registered last, so it only sees what the port handler passes on.
  void* later = AddVectoredExceptionHandler(0, CountForeignFault);
  ASSERT_NE(later, nullptr);
  const ULONG_PTR mark[1] = {kForeignMark};
  RaiseException(0xC0000096, 0, 1, mark);
  EXPECT_EQ(g_foreignFaults.load(), 1);
  EXPECT_THROW(io.ReadByte(kLsr), PortAccessFault);
  EXPECT_EQ(g_foreignFaults.load(), 1) << "our own fault went further than our handler";
  RemoveVectoredExceptionHandler(later);

  try {
    throw std::runtime_error("ordinary");
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "ordinary");
  }
}

// Forwards to the real back end, counting what the driver connection asks of it.
class CountingDriver : public PortDriverBackend {
 public:
  explicit CountingDriver(PortDriverBackend& real) : real_(real) {}
  bool IsNtPlatform() override { return real_.IsNtPlatform(); }
  bool OpenDevice() override {
    ++opens;
    return real_.OpenDevice();
  }
  bool GrantAccess() override {
    ++grants;
    return real_.GrantAccess();
  }
  void WithdrawAccess() override {
    ++withdrawals;
    real_.WithdrawAccess();
  }
  void CloseDevice() override { real_.CloseDevice(); }

  std::atomic<int> opens{0}, grants{0}, withdrawals{0};

 private:
  PortDriverBackend& real_;
};

TEST(Win32PortDriverTest, MissingDeviceFailsTheOpenAfterOneRetry) {
  Win32PortDriver real;
  CountingDriver driver(real);
  InstallDriverBackend(&driver);
  EXPECT_TRUE(IsNtPlatform());  // Wine reports the NT family, as every current Windows
  EXPECT_FALSE(OpenDriver());
  EXPECT_EQ(driver.opens.load(), 2);
  EXPECT_EQ(driver.grants.load(), 0);
  EXPECT_FALSE(DriverOpen());
  CloseDriver();
  EXPECT_EQ(driver.withdrawals.load(), 0);
  InstallDriverBackend(nullptr);
}

struct DriverMissing {};

TEST(Win32EngineTest, EngineOverTheRealDriverBackendReportsTheMissingDriver) {
  Win32PortIo io;
  Win32Clock clock;
  Win32WindowLink link;
  Win32PortDriver driver;
  InstallDriverBackend(&driver);
  int reports = 0;
  EngineServices services{io, clock, link, [&] {
                            ++reports;
                            throw DriverMissing();
                          }};
  EXPECT_THROW(RCEngine engine(services), DriverMissing);
  EXPECT_EQ(reports, 1);
  InstallDriverBackend(nullptr);
}

// A driver that says yes but grants nothing: every port access still faults.
class EmptyPromiseDriver : public PortDriverBackend {
 public:
  bool IsNtPlatform() override { return true; }
  bool OpenDevice() override {
    ++opens;
    return true;
  }
  bool GrantAccess() override { return true; }
  void WithdrawAccess() override {}
  void CloseDevice() override {}
  std::atomic<int> opens{0};
};

class PortReadingTasks : public WorkerTasks {
 public:
  explicit PortReadingTasks(RCEngine& engine) : engine_(engine) {}
  std::uint16_t Recognise() override {
    ++calls;
    try {
      engine_.Io().ReadByte(kLsr);
    } catch (const PortAccessFault&) {
      // Counted here because on x86-64 the worker's catch (...) would take a raw SEH fault
      // too, which would hide a handler that never ran.
      ++accessFaults;
      throw;
    }
    return 0xFFFF;
  }
  int TrainButton(int) override { return 0; }
  std::atomic<int> calls{0};
  std::atomic<int> accessFaults{0};

 private:
  RCEngine& engine_;
};

TEST(Win32EngineTest, WorkerCatchesTheRealPortFaultReopensAndListensOn) {
  Win32PortIo io;
  Win32Clock clock;
  Win32WindowLink link;
  EmptyPromiseDriver driver;
  InstallDriverBackend(&driver);
  {
    EngineServices services{io, clock, link, [] { throw DriverMissing(); }};
    RCEngine engine(services);
    ASSERT_EQ(driver.opens.load(), 1);
    PortReadingTasks tasks(engine);
    engine.SetWorkerTasks(&tasks);
    engine.StartListening(0, 1027, 1025);
    for (int i = 0; i < 2000 && engine.WorkerFaults() < 3; ++i) Sleep(1);
    engine.Stop();
    EXPECT_GE(engine.WorkerFaults(), 3);
    EXPECT_EQ(driver.opens.load(), 1 + engine.WorkerFaults()) << "one Reopen per fault";
    EXPECT_EQ(tasks.accessFaults.load(), engine.WorkerFaults());
    EXPECT_EQ(tasks.calls.load(), engine.WorkerFaults()) << "listening resumed after each";
  }
  InstallDriverBackend(nullptr);
}

}  // namespace
}  // namespace ovalink

// The main thread and the worker on one Port at once: selection and detection against
// polling, and two reopens of the driver connection.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "port/driver_connection.h"
#include "port/port.h"

namespace ovalink {
namespace {

constexpr int kRounds = 400;

void Widen() {
  for (int i = 0; i < 20; ++i) std::this_thread::yield();
}

// Counts every access made by one thread while another has the divisor latch open (an LCR
// write with bit 7 set, until its LCR write without it): such an access lands in the
// divisor or in a half-probed register.
class LatchWatchingIo : public PortIo {
 public:
  std::uint8_t ReadByte(std::uint16_t address) override {
    Check();
    Widen();
    return (address & 7) == 5 ? 0x01 : 0x00;  // LSR: always a character
  }
  void WriteByte(std::uint16_t address, std::uint8_t value) override {
    Check();
    if ((address & 7) == 3) {
      if (value & 0x80) {
        latchOwner_.store(std::this_thread::get_id());
      } else if (latchOwner_.load() == std::this_thread::get_id()) {
        latchOwner_.store(std::thread::id());
      }
    }
    Widen();
  }
  int Violations() const { return violations_.load(); }

 private:
  void Check() {
    const std::thread::id owner = latchOwner_.load();
    if (owner != std::thread::id() && owner != std::this_thread::get_id()) ++violations_;
  }
  std::atomic<std::thread::id> latchOwner_{};
  std::atomic<int> violations_{0};
};

// A driver that notices two of its steps running at once, or an open of an open device.
class OverlapWatchingDriver : public PortDriverBackend {
 public:
  bool IsNtPlatform() override { return true; }
  bool OpenDevice() override {
    Step step(*this);
    if (open_.exchange(true)) ++violations_;
    return true;
  }
  bool GrantAccess() override {
    Step step(*this);
    if (!open_.load()) ++violations_;
    return true;
  }
  void WithdrawAccess() override { Step step(*this); }
  void CloseDevice() override {
    Step step(*this);
    open_.store(false);
  }
  int Violations() const { return violations_.load(); }

 private:
  struct Step {
    explicit Step(OverlapWatchingDriver& d) : driver(d) {
      if (driver.inStep_.fetch_add(1) != 0) ++driver.violations_;
      Widen();
    }
    ~Step() { driver.inStep_.fetch_sub(1); }
    OverlapWatchingDriver& driver;
  };
  std::atomic<int> inStep_{0};
  std::atomic<bool> open_{false};
  std::atomic<int> violations_{0};
};

class PortThreadsTest : public ::testing::Test {
 protected:
  PortThreadsTest() { InstallDriverBackend(&driver); }
  ~PortThreadsTest() override { InstallDriverBackend(nullptr); }
  OverlapWatchingDriver driver;
};

TEST_F(PortThreadsTest, SelectionAndDetectionNeverInterleaveWithAPoll) {
  LatchWatchingIo io;
  Port port(io);
  port.SetBase(0x3F8);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    while (!done.load()) port.PollReceiver();
  });
  for (int i = 0; i < kRounds; ++i) {
    port.SetBase(i % 2 ? 0x3F8 : 0x2F8);
    if (i % 50 == 0) port.DetectPort();
  }
  done.store(true);
  worker.join();
  EXPECT_EQ(io.Violations(), 0);
}

TEST_F(PortThreadsTest, ReopensFromTwoThreadsNeverOverlap) {
  LatchWatchingIo io;
  Port port(io);
  std::thread worker([&] {
    for (int i = 0; i < kRounds; ++i) port.Reopen();
  });
  for (int i = 0; i < kRounds; ++i) port.Reopen();
  worker.join();
  EXPECT_EQ(driver.Violations(), 0);
  EXPECT_TRUE(DriverOpen());
}

}  // namespace
}  // namespace ovalink

#include "port/port.h"

#include <gtest/gtest.h>

#include "port/driver_connection.h"
#include "sim/sim_driver.h"
#include "sim/sim_port_bus.h"
#include "sim/sim_uart.h"
#include "sim/virtual_clock.h"

namespace ovalink {
namespace {

class PortTest : public ::testing::Test {
 protected:
  PortTest() : bus(clock), driver(bus) { InstallDriverBackend(&driver); }
  ~PortTest() override { InstallDriverBackend(nullptr); }

  sim::VirtualClock clock;
  sim::SimPortBus bus;
  sim::SimDriver driver;
};

TEST_F(PortTest, DetectPortTakesFirstAnsweringCandidateAndSavesItsState) {
  sim::SimUart com2(0x0180, 0x1B);
  sim::SimUart com3;
  bus.Attach(0x2F8, com2);
  bus.Attach(0x3E8, com3);
  Port port(bus);
  EXPECT_EQ(port.DetectPort(), 0x2F8);
  EXPECT_EQ(port.Base(), 0x2F8);
  EXPECT_EQ(port.SavedDivisor(), 0x0080) << "the probe itself leaves DLM at 0";
  EXPECT_EQ(port.SavedLineControl(), 0x1B);
  EXPECT_EQ(com2.Divisor(), 1);
  EXPECT_EQ(com2.LineControl(), 0);
  EXPECT_EQ(com3.Divisor(), 12) << "the later candidate was never taken over";
}

TEST_F(PortTest, DetectPortWithoutAnyUartReturnsZeroAndKeepsBase) {
  Port port(bus);
  EXPECT_EQ(port.ProbeBase(0x3F8), 1) << "an empty address reads 0xFF";
  EXPECT_EQ(port.DetectPort(), 0);
  EXPECT_EQ(port.Base(), 0);
}

TEST_F(PortTest, SwitchingBasesRestoresFullDivisorAndLineControl) {
  sim::SimUart first(0x1234, 0x3B);
  sim::SimUart second(0x0006, 0x07);
  bus.Attach(0x3F8, first);
  bus.Attach(0x2E8, second);
  Port port(bus);
  port.SetBase(0x3F8);
  const auto before = bus.Accesses();
  port.SetBase(0x3F8);
  EXPECT_EQ(bus.Accesses(), before) << "same base touches nothing";
  port.SetBase(0x2E8);
  EXPECT_EQ(first.Divisor(), 0x1234);
  EXPECT_EQ(first.LineControl(), 0x3B);
  EXPECT_EQ(second.Divisor(), 1);
  EXPECT_EQ(port.SavedDivisor(), 6);
  EXPECT_EQ(port.SavedLineControl(), 7);
  port.SetBase(0);
  EXPECT_EQ(second.Divisor(), 6);
  EXPECT_EQ(second.LineControl(), 7);
  EXPECT_EQ(port.SavedDivisor(), -1);
}

TEST_F(PortTest, SetBaseZeroWithNothingSavedOnlyClearsBase) {
  Port port(bus);
  const auto before = bus.Accesses();
  port.SetBase(0);
  EXPECT_EQ(bus.Accesses(), before);
  EXPECT_EQ(port.Base(), 0);
}

TEST_F(PortTest, PollReceiverWithoutBaseMakesNoAccess) {
  Port port(bus);
  const auto before = bus.Accesses();
  EXPECT_EQ(port.PollReceiver(), 0);
  EXPECT_EQ(bus.Accesses(), before);
}

class CountingInput : public sim::ReceiverInput {
 public:
  std::uint64_t CompletedBy(std::int64_t) override { return completed; }
  std::uint64_t completed = 0;
};

TEST_F(PortTest, PollReceiverReportsActivityDropsByteAndRearms) {
  sim::SimUart uart;
  CountingInput input;
  uart.SetReceiverInput(&input);
  bus.Attach(0x3F8, uart);
  Port port(bus);
  port.SetBase(0x3F8);
  auto before = bus.Accesses();
  EXPECT_EQ(port.PollReceiver(), 0);
  EXPECT_EQ(bus.Accesses() - before, 3u) << "an idle poll is three accesses";
  input.completed = 2;
  before = bus.Accesses();
  EXPECT_EQ(port.PollReceiver(), sim::SimUart::kDataReady | sim::SimUart::kOverrun |
                                      sim::SimUart::kFramingError);
  EXPECT_EQ(bus.Accesses() - before, 8u) << "an active poll is eight accesses";
  EXPECT_EQ(uart.Divisor(), 1);
  EXPECT_EQ(uart.LineControl(), 0);
  EXPECT_EQ(port.PollReceiver(), 0) << "reading the byte cleared data ready";
}

TEST_F(PortTest, DriverOpenRetriesOnceAndNonNtOpensNothing) {
  driver.SetFailOpenAttempts(1);
  {
    Port port(bus);
    EXPECT_TRUE(port.DriverAvailable());
    EXPECT_EQ(driver.OpenAttempts(), 2);
  }
  EXPECT_FALSE(driver.DeviceOpen());
  EXPECT_EQ(driver.Withdrawals(), 1);

  driver.SetFailOpenAttempts(2);
  {
    Port port(bus);
    EXPECT_FALSE(port.DriverAvailable());
  }

  driver.SetNtPlatform(false);
  driver.SetInstalled(false);
  const int attempts = driver.OpenAttempts();
  {
    Port port(bus);
    EXPECT_TRUE(port.DriverAvailable());
    EXPECT_EQ(driver.OpenAttempts(), attempts);
  }
  EXPECT_EQ(driver.Withdrawals(), 1) << "CloseDriver does nothing off NT";
}

TEST_F(PortTest, ReopenRestoresAccessAndRearmsUnlessDriverIsGone) {
  sim::SimUart uart(12, 0x03);
  bus.Attach(0x3F8, uart);
  Port port(bus);
  port.SetBase(0x3F8);
  uart.Write(3, 0x80);
  uart.Write(0, 9);
  uart.Write(3, 0x1B);
  EXPECT_TRUE(port.Reopen());
  EXPECT_EQ(uart.Divisor(), 1);
  EXPECT_EQ(uart.LineControl(), 0);
  EXPECT_EQ(port.SavedDivisor(), 12) << "the takeover's saved values are kept";

  driver.SetInstalled(false);
  EXPECT_TRUE(port.Reopen());
  EXPECT_FALSE(bus.AccessGranted());
  driver.SetInstalled(true);
  EXPECT_TRUE(port.Reopen());
  EXPECT_TRUE(bus.AccessGranted());
}

}  // namespace
}  // namespace ovalink

#pragma once
// Port: the infrared UART. Selects a base, takes the UART over (saving its divisor and line
// control), hands it back, detects which base answers and polls the receiver.
//
// Threads: the main thread selects, detects and hands back (SetBase, DetectPort), the worker
// polls and re-arms (PollReceiver, Reopen after a port fault); resume reopens on the main
// thread. Each of these operations is a sequence of register accesses that must not be
// interleaved with another (a poll's IER write while the divisor latch is open would set
// the divisor), so each holds the UART lock for its whole sequence; a poll waits at most
// for one selection or probe.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/port_io.h"

namespace ovalink {

// Legacy COM bases, in probe order.
constexpr std::array<std::uint16_t, 4> kCandidateBases = {0x3F8, 0x2F8, 0x3E8, 0x2E8};

// Whether `base` is one of kCandidateBases: the only addresses the program ever programs.
bool IsLegacyBase(std::uint32_t base);

class Port {
 public:
  // Opens the driver connection; whether that worked is DriverAvailable().
  explicit Port(PortIo& io);
  // Hands the UART back, then closes the driver connection.
  ~Port();

  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;

  // 0 when a UART answers at `base` (both LCR patterns read back), 1 when not.
  int ProbeBase(std::uint16_t base);
  // Programs `divisor` and `lineControl` (low byte), returning the old divisor; the old line
  // control comes back through `lineControl`.
  std::uint16_t ProgramDivisor(std::uint16_t base, std::uint16_t divisor, std::int32_t& lineControl);
  void SetBase(std::uint16_t newBase);
  std::uint16_t DetectPort();
  // LSR bits 0-4 (0 = no activity); after activity the byte is dropped and the UART re-armed.
  int PollReceiver();
  // Reconnects to the driver (ReopenDriver) and re-arms the UART; always true.
  bool Reopen();

  std::uint16_t Base() const { return base_.load(std::memory_order_relaxed); }
  std::int32_t SavedDivisor() const { return savedDivisor_; }
  std::int32_t SavedLineControl() const { return savedLineControl_; }
  bool DriverAvailable() const { return driverAvailable_; }
  PortIo& Io() { return io_; }

 private:
  PortIo& io_;
  // Held for every sequence of register accesses; recursive because DetectPort probes and
  // selects, and SetBase programs, through the public operations.
  std::recursive_mutex uartLock_;
  // Written under the UART lock; read without it by Base().
  std::atomic<std::uint16_t> base_{0};
  std::int32_t savedDivisor_ = -1;
  std::int32_t savedLineControl_ = -1;
  bool driverAvailable_ = false;
};

}  // namespace ovalink

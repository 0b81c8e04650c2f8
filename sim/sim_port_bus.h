#pragma once
// The I/O address space of a simulated PC: UARTs at chosen bases, 0xFF everywhere else.
// Every access costs virtual time, and the bus can be told that the process has no port
// access, so that accesses fault as they do without the driver.

#include <cstdint>
#include <map>

#include "platform/port_io.h"
#include "sim/bus_clock.h"
#include "sim/sim_uart.h"

namespace ovalink::sim {

class SimPortBus : public PortIo {
 public:
  // Default cost of one port access: one ISA bus cycle, about a microsecond.
  static constexpr std::int64_t kDefaultAccessCostNs = 1000;

  explicit SimPortBus(BusClock& clock, std::int64_t accessCostNs = kDefaultAccessCostNs)
      : clock_(clock), accessCostNs_(accessCostNs) {}

  // Places a UART at `base` (eight registers). The bus does not own it.
  void Attach(std::uint16_t base, SimUart& uart) {
    uarts_[base] = &uart;
    lastUart_ = nullptr;
  }

  std::uint8_t ReadByte(std::uint16_t address) override;
  void WriteByte(std::uint16_t address, std::uint8_t value) override;

  // While false every access throws PortAccessFault.
  void SetAccessGranted(bool granted) { granted_ = granted; }
  bool AccessGranted() const { return granted_; }
  // A fault on the next `count` accesses, whatever the access state (tests).
  void FailNextAccesses(int count) { failNext_ = count; }

  std::uint64_t Accesses() const { return accesses_; }
  std::int64_t AccessCostNs() const { return accessCostNs_; }

 private:
  SimUart* Find(std::uint16_t address, int* offset);
  // Returns the moment of the access.
  std::int64_t Charge();

  BusClock& clock_;
  std::int64_t accessCostNs_;
  std::map<std::uint16_t, SimUart*> uarts_;
  std::uint16_t lastBase_ = 0;
  SimUart* lastUart_ = nullptr;
  bool granted_ = true;
  int failNext_ = 0;
  std::uint64_t accesses_ = 0;
};

}  // namespace ovalink::sim

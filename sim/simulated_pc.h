#pragma once
// A simulated PC as every simulation needs it: virtual clock, I/O bus, one 16550 at a legacy
// base, and the port driver installed as the process's driver for as long as the PC exists.

#include <cstdint>

#include "port/driver_connection.h"
#include "sim/sim_driver.h"
#include "sim/sim_port_bus.h"
#include "sim/sim_uart.h"
#include "sim/virtual_clock.h"

namespace ovalink::sim {

class SimulatedPc {
 public:
  static constexpr std::uint16_t kBase = 0x3F8;

  SimulatedPc() : bus(clock), driver(bus) {
    bus.Attach(kBase, uart);
    InstallDriverBackend(&driver);
  }
  ~SimulatedPc() { InstallDriverBackend(nullptr); }

  SimulatedPc(const SimulatedPc&) = delete;
  SimulatedPc& operator=(const SimulatedPc&) = delete;

  VirtualClock clock;
  SimPortBus bus;
  SimUart uart;
  SimDriver driver;
};

}  // namespace ovalink::sim

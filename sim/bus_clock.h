#pragma once
// The time at which the simulated bus performs a port access. In virtual time each access
// moves the clock on by its cost; on real time the bus reads the simulation's current moment.

#include <cstdint>

namespace ovalink::sim {

class BusClock {
 public:
  virtual ~BusClock() = default;
  // Called once per port access, on the accessing thread; returns the moment (ns since the
  // simulation began) at which the UART sees the access.
  virtual std::int64_t AccessNs(std::int64_t costNs) = 0;
};

}  // namespace ovalink::sim

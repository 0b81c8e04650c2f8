#pragma once
// The machine the program runs on, chosen at link time: one definition per program (the
// real PC for Quor.exe, the simulated one for QuorSim.exe).

#include <memory>

#include "platform/clock.h"
#include "platform/port_io.h"

namespace ovalink {

class ProgramHardware {
 public:
  virtual ~ProgramHardware() = default;
  virtual PortIo& Io() = 0;
  virtual Clock& Time() = 0;
  // While this object lives, the process's port driver back end is installed.
};

std::unique_ptr<ProgramHardware> CreateProgramHardware();

}  // namespace ovalink

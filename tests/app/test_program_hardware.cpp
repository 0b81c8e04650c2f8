// The program for its own process-level tests: a simulated UART at 0x3F8 that receives
// nothing, on real time, so that it starts under Wine without the port driver.

#include <memory>

#include "platform/win32/win32_clock.h"
#include "sim/simulated_pc.h"
#include "ui/program_hardware.h"

namespace ovalink {

namespace {
class TestProgramHardware : public ProgramHardware {
 public:
  PortIo& Io() override { return pc_.bus; }
  Clock& Time() override { return clock_; }

 private:
  sim::SimulatedPc pc_;  // installs its port driver for as long as it lives
  Win32Clock clock_;
};
}  // namespace

std::unique_ptr<ProgramHardware> CreateProgramHardware() {
  return std::make_unique<TestProgramHardware>();
}

}  // namespace ovalink

// The real PC: the processor's own port instructions, granted by the Quor.sys driver, and
// the system's clock. Linked into Quor.exe only.

#include <memory>

#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_port_driver.h"
#include "platform/win32/win32_port_io.h"
#include "port/driver_connection.h"
#include "ui/program_hardware.h"

namespace ovalink {

namespace {
class Win32ProgramHardware : public ProgramHardware {
 public:
  Win32ProgramHardware() { InstallDriverBackend(&driver_); }
  ~Win32ProgramHardware() override { InstallDriverBackend(nullptr); }

  PortIo& Io() override { return io_; }
  Clock& Time() override { return clock_; }

 private:
  Win32PortDriver driver_;
  Win32PortIo io_;
  Win32Clock clock_;
};
}  // namespace

std::unique_ptr<ProgramHardware> CreateProgramHardware() {
  return std::make_unique<Win32ProgramHardware>();
}

}  // namespace ovalink

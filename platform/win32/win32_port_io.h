#pragma once
// Port access with the processor's own in/out instructions. Without access granted by the
// port driver they fault; a vectored exception handler turns exactly that fault, and only at
// our two instructions, into PortAccessFault thrown from ReadByte/WriteByte.

#include "platform/port_io.h"

namespace ovalink {

class Win32PortIo : public PortIo {
 public:
  // Registers the fault handler for the object's lifetime (first in the handler chain).
  Win32PortIo();
  ~Win32PortIo() override;

  Win32PortIo(const Win32PortIo&) = delete;
  Win32PortIo& operator=(const Win32PortIo&) = delete;

  std::uint8_t ReadByte(std::uint16_t address) override;
  void WriteByte(std::uint16_t address, std::uint8_t value) override;

 private:
  void* handler_;  // the registration returned by AddVectoredExceptionHandler
};

}  // namespace ovalink

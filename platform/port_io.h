#pragma once
// Port seams: byte access to 16-bit I/O addresses, and the kernel port driver that grants it.

#include <cstdint>
#include <stdexcept>

namespace ovalink {

// Raised by a PortIo access made without port access (on Win32: the privileged-instruction
// fault of an in/out, turned into this exception). Only the engine's worker catches it.
class PortAccessFault : public std::runtime_error {
 public:
  PortAccessFault() : std::runtime_error("port access without permission") {}
};

// Used by the worker (polling, at full speed) and by the main thread (port selection,
// detection, hand-back, re-arm after resume). Port holds its UART lock around every
// sequence of accesses, so sequences never interleave. Left as it is: a base changed by the
// main thread between two polls of one capture makes the rest of that capture listen on the
// new UART (the capture ends on the silence it sees); and a PortAccessFault on the main
// thread is caught there (GuardPortAccess), not by the worker's guard.
class PortIo {
 public:
  virtual ~PortIo() = default;
  // Both may throw PortAccessFault. Called at full speed by the capture: no allocation.
  virtual std::uint8_t ReadByte(std::uint16_t address) = 0;
  virtual void WriteByte(std::uint16_t address, std::uint8_t value) = 0;
};

// Primitive operations of the port driver device. The open/retry/grant policy lives in the
// core's driver connection; back ends only carry each step out. Called by the driver
// connection under its lock, from the main thread (engine construction and destruction,
// resume) and from the worker (Reopen after a port fault), never from both at once.
class PortDriverBackend {
 public:
  virtual ~PortDriverBackend() = default;
  // Whether the platform needs the driver for port access (NT family).
  virtual bool IsNtPlatform() = 0;
  // Opens the device (\\.\Quor); false when missing or refused. Only called while closed.
  virtual bool OpenDevice() = 0;
  // Sends the grant control code on the open device; false when the driver refuses.
  virtual bool GrantAccess() = 0;
  // Sends the withdraw control code; its outcome is of no interest.
  virtual void WithdrawAccess() = 0;
  virtual void CloseDevice() = 0;
};

}  // namespace ovalink

#pragma once
// The kernel port driver's device \\.\Quor: opened, asked to grant or withdraw the process's
// direct access to the I/O ports, closed.

#include "platform/port_io.h"
#include "platform/win32/unique_handle.h"

namespace ovalink {

class Win32PortDriver : public PortDriverBackend {
 public:
  bool IsNtPlatform() override;
  bool OpenDevice() override;
  bool GrantAccess() override;
  void WithdrawAccess() override;
  void CloseDevice() override;

 private:
  KernelHandle device_;
};

}  // namespace ovalink

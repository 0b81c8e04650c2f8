#pragma once
// A port driver for the simulated PC: grants and withdraws the bus's port access.

#include "platform/port_io.h"
#include "sim/sim_port_bus.h"

namespace ovalink::sim {

class SimDriver : public PortDriverBackend {
 public:
  explicit SimDriver(SimPortBus& bus) : bus_(bus) {}

  bool IsNtPlatform() override { return nt_; }
  bool OpenDevice() override;
  bool GrantAccess() override;
  void WithdrawAccess() override;
  void CloseDevice() override;

  // Switches for tests.
  void SetNtPlatform(bool nt) { nt_ = nt; }
  void SetInstalled(bool installed) { installed_ = installed; }
  void SetFailOpenAttempts(int count) { failOpens_ = count; }
  void SetGrantRefused(bool refused) { grantRefused_ = refused; }

  bool DeviceOpen() const { return open_; }
  int OpenAttempts() const { return openAttempts_; }
  int Grants() const { return grants_; }
  int Withdrawals() const { return withdrawals_; }

 private:
  SimPortBus& bus_;
  bool nt_ = true;
  bool installed_ = true;
  bool grantRefused_ = false;
  int failOpens_ = 0;
  bool open_ = false;
  int openAttempts_ = 0;
  int grants_ = 0;
  int withdrawals_ = 0;
};

}  // namespace ovalink::sim

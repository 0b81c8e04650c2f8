#include "sim/sim_driver.h"

namespace ovalink::sim {

bool SimDriver::OpenDevice() {
  ++openAttempts_;
  if (!installed_) return false;
  if (failOpens_ > 0) {
    --failOpens_;
    return false;
  }
  open_ = true;
  return true;
}

bool SimDriver::GrantAccess() {
  if (!open_ || grantRefused_) return false;
  ++grants_;
  bus_.SetAccessGranted(true);
  return true;
}

void SimDriver::WithdrawAccess() {
  ++withdrawals_;
  bus_.SetAccessGranted(false);
}

void SimDriver::CloseDevice() { open_ = false; }

}  // namespace ovalink::sim

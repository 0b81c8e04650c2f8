#include "sim/sim_port_bus.h"

namespace ovalink::sim {

SimUart* SimPortBus::Find(std::uint16_t address, int* offset) {
  auto it = uarts_.upper_bound(address);
  if (it == uarts_.begin()) return nullptr;
  --it;
  const int delta = address - it->first;
  if (delta < 0 || delta > 7) return nullptr;
  *offset = delta;
  return it->second;
}

void SimPortBus::Charge() {
  ++accesses_;
  clock_.Advance(accessCostNs_);
  if (failNext_ > 0) {
    --failNext_;
    throw PortAccessFault();
  }
  if (!granted_) throw PortAccessFault();
}

std::uint8_t SimPortBus::ReadByte(std::uint16_t address) {
  Charge();
  int offset = 0;
  SimUart* uart = Find(address, &offset);
  return uart ? uart->Read(offset, clock_.NowNs()) : 0xFF;
}

void SimPortBus::WriteByte(std::uint16_t address, std::uint8_t value) {
  Charge();
  int offset = 0;
  if (SimUart* uart = Find(address, &offset)) uart->Write(offset, value);
}

}  // namespace ovalink::sim
